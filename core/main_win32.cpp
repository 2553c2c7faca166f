#include <windows.h>

#include "core/handles_win32.h"
#include "core/library_search_win32.h"
#include "core/mode.h"
#include "core/modes_win32.h"
#include "core/runtime_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  zindle::RestrictLibrarySearch();
  zindle::RegisterInstance();
  std::string commandLine = zindle::Narrow(GetCommandLineW());
  zindle::Main(zindle::ArgumentText(commandLine));
  return 0;
}
