// The system's screen-saver switches through SystemParametersInfo. The
// system keeps them per process where the tests run, so the run's changes
// are observed at this layer.
#pragma once
#include "saver/saver_rules.h"

namespace zindle {

class SystemParametersScreenSaver : public ScreenSaverSystem {
 public:
  bool ScreenSaveActive() override;
  void SetScreenSaveActive(bool active) override;
  void SetScreenSaverRunning(bool running) override;
};

}  // namespace zindle
