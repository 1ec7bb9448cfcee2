// Every member is looked up and checked for its kind before it is read: stored
// reports predate some members, and a figure that cannot be read is left absent
// rather than guessed.
#include "Figures.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "Report.h"

namespace vexa::collector {

namespace {

constexpr std::int64_t MaxCount = std::numeric_limits<std::int64_t>::max();
// An NVMe data unit is 1000 sectors of 512 bytes.
constexpr std::int64_t NvmeDataUnitBytes = 512000;
constexpr std::string_view EstimateMark = "\xC2\xA4 ";  // "¤ "
constexpr std::string_view ByteUnits[] = {"bytes", "kB", "MB", "GB", "TB", "PB"};
// Twenty digits keep the mantissa times 1024^5 (and the doubling for rounding) inside 128 bits.
constexpr int MaxByteSizeDigits = 20;

const nlohmann::json* Member(const nlohmann::json& object, const char* key) {
  if (!object.is_object()) return nullptr;
  const auto found = object.find(key);
  return found == object.end() ? nullptr : &*found;
}

// A count as the report gives it: an integer, a whole double (128-bit NVMe counters
// that do not fit 64 bits arrive as doubles), or decimal digits in a text.
std::optional<std::int64_t> CountOf(const nlohmann::json* value) {
  if (value == nullptr) return std::nullopt;
  if (value->is_number_unsigned()) {
    const auto number = value->get<std::uint64_t>();
    if (number <= static_cast<std::uint64_t>(MaxCount)) return static_cast<std::int64_t>(number);
  } else if (value->is_number_integer()) {
    const auto number = value->get<std::int64_t>();
    if (number >= 0) return number;
  } else if (value->is_number_float()) {
    const double number = value->get<double>();
    // 2^63 itself is the first double out of range.
    if (number >= 0 && number < 9223372036854775808.0 && std::floor(number) == number)
      return static_cast<std::int64_t>(number);
  } else if (value->is_string()) {
    const auto& text = value->get_ref<const std::string&>();
    if (text.empty() || text.size() > 19 || !std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; }))
      return std::nullopt;
    const auto number = std::stoull(text);
    if (number <= static_cast<std::uint64_t>(MaxCount)) return static_cast<std::int64_t>(number);
  }
  return std::nullopt;
}

std::optional<std::int64_t> Product(std::optional<std::int64_t> count, std::int64_t factor) {
  if (!count || *count > MaxCount / factor) return std::nullopt;
  return *count * factor;
}

// The program writes power-on time as "%dd %dh" of the hours' low 32 bits; the text
// is preferred to the raw value, whose upper bytes some drives fill with other things.
std::optional<std::int64_t> HoursOfText(std::string_view text) {
  std::int64_t days = 0;
  std::int64_t hours = 0;
  std::size_t at = 0;
  const auto digits = [&](std::int64_t& number) {
    const std::size_t start = at;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 10; ++at)
      number = number * 10 + (text[at] - '0');
    return at > start;
  };
  if (!digits(days) || text.substr(at, 2) != "d ") return std::nullopt;
  at += 2;
  if (!digits(hours) || text.substr(at) != "h" || hours >= 24) return std::nullopt;
  return days * 24 + hours;
}

// Serial numbers in IDENTIFY words hold two characters per word, the first in the
// high byte, padded with blanks.
std::string AtaSerial(const nlohmann::json& words) {
  std::string serial;
  for (std::size_t i = 10; i < 20; ++i) {
    const std::int64_t word = words[i].is_number_integer() ? words[i].get<std::int64_t>() : 0;
    for (const std::int64_t byte : {(word >> 8) & 0xFF, word & 0xFF})
      serial += byte > 0x20 && byte < 0x7F ? static_cast<char>(byte) : ' ';
  }
  return serial;
}

std::string Trimmed(std::string_view text) {
  const auto begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos) return {};
  return std::string(text.substr(begin, text.find_last_not_of(' ') - begin + 1));
}

std::optional<std::string> DriveKey(const nlohmann::json& report, const nlohmann::json* nvme) {
  const nlohmann::json* device = Member(report, "裝置訊息");
  const nlohmann::json* model = device != nullptr ? Member(*device, "型號") : nullptr;
  if (model == nullptr || !model->is_string()) return std::nullopt;
  std::string serial;
  const nlohmann::json* words = Member(report, "識別碼");
  if (words != nullptr && words->is_array() && words->size() >= 20) serial = Trimmed(AtaSerial(*words));
  for (const char* key : {"serial", "serial_number"}) {
    const nlohmann::json* member = nvme != nullptr ? Member(*nvme, key) : nullptr;
    if (serial.empty() && member != nullptr && member->is_string()) serial = Trimmed(member->get<std::string>());
  }
  if (serial.empty()) return std::nullopt;
  // The model cannot hold NUL (reports with one are refused), so the pair is unambiguous.
  const std::string identity = model->get<std::string>() + '\0' + serial;
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(identity.data(), identity.size(), digest, &length, EVP_sha256(), nullptr) != 1) return std::nullopt;
  static constexpr char Hex[] = "0123456789abcdef";
  std::string key;
  for (unsigned int i = 0; i < length; ++i) {
    key += Hex[digest[i] >> 4];
    key += Hex[digest[i] & 15];
  }
  return key;
}

