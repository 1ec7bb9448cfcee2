// The known-drives look-ups: ordered searches over the constant tables, first match
// wins. Name rows compare upper-cased ASCII, so "samsung ssd 850 pro" finds the row
// of brand "Samsung" and model name "SSD 850 PRO".
#include "knowledge/KnownDevices.h"

#include <string>

#include "support/Text.h"

namespace vexa {

TKnownDevicesDB::TKnownDevicesDB() : engine("", true) {}

bool TKnownDevicesDB::PatternMatches(const char* pattern, std::string_view subject) {
  engine.SetPattern(pattern);
  return engine.IsMatch(subject);
}

const TKnownDevice* TKnownDevicesDB::FindByModel(std::string_view model) {
  const std::string upperModel = UpperAscii(model);
  for (const TKnownDevice& row : KnownModels) {
    if (row.pattern) {
      if (PatternMatches(row.pattern, model)) return &row;
    } else if (row.modelName) {
      const std::string name = UpperAscii(std::string(row.brandName) + " " + row.modelName);
      if (upperModel.find(name) != std::string::npos) return &row;
    }
  }
  return nullptr;
}

const TKnownDevice* TKnownDevicesDB::FindByFirmware(std::string_view firmware) {
  for (const TKnownDevice& row : KnownFirmwares)
    if (row.pattern && PatternMatches(row.pattern, firmware)) return &row;
  return nullptr;
}

std::uint8_t TKnownDevicesDB::BrandNamedIn(std::string_view model) {
  const std::string upperModel = UpperAscii(model);
  for (std::size_t i = 0; i < KnownBrandCount; ++i)
    if (upperModel.find(UpperAscii(KnownBrandNames[i])) != std::string::npos) return static_cast<std::uint8_t>(i);
  return 0;
}

std::uint8_t TKnownDevicesDB::FindBrand(std::string_view model) {
  if (const std::uint8_t named = BrandNamedIn(model)) return named;
  const TKnownDevice* row = FindByModel(model);
  return row ? row->brandIndex : 0;
}

std::uint8_t TKnownDevicesDB::BrandFromCompanyId(std::uint32_t companyId) {
  for (const TKnownCompanyId& pair : KnownCompanyIds)
    if (pair.companyId == companyId) return pair.brandIndex;
  return 0;
}

std::uint32_t TKnownDevicesDB::CompanyIdFromWwn(std::uint64_t wwn) {
  const auto naa = static_cast<unsigned>(wwn >> 60);
  if (naa != 5 && naa != 0) return 0;
  return static_cast<std::uint32_t>((wwn >> 36) & 0xFFFFFF);
}

const char* TKnownDevicesDB::BrandName(std::uint8_t brandIndex) {
  return KnownBrandNames[brandIndex < KnownBrandCount ? brandIndex : 0];
}

TKnownIdentification TKnownDevicesDB::Identify(std::string_view model, std::string_view firmware,
                                               std::uint64_t wwn) {
  TKnownIdentification result;
  result.row = FindByModel(model);
  if (!result.row) {
    // FindBrand would search the model table again only to find no row there.
    result.brandIndex = BrandNamedIn(model);
    result.row = FindByFirmware(firmware);
  }
  if (result.row && result.brandIndex == 0) result.brandIndex = result.row->brandIndex;
  if (result.brandIndex == 0) result.brandIndex = BrandFromCompanyId(CompanyIdFromWwn(wwn));
  return result;
}

}  // namespace vexa
