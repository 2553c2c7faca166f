#include "core/rect.h"

#include <algorithm>

namespace zindle {

Rect Intersection(const Rect& a, const Rect& b) {
  int32_t left = std::max(a.left, b.left), top = std::max(a.top, b.top);
  int32_t right = std::min(a.right(), b.right()), bottom = std::min(a.bottom(), b.bottom());
  if (right <= left || bottom <= top) return Rect{left, top, 0, 0};
  return Rect{left, top, right - left, bottom - top};
}

Rect Bounds(const Rect& a, const Rect& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  int32_t left = std::min(a.left, b.left), top = std::min(a.top, b.top);
  return Rect{left, top, std::max(a.right(), b.right()) - left, std::max(a.bottom(), b.bottom()) - top};
}

}  // namespace zindle
