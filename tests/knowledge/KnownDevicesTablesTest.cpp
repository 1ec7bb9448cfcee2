// The known-drives tables: sizes, sample rows field by field, which fields are absent,
// every pattern compiles, and no row is hidden by an earlier one except where known.
#include "knowledge/KnownDevicesTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "knowledge/KnownDevices.h"
#include "knowledge/RegExSimple.h"

namespace vexa {
namespace {

std::size_t RowNumber(const TKnownDevice* row) {
  return row ? static_cast<std::size_t>(row - KnownModels.data()) + 1 : 0;
}

// Null and empty differ: "(null)" stands for an absent field.
std::string Field(const char* text) {
  return text ? std::string("\"") + text + "\"" : "(null)";
}

std::string Fields(const TKnownDevice& row) {
  return std::to_string(row.brandIndex) + " " + Field(row.brandName) + " " + Field(row.modelName) + " " +
         Field(row.pattern) + " " + Field(row.controller) + " " + Field(row.flash) + " " + Field(row.process) +
         " " + Field(row.cellType) + " " + Field(row.releaseDate);
}

TEST(KnownTables, Sizes) {
  EXPECT_EQ(KnownBrandNames.size(), 34u);
  EXPECT_EQ(KnownModels.size(), 302u);
  EXPECT_EQ(KnownFirmwares.size(), 6u);
  EXPECT_EQ(KnownCompanyIds.size(), 21u);
  EXPECT_STREQ(KnownBrandNames[0], "未知");
  EXPECT_STREQ(KnownBrandNames[9], "Western Digital");
  EXPECT_STREQ(KnownBrandNames[33], "Intenso");
}

TEST(KnownTables, SampleRowsFieldByField) {
  struct TCase {
    std::size_t row;
    const char* fields;
  };
  const TCase cases[] = {
      {1, "1 \"Samsung\" \"SSD 850 PRO\" (null) \"Samsung MEX/S4LN045X01\" "
          "\"Samsung 86/128Gbit Toggle 32-layer V-NAND\" \"40\" \"MLC\" \"July 21, 2014\""},
      {11, "1 \"Samsung\" \"470 OEM\" \"MZ7PA(\\d+)H\\a{3}\" \"Samsung MAX/S3C29MAX01\" \"Samsung\" \"30\" "
           "\"MLC\" \"2010\""},
      {42, "2 \"Intel\" \"X18-M G1\" \"SSDSA1MH?(\\d+)G1\" \"\" \"Intel 16Gbit\" \"50\" \"MLC\" \"Q3 2008\""},
      {89, "3 \"OCZ\" \"Vertex 2\" \"OCZ-VERTEX2$\" \"SandForce SF-1222\" \"Intel, Hynix or Micron Async\" "
           "\"34/25\" \"MLC\" \"Apr 2010 / Jan 2011\""},
      {112, "4 \"Kingston\" \"SSDNow V300\" \"KINGSTON SV300S37A?/?(\\d+[GT])\" \"SandForce SF-2281\" (null) "
            "(null) (null) (null)"},
      {141, "7 \"Patriot\" \"Blast\" (null) \"Phison PS3110-S10C-12\" \"\" \"\" \"TLC\" \"2015\""},
      {165, "9 \"Western Digital\" (null) \"^WDC\" (null) (null) (null) (null) (null)"},
      {211, "15 \"Toshiba\" \"HG3 µSATA\" \"THNS[NF]C(\\d+[GT])MMJ\" \"\" (null) (null) (null) (null)"},
      {219, "15 \"Toshiba\" \"XG3 M.2/NVMe\" \"THNS[NF]5(\\w{4})DU7\" \"Toshiba TC58NCP070GSB\" \"Toshiba\" "
            "\"15\" \"MLC\" \"April 2016\""},
      {260, "20 \"PNY\" \"Optima\" \"SSD2SC(\\d+[GT])3LC709B121-460\" \"SandForce | Silicon Motion SM2246EN\" "
            "(null) (null) (null) (null)"},
      {291, "0 \"未知\" \"TYH T300\" \"TYFSF1M(256)S25\" \"Silicon Motion SM2246XT\" \"Micron 128Gbit\" \"16\" "
            "\"MLC\" \"July 2015\""},
      {299, "12 \"SanDisk\" \"Apple OEM\" \"APPLE SSD SD(\\d+)\" \"\" \"\" \"\" \"\" \"\""},
      {302, "10 \"Seagate\" \"Apple OEM\" \"APPLE SSD TA(\\d+)\" \"\" (null) (null) (null) (null)"},
  };
  for (const TCase& c : cases) EXPECT_EQ(Fields(KnownModels[c.row - 1]), c.fields) << "row " << c.row;

  EXPECT_EQ(Fields(KnownFirmwares[0]),
            "1 \"Samsung\" (null) \"^\\a{3}\\d{2}\\w\\d[Q6]$\" \"Samsung\" \"Samsung\" (null) (null) (null)");
  EXPECT_EQ(Fields(KnownFirmwares[5]), "0 \"未知\" (null) \"^S[0-4B-F]F\" \"Phison\" (null) (null) (null) (null)");
}

TEST(KnownTables, AbsentFieldsFollowTheKindOfRow) {
  const std::set<std::size_t> brandOnly = {165, 169, 247, 257, 286, 293};
  const std::set<std::size_t> withDetails = {1, 11, 42, 74, 89, 122, 141, 151, 164, 170, 219, 291, 292, 299};
  std::size_t nameRows = 0;
  for (std::size_t n = 1; n <= KnownModels.size(); ++n) {
    const TKnownDevice& row = KnownModels[n - 1];
    EXPECT_STREQ(row.brandName, KnownBrandNames[row.brandIndex]) << "row " << n;
    EXPECT_EQ(row.modelName == nullptr, brandOnly.contains(n)) << "row " << n;
    EXPECT_EQ(row.controller == nullptr, brandOnly.contains(n)) << "row " << n;
    EXPECT_TRUE(row.pattern || row.modelName) << "row " << n;
    const bool details = withDetails.contains(n);
    EXPECT_EQ(row.flash != nullptr, details) << "row " << n;
    EXPECT_EQ(row.process != nullptr, details) << "row " << n;
    EXPECT_EQ(row.cellType != nullptr, details) << "row " << n;
    EXPECT_EQ(row.releaseDate != nullptr, details) << "row " << n;
    if (!row.pattern) ++nameRows;
  }
  EXPECT_EQ(nameRows, 52u);
  for (const TKnownDevice& row : KnownFirmwares) {
    EXPECT_STREQ(row.brandName, KnownBrandNames[row.brandIndex]);
    EXPECT_EQ(row.modelName, nullptr);
    EXPECT_NE(row.pattern, nullptr);
  }
}

TEST(KnownTables, EveryPatternCompiles) {
  TRegExSimple engine("", true);
  for (const TKnownDevice& row : KnownModels) {
    if (row.pattern) {
      EXPECT_NO_THROW(engine.SetPattern(row.pattern)) << row.pattern;
    }
  }
  for (const TKnownDevice& row : KnownFirmwares) EXPECT_NO_THROW(engine.SetPattern(row.pattern)) << row.pattern;
}

TEST(KnownTables, CompanyIdentifiersAre24BitWithKnownBrands) {
  for (const TKnownCompanyId& pair : KnownCompanyIds) {
    EXPECT_LE(pair.companyId, 0xFFFFFFu);
    EXPECT_GT(pair.brandIndex, 0);
    EXPECT_LT(pair.brandIndex, KnownBrandCount);
  }
  EXPECT_EQ(KnownCompanyIds[0].companyId, 0x0024E9u);
  EXPECT_EQ(KnownCompanyIds[20].companyId, 0xDC663Au);
  EXPECT_EQ(KnownCompanyIds[20].brandIndex, 22);
}

// A model string a row should match: the literal parts of its pattern, the fewest
// repetitions, a digit or capital letter where a set allows one.
std::string SampleFor(const TKnownDevice& row) {
  if (!row.pattern) return std::string(row.brandName) + " " + row.modelName;
  const TRegExSegmentBuilder builder(row.pattern, true);
  std::string sample;
  for (std::int32_t i = 0; i < builder.SegmentCount(); ++i) {
    const TRegExSegmentDuo& segment = *builder.GetSegment(i);
    if (segment.text.size() > 1) {
      sample += segment.text;
      continue;
    }
    char pick = segment.text.empty() ? '\0' : segment.text[0];
    if (segment.text.empty()) {
      const std::string preferred = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
      const auto found = std::find_if(preferred.begin(), preferred.end(),
                                      [&](char c) { return segment.charSet.test(static_cast<unsigned char>(c)); });
      if (found != preferred.end()) {
        pick = *found;
      } else {
        unsigned c = 0;
        while (!segment.charSet.test(c)) ++c;
        pick = static_cast<char>(c);
      }
    }
    sample.append(static_cast<std::size_t>(segment.minCount), pick);
  }
  return sample;
}

TEST(KnownTables, NoRowIsHiddenByAnEarlierOne) {
  // Three rows can never be reached, and stay in table order: row 40 "SM961"
  // (MZVPV(\d+)) and row 41 "PM961" (MZVLV(\d+)) lose to rows 38 and 39 (MZ[HV]PV,
  // MZ[HV]LV), row 47 "X25-V" (SSDSA2M(\d+)G2) to row 46 "X25-M G2" (SSDSA2MH?(\d+)G2).
  const std::set<std::size_t> knownHidden = {40, 41, 47};
  TKnownDevicesDB db;
  std::vector<std::size_t> hidden;
  for (std::size_t n = 1; n <= KnownModels.size(); ++n) {
    const std::string sample = SampleFor(KnownModels[n - 1]);
    const std::size_t found = RowNumber(db.FindByModel(sample));
    if (found != n) hidden.push_back(n);
    if (found != n && !knownHidden.contains(n))
      ADD_FAILURE() << "row " << n << " sample \"" << sample << "\" finds row " << found;
  }
  EXPECT_EQ(hidden, std::vector<std::size_t>(knownHidden.begin(), knownHidden.end()));
}

}  // namespace
}  // namespace vexa
