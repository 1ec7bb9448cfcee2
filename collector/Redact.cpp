// Redaction in three steps over the parsed report: gather the texts that identify the
// submitter or the unit (from the members that hold them and from the IDENTIFY words),
// blank those members and words, then search every other text for what was gathered.
// The search runs on ASCII-lowered copies, so "ME@Example.org" in a comment is found
// for "me@example.org"; lowering keeps byte offsets, so matches map back one to one.
#include "Redact.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "Report.h"

namespace vexa::collector {

namespace {

constexpr std::size_t IdentifyWords = 256;
constexpr std::size_t SerialFirst = 10, SerialLast = 19;
constexpr std::size_t WwnFirst = 108, WwnLast = 111;
constexpr std::size_t MediaSerialFirst = 176, MediaSerialLast = 205;
constexpr std::size_t IntegrityWord = 255;
constexpr std::uint32_t AtaBlanks = 0x2020;
constexpr std::uint32_t IntegritySignature = 0xA5;
// A text still holding a hidden one after this many passes is hidden whole.
constexpr int MaxReplacePasses = 8;

enum class TSecret { None, Email, Serial, Wwn };

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

std::string Trimmed(std::string_view text) {
  const auto begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string_view::npos) return {};
  return std::string(text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1));
}

// Members are recognised by what their key says, so that a client's own spelling of
// a serial or a world-wide name (Serial_Number, nvme.serial, eui64...) is caught too.
TSecret SecretOfKey(std::string_view key) {
  const std::string lower = AsciiLower(key);
  const auto has = [&lower](std::string_view part) { return lower.find(part) != std::string::npos; };
  if (has("serial") || has("序號") || has("序列號")) return TSecret::Serial;
  if (has("mail") || has("信箱") || has("郵件")) return TSecret::Email;
  if (has("wwn") || has("eui64") || has("nguid") || has("全球通用名稱")) return TSecret::Wwn;
  return TSecret::None;
}

// A text made only of zeros and separators names nothing.
bool NamesSomething(std::string_view text) {
  return text.size() >= MinHiddenTextLength && text.find_first_not_of("0 -:") != std::string_view::npos;
}

// A world-wide name is a hexadecimal number, often grouped ("5-002538-500408A1E");
// the digits alone are what a person would paste elsewhere.
std::string WwnDigits(std::string_view text) {
  std::string digits;
  for (const char c : text) {
    if (c == '-' || c == ':' || c == ' ') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) return {};
    digits += c;
  }
  return digits.size() >= 8 ? digits : std::string();
}

class TRedactor {
public:
  template <class Json>
  void Gather(const Json& value, TSecret inherited) {
    if (value.is_object()) {
      for (const auto& [key, member] : value.items()) {
        const TSecret own = SecretOfKey(key);
        Gather(member, own != TSecret::None ? own : inherited);
      }
    } else if (value.is_array()) {
      for (const auto& element : value) Gather(element, inherited);
    } else if (inherited != TSecret::None && (value.is_string() || value.is_number())) {
      const std::string text = Trimmed(value.is_string() ? value.template get<std::string>() : value.dump());
      if (inherited == TSecret::Wwn) {
        AddWwn(text);
      } else if (NamesSomething(text)) {
        secrets.push_back(text);
      }
    }
  }

  void AddWwn(const std::string& text) {
    const std::string digits = WwnDigits(text);
    if (!NamesSomething(digits)) return;
    secrets.push_back(text);
    secrets.push_back(digits);
  }

  void AddText(std::string text) {
    text = Trimmed(text);
    if (NamesSomething(text)) secrets.push_back(std::move(text));
  }

  // Longest first, so that a serial inside an e-mail address goes with the address.
  void Prepare() {
    for (const std::string& secret : secrets) lowered.push_back(AsciiLower(secret));
    std::sort(lowered.begin(), lowered.end(), [](const std::string& a, const std::string& b) {
      return a.size() != b.size() ? a.size() > b.size() : a < b;
    });
    lowered.erase(std::unique(lowered.begin(), lowered.end()), lowered.end());
  }

  // Members named as secrets are emptied; every other text is searched.
  template <class Json>
  void Blank(Json& value) {
    if (value.is_object()) {
      Json rewritten = Json::object();
      for (auto& [key, member] : value.items()) {
        if (SecretOfKey(key) != TSecret::None) {
          member = "";
        } else {
          Blank(member);
        }
        // Keys of the report's own members are format, not content.
        const std::string newKey = IsReportMemberName(key) ? key : Scrubbed(key);
        rewritten[newKey] = std::move(member);
      }
      value = std::move(rewritten);
    } else if (value.is_array()) {
      for (auto& element : value) Blank(element);
    } else if (value.is_string()) {
      value = Scrubbed(value.template get_ref<const std::string&>());
    }
  }

