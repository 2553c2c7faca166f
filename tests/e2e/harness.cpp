#include "harness.h"

#include <cstdio>
#include <cstdlib>

namespace e2e {
namespace {

std::wstring Env(const wchar_t* name) {
  wchar_t buffer[4096];
  DWORD n = GetEnvironmentVariableW(name, buffer, 4096);
  return n > 0 && n < 4096 ? std::wstring(buffer, n) : std::wstring();
}

constexpr wchar_t kSettingsRoot[] = L"Software\\VB and VBA Program Settings";

}  // namespace

std::wstring ScrPath() { return Env(L"ZINDLE_SCR"); }

std::wstring TestModulePath(const wchar_t* name) {
  std::wstring dir = Env(L"ZINDLE_TEST_MODULES");
  if (dir.empty()) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    dir = self;
    dir.resize(dir.find_last_of(L'\\'));
  }
  return dir + L"\\" + name;
}

bool ProgramIs32Bit() {
  DWORD kind = 0;
  return GetBinaryTypeW(ScrPath().c_str(), &kind) && kind == SCS_32BIT_BINARY;
}

std::wstring ProgramSystemFolder() {
  wchar_t folder[MAX_PATH];
  UINT length = 0;
  // A 32-bit program on 64-bit Windows sees the 32-bit system folder there.
  if (ProgramIs32Bit()) length = GetSystemWow64DirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) length = GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder, length);
}

std::wstring ScratchDir() {
  std::wstring dir = Env(L"ZINDLE_SCRATCH");
  if (dir.empty()) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    dir = std::wstring(temp) + L"zindle-e2e";
  }
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

std::wstring ArtefactDir() {
  std::wstring dir = Env(L"ZINDLE_ARTEFACTS");
  if (dir.empty()) dir = ScratchDir() + L"\\artefacts";
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

Process::Process(const std::wstring& file, const std::wstring& arguments, const std::wstring& folder) {
  std::wstring line = L"\"" + file + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (CreateProcessW(file.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    CloseHandle(info.hThread);
    handle_ = info.hProcess;
    id_ = info.dwProcessId;
  }
}

Process::Process(Process&& other) noexcept { *this = std::move(other); }

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Kill();
    handle_ = other.handle_;
    id_ = other.id_;
    other.handle_ = nullptr;
    other.id_ = 0;
  }
  return *this;
}

bool Process::Running() const { return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }

bool Process::WaitForExit(DWORD milliseconds) const {
  if (!handle_) return true;
  return PollUntil([&] { return WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0; }, milliseconds);
}

DWORD Process::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (handle_) GetExitCodeProcess(handle_, &code);
  return code;
}

void Process::Kill() {
  if (!handle_) return;
  if (Running()) {
    TerminateProcess(handle_, 99);
    WaitForSingleObject(handle_, 5000);
  }
  CloseHandle(handle_);
  handle_ = nullptr;
  id_ = 0;
}

Process StartScr(const std::wstring& arguments) { return Process(ScrPath(), arguments); }
Process StartScrAt(const std::wstring& scrPath, const std::wstring& arguments, const std::wstring& folder) {
  return Process(scrPath, arguments, folder);
}

void PumpFor(DWORD milliseconds) {
  DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  } while (GetTickCount() - start < milliseconds);
}

bool PollUntil(const std::function<bool()>& condition, DWORD milliseconds) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= milliseconds) return condition();
    PumpFor(10);
  }
}

bool PaintOwnWindows(DWORD milliseconds) {
  return PollUntil([] { return (HIWORD(GetQueueStatus(QS_PAINT)) & QS_PAINT) == 0; }, milliseconds);
}

namespace {
struct WindowSearch {
  const std::wstring* caption;
  const std::wstring* className;
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  if (!IsWindowVisible(window)) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (search->processId && pid != search->processId) return TRUE;
  if (search->caption && WindowText(window) != *search->caption) return TRUE;
  if (search->className) {
    wchar_t name[256];
    GetClassNameW(window, name, 256);
    if (*search->className != name) return TRUE;
  }
  search->found = window;
  return FALSE;
}
}  // namespace

std::wstring WindowText(HWND window) {
  int n = GetWindowTextLengthW(window);
  std::wstring text(n + 1, L'\0');
  GetWindowTextW(window, text.data(), n + 1);
  text.resize(wcslen(text.c_str()));
  return text;
}

namespace {
BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}
}  // namespace

std::vector<HWND> TopWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> windows;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

