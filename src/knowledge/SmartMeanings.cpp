#include "knowledge/SmartMeanings.h"

namespace vexa {

namespace {

struct TMeaningRow {
  std::uint8_t id;
  TSmartMeaning meaning;
};

constexpr TSmartMeaning R = TSmartMeaning::Reallocated;
constexpr TSmartMeaning P = TSmartMeaning::Pending;
constexpr TSmartMeaning U = TSmartMeaning::Uncorrectable;
constexpr TSmartMeaning C = TSmartMeaning::CrcErrors;
constexpr TSmartMeaning E = TSmartMeaning::ReallocationEvents;

// Every family: the base names of 5, 9 and 12, and the temperature ids its key
// attribute is searched among.
constexpr TMeaningRow kCommon[] = {
    {5, R}, {9, TSmartMeaning::PowerOnHours}, {12, TSmartMeaning::PowerCycles},
    {190, TSmartMeaning::Temperature}, {194, TSmartMeaning::Temperature},
};

// Each family's own, from the names it gives the ids (SmartNameTables.cpp).
using K = TSmartDescriptorKind;
struct TFamilyRow {
  TSmartDescriptorKind kind;
  std::uint8_t id;
  TSmartMeaning meaning;
};
constexpr TFamilyRow kFamilies[] = {
    {K::Samsung, 179, R}, {K::Samsung, 187, U}, {K::Samsung, 199, C},
    {K::Intel, 187, U}, {K::Intel, 197, P}, {K::Intel, 199, C},
    {K::SandForce, 187, U}, {K::SandForce, 189, TSmartMeaning::Temperature}, {K::SandForce, 196, E},
    {K::SandForce, 198, U}, {K::SandForce, 199, C},
    {K::Marvell, 187, U}, {K::Marvell, 196, E}, {K::Marvell, 197, P}, {K::Marvell, 198, U}, {K::Marvell, 199, C},
    {K::JMicron, 197, P},
    {K::Indilinx, 187, U}, {K::Indilinx, 197, U}, {K::Indilinx, 210, C}, {K::Indilinx, 211, C},
    {K::SiliconMotion, 160, U}, {K::SiliconMotion, 187, U}, {K::SiliconMotion, 196, E},
    {K::SiliconMotion, 197, P}, {K::SiliconMotion, 199, C},
    {K::Phison, 187, U}, {K::Phison, 196, E}, {K::Phison, 197, P}, {K::Phison, 199, C}, {K::Phison, 218, C},
    {K::MechWdc, 196, E}, {K::MechWdc, 197, P}, {K::MechWdc, 198, U}, {K::MechWdc, 199, C},
    {K::Fallback, 187, U}, {K::Fallback, 196, E}, {K::Fallback, 197, P}, {K::Fallback, 198, U}, {K::Fallback, 199, C},
};

}  // namespace

TSmartMeaning SmartMeaning(TSmartDescriptorKind kind, std::uint8_t id) {
  for (const TFamilyRow& row : kFamilies)
    if (row.kind == kind && row.id == id) return row.meaning;
  for (const TMeaningRow& row : kCommon)
    if (row.id == id) return row.meaning;
  return TSmartMeaning::Other;
}

std::optional<TSmartDescriptorKind> SmartDescriptorKindOf(std::string_view displayName) {
  for (std::size_t i = 0; i < kSmartDescriptorKindCount; ++i) {
    const auto kind = static_cast<TSmartDescriptorKind>(i);
    if (SmartDescriptorKindName(kind) == displayName) return kind;
  }
  return std::nullopt;
}

}  // namespace vexa
