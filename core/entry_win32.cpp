#include "core/handles_win32.h"
#include "core/library_search_win32.h"
#include "core/mode.h"
#include "core/modes_win32.h"
#include "core/platform_win32.h"
#include "core/runtime_win32.h"

namespace zindle {
namespace {

// The window the dialog belongs to, when the argument text names a window.
HWND DialogOwner(std::string_view argumentText) {
  std::optional<uint64_t> handle = DialogOwnerHandle(argumentText);
  if (!handle) return nullptr;
  HWND owner = reinterpret_cast<HWND>(static_cast<uintptr_t>(*handle));
  return IsWindow(owner) ? owner : nullptr;
}

}  // namespace

void Main(std::string_view argumentText) {
  SetProgramPointer(Pointer::ArrowBusy);
  switch (ModeFor(ModeKey(argumentText))) {
    case Mode::Dialog:
      ShowPropertiesDialog(DialogOwner(argumentText));
      break;
    case Mode::Saver:
      if (NoWindowTitled(kSaverCaption)) RunSaver();
      break;
    case Mode::Preview:
      if (OtherInstanceRunning()) return;
      LoadProgramSettings(nullptr, VersionQuestion::DoNotAsk);
      RunPreview(argumentText);
    case Mode::ChangePassword:
      ChangeScreenSaverPassword(PasswordParentHandle(argumentText));
      break;
    case Mode::None:
      break;
  }
}

void ChangeScreenSaverPassword(uint32_t parent) {
  Module mpr = LoadSystemLibrary(L"mpr.dll");
  if (!mpr) return;
  auto change = ModuleFunction<ChangePasswordService>(mpr.get(), "PwdChangePasswordA");
  if (change) ChangeScreenSaverPassword(change, parent);
}

void ChangeScreenSaverPassword(ChangePasswordService change, uint32_t parent) {
  change("SCRSAVE", reinterpret_cast<HWND>(static_cast<uintptr_t>(parent)), 0, 0);
}

}  // namespace zindle
