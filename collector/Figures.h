// What one report says about its drive, read once when the report is stored: the
// figures the model pages sum up, and a key that tells the drive apart from other
// drives of its model. Which SMART attribute stands for what is decided by the name
// the report gives it, since that name is the one the program chose for the id on
// the drive's controller family (the same id means different things on different
// families). Every figure is a count that fits a signed 64-bit integer, or absent.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vexa::collector {

// Raise it when the reading of reports changes: stored rows of a lower version are
// read again at start-up.
inline constexpr std::int64_t FiguresVersion = 1;

struct TReportFigures {
  std::optional<std::int64_t> powerOnHours{};
  std::optional<std::int64_t> reallocatedSectors{};
  std::optional<std::int64_t> pendingSectors{};
  std::optional<std::int64_t> uncorrectableSectors{};
  std::optional<std::int64_t> hostWritesBytes{};
  std::optional<std::int64_t> nvmePercentageUsed{};
  std::optional<std::int64_t> nvmeMediaErrors{};
  // Lower-case hexadecimal SHA-256 of the model and the serial number; absent when the
  // report carries no serial number. Never shown: it only counts drives.
  std::optional<std::string> driveKey{};

  bool operator==(const TReportFigures&) const = default;
};

// What a SMART attribute's name says it counts.
enum class TFigureMeaning { PowerOnTime, ReallocatedSectors, PendingSectors, UncorrectableSectors, HostWrites };

struct TFigureName {
  TFigureMeaning meaning;
  std::string_view name;
};

// The names, as the program writes them in reports, that carry each meaning.
std::span<const TFigureName> FigureNames();
std::optional<TFigureMeaning> MeaningOfName(std::string_view name);

// Any JSON value: members missing or of another kind leave their figure absent.
TReportFigures ExtractFigures(const nlohmann::json& report);
// The same from a stored text; a text that is not JSON gives no figures.
TReportFigures ReportFiguresOf(std::string_view text);

// "1,234.5 GB", "¤ 2.921 TB", "512 bytes": the program's byte-size texts (powers of
// 1024, the estimate mark "¤ " optional), rounded to whole bytes; nothing for any
// other text or a size beyond 2^63 - 1 bytes.
std::optional<std::int64_t> ParseByteSize(std::string_view text);

}  // namespace vexa::collector
