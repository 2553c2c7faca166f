// A small program of the build under test, for what only a program of that
// build can tell or do:
//   zindle_probe memory       prints the physical memory the system tells
//                             such a program of, in bytes
//   zindle_probe witness TID  hooks thread TID with witness.dll (beside this
//                             program) until that thread ends
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "input_witness.h"

namespace {

int Memory() {
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof(memory);
  if (!GlobalMemoryStatusEx(&memory)) return 1;
  std::printf("%llu\n", static_cast<unsigned long long>(memory.ullTotalPhys));
  return 0;
}

int Witness(DWORD threadId) {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  std::wcscpy(std::wcsrchr(path, L'\\') + 1, L"witness.dll");
  HMODULE module = LoadLibraryW(path);
  auto hook = module ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module, e2e::kWitnessHook)))
                     : nullptr;
  HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, threadId);
  if (!hook || !thread || !SetWindowsHookExW(WH_GETMESSAGE, hook, module, threadId)) return 1;
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, e2e::kWitnessReady);
  if (ready) SetEvent(ready);
  WaitForSingleObject(thread, INFINITE);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wcscmp(argv[1], L"memory") == 0) return Memory();
  if (argc == 3 && std::wcscmp(argv[1], L"witness") == 0) return Witness(std::wcstoul(argv[2], nullptr, 10));
  return 2;
}
