// The Configuration page: its rows (every variable, sorted, unsaved marks, variables
// of pages opened later), the arrow-key steps of every kind, edit, reset and copy.
#include "views/ConfigTab.h"

#include <gtest/gtest.h>

#include "shell/Core.h"
#include "shell/EasyConfig.h"
#include "views/DecoderTab.h"
#include "views/SessionHarness.h"

namespace vexa {
namespace {

TEST(ConfigVariables, ArrowStepsOfEveryKind) {
  TEasyConfigIni store("unused.ini");
  auto* colour = TConfigVarColor::Register(&store, "t", 0x524131, "colour");
  auto* white = TConfigVarColor::Register(&store, "t", 0xFFFFFF, "white");
  auto* bounded = TConfigVarNamed::Register(&store, "t", 5, "named");
  bounded->minimum = 0;
  bounded->maximum = 5;
  auto* number = TConfigVarFloat::Register(&store, "t", 0, "float");
  auto* flag = TConfigVarBool::Register(&store, "t", false, "flag");
  auto* wide = TConfigVarInt::Register(&store, "t", INT32_MIN, "wide");

  AdjustConfigVariable(*colour, +1);
  EXPECT_EQ(colour->Value(), 0x534232);  // each byte steps
  AdjustConfigVariable(*white, +1);
  EXPECT_EQ(white->Value(), 0);  // and wraps
  AdjustConfigVariable(*white, -1);
  EXPECT_EQ(white->Value(), 0xFFFFFF);
  AdjustConfigVariable(*bounded, +1);
  EXPECT_EQ(bounded->Value(), 5);  // its maximum holds
  AdjustConfigVariable(*number, +1);
  EXPECT_EQ(number->ToText(), TConfigVarFloat::Register(&store, "t", 0.1L, "tenth")->ToText());
  AdjustConfigVariable(*flag, -1);
  EXPECT_TRUE(flag->Value());
  AdjustConfigVariable(*wide, -1);
  EXPECT_EQ(wide->Value(), INT32_MIN);  // no wrap past the type's end
  AdjustConfigVariable(*flag, 0);
  EXPECT_TRUE(flag->Value());

  EXPECT_EQ(ConfigEditPrompt(*bounded), "輸入一個新 [integer] 值為 \"t.named\"...");
  EXPECT_EQ(ConfigCopyText(*flag), "t.flag = 屬實");
  EXPECT_LT(CompareConfigVariables(*colour, *flag, 0), 0);
  EXPECT_EQ(CompareConfigVariables(*colour, *white, 2), 0);
}

class TAnsweringConfigTab : public TConfigTab {
public:
  using TConfigTab::TConfigTab;
  std::optional<std::string> answer;
  std::string prompt;

protected:
  std::optional<std::string> AskText(const std::string& text, const std::string&) override {
    prompt = text;
    return answer;
  }
};

using ConfigTabTest = SessionHarness;

int RowOf(const TConfigTab& page, std::string_view fullName) {
  for (std::size_t i = 0; i < page.Rows().size(); ++i)
    if (page.Rows()[i].name.starts_with(std::string(fullName) + " ")) return static_cast<int>(i);
  return -1;
}

TEST_F(ConfigTabTest, RowsAndChanges) {
  TConsoleSession& s = Run("desktop-ssd-hdd.machine");
  auto& page = dynamic_cast<TAnsweringConfigTab&>(*s.Tabs().Add(TabClassOf<TAnsweringConfigTab>()));
  ASSERT_EQ(static_cast<int>(page.Rows().size()), s.Config().Count());
  for (std::size_t i = 1; i < page.Rows().size(); ++i)
    EXPECT_LE(CompareConfigVariables(*page.Rows()[i - 1].variable, *page.Rows()[i].variable, 0), 0);
  EXPECT_EQ(RowOf(page, "tabs.decoder.font_header"), -1);

  // A page opened later registers its variables: they appear with the next change.
  s.Tabs().Add(TabClassOf<TDecoderTab>());
  s.Select(1);
  EXPECT_NE(RowOf(page, "tabs.decoder.font_header"), -1);
  page.SelectRow(RowOf(page, "system.device_index"));
  EXPECT_EQ(page.Rows()[static_cast<std::size_t>(page.SelectedRow())].name, "system.device_index *");
  EXPECT_EQ(page.Rows()[static_cast<std::size_t>(page.SelectedRow())].value, "1");
  page.ResetSelected();  // back to the first device
  EXPECT_EQ(s.Core().CurrentDeviceIndex(), 0);

  page.SelectRow(RowOf(page, "tabs.smart.hex_id"));
  page.Edit();  // a boolean toggles without a dialog
  EXPECT_EQ(page.CopyText(), "tabs.smart.hex_id = 屬實");
  EXPECT_EQ(page.prompt, "");

  page.SelectRow(RowOf(page, "tabs.decoder.font_header"));
  page.answer = std::string(10000, 'x');
  page.Edit();
  EXPECT_EQ(page.prompt, "輸入一個新 [string] 值為 \"tabs.decoder.font_header\"...");
  page.answer.reset();  // cancelled: nothing changes
  page.Edit();
  EXPECT_EQ(page.CopyText(), "tabs.decoder.font_header = " + std::string(10000, 'x'));

  // Garbage keeps an integer's value; a number beyond its bounds is clamped.
  page.SelectRow(RowOf(page, "tabs.page_index"));
  page.answer = "garbage";
  page.Edit();
  EXPECT_EQ(page.CopyText(), "tabs.page_index = 0");
  page.answer = "99999999999";
  page.Edit();
  EXPECT_EQ(page.CopyText(), "tabs.page_index = 0");
  page.answer = "-5";
  page.Edit();
  EXPECT_EQ(page.CopyText(), "tabs.page_index = 0");  // its minimum is 0

  page.SortBy(2);
  page.SortBy(2);  // descending
  EXPECT_EQ(page.Sort().direction, TSortDirection::Descending);
  EXPECT_GE(CompareConfigVariables(*page.Rows().front().variable, *page.Rows().back().variable, 2), 0);
}

}  // namespace
}  // namespace vexa
