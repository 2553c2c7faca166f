// The version resource of both builds, read back as Windows reads it.
#include <gtest/gtest.h>

#include "harness.h"

namespace {

struct VersionInfo {
  std::vector<BYTE> data;
  std::wstring Text(const wchar_t* name) const {
    struct Translation {
      WORD language, codePage;
    }* translations = nullptr;
    UINT size = 0;
    auto* block = const_cast<BYTE*>(data.data());
    if (!VerQueryValueW(block, L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &size) ||
        size < sizeof(Translation))
      return L"<no translation>";
    wchar_t path[128];
    swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language, translations[0].codePage, name);
    wchar_t* text = nullptr;
    if (!VerQueryValueW(block, path, reinterpret_cast<void**>(&text), &size)) return L"<missing>";
    return text;
  }
  VS_FIXEDFILEINFO Fixed() const {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    VerQueryValueW(const_cast<BYTE*>(data.data()), L"\\", reinterpret_cast<void**>(&fixed), &size);
    return fixed ? *fixed : VS_FIXEDFILEINFO{};
  }
};

VersionInfo Read(const std::wstring& file) {
  VersionInfo info;
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
  info.data.resize(size);
  if (size) GetFileVersionInfoW(file.c_str(), 0, size, info.data.data());
  return info;
}

std::wstring Env(const wchar_t* name) {
  wchar_t buffer[1024];
  DWORD n = GetEnvironmentVariableW(name, buffer, 1024);
  return n && n < 1024 ? buffer : L"";
}

class VersionResourceTest : public testing::TestWithParam<const wchar_t*> {};

TEST_P(VersionResourceTest, NamesTheProgramAndItsVersion) {
  std::wstring file = Env(GetParam());
  if (file.empty()) GTEST_SKIP() << "no build named in the environment";
  VersionInfo info = Read(file);
  ASSERT_FALSE(info.data.empty()) << "a version resource in the file";
  EXPECT_EQ(info.Text(L"OriginalFilename"), L"Zindle!.scr");
  EXPECT_EQ(info.Text(L"ProductName"), L"Zindle!");
  EXPECT_EQ(info.Text(L"InternalName"), L"Zindle!");
  EXPECT_EQ(info.Text(L"FileDescription"), L"Screen Zindler");
  VS_FIXEDFILEINFO fixed = info.Fixed();
  EXPECT_EQ(HIWORD(fixed.dwFileVersionMS), 1);
  EXPECT_EQ(LOWORD(fixed.dwFileVersionMS), 40);
  EXPECT_EQ(HIWORD(fixed.dwFileVersionLS), 0);
}

TEST_P(VersionResourceTest, CarriesTheProgramIconInBothSizes) {
  std::wstring file = Env(GetParam());
  if (file.empty()) GTEST_SKIP() << "no build named in the environment";
  HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_TRUE(module);
  for (int size : {16, 32}) {
    HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0));
    EXPECT_TRUE(icon) << size << " x " << size;
    ICONINFO iconInfo{};
    if (icon && GetIconInfo(icon, &iconInfo)) {
      BITMAP bitmap{};
      GetObjectW(iconInfo.hbmColor, sizeof(bitmap), &bitmap);
      EXPECT_EQ(bitmap.bmWidth, size);
      DeleteObject(iconInfo.hbmColor);
      DeleteObject(iconInfo.hbmMask);
    }
    if (icon) DestroyIcon(icon);
  }
  FreeLibrary(module);
}

// The whole address space a process may have: a 32-bit program without the
// flag gets 2 GB of it, and the start-up picture of large screens is one
// piece of some hundred megabytes.
TEST_P(VersionResourceTest, MayUseTheWholeAddressSpace) {
  std::wstring file = Env(GetParam());
  if (file.empty()) GTEST_SKIP() << "no build named in the environment";
  HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(module);
  auto* base = reinterpret_cast<const BYTE*>(reinterpret_cast<uintptr_t>(module) & ~uintptr_t{3});
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* fileHeader = reinterpret_cast<const IMAGE_FILE_HEADER*>(base + dos->e_lfanew + 4);
  EXPECT_TRUE(fileHeader->Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE)
      << "characteristics 0x" << std::hex << fileHeader->Characteristics;
  FreeLibrary(module);
}

INSTANTIATE_TEST_SUITE_P(Builds, VersionResourceTest, testing::Values(L"ZINDLE_SCR64", L"ZINDLE_SCR32"),
                         [](const auto& info) { return info.param == std::wstring(L"ZINDLE_SCR64") ? "Win64" : "Win32"; });

}  // namespace
