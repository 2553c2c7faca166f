// The Windows Installer packages as an administrator meets them: msiexec
// installs the saver into the system folder, a newer package replaces it, an
// older one is refused, and removal leaves the user's settings. The packages
// are named by ZINDLE_MSI64 (the release), ZINDLE_MSI32 (its 32-bit twin) and
// ZINDLE_MSI64_NEWER (a later version carrying ZINDLE_SCR_NEWER).
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/handles_win32.h"
#include "dialog/layout.h"
#include "saver_scenario.h"

namespace e2e {
namespace {

constexpr DWORD kInstallDeadline = 60000;
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::wstring Env(const wchar_t* name) {
  wchar_t buffer[1024];
  DWORD n = GetEnvironmentVariableW(name, buffer, 1024);
  return n && n < 1024 ? buffer : L"";
}

std::wstring SystemFolder() {
  wchar_t path[MAX_PATH];
  GetSystemDirectoryW(path, MAX_PATH);
  return path;
}

std::wstring Wow64Folder() {
  wchar_t path[MAX_PATH];
  GetSystemWow64DirectoryW(path, MAX_PATH);
  return path;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The whole file; empty when it cannot be read.
std::vector<char> Bytes(const std::wstring& path) {
  std::vector<char> data;
  std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(path.c_str(), L"rb"), fclose);
  if (!file) return data;
  char block[65536];
  for (size_t n; (n = fread(block, 1, sizeof(block), file.get())) > 0;) data.insert(data.end(), block, block + n);
  return data;
}

// Both files are there and hold the same bytes.
bool SameFile(const std::wstring& one, const std::wstring& other) {
  std::vector<char> bytes = Bytes(one);
  return !bytes.empty() && bytes == Bytes(other);
}

struct MsiHandle {
  MSIHANDLE value = 0;
  ~MsiHandle() {
    if (value) MsiCloseHandle(value);
  }
};

// A property of a package, as its Property table holds it.
std::wstring PackageProperty(const std::wstring& package, const std::wstring& name) {
  MsiHandle database, view, record;
  std::wstring query = L"SELECT `Value` FROM `Property` WHERE `Property` = '" + name + L"'";
  if (MsiOpenDatabaseW(package.c_str(), MSIDBOPEN_READONLY, &database.value) != ERROR_SUCCESS ||
      MsiDatabaseOpenViewW(database.value, query.c_str(), &view.value) != ERROR_SUCCESS ||
      MsiViewExecute(view.value, 0) != ERROR_SUCCESS || MsiViewFetch(view.value, &record.value) != ERROR_SUCCESS)
    return L"";
  wchar_t value[256];
  DWORD size = 256;
  return MsiRecordGetStringW(record.value, 1, value, &size) == ERROR_SUCCESS ? value : L"";
}

// An entry of the installed programs, as Programs and Features lists it.
struct Entry {
  std::wstring name, version, publisher;
};

std::wstring RegistryText(HKEY key, const wchar_t* name) {
  wchar_t value[512];
  DWORD size = sizeof(value);
  if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return L"";
  return value;
}

// The installed programs named Zindle!, by product code, from both views of
// the registry.
std::map<std::wstring, Entry> ZindleEntries() {
  std::map<std::wstring, Entry> entries;
  for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    HKEY uninstall = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | view, &uninstall) != ERROR_SUCCESS) continue;
    wchar_t code[256];
    for (DWORD i = 0, size = 256; RegEnumKeyExW(uninstall, i, code, &size, nullptr, nullptr, nullptr, nullptr) ==
                                  ERROR_SUCCESS;
         ++i, size = 256) {
      HKEY product = nullptr;
      if (RegOpenKeyExW(uninstall, code, 0, KEY_READ | view, &product) != ERROR_SUCCESS) continue;
      Entry entry{RegistryText(product, L"DisplayName"), RegistryText(product, L"DisplayVersion"),
                  RegistryText(product, L"Publisher")};
      RegCloseKey(product);
      if (entry.name == L"Zindle!") entries[code] = entry;
    }
    RegCloseKey(uninstall);
  }
  return entries;
}

// Runs msiexec and gives its exit code once it has ended.
DWORD Msiexec(const std::wstring& arguments) {
  Process installer(SystemFolder() + L"\\msiexec.exe", arguments);
  if (!installer) return ERROR_FILE_NOT_FOUND;
  if (!installer.WaitForExit(kInstallDeadline)) return WAIT_TIMEOUT;
  return installer.ExitCode();
}

DWORD InstallQuietly(const std::wstring& package) { return Msiexec(L"/i \"" + package + L"\" /qn"); }

// A visible window with a child whose text begins with the given words.
HWND WindowSaying(const std::wstring& words) {
  for (HWND window : TopWindows()) {
    if (!IsWindowVisible(window)) continue;
    for (HWND child : ChildWindows(window))
      if (WindowText(child).rfind(words, 0) == 0) return GetAncestor(child, GA_ROOT);
  }
  return nullptr;
}

class PackageTest : public saver::SaverTest {
 protected:
  void SetUp() override {
    release = Env(L"ZINDLE_MSI64");
    release32 = Env(L"ZINDLE_MSI32");
    newer = Env(L"ZINDLE_MSI64_NEWER");
    if (release.empty() || release32.empty() || newer.empty()) GTEST_SKIP() << "no packages named in the environment";
    SaverTest::SetUp();
    ASSERT_TRUE(ZindleEntries().empty()) << "no Zindle! installed before the scenario";
  }
  // Other scenarios start the program by its build path: nothing installed
  // may stay behind.
  void TearDown() override {
    for (const auto& [code, entry] : ZindleEntries()) Msiexec(L"/x " + code + L" /qn");
    SaverTest::TearDown();
  }

