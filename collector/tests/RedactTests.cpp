// What the public sees of a report: one table of reports at the edges the redaction
// decides on, each checked for what must be gone and for what must stay.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>
#include <vector>

#include "Redact.h"
#include "Report.h"

namespace vexa::collector {

namespace {

using nlohmann::json;

constexpr std::uint32_t Blanks = 0x2020;

void PutAta(json& words, std::size_t first, std::size_t count, const std::string& text) {
  const std::string padded = text + std::string(count * 2 - std::min(text.size(), count * 2), ' ');
  for (std::size_t i = 0; i < count; ++i)
    words[first + i] = static_cast<unsigned char>(padded[2 * i]) << 8 | static_cast<unsigned char>(padded[2 * i + 1]);
}

// A SATA drive's report; no IDENTIFY words when serial is none.
json Report(const std::string& email, const std::optional<std::string>& serial, const std::string& comment,
            const std::string& wwnText) {
  json words = json::array();
  if (serial) {
    for (int i = 0; i < 256; ++i) words.push_back(0);
    PutAta(words, 10, 10, *serial);
    PutAta(words, 27, 20, "VEXA TEST SSD");
    for (const auto& [index, value] : {std::pair{108, 0x5002}, {109, 0x5385}, {110, 0x0040}, {111, 0x8A1E}})
      words[index] = value;
    unsigned sum = 0xA5;
    for (int i = 0; i < 255; ++i) sum += (words[i].get<unsigned>() >> 8) + (words[i].get<unsigned>() & 0xFF);
    words[255] = ((0x100 - (sum & 0xFF)) & 0xFF) << 8 | 0xA5;
  }
  return {{"timestamp", 1},
          {"app版本", "16.09.09"},
          {"win版本", "10.0.19045"},
          {"信箱", email},
          {"留言", comment},
          {"裝置訊息",
           {{"裝置類型", "SSD"}, {"已知裝置", false}, {"型號", "VEXA TEST SSD"}, {"韌體", "1.0"}, {"容量", -1},
            {"效能", ""}, {"介面", "SATA"}, {"ATA主要版本", "n/a"}, {"全球通用名稱", wwnText}}},
          {"裝置詳細資訊",
           {{"製造商", ""}, {"型號", ""}, {"控制", ""}, {"顆粒", ""}, {"技術", ""}, {"元件", ""}, {"啟動", ""}}},
          {"smart屬性", json::array()},
          {"識別碼", words}};
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

struct TCase {
  const char* name;
  std::string email;
  std::optional<std::string> serial;  // the ATA text of words 10-19; none: no IDENTIFY words
  std::string comment;
  json extra;  // members added to the report
  std::string shownComment;
  std::vector<std::string> gone;  // texts no longer anywhere, in any case
  std::string wwnText = "5-002538-500408A1E";
};

TEST(RedactReport, HidesTheSubmitterAndTheUnitAndKeepsTheRest) {
  const TCase cases[] = {
      {"no IDENTIFY words, no e-mail", "", std::nullopt, "plain 1234", json::object(), "plain 1234", {}},
      {"serial all blanks", "", std::string(20, ' '), "a    b", json::object(), "a    b", {}},
      {"serial and e-mail repeated in the comment, other case", "Me@Example.org", "  S1ATNEAD604118K",
       "me@EXAMPLE.ORG: s1atnead604118k!", json::object(), "[已隱藏]: [已隱藏]!",
       {"me@example.org", "s1atnead604118k"}},
      {"short serial blanked but not searched for", "", "AB1", "AB1 ok", json::object(), "AB1 ok", {}},
      {"serial members under any key, any type",
       "",
       "S1",
       "NVME-SER-1 / 123456789 / 0025385b71b12345 / zz99",
       {{"nvme", {{"Serial_Number", 123456789}, {"serial", "NVME-SER-1"}, {"eui64", "0025385B71B12345"}}},
        {"序號", "ZZ99"}},
       "[已隱藏] / [已隱藏] / [已隱藏] / [已隱藏]",
       {"nvme-ser-1", "123456789", "0025385b71b12345", "zz99"}},
      {"an address typed only in the comment", "", "S1", "reply to some.one+x@mail.example.com. thanks",
       json::object(), "reply to [已隱藏]. thanks", {"some.one+x@mail.example.com"}},
      {"keys holding a secret; the report's own keys kept", "me@example.org", "S1", "",
       {{"nvme", {{"serial", "smart"}}}, {"note", {{"me@example.org", "hi"}}}}, "", {"me@example.org"}},
      {"the WWN's digits in the comment", "", "S1", "wwn 5002538500408a1e", json::object(), "wwn [已隱藏]",
       {"5002538500408a1e", "5-002538-500408a1e"}},
      {"an all-zero WWN names nothing", "", std::nullopt, "0-000000-000000000", json::object(), "0-000000-000000000",
       {}, "0-000000-000000000"},
  };
  for (const TCase& test : cases) {
    SCOPED_TRACE(test.name);
    json report = Report(test.email, test.serial, test.comment, test.wwnText);
    for (const auto& [key, value] : test.extra.items()) report[key] = value;

    RedactReport(report);

    EXPECT_EQ(report["信箱"], "");
    EXPECT_EQ(report["留言"], test.shownComment);
    EXPECT_EQ(report["裝置訊息"]["全球通用名稱"], "");
    EXPECT_EQ(report["裝置訊息"]["型號"], "VEXA TEST SSD");
    EXPECT_EQ(report[std::string(HiddenKey)], json::array({"信箱", "序號", "全球通用名稱"}));
    const json& words = report["識別碼"];
    ASSERT_EQ(words.size(), test.serial ? 256u : 0u);
    if (test.serial) {
      for (int i = 10; i <= 19; ++i) EXPECT_EQ(words[i], Blanks) << "word " << i;
      for (int i = 108; i <= 111; ++i) EXPECT_EQ(words[i], 0) << "word " << i;
      EXPECT_EQ(words[27], 0x5645);  // "VE" of the model
      unsigned sum = 0;
      for (const auto& word : words) sum += (word.get<unsigned>() >> 8) + (word.get<unsigned>() & 0xFF);
      EXPECT_EQ(sum & 0xFF, 0u) << "the IDENTIFY checksum no longer adds up";
    }
    if (report.contains("nvme")) {
      for (const auto& [key, value] : report["nvme"].items()) EXPECT_EQ(value, "") << key;
    }
    const std::string text = report.dump();
    for (const std::string& hidden : test.gone) EXPECT_EQ(Lower(text).find(hidden), std::string::npos) << hidden;
    // Still a report, so that everything that reads reports reads the public one.
    EXPECT_NO_THROW(ParseReport(text));
  }
}

TEST(PublicReportText, KeepsTheMembersInTheOrderReceived) {
  const std::string stored = Report("a@b.cd", "SER1234", "", "").dump();
  // nlohmann's own object sorts its keys: the stored text starts with app版本.
  const std::string shown = PublicReportText(R"({"timestamp":1,)" + stored.substr(1));
  EXPECT_TRUE(shown.starts_with(R"({"timestamp":1,"app版本")")) << shown.substr(0, 80);
  EXPECT_TRUE(shown.ends_with(R"("隱藏":["信箱","序號","全球通用名稱"]})")) << shown.substr(shown.size() - 80);
  EXPECT_EQ(shown.find("SER1234"), std::string::npos);
}

}  // namespace

}  // namespace vexa::collector
