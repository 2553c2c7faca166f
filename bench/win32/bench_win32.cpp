// The Windows bench: the engine on real GDI surfaces, the parts of the
// saver's start-up, and the saver process itself (start-up to the first
// frame, exit latency, memory, CPU share), at the size of the screen it runs on.
// usage: zindle_bench.exe [--runs N] [--only SECTION]...   (ZINDLE_SCR names the program)
// Sections: engine, parts, startup, exit, memory, cpu, pictures.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <iterator>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/handles_win32.h"
#include "core/runtime_win32.h"
#include "harness.h"
#include "saver/audience_win32.h"
#include "saver/colour_analysis.h"
#include "saver/engine.h"
#include "saver/gdi_engine_win32.h"
#include "saver/saver_rules.h"
#include "settings/registry_store_win32.h"
#include "settings/settings_store.h"
#include "win32/measure_win32.h"
#include "win32/picture_bench_win32.h"

using namespace bench;

namespace {

constexpr wchar_t kCaption[] = L"Zindle! Screen Saver";
constexpr DWORD kDeadline = 15000;
int W = 0, H = 0;
int g_runs = 5;

double MiB(double bytes) { return bytes / (1024.0 * 1024.0); }
double ScreenBitmapBytes() { return 4.0 * W * H; }

// ---------------------------------------------------------------- pictures

e2e::Image Mirrored(const e2e::Image& picture, int flip) {
  e2e::Image out = picture;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      out.pixels[static_cast<size_t>(y) * picture.width + x] =
          picture.At(flip & 1 ? picture.width - 1 - x : x, flip & 2 ? picture.height - 1 - y : y);
  return out;
}

e2e::Image Inverse(e2e::Image picture) {
  for (uint32_t& p : picture.pixels) p ^= 0x00FFFFFF;
  return picture;
}

// What the intelligent test decides on this picture: the program's own
// analysis, read in memory like the saver reads its captured picture.
bool AnalysisInverts(const e2e::Image& picture, int16_t level, int16_t threshold) {
  zindle::DibPixelReader reader(picture.pixels.data(), picture.width, picture.height);
  return zindle::AnalyseColours(reader, W, H, level, threshold).Inverts();
}

// A few points spread over the screen, read one pixel at a time: cheap enough
// to poll every millisecond even on a large screen.
std::vector<POINT> SamplePoints() {
  std::vector<POINT> points;
  for (int i : {1, 3, 5, 7})
    for (int j : {1, 3, 5}) points.push_back(POINT{W * i / 8, H * j / 6});
  return points;
}

bool ScreenShowsAtSamples(const e2e::Image& expected) {
  static const std::vector<POINT> points = SamplePoints();
  HDC screen = GetDC(nullptr);
  bool all = true;
  for (POINT p : points) {
    COLORREF c = GetPixel(screen, p.x, p.y);
    uint32_t rgb = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    if (c == CLR_INVALID || rgb != expected.At(p.x, p.y)) {
      all = false;
      break;
    }
  }
  ReleaseDC(nullptr, screen);
  return all;
}

void PumpOnce() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Polls every millisecond or so; the time when it first held, or -1.
template <typename Condition>
double PollTime(Condition&& condition, double deadlineMs) {
  double start = NowMs();
  for (;;) {
    if (condition()) return NowMs();
    if (NowMs() - start > deadlineMs) return -1;
    PumpOnce();
    Sleep(1);
  }
}

// ---------------------------------------------------------------- a window like the saver's

double g_keyDownAt = 0;  // when the bench's own window last saw a key

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      g_keyDownAt = NowMs();
      return 0;
    case WM_PAINT:
      ValidateRect(window, nullptr);
      return 0;
    case WM_ERASEBKGND:
      return 1;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateScreenWindow() {
  static ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = PlainWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZindleBenchSurface";
    return RegisterClassW(&wc);
  }();
  (void)atom;
  HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"ZindleBenchSurface", L"Bench surface",
                                WS_POPUP, 0, 0, W, H, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  PumpOnce();
  return window;
}

void DrawPicture(HDC dc, const e2e::Image& picture) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  SetDIBitsToDevice(dc, 0, 0, picture.width, picture.height, 0, 0, 0, picture.height, picture.pixels.data(),
                    &info, DIB_RGB_COLORS);
}

// ---------------------------------------------------------------- engine on GDI

// The program's GDI platform, counting what the engine asks of it; the
// window stays "visible" for a fixed time.
class CountingPlatform : public zindle::EnginePlatform {
 public:
  // With throttle, a yield looks at the queue at most once per millisecond:
  // the change proposed for the engine's yields, measured here.
  // With frames, rests of a frame wait on the program's frame timer.
  CountingPlatform(HWND window, double forMs, double throttleMs = 0, int frames = 0)
      : gdi_(window, frames), forMs_(forMs), throttleMs_(throttleMs) {}
  void Copy(zindle::Surface& to, int32_t x, int32_t y, int32_t w, int32_t h, zindle::Surface& from, int32_t sx,
            int32_t sy) override {
    if (w > 0 && h > 0) moved += static_cast<int64_t>(w) * h;
    ++copies;
    gdi_.Copy(to, x, y, w, h, from, sx, sy);
  }
  void DoEvents() override {
    if (throttleMs_ > 0) {
      double now = NowMs();
      if (now - lastYield_ < throttleMs_) return;
      lastYield_ = now;
    }
    gdi_.DoEvents();
  }
  int64_t Now() override { return gdi_.Now(); }
  zindle::RestEnded RestUntil(int64_t until) override { return gdi_.RestUntil(until); }
  zindle::RestEnded RestUntilRefresh(int64_t frame) override { return gdi_.RestUntilRefresh(frame); }
  void RestUntilMessage() override { gdi_.RestUntilMessage(); }
  bool WindowVisible() override {
    if (passes++ == 0) start_ = NowMs();
    return gdi_.WindowVisible() && NowMs() - start_ < forMs_;
  }
  int64_t passes = 0;  // looks at the window: one a pass, or one a frame when grouped
  int64_t copies = 0;
  int64_t moved = 0;

 private:
  zindle::GdiEnginePlatform gdi_;
  double forMs_;
  double throttleMs_;
  double start_ = 0;
  double lastYield_ = 0;
};

