#include "core/runtime_win32.h"

#include "core/handles_win32.h"
#include "saver/engine.h"
#include "settings/registry_store_win32.h"

namespace zindle {

void DoEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Leave the quit for the modal loop that owns it.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

namespace {

Pointer g_pointer = Pointer::Default;

HCURSOR CursorFor(Pointer pointer) {
  switch (pointer) {
    case Pointer::Busy: return LoadCursor(nullptr, IDC_WAIT);
    case Pointer::ArrowBusy: return LoadCursor(nullptr, IDC_APPSTARTING);
    case Pointer::Default: break;
  }
  return LoadCursor(nullptr, IDC_ARROW);
}

// Held for the life of the process; other instances see that it exists.
HANDLE g_instanceMutex = nullptr;
bool g_otherAtStart = false;
constexpr wchar_t kInstanceName[] = L"Local\\Korvane.Zindle!.Instance";

}  // namespace

void SetProgramPointer(Pointer pointer) {
  g_pointer = pointer;
  SetCursor(CursorFor(pointer));
}

bool ApplyProgramPointer() {
  if (g_pointer == Pointer::Default) return false;
  SetCursor(CursorFor(g_pointer));
  return true;
}

void RegisterInstance() {
  if (g_instanceMutex) return;
  g_instanceMutex = CreateMutexW(nullptr, FALSE, kInstanceName);
  g_otherAtStart = g_instanceMutex && GetLastError() == ERROR_ALREADY_EXISTS;
}

bool OtherInstanceRunning() {
  RegisterInstance();
  return g_otherAtStart;
}

void SeedRandomFromTimeOfDay() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  uint64_t seed = ((now.wHour * 60ull + now.wMinute) * 60ull + now.wSecond) * 1000ull + now.wMilliseconds;
  ProgramRandom().Seed(seed ^ (static_cast<uint64_t>(counter.QuadPart) << 20));
}

bool MessageBoxPrompt::AskYesNo(const std::string& text, const std::string& title) {
  return MessageBoxW(owner_, Wide(text).c_str(), Wide(title).c_str(),
                     MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON1 | MB_TASKMODAL) == IDYES;
}

namespace {

// Keeps the entries of the previous release for a later question.
class NoQuestion : public VersionPrompt {
 public:
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
};

}  // namespace

void LoadProgramSettings(HWND owner, VersionQuestion question) {
  RegistrySettingsStore store;
  MessageBoxPrompt prompt(owner);
  NoQuestion silent;
  LoadSettings(store, question == VersionQuestion::Ask ? static_cast<VersionPrompt&>(prompt) : silent, Saver());
}

}  // namespace zindle