  static std::wstring Installed() { return SystemFolder() + L"\\Zindle!.scr"; }

  std::wstring release, release32, newer;
};

TEST_F(PackageTest, InstallPutsTheBuiltSaverIntoSystem32UnderOneEntryAndItRunsFromThere) {
  ASSERT_EQ(InstallQuietly(release), 0u) << "msiexec /i /qn succeeds";
  EXPECT_TRUE(SameFile(Installed(), Env(L"ZINDLE_SCR64"))) << "the built program, byte for byte, in " << Installed();

  std::wstring code = PackageProperty(release, L"ProductCode");
  auto entries = ZindleEntries();
  ASSERT_EQ(entries.size(), 1u) << "one entry among the installed programs";
  ASSERT_EQ(entries.count(code), 1u) << "the entry is the package's product";
  EXPECT_EQ(entries[code].version, L"1.40.0");
  EXPECT_EQ(entries[code].publisher, L"Korvane");
  wchar_t icon[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  ASSERT_EQ(MsiGetProductInfoW(code.c_str(), INSTALLPROPERTY_PRODUCTICON, icon, &size),
            static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_TRUE(SameFile(icon, Env(L"ZINDLE_ICON"))) << "the program's icon for Programs and Features";

  ASSERT_TRUE(StartSaver(Installed())) << "the installed saver shows its window";
  ASSERT_TRUE(WaitUntilRunning());
  PressKey(VK_SPACE);
  EXPECT_TRUE(saver.WaitForExit(saver::kExitDeadline)) << "a key ends it";
  EXPECT_EQ(saver.ExitCode(), 0u);
}

TEST_F(PackageTest, RemovalTakesTheFileAndTheEntryAndLeavesTheSettings) {
  ASSERT_EQ(InstallQuietly(release), 0u);
  Process dialog = StartScrAt(Installed(), L"/c");
  HWND window = WaitForWindow(zindle::Wide(zindle::dialog::kDialogCaption), saver::kStartDeadline, dialog.Id());
  ASSERT_TRUE(window) << "the installed saver opens its properties";
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(zindle::dialog::kCmdOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(window, zindle::dialog::kCmdOK)));
  ASSERT_TRUE(dialog.WaitForExit(saver::kStartDeadline)) << "OK closes the dialog";
  ASSERT_TRUE(settings::Get(L"Version")) << "OK wrote the settings";

  ASSERT_EQ(Msiexec(L"/x \"" + release + L"\" /qn"), 0u) << "msiexec /x /qn succeeds";
  EXPECT_FALSE(Exists(Installed())) << "the saver is gone from the system folder";
  EXPECT_TRUE(ZindleEntries().empty()) << "the entry is gone";
  EXPECT_TRUE(settings::Get(L"Version")) << "the user's settings stay";
}

TEST_F(PackageTest, ANewerVersionReplacesTheInstalledOneAndLeavesThe32BitSaverBesideIt) {
  ASSERT_EQ(InstallQuietly(release), 0u);
  ASSERT_EQ(InstallQuietly(release32), 0u) << "the 32-bit package installs beside it";
  std::wstring installed32 = Wow64Folder() + L"\\Zindle!.scr";
  ASSERT_TRUE(SameFile(installed32, Env(L"ZINDLE_SCR32"))) << "the 32-bit saver, byte for byte, in " << installed32;

  ASSERT_EQ(InstallQuietly(newer), 0u) << "the newer package installs";
  EXPECT_TRUE(SameFile(Installed(), Env(L"ZINDLE_SCR_NEWER"))) << "its file replaced the old one";
  std::map<std::wstring, std::wstring> versions;
  for (const auto& [code, entry] : ZindleEntries()) versions[code] = entry.version;
  std::map<std::wstring, std::wstring> expected{
      {PackageProperty(newer, L"ProductCode"), PackageProperty(newer, L"ProductVersion")},
      {PackageProperty(release32, L"ProductCode"), L"1.40.0"}};
  EXPECT_EQ(versions, expected) << "the newer entry instead of the old one; the 32-bit one untouched";
  EXPECT_TRUE(SameFile(installed32, Env(L"ZINDLE_SCR32"))) << "the 32-bit saver stays";
}

TEST_F(PackageTest, AnOlderVersionIsRefusedWithAMessageAndChangesNothing) {
  ASSERT_EQ(InstallQuietly(newer), 0u);
  std::wstring code = PackageProperty(newer, L"ProductCode");
  // With the basic interface, as when the package is double-clicked.
  Process installer(SystemFolder() + L"\\msiexec.exe", L"/i \"" + release + L"\" /qb");
  HWND message = nullptr;
  PollUntil([&] {
    message = WindowSaying(L"A newer version of Zindle! is already installed");
    return message || !installer.Running();
  }, kInstallDeadline);
  ASSERT_TRUE(message) << "the installer says why it refuses";
  PostMessageW(message, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(installer.WaitForExit(kInstallDeadline));
  EXPECT_EQ(installer.ExitCode(), static_cast<DWORD>(ERROR_INSTALL_FAILURE));
  EXPECT_TRUE(SameFile(Installed(), Env(L"ZINDLE_SCR_NEWER"))) << "the newer file stays";
  auto entries = ZindleEntries();
  EXPECT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries.count(code), 1u) << "the newer entry stays alone";
}

}  // namespace
}  // namespace e2e
