// Stands in for the saver at launch: a program with the same system modules
// that records when its entry is reached. Its launch time is Wine's own
// start, which the saver's start-up figures leave out. Asked to, it also
// shows a first window, or replays the saver's start-up step by step (same
// calls in the same order, inverted picture) and records when each step ends.
// usage: zindle_bench_stub.exe MAPPING [window | replica] [hold]
#include <windows.h>
#include <objbase.h>

#include <cwchar>

// One function of each module the saver imports, so that the loader maps
// and initialises the same set.
static void* volatile g_imports[] = {
    reinterpret_cast<void*>(&GetDC), reinterpret_cast<void*>(&BitBlt), reinterpret_cast<void*>(&RegCloseKey),
    reinterpret_cast<void*>(&CoInitializeEx)};

namespace {

// The shared record: [0] entry, [1] first window, [2..] the replica's steps.
constexpr int kSlots = 16;
LONGLONG* g_slot = nullptr;
int g_step = 2;

void Mark() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  if (g_step < kSlots) g_slot[g_step++] = now.QuadPart;
}

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

struct Dib {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  void* bits = nullptr;
  Dib(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, bitmap);
  }
};

Dib* g_pic = nullptr;
int g_width = 0, g_height = 0;

LRESULT CALLBACK ReplicaProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      const RECT& r = paint.rcPaint;
      BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, g_pic->dc, r.left, r.top, SRCCOPY);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The saver's start-up in desktop mode, inverted, up to its first frame.
void Replica() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ReplicaProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ZindleBenchReplica";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"Zindle! bench replica", WS_POPUP, 0, 0, 1, 1,
                                nullptr, nullptr, wc.hInstance, nullptr);
  Pump();
  Mark();  // 2: window created (the window system started)
  g_width = GetSystemMetrics(SM_CXSCREEN);
  g_height = GetSystemMetrics(SM_CYSCREEN);
  SetWindowPos(window, nullptr, 0, 0, g_width, g_height, SWP_NOZORDER | SWP_NOACTIVATE);
  Pump();
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_READ, &key) == ERROR_SUCCESS)
    RegCloseKey(key);
  Mark();  // 3: placed, topmost, registry read
  static Dib pic(g_width + 1, g_height + 1);
  g_pic = &pic;
  HDC screen = GetDC(GetDesktopWindow());
  BitBlt(pic.dc, 0, 0, g_width, g_height, screen, 0, 0, SRCCOPY);
  GdiFlush();
  ReleaseDC(GetDesktopWindow(), screen);
  Mark();  // 4: captured
  BitBlt(pic.dc, 0, 0, g_width, g_height, pic.dc, 0, 0, NOTSRCCOPY);
  GdiFlush();
  Mark();  // 5: inverted
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  Mark();  // 6: shown
  UpdateWindow(window);
  Mark();  // 7: painted
  Pump();
  Pump();
  Mark();  // 8: yielded (the frame handed to the window system)
  Sleep(3000);  // the frame stays while the bench looks at the screen
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
  LARGE_INTEGER entry;
  QueryPerformanceCounter(&entry);
  (void)g_imports;
  wchar_t name[128] = {};
  swscanf(arguments, L"%127ls", name);
  HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, name);
  if (!mapping) return 1;
  g_slot = static_cast<LONGLONG*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, kSlots * sizeof(LONGLONG)));
  if (!g_slot) return 1;
  if (wcsstr(arguments, L"replica")) {
    g_slot[0] = entry.QuadPart;
    Replica();
    return 0;
  }
  // The first window of a process: what the window system costs to start.
  if (wcsstr(arguments, L"window")) {
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    LARGE_INTEGER shown;
    QueryPerformanceCounter(&shown);
    g_slot[1] = shown.QuadPart;
  }
  g_slot[0] = entry.QuadPart;
  // Held open so that the bench can read the memory of a bare process.
  if (wcsstr(arguments, L"hold")) Sleep(10000);
  return 0;
}
