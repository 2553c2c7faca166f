// Rectangles of whole pixels: monitors, the areas the engine works on, the
// part of a picture that is kept.
#pragma once
#include <cstdint>

namespace zindle {

// A rectangle of whole pixels.
struct Rect {
  int32_t left = 0, top = 0, width = 0, height = 0;
  int32_t right() const { return left + width; }
  int32_t bottom() const { return top + height; }
  bool Empty() const { return width <= 0 || height <= 0; }
  bool operator==(const Rect& other) const {
    return left == other.left && top == other.top && width == other.width && height == other.height;
  }
};

// The part of `a` inside `b`; empty (zero size) when they do not meet.
Rect Intersection(const Rect& a, const Rect& b);

// The smallest rectangle that holds both; an empty one adds nothing.
Rect Bounds(const Rect& a, const Rect& b);

}  // namespace zindle
