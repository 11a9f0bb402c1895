// Small value types of the dialog model: rectangles and points in pixels,
// the object flag bits and the view update hint.
#pragma once

#include <algorithm>
#include <cstdint>

class DlgAnchor;
class DlgContainer;
class DlgDocument;
class DlgObject;
class DlgRootAnchor;
class DlgSelection;
class DlgView;

// The largest pixel coordinate or size an object keeps.
constexpr int32_t DLG_COORD_MAX = 1 << 20;

struct DlgPoint {
  int32_t x = 0;
  int32_t y = 0;
};

// A rectangle; right and bottom are outside it.
struct DlgRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  DlgRect Offset(int32_t dx, int32_t dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  bool Contains(DlgPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  // True when `r` lies wholly inside this rectangle.
  bool Contains(const DlgRect& r) const {
    return r.left >= left && r.top >= top && r.right <= right && r.bottom <= bottom;
  }
  bool Intersects(const DlgRect& r) const {
    return !IsEmpty() && !r.IsEmpty() && r.left < right && left < r.right && r.top < bottom && top < r.bottom;
  }
  DlgRect Intersection(const DlgRect& r) const {
    return {std::max(left, r.left), std::max(top, r.top), std::min(right, r.right), std::min(bottom, r.bottom)};
  }
  // The smallest rectangle holding both; an empty one adds nothing.
  DlgRect Union(const DlgRect& r) const {
    if (r.IsEmpty()) return *this;
    if (IsEmpty()) return r;
    return {std::min(left, r.left), std::min(top, r.top), std::max(right, r.right), std::max(bottom, r.bottom)};
  }
  bool operator==(const DlgRect&) const = default;
};

// Flag bits of a dialog object (DlgObject::Flags()).
enum : uint32_t {
  DLG_F_HATTACH_MASK = 0x3,        // 0 none, 1 right, 2 both edges, 3 left
  DLG_F_VATTACH_MASK = 0xC,        // 0 none, 4 bottom, 8 both edges, 12 top
  DLG_F_USE_XLEFT = 1u << 4,       // geometry properties in use: bits 4-9
  DLG_F_LINKED = 1u << 10,         // linked into the tree
  DLG_F_SEL_TOOK_RECT = 1u << 12,  // the selection took the rectangle
  DLG_F_GEOMETRY_TAKEN = 1u << 13,
  DLG_F_TEMPORARY = 1u << 14,
  DLG_F_SELECTABLE = 1u << 15,
  DLG_F_TEMPLATE_CHILD = 1u << 20,  // not deletable; written inline
  DLG_F_PLACEHOLDER = 1u << 22,
  DLG_F_VCENTER = 1u << 23,
  DLG_F_GUI_APPLIED = 1u << 25,
  DLG_F_SHOWN = 1u << 26,
  DLG_F_POS_UNITS = 1u << 27,
  DLG_F_SIZE_UNITS = 1u << 28,
  DLG_F_CHECK = 1u << 29,
  DLG_F_CHECK_INDETERMINATE = 1u << 30,
};

// Bit numbers of the flag word, for SetFlag and ClearFlag.
enum : int {
  DLG_BIT_LINKED = 10,
  DLG_BIT_TEMPORARY = 14,
  DLG_BIT_SELECTABLE = 15,
  DLG_BIT_TEMPLATE_CHILD = 20,
  DLG_BIT_SHOWN = 26
};

// Collects the areas (relative to the canvas origin) that views must repaint.
struct DlgViewUpdate {
  DlgRect rect;      // union of the added areas
  bool any = false;  // something was added since the last reset

  void Add(const DlgRect& r) {
    rect = any ? rect.Union(r) : r;
    any = true;
  }
  void Reset() {
    rect = {};
    any = false;
  }
};