HWND FindTopWindow(const std::wstring& caption, DWORD processId) {
  WindowSearch search{&caption, nullptr, processId, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(const std::wstring& caption, DWORD milliseconds, DWORD processId) {
  HWND found = nullptr;
  PollUntil([&] { return (found = FindTopWindow(caption, processId)) != nullptr; }, milliseconds);
  return found;
}

HWND FindWindowOfProcess(DWORD processId, const std::wstring& className) {
  WindowSearch search{nullptr, &className, processId, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

namespace settings {

static std::wstring SectionPath(const std::wstring& app, const std::wstring& section) {
  return std::wstring(kSettingsRoot) + L"\\" + app + L"\\" + section;
}

void ClearAll() {
  RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kSettingsRoot) + L"\\Korvane").c_str());
  RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kSettingsRoot) + L"\\Zindle!").c_str());
}

void Put(const std::wstring& app, const std::wstring& section, const std::wstring& key,
         const std::wstring& value) {
  PutRegistryString(SectionPath(app, section), key, value);
}

void Put(const std::wstring& key, const std::wstring& value) { Put(L"Korvane", L"Zindle!", key, value); }

std::optional<std::wstring> Get(const std::wstring& app, const std::wstring& section,
                                const std::wstring& key) {
  wchar_t buffer[4096];
  DWORD size = sizeof(buffer);
  if (RegGetValueW(HKEY_CURRENT_USER, SectionPath(app, section).c_str(), key.c_str(), RRF_RT_REG_SZ,
                   nullptr, buffer, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(buffer);
}

std::optional<std::wstring> Get(const std::wstring& key) { return Get(L"Korvane", L"Zindle!", key); }

bool SectionExists(const std::wstring& app, const std::wstring& section) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionPath(app, section).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

}  // namespace settings

void PutRegistryString(const std::wstring& path, const std::wstring& name, const std::wstring& value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), REG_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void PutRegistryDword(const std::wstring& path, const std::wstring& name, DWORD value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), REG_DWORD, &value, sizeof(value));
}

void DeleteRegistryValue(const std::wstring& path, const std::wstring& name) {
  RegDeleteKeyValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str());
}

size_t Image::CountDifferences(const Image& other) const {
  if (width != other.width || height != other.height) return pixels.size();
  size_t n = 0;
  for (size_t i = 0; i < pixels.size(); ++i) n += pixels[i] != other.pixels[i];
  return n;
}

void Image::SaveBmp(const std::wstring& path) const {
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = -height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  DWORD bytes = static_cast<DWORD>(pixels.size() * 4);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + bytes;
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (!out) return;
  fwrite(&file, sizeof(file), 1, out);
  fwrite(&info, sizeof(info), 1, out);
  fwrite(pixels.data(), 4, pixels.size(), out);
  fclose(out);
}

int ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

RECT VirtualScreen() {
  int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return RECT{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

namespace {
BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT r, LPARAM data) {
  auto* list = reinterpret_cast<std::vector<RECT>*>(data);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(monitor, &info);
  if (info.dwFlags & MONITORINFOF_PRIMARY)
    list->insert(list->begin(), *r);
  else
    list->push_back(*r);
  return TRUE;
}
}  // namespace

std::vector<RECT> Monitors() {
  std::vector<RECT> list;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
  return list;
}

Image KnownPicture(int width, int height) {
  Image image{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.pixels[static_cast<size_t>(y) * width + x] =
          Rgb((x * 7 + y) & 255, (y * 5 + (x >> 3)) & 255, ((x >> 2) ^ (y >> 1)) & 255);
  return image;
}

Image FilledPicture(int width, int height, uint32_t colour) {
  return Image{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, colour)};
}

namespace {

struct BackdropData {
  Image picture;
};

LRESULT CALLBACK BackdropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* data = reinterpret_cast<BackdropData*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (data) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = data->picture.width;
        info.bmiHeader.biHeight = -data->picture.height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        SetDIBitsToDevice(dc, 0, 0, data->picture.width, data->picture.height, 0, 0, 0,
                          data->picture.height, data->picture.pixels.data(), &info, DIB_RGB_COLORS);
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_NCDESTROY:
      delete data;
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

Backdrop::Backdrop(const Image& picture, POINT corner) {
  static ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = BackdropProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = L"ZindleTestBackdrop";
    return RegisterClassW(&wc);
  }();
  (void)atom;
  window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"ZindleTestBackdrop", L"Test desktop",
                            WS_POPUP, corner.x, corner.y, picture.width, picture.height, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new BackdropData{picture}));
  ShowWindow(window_, SW_SHOWNOACTIVATE);
  UpdateWindow(window_);
  // Shown when the screen holds the picture.
  RECT area{corner.x, corner.y, corner.x + picture.width, corner.y + picture.height};
  PollUntil([&] { return TakeScreenshot(area).CountDifferences(picture) == 0; }, 3000);
}

Backdrop::~Backdrop() {
  if (window_) DestroyWindow(window_);
  PumpFor(20);
}

