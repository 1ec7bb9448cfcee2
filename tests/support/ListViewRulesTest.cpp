// The house list's sort toggle, arrow bits, column scaling and checkbox toggles.
#include "support/ListViewRules.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(ListViewRules, SameColumnThreeTimesToggles) {
  TListSortState state;
  state.column = 2;
  state.direction = TSortDirection::Descending;  // left over from earlier clicks
  EXPECT_EQ(state.Click(2), TSortDirection::Ascending);
  EXPECT_EQ(state.Click(2), TSortDirection::Descending);
  EXPECT_EQ(state.Click(2), TSortDirection::Ascending);
  EXPECT_EQ(state.column, 2);
}

TEST(ListViewRules, AnotherColumnStartsAscending) {
  TListSortState state;
  EXPECT_EQ(state.Click(0), TSortDirection::Descending);  // column 0 is the sort column at first
  EXPECT_EQ(state.Click(3), TSortDirection::Ascending);
  EXPECT_EQ(state.column, 3);
  EXPECT_EQ(state.Click(3), TSortDirection::Descending);
  EXPECT_EQ(state.Click(1), TSortDirection::Ascending);  // leaving a descending column
}

TEST(ListViewRules, ArrowBits) {
  EXPECT_EQ(SortArrowFlags(TSortDirection::Ascending), 0x400u);
  EXPECT_EQ(SortArrowFlags(TSortDirection::Descending), 0x200u);
  EXPECT_EQ(WithSortArrow(0x4602, 0x200), 0x4202u);  // both old arrow bits go, others stay
  EXPECT_EQ(WithSortArrow(0x0001, 0), 0x0001u);
  EXPECT_EQ(WithSortArrow(0x0600, 0), 0u);
}

TEST(ListViewRules, ColumnWidthsScale) {
  EXPECT_EQ(ScaleColumnWidth(155, 96), 155);
  EXPECT_EQ(ScaleColumnWidth(155, 120), 194);  // 193.75 rounds up
  EXPECT_EQ(ScaleColumnWidth(34, 144), 51);
  EXPECT_EQ(ScaleColumnWidth(0, 192), 0);
}

TEST(ListViewRules, CheckToggles) {
  struct Case {
    std::uint32_t oldState, newState;
    TCheckToggle expected;
  };
  const Case cases[] = {
      {0x1000, 0x2000, {true, true}},    // checked
      {0x2000, 0x1000, {true, false}},   // unchecked
      {0x0000, 0x1002, {true, false}},   // first image while selected: unchecked
      {0x2000, 0x2002, {false, false}},  // selection only
      {0x1002, 0x1000, {false, false}},  // deselection only
      {0x0002, 0x0000, {false, false}},  // no state image at all
      {0x1000, 0x3000, {true, true}},    // a third image counts as checked
  };
  for (const auto& c : cases)
    EXPECT_EQ(CheckToggleOf(c.oldState, c.newState), c.expected) << std::hex << c.oldState << " -> " << c.newState;
}

}  // namespace
}  // namespace vexa
