#include "win32/picture_bench_win32.h"

#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <wincodec.h>

#include <string>
#include <vector>

#include "core/picture_win32.h"
#include "harness.h"
#include "saver/saver_rules.h"
#include "saver/screens.h"
#include "win32/measure_win32.h"

namespace bench {
namespace {

constexpr wchar_t kSaverCaption[] = L"Zindle! Screen Saver";
constexpr wchar_t kDialogCaption[] = L"Zindle! Properties";
constexpr DWORD kDeadline = 30000;
const char* const kSection = "pictures";

// What one screen of this size shows of a centred picture, as the saver keeps it.
zindle::Rect CentredPart(int screenWidth, int screenHeight, int width, int height) {
  return zindle::PartShownOnMonitors(zindle::ScreensFrom({{0, 0, screenWidth, screenHeight}}), width, height);
}

struct File {
  const char* name;
  const wchar_t* file;
};

const File kFiles[] = {
    {"PNG 24000 x 24000, 1.7 MB", L"huge.png"},
    {"PNG 12000 x 12000", L"large.png"},
    {"EMF 372 bytes, frame 8 m square", L"frame-8m.emf"},
    {"BMP 1 KB claiming 30000 x 30000", L"lying.bmp"},
    {"JPEG photo 8660 x 5773 (50 MP), 21 MB", L"photo.jpg"},
};

double MiB(double bytes) { return bytes / 1048576.0; }

std::wstring Folder() {
  wchar_t folder[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"ZINDLE_PICTURES", folder, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(folder, n) : std::wstring();
}

template <typename Condition>
double WhenTrue(Condition&& condition, double deadlineMs) {
  double start = NowMs();
  for (;;) {
    if (condition()) return NowMs();
    if (NowMs() - start > deadlineMs) return -1;
    e2e::PumpFor(1);
  }
}

double PeakWorkingSet(const e2e::Process& process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  HANDLE handle = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process.Id());
  bool read = handle && GetProcessMemoryInfo(handle, &counters, sizeof(counters));
  if (handle) CloseHandle(handle);
  return read ? static_cast<double>(counters.PeakWorkingSetSize) : -1;
}

// What the saver's first frame shows at a few points: the picture's centred
// part as the program's own loader keeps it, on black, or the desktop when
// the picture is refused.
struct Frame {
  std::vector<POINT> points;
  std::vector<uint32_t> colours;
  bool picture = false;
};

Frame ExpectedFrame(const std::wstring& path, const e2e::Image& desktop) {
  const int w = e2e::ScreenWidth(), h = e2e::ScreenHeight();
  zindle::Picture picture = zindle::LoadPicture(
      zindle::Narrow(path), [w, h](int width, int height) { return CentredPart(w, h, width, height); });
  Frame frame;
  frame.picture = static_cast<bool>(picture);
  int left = zindle::CentringOffset(w, picture.width) + picture.left;
  int top = zindle::CentringOffset(h, picture.height) + picture.top;
  for (int i = 1; i < 16; i += 2)
    for (int j = 1; j < 12; j += 2) {
      POINT p{w * i / 16, h * j / 12};
      uint32_t colour = desktop.At(p.x, p.y);
      if (picture) {
        int x = p.x - left, y = p.y - top;
        bool inside = x >= 0 && y >= 0 && x < picture.bitmap.width() && y < picture.bitmap.height();
        colour = inside ? picture.bitmap.bits()[static_cast<size_t>(y) * picture.bitmap.width() + x] & 0xFFFFFF : 0;
      }
      frame.points.push_back(p);
      frame.colours.push_back(colour);
    }
  return frame;
}

bool Shows(const Frame& frame) {
  HDC screen = GetDC(nullptr);
  bool all = true;
  for (size_t i = 0; i < frame.points.size() && all; ++i) {
    COLORREF c = GetPixel(screen, frame.points[i].x, frame.points[i].y);
    all = c != CLR_INVALID && ((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c)) == frame.colours[i];
  }
  ReleaseDC(nullptr, screen);
  return all;
}

void Settings(const std::wstring& path) {
  e2e::settings::ClearAll();
  e2e::settings::Put(L"Picture", L"1");
  e2e::settings::Put(L"PictureName", path);
  // A second's pause before the first displaced block keeps the first frame whole.
  e2e::settings::Put(L"Slow", L"1000");
}

void SaverRuns(const File& f, const std::wstring& path, int runs, const e2e::Image& desktop, e2e::Backdrop& backdrop) {
  Frame frame = ExpectedFrame(path, desktop);
  std::string name = f.name;
  Note(kSection, name + (frame.picture ? ": shown" : ": refused, the desktop is shown"));
  std::vector<double> toWindow, toFrame;
  double peak = -1;
  for (int run = 0; run < runs; ++run) {
    ShowWindow(backdrop.window(), SW_SHOWNOACTIVATE);
    SetWindowPos(backdrop.window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    e2e::PumpFor(200);
    double start = NowMs();
    e2e::Process saver = e2e::StartScr(L"/s");
    double shown = WhenTrue([&] { return e2e::FindTopWindow(kSaverCaption, saver.Id()) != nullptr; }, kDeadline);
    if (shown < 0) {
      Note(kSection, name + ": no saver window");
      continue;
    }
    ShowWindow(backdrop.window(), SW_HIDE);
    double drawn = WhenTrue([&] { return Shows(frame); }, kDeadline);
    if (drawn < 0) {
      Note(kSection, name + ": the first frame never showed");
      continue;
    }
    toWindow.push_back(shown - start);
    toFrame.push_back(drawn - start);
    if (run == 0) peak = PeakWorkingSet(saver);
  }
  double bitmap = 4.0 * e2e::ScreenWidth() * e2e::ScreenHeight();
  Figure(kSection, name + ": saver, launch -> window shown", Summarise(toWindow), "ms");
  Figure(kSection, name + ": saver, launch -> first frame", Summarise(toFrame), "ms");
  Figure(kSection, name + ": saver, peak working set", MiB(peak), "MiB");
  Figure(kSection, name + ": saver, peak working set in screen bitmaps beyond 30 MiB",
         (peak - 30 * 1048576.0) / bitmap, "bitmaps");
}

void DialogRun(const File& f) {
  std::string name = f.name;
  double start = NowMs();
  e2e::Process dialog = e2e::StartScr(L"/c");
  HWND window = nullptr;
  double opened = WhenTrue([&] { return (window = e2e::FindTopWindow(kDialogCaption, dialog.Id())) != nullptr; },
                           kDeadline);
  if (opened < 0) {
    Note(kSection, name + ": the dialog never opened");
    return;
  }
  Figure(kSection, name + ": dialog, launch -> window (preview loaded)", opened - start, "ms");
  Figure(kSection, name + ": dialog, peak working set", MiB(PeakWorkingSet(dialog)), "MiB");
  PostMessageW(window, WM_CLOSE, 0, 0);
  dialog.WaitForExit(5000);
}

void PreviewRun(const File& f) {
  std::string name = f.name;
  HWND host = e2e::CreatePreviewArea(200, 200, 152, 112);
  double start = NowMs();
  e2e::Process preview = e2e::StartScr(L"/p " + std::to_wstring(reinterpret_cast<uintptr_t>(host)));
  double drawn = WhenTrue([&] { return e2e::DrawnOver(host); }, kDeadline);
  if (drawn < 0) {
    Note(kSection, name + ": the preview never drew");
  } else {
    Figure(kSection, name + ": preview, launch -> first drawing", drawn - start, "ms");
    Figure(kSection, name + ": preview, peak working set", MiB(PeakWorkingSet(preview)), "MiB");
    double hidden = NowMs();
    ShowWindow(host, SW_HIDE);
    double ended = WhenTrue([&] { return !preview.Running(); }, kDeadline);
    if (ended > 0) Figure(kSection, name + ": preview, hidden -> process ended", ended - hidden, "ms");
  }
  DestroyWindow(host);
  e2e::PumpFor(50);
}

// The loader inside this process: the 50-megapixel photo kept as the saver
// keeps it, and stretched as the dialog's preview.
void InProcess(const std::wstring& photo) {
  std::string path = zindle::Narrow(photo);
  const int w = e2e::ScreenWidth(), h = e2e::ScreenHeight();
  auto centred = [w, h](int width, int height) { return CentredPart(w, h, width, height); };
  std::vector<double> kept, stretched;
  for (int run = 0; run < 3; ++run) {
    double start = NowMs();
    bool shown = static_cast<bool>(zindle::LoadPicture(path, centred));
    kept.push_back(NowMs() - start);
    start = NowMs();
    shown = shown && static_cast<bool>(zindle::LoadPictureStretched(path, 164, 105));
    stretched.push_back(NowMs() - start);
    if (!shown) Note(kSection, "the photo was refused in process");
  }
  Figure(kSection, "photo in process: LoadPicture, the centred screen part", Summarise(kept), "ms");
  Figure(kSection, "photo in process: LoadPictureStretched to 164 x 105", Summarise(stretched), "ms");
}

double OwnPeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return static_cast<double>(counters.PeakWorkingSetSize);
}

// What the system's decoder costs without the program's budget: the
// screen's worth from the middle of a picture, straight through the imaging
// codecs, timed, and the growth of this process's peak memory over a
// baseline. Each file is measured once, the smaller first, so that each
// growth is its own.
void UnbudgetedDecode(const std::wstring& path, const std::string& name, double baseline) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IWICImagingFactory* factory = nullptr;
  IWICBitmapDecoder* decoder = nullptr;
  IWICBitmapFrameDecode* frame = nullptr;
  IWICFormatConverter* converter = nullptr;
  double start = NowMs();
  UINT width = 0, height = 0;
  bool done = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) &&
              SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                           WICDecodeMetadataCacheOnDemand, &decoder)) &&
              SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&width, &height)) &&
              SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
              SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
                                              0, WICBitmapPaletteTypeCustom));
  if (done) {
    zindle::Rect part = CentredPart(e2e::ScreenWidth(), e2e::ScreenHeight(), width, height);
    std::vector<uint32_t> pixels(static_cast<size_t>(part.width) * part.height);
    WICRect rect{part.left, part.top, part.width, part.height};
    done = SUCCEEDED(converter->CopyPixels(&rect, part.width * 4, static_cast<UINT>(pixels.size() * 4),
                                           reinterpret_cast<BYTE*>(pixels.data())));
  }
  double elapsed = NowMs() - start;
  for (IUnknown* object : std::initializer_list<IUnknown*>{converter, frame, decoder, factory})
    if (object) object->Release();
  if (!done) {
    Note(kSection, name + ": the codecs could not decode it");
    return;
  }
  Figure(kSection, name + ": codecs without the budget, screen part decoded", elapsed, "ms");
  Figure(kSection, name + ": codecs without the budget, peak memory growth", MiB(OwnPeakWorkingSet() - baseline), "MiB");
}

}  // namespace

void PictureSection(int runs) {
  std::wstring folder = Folder();
  if (folder.empty()) {
    Note(kSection, "ZINDLE_PICTURES is not set: no pictures to measure");
    return;
  }
  // First, before anything else of this process holds a whole picture.
  double baseline = OwnPeakWorkingSet();
  UnbudgetedDecode(folder + L"\\photo.jpg", "JPEG photo 8660 x 5773 (50 MP)", baseline);
  UnbudgetedDecode(folder + L"\\large.png", "PNG 12000 x 12000 (144 MP)", baseline);
  e2e::Image desktop = e2e::KnownPicture(e2e::ScreenWidth(), e2e::ScreenHeight());
  {
    e2e::Backdrop backdrop(desktop);
    for (const File& f : kFiles) {
      std::wstring path = folder + L"\\" + f.file;
      if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        Note(kSection, std::string(f.name) + ": file missing");
        continue;
      }
      Settings(path);
      SaverRuns(f, path, runs, desktop, backdrop);
      ShowWindow(backdrop.window(), SW_HIDE);
      DialogRun(f);
      PreviewRun(f);
    }
  }
  e2e::settings::ClearAll();
  InProcess(folder + L"\\photo.jpg");
}

}  // namespace bench
