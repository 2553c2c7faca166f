#include "core/handles_win32.h"
#include "core/library_search_win32.h"
#include "core/mode.h"
#include "core/modes_win32.h"
#include "core/platform_win32.h"
#include "core/runtime_win32.h"

namespace zindle {

HWND WindowFromArgument(std::string_view argumentText) {
  std::optional<int32_t> handle = WindowHandleArgument(argumentText);
  if (!handle) return nullptr;
  HWND window = static_cast<HWND>(LongToHandle(*handle));
  return IsWindow(window) ? window : nullptr;
}

void Main(std::string_view argumentText) {
  SetProgramPointer(Pointer::ArrowBusy);
  switch (ModeFor(ModeKey(argumentText))) {
    case Mode::Dialog:
      ShowPropertiesDialog(WindowFromArgument(argumentText));
      break;
    case Mode::Saver:
      if (NoWindowTitled(kSaverClass, kSaverCaption)) RunSaver();
      break;
    case Mode::Preview:
      if (OtherInstanceRunning()) return;
      LoadProgramSettings(nullptr, VersionQuestion::DoNotAsk);
      RunPreview(argumentText);
    case Mode::ChangePassword:
      ChangeScreenSaverPassword(WindowFromArgument(argumentText));
      break;
    case Mode::None:
      break;
  }
}

void ChangeScreenSaverPassword(HWND parent) {
  Module mpr = LoadSystemLibrary(L"mpr.dll");
  if (!mpr) return;
  auto change = ModuleFunction<ChangePasswordService>(mpr.get(), "PwdChangePasswordA");
  if (change) ChangeScreenSaverPassword(change, parent);
}

void ChangeScreenSaverPassword(ChangePasswordService change, HWND parent) {
  change("SCRSAVE", parent, 0, 0);
}

}  // namespace zindle