// The engine running on the window while a key is pressed: how long the key
// takes to reach the window's handler, inside one of the engine's yields,
// with the screen updates of the engine in the way.
class KeyPlatform : public CountingPlatform {
 public:
  KeyPlatform(HWND window, double throttleMs, int frames) : CountingPlatform(window, 5000, throttleMs, frames) {}
  bool WindowVisible() override {
    bool more = CountingPlatform::WindowVisible();
    double now = NowMs();
    if (start_ == 0) start_ = now;
    if (sentAt == 0 && now - start_ > 200) {
      g_keyDownAt = 0;
      sentAt = NowMs();
      e2e::PressKey(VK_SPACE);
    }
    return more && (sentAt == 0 || g_keyDownAt == 0);
  }
  double sentAt = 0;

 private:
  double start_ = 0;
};

Summary KeyLatency(HWND window, HDC windowDc, double throttleMs, int runs, double pace = 0, int frames = 0) {
  zindle::SaverState state;
  state.ImageWidth = static_cast<int16_t>(W);
  state.ImageHeight = static_cast<int16_t>(H);
  state.Horizontal = 1;
  state.Vertical = 1;
  std::vector<double> latencies;
  for (int run = 0; run < runs; ++run) {
    SetForegroundWindow(window);
    SetFocus(window);
    zindle::DcSurface surface(windowDc);
    KeyPlatform platform(window, throttleMs, pace > 0 ? frames : 0);
    zindle::Generator random(run + 1);
    zindle::EngineRun paced;
    paced.passesPerSecond = pace;
    paced.framesPerSecond = frames;
    zindle::ZindleLoop(surface, surface, platform, nullptr, state, random, paced);
    if (platform.sentAt > 0 && g_keyDownAt > 0) latencies.push_back(g_keyDownAt - platform.sentAt);
  }
  return Summarise(latencies);
}

struct EngineFigures {
  double passMs = 0, copiesMs = 0, fullCopyMs = 0;
  int64_t passes = 0;
  double framesPerSecond = 0;  // the engine's own count of the frames that drew
  double pixelsPerSecond = 0;
};

// One run of the engine for a while, then the same blocks copied back to
// back with nothing else, then whole-surface copies on the same surfaces.
EngineFigures MeasureEngine(HWND window, HDC windowDc, HDC work, double forMs, double throttleMs = 0,
                            double pace = 0, int width = W, int height = H, int frames = 0) {
  zindle::SaverState state;
  state.ImageWidth = static_cast<int16_t>(width);
  state.ImageHeight = static_cast<int16_t>(height);
  state.Horizontal = 1;  // the settings' defaults
  state.Vertical = 1;
  zindle::DcSurface windowSurface(windowDc), workSurface(work);
  zindle::Surface& source = work ? static_cast<zindle::Surface&>(workSurface) : windowSurface;
  CountingPlatform platform(window, forMs, throttleMs, pace > 0 ? frames : 0);
  zindle::Generator random(7);
  zindle::EngineRun paced;
  paced.passesPerSecond = pace;
  paced.framesPerSecond = frames;
  zindle::RunCounts counts;
  paced.counts = &counts;
  double start = NowMs();
  zindle::ZindleLoop(source, windowSurface, platform, work ? &workSurface : nullptr, state, random, paced);
  GdiFlush();
  double elapsed = NowMs() - start;

  EngineFigures f;
  // Grouped by frame the window is looked at once a frame; on the window
  // surface every pass is one copy, after the first copy of the whole.
  f.passes = frames > 0 && !work ? platform.copies - 1 : platform.passes;
  f.passMs = elapsed / static_cast<double>(f.passes);
  f.framesPerSecond = static_cast<double>(counts.frames) / (elapsed / 1000.0);
  f.pixelsPerSecond = platform.moved / (elapsed / 1000.0);

  zindle::Generator replay(7);
  std::vector<zindle::PassPlan> plans;
  plans.reserve(static_cast<size_t>(f.passes));
  for (int64_t i = 0; i < f.passes; ++i) plans.push_back(zindle::PlanPass(state, replay));
  HDC from = work ? work : windowDc;
  start = NowMs();
  for (const zindle::PassPlan& p : plans) {
    if (p.w > 0 && p.h > 0) BitBlt(work ? work : windowDc, p.x, p.y, p.w, p.h, from, p.sx, p.sy, SRCCOPY);
    if (work) BitBlt(windowDc, 0, 0, width, height, work, 0, 0, SRCCOPY);
  }
  GdiFlush();
  zindle::DoEvents();
  f.copiesMs = (NowMs() - start) / static_cast<double>(plans.size());

  // Shifted by a pixel on the window surface: a copy of a surface onto
  // itself at the same place is a no-op to GDI.
  int shift = work ? 0 : 1;
  f.fullCopyMs = TimePerCall([&] { BitBlt(windowDc, 0, 0, width, height, from, shift, 0, SRCCOPY); }, 500, 3);
  return f;
}

// The miniature as the preview draws it: a 152 x 112 window, every block on
// a picture one pixel larger that is then copied whole, at the preview's pace.
void PreviewPaceFigures() {
  const int w = 152, h = 112;
  HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, w, h,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  PumpOnce();
  {
    zindle::WindowDC dc(window);
    zindle::MemoryBitmap work(dc.get(), w + 1, h + 1);
    DrawPicture(work.dc(), e2e::KnownPicture(w + 1, h + 1));
    double target = zindle::kPreviewPassesPerSecond;
    EngineFigures f = MeasureEngine(window, dc.get(), work.dc(), 5000, 0, target, w, h);
    Figure("engine", "preview 152 x 112 at its pace: passes (target " + std::to_string(int(target)) + ")",
           1000.0 / f.passMs, "passes/s");
  }
  DestroyWindow(window);
  PumpOnce();
}

