// The full-screen saver window: start-up, the run with its restore timer,
// and the exit rules with the password gate.
#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "core/handles_win32.h"
#include "core/library_search_win32.h"
#include "resources/resource_ids.h"
#include "core/modes_win32.h"
#include "core/numbers.h"
#include "core/picture_win32.h"
#include "core/platform_win32.h"
#include "core/runtime_win32.h"
#include "saver/audience_win32.h"
#include "saver/colour_analysis.h"
#include "saver/gdi_engine_win32.h"
#include "saver/saver_rules.h"
#include "saver/screen_saver_system_win32.h"
#include "saver/screens_win32.h"
#include "saver/wallpaper_win32.h"
#include "settings/registry_reader_win32.h"
#include "settings/registry_store_win32.h"

namespace zindle {
namespace {

constexpr UINT kActivateMessage = WM_APP + 1;
constexpr UINT_PTR kTickId = 1;
// Once a second while the screen is seen the saver looks at the layout of the
// monitors, which some runtimes change without a word, and whether it is
// still in front of every window.
constexpr UINT_PTR kLookId = 2;
constexpr UINT kLookPeriod = 1000;
// A move of the pointer onto another monitor waits this long, looked at
// every few milliseconds, for the change of layout that may explain it.
constexpr UINT_PTR kHeldMoveId = 3;
constexpr UINT kHeldMoveLook = 50;
constexpr DWORD kHeldMoveLongest = 3000;
// The system may move the pointer a moment after it has told of the change
// (Wine 10 does): moves this soon after one was followed only record.
constexpr DWORD kMovesOfAChange = 1000;
// A monitor that the window did not cover shows what the programs paint on
// it once they hear of the change: it is captured this much later.
constexpr DWORD kNewMonitorSettles = 250;
constexpr COLORREF kDesignBackground = RGB(192, 192, 192);
constexpr COLORREF kPictureBackground = RGB(0, 0, 0);

// The display counter only says "hidden" below 0, and other code may have
// raised it several steps, so each loop repeats until the counter agrees.
void HidePointer() {
  while (ShowCursor(FALSE) >= 0) {
  }
}
void ShowPointer() {
  while (ShowCursor(TRUE) < 0) {
  }
}

void FillWith(HDC dc, int width, int height, COLORREF colour) {
  GdiObject<HBRUSH> brush(CreateSolidBrush(colour));
  RECT all{0, 0, width, height};
  FillRect(dc, &all, brush.get());
}

// The system's password dialog, from the module the Windows 95/98 family
// keeps in its system folder, like every module of the program.
bool VerifyScreenSavePassword(HWND owner) {
  Module module = LoadSystemLibrary(L"password.cpl");
  using Verify = BOOL(WINAPI*)(HWND);
  auto verify = ModuleFunction<Verify>(module.get(), "VerifyScreenSavePwd");
  // Without the service there is no password to ask for; a saver that could
  // never close would lock the user out.
  if (!verify) return true;
  return (verify(owner) & 0xFFFF) != 0;
}

class frmSaver {
 public:
  // Creates, loads and shows the window; the process ends in Form_Unload.
  [[noreturn]] void Show();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  void Form_Initialize();
  void Form_Load();
  void Form_Activate();
  void Form_Paint();
  void Tick_Timer();
  void Form_KeyDown();
  void Form_MouseDown();
  void Form_MouseMove(double x, double y, POINT at);
  void Form_DisplayChange();
  void NoticeLayoutChange();
  bool LayoutToFollow();
  void Form_AudienceChange();
  void Look_Timer();
  void StayInFront();
  void HeldMove_Timer();
  bool Form_QueryUnload();  // true cancels the unload
  [[noreturn]] void Form_Unload();
  BOOL Form_QueryEndSession();
  void Form_EndSession(bool ending);

  void RequestUnload();
  void PutTheSystemBack();
  static LONG WINAPI Form_Fault(EXCEPTION_POINTERS* exception);
  void PrepareDesktop();
  bool PreparePicture();
  bool AnalysisInverts();
  void DrawWorkingImage(HDC dc);
  void DrawWorkingImage(HDC dc, const Rect& monitor);
  void DrawPictureOn(HDC dc, const Rect& monitor);
  void RunEngine();
  bool LayoutDiffers();
  void FollowLayout();
  MemoryBitmap DesktopPictureFor(const LayoutChange& change, const Screens& next);
  void FollowPicture(const Screens& next);
  void RecordPointer();
  int Width() const { return Saver().ImageWidth; }
  int Height() const { return Saver().ImageHeight; }

