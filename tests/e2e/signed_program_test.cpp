// The 64-bit program of a signed release (ZINDLE_SCR_SIGNED): its signature
// changes nothing of how it runs.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "saver_scenario.h"

namespace e2e {
namespace {

std::wstring SignedScr() {
  wchar_t buffer[1024];
  DWORD n = GetEnvironmentVariableW(L"ZINDLE_SCR_SIGNED", buffer, 1024);
  return n && n < 1024 ? buffer : L"";
}

// The size of the program's certificate table: 0 when it carries no signature.
DWORD CertificateTableSize(const std::wstring& path) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(path.c_str(), L"rb"), fclose);
  IMAGE_DOS_HEADER dos{};
  IMAGE_NT_HEADERS64 nt{};
  if (!file || fread(&dos, sizeof(dos), 1, file.get()) != 1 || fseek(file.get(), dos.e_lfanew, SEEK_SET) != 0 ||
      fread(&nt, sizeof(nt), 1, file.get()) != 1 || nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
    return 0;
  return nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY].Size;
}

class SignedProgramTest : public saver::SaverTest {};

TEST_F(SignedProgramTest, TheSignedSaverCoversTheScreenAndEndsOnAKey) {
  std::wstring scr = SignedScr();
  if (scr.empty()) GTEST_SKIP() << "no signed program named in the environment";
  ASSERT_GT(CertificateTableSize(scr), 0u) << "the program carries a signature";

  ASSERT_TRUE(StartSaver(scr)) << "the signed saver shows its window";
  ASSERT_TRUE(WaitUntilRunning());
  EXPECT_TRUE(CoversTheScreen());
  PressKey(VK_SPACE);
  EXPECT_TRUE(saver.WaitForExit(saver::kExitDeadline)) << "a key ends it";
  EXPECT_EQ(saver.ExitCode(), 0u);
}

}  // namespace
}  // namespace e2e