void EngineSection() {
  const char* s = "engine";
  e2e::Image picture = e2e::KnownPicture(W, H);
  HWND window = CreateScreenWindow();
  {
    zindle::WindowDC dc(window);
    DrawPicture(dc.get(), picture);
    PumpOnce();

    double doEvents = TimePerCall([] { zindle::DoEvents(); }, 300, 100);
    Figure(s, "yield (DoEvents, empty queue)", doEvents * 1000, "us/call");
    MSG message;
    Figure(s, "PeekMessage(PM_NOREMOVE) alone",
           TimePerCall([&] { PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); }, 200, 100) * 1000, "us/call");
    Figure(s, "GetQueueStatus(QS_ALLINPUT)", TimePerCall([] { GetQueueStatus(QS_ALLINPUT); }, 200, 100) * 1000,
           "us/call");
    Figure(s, "GetInputState", TimePerCall([] { GetInputState(); }, 200, 100) * 1000, "us/call");
    Figure(s, "MsgWaitForMultipleObjectsEx(0 ms, QS_ALLINPUT)", TimePerCall([] {
             MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
           }, 200, 100) * 1000, "us/call");
    DWORD last = 0;
    Figure(s, "yield at most once per tick of GetTickCount", TimePerCall([&] {
             DWORD now = GetTickCount();
             if (now != last) {
               last = now;
               zindle::DoEvents();
             }
           }, 200, 100) * 1000, "us/call");
    double visible = TimePerCall([&] { IsWindowVisible(window); }, 200, 100);
    Figure(s, "IsWindowVisible", visible * 1000, "us/call");

    // The saver's case: the window's surface is source and target.
    EngineFigures f = MeasureEngine(window, dc.get(), nullptr, 1500);
    Figure(s, "window surface: passes", 1000.0 / f.passMs, "passes/s");
    Figure(s, "window surface: time per pass", f.passMs * 1000, "us");
    Figure(s, "window surface: pixels moved", f.pixelsPerSecond / 1e6, "Mpixel/s");
    Figure(s, "window surface: the same blocks copied alone", f.copiesMs * 1000, "us/pass");
    Figure(s, "window surface: pass / its block copies", f.passMs / f.copiesMs, "x");
    Figure(s, "window surface: one full-screen BitBlt (1 px shift)", f.fullCopyMs * 1000, "us");
    Figure(s, "window surface: full-screen BitBlt rate", W * static_cast<double>(H) / f.fullCopyMs / 1000,
           "Mpixel/s");
    Figure(s, "window surface: pass / one full-screen BitBlt", f.passMs / f.fullCopyMs, "x");
    for (double every : {1.0, 16.0}) {
      f = MeasureEngine(window, dc.get(), nullptr, 1500, every);
      std::string how = "window surface, yields at most every " + std::to_string(int(every)) + " ms: ";
      Figure(s, how + "passes", 1000.0 / f.passMs, "passes/s");
      Figure(s, how + "pass / its block copies", f.passMs / f.copiesMs, "x");
    }

    for (double every : {0.0, 1.0, 16.0}) {
      std::string how = every == 0 ? std::string("every yield") : "yields at most every " + std::to_string(int(every)) + " ms";
      Figure(s, "key press -> the window's key handler, engine running, " + how,
             KeyLatency(window, dc.get(), every, std::max(5, g_runs)), "ms");
    }

    // The saver as it runs: at its pace, resting between passes.
    double target = zindle::kSaverPassesPerSecond;
    f = MeasureEngine(window, dc.get(), nullptr, 5000, 0, target);
    Figure(s, "window surface at the saver's pace: passes (target " + std::to_string(int(target)) + ")",
           1000.0 / f.passMs, "passes/s");
    Figure(s, "window surface at the saver's pace: share of the target", 100 * 1000.0 / f.passMs / target, "%");
    Figure(s, "key press -> the window's key handler, engine at the saver's pace",
           KeyLatency(window, dc.get(), 0, std::max(5, g_runs), target), "ms");
    // As the saver runs it: grouped by the display's frames.
    const int frames = zindle::DisplayFramesPerSecond();
    Note(s, "the display's frames a second: " + std::to_string(frames));
    f = MeasureEngine(window, dc.get(), nullptr, 5000, 0, target, W, H, frames);
    Figure(s, "window surface at the saver's pace, grouped by frame: passes", 1000.0 / f.passMs, "passes/s");
    Figure(s, "window surface at the saver's pace, grouped by frame: frames drawn", f.framesPerSecond, "frames/s");
    Figure(s, "key press -> the window's key handler, engine grouped by frame",
           KeyLatency(window, dc.get(), 0, std::max(5, g_runs), target, frames), "ms");

    // The preview's case: source and work a memory bitmap like the preview
    // image, the target the window.
    zindle::MemoryBitmap work(dc.get(), W + 1, H + 1);
    DrawPicture(work.dc(), picture);
    f = MeasureEngine(window, dc.get(), work.dc(), 1500);
    Figure(s, "work surface: passes", 1000.0 / f.passMs, "passes/s");
    Figure(s, "work surface: time per pass", f.passMs * 1000, "us");
    Figure(s, "work surface: pixels moved (block + full copy)", f.pixelsPerSecond / 1e6, "Mpixel/s");
    Figure(s, "work surface: the same copies alone", f.copiesMs * 1000, "us/pass");
    Figure(s, "work surface: pass / its block copies", f.passMs / f.copiesMs, "x");
    Figure(s, "work surface: one full-screen BitBlt work->window", f.fullCopyMs * 1000, "us");
    Figure(s, "work surface: pass / one full-screen BitBlt", f.passMs / f.fullCopyMs, "x");
    for (double every : {1.0, 16.0}) {
      f = MeasureEngine(window, dc.get(), work.dc(), 1500, every);
      std::string how = "work surface, yields at most every " + std::to_string(int(every)) + " ms: ";
      Figure(s, how + "passes", 1000.0 / f.passMs, "passes/s");
      Figure(s, how + "pass / its block copies", f.passMs / f.copiesMs, "x");
    }
  }
  DestroyWindow(window);
  PumpOnce();
  PreviewPaceFigures();
}

// ---------------------------------------------------------------- parts of the start-up

class GdiPixelReader : public zindle::PixelReader {
 public:
  explicit GdiPixelReader(HDC dc) : dc_(dc) {}
  int32_t PackedPixel(int32_t x, int32_t y) const override { return static_cast<int32_t>(GetPixel(dc_, x, y)); }

 private:
  HDC dc_;
};

template <typename Fn>
Summary Repeat(int runs, Fn&& fn) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    double start = NowMs();
    fn();
    times.push_back(NowMs() - start);
  }
  return Summarise(times);
}

