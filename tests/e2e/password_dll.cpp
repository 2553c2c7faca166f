// A stand-in for the system's password.cpl: the answer comes from the
// registry, and each call leaves a record of what the saver showed.
#include <windows.h>

namespace {

constexpr wchar_t kKey[] = L"Software\\ZindleTest\\Password";

DWORD ReadDword(HKEY key, const wchar_t* name, DWORD fallback) {
  DWORD value = fallback, size = sizeof(value);
  RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  return value;
}

void WriteDword(HKEY key, const wchar_t* name, DWORD value) {
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

}  // namespace

// "Answer" 1 accepts, anything else refuses. Records the pointer's display
// counter at the time ("Counter"), whether the owner is the saver's window
// ("OwnerIsSaver"), and then the count of calls ("Calls").
extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND owner) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return FALSE;
  DWORD answer = ReadDword(key, L"Answer", 0);
  ShowCursor(TRUE);
  int counter = ShowCursor(FALSE);
  WriteDword(key, L"Counter", static_cast<DWORD>(counter));
  wchar_t caption[64] = L"";
  GetWindowTextW(owner, caption, 64);
  WriteDword(key, L"OwnerIsSaver", lstrcmpW(caption, L"Zindle! Screen Saver") == 0);
  // Last, so that a test that sees the count rise finds the call's other records.
  WriteDword(key, L"Calls", ReadDword(key, L"Calls", 0) + 1);
  RegCloseKey(key);
  return answer == 1 ? 0x10000 | 1 : 0x10000;  // only the low 16 bits tell
}
