// What counts as worse, at the edges each rule decides on.
#include <gtest/gtest.h>

#include "history/HistoryTestSupport.h"
#include "history/SmartChanges.h"
#include "knowledge/SmartDescriptors.h"
#include "knowledge/SmartMeanings.h"

namespace vexa {
namespace {

using test::AtaReading;
using test::NvmeReading;

struct TRawCase {
  const char* descriptor;
  std::uint8_t id;
  std::uint64_t before, after;
  TWorseReason worse;
  bool reset;
};

TEST(SmartChanges, RawValuesByTheirMeaningUnderTheDescriptor) {
  const TRawCase cases[] = {
      {"Fallback", 5, 0, 1, TWorseReason::CounterRose, false},      // reallocated
      {"Fallback", 197, 2, 3, TWorseReason::CounterRose, false},    // pending
      {"Fallback", 198, 0, 8, TWorseReason::CounterRose, false},    // uncorrectable
      {"Fallback", 199, 22047, 29259, TWorseReason::CounterRose, false},  // CRC
      {"MechWdc", 196, 1, 2, TWorseReason::CounterRose, false},     // reallocation events
      {"Phison", 218, 0, 1, TWorseReason::CounterRose, false},      // CRC on Phison
      {"Indilinx", 199, 100, 200, TWorseReason::None, false},       // sectors written on Indilinx
      {"Samsung", 197, 0, 5, TWorseReason::None, false},            // unnamed on Samsung
      {"Fallback", 9, 1000, 1001, TWorseReason::None, false},       // hours never worse
      {"Fallback", 194, 30, 60, TWorseReason::None, false},         // temperature never worse
      {"Fallback", 5, 10, 0, TWorseReason::None, true},             // reset by a firmware update
      {"Fallback", 9, 5000, 3, TWorseReason::None, true},           // hours wrapped
      {"Fallback", 1, 500, 3, TWorseReason::None, false},           // an error rate goes both ways
  };
  for (const TRawCase& c : cases) {
    const auto changes = CompareReadings(AtaReading({{c.id, 0x32, 100, 100, 0, c.before}}, TSmartStatus::Good, c.descriptor),
                                         AtaReading({{c.id, 0x32, 100, 100, 0, c.after}}, TSmartStatus::Good, c.descriptor));
    const TRowChange* row = changes.Find(c.id);
    ASSERT_NE(row, nullptr) << c.descriptor << " " << int(c.id);
    EXPECT_EQ(row->worse, c.worse) << c.descriptor << " " << int(c.id);
    EXPECT_EQ(row->reset, c.reset) << c.descriptor << " " << int(c.id);
  }
}

TEST(SmartChanges, NormalisedValueFallingToItsThreshold) {
  struct {
    std::uint8_t id, threshold, before, after, worstAfter;
    bool worse;
  } const cases[] = {
      {3, 10, 11, 10, 10, true},    // reaches it
      {3, 10, 12, 11, 11, false},   // one above
      {3, 10, 10, 9, 9, false},     // was there already
      {3, 0, 5, 1, 1, false},       // no threshold
      {3, 10, 11, 0, 0, false},     // current and worst 0: no verdict
      {194, 40, 45, 40, 40, false}, // temperature
  };
  for (const auto& c : cases) {
    const auto changes = CompareReadings(AtaReading({{c.id, 0x33, c.before, c.before, c.threshold, 0}}),
                                         AtaReading({{c.id, 0x33, c.after, c.worstAfter, c.threshold, 0}}));
    EXPECT_EQ(changes.Find(c.id)->IsWorse(), c.worse) << int(c.id) << " " << int(c.before) << "->" << int(c.after);
  }
}

TEST(SmartChanges, VerdictGettingWorse) {
  using S = TSmartStatus;
  struct {
    S before, after;
    bool worse;
  } const cases[] = {
      {S::Good, S::WorstReached, true}, {S::Good, S::CurrentReached, true}, {S::WorstReached, S::CurrentReached, true},
      {S::None, S::CurrentReached, false}, {S::CurrentReached, S::Good, false}, {S::Good, S::Good, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CompareReadings(AtaReading({}, c.before), AtaReading({}, c.after)).AnyWorse(), c.worse)
        << int(c.before) << "->" << int(c.after);
}

TEST(SmartChanges, NvmeHealthFields) {
  const TUInt128 high{0, 1};  // 2^64: beyond any 64-bit counter
  struct {
    const char* key;
    TUInt128 before, after;
    TWorseReason worse;
    bool reset;
  } const cases[] = {
      {"media_errors", high, {1, 1}, TWorseReason::CounterRose, false},
      {"media_errors", {1, 1}, {0, 0}, TWorseReason::None, true},
      {"power_on_hours", {9000, 0}, {9001, 0}, TWorseReason::None, false},
      {"data_units_written", high, {5, 0}, TWorseReason::None, true},
      {"percentage_used", {89, 0}, {90, 0}, TWorseReason::UsedReached90, false},
      {"percentage_used", {90, 0}, {99, 0}, TWorseReason::None, false},
      {"percentage_used", {99, 0}, {100, 0}, TWorseReason::UsedReached100, false},
      {"percentage_used", {80, 0}, {101, 0}, TWorseReason::UsedReached100, false},
      {"critical_warning", {0, 0}, {4, 0}, TWorseReason::WarningBitSet, false},
      {"critical_warning", {4, 0}, {5, 0}, TWorseReason::WarningBitSet, false},
      {"critical_warning", {5, 0}, {4, 0}, TWorseReason::None, false},
      {"temperature", {300, 0}, {360, 0}, TWorseReason::None, false},
  };
  for (const auto& c : cases) {
    const auto changes = CompareReadings(NvmeReading({{c.key, c.before}}), NvmeReading({{c.key, c.after}}));
    const TRowChange* row = changes.Find(std::string_view(c.key));
    ASSERT_NE(row, nullptr) << c.key;
    EXPECT_EQ(row->worse, c.worse) << c.key << " " << DecimalText(c.before) << "->" << DecimalText(c.after);
    EXPECT_EQ(row->reset, c.reset) << c.key;
  }
}

TEST(SmartChanges, AvailableSpareFallingUnderItsThreshold) {
  struct {
    std::uint64_t before, after, threshold;
    bool worse;
  } const cases[] = {{11, 10, 10, false}, {10, 9, 10, true}, {9, 8, 10, false}, {5, 4, 0, false}};
  for (const auto& c : cases) {
    const auto changes =
        CompareReadings(NvmeReading({{"available_spare", {c.before, 0}}, {"available_spare_threshold", {c.threshold, 0}}}),
                        NvmeReading({{"available_spare", {c.after, 0}}, {"available_spare_threshold", {c.threshold, 0}}}));
    EXPECT_EQ(changes.AnyWorse(), c.worse) << c.before << "->" << c.after << " of " << c.threshold;
  }
}

// A failure counter listed for a family must be an id the family gives a name to,
// or a typo in the list would judge an attribute nobody named.
TEST(SmartChanges, EveryFailureCounterIsANamedAttributeOfItsFamily) {
  for (std::size_t k = 0; k < kSmartDescriptorKindCount; ++k) {
    const auto kind = static_cast<TSmartDescriptorKind>(k);
    const auto descriptor = CreateSmartDescriptor(kind);
    for (int id = 1; id < 256; ++id) {
      if (!IsFailureCounter(SmartMeaning(kind, static_cast<std::uint8_t>(id)))) continue;
      const std::string_view name = descriptor->AttributeName(id);
      EXPECT_FALSE(name.starts_with("<")) << SmartDescriptorKindName(kind) << " " << id << " " << name;
    }
  }
}

}  // namespace
}  // namespace vexa