void PartsSection() {
  const char* s = "parts";
  e2e::Image picture = e2e::KnownPicture(W, H);
  e2e::Backdrop backdrop(picture);
  int runs = std::max(5, g_runs);

  Figure(s, "one screen-sized 32-bit bitmap", MiB(ScreenBitmapBytes()), "MiB");
  Figure(s, "allocate Pic (DIB section W+1 x H+1)",
         Repeat(runs, [] { zindle::MemoryBitmap pic = zindle::MemoryBitmap::Dib(W + 1, H + 1); }), "ms");
  zindle::MemoryBitmap pic = zindle::MemoryBitmap::Dib(W + 1, H + 1);
  Figure(s, "capture: BitBlt screen -> Pic", Repeat(runs, [&] {
           zindle::WindowDC screen(GetDesktopWindow());
           BitBlt(pic.dc(), 0, 0, W, H, screen.get(), 0, 0, SRCCOPY);
           GdiFlush();
         }), "ms");
  Figure(s, "capture mirrored (flip 3): StretchBlt screen -> Pic", Repeat(runs, [&] {
           zindle::WindowDC screen(GetDesktopWindow());
           SetStretchBltMode(pic.dc(), COLORONCOLOR);
           StretchBlt(pic.dc(), W - 1, H - 1, -W, -H, screen.get(), 0, 0, W, H, SRCCOPY);
           GdiFlush();
         }), "ms");
  // Mirroring the captured picture in memory instead, both ways.
  Figure(s, "mirror in memory (flip 3) after a plain capture", Repeat(runs, [&] {
           GdiFlush();
           zindle::MirrorInPlace(pic.bits(), pic.width(), W, H, 3);
         }), "ms");
  Figure(s, "invert in place: NOTSRCCOPY Pic -> Pic", Repeat(runs, [&] {
           BitBlt(pic.dc(), 0, 0, W, H, pic.dc(), 0, 0, NOTSRCCOPY);
           GdiFlush();
         }), "ms");
  Figure(s, "stored window image: DIB W x H + FillRect", Repeat(runs, [] {
           zindle::MemoryBitmap image = zindle::MemoryBitmap::Dib(W, H);
           RECT all{0, 0, W, H};
           FillRect(image.dc(), &all, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
         }), "ms");

  // The analysis on the captured picture, as the saver does it.
  {
    zindle::WindowDC screen(GetDesktopWindow());
    BitBlt(pic.dc(), 0, 0, W, H, screen.get(), 0, 0, SRCCOPY);
    GdiFlush();
  }
  zindle::DibPixelReader reader(pic.bits(), pic.width(), pic.height());
  for (int16_t level : {int16_t(1), int16_t(10)}) {
    Figure(s, "analysis, pixels read in memory, Level " + std::to_string(level),
           Repeat(std::max(15, runs), [&] { zindle::AnalyseColours(reader, W, H, level, 2); }), "ms");
  }
  // The same grid read with one GetPixel per sample, the classic way.
  GdiPixelReader gdiReader(pic.dc());
  for (int16_t level : {int16_t(1), int16_t(10)}) {
    Figure(s, "analysis, one GetPixel per sample, Level " + std::to_string(level),
           Repeat(level == 1 ? 1 : 5, [&] { zindle::AnalyseColours(gdiReader, W, H, level, 2); }), "ms");
  }
  zindle::RegistrySettingsStore store;
  Figure(s, "analysis' \"Debug\" setting read (registry)", Repeat(runs, [&] {
           zindle::GetSetting(store, zindle::kApplication, zindle::kSection, "Debug", "0");
         }), "ms");

  HWND window = nullptr;
  Figure(s, "create + show a full-screen topmost window", Repeat(1, [&] { window = CreateScreenWindow(); }),
         "ms");
  {
    zindle::WindowDC dc(window);
    Figure(s, "first paint: BitBlt Pic -> window + yield", Repeat(runs, [&] {
             BitBlt(dc.get(), 0, 0, W, H, pic.dc(), 0, 0, SRCCOPY);
             zindle::DoEvents();
           }), "ms");
  }
  DestroyWindow(window);
  PumpOnce();
}

// ---------------------------------------------------------------- the saver process

std::wstring BesideBench(const wchar_t* name) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self);
  return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

// Launch to entry of a program with the saver's system modules: Wine's own
// part of every launch. The program writes performance-counter times into
// shared memory: [0] its entry, [1] its first window, [2..] replica steps.
constexpr int kStubSlots = 16;
constexpr wchar_t kStubMapping[] = L"Local\\ZindleBenchEntry";

class StubRecord {
 public:
  StubRecord() {
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kStubSlots * sizeof(LONGLONG),
                                  kStubMapping);
    slot = static_cast<volatile LONGLONG*>(
        MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, kStubSlots * sizeof(LONGLONG)));
    for (int i = 0; i < kStubSlots; ++i) slot[i] = 0;
  }
  ~StubRecord() {
    UnmapViewOfFile(const_cast<LONGLONG*>(slot));
    CloseHandle(mapping_);
  }
  StubRecord(const StubRecord&) = delete;
  StubRecord& operator=(const StubRecord&) = delete;
  volatile LONGLONG* slot;

 private:
  HANDLE mapping_;
};

e2e::Process StartStub(const std::wstring& mode) {
  return e2e::Process(BesideBench(L"zindle_bench_stub.exe"), std::wstring(kStubMapping) + L" " + mode);
}

struct StubLaunch {
  double entryMs = -1;
  double windowMs = -1;  // entry to its first window shown
  e2e::Process process;
};

StubLaunch LaunchStub(bool hold, bool window = false) {
  StubRecord record;
  StubLaunch launch;
  double start = NowMs();
  launch.process = StartStub(std::wstring(window ? L"window" : L"") + (hold ? L" hold" : L""));
  if (PollTime([&] { return record.slot[0] != 0 || !launch.process.Running(); }, 10000) > 0 && record.slot[0] != 0) {
    launch.entryMs = CounterToMs(record.slot[0]) - start;
    if (record.slot[1]) launch.windowMs = CounterToMs(record.slot[1] - record.slot[0]);
  }
  return launch;
}

// Under Wine every process is a Unix process too, and /proc (on Z:) tells
// its CPU time and peak memory exactly. Processes of this run are told
// apart from other Wine runs on the machine by their WINEPREFIX.
std::string ReadWholeFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            0, nullptr);
  std::string text;
  if (file == INVALID_HANDLE_VALUE) return text;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &n, nullptr) && n > 0) text.append(buffer, n);
  CloseHandle(file);
  return text;
}

// Every process of this run, with its command's name.
std::vector<std::pair<int, std::string>> UnixProcessesOfThisRun() {
  std::vector<std::pair<int, std::string>> found;
  char prefix[1024] = {};
  if (!GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof(prefix))) return found;
  std::string marker = std::string("WINEPREFIX=") + prefix + '\0';
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &entry);
  if (search == INVALID_HANDLE_VALUE) return found;
  do {
    std::wstring name = entry.cFileName;
    if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
    std::wstring dir = L"Z:\\proc\\" + name + L"\\";
    if (ReadWholeFile(dir + L"environ").find(marker) == std::string::npos) continue;
    std::string comm = ReadWholeFile(dir + L"comm");
    while (!comm.empty() && (comm.back() == '\n' || comm.back() == '\r')) comm.pop_back();
    found.emplace_back(_wtoi(name.c_str()), comm);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return found;
}

