// The saver state: the process-wide settings that the saver, the preview and
// the dialog share. Only LoadSettings fills it from the store.
#pragma once
#include <cstdint>
#include <string>

namespace zindle {

struct SaverState {
  int16_t ImageWidth = 0;
  int16_t ImageHeight = 0;
  int16_t Horizontal = 0;
  int16_t Vertical = 0;
  int16_t Unzindle = 0;
  int16_t Invert = 0;
  int16_t Level = 0;
  int16_t Threshold = 0;
  int16_t Frequency = 0;
  int16_t Flip = 0;
  int16_t Picture = 0;
  std::string PictureName;
  int16_t Slow = 0;
};

// The one state of the running program.
SaverState& Saver();

}  // namespace zindle
