// Owners for the handles the program borrows from the system, and the text
// conversions between the program's UTF-8 and the system's wide strings.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace zindle {

std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// A device context from GetDC, released with ReleaseDC in the same scope.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// A memory device context with one bitmap selected into it; the bitmap is
// selected out again before either is deleted.
class MemoryBitmap {
 public:
  MemoryBitmap() = default;
  MemoryBitmap(HDC like, int width, int height);
  // A 32-bit top-down DIB section whose pixels can be read in memory.
  static MemoryBitmap Dib(int width, int height);
  ~MemoryBitmap() { Reset(); }
  MemoryBitmap(MemoryBitmap&& other) noexcept { *this = std::move(other); }
  MemoryBitmap& operator=(MemoryBitmap&& other) noexcept;
  MemoryBitmap(const MemoryBitmap&) = delete;
  MemoryBitmap& operator=(const MemoryBitmap&) = delete;

  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // The pixels of a DIB section (0x00RRGGBB per pixel, rows top-down), or null.
  const uint32_t* bits() const { return bits_; }
  uint32_t* bits() { return bits_; }
  explicit operator bool() const { return dc_ && bitmap_; }

 private:
  void Reset();
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
template <typename T>
using GdiObject = std::unique_ptr<std::remove_pointer_t<T>, GdiObjectDeleter>;

struct RegKeyDeleter {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using RegKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegKeyDeleter>;

struct ModuleDeleter {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter>;

struct HandleDeleter {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using KernelHandle = std::unique_ptr<void, HandleDeleter>;

}  // namespace zindle
