#include "core/picture_win32.h"

#include <objbase.h>
#include <wincodec.h>

#include <cstdint>

#include "core/picture_file.h"

namespace zindle {
namespace {

// The picture file read whole once its header passes, the file kept open and
// unshared for writing meanwhile.
class FileBytes {
 public:
  explicit FileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    KernelHandle owner(file);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0) return;
    contents_ = ReadPictureFile(static_cast<uint64_t>(size.QuadPart), [file](uint8_t* into, size_t count, size_t& read) {
      DWORD came = 0;
      const bool ok = ReadFile(file, into, static_cast<DWORD>(count), &came, nullptr) != FALSE;
      read = came;
      return ok;
    });
  }
  const uint8_t* data() const { return contents_.bytes.get(); }
  size_t size() const { return contents_.size; }
  explicit operator bool() const { return static_cast<bool>(contents_); }

 private:
  FileContents contents_;
};

// An owner for one reference to a COM object.
template <typename T>
class Com {
 public:
  Com() = default;
  ~Com() {
    if (p_) p_->Release();
  }
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  T** out() { return &p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// The picture as its decoder shows it: the first frame, converted to
// premultiplied colours, which are the picture laid on black. Held in the
// order of release, last made first.
struct RasterSource {
  Com<IWICImagingFactory> factory;
  Com<IWICStream> stream;
  Com<IWICBitmapDecoder> decoder;
  Com<IWICBitmapFrameDecode> frame;
  Com<IWICFormatConverter> converted;
  int width = 0, height = 0;
};

bool ImagingReady() {
  // The imaging factory is found through its registration, with a full
  // path: no module is searched for. Started once, for the whole process.
  static HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  return SUCCEEDED(started) || started == RPC_E_CHANGED_MODE;
}

// The bits of a pixel as the decoder keeps the frame; the most a pixel
// format has when it does not say.
UINT DecodedBitsPerPixel(RasterSource& source) {
  WICPixelFormatGUID format{};
  Com<IWICComponentInfo> component;
  Com<IWICPixelFormatInfo> pixel;
  UINT bits = 0;
  if (FAILED(source.frame->GetPixelFormat(&format)) ||
      FAILED(source.factory->CreateComponentInfo(format, component.out())) ||
      FAILED(component->QueryInterface(IID_PPV_ARGS(pixel.out()))) || FAILED(pixel->GetBitsPerPixel(&bits)) ||
      bits == 0)
    return 128;
  return bits;
}

// The raster picture opened for decoding, once its header was found within
// the budget. False when the system cannot decode it or it is larger than
// its header said.
bool OpenRaster(const FileBytes& file, RasterSource& source) {
  if (!ImagingReady()) return false;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(source.factory.out()))))
    return false;
  UINT width = 0, height = 0;
  if (FAILED(source.factory->CreateStream(source.stream.out())) ||
      FAILED(source.stream->InitializeFromMemory(const_cast<BYTE*>(file.data()), static_cast<DWORD>(file.size()))) ||
      FAILED(source.factory->CreateDecoderFromStream(source.stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                     source.decoder.out())) ||
      FAILED(source.decoder->GetFrame(0, source.frame.out())) || FAILED(source.frame->GetSize(&width, &height)))
    return false;
  if (width < 1 || height < 1 || width > static_cast<UINT>(kLargestSide) || height > static_cast<UINT>(kLargestSide) ||
      DecodeBytes(static_cast<uint64_t>(width) * height, DecodedBitsPerPixel(source)) > kDecodeBudgetBytes)
    return false;
  if (FAILED(source.factory->CreateFormatConverter(source.converted.out())) ||
      FAILED(source.converted->Initialize(source.frame.get(), GUID_WICPixelFormat32bppPBGRA,
                                          WICBitmapDitherTypeNone, nullptr, 0, WICBitmapPaletteTypeCustom)))
    return false;
  source.width = static_cast<int>(width);
  source.height = static_cast<int>(height);
  return true;
}

// Copies a part of the source into a new bitmap of the part's size.
MemoryBitmap CopyPart(IWICBitmapSource* source, const Rect& part) {
  MemoryBitmap bitmap = MemoryBitmap::Dib(part.width, part.height);
  if (!bitmap || !bitmap.bits()) return {};
  UINT stride = static_cast<UINT>(part.width) * 4;
  WICRect rect{part.left, part.top, part.width, part.height};
  GdiFlush();
  if (FAILED(source->CopyPixels(&rect, stride, stride * static_cast<UINT>(part.height),
                                reinterpret_cast<BYTE*>(bitmap.bits()))))
    return {};
  return bitmap;
}

// The scaled picture row by row: a scaler asked for all rows at once asks
// its source for the whole picture, converted, in one piece.
MemoryBitmap CopyScaledRows(IWICBitmapSource* scaler, int width, int height) {
  MemoryBitmap bitmap = MemoryBitmap::Dib(width, height);
  if (!bitmap || !bitmap.bits()) return {};
  UINT stride = static_cast<UINT>(width) * 4;
  GdiFlush();
  for (int y = 0; y < height; ++y) {
    WICRect row{0, y, width, 1};
    if (FAILED(scaler->CopyPixels(&row, stride, stride,
                                  reinterpret_cast<BYTE*>(bitmap.bits() + static_cast<size_t>(y) * width))))
      return {};
  }
  return bitmap;
}

