// Stands in for the saver at launch: a program with the same system modules
// that only records when its entry is reached. Its launch time is Wine's own
// start, which the saver's start-up figures leave out.
// usage: zindle_bench_stub.exe MAPPING [window] [hold]
#include <windows.h>
#include <gdiplus.h>

#include <cwchar>

// One function of each module the saver imports, so that the loader maps
// and initialises the same set.
static void* volatile g_imports[] = {
    reinterpret_cast<void*>(&GetDC), reinterpret_cast<void*>(&BitBlt), reinterpret_cast<void*>(&RegCloseKey),
    reinterpret_cast<void*>(&Gdiplus::GdiplusStartup)};

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
  LARGE_INTEGER entry;
  QueryPerformanceCounter(&entry);
  (void)g_imports;
  wchar_t name[128] = {};
  swscanf(arguments, L"%127ls", name);
  HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, name);
  if (!mapping) return 1;
  auto* slot = static_cast<LONGLONG*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 2 * sizeof(LONGLONG)));
  if (!slot) return 1;
  // The first window of a process: what the window system costs to start.
  if (wcsstr(arguments, L"window")) {
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    LARGE_INTEGER shown;
    QueryPerformanceCounter(&shown);
    slot[1] = shown.QuadPart;
  }
  slot[0] = entry.QuadPart;
  // Held open so that the bench can read the memory of a bare process.
  if (wcsstr(arguments, L"hold")) Sleep(10000);
  return 0;
}
