// The full-screen saver window: start-up, the run with its restore timer,
// and the exit rules with the password gate.
#include <windows.h>
#include <windowsx.h>

#include <algorithm>

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
  void Form_MouseMove(double x, double y);
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
  int Width() const { return Saver().ImageWidth; }
  int Height() const { return Saver().ImageHeight; }

  HWND window_ = nullptr;
  Screens screens_;          // every monitor, in the window over all of them
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
      return 0;
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
    case WM_MOUSEMOVE:
      Form_MouseMove(GET_X_LPARAM(lParam) * twipsPerPixelX_, GET_Y_LPARAM(lParam) * twipsPerPixelY_);
      return 0;
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
    case WM_WTSSESSION_CHANGE:
      if (AudienceMessage(audience_, message, wParam, lParam)) return TRUE;
      break;
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
  screens_ = SystemScreens();
  const Rect& all = screens_.bounds;
  SetWindowPos(window_, nullptr, all.left, all.top, all.width, all.height, SWP_NOZORDER | SWP_NOACTIVATE);
  DoEvents();
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  PasswordFlag = PasswordFlagFrom(
      ReadRegistryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveUsePassword"));
  session_.Start(system_, PasswordCondition(PasswordFlag));
  LoadProgramSettings(window_);
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
  Treatment treatment = TreatmentFor(Saver().Invert, ProgramRandom(), [this] { return AnalysisInverts(); });
  // Keeping is a copy onto itself, so only the inversion is performed.
  if (treatment == Treatment::Invert) BitBlt(Pic.dc(), 0, 0, w, h, Pic.dc(), 0, 0, NOTSRCCOPY);
  GdiFlush();
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
    for (const Rect& monitor : screens_.monitors) {
      Rect whole = CentredOn(monitor, pictureWidth_, pictureHeight_);
      DrawOnMonitor(dc, monitor, Rect{whole.left + kept_.left, whole.top + kept_.top, kept_.width, kept_.height},
                    Pic.dc());
    }
  } else if (Pic) {
    BitBlt(dc, 0, 0, Width(), Height(), Pic.dc(), 0, 0, SRCCOPY);
  } else {
    FillWith(dc, Width(), Height(), kPictureBackground);
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
  WindowDC surface(window_);
  SaverState& state = Saver();
  EngineRun run;
  run.passesPerSecond = kSaverPassesPerSecond;
  run.framesPerSecond = DisplayFramesPerSecond();
  run.seen = [this] { return audience_.Seen(); };
  run.areas = MonitorAreas(screens_);
  if (state.Horizontal != 0 || state.Vertical != 0 || !Pic) {
    ZindleLoop(surface.get(), surface.get(), window_, nullptr, run);
  } else {
    // Every block a freshly shifted piece of the unchanged picture: the
    // screen shivers by a pixel and never drifts. A picture of the user's
    // is read from its own corner on every monitor.
    state.Horizontal = 1;
    state.Vertical = 1;
    if (pictureMode_) run.areas = PictureCornerAreas(screens_, kept_);
    ZindleLoop(Pic.dc(), surface.get(), window_, nullptr, run);
  }
  // The engine returns only when the window has gone from the screen, hidden
  // or destroyed from outside: nothing is left to guard, and a process left
  // behind would hold the caption that keeps the next saver from starting.
  Form_Unload();
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

void frmSaver::Form_MouseMove(double x, double y) {
  if (mouse_.Moved(x, y)) RequestUnload();
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