static Image Capture(HDC source, int x, int y, int width, int height) {
  Image image{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(source);
  HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
  GdiFlush();
  const uint32_t* p = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = p[i] & 0x00FFFFFF;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return image;
}

Image TakeScreenshot() {
  HDC screen = GetDC(nullptr);
  Image image = Capture(screen, 0, 0, ScreenWidth(), ScreenHeight());
  ReleaseDC(nullptr, screen);
  return image;
}

Image TakeScreenshot(const RECT& area) {
  HDC screen = GetDC(nullptr);
  Image image = Capture(screen, area.left, area.top, area.right - area.left, area.bottom - area.top);
  ReleaseDC(nullptr, screen);
  return image;
}

Image TakeScreenshot(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  HDC screen = GetDC(nullptr);
  Image image = Capture(screen, origin.x, origin.y, client.right, client.bottom);
  ReleaseDC(nullptr, screen);
  return image;
}

HWND CreatePreviewArea(int left, int top, int width, int height) {
  static ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = CreateSolidBrush(RGB(255, 0, 255));
    wc.lpszClassName = L"ZindleTestPreviewArea";
    return RegisterClassW(&wc);
  }();
  (void)atom;
  HWND area = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"ZindleTestPreviewArea", L"", WS_POPUP | WS_VISIBLE,
                              left, top, width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  PollUntil([&] { return TakeScreenshot(area).At(width / 2, height / 2) == kPreviewAreaColour; }, 2000);
  return area;
}

bool DrawnOver(HWND area) {
  for (uint32_t p : TakeScreenshot(area).pixels)
    if (p == kPreviewAreaColour) return false;
  return true;
}

void KeepArtefact(const Image& image, const std::wstring& name) {
  image.SaveBmp(ArtefactDir() + L"\\" + name + L".bmp");
}

std::string OutputOf(const std::wstring& file, const std::wstring& arguments) {
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) return {};
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  std::wstring line = L"\"" + file + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write;
  startup.hStdError = write;
  PROCESS_INFORMATION info{};
  BOOL started = CreateProcessW(file.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
  CloseHandle(write);
  std::string output;
  if (started) {
    char buffer[256];
    DWORD came = 0;
    while (ReadFile(read, buffer, sizeof buffer, &came, nullptr) && came > 0) output.append(buffer, came);
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  CloseHandle(read);
  return output;
}

namespace {

InputWitness* g_witness = nullptr;  // the one that watches now, if any

// Sends the input and, while a witness watches, waits until the program has
// taken it; one that did not reach it in time is sent again, a few times.
void Deliver(const std::function<void()>& send, const std::function<bool(const WitnessEntry&)>& arrived) {
  if (!g_witness) return send();
  for (int attempt = 0; attempt < 4; ++attempt) {
    const uint32_t since = g_witness->Count();
    send();
    if (PollUntil([&] { return g_witness->Took(since, arrived) || !g_witness->Watching(); }, 1000)) {
      if (attempt > 0) printf("[ measure  ] an input sent again %d times reached the program\n", attempt);
      return;
    }
  }
  printf("[ measure  ] an input sent 4 times never reached the program\n");
}

// The probe of the kind of program that owns the window: a hook is loaded
// only into programs of its own kind. Beside that build's program when the
// suite names it, else among the stand-ins of the build under test.
std::wstring ProbeFor(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  BOOL wow64 = FALSE;
  if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)) {
    IsWow64Process(process, &wow64);
    CloseHandle(process);
  }
  std::wstring program = Env(wow64 ? L"ZINDLE_SCR32" : L"ZINDLE_SCR64");
  if (program.empty() || (wow64 != FALSE) == ProgramIs32Bit()) return TestModulePath(L"zindle_probe.exe");
  return program.substr(0, program.find_last_of(L'\\')) + L"\\tests\\e2e\\zindle_probe.exe";
}

bool IsMessage(const WitnessEntry& entry, std::initializer_list<UINT> messages) {
  for (UINT message : messages)
    if (entry.message == message) return true;
  return false;
}

}  // namespace

InputWitness::InputWitness(HWND window) : window_(window) {
  DWORD thread = GetWindowThreadProcessId(window, nullptr);
  memory_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(WitnessLog), kWitnessMemory);
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, kWitnessReady);
  if (memory_ && ready && thread) {
    auto* log = static_cast<WitnessLog*>(MapViewOfFile(memory_, FILE_MAP_WRITE, 0, 0, 0));
    if (log) {
      log->count = 0;
      probe_ = Process(ProbeFor(window), L"witness " + std::to_wstring(thread));
      if (probe_ && WaitForSingleObject(ready, 10000) == WAIT_OBJECT_0) {
        log_ = log;
        g_witness = this;
      } else {
        UnmapViewOfFile(log);
      }
    }
  }
  if (ready) CloseHandle(ready);
}

