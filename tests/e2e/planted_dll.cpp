// A module planted under a system module's name (gdiplus.dll, mpr.dll, ...)
// where a web page could drop it: its code running at all is the harm, so
// loading it leaves a mark, its own file path, under the test's key.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(instance, path, MAX_PATH);
  DWORD one = 1;
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\ZindleTest\\Planted", path, REG_DWORD, &one, sizeof(one));
  return TRUE;
}