// A metafile drawn into any rectangle: the whole picture is fitted to it,
// and only what falls on the bitmap is drawn.
class Metafile {
 public:
  Metafile(const FileBytes& file, const PictureHeader& header) : header_(header) {
    const BYTE* records = file.data() + header.recordsOffset;
    UINT size = static_cast<UINT>(header.recordsSize);
    if (header.format == PictureFormat::EnhancedMetafile)
      enhanced_ = SetEnhMetaFileBits(size, records);
    else
      plain_ = SetMetaFileBitsEx(size, records);
  }
  ~Metafile() {
    if (enhanced_) DeleteEnhMetaFile(enhanced_);
    if (plain_) DeleteMetaFile(plain_);
  }
  Metafile(const Metafile&) = delete;
  Metafile& operator=(const Metafile&) = delete;
  explicit operator bool() const { return enhanced_ || plain_; }

  void Draw(HDC dc, int left, int top, int width, int height) const {
    if (enhanced_) {
      RECT whole{left, top, left + width, top + height};
      PlayEnhMetaFile(dc, enhanced_, &whole);
      return;
    }
    // The logical window of the drawing fitted to the rectangle, as a
    // placeable header or the drawing's own window extent says.
    int saved = SaveDC(dc);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowOrgEx(dc, header_.windowLeft, header_.windowTop, nullptr);
    SetWindowExtEx(dc, header_.windowWidth, header_.windowHeight, nullptr);
    SetViewportOrgEx(dc, left, top, nullptr);
    SetViewportExtEx(dc, width, height, nullptr);
    PlayMetaFile(dc, plain_);
    RestoreDC(dc, saved);
  }

 private:
  PictureHeader header_;
  HENHMETAFILE enhanced_ = nullptr;
  HMETAFILE plain_ = nullptr;
};

PixelSize ScreenShownSize(const PictureHeader& header) {
  WindowDC screen(nullptr);
  return ShownSize(header, GetDeviceCaps(screen.get(), LOGPIXELSX), GetDeviceCaps(screen.get(), LOGPIXELSY));
}

Picture KeptMetafilePart(const FileBytes& file, const PictureHeader& header, const KeepPart& keep) {
  PixelSize size = ScreenShownSize(header);
  if (size.width == 0) return {};
  Rect part = ClipToPicture(keep(size.width, size.height), size.width, size.height);
  Metafile metafile(file, header);
  if (part.Empty() || !metafile) return {};
  Picture picture;
  picture.bitmap = MemoryBitmap::Dib(part.width, part.height);  // black until drawn on
  if (!picture.bitmap) return {};
  // The whole picture placed so that the kept part lands on the bitmap.
  metafile.Draw(picture.bitmap.dc(), -part.left, -part.top, size.width, size.height);
  GdiFlush();
  picture.width = size.width;
  picture.height = size.height;
  picture.left = part.left;
  picture.top = part.top;
  return picture;
}

Picture KeptRasterPart(const FileBytes& file, const KeepPart& keep) {
  RasterSource source;
  if (!OpenRaster(file, source)) return {};
  Rect part = ClipToPicture(keep(source.width, source.height), source.width, source.height);
  if (part.Empty()) return {};
  Picture picture;
  picture.bitmap = CopyPart(source.converted.get(), part);
  if (!picture.bitmap) return {};
  picture.width = source.width;
  picture.height = source.height;
  picture.left = part.left;
  picture.top = part.top;
  return picture;
}

}  // namespace

Picture LoadPicture(const std::string& path, const KeepPart& keep) {
  if (path.empty()) return {};
  FileBytes file(Wide(path));
  if (!file) return {};
  PictureHeader header = ReadPictureHeader(file.data(), file.size());
  if (header.IsMetafile()) return KeptMetafilePart(file, header, keep);
  // Refused before the decoder sees it: decoders hold the whole picture.
  if (ScreenShownSize(header).width == 0) return {};
  return KeptRasterPart(file, keep);
}

MemoryBitmap LoadPictureStretched(const std::string& path, int width, int height) {
  if (path.empty() || width < 1 || height < 1) return {};
  FileBytes file(Wide(path));
  if (!file) return {};
  PictureHeader header = ReadPictureHeader(file.data(), file.size());
  if (ScreenShownSize(header).width == 0) return {};
  if (header.IsMetafile()) {
    Metafile metafile(file, header);
    if (!metafile) return {};
    MemoryBitmap bitmap = MemoryBitmap::Dib(width, height);
    if (!bitmap) return {};
    metafile.Draw(bitmap.dc(), 0, 0, width, height);
    GdiFlush();
    return bitmap;
  }
  RasterSource source;
  Com<IWICBitmapScaler> scaler;
  if (!OpenRaster(file, source) || FAILED(source.factory->CreateBitmapScaler(scaler.out())) ||
      FAILED(scaler->Initialize(source.converted.get(), static_cast<UINT>(width), static_cast<UINT>(height),
                                WICBitmapInterpolationModeFant)))
    return {};
  return CopyScaledRows(scaler.get(), width, height);
}

}  // namespace zindle
