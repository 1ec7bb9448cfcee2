// Look-ups in the known-drives tables and the identification of a drive: row order,
// case-insensitive name rows, anchored patterns, the brand fallbacks in their order.
#include "knowledge/KnownDevices.h"

#include <gtest/gtest.h>

#include <string>

namespace vexa {
namespace {

std::size_t RowNumber(const TKnownDevice* row) {
  return row ? static_cast<std::size_t>(row - KnownModels.data()) + 1 : 0;
}

std::size_t FirmwareRowNumber(const TKnownDevice* row) {
  return row ? static_cast<std::size_t>(row - KnownFirmwares.data()) + 1 : 0;
}

// A world wide name with the NAA field and a company identifier.
std::uint64_t Wwn(std::uint64_t naa, std::uint64_t companyId) {
  return (naa << 60) | (companyId << 36) | 0x123456789ull;
}

TEST(KnownLookup, FindByModel) {
  struct TCase {
    const char* model;
    std::size_t row;  // 0: none
  };
  const TCase cases[] = {
      {"Samsung SSD 850 PRO 256GB", 1},
      {"samsung ssd 850 pro 256gb", 1},  // name rows ignore case
      {"Samsung SSD 840 EVO 250GB", 6},  // before the more general "SSD 840"
      {"Samsung SSD 840 Series", 7},
      {"SAMSUNG MZ7PA256HMDR-010H1", 11},
      {"OCZ-VERTEX3", 88},
      {"OCZ-VERTEX3 MI", 87},
      {"OCZ-VERTEX4", 85},
      {"ocz-vertex", 91},
      {"OCZ-VERTEX4 ", 0},  // "$" demands the end of the string
      {"INTEL SSDSC2BW240A4", 56},
      {"INTEL SSDSC2CW120A3", 53},
      {"INTEL SSDSA2M040G2GC", 46},  // also what row 47 would match
      {"TYFSF1M256S25", 291},
      {"TYFSF1M512S25", 292},
      {"WDC WD10EZEX-08M2NA0", 165},
      {"ST2000DM001-1CH164", 169},
      {"Crucial_CT256MX100SSD1", 125},
      {"KINGSTON SV300S37A120G", 112},
      {"Corsair Force GT", 201},
      {"PLEXTOR PX-256M6S+", 226},
      {"PLEXTOR PX-256M6S", 227},
      {"APPLE SSD TS128C", 301},
      {"", 0},
      {"Generic Flash Disk", 0},
  };
  TKnownDevicesDB db;
  for (const TCase& c : cases) EXPECT_EQ(RowNumber(db.FindByModel(c.model)), c.row) << c.model;
}

TEST(KnownLookup, FindByFirmware) {
  struct TCase {
    const char* firmware;
    std::size_t row;
  };
  const TCase cases[] = {
      {"EXM02B6Q", 1}, {"DXT0?B6Q", 0}, {"EXM02B6QX", 0}, {"S5FAM017", 2}, {"S8FM06.5", 3},
      {"S9FM02.1", 4}, {"SAFM01.3", 5}, {"SBFA10.0", 6},  {"s3fm01.0", 6}, {"SGFM01.0", 0},
      {"1S9F", 0},     {"", 0},
  };
  TKnownDevicesDB db;
  for (const TCase& c : cases) EXPECT_EQ(FirmwareRowNumber(db.FindByFirmware(c.firmware)), c.row) << c.firmware;
}

TEST(KnownLookup, FindBrand) {
  TKnownDevicesDB db;
  EXPECT_EQ(db.FindBrand("INTEL SSDSC2BW240A4"), 2);
  EXPECT_EQ(db.FindBrand("Some intel drive"), 2);          // a contained name comes first
  EXPECT_EQ(db.FindBrand("MZ7PA256HMDR"), 1);              // else the brand of the model row
  EXPECT_EQ(db.FindBrand("TYFSF1M256S25"), 0);              // a row of brand 0
  EXPECT_EQ(db.FindBrand("Generic Flash Disk"), 0);
  EXPECT_EQ(db.FindBrand("KINGSTON SV300S37A120G"), 4);
}

TEST(KnownLookup, CompanyIdentifiers) {
  EXPECT_EQ(TKnownDevicesDB::BrandFromCompanyId(0x00A075), 6);  // Micron stands before Crucial
  EXPECT_EQ(TKnownDevicesDB::BrandFromCompanyId(0x002538), 1);
  EXPECT_EQ(TKnownDevicesDB::BrandFromCompanyId(0xDC663A), 22);
  EXPECT_EQ(TKnownDevicesDB::BrandFromCompanyId(0x123456), 0);
  EXPECT_EQ(TKnownDevicesDB::BrandFromCompanyId(0), 0);

  EXPECT_EQ(TKnownDevicesDB::CompanyIdFromWwn(0x5000C5001234ABCDull), 0x000C50u);
  EXPECT_EQ(TKnownDevicesDB::CompanyIdFromWwn(Wwn(5, 0x002538)), 0x002538u);
  EXPECT_EQ(TKnownDevicesDB::CompanyIdFromWwn(Wwn(0, 0xE83A97)), 0xE83A97u);
  EXPECT_EQ(TKnownDevicesDB::CompanyIdFromWwn(Wwn(6, 0x002538)), 0u);  // other NAA: no identifier
  EXPECT_EQ(TKnownDevicesDB::CompanyIdFromWwn(Wwn(0xF, 0xFFFFFF)), 0u);
}

TEST(KnownLookup, BrandName) {
  EXPECT_STREQ(TKnownDevicesDB::BrandName(0), "未知");
  EXPECT_STREQ(TKnownDevicesDB::BrandName(31), "SandForce");
  EXPECT_STREQ(TKnownDevicesDB::BrandName(33), "Intenso");
  EXPECT_STREQ(TKnownDevicesDB::BrandName(34), "未知");
  EXPECT_STREQ(TKnownDevicesDB::BrandName(255), "未知");
}

TEST(KnownLookup, Identify) {
  struct TCase {
    const char* name;
    const char* model;
    const char* firmware;
    std::uint64_t wwn;
    std::size_t modelRow;
    std::size_t firmwareRow;
    int brand;
    bool identified;
  };
  const TCase cases[] = {
      {"model row", "Samsung SSD 850 PRO 256GB", "EXM02B6Q", Wwn(5, 0x0026B7), 1, 0, 1, true},
      {"brand-only row", "WDC WD10EZEX-08M2NA0", "01.01A01", 0, 165, 0, 9, true},
      {"row of brand 0 takes the company", "TYFSF1M256S25", "", Wwn(5, 0x00A075), 291, 0, 6, true},
      {"firmware row and company", "XYZ 123", "S9FM02.1", Wwn(5, 0x002538), 0, 4, 1, true},
      {"firmware row, other NAA", "XYZ 123", "S9FM02.1", Wwn(6, 0x002538), 0, 4, 0, true},
      {"named brand, firmware still searched", "Intel thing", "SAFM01.3", 0, 0, 5, 2, true},
      {"firmware row with its brand", "XYZ 123", "EXM02B6Q", Wwn(5, 0x0026B7), 0, 1, 1, true},
      {"company only", "XYZ 123", "1.0", Wwn(5, 0x0014EE), 0, 0, 9, true},
      {"nothing", "XYZ 123", "1.0", Wwn(5, 0x123456), 0, 0, 0, false},
      {"empty strings", "", "", 0, 0, 0, 0, false},
  };
  TKnownDevicesDB db;
  for (const TCase& c : cases) {
    const TKnownIdentification found = db.Identify(c.model, c.firmware, c.wwn);
    if (c.firmwareRow)
      EXPECT_EQ(FirmwareRowNumber(found.row), c.firmwareRow) << c.name;
    else
      EXPECT_EQ(RowNumber(found.row), c.modelRow) << c.name;
    EXPECT_EQ(found.brandIndex, c.brand) << c.name;
    EXPECT_EQ(found.Identified(), c.identified) << c.name;
  }
}

}  // namespace
}  // namespace vexa
