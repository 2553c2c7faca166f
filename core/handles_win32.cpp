#include "core/handles_win32.h"

namespace zindle {

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Narrow(std::wstring_view wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

MemoryBitmap::MemoryBitmap(HDC like, int width, int height) : width_(width), height_(height) {
  dc_ = CreateCompatibleDC(like);
  bitmap_ = CreateCompatibleBitmap(like, width, height);
  if (dc_ && bitmap_) previous_ = SelectObject(dc_, bitmap_);
}

MemoryBitmap MemoryBitmap::Dib(int width, int height) {
  MemoryBitmap result;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  result.width_ = width;
  result.height_ = height;
  result.dc_ = CreateCompatibleDC(nullptr);
  result.bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  result.bits_ = static_cast<uint32_t*>(bits);
  if (result.dc_ && result.bitmap_) result.previous_ = SelectObject(result.dc_, result.bitmap_);
  return result;
}

MemoryBitmap& MemoryBitmap::operator=(MemoryBitmap&& other) noexcept {
  if (this != &other) {
    Reset();
    std::swap(dc_, other.dc_);
    std::swap(bitmap_, other.bitmap_);
    std::swap(previous_, other.previous_);
    std::swap(bits_, other.bits_);
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
  }
  return *this;
}

void MemoryBitmap::Reset() {
  if (dc_ && previous_) SelectObject(dc_, previous_);
  if (bitmap_) DeleteObject(bitmap_);
  if (dc_) DeleteDC(dc_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  previous_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
}

}  // namespace zindle