void ReadAttributes(const nlohmann::json& attributes, TReportFigures& figures) {
  if (!attributes.is_array()) return;
  for (const auto& attribute : attributes) {
    const nlohmann::json* name = Member(attribute, "名稱");
    if (name == nullptr || !name->is_string()) continue;
    const auto meaning = MeaningOfName(name->get_ref<const std::string&>());
    if (!meaning) continue;
    const nlohmann::json* formatted = Member(attribute, "格式化");
    const std::string text = formatted != nullptr && formatted->is_string() ? formatted->get<std::string>() : "";
    const std::optional<std::int64_t> raw = CountOf(Member(attribute, RawValueKey.data()));
    // The first attribute of a meaning in the drive's table is the one that counts,
    // as the program picks its key attributes.
    switch (*meaning) {
      case TFigureMeaning::PowerOnTime:
        if (!figures.powerOnHours) {
          const std::optional<std::int64_t> hours = HoursOfText(text);
          figures.powerOnHours = hours ? hours : raw;
        }
        break;
      case TFigureMeaning::ReallocatedSectors:
        if (!figures.reallocatedSectors) figures.reallocatedSectors = raw;
        break;
      case TFigureMeaning::PendingSectors:
        if (!figures.pendingSectors) figures.pendingSectors = raw;
        break;
      case TFigureMeaning::UncorrectableSectors:
        if (!figures.uncorrectableSectors) figures.uncorrectableSectors = raw;
        break;
      case TFigureMeaning::HostWrites:
        // A zero count is written as an empty text, which says nothing of the unit.
        if (!figures.hostWritesBytes) figures.hostWritesBytes = ParseByteSize(text);
        break;
    }
  }
}

}  // namespace

std::optional<TFigureMeaning> MeaningOfName(std::string_view name) {
  for (const TFigureName& row : FigureNames())
    if (row.name == name) return row.meaning;
  return std::nullopt;
}

std::optional<std::int64_t> ParseByteSize(std::string_view text) {
  if (text.starts_with(EstimateMark)) text.remove_prefix(EstimateMark.size());
  const std::size_t blank = text.find(' ');
  if (blank == std::string_view::npos) return std::nullopt;
  const auto unit = std::ranges::find(ByteUnits, text.substr(blank + 1));
  if (unit == std::end(ByteUnits)) return std::nullopt;
  const std::string_view number = text.substr(0, blank);

  // Digits in groups of three after the first, then optional decimals.
  unsigned __int128 mantissa = 0;
  int digits = 0;
  int decimals = 0;
  int group = -1;  // digits since the last separator; -1 before the first one
  bool inFraction = false;
  for (const char c : number) {
    if (c >= '0' && c <= '9') {
      if (++digits > MaxByteSizeDigits) return std::nullopt;
      mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
      if (inFraction) ++decimals;
      if (group >= 0) ++group;
    } else if (c == ',' && !inFraction && digits > 0 && (group < 0 ? digits <= 3 : group == 3)) {
      group = 0;
    } else if (c == '.' && !inFraction && digits > 0 && (group < 0 || group == 3)) {
      inFraction = true;
      group = -1;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0 || (group >= 0 && group != 3) || (inFraction && decimals == 0)) return std::nullopt;
  unsigned __int128 divisor = 1;
  for (int i = 0; i < decimals; ++i) divisor *= 10;
  const unsigned __int128 scaled = mantissa << (10 * (unit - std::begin(ByteUnits)));
  // Rounded half up.
  const unsigned __int128 bytes = (2 * scaled + divisor) / (2 * divisor);
  if (bytes > static_cast<unsigned __int128>(MaxCount)) return std::nullopt;
  return static_cast<std::int64_t>(bytes);
}

TReportFigures ExtractFigures(const nlohmann::json& report) {
  TReportFigures figures;
  if (!report.is_object()) return figures;
  const nlohmann::json* nvme = Member(report, "nvme");
  if (nvme != nullptr && !nvme->is_object()) nvme = nullptr;
  if (const nlohmann::json* attributes = Member(report, "smart屬性")) ReadAttributes(*attributes, figures);
  if (const nlohmann::json* health = nvme != nullptr ? Member(*nvme, "health") : nullptr; health && health->is_object()) {
    // An NVMe drive's own log, in hours and data units, comes before anything else.
    if (const auto hours = CountOf(Member(*health, "power_on_hours"))) figures.powerOnHours = hours;
    figures.nvmePercentageUsed = CountOf(Member(*health, "percentage_used"));
    figures.nvmeMediaErrors = CountOf(Member(*health, "media_errors"));
    if (const auto written = Product(CountOf(Member(*health, "data_units_written")), NvmeDataUnitBytes))
      figures.hostWritesBytes = written;
  }
  figures.driveKey = DriveKey(report, nvme);
  return figures;
}

TReportFigures ReportFiguresOf(std::string_view text) {
  const nlohmann::json report = nlohmann::json::parse(text, nullptr, false);
  return report.is_discarded() ? TReportFigures{} : ExtractFigures(report);
}

}  // namespace vexa::collector
