// The rules of the house report-style list that a window only carries out: the
// sort toggle of a column click, the header's sort-arrow bits, column widths
// scaled from 96 pixels per inch, and when a state change is a checkbox toggle.
#pragma once

#include <cstdint>

#include "support/Utils.h"

namespace vexa {

enum class TSortDirection : std::uint8_t { Ascending = 0, Descending = 1 };

// Header format bits: sort-up arrow for ascending, sort-down for descending.
inline constexpr std::uint32_t kSortArrowUp = 0x400;
inline constexpr std::uint32_t kSortArrowDown = 0x200;
inline constexpr std::uint32_t kSortArrowMask = kSortArrowUp | kSortArrowDown;

constexpr std::uint32_t SortArrowFlags(TSortDirection direction) {
  return direction == TSortDirection::Ascending ? kSortArrowUp : kSortArrowDown;
}

// A header item's format with its arrow bits replaced by flags.
constexpr std::uint32_t WithSortArrow(std::uint32_t format, std::uint32_t flags) {
  return (format & ~kSortArrowMask) | flags;
}

struct TListSortState {
  std::int32_t column = 0;
  TSortDirection direction = TSortDirection::Ascending;

  // A click on the current column while ascending turns to descending; any other
  // click sorts the clicked column ascending.
  constexpr TSortDirection Click(std::int32_t clicked) {
    direction = clicked == column && direction == TSortDirection::Ascending ? TSortDirection::Descending
                                                                             : TSortDirection::Ascending;
    column = clicked;
    return direction;
  }
};

// A column width given at 96 pixels per inch, on a screen of pixelsPerInch.
inline std::int32_t ScaleColumnWidth(std::int32_t width96, std::int32_t pixelsPerInch) {
  return MulDiv(width96, pixelsPerInch, 96);
}

// List item state bits: the state image (checkbox) lives in bits 12..15; 0x1000
// is the unchecked image.
inline constexpr std::uint32_t kStateImageMask = 0xF000;
inline constexpr std::uint32_t kStateImageUnchecked = 0x1000;

// A state change is a checkbox toggle when the new state carries a state image
// and that image differs from the old one; checked is whether the new image is
// not the unchecked one. Only the image bits count: a selection or focus change
// on a checked item is no toggle, and a selected unchecked item is not checked.
struct TCheckToggle {
  bool toggled = false;
  bool checked = false;
  bool operator==(const TCheckToggle&) const = default;
};
constexpr TCheckToggle CheckToggleOf(std::uint32_t oldState, std::uint32_t newState) {
  const std::uint32_t oldImage = oldState & kStateImageMask, newImage = newState & kStateImageMask;
  if (newImage == 0 || newImage == oldImage) return {};
  return {true, newImage != kStateImageUnchecked};
}

}  // namespace vexa
