// The constant tables of known drives: the model table (searched in order, first
// match wins, specific rows before general ones), the firmware-revision table and
// the IEEE company identifiers of world wide names. A text field that is null is
// absent, which differs from an empty text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "knowledge/KnownBrands.h"

namespace vexa {

struct TKnownDevice {
  std::uint8_t brandIndex = 0;
  const char* brandName = nullptr;   // from the brand table, never null in a table row
  const char* modelName = nullptr;   // absent in rows that only identify a brand
  const char* pattern = nullptr;     // absent in rows matched by "brand model name"
  const char* controller = nullptr;  // also chooses the SMART descriptor
  const char* flash = nullptr;
  const char* process = nullptr;  // nanometres as text: "40", "A19", "34/25", ...
  const char* cellType = nullptr;
  const char* releaseDate = nullptr;
};

// A table row; the brand name is looked up at compile time, so a bad brand index
// does not compile.
constexpr TKnownDevice KnownRow(std::uint8_t brandIndex, const char* modelName, const char* pattern,
                                const char* controller, const char* flash = nullptr,
                                const char* process = nullptr, const char* cellType = nullptr,
                                const char* releaseDate = nullptr) {
  return {brandIndex, KnownBrandNames.at(brandIndex), modelName, pattern, controller,
          flash, process, cellType, releaseDate};
}

struct TKnownCompanyId {
  std::uint32_t companyId;  // 24-bit IEEE company identifier (OUI)
  std::uint8_t brandIndex;
};

inline constexpr std::size_t KnownModelCount = 302;
inline constexpr std::size_t KnownFirmwareCount = 6;
inline constexpr std::size_t KnownCompanyIdCount = 21;

extern const std::array<TKnownDevice, KnownModelCount> KnownModels;
// Matched against the firmware revision instead of the model string.
extern const std::array<TKnownDevice, KnownFirmwareCount> KnownFirmwares;
extern const std::array<TKnownCompanyId, KnownCompanyIdCount> KnownCompanyIds;

}  // namespace vexa
