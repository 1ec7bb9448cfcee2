// What passes for a report, at the edges the checks decide on: nesting depth (also
// when hidden in a text), every way UTF-8 can be malformed, and the members' kinds and
// ranges.
#include <gtest/gtest.h>

#include <functional>

#include "Report.h"

namespace vexa::collector {

namespace {

nlohmann::json Report() {
  nlohmann::json attribute = {{"名稱", "通電時間"}, {"索引", 9}, {"值", 99}, {"不良", 99}, {"閾", 0},
                              {std::string(RawValueKey), 1234}, {"格式化", "1234 小時"}};
  return {{"timestamp", 1473379200},
          {"app版本", "16.09.09"},
          {"win版本", "10.0.19045"},
          {"信箱", ""},
          {"留言", ""},
          {"裝置訊息",
           {{"裝置類型", "SSD"}, {"已知裝置", true}, {"型號", "VEXA TEST SSD"}, {"韌體", "1.0"}, {"容量", 256060514304},
            {"效能", "TRIM"}, {"介面", "SATA/600"}, {"ATA主要版本", "ACS-2"}, {"全球通用名稱", "5 001B44 4A1234567"}}},
          {"裝置詳細資訊",
           {{"製造商", "Vexa"}, {"型號", "Test"}, {"控制", "VX-1"}, {"顆粒", "NAND"}, {"技術", "19 nm"}, {"元件", "MLC"},
            {"啟動", "2016-09"}}},
          {"smart屬性", nlohmann::json::array({attribute})},
          {"識別碼", std::vector<int>(256, 0)}};
}

std::string Changed(const std::function<void(nlohmann::json&)>& change) {
  nlohmann::json report = Report();
  change(report);
  return report.dump();
}

// The report with these bytes as its comment, whether or not they are UTF-8.
std::string WithComment(const std::string& bytes) {
  std::string text = Changed([](nlohmann::json& report) { report["留言"] = "@@"; });
  return text.replace(text.find("@@"), 2, bytes);
}

std::string Nested(const std::string& open, const std::string& inner, const std::string& close, int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += open;
  text += inner;
  for (int i = 0; i < depth; ++i) text += close;
  return text;
}

TEST(ParseReport, RefusesWhatIsNoReportAndNamesWhy) {
  const struct {
    const char* name;
    std::string text;
    const char* reason;  // empty: accepted
  } cases[] = {
      {"the report", Report().dump(), ""},
      {"empty", "", "the report is empty"},
      {"not JSON", "not json", "not well-formed JSON"},
      {"not an object", "[1]", "not a JSON object"},
      {"10 000 nested arrays", Nested("[", "", "]", 10000), "nested too deeply"},
      {"10 000 nested objects", Nested("{\"a\":", "0", "}", 10000), "nested too deeply"},
      // The report is one level; a member may nest seven more, not eight.
      {"depth 8", Changed([](auto& r) { r["x"] = nlohmann::json::parse(Nested("[", "", "]", 7)); }), ""},
      {"depth 9", Changed([](auto& r) { r["x"] = nlohmann::json::parse(Nested("[", "", "]", 8)); }),
       "nested too deeply"},
      {"nesting inside a text", WithComment(Nested("[{", "\\\"", "}]", 10000)), ""},
      {"U+0800, the first of three bytes", WithComment("\xE0\xA0\x80"), ""},
      {"U+07FF overlong in three bytes", WithComment("\xE0\x9F\xBF"), "not UTF-8"},
      {"'/' overlong in two bytes", WithComment("\xC0\xAF"), "not UTF-8"},
      {"U+FFFF overlong in four bytes", WithComment("\xF0\x8F\xBF\xBF"), "not UTF-8"},
      {"U+D7FF, below the surrogates", WithComment("\xED\x9F\xBF"), ""},
      {"U+D800, a surrogate", WithComment("\xED\xA0\x80"), "not UTF-8"},
      {"U+DFFF, a surrogate", WithComment("\xED\xBF\xBF"), "not UTF-8"},
      {"U+E000, above the surrogates", WithComment("\xEE\x80\x80"), ""},
      {"U+10FFFF, the last", WithComment("\xF4\x8F\xBF\xBF"), ""},
      {"U+110000", WithComment("\xF4\x90\x80\x80"), "not UTF-8"},
      {"a continuation byte alone", WithComment("\x80"), "not UTF-8"},
      {"a sequence cut short inside", WithComment("\xE5\x8E"), "not UTF-8"},
      {"a sequence cut short at the end", Report().dump() + "\xE5\x8E", "not UTF-8"},
      {"a missing member", Changed([](auto& r) { r["裝置訊息"].erase("型號"); }), "missing member 裝置訊息.型號"},
      {"a text for a number", Changed([](auto& r) { r["裝置訊息"]["容量"] = "1"; }),
       "member 裝置訊息.容量 is not an integer"},
      {"an object for an array", Changed([](auto& r) { r["smart屬性"] = nlohmann::json::object(); }),
       "member smart屬性 is not an array"},
      {"an attribute that is no object", Changed([](auto& r) { r["smart屬性"][0] = 1; }),
       "an element of smart屬性 is not an object"},
      {"NUL in a text", Changed([](auto& r) { r["留言"] = std::string("a\0b", 3); }), "member 留言 holds U+0000"},
      {"size -1, unknown", Changed([](auto& r) { r["裝置訊息"]["容量"] = -1; }), ""},
      {"size -2", Changed([](auto& r) { r["裝置訊息"]["容量"] = -2; }), "容量 is out of range"},
      {"size 2^63-1", Changed([](auto& r) { r["裝置訊息"]["容量"] = INT64_MAX; }), ""},
      {"size 2^63", Changed([](auto& r) { r["裝置訊息"]["容量"] = std::uint64_t(INT64_MAX) + 1; }),
       "容量 is out of range"},
      {"word 65535", Changed([](auto& r) { r["識別碼"][255] = 65535; }), ""},
      {"word 65536", Changed([](auto& r) { r["識別碼"][255] = 65536; }), "not a number from 0 to 65535"},
      {"word -1", Changed([](auto& r) { r["識別碼"][0] = -1; }), "not a number from 0 to 65535"},
      {"255 words", Changed([](auto& r) { r["識別碼"].erase(255); }), "neither 0 nor 256 words"},
      {"no words", Changed([](auto& r) { r["識別碼"] = nlohmann::json::array(); }), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (*c.reason == '\0') {
      EXPECT_NO_THROW(ParseReport(c.text));
      continue;
    }
    try {
      ParseReport(c.text);
      ADD_FAILURE() << "accepted";
    } catch (const EBadReport& error) {
      EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
    }
  }
}

}  // namespace

}  // namespace vexa::collector
