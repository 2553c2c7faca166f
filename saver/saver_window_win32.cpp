#include "core/modes_win32.h"
#include "core/runtime_win32.h"

namespace zindle {

// Placeholder until the saver window exists.
void RunSaver() { LoadProgramSettings(); }

}  // namespace zindle
