// The decoder framework: code lookup, the shared formatters, rows for captures
// without an action, and how Decode replaces the rows of the previous call.
#include "knowledge/decoders/ModelDecoder.h"

#include <gtest/gtest.h>

#include <string>

namespace vexa {
namespace {

TEST(ModelDecoderLookup, FirstEqualCodeWinsCaseSensitively) {
  static constexpr TCodeEntry kTable[] = {{"A", "first"}, {"a", "lower"}, {"A", "shadowed"}, {"", "empty"}};
  EXPECT_EQ(LookupCode(kTable, "A"), "first");
  EXPECT_EQ(LookupCode(kTable, "a"), "lower");
  EXPECT_EQ(LookupCode(kTable, ""), "empty");
  EXPECT_EQ(LookupCode(kTable, "AA"), "<未知>");
  EXPECT_EQ(LookupCode(TCodeTable{}, ""), "<未知>");
  EXPECT_EQ(FindCode(kTable, "B"), nullptr);
}

TEST(ModelDecoderFormat, Capacity) {
  const struct {
    const char* capture;
    const char* expected;
  } cases[] = {
      {"256", "256.0 G字節"},   {"240G", "240.0 G字節"}, {"1T0", "1.0 T字節"},   {"512W", "512.0 G字節"},
      {"1050", "1,050.0 G字節"}, {"", ""},               {"2T", "2.0 T字節"},    {"8M", "8.0 M字節"},
      {"1P5", "1.5 P字節"},     {"240g", "240.0 G字節"}, {"T", "T"},             {"1T2T", "1T2T"},
      {"abc", "abc"},           {"1.2.3", "1.2.3"},     {"nan", "nan"},         {"1e5", "1.5 G字節"},
      {"1.5e3", "1.5e3"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatCapacityText(c.capture), c.expected) << c.capture;
  const std::string outOfRange(400, '9');
  EXPECT_EQ(FormatCapacityText(outOfRange), outOfRange);
}

class TTestDecoder final : public TModelDecoder {
public:
  explicit TTestDecoder(const TDecoderDefinition& definition) { Define(definition); }
  std::string_view GetName() const override { return "test"; }
};

TEST(ModelDecoderFormat, SpindleSpeed) {
  static constexpr TCaptureDefinition kNone[] = {{"x", TCaptureFormatting::Table, {}}};
  const TTestDecoder decoder({"test", "(x)", kNone});
  const struct {
    const char* capture;
    const char* expected;
  } cases[] = {
      {"72", "7,200 RPM"},  {"54", "5,400 RPM"}, {"15", "15,000 RPM"}, {"10", "10,000 RPM"},
      {"19", "19,000 RPM"}, {"20", "2,000 RPM"}, {"", "0 RPM"},        {"7x", "0 RPM"},
      {"x", "0 RPM"},       {"99999999999", "0 RPM"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatSpindleSpeed(decoder, 3, c.capture), c.expected) << c.capture;
}

TEST(ModelDecoder, CapturesBeyondTheActionsGetPlaceholderRows) {
  static constexpr TCodeEntry kLetters[] = {{"A", "letter a"}};
  static constexpr TCaptureDefinition kOne[] = {{"Letter", TCaptureFormatting::Table, kLetters}};
  TTestDecoder decoder({"test", "(a)(b)(c)(d)", kOne});
  ASSERT_EQ(decoder.Decode("xABCD"), 4);
  EXPECT_EQ(decoder.MatchedText(), "ABCD");
  EXPECT_EQ(decoder.RowLabel(0), "Letter");
  EXPECT_EQ(decoder.RowValue(0), "letter a");
  EXPECT_EQ(decoder.RowLabel(1), "[01] <無動作定義>");
  EXPECT_EQ(decoder.RowLabel(3), "[03] <無動作定義>");
  EXPECT_EQ(decoder.RowValue(3), "");
}

TEST(ModelDecoder, RowsDescribeOnlyTheLastDecode) {
  static constexpr TCaptureDefinition kCapacity[] = {{"Size", TCaptureFormatting::Capacity, {}},
                                                     {"Speed", TCaptureFormatting::SpindleSpeed, {}}};
  TTestDecoder decoder({"test", "(\\d+[GT]?)-(\\d\\d)", kCapacity});
  ASSERT_EQ(decoder.Actions().Count(), 2);
  EXPECT_EQ(decoder.Actions().GetAction(0)->kind, TCaptureAction::TKind::Call);
  EXPECT_EQ(decoder.Actions().GetAction(2), nullptr);
  EXPECT_EQ(decoder.Actions().GetAction(-1), nullptr);

  ASSERT_EQ(decoder.Decode("disk 240G-72"), 2);
  EXPECT_EQ(decoder.RowValue(0), "240.0 G字節");
  EXPECT_EQ(decoder.RowValue(1), "7,200 RPM");
  EXPECT_EQ(decoder.Regex().GetCapture(0), "240G");
  for (int index : {-1, 2}) {
    EXPECT_EQ(decoder.RowLabel(index), "");
    EXPECT_EQ(decoder.RowValue(index), "");
  }

  EXPECT_EQ(decoder.Decode("no digits here"), 0);
  EXPECT_EQ(decoder.RowCount(), 0);
  EXPECT_EQ(decoder.MatchedText(), "");
  EXPECT_EQ(decoder.Decode(""), 0);
}

}  // namespace
}  // namespace vexa
