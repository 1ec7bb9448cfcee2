// The members are a table, walked once; SMART attributes and IDENTIFY words are
// checked element by element so that the details page can show any accepted report.
#include "Report.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace vexa::collector {

namespace {

enum class TKind { Text, Number, Integer, Boolean, Object, Array };

struct TMember {
  const char* name;
  TKind kind;
};

constexpr std::array TopMembers{
    TMember{"timestamp", TKind::Integer},   TMember{"app版本", TKind::Text},    TMember{"win版本", TKind::Text},
    TMember{"信箱", TKind::Text},           TMember{"留言", TKind::Text},       TMember{"裝置訊息", TKind::Object},
    TMember{"裝置詳細資訊", TKind::Object}, TMember{"smart屬性", TKind::Array}, TMember{"識別碼", TKind::Array},
};
constexpr std::array DeviceMembers{
    TMember{"裝置類型", TKind::Text}, TMember{"已知裝置", TKind::Boolean}, TMember{"型號", TKind::Text},
    TMember{"韌體", TKind::Text},     TMember{"容量", TKind::Integer},     TMember{"效能", TKind::Text},
    TMember{"介面", TKind::Text},     TMember{"ATA主要版本", TKind::Text}, TMember{"全球通用名稱", TKind::Text},
};
constexpr std::array DetailMembers{
    TMember{"製造商", TKind::Text}, TMember{"型號", TKind::Text}, TMember{"控制", TKind::Text},
    TMember{"顆粒", TKind::Text},   TMember{"技術", TKind::Text}, TMember{"元件", TKind::Text},
    TMember{"啟動", TKind::Text},
};
constexpr std::array AttributeMembers{
    TMember{"名稱", TKind::Text},    TMember{"索引", TKind::Integer}, TMember{"值", TKind::Integer},
    TMember{"不良", TKind::Integer}, TMember{"閾", TKind::Integer},   TMember{RawValueKey.data(), TKind::Number},
    TMember{"格式化", TKind::Text},
};
constexpr std::size_t IdentifyWords = 256;
// The report nests three levels; anything much deeper is not a report, and a shallow
// limit keeps every later walk of the document short.
constexpr int MaxDepth = 8;

const char* KindName(TKind kind) {
  switch (kind) {
    case TKind::Text: return "a string";
    case TKind::Number: return "a number";
    case TKind::Integer: return "an integer";
    case TKind::Boolean: return "true or false";
    case TKind::Object: return "an object";
    case TKind::Array: return "an array";
  }
  return "?";
}

bool HasKind(const nlohmann::json& value, TKind kind) {
  switch (kind) {
    case TKind::Text: return value.is_string();
    case TKind::Number: return value.is_number();
    case TKind::Integer: return value.is_number_integer();
    case TKind::Boolean: return value.is_boolean();
    case TKind::Object: return value.is_object();
    case TKind::Array: return value.is_array();
  }
  return false;
}

template <std::size_t N>
void CheckMembers(const nlohmann::json& object, const std::array<TMember, N>& members, const std::string& where) {
  for (const TMember& member : members) {
    const auto found = object.find(member.name);
    if (found == object.end()) throw EBadReport("missing member " + where + member.name);
    if (!HasKind(*found, member.kind))
      throw EBadReport("member " + where + member.name + " is not " + KindName(member.kind));
    // Drive texts never hold NUL, and PostgreSQL's texts cannot.
    if (found->is_string() && found->get_ref<const std::string&>().find('\0') != std::string::npos) {
      throw EBadReport("member " + where + member.name + " holds U+0000");
    }
  }
}

// Counts brackets outside strings, so that a deep document is refused before parsing.
void CheckDepth(std::string_view text) {
  int depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') ++i;  // the escaped character cannot end the string
      inString = c != '"';
    } else if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      if (++depth > MaxDepth) throw EBadReport("the JSON is nested too deeply");
    } else if (c == '}' || c == ']') {
      --depth;
    }
  }
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
    i += length;
  }
  return true;
}

nlohmann::json ParseReport(std::string_view text) {
  if (text.empty()) throw EBadReport("the report is empty");
  if (!IsValidUtf8(text)) throw EBadReport("the report is not UTF-8");
  CheckDepth(text);
  nlohmann::json report = nlohmann::json::parse(text, nullptr, false);
  if (report.is_discarded()) throw EBadReport("the report is not well-formed JSON");
  if (!report.is_object()) throw EBadReport("the report is not a JSON object");
  CheckMembers(report, TopMembers, "");
  CheckMembers(report.at("裝置訊息"), DeviceMembers, "裝置訊息.");
  CheckMembers(report.at("裝置詳細資訊"), DetailMembers, "裝置詳細資訊.");
  // -1 stands for an unknown size; any other size must fit a signed 64-bit count of bytes.
  const auto& size = report.at("裝置訊息").at("容量");
  if (size.is_number_unsigned() ? size.get<std::uint64_t>() > INT64_MAX : size.get<std::int64_t>() < -1) {
    throw EBadReport("member 裝置訊息.容量 is out of range");
  }
  for (const auto& attribute : report.at("smart屬性")) {
    if (!attribute.is_object()) throw EBadReport("an element of smart屬性 is not an object");
    CheckMembers(attribute, AttributeMembers, "smart屬性[].");
  }
  const auto& words = report.at("識別碼");
  if (!words.empty() && words.size() != IdentifyWords) throw EBadReport("識別碼 holds neither 0 nor 256 words");
  for (const auto& word : words) {
    if (!word.is_number_unsigned() || word.get<std::uint64_t>() > 0xFFFF) {
      throw EBadReport("an element of 識別碼 is not a number from 0 to 65535");
    }
  }
  // NVMe drives add an object of their own after the members above.
  if (const auto nvme = report.find("nvme"); nvme != report.end()) {
    if (!nvme->is_object()) throw EBadReport("member nvme is not an object");
    if (const auto health = nvme->find("health"); health != nvme->end() && !health->is_object())
      throw EBadReport("member nvme.health is not an object");
  }
  return report;
}

TReportSummary SummarizeReport(const nlohmann::json& report) {
  const auto& device = report.at("裝置訊息");
  return {device.at("型號").get<std::string>(), device.at("韌體").get<std::string>(),
          device.at("裝置類型").get<std::string>(), device.at("容量").get<std::int64_t>()};
}

bool IsReportMemberName(std::string_view key) {
  const auto in = [key](const auto& members) {
    return std::any_of(members.begin(), members.end(), [key](const TMember& member) { return key == member.name; });
  };
  return in(TopMembers) || in(DeviceMembers) || in(DetailMembers) || in(AttributeMembers) || key == "nvme" ||
         key == "health";
}

}  // namespace vexa::collector