  std::string Scrubbed(std::string text) const {
    for (int pass = 0; pass < MaxReplacePasses; ++pass) {
      bool changed = false;
      for (std::size_t i = 0; i < lowered.size(); ++i) changed = ReplaceAll(text, lowered[i]) || changed;
      changed = ReplaceEmailAddresses(text) || changed;
      if (!changed) return text;
    }
    return std::string(HiddenMark);
  }

private:
  static bool ReplaceAll(std::string& text, const std::string& needle) {
    std::string lower = AsciiLower(text);
    bool changed = false;
    for (auto at = lower.find(needle); at != std::string::npos; at = lower.find(needle, at + HiddenMark.size())) {
      text.replace(at, needle.size(), HiddenMark);
      lower.replace(at, needle.size(), HiddenMark);
      changed = true;
    }
    return changed;
  }

  // Anything of the form local@domain.tld in ASCII, so that an address typed into the
  // comment rather than the e-mail box is not published either.
  static bool ReplaceEmailAddresses(std::string& text) {
    const auto isPart = [](char c) {
      const auto byte = static_cast<unsigned char>(c);
      return byte > 0x20 && byte < 0x7F && std::string_view("@<>()[],;:\"'").find(c) == std::string_view::npos;
    };
    bool changed = false;
    for (auto at = text.find('@'); at != std::string::npos; at = text.find('@', at + 1)) {
      std::size_t begin = at;
      while (begin > 0 && isPart(text[begin - 1])) --begin;
      std::size_t end = at + 1;
      while (end < text.size() && isPart(text[end])) ++end;
      while (end > at + 1 && text[end - 1] == '.') --end;
      const std::string_view domain(text.data() + at + 1, end - at - 1);
      const auto dot = domain.find('.');
      if (begin == at || dot == std::string_view::npos || dot == 0 || dot + 1 == domain.size()) continue;
      text.replace(begin, end - begin, HiddenMark);
      at = begin + HiddenMark.size() - 1;
      changed = true;
    }
    return changed;
  }

  std::vector<std::string> secrets;
  std::vector<std::string> lowered;
};

template <class Json>
std::uint32_t Word(const Json& words, std::size_t index) {
  // Parsed words are unsigned numbers; words set by code may be signed ones.
  const auto& word = words[index];
  const std::int64_t value = word.is_number_integer() ? word.template get<std::int64_t>() : 0;
  return word.is_number_unsigned() || value >= 0 ? static_cast<std::uint32_t>(value & 0xFFFF) : 0;
}

// ATA strings hold two characters per word, the first in the high byte.
template <class Json>
std::string AtaText(const Json& words, std::size_t first, std::size_t last) {
  std::string text;
  for (std::size_t i = first; i <= last; ++i) {
    for (const std::uint32_t byte : {Word(words, i) >> 8, Word(words, i) & 0xFF})
      text += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : ' ';
  }
  return text;
}

template <class Json>
void Fill(Json& words, std::size_t first, std::size_t last, std::uint32_t value) {
  for (std::size_t i = first; i <= last; ++i) words[i] = value;
}

// Gathers what the IDENTIFY words say and blanks it there.
template <class Json>
void RedactIdentify(Json& report, TRedactor& redactor) {
  const auto found = report.find("識別碼");
  if (found == report.end() || !found->is_array() || found->size() != IdentifyWords) return;
  Json& words = *found;
  redactor.AddText(AtaText(words, SerialFirst, SerialLast));
  redactor.AddText(AtaText(words, MediaSerialFirst, MediaSerialLast));
  char wwn[24];
  std::snprintf(wwn, sizeof wwn, "%04X%04X%04X%04X", Word(words, WwnFirst), Word(words, WwnFirst + 1),
                Word(words, WwnFirst + 2), Word(words, WwnLast));
  redactor.AddWwn(wwn);

  Fill(words, SerialFirst, SerialLast, AtaBlanks);
  bool mediaSerial = false;
  for (std::size_t i = MediaSerialFirst; i <= MediaSerialLast; ++i) mediaSerial = mediaSerial || Word(words, i) != 0;
  if (mediaSerial) Fill(words, MediaSerialFirst, MediaSerialLast, AtaBlanks);
  Fill(words, WwnFirst, WwnLast, 0);
  // The checksum makes all 512 bytes add up to zero; left as it was, it would tell
  // the sum of the bytes just hidden.
  if ((Word(words, IntegrityWord) & 0xFF) == IntegritySignature) {
    std::uint32_t sum = IntegritySignature;
    for (std::size_t i = 0; i < IntegrityWord; ++i) sum += (Word(words, i) >> 8) + (Word(words, i) & 0xFF);
    words[IntegrityWord] = ((0x100 - (sum & 0xFF)) & 0xFF) << 8 | IntegritySignature;
  }
}

template <class Json>
void Redact(Json& report) {
  if (!report.is_object()) return;
  TRedactor redactor;
  redactor.Gather(report, TSecret::None);
  RedactIdentify(report, redactor);
  redactor.Prepare();
  redactor.Blank(report);
  report[std::string(HiddenKey)] = Json::array({"信箱", "序號", "全球通用名稱"});
}

}  // namespace

void RedactReport(nlohmann::json& report) { Redact(report); }
void RedactReport(nlohmann::ordered_json& report) { Redact(report); }

std::string PublicReportText(const std::string& storedText) {
  auto report = nlohmann::ordered_json::parse(storedText);
  RedactReport(report);
  return report.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace vexa::collector
