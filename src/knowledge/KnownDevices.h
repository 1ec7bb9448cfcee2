// Look-ups in the known-drives tables, and the identification of a drive from its
// model string, firmware revision and world wide name. The tables' patterns are
// compiled once per process and keep matching state: not for use from two threads.
#pragma once

#include <cstdint>
#include <string_view>

#include "knowledge/KnownDevicesTables.h"

namespace vexa {

// What identification found: a table row (may be null) and a brand index (0: none).
struct TKnownIdentification {
  const TKnownDevice* row = nullptr;
  std::uint8_t brandIndex = 0;
  bool Identified() const { return row != nullptr || brandIndex != 0; }
};

class TKnownDevicesDB {
public:
  // First model-table row whose pattern matches (case-insensitive, anywhere unless
  // anchored) or, for rows without a pattern, whose "BRAND MODEL NAME" the upper-cased
  // model string contains; null when none.
  const TKnownDevice* FindByModel(std::string_view model);
  // First firmware-table row whose pattern matches the firmware revision; null when none.
  const TKnownDevice* FindByFirmware(std::string_view firmware);
  // First brand whose name the model string contains (any case), else the brand of
  // FindByModel's row, else 0.
  std::uint8_t FindBrand(std::string_view model);
  // First brand whose name the model string contains (any case), else 0.
  static std::uint8_t BrandNamedIn(std::string_view model);

  // Brand of a 24-bit company identifier; 0 when unknown.
  static std::uint8_t BrandFromCompanyId(std::uint32_t companyId);
  // The company identifier of a 64-bit world wide name (NAA in the top four bits):
  // bits 59..36 when the NAA field is 5 or 0, else 0.
  static std::uint32_t CompanyIdFromWwn(std::uint64_t wwn);
  // The brand table's name; brand 0's name ("未知") for an index outside the table.
  static const char* BrandName(std::uint8_t brandIndex);

  // The whole identification of a drive: the model table first; failing that the
  // brand named in the model string and the firmware table; then the row's brand;
  // last the company identifier of the world wide name.
  TKnownIdentification Identify(std::string_view model, std::string_view firmware, std::uint64_t wwn);
};

}  // namespace vexa
