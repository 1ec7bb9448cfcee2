// The brand table of the known drives: index 0 stands for no known brand. The rows
// of the drive tables name their brand by index and take the name from here when
// they are compiled, so this table is a constant expression visible to them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vexa {

inline constexpr std::size_t KnownBrandCount = 34;

// Brand indexes that rules elsewhere depend on (descriptor choice, writes per hour).
inline constexpr std::uint8_t kBrandUnknown = 0;
inline constexpr std::uint8_t kBrandSamsung = 1;
inline constexpr std::uint8_t kBrandIntel = 2;
inline constexpr std::uint8_t kBrandWesternDigital = 9;
inline constexpr std::uint8_t kBrandSandForce = 31;

inline constexpr std::array<const char*, KnownBrandCount> KnownBrandNames = {
    "未知",             // 0
    "Samsung",          // 1
    "Intel",            // 2
    "OCZ",              // 3
    "Kingston",         // 4
    "Crucial",          // 5
    "Micron",           // 6
    "Patriot",          // 7
    "ADATA",            // 8
    "Western Digital",  // 9
    "Seagate",          // 10
    "AMD",              // 11
    "SanDisk",          // 12
    "Maxtor",           // 13
    "Corsair",          // 14
    "Toshiba",          // 15
    "Plextor",          // 16
    "Mushkin",          // 17
    "Transcend",        // 18
    "Team Group",       // 19
    "PNY",              // 20
    "GOODRAM",          // 21
    "Apacer",           // 22
    "LiteOn",           // 23
    "Hitachi",          // 24
    "KingFast",         // 25
    "KINGMAX",          // 26
    "Silicon Power",    // 27
    "SK Hynix",         // 28
    "KingDian",         // 29
    "KingSpec",         // 30
    "SandForce",        // 31
    "Zotac",            // 32
    "Intenso",          // 33
};

}  // namespace vexa