  HWND window_ = nullptr;
  Screens screens_;          // every monitor, in the window over all of them
  Screens laidOut_;          // the layout as the system gave it, before any clipping
  bool layoutChanged_ = false;  // the system said so, or a look found it
  bool layoutLooks_ = true;
  FrameRests frameRests_ = FrameRests::kTimeOutsFirst;  // the scenarios may ask for the refresh timer
  DWORD followAt_ = 0;       // when the change is followed
  DWORD followedAt_ = 0;     // when the last one was, 0 before any
  // A move that may be the system's own: where it went, and since when.
  bool held_ = false;
  POINT heldAt_{};
  DWORD heldSince_ = 0;
  POINT pointer_{};          // the last place that did not end the saver
  Treatment treatment_ = Treatment::Keep;  // decided once, for every picture
  bool shiver_ = false;      // both amplitudes none: blocks read from the picture
  MemoryBitmap Pic;          // the unchanged start-up picture
  // Picture mode: the whole picture's size, and the part of it kept in Pic.
  int32_t pictureWidth_ = 0, pictureHeight_ = 0;
  Rect kept_;
  COLORREF background_ = kDesignBackground;
  bool pictureMode_ = false;
  bool activated_ = false;
  bool unloading_ = false;
  int16_t PasswordFlag = 0;
  double twipsPerPixelX_ = 15, twipsPerPixelY_ = 15;
  RestoreCounter tick_;
  MouseMoveRule mouse_;
  SystemParametersScreenSaver system_;
  SystemSaverSession session_;
  Audience audience_;  // no pass is drawn while no one can see
  AudienceNotifications notifications_;
};

LRESULT CALLBACK frmSaver::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* form = reinterpret_cast<frmSaver*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form) return DefWindowProcW(window, message, wParam, lParam);
  return form->Dispatch(message, wParam, lParam);
}

LRESULT frmSaver::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kActivateMessage:
      Form_Activate();
      return 0;
    case WM_PAINT:
      Form_Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_TIMER:
      if (wParam == kTickId) Tick_Timer();
      if (wParam == kLookId) Look_Timer();
      if (wParam == kHeldMoveId) HeldMove_Timer();
      return 0;
    case WM_DISPLAYCHANGE:
      Form_DisplayChange();
      return 0;
    case WM_SETTINGCHANGE:
      // A monitor added may come with this alone: the work area changed.
      if (wParam == SPI_SETWORKAREA && SystemScreens() != laidOut_) NoticeLayoutChange();
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      Form_KeyDown();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
      Form_MouseDown();
      return message == WM_XBUTTONDOWN;
    case WM_MOUSEMOVE: {
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      Form_MouseMove(at.x * twipsPerPixelX_, at.y * twipsPerPixelY_,
                     POINT{at.x + screens_.bounds.left, at.y + screens_.bounds.top});
      return 0;
    }
    case WM_CLOSE:
      RequestUnload();
      return 0;
    case WM_QUERYENDSESSION:
      return Form_QueryEndSession();
    case WM_ENDSESSION:
      Form_EndSession(wParam != FALSE);
      return 0;
    case WM_SETCURSOR:
      if (!ApplyProgramPointer()) SetCursor(LoadCursor(nullptr, IDC_ARROW));
      return TRUE;
    case WM_COPYDATA:
    case WM_POWERBROADCAST:
    case WM_WTSSESSION_CHANGE: {
      const bool seen = audience_.Seen();
      if (!AudienceMessage(audience_, message, wParam, lParam)) break;
      if (audience_.Seen() != seen) Form_AudienceChange();
      return TRUE;
    }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_SCREENSAVE) return 0;  // this is the screen saver
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

frmSaver* g_form = nullptr;  // for the fault handler

