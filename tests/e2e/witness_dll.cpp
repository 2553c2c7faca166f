// A stand-in loaded into the program under test by a hook on its thread
// (zindle_probe witness): it writes down every key and mouse message that the
// thread takes from its queue, and changes nothing of what the thread does.
#include "input_witness.h"

namespace {

e2e::WitnessLog* Log() {
  static e2e::WitnessLog* log = [] {
    HANDLE memory = OpenFileMappingW(FILE_MAP_WRITE, FALSE, e2e::kWitnessMemory);
    return memory ? static_cast<e2e::WitnessLog*>(MapViewOfFile(memory, FILE_MAP_WRITE, 0, 0, 0)) : nullptr;
  }();
  return log;
}

bool IsInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK WitnessGetMessage(int code, WPARAM wParam, LPARAM lParam) {
  const auto* message = reinterpret_cast<const MSG*>(lParam);
  e2e::WitnessLog* log = code == HC_ACTION && wParam == PM_REMOVE && IsInput(message->message) ? Log() : nullptr;
  if (log) {
    const LONG n = log->count;
    log->entries[static_cast<uint32_t>(n) % e2e::WitnessLog::kEntries] =
        e2e::WitnessEntry{message->message, static_cast<uint32_t>(message->wParam), message->pt.x, message->pt.y};
    InterlockedExchange(&log->count, n + 1);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
