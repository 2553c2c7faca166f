// In-memory stand-ins for the store, the prompt, the generator and surfaces.
#pragma once
#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "saver/engine.h"
#include "settings/settings_store.h"

namespace zindle::testing {

class MemoryStore : public SettingsStore {
 public:
  using Address = std::tuple<std::string, std::string, std::string>;
  std::optional<std::string> Read(std::string_view app, std::string_view section,
                                  std::string_view key) override {
    reads.push_back(std::string(key));
    auto it = values.find(Address(app, section, key));
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  bool Save(std::string_view app, std::string_view section, std::string_view key,
            std::string_view text) override {
    writes.push_back(std::string(key));
    if (failAfter >= 0 && static_cast<int>(writes.size()) > failAfter) return false;
    values[Address(app, section, key)] = std::string(text);
    return true;
  }
  void Delete(std::string_view app, std::string_view section) override {
    deletes.push_back(std::string(app) + "\\" + std::string(section));
    for (auto it = values.begin(); it != values.end();)
      it = std::get<0>(it->first) == app && std::get<1>(it->first) == section ? values.erase(it) : ++it;
  }
  void Put(std::string key, std::string text) { values[Address(kApplication, kSection, key)] = text; }
  bool HasSection(const std::string& app, const std::string& section) const {
    for (auto& [address, text] : values)
      if (std::get<0>(address) == app && std::get<1>(address) == section) return true;
    return false;
  }

  std::map<Address, std::string> values;
  std::vector<std::string> reads, writes, deletes;
  int failAfter = -1;  // writes after this many fail
};

class ScriptedPrompt : public VersionPrompt {
 public:
  explicit ScriptedPrompt(bool answer = true) : answer(answer) {}
  bool AskYesNo(const std::string& t, const std::string& ti) override {
    text = t;
    title = ti;
    ++asked;
    return answer;
  }
  bool answer;
  int asked = 0;
  std::string text, title;
};

// Hands out a fixed list of fractions, round and round.
class ScriptedRandom : public RandomSource {
 public:
  explicit ScriptedRandom(std::vector<float> fractions) : fractions_(std::move(fractions)) {}
  float NextFraction() override {
    ++calls;
    return fractions_[next_++ % fractions_.size()];
  }
  int calls = 0;

 private:
  std::vector<float> fractions_;
  size_t next_ = 0;
};

// A surface of pixels in memory; copies read outside it give 0xFFFFFFFF.
struct MemorySurface : Surface {
  MemorySurface(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h) {}
  uint32_t At(int x, int y) const {
    return x < 0 || y < 0 || x >= width || y >= height ? 0xFFFFFFFFu : pixels[static_cast<size_t>(y) * width + x];
  }
  void Set(int x, int y, uint32_t v) {
    if (x >= 0 && y >= 0 && x < width && y < height) pixels[static_cast<size_t>(y) * width + x] = v;
  }
  int width, height;
  std::vector<uint32_t> pixels;
};

// Records what the engine does; copies are performed on memory surfaces.
class RecordingPlatform : public EnginePlatform {
 public:
  struct Copied {
    Surface* to;
    int32_t x, y, w, h;
    Surface* from;
    int32_t sx, sy;
  };
  void Copy(Surface& to, int32_t x, int32_t y, int32_t w, int32_t h, Surface& from, int32_t sx,
            int32_t sy) override {
    copies.push_back({&to, x, y, w, h, &from, sx, sy});
    events.push_back("copy");
    auto& dst = static_cast<MemorySurface&>(to);
    auto& src = static_cast<MemorySurface&>(from);
    std::vector<uint32_t> block;  // read first: source and target may be one surface
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i) block.push_back(src.At(sx + i, sy + j));
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i) dst.Set(x + i, y + j, block[static_cast<size_t>(j) * w + i]);
  }
  void DoEvents() override {
    events.push_back("events");
    if (onEvents) onEvents();
  }
  bool WindowVisible() override {
    events.push_back("visible?");
    return --passesLeft > 0;
  }
  // A clock that only moves when the engine rests, in microseconds.
  int64_t Now() override { return now; }
  RestEnded RestUntil(int64_t until) override {
    waits.push_back(until);
    events.push_back("rest " + std::to_string(until - now));
    now = std::max(now, until);
    return RestEnded::kOnTime;
  }
  void RestUntilMessage() override { events.push_back("rest until a message"); }
  int passesLeft = 1;
  int64_t now = 0;
  std::vector<int64_t> waits;
  std::vector<Copied> copies;
  std::vector<std::string> events;
  std::function<void()> onEvents;
};

}  // namespace zindle::testing
