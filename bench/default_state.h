// The state the saver runs with at the settings' defaults, on one screen.
#pragma once
#include "settings/saver_state.h"

namespace bench {

inline zindle::SaverState DefaultState(int width, int height) {
  zindle::SaverState s;
  s.ImageWidth = static_cast<int16_t>(width);
  s.ImageHeight = static_cast<int16_t>(height);
  s.Horizontal = 1;
  s.Vertical = 1;
  return s;
}

}  // namespace bench
