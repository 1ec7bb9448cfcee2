// Names for numbers read from the IDENTIFY block and the platform's storage
// descriptor: ACS minor versions, ATA major versions, storage bus types, nominal
// form factors, SATA transport versions and signalling speeds.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vexa {

struct TMinorVersionName {
  std::uint16_t code;
  std::string_view name;
};

inline constexpr std::size_t MinorVersionNameCount = 45;
extern const std::array<TMinorVersionName, MinorVersionNameCount> MinorVersionNames;

extern const std::array<std::string_view, 11> AtaMajorVersionNames;  // version 1 first
extern const std::array<std::string_view, 19> BusTypeNames;          // bus type 0 first
extern const std::array<std::string_view, 7> FormFactorNames;        // code 1 first
extern const std::array<std::string_view, 5> SataTransportNames;     // word 222 bit 3 first

// First match in MinorVersionNames; otherwise "Obsolete" up to 0x17, "已保留" above.
std::string_view MinorVersionNameOf(std::uint16_t code);
// Empty when the number has no name.
std::string_view AtaMajorVersionName(unsigned version);  // 1 = "ATA-1" ... 11 = "ACS-4"
std::string_view FormFactorName(unsigned code);           // 1 = "5.25 inch" ... 7 = "M.2 2280"
// Bus types above 18 are "Unknown (nn)".
std::string BusTypeName(std::uint32_t busType);
// Signalling speed of SATA generation g: 1.5 x 2^(g-1) Gb/s; 0 for generation 0.
double SataSpeedGbps(unsigned generation);
std::string SataSpeedText(unsigned generation);  // "%.1f Gbps"

}  // namespace vexa