InputWitness::~InputWitness() {
  if (g_witness == this) g_witness = nullptr;
  probe_.Kill();
  if (log_) UnmapViewOfFile(log_);
  if (memory_) CloseHandle(memory_);
}

uint32_t InputWitness::Count() const { return log_ ? static_cast<uint32_t>(log_->count) : 0; }

bool InputWitness::Took(uint32_t since, const std::function<bool(const WitnessEntry&)>& fits) const {
  const uint32_t count = Count();
  if (count - since > WitnessLog::kEntries) since = count - WitnessLog::kEntries;
  for (uint32_t i = since; i != count; ++i)
    if (fits(log_->entries[i % WitnessLog::kEntries])) return true;
  return false;
}

bool InputWitness::Watching() const { return IsWindow(window_) && IsWindowVisible(window_); }

std::string InputWitness::Describe() const {
  std::string text;
  Took(0, [&](const WitnessEntry& e) {
    char entry[64];
    switch (e.message) {
      case WM_MOUSEMOVE: snprintf(entry, sizeof entry, "WM_MOUSEMOVE (%d, %d)", e.x, e.y); break;
      case WM_KEYDOWN: snprintf(entry, sizeof entry, "WM_KEYDOWN 0x%X", e.wParam); break;
      case WM_SYSKEYDOWN: snprintf(entry, sizeof entry, "WM_SYSKEYDOWN 0x%X", e.wParam); break;
      case WM_LBUTTONDOWN: snprintf(entry, sizeof entry, "WM_LBUTTONDOWN (%d, %d)", e.x, e.y); break;
      default: snprintf(entry, sizeof entry, "0x%X (%d, %d)", e.message, e.x, e.y); break;
    }
    text += (text.empty() ? "" : ", ") + std::string(entry);
    return false;
  });
  return text.empty() ? "nothing" : text;
}

void PressKey(WORD virtualKey) {
  INPUT input[2]{};
  input[0].type = INPUT_KEYBOARD;
  input[0].ki.wVk = virtualKey;
  input[1] = input[0];
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  Deliver([&] { SendInput(2, input, sizeof(INPUT)); }, [&](const WitnessEntry& e) {
    return IsMessage(e, {WM_KEYDOWN, WM_SYSKEYDOWN}) && e.wParam == virtualKey;
  });
}

namespace {

// A move of the pointer to (x, y) of the screen, sent in coordinates of the
// given rectangle (0 to 65535 across it).
void MovePointer(int x, int y, const RECT& across, DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>(((x - across.left) * 65535.0) / (across.right - across.left - 1) + 0.5);
  input.mi.dy = static_cast<LONG>(((y - across.top) * 65535.0) / (across.bottom - across.top - 1) + 0.5);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
  Deliver([&] { SendInput(1, &input, sizeof(INPUT)); }, [&](const WitnessEntry& e) {
    // Within a pixel: the place is sent as a fraction of the screen.
    return e.message == WM_MOUSEMOVE && std::abs(e.x - x) <= 1 && std::abs(e.y - y) <= 1;
  });
}

}  // namespace

void MoveMouseTo(int x, int y) { MovePointer(x, y, RECT{0, 0, ScreenWidth(), ScreenHeight()}, 0); }

void MoveMouseToScreen(int x, int y) { MovePointer(x, y, VirtualScreen(), MOUSEEVENTF_VIRTUALDESK); }

void ClickAt(int x, int y) {
  MoveMouseTo(x, y);
  PollUntil([&] {
    POINT p{};
    GetCursorPos(&p);
    return p.x == x && p.y == y;
  }, 1000);
  // The press and the release carry the place too: under X the pointer can
  // still be on its way from an earlier move when a bare press arrives.
  INPUT input[2]{};
  for (INPUT& event : input) {
    event.type = INPUT_MOUSE;
    event.mi.dx = static_cast<LONG>((x * 65535.0) / (ScreenWidth() - 1) + 0.5);
    event.mi.dy = static_cast<LONG>((y * 65535.0) / (ScreenHeight() - 1) + 0.5);
  }
  input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
  Deliver([&] { SendInput(2, input, sizeof(INPUT)); }, [](const WitnessEntry& e) { return e.message == WM_LBUTTONDOWN; });
}

void PressMouseButton() {
  INPUT input[2]{};
  input[0].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].type = INPUT_MOUSE;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  Deliver([&] { SendInput(2, input, sizeof(INPUT)); }, [](const WitnessEntry& e) { return e.message == WM_LBUTTONDOWN; });
}

}  // namespace e2e
