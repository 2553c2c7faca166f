// Any texts stored under the settings' keys, and under the previous
// release's version key: what LoadSettings makes of them must be a state the
// saver, the preview and the dialog can use, and what the dialog writes back
// from it must read back as itself.
//
// Input: one byte of flags (bit 0: the user answers Yes to the
// previous-version question), the screen's width and height (16 bits each),
// a seed (32 bits), then the stored texts separated by NUL bytes, in the
// order of kKeys and then the previous release's "Current". A text that is
// the single byte 0xFF, or one the input ends before, is not stored.
#include <algorithm>
#include <string>
#include <vector>

#include "dialog/commit.h"
#include "saver/colour_analysis.h"
#include "saver/engine.h"
#include "saver/saver_rules.h"
#include "settings/settings_store.h"
#include "tests/fuzz/check.h"
#include "tests/unit/fakes.h"

using namespace zindle;
using testing::MemoryStore;
using testing::ScriptedPrompt;

namespace {

constexpr const char* kKeys[] = {"Horizontal", "Vertical", "Unzindle", "Frequency", "Invert", "Level",
                                 "Threshold",  "FlipHoriz", "FlipVert", "Picture",  "PictureName", "Slow"};
constexpr const char* kOldSections[] = {"Colours", "Factor", "Timeout", "Version"};

std::vector<std::optional<std::string>> StoredTexts(std::string_view rest, size_t count) {
  std::vector<std::optional<std::string>> texts(count);
  size_t start = 0;
  for (size_t i = 0; i < count && start < rest.size(); ++i) {
    size_t end = std::min(rest.find('\0', start), rest.size());
    std::string_view text = rest.substr(start, end - start);
    if (text != "\xFF") texts[i] = std::string(text);
    start = end + 1;
  }
  return texts;
}

dialog::DialogValues ShownInDialog(const SaverState& s) {
  dialog::DialogValues v;
  v.horizontal = s.Horizontal;
  v.vertical = s.Vertical;
  v.unzindle = s.Unzindle;
  v.frequency = s.Frequency;
  v.colourChoice = static_cast<uint8_t>(s.Invert);
  v.level = s.Level;
  v.threshold = s.Threshold;
  v.flipHoriz = s.Flip & 1;
  v.flipVert = s.Flip >> 1 & 1;
  v.picture = s.Picture;
  v.pictureName = s.PictureName;
  v.slow = s.Slow;
  return v;
}

SaverState Load(MemoryStore& store, bool answer) {
  ScriptedPrompt prompt(answer);
  SaverState state;
  LoadSettings(store, prompt, state);
  return state;
}

// A picture of one grey for the colour test.
class Grey : public PixelReader {
 public:
  int32_t PackedPixel(int32_t x, int32_t y) const override { return x < 0 || y < 0 ? -1 : 0x00808080; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Fields fields(data, size);
  bool answer = fields.Take(1) & 1;
  int16_t screenWidth = static_cast<int16_t>(1 + fields.Take(2) % 4096);
  int16_t screenHeight = static_cast<int16_t>(1 + fields.Take(2) % 4096);
  uint32_t seed = fields.Take(4);
  std::vector<std::optional<std::string>> texts = StoredTexts(fields.Rest(), std::size(kKeys) + 1);

  MemoryStore store;
  for (size_t i = 0; i < std::size(kKeys); ++i)
    if (texts[i]) store.Put(kKeys[i], *texts[i]);
  const std::optional<std::string>& current = texts.back();
  if (current) {
    store.values[{kOldApplication, "Version", "Current"}] = *current;
    for (const char* section : {"Colours", "Factor", "Timeout"}) store.values[{kOldApplication, section, "x"}] = "1";
  }

  ScriptedPrompt prompt(answer);
  SaverState state;
  LoadSettings(store, prompt, state);

  // Reading writes nothing; the question comes at most once, never without
  // an old release's entry, and only Yes removes that release's sections.
  REQUIRE(store.writes.empty());
  REQUIRE(prompt.asked <= 1);
  if (!current || current->rfind("None", 0) == 0) REQUIRE(prompt.asked == 0);
  for (const char* section : kOldSections)
    REQUIRE(store.HasSection(kOldApplication, section) == (current && !(prompt.asked && answer)));

  // What the rest of the program takes for granted of the state.
  REQUIRE(state.Horizontal >= 0 && state.Vertical >= 0);
  REQUIRE(state.Level >= 1);
  REQUIRE(state.Threshold >= 0 && state.Threshold < static_cast<int16_t>(std::size(kThresholdGreys)));
  REQUIRE(state.Invert >= kNormal && state.Invert <= kIntelligent);
  REQUIRE(state.Picture == 0 || state.Picture == 1);
  REQUIRE(state.Slow >= 0 && state.Slow <= 1000);
  REQUIRE(state.PictureName == texts[10].value_or(""));

  // Blocks planned with the stored amplitudes are read only from the picture.
  state.ImageWidth = screenWidth;
  state.ImageHeight = screenHeight;
  Generator random(seed);
  Area whole = WholeArea(screenWidth, screenHeight);
  for (int pass = 0; pass < 16; ++pass) {
    Block block = ClipBlock(PlanPass(state, random), whole.readable);
    if (block.w <= 0 || block.h <= 0) continue;
    REQUIRE(block.sx >= 0 && block.sy >= 0 && block.sx + block.w <= screenWidth && block.sy + block.h <= screenHeight);
    REQUIRE(block.x >= 0 && block.y >= 0 && block.x + block.w <= screenWidth && block.y + block.h <= screenHeight);
  }
  // The colour test samples within the picture whatever its level and threshold.
  ColourAnalysis analysis = AnalyseColours(Grey(), std::min<int32_t>(screenWidth, 200),
                                           std::min<int32_t>(screenHeight, 200), state.Level, state.Threshold);
  REQUIRE(analysis.count >= 0 && analysis.half >= 0 && analysis.count <= 200 * 200);

  // The dialog shows the state and writes it on OK; read back, it is what the
  // dialog wrote, and writing it again changes nothing.
  MemoryStore saved;
  dialog::WriteSettings(saved, ShownInDialog(state));
  SaverState reread = Load(saved, answer);
  MemoryStore savedAgain;
  dialog::WriteSettings(savedAgain, ShownInDialog(reread));
  REQUIRE(saved.values == savedAgain.values);
  return 0;
}