std::vector<int> UnixProcessesOfThisRun(const std::string& command) {
  std::vector<int> found;
  for (const auto& [pid, comm] : UnixProcessesOfThisRun())
    if (comm == command) found.push_back(pid);
  return found;
}

// The peak resident size (VmHWM) in bytes.
double UnixPeakResident(int pid) {
  std::string status = ReadWholeFile(L"Z:\\proc\\" + std::to_wstring(pid) + L"\\status");
  size_t at = status.find("VmHWM:");
  return at == std::string::npos ? -1 : std::atof(status.c_str() + at + 6) * 1024.0;
}

// What the threads of a Unix process have used: processor time (the
// scheduler's own count, in nanoseconds, finer than the clock ticks of
// `stat`), and context switches, voluntary ones being wakes from a wait.
struct TaskTotals {
  double cpuMs = 0, wakes = 0, switches = 0;
  TaskTotals& operator+=(const TaskTotals& other) {
    cpuMs += other.cpuMs, wakes += other.wakes, switches += other.switches;
    return *this;
  }
};

double FieldAfter(const std::string& text, const char* name) {
  size_t at = text.find(name);
  return at == std::string::npos ? 0 : std::atof(text.c_str() + at + std::strlen(name));
}

TaskTotals UnixTasks(int pid) {
  TaskTotals totals;
  const std::wstring tasks = L"Z:\\proc\\" + std::to_wstring(pid) + L"\\task\\";
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((tasks + L"*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return totals;
  do {
    std::wstring name = entry.cFileName;
    if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
    std::string status = ReadWholeFile(tasks + name + L"\\status");
    double voluntary = FieldAfter(status, "\nvoluntary_ctxt_switches:");
    totals.wakes += voluntary;
    totals.switches += voluntary + FieldAfter(status, "\nnonvoluntary_ctxt_switches:");
    totals.cpuMs += std::atof(ReadWholeFile(tasks + name + L"\\schedstat").c_str()) / 1e6;
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return totals;
}

TaskTotals UnixTasks(const std::vector<int>& pids) {
  TaskTotals totals;
  for (int pid : pids) totals += UnixTasks(pid);
  return totals;
}

std::string LoadAverage() {
  std::string text = ReadWholeFile(L"Z:\\proc\\loadavg");
  size_t end = 0;
  for (int fields = 0; fields < 3 && end != std::string::npos; ++fields) end = text.find(' ', end + 1);
  return text.substr(0, end);
}

// The counts the program keeps as it draws (ZindleRunCounts, exported by
// name), read from the saver's memory: nothing is asked of the saver.
class RunCountsOf {
 public:
  explicit RunCountsOf(const e2e::Process& saver)
      : process_(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, saver.Id())) {
    HMODULE image = nullptr;
    DWORD needed = 0;
    if (!process_ || !EnumProcessModules(process_, &image, sizeof(image), &needed) || !image) return;
    const BYTE* base = reinterpret_cast<const BYTE*>(image);
    IMAGE_DOS_HEADER dos{};
    IMAGE_NT_HEADERS nt{};
    IMAGE_EXPORT_DIRECTORY exports{};
    if (!Read(base, &dos) || !Read(base + dos.e_lfanew, &nt)) return;
    const IMAGE_DATA_DIRECTORY& directory = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (!directory.VirtualAddress || !Read(base + directory.VirtualAddress, &exports)) return;
    for (DWORD i = 0; i < exports.NumberOfNames; ++i) {
      DWORD nameAt = 0;
      WORD ordinal = 0;
      DWORD functionAt = 0;
      char name[32] = {};
      if (!Read(base + exports.AddressOfNames + 4 * i, &nameAt) || !Read(base + nameAt, &name)) continue;
      if (std::strncmp(name, "ZindleRunCounts", sizeof(name)) != 0) continue;
      if (Read(base + exports.AddressOfNameOrdinals + 2 * i, &ordinal) &&
          Read(base + exports.AddressOfFunctions + 4 * ordinal, &functionAt))
        counts_ = base + functionAt;
    }
  }
  ~RunCountsOf() {
    if (process_) CloseHandle(process_);
  }
  RunCountsOf(const RunCountsOf&) = delete;
  RunCountsOf& operator=(const RunCountsOf&) = delete;
  bool Get(zindle::RunCounts* counts) const { return counts_ && Read(counts_, counts); }

 private:
  template <typename T>
  bool Read(const BYTE* at, T* value) const {
    SIZE_T read = 0;
    return ReadProcessMemory(process_, at, value, sizeof(T), &read) && read == sizeof(T);
  }
  HANDLE process_;
  const BYTE* counts_ = nullptr;
};

struct ProcessMemory {
  double peakWorkingSet = 0, peakPrivate = 0, workingSet = 0;
};

ProcessMemory MemoryOf(const e2e::Process& process) {
  ProcessMemory m;
  HANDLE handle = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process.Id());
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  if (handle && GetProcessMemoryInfo(handle, &counters, sizeof(counters))) {
    m.peakWorkingSet = static_cast<double>(counters.PeakWorkingSetSize);
    m.peakPrivate = static_cast<double>(counters.PeakPagefileUsage);
    m.workingSet = static_cast<double>(counters.WorkingSetSize);
  }
  if (handle) CloseHandle(handle);
  return m;
}

using Settings = std::vector<std::pair<std::wstring, std::wstring>>;

void PutSettings(const Settings& values) {
  e2e::settings::ClearAll();
  for (const auto& [key, value] : values) e2e::settings::Put(key, value);
}

bool ParkPointer() {
  e2e::MoveMouseTo(0, 0);
  return e2e::PollUntil([] {
    POINT p{};
    GetCursorPos(&p);
    return p.x == 0 && p.y == 0;
  }, 2000);
}

struct StartCase {
  const char* name;
  Settings settings;
  int flip;
  bool invert;
};

// Launch to the saver's window and to its first frame on the screen. The
// bench's own full-screen window shows the desktop the saver captures and is
// hidden as soon as the saver's window shows. Where the first frame differs
// from the desktop (flips, inversion) the poll waits for exactly that
// picture. In Normal mode the frame looks like the desktop, and X may keep
// the desktop's pixels under the new window until the saver paints: that
// figure is a lower bound (see docs/performance.md).
void StartupSection(double wineStartMs) {
  const char* s = "startup";
  e2e::Image known = e2e::KnownPicture(W, H);
  // The intelligent case with a threshold at which the analysis inverts the
  // test desktop: the longest path, and a first frame that can be told from
  // the desktop on the screen.
  int16_t threshold = 0;
  while (threshold < 4 && !AnalysisInverts(known, 1, threshold)) ++threshold;
  bool intelligentInverts = AnalysisInverts(known, 1, threshold);
  Note(s, "Intelligent: Level 1, threshold row " + std::to_string(threshold) + ", at which the analysis " +
              (intelligentInverts ? "inverts" : "keeps") + " the test desktop");
  std::vector<StartCase> cases = {
      {"Normal (lower bound)", {{L"Invert", L"0"}}, 0, false},
      {"Normal, flip 1 (left-right)", {{L"Invert", L"0"}, {L"FlipHoriz", L"1"}}, 1, false},
      {"Normal, flip 2 (top-bottom)", {{L"Invert", L"0"}, {L"FlipVert", L"1"}}, 2, false},
      {"Normal, flip 3 (both)", {{L"Invert", L"0"}, {L"FlipHoriz", L"1"}, {L"FlipVert", L"1"}}, 3, false},
      {"Inverted", {{L"Invert", L"1"}}, 0, true},
      {"Intelligent, Level 1",
       {{L"Invert", L"3"}, {L"Level", L"1"}, {L"Threshold", std::to_wstring(threshold)}},
       0,
       intelligentInverts},
  };
  e2e::Backdrop backdrop(known);
  for (StartCase& c : cases) {
    // A second's pause before the first displaced block keeps the first
    // frame on the screen long enough to be seen whole.
    c.settings.push_back({L"Slow", L"1000"});
    PutSettings(c.settings);
    e2e::Image expected = Mirrored(known, c.flip);
    if (c.invert) expected = Inverse(expected);
    std::vector<double> toWindow, toFrame, fromEntry;
    ProcessMemory memory;
    for (int run = 0; run < g_runs; ++run) {
      ShowWindow(backdrop.window(), SW_SHOWNOACTIVATE);
      SetWindowPos(backdrop.window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      if (PollTime([&] { return ScreenShowsAtSamples(known); }, 5000) < 0) {
        Note(s, "the test desktop did not come back; run skipped");
        continue;
      }
      double start = NowMs();
      e2e::Process saver = e2e::StartScr(L"/s");
      HWND window = nullptr;
      double shown = PollTime([&] { return (window = e2e::FindTopWindow(kCaption, saver.Id())) != nullptr; }, kDeadline);
      if (shown < 0) {
        Note(s, std::string(c.name) + ": no saver window");
        continue;
      }
      ShowWindow(backdrop.window(), SW_HIDE);
      double frame = PollTime([&] { return ScreenShowsAtSamples(expected); }, kDeadline);
      if (frame < 0) {
        Note(s, std::string(c.name) + ": the captured picture never showed");
        continue;
      }
      toWindow.push_back(shown - start);
      toFrame.push_back(frame - start);
      fromEntry.push_back(frame - start - wineStartMs);
      if (run == 0) {
        size_t differences = e2e::TakeScreenshot().CountDifferences(expected);
        if (differences) Note(s, std::string(c.name) + ": the whole screen differs in " + std::to_string(differences) + " pixels");
        memory = MemoryOf(saver);
      }
    }
    Figure(s, std::string(c.name) + ": launch -> window shown", Summarise(toWindow), "ms");
    Figure(s, std::string(c.name) + ": launch -> first frame", Summarise(toFrame), "ms");
    Figure(s, std::string(c.name) + ": entry -> first frame (launch - Wine's start)", Summarise(fromEntry), "ms");
    Figure(s, std::string(c.name) + ": peak working set after the first frame", MiB(memory.peakWorkingSet), "MiB");
  }
  e2e::settings::ClearAll();

  // The saver's start-up replayed by the bare program with the same calls in
  // the same order (Inverted), timed step by step inside that process.
  const char* steps[] = {"entry -> first window created (window system started)",
                         "-> full screen, topmost, registry read",
                         "-> captured (BitBlt screen -> Pic, first touch)",
                         "-> inverted in place",
                         "-> window shown and brought to the front",
                         "-> painted (the paint copies Pic once)",
                         "-> two yields"};
  constexpr int kSteps = static_cast<int>(std::size(steps));
  std::vector<std::vector<double>> stepTimes(kSteps);
  std::vector<double> toFrame, handedToFrame, entryToFrame;
  e2e::Image expected = Inverse(known);
  for (int run = 0; run < g_runs; ++run) {
    ShowWindow(backdrop.window(), SW_SHOWNOACTIVATE);
    SetWindowPos(backdrop.window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (PollTime([&] { return ScreenShowsAtSamples(known); }, 5000) < 0) continue;
    StubRecord record;
    double start = NowMs();
    e2e::Process replica = StartStub(L"replica");
    double shown = PollTime([&] { return e2e::FindTopWindow(L"Zindle! bench replica", replica.Id()) != nullptr; }, kDeadline);
    if (shown < 0) continue;
    ShowWindow(backdrop.window(), SW_HIDE);
    double frame = PollTime([&] { return ScreenShowsAtSamples(expected); }, kDeadline);
    if (frame < 0 || record.slot[kSteps + 1] == 0) continue;
    for (int i = 0; i < kSteps; ++i) stepTimes[i].push_back(CounterToMs(record.slot[i + 2] - record.slot[i == 0 ? 0 : i + 1]));
    toFrame.push_back(frame - start);
    entryToFrame.push_back(frame - CounterToMs(record.slot[0]));
    handedToFrame.push_back(frame - CounterToMs(record.slot[kSteps + 1]));
  }
  for (int i = 0; i < kSteps; ++i) Figure(s, std::string("replica: ") + steps[i], Summarise(stepTimes[i]), "ms");
  Figure(s, "replica: -> frame on the screen (after the yields)", Summarise(handedToFrame), "ms");
  Figure(s, "replica: entry -> frame on the screen", Summarise(entryToFrame), "ms");
  Figure(s, "replica: launch -> frame on the screen", Summarise(toFrame), "ms");
}

// ---------------------------------------------------------------- exit latency

void ExitSection() {
  const char* s = "exit";
  e2e::Image known = e2e::KnownPicture(W, H);
  e2e::Backdrop backdrop(known);
  // Key and mouse, with Slow off and on, and a hand-edited Slow of a whole
  // second: input ends every rest at once.
  struct Variant {
    const char* name;
    bool byKey;
    const wchar_t* slow;
  };
  const Variant variants[] = {{"key press", true, L"0"},           {"mouse move", false, L"0"},
                              {"key press, Slow on", true, L"1"},  {"mouse move, Slow on", false, L"1"},
                              {"key press, Slow 1000", true, L"1000"}};
  for (const Variant& variant : variants) {
    bool byKey = variant.byKey;
    std::vector<double> gone, ended, desktop;
    for (int run = 0; run < g_runs * 2; ++run) {
      e2e::settings::ClearAll();
      e2e::settings::Put(L"Slow", variant.slow);
      ParkPointer();
      e2e::Process saver = e2e::StartScr(L"/s");
      HWND window = e2e::WaitForWindow(kCaption, kDeadline, saver.Id());
      if (!window) continue;
      bool running = e2e::PollUntil([&] {
        if (GetForegroundWindow() != window) SetForegroundWindow(window);
        CURSORINFO info{};
        info.cbSize = sizeof(info);
        GetCursorInfo(&info);
        return GetForegroundWindow() == window && !(info.flags & CURSOR_SHOWING);
      }, kDeadline);
      if (!running) continue;
      e2e::PumpFor(200);  // the engine is running
      if (!byKey) {
        e2e::MoveMouseTo(W / 4, H / 4);  // the first move only records
        e2e::PumpFor(150);
        if (!saver.Running()) {
          Note(s, "the first move ended the saver; run skipped");
          continue;
        }
      }
      double start = NowMs();
      if (byKey) e2e::PressKey(VK_SPACE); else e2e::MoveMouseTo(W / 4 + 3, H / 4);
      double tGone = -1, tEnded = -1;
      double done = PollTime([&] {
        double now = NowMs();
        if (tGone < 0 && !IsWindowVisible(window)) tGone = now;
        if (tEnded < 0 && !saver.Running()) tEnded = now;
        return tGone >= 0 && tEnded >= 0;
      }, 5000);
      if (done < 0) {
        Note(s, "the saver did not end within 5 s");
        continue;
      }
      gone.push_back(tGone - start);
      ended.push_back(tEnded - start);
      double back = PollTime([&] { return ScreenShowsAtSamples(known); }, 5000);
      if (back > 0) desktop.push_back(back - start);
    }
    std::string how = variant.name;
    Figure(s, how + " -> saver window gone", Summarise(gone), "ms");
    Figure(s, how + " -> process ended", Summarise(ended), "ms");
    Figure(s, how + " -> desktop back on the screen", Summarise(desktop), "ms");
  }
}

// ---------------------------------------------------------------- memory and CPU

// The saver as it runs, over a stretch of wall time in which the bench only
// sleeps (a sleep asks nothing of the Wine server): frames and passes by the
// program's own counts, the wakes and switches of its threads, and the
// processor time of the saver, this run's Wine server and its X server.
void MeasureRun(const std::string& name, const e2e::Process& saver, int pid, DWORD milliseconds) {
  const char* s = "cpu";
  std::vector<int> servers = UnixProcessesOfThisRun("wineserver64");
  std::vector<int> xservers = UnixProcessesOfThisRun("Xvfb");
  if (pid < 0 && saver.Running()) Note(s, "the saver's Unix process was not found in /proc");
  // The run's other processes (the bench, Wine's own services) ask the Wine
  // server for things too; their share of its time is said apart.
  std::vector<std::pair<int, std::string>> others;
  for (const auto& process : UnixProcessesOfThisRun())
    if (process.first != pid && process.second != "wineserver64" && process.second != "Xvfb") others.push_back(process);
  std::vector<TaskTotals> others0;
  for (const auto& process : others) others0.push_back(UnixTasks(process.first));
  RunCountsOf counter(saver);
  zindle::RunCounts counts0{}, counts1{};
  const bool counted = counter.Get(&counts0);
  const TaskTotals saver0 = pid > 0 ? UnixTasks(pid) : TaskTotals{}, server0 = UnixTasks(servers),
                   x0 = UnixTasks(xservers);
  const double start = NowMs();
  Sleep(milliseconds);
  const double seconds = (NowMs() - start) / 1000;
  const TaskTotals saver1 = pid > 0 ? UnixTasks(pid) : TaskTotals{}, server1 = UnixTasks(servers),
                   x1 = UnixTasks(xservers);
  std::string busy;
  for (size_t i = 0; i < others.size(); ++i) {
    const TaskTotals now = UnixTasks(others[i].first);
    const double wakes = (now.wakes - others0[i].wakes) / seconds;
    char text[128];
    std::snprintf(text, sizeof(text), " %s %.1f wakes/s %.3f %%;", others[i].second.c_str(), wakes,
                  (now.cpuMs - others0[i].cpuMs) / seconds / 10);
    if (wakes >= 0.5) busy += text;
  }
  if (saver.Running() && (!counted || !counter.Get(&counts1)))
    Note(s, name + ": the program's counts could not be read");
  const double shareSaver = (saver1.cpuMs - saver0.cpuMs) / seconds / 10;
  const double shareServer = (server1.cpuMs - server0.cpuMs) / seconds / 10;
  const double shareX = (x1.cpuMs - x0.cpuMs) / seconds / 10;
  Note(s, name + ": over " + std::to_string(static_cast<int>(seconds + 0.5)) + " s, load average " + LoadAverage());
  Note(s, name + ": the run's other processes that woke:" + (busy.empty() ? std::string(" none") : busy));
  Figure(s, name + ": frames drawn a second (the program's count)",
         static_cast<double>(counts1.frames - counts0.frames) / seconds, "frames/s");
  Figure(s, name + ": passes a second (the program's count)",
         static_cast<double>(counts1.passes - counts0.passes) / seconds, "passes/s");
  Figure(s, name + ": wakes a second of the saver's threads", (saver1.wakes - saver0.wakes) / seconds, "/s");
  Figure(s, name + ": context switches a second of the saver's threads", (saver1.switches - saver0.switches) / seconds,
         "/s");
  Figure(s, name + ": saver process, share of one core", shareSaver, "%");
  Figure(s, name + ": Wine server, share of one core", shareServer, "%");
  Figure(s, name + ": X server, share of one core", shareX, "%");
  Figure(s, name + ": whole cost (saver + Wine server + X server)", shareSaver + shareServer + shareX, "%");
}

// Runs the saver for a while and reads its memory, or what it costs seen and
// unseen (see MeasureRun).
void RunningSection(bool memoryOnly) {
  const char* s = memoryOnly ? "memory" : "cpu";
  e2e::Backdrop backdrop(e2e::KnownPicture(W, H));
  double bitmap = ScreenBitmapBytes();
  double bareResident = 0;
  if (memoryOnly) {
    StubLaunch bare = LaunchStub(true, true);
    e2e::PumpFor(300);
    ProcessMemory m = MemoryOf(bare.process);
    std::vector<int> pids = UnixProcessesOfThisRun("zindle_bench_st");
    bareResident = pids.size() == 1 ? UnixPeakResident(pids[0]) : -1;
    Figure(s, "bare process with the same modules and a window: peak working set", MiB(m.peakWorkingSet), "MiB");
    Figure(s, "bare process ...: peak private bytes", MiB(m.peakPrivate), "MiB");
    Figure(s, "bare process ...: peak resident (/proc VmHWM)", MiB(bareResident), "MiB");
  }
  struct Run {
    const char* name;
    Settings settings;
    bool refreshTimer = false;  // frames rest on the refresh timer, as at Windows' default tick
  };
  std::vector<Run> runs =
      memoryOnly ? std::vector<Run>{{"Normal", {}},
                                    {"Normal, flip 3", {{L"FlipHoriz", L"1"}, {L"FlipVert", L"1"}}},
                                    {"Inverted", {{L"Invert", L"1"}}},
                                    {"Intelligent, Level 1", {{L"Invert", L"3"}, {L"Level", L"1"}}}}
                 : std::vector<Run>{{"seen, Slow on (1 ms)", {{L"Slow", L"1"}}},
                                    {"seen, on the refresh timer", {{L"Slow", L"0"}}, true},
                                    {"seen", {{L"Slow", L"0"}}}};
  for (const Run& r : runs) {
    PutSettings(r.settings);
    const std::wstring testKey = zindle::Wide(zindle::kTestKey), timer = zindle::Wide(zindle::kTestRefreshTimerValue);
    if (r.refreshTimer)
      e2e::PutRegistryDword(testKey, timer, 1);
    else
      e2e::DeleteRegistryValue(testKey, timer);
    e2e::Process saver = e2e::StartScr(L"/s");
    if (!e2e::WaitForWindow(kCaption, kDeadline, saver.Id())) {
      Note(s, std::string(r.name) + ": no saver window");
      continue;
    }
    e2e::PumpFor(memoryOnly ? 700 : 1000);
    std::vector<int> pids = UnixProcessesOfThisRun("Zindle!.scr");
    int pid = pids.size() == 1 ? pids[0] : -1;
    if (memoryOnly) {
      e2e::PumpFor(1300);
      ProcessMemory m = MemoryOf(saver);
      double resident = pid > 0 ? UnixPeakResident(pid) : -1;
      std::string n = r.name;
      Figure(s, n + ": peak working set (GetProcessMemoryInfo)", MiB(m.peakWorkingSet), "MiB");
      Figure(s, n + ": peak private bytes (GetProcessMemoryInfo)", MiB(m.peakPrivate), "MiB");
      Figure(s, n + ": peak resident (/proc VmHWM)", MiB(resident), "MiB");
      Figure(s, n + ": goal: 2.5 screen bitmaps + 30 MiB", MiB(2.5 * bitmap) + 30, "MiB");
      Figure(s, n + ": peak working set in screen bitmaps beyond 30 MiB", (m.peakWorkingSet - 30 * 1048576.0) / bitmap,
             "bitmaps");
      if (bareResident > 0 && resident > 0)
        Figure(s, n + ": resident beyond the bare process, in screen bitmaps", (resident - bareResident) / bitmap,
               "bitmaps");
    } else {
      MeasureRun(r.name, saver, pid, 10000);
      // Unseen: the display off, as the system tells it. The saver should sleep
      // until a message comes.
      if (std::string(r.name) == "seen") {
        HWND window = e2e::FindTopWindow(kCaption, saver.Id());
        if (!window || !zindle::SendDisplayPower(window, zindle::DisplaySetting::kSessionDisplayStatus, zindle::kDisplayOff)) {
          Note(s, "the display-off notification was not taken");
          continue;
        }
        Sleep(1000);
        MeasureRun("unseen (display off)", saver, pid, 30000);
        // The same stretch with no saver at all: what the Wine server and the
        // X server spend on this run's other processes.
        saver.Kill();
        Sleep(1000);
        MeasureRun("no saver running", saver, -1, 30000);
      }
    }
  }
  e2e::settings::ClearAll();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::set<std::wstring> only;
  for (int i = 1; i < argc; ++i) {
    std::wstring a = argv[i];
    if (a == L"--runs" && i + 1 < argc) g_runs = std::max(1, _wtoi(argv[++i]));
    else if (a == L"--only" && i + 1 < argc) only.insert(argv[++i]);
  }
  auto wanted = [&](const wchar_t* section) { return only.empty() || only.count(section); };
  SetProcessDPIAware();
  W = GetSystemMetrics(SM_CXSCREEN);
  H = GetSystemMetrics(SM_CYSCREEN);
  if (e2e::ScrPath().empty()) {
    std::fprintf(stderr, "ZINDLE_SCR must name Zindle!.scr\n");
    return 2;
  }
  e2e::settings::ClearAll();

  if (wanted(L"engine")) EngineSection();
  if (wanted(L"parts")) PartsSection();
  double wineStart = 0;
  if (wanted(L"startup") || wanted(L"exit")) {
    std::vector<double> starts;
    for (int i = 0; i < std::max(5, g_runs); ++i) {
      StubLaunch launch = LaunchStub(false);
      if (launch.entryMs >= 0) starts.push_back(launch.entryMs);
    }
    Summary wine = Summarise(starts);
    wineStart = wine.median;
    Figure("startup", "Wine's start: launch -> entry of a bare program", wine, "ms");
    std::vector<double> firstWindow;
    for (int i = 0; i < 5; ++i) {
      StubLaunch launch = LaunchStub(false, true);
      if (launch.windowMs >= 0) firstWindow.push_back(launch.windowMs);
    }
    Figure("startup", "bare program: entry -> its first window shown", Summarise(firstWindow), "ms");
  }
  if (wanted(L"startup")) StartupSection(wineStart);
  if (wanted(L"exit")) ExitSection();
  if (wanted(L"memory")) RunningSection(true);
  if (wanted(L"cpu")) RunningSection(false);
  if (wanted(L"pictures")) PictureSection(g_runs);
  return 0;
}
