// The drive report: its members in order, and its rules on edge inputs.
#include "online/SubmitReport.h"

#include <gtest/gtest.h>

#include <vector>

#include "device/DeviceInfo.h"
#include "online/JsonDocument.h"
#include "platform/MachineFile.h"
#include "platform/ReplayMachine.h"
#include "shell/Core.h"
#include "support/Text.h"
#include "views/SessionHarness.h"

namespace vexa {
namespace {

// The names of the direct children of node index.
std::vector<std::string> ChildNames(const TJsonReader& json, std::size_t index) {
  std::vector<std::string> names;
  const std::uint16_t level = json.Node(index).level;
  for (std::size_t i = index + 1; i < json.Count() && json.Node(i).level > level; ++i)
    if (json.Node(i).level == level + 1) names.push_back(json.Node(i).name);
  return names;
}

std::size_t IndexOf(const TJsonReader& json, std::string_view name) {
  for (std::size_t i = 0; i < json.Count(); ++i)
    if (json.Node(i).level == 1 && json.Node(i).name == name) return i;
  return json.Count();
}

class SubmitReport : public SessionHarness {};

TEST_F(SubmitReport, MembersComeInTheirOrder) {
  TConsoleSession& s = Run("desktop-ssd-hdd.machine");
  const TDeviceInfo& ssd = *s.Core().CurrentDevice();
  TJsonReader json;
  BuildReport(json, &ssd, "", "");
  using Names = std::vector<std::string>;
  EXPECT_EQ(ChildNames(json, 0), (Names{"timestamp", "app版本", "win版本", "信箱", "留言", "裝置訊息", "裝置詳細資訊",
                                        "smart屬性", "識別碼"}));
  EXPECT_EQ(ChildNames(json, IndexOf(json, "裝置訊息")),
            (Names{"裝置類型", "已知裝置", "型號", "韌體", "容量", "效能", "介面", "ATA主要版本", "全球通用名稱"}));
  EXPECT_EQ(ChildNames(json, IndexOf(json, "裝置詳細資訊")),
            (Names{"製造商", "型號", "控制", "顆粒", "技術", "元件", "啟動"}));
  const std::size_t smart = IndexOf(json, "smart屬性");
  ASSERT_EQ(ChildNames(json, smart).size(), ssd.smartAttributes.Count());
  EXPECT_EQ(ChildNames(json, smart + 1), (Names{"名稱", "索引", "值", "不良", "閾", "原\uFFFD", "格式化"}));
  EXPECT_EQ(json.Node(smart + 3).value, "5");  // the first id of the drive's table
  EXPECT_EQ(ChildNames(json, IndexOf(json, "識別碼")).size(), 256u);
  EXPECT_TRUE(json.ToText().starts_with(
      "{\"timestamp\":1402748100,\"app版本\":\"16.09.09\",\"win版本\":\"6.1.7601\",\"信箱\":\"\",\"留言\":\"\","
      "\"裝置訊息\":{\"裝置類型\":\"SSD\",\"已知裝置\":true,"));
}

// A record made by hand on a machine without drives.
class SubmitReportRecord : public ::testing::Test {
protected:
  ReplayMachine machine{ParseMachineFile("vexa-machine 1\n", "empty.machine")};
  TDeviceInfoPhysical device{machine, 0};
  TJsonReader json;

  std::string Report(std::string_view email = "", std::string_view comment = "") {
    BuildReport(json, &device, email, comment);
    return json.ToText();
  }
};

TEST_F(SubmitReportRecord, DriveWithoutIdentifyOrSmartHasEmptyArrays) {
  const std::string text = Report();
  EXPECT_NE(text.find("\"容量\":-1,"), std::string::npos) << text;
  EXPECT_NE(text.find("\"ATA主要版本\":\"n/a\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"製造商\":\"未知\",\"型號\":\"\""), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with(",\"smart屬性\":[],\"識別碼\":[]}")) << text;
}

TEST_F(SubmitReportRecord, ModelIsSentWholeWithItsQuotesBackslashesAndControlCharacters) {
  device.model = "\"VEXA\" C:\\ X\x1B\r\n";
  EXPECT_NE(Report().find("\"型號\":\"\\\"VEXA\\\" C:\\\\ X.\\n\""), std::string::npos) << Report();
}

TEST_F(SubmitReportRecord, EmailAndCommentFollowTheirRules) {
  Report("no-at-sign.example", std::string(600, 'c'));
  EXPECT_EQ(json.Node(IndexOf(json, "信箱")).value, "");
  EXPECT_EQ(json.Node(IndexOf(json, "留言")).value, std::string(512, 'c'));
}

TEST(SubmitReportTexts, EmailNeedsAtSignAndDotWithinItsFirstCharacters) {
  const std::string longName(260, 'n');
  const struct {
    std::string email;
    std::string sent;
  } rows[] = {
      {"user@example.org", "user@example.org"},
      {"user.example.org", ""},
      {"user@example", ""},
      {"a.b@" + longName, ("a.b@" + longName).substr(0, 254)},
      {"a@" + longName + ".org", ""},  // the dot lies beyond the first 254 characters
  };
  for (const auto& row : rows) EXPECT_EQ(ReportEmail(row.email), row.sent) << row.email;
}

TEST(SubmitReportTexts, CommentKeepsItsFirst512Characters) {
  std::string comment;
  for (int i = 0; i < 600; ++i) comment += "溫";
  EXPECT_EQ(CharacterCount(ReportComment(comment)), 512u);
  EXPECT_EQ(ReportComment("short\r\nline"), "short\r\nline");
}

TEST(SubmitReportTexts, NoDeviceGivesAnEmptyDocument) {
  TJsonReader json;
  json.AddNode(jkObject, 0, "");
  BuildReport(json, nullptr, "a@b.c", "x");
  EXPECT_EQ(json.Count(), 0u);
  EXPECT_EQ(json.ToText(), "");
}

}  // namespace
}  // namespace vexa
