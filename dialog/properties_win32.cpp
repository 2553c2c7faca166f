#include "core/modes_win32.h"
#include "core/runtime_win32.h"

namespace zindle {

// Placeholder until the properties dialog exists: it loads the settings.
void ShowPropertiesDialog() {
  LoadProgramSettings();
  SetProgramPointer(Pointer::Default);
}

}  // namespace zindle
