// The known-drives look-ups: ordered searches over the constant tables, first match
// wins. Name rows compare upper-cased ASCII, so "samsung ssd 850 pro" finds the row
// of brand "Samsung" and model name "SSD 850 PRO".
#include "knowledge/KnownDevices.h"

#include <memory>
#include <string>
#include <vector>

#include "knowledge/RegExSimple.h"
#include "support/Text.h"

namespace vexa {

namespace {

// The engines of one table's patterns, in row order (none for a row without a
// pattern). Compiled once per process on first use: identification runs on every
// rescan for every drive, and compiling cost three times what matching does. The
// engines keep state while they match, so they serve one thread, as the program has.
template <std::size_t N>
std::vector<std::unique_ptr<TRegExSimple>> CompilePatterns(const std::array<TKnownDevice, N>& rows) {
  std::vector<std::unique_ptr<TRegExSimple>> engines;
  engines.reserve(rows.size());
  for (const TKnownDevice& row : rows)
    engines.push_back(row.pattern ? std::make_unique<TRegExSimple>(row.pattern, true) : nullptr);
  return engines;
}

bool PatternMatches(const std::unique_ptr<TRegExSimple>& engine, std::string_view subject) {
  return engine && engine->IsMatch(subject);
}

// "BRAND MODEL NAME" of each row without a pattern, upper-cased once; empty for the others.
std::vector<std::string> UpperNames() {
  std::vector<std::string> names;
  names.reserve(KnownModels.size());
  for (const TKnownDevice& row : KnownModels) {
    names.push_back(!row.pattern && row.modelName ? UpperAscii(std::string(row.brandName) + " " + row.modelName)
                                                  : std::string());
  }
  return names;
}

}  // namespace

const TKnownDevice* TKnownDevicesDB::FindByModel(std::string_view model) {
  static const std::vector<std::unique_ptr<TRegExSimple>> engines = CompilePatterns(KnownModels);
  static const std::vector<std::string> names = UpperNames();
  const std::string upperModel = UpperAscii(model);
  for (std::size_t i = 0; i < KnownModels.size(); ++i) {
    const TKnownDevice& row = KnownModels[i];
    if (row.pattern) {
      if (PatternMatches(engines[i], model)) return &row;
    } else if (row.modelName) {
      if (upperModel.find(names[i]) != std::string::npos) return &row;
    }
  }
  return nullptr;
}

const TKnownDevice* TKnownDevicesDB::FindByFirmware(std::string_view firmware) {
  static const std::vector<std::unique_ptr<TRegExSimple>> engines = CompilePatterns(KnownFirmwares);
  for (std::size_t i = 0; i < KnownFirmwares.size(); ++i)
    if (PatternMatches(engines[i], firmware)) return &KnownFirmwares[i];
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