void frmSaver::Show() {
  g_form = this;
  SetUnhandledExceptionFilter(Form_Fault);
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(IDI_ZINDLE));
  wc.lpszClassName = kSaverClass;
  RegisterClassW(&wc);
  window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kSaverClass, Wide(kSaverCaption).c_str(), WS_POPUP, 0, 0, 1, 1,
                            nullptr, nullptr, wc.hInstance, nullptr);
  if (!window_) ExitProcess(1);
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  notifications_.Register(window_);
  Form_Initialize();
  Form_Load();
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  // The window is active once shown; the activate handler runs from the
  // queue because it goes on for the rest of the run.
  PostMessageW(window_, kActivateMessage, 0, 0);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  ExitProcess(0);
}

void frmSaver::Form_Initialize() {
  SeedRandomFromTimeOfDay();
  DoEvents();
}

void frmSaver::Form_Load() {
  SetProgramPointer(Pointer::Busy);
  // Every monitor at its own resolution: the program is DPI aware.
  laidOut_ = screens_ = SystemScreens();
  const Rect& all = screens_.bounds;
  SetWindowPos(window_, nullptr, all.left, all.top, all.width, all.height, SWP_NOZORDER | SWP_NOACTIVATE);
  DoEvents();
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  PasswordFlag = PasswordFlagFrom(
      ReadRegistryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveUsePassword"));
  session_.Start(system_, PasswordCondition(PasswordFlag));
  LoadProgramSettings(window_);
  {
    RegistryValue looks = ReadRegistryValue(HKEY_CURRENT_USER, kTestKey, kTestLayoutLooksValue);
    const int32_t* number = std::get_if<int32_t>(&looks);
    layoutLooks_ = !number || *number != 0;
    RegistryValue timer = ReadRegistryValue(HKEY_CURRENT_USER, kTestKey, kTestRefreshTimerValue);
    number = std::get_if<int32_t>(&timer);
    frameRests_ = number && *number != 0 ? FrameRests::kRefreshTimer : FrameRests::kTimeOutsFirst;
  }
  Saver().ImageWidth = ToInt16(all.width);
  Saver().ImageHeight = ToInt16(all.height);
  // Sides past the 16-bit range saturate: what lies beyond is not shown.
  screens_ = ClippedTo(screens_, Width(), Height());
  {
    WindowDC screen(nullptr);
    // Whole twips per pixel: a position with a fraction would never equal
    // its rounded record, and the first movement would end the saver.
    twipsPerPixelX_ = std::max(1.0, RoundHalfEven(1440.0 / GetDeviceCaps(screen.get(), LOGPIXELSX)));
    twipsPerPixelY_ = std::max(1.0, RoundHalfEven(1440.0 / GetDeviceCaps(screen.get(), LOGPIXELSY)));
  }
  // A picture that cannot be shown leaves the desktop to be distorted.
  pictureMode_ = Saver().Picture != 0 && PreparePicture();
  if (!pictureMode_) PrepareDesktop();
}

void frmSaver::PrepareDesktop() {
  const int w = Width(), h = Height();
  const uint64_t bytes = uint64_t{4} * static_cast<uint32_t>(w + 1) * static_cast<uint32_t>(h + 1);
  const uint64_t limit = DesktopPictureLimit(ReadRegistryValue(HKEY_CURRENT_USER, kTestKey, kTestPictureLimitValue));
  Pic = bytes <= limit ? MemoryBitmap::Dib(w + 1, h + 1) : MemoryBitmap{};
  // Without room for the picture (a 32-bit process, very large screens) the
  // saver still runs and ends as always, on black.
  if (!Pic || !Pic.bits()) {
    Pic = {};
    return;
  }
  BOOL captured = FALSE;
  {
    WindowDC screen(GetDesktopWindow());
    captured = BitBlt(Pic.dc(), 0, 0, w, h, screen.get(), screens_.bounds.left, screens_.bounds.top, SRCCOPY);
  }
  GdiFlush();
  ReplaceUnseenDesktop(Pic, screens_, captured != FALSE);
  MirrorMonitors(Pic.bits(), Pic.width(), Pic.height(), screens_, Saver().Flip);
  const Treatment treatment = TreatmentFor(Saver().Invert, ProgramRandom(), [this] { return AnalysisInverts(); });
  // Keeping is a copy onto itself, so only the inversion is performed.
  if (treatment == Treatment::Invert) BitBlt(Pic.dc(), 0, 0, w, h, Pic.dc(), 0, 0, NOTSRCCOPY);
  GdiFlush();
  treatment_ = treatment;
}

bool frmSaver::AnalysisInverts() {
  DibPixelReader reader(Pic.bits(), Pic.width(), Pic.height());
  ColourAnalysis analysis = AnalyseColours(reader, screens_.monitors, Saver().Level, Saver().Threshold);
  RegistrySettingsStore store;
  if (!GetSetting(store, kApplication, kSection, "Debug", "0").empty())
    store.Save(kApplication, kSection, "Debug", DebugText(analysis));
  return analysis.Inverts();
}

bool frmSaver::PreparePicture() {
  // Of a picture larger than the monitors only the part that shows is kept.
  Picture picture = LoadPicture(Saver().PictureName,
                                [this](int width, int height) { return PartShownOnMonitors(screens_, width, height); });
  if (!picture) return false;
  pictureWidth_ = picture.width;
  pictureHeight_ = picture.height;
  kept_ = Rect{picture.left, picture.top, picture.bitmap.width(), picture.bitmap.height()};
  Pic = std::move(picture.bitmap);
  background_ = kPictureBackground;
  return true;
}

// The picture centred on every monitor in picture mode, else the captured
// monitors where they were.
void frmSaver::DrawWorkingImage(HDC dc) {
  if (pictureMode_) {
    for (const Rect& monitor : screens_.monitors) DrawPictureOn(dc, monitor);
  } else if (Pic) {
    BitBlt(dc, 0, 0, Width(), Height(), Pic.dc(), 0, 0, SRCCOPY);
  } else {
    FillWith(dc, Width(), Height(), kPictureBackground);
  }
}

// The part of the picture that is kept, where the whole picture stands
// centred on the monitor, cut at the monitor's edges.
void frmSaver::DrawPictureOn(HDC dc, const Rect& monitor) {
  Rect whole = CentredOn(monitor, pictureWidth_, pictureHeight_);
  DrawOnMonitor(dc, monitor, Rect{whole.left + kept_.left, whole.top + kept_.top, kept_.width, kept_.height}, Pic.dc());
}

// One monitor's working image, on its background in picture mode.
void frmSaver::DrawWorkingImage(HDC dc, const Rect& monitor) {
  if (pictureMode_) {
    GdiObject<HBRUSH> brush(CreateSolidBrush(background_));
    RECT r{monitor.left, monitor.top, monitor.right(), monitor.bottom()};
    FillRect(dc, &r, brush.get());
    DrawPictureOn(dc, monitor);
  } else if (Pic) {
    BitBlt(dc, monitor.left, monitor.top, monitor.width, monitor.height, Pic.dc(), monitor.left, monitor.top, SRCCOPY);
  } else {
    PatBlt(dc, monitor.left, monitor.top, monitor.width, monitor.height, BLACKNESS);
  }
}

void frmSaver::Form_Activate() {
  if (activated_) return;
  activated_ = true;
  HidePointer();
  // The window's stored image is the working image itself (see Form_Paint):
  // in desktop mode it shows already, in picture mode it is drawn centred now.
  if (pictureMode_) InvalidateRect(window_, nullptr, FALSE);
  UpdateWindow(window_);
  DoEvents();
  // From here on drawing goes to the screen only; the stored image stays the
  // background that uncovered parts are repainted from.
  DoEvents();
  if (Saver().Unzindle > 0) {
    UINT period = RestoreTickPeriod(ReadRegistryValue(HKEY_CURRENT_USER, kTestKey, kTestTickValue));
    SetTimer(window_, kTickId, period, nullptr);
  }
  SetProgramPointer(Pointer::Default);
  // Every block a freshly shifted piece of the unchanged picture: the screen
  // shivers by a pixel and never drifts.
  SaverState& state = Saver();
  shiver_ = state.Horizontal == 0 && state.Vertical == 0 && Pic;
  if (shiver_) state.Horizontal = state.Vertical = 1;
  Form_AudienceChange();  // the layout watched from here on
  // The monitors may change under the run, before its first frame too: the
  // engine's run then ends, the window is laid out afresh and a run begins.
  do {
    FollowLayout();
    RunEngine();
  } while (IsWindowVisible(window_));
  // The engine returns for good only when the window has gone from the
  // screen, hidden or destroyed from outside: nothing is left to guard, and a
  // process left behind would hold the caption that keeps the next saver
  // from starting.
  Form_Unload();
}

void frmSaver::RunEngine() {
  WindowDC surface(window_);
  EngineRun run;
  run.passesPerSecond = kSaverPassesPerSecond;
  run.framesPerSecond = DisplayFramesPerSecond();
  run.seen = [this] { return audience_.Seen(); };
  run.goOn = [this] { return !LayoutToFollow(); };
  run.areas = MonitorAreas(screens_);
  if (!shiver_ || !Pic) {  // a new layout may leave no room for a picture
    ZindleLoop(surface.get(), surface.get(), window_, nullptr, run, frameRests_);
  } else {
    // A picture of the user's is read from its own corner on every monitor.
    if (pictureMode_) run.areas = PictureCornerAreas(screens_, kept_);
    ZindleLoop(Pic.dc(), surface.get(), window_, nullptr, run, frameRests_);
  }
}

// --- The monitors change under the run ------------------------------------------

void frmSaver::Form_DisplayChange() { NoticeLayoutChange(); }

void frmSaver::NoticeLayoutChange() {
  if (layoutChanged_) return;
  layoutChanged_ = true;
  const Screens now = SystemScreens();
  bool uncovered = false;
  for (const LayoutChange::Monitor& m : CompareLayouts(screens_, now).monitors) uncovered = uncovered || m.uncovered;
  followAt_ = GetTickCount() + (uncovered ? kNewMonitorSettles : 0);
}

// A change of layout waits while no one sees: it is looked at again then.
bool frmSaver::LayoutToFollow() {
  return layoutChanged_ && audience_.Seen() && static_cast<int32_t>(GetTickCount() - followAt_) >= 0;
}

// Looked at while someone sees the screen, and at once when someone can see
// it again; an unseen saver is never woken to look.
void frmSaver::Form_AudienceChange() {
  if (!activated_) return;
  if (audience_.Seen()) {
    Look_Timer();
    SetTimer(window_, kLookId, kLookPeriod, nullptr);
  } else {
    KillTimer(window_, kLookId);
  }
}

void frmSaver::Look_Timer() {
  if (LayoutDiffers()) NoticeLayoutChange();
  StayInFront();
}

// Another topmost window may come above the saver's: Wine 10 puts one above a
// topmost window that was resized, a moment after the resize.
void frmSaver::StayInFront() {
  HWND top = GetTopWindow(nullptr);
  while (top && !IsWindowVisible(top)) top = GetWindow(top, GW_HWNDNEXT);
  DWORD process = 0;
  if (top) GetWindowThreadProcessId(top, &process);
  if (process != GetCurrentProcessId())
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool frmSaver::LayoutDiffers() { return layoutChanged_ || (layoutLooks_ && SystemScreens() != laidOut_); }

// The window over the new layout: a monitor still at its place and size keeps
// what it shows, drifted so far; any other gets a picture of its own; one
// that went away is dropped with everything drawn on it.
void frmSaver::FollowLayout() {
  layoutChanged_ = false;
  Screens now = SystemScreens();
  if (now == laidOut_) return;
  const int16_t w = ToInt16(now.bounds.width), h = ToInt16(now.bounds.height);
  const Screens next = ClippedTo(now, w, h);
  const LayoutChange change = CompareLayouts(screens_, next);
  std::vector<MemoryBitmap> shown(change.monitors.size());
  {
    WindowDC window(window_);
    for (size_t i = 0; i < change.monitors.size(); ++i) {
      const std::optional<Rect>& from = change.monitors[i].keptFrom;
      if (!from) continue;
      shown[i] = MemoryBitmap(window.get(), from->width, from->height);
      if (shown[i])
        BitBlt(shown[i].dc(), 0, 0, from->width, from->height, window.get(), from->left, from->top, SRCCOPY);
    }
  }
  if (pictureMode_) {
    FollowPicture(next);
  } else {
    Pic = DesktopPictureFor(change, next);
  }
  // Everything is drawn here, at once: nothing of the old window is copied
  // along, and no part of the screen is left to be painted later. As at
  // start-up the window is put above all others once it is sized.
  SetWindowPos(window_, nullptr, now.bounds.left, now.bounds.top, now.bounds.width, now.bounds.height,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_NOREDRAW);
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  screens_ = next;
  laidOut_ = now;
  Saver().ImageWidth = w;
  Saver().ImageHeight = h;
  {
    WindowDC window(window_);
    for (size_t i = 0; i < change.monitors.size(); ++i) {
      const Rect& m = change.monitors[i].now;
      if (shown[i])
        BitBlt(window.get(), m.left, m.top, m.width, m.height, shown[i].dc(), 0, 0, SRCCOPY);
      else
        DrawWorkingImage(window.get(), m);
    }
  }
  ValidateRect(window_, nullptr);
  RecordPointer();
  followedAt_ = std::max<DWORD>(GetTickCount(), 1);
}

// The new layout's working image: a kept monitor's start-up picture where it
// now lies, any other monitor's own picture (what it showed, where the window
// did not cover it, else the wallpaper), mirrored and treated as at start-up.
MemoryBitmap frmSaver::DesktopPictureFor(const LayoutChange& change, const Screens& next) {
  const int w = ToInt16(next.bounds.width), h = ToInt16(next.bounds.height);
  const uint64_t bytes = uint64_t{4} * static_cast<uint32_t>(w + 1) * static_cast<uint32_t>(h + 1);
  const uint64_t limit = DesktopPictureLimit(ReadRegistryValue(HKEY_CURRENT_USER, kTestKey, kTestPictureLimitValue));
  MemoryBitmap pic = bytes <= limit ? MemoryBitmap::Dib(w + 1, h + 1) : MemoryBitmap{};
  if (!pic || !pic.bits()) return {};
  PatBlt(pic.dc(), 0, 0, w + 1, h + 1, BLACKNESS);
  Screens fresh{next.bounds, {}};
  std::vector<bool> captured;
  {
    WindowDC screen(GetDesktopWindow());
    for (const LayoutChange::Monitor& monitor : change.monitors) {
      const Rect& m = monitor.now;
      if (m.Empty()) continue;
      if (monitor.keptFrom) {
        // Without a picture of its own it showed black, and goes on so.
        if (Pic) BitBlt(pic.dc(), m.left, m.top, m.width, m.height, Pic.dc(), monitor.keptFrom->left,
                        monitor.keptFrom->top, SRCCOPY);
        continue;
      }
      fresh.monitors.push_back(m);
      captured.push_back(monitor.uncovered && BitBlt(pic.dc(), m.left, m.top, m.width, m.height, screen.get(),
                                                     next.bounds.left + m.left, next.bounds.top + m.top, SRCCOPY));
    }
  }
  GdiFlush();
  for (size_t i = 0; i < fresh.monitors.size(); ++i) ReplaceUnseenMonitor(pic, next, fresh.monitors[i], captured[i]);
  MirrorMonitors(pic.bits(), pic.width(), pic.height(), fresh, Saver().Flip);
  if (treatment_ == Treatment::Invert)
    for (const Rect& m : fresh.monitors)
      BitBlt(pic.dc(), m.left, m.top, m.width, m.height, pic.dc(), m.left, m.top, NOTSRCCOPY);
  GdiFlush();
  return pic;
}

// A monitor larger than any before may show more of a large picture: the
// picture is read again for the part the new layout shows. Should it fail
// now, the part kept shows as before.
void frmSaver::FollowPicture(const Screens& next) {
  const Rect part = PartShownOnMonitors(next, pictureWidth_, pictureHeight_);
  if (part.Empty() || Intersection(part, kept_) == part) return;
  Picture picture = LoadPicture(Saver().PictureName,
                                [&next](int width, int height) { return PartShownOnMonitors(next, width, height); });
  if (!picture) return;
  pictureWidth_ = picture.width;
  pictureHeight_ = picture.height;
  kept_ = Rect{picture.left, picture.top, picture.bitmap.width(), picture.bitmap.height()};
  Pic = std::move(picture.bitmap);
}

// The pointer's place in the new window, recorded afresh: the window moved
// under it, and the system may have moved it onto a monitor that is left.
void frmSaver::RecordPointer() {
  held_ = false;
  KillTimer(window_, kHeldMoveId);
  POINT p{};
  if (!GetCursorPos(&p)) return;
  pointer_ = p;
  mouse_.Record((p.x - screens_.bounds.left) * twipsPerPixelX_, (p.y - screens_.bounds.top) * twipsPerPixelY_);
}

void frmSaver::Form_Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  const RECT& r = paint.rcPaint;
  // Uncovered parts are repainted from the unchanged picture: no copy of
  // its own is kept, a screen-sized bitmap less. Before the run begins the
  // picture mode shows its background only.
  if (pictureMode_) {
    FillWith(dc, Width(), Height(), background_);
    if (activated_) DrawWorkingImage(dc);
  } else if (Pic) {
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, Pic.dc(), r.left, r.top, SRCCOPY);
  } else {
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  EndPaint(window_, &paint);
}

void frmSaver::Tick_Timer() {
  if (!tick_.Tick(Saver().Frequency)) return;
  {
    WindowDC surface(window_);
    if (pictureMode_) FillWith(surface.get(), Width(), Height(), background_);
    DrawWorkingImage(surface.get());
  }
  DoEvents();
}

void frmSaver::Form_KeyDown() { RequestUnload(); }

void frmSaver::Form_MouseDown() { RequestUnload(); }

// The system moves the pointer itself when the monitor it was on goes away,
// to keep it on one that is left; that move comes with a change of layout,
// which the runtime may report a little later or a little earlier. A move
// that comes with a change, or just after one was followed, only records
// where the pointer is. A move onto another monitor is held until the
// layout is looked at: a user's hand goes on moving, and the next move ends
// the saver at once.
void frmSaver::Form_MouseMove(double x, double y, POINT at) {
  if (!mouse_.Moved(x, y)) {
    pointer_ = at;
    return;
  }
  const bool justFollowed = followedAt_ != 0 && GetTickCount() - followedAt_ < kMovesOfAChange;
  if (justFollowed || LayoutDiffers()) {
    if (!justFollowed) NoticeLayoutChange();
    mouse_.Record(x, y);
    pointer_ = at;
    return;
  }
  if (held_ && at.x == heldAt_.x && at.y == heldAt_.y) return;  // the same move told again
  if (!held_ && MonitorAt(screens_, at.x, at.y) != MonitorAt(screens_, pointer_.x, pointer_.y)) {
    held_ = true;
    heldAt_ = at;
    heldSince_ = GetTickCount();
    SetTimer(window_, kHeldMoveId, kHeldMoveLook, nullptr);
    return;
  }
  RequestUnload();
}

void frmSaver::HeldMove_Timer() {
  if (!held_) return;
  if (LayoutDiffers()) {
    NoticeLayoutChange();
  } else if (GetTickCount() - heldSince_ < kHeldMoveLongest) {
    return;
  }
  held_ = false;
  KillTimer(window_, kHeldMoveId);
  if (!layoutChanged_) RequestUnload();
}

// Every way of closing passes here. With the password condition the system's
// dialog decides; a refusal hides the pointer again and the run goes on.
bool frmSaver::Form_QueryUnload() {
  if (!PasswordCondition(PasswordFlag)) return false;
  ShowPointer();
  if (VerifyScreenSavePassword(window_)) return false;
  HidePointer();
  DoEvents();
  return true;
}

void frmSaver::Form_Unload() {
  PutTheSystemBack();
  notifications_.Reset();
  ExitProcess(0);
}

void frmSaver::PutTheSystemBack() {
  session_.Finish(system_, PasswordCondition(PasswordFlag));
  SetProgramPointer(Pointer::Default);
  ShowPointer();
}

// Logging off or shutting down closes the saver like any other way: through
// the password gate; a refusal keeps the session.
BOOL frmSaver::Form_QueryEndSession() {
  RequestUnload();
  return FALSE;
}

// The session ends whatever is answered now: the system is put back first.
void frmSaver::Form_EndSession(bool ending) {
  if (ending) Form_Unload();
}

// A fault ends the process; the system's screen saver and the pointer must
// not stay switched off after it.
LONG WINAPI frmSaver::Form_Fault(EXCEPTION_POINTERS*) {
  static bool once = false;
  if (g_form && !once) {
    once = true;
    g_form->PutTheSystemBack();
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

void frmSaver::RequestUnload() {
  // Events handled while the password dialog is open do not ask again.
  if (unloading_) return;
  unloading_ = true;
  bool cancel = Form_QueryUnload();
  unloading_ = false;
  if (!cancel) Form_Unload();
}

}  // namespace

void RunSaver() {
  static frmSaver form;  // lives as long as the process
  form.Show();
}

}  // namespace zindle
