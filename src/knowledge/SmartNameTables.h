// The SMART attribute names of each controller family, as constant tables in
// ascending id order. A descriptor starts from the base names (the standard ids
// and the reserved and vendor-specific ranges) and then applies its family's
// table, whose rows replace the base name of the same id.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vexa {

struct TSmartNameRow {
  std::uint8_t id;
  std::string_view name;
};

struct TSmartNameRange {
  std::uint8_t first;
  std::uint8_t last;
  std::string_view name;
};

std::span<const TSmartNameRange> SmartBaseNameRanges();
std::span<const TSmartNameRow> SmartBaseNames();
std::span<const TSmartNameRow> SmartNamesSamsung();
std::span<const TSmartNameRow> SmartNamesIntel();
std::span<const TSmartNameRow> SmartNamesSandForce();
std::span<const TSmartNameRow> SmartNamesMarvell();
std::span<const TSmartNameRow> SmartNamesJMicron();
std::span<const TSmartNameRow> SmartNamesIndilinx();
std::span<const TSmartNameRow> SmartNamesSiliconMotion();
std::span<const TSmartNameRow> SmartNamesLinkAMedia();
std::span<const TSmartNameRow> SmartNamesPhison();
std::span<const TSmartNameRow> SmartNamesMechWdc();
std::span<const TSmartNameRow> SmartNamesFallback();

}  // namespace vexa
