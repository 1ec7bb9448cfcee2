// Edge snapping of a form against the desktop work area.
#include "support/Snap.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

constexpr TRect kWork{0, 0, 1000, 700};

struct SnapCase {
  const char* name;
  TRect form;
  std::int32_t distance;
  TRect expected;
};

TEST(Snap, EdgesWithinTheDistanceSnapAndOthersStay) {
  const SnapCase cases[] = {
      {"left at 16 snaps", {16, 300, 200, 100}, 16, {0, 300, 200, 100}},
      {"left at 17 stays", {17, 300, 200, 100}, 16, {17, 300, 200, 100}},
      {"left beyond the edge by 16 snaps", {-16, 300, 200, 100}, 16, {0, 300, 200, 100}},
      {"top at 16 snaps", {300, 16, 200, 100}, 16, {300, 0, 200, 100}},
      {"top at 17 stays", {300, 17, 200, 100}, 16, {300, 17, 200, 100}},
      {"right gap of 16 snaps", {784, 300, 200, 100}, 16, {800, 300, 200, 100}},
      {"right gap of 17 stays", {783, 300, 200, 100}, 16, {783, 300, 200, 100}},
      {"bottom overlap of 16 snaps", {300, 616, 200, 100}, 16, {300, 600, 200, 100}},
      {"bottom gap of 17 stays", {300, 583, 200, 100}, 16, {300, 583, 200, 100}},
      {"corner snaps both ways", {10, 590, 200, 100}, 16, {0, 600, 200, 100}},
      {"distance 0 never snaps", {1, 1, 200, 100}, 0, {1, 1, 200, 100}},
      {"negative distance never snaps", {0, 5, 200, 100}, -3, {0, 5, 200, 100}},
      {"wider than the area: right wins", {5, 300, 1010, 100}, 16, {-10, 300, 1010, 100}},
  };
  for (const auto& c : cases) EXPECT_EQ(SnapToWorkArea(c.form, kWork, c.distance), c.expected) << c.name;
}

TEST(Snap, WorkAreaAwayFromTheOrigin) {
  // A taskbar on the left and top: the work area starts at (60, 30).
  const TRect work{60, 30, 940, 670};
  EXPECT_EQ(SnapToWorkArea({70, 40, 300, 200}, work, kDefaultSnapDistance), (TRect{60, 30, 300, 200}));
  EXPECT_EQ(SnapToWorkArea({0, 0, 300, 200}, work, kDefaultSnapDistance), (TRect{0, 0, 300, 200}));
}

}  // namespace
}  // namespace vexa
