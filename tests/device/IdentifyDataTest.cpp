// Decoding of the IDENTIFY block: words and bit fields, checksum, ATA strings, the
// World Wide Name, group display texts, capability flags, and real drives' blocks.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "device/IdentifyData.h"

namespace vexa {
namespace {

// A block built word by word, the way a drive sends it.
TIdentifyData WithWords(std::initializer_list<std::pair<std::size_t, std::uint16_t>> words) {
  TIdentifyData data;
  for (const auto& [index, value] : words) {
    data.Block()[index * 2] = static_cast<std::uint8_t>(value & 0xFF);
    data.Block()[index * 2 + 1] = static_cast<std::uint8_t>(value >> 8);
  }
  return data;
}

// ATA strings: the first character of each pair in the high byte.
void PutAtaText(TIdentifyData& data, std::size_t word, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) data.Block()[word * 2 + (i ^ 1)] = static_cast<std::uint8_t>(text[i]);
}

TEST(IdentifyData, WordsLoadAndShortInput) {
  TIdentifyData data;
  EXPECT_EQ(data.WordCount(), 256u);
  EXPECT_FALSE(data.HasData());

  const std::vector<std::uint8_t> bytes{0x34, 0x12, 0x78};  // one and a half words
  data.Load(bytes);
  EXPECT_TRUE(data.HasData());
  EXPECT_EQ(data.Word(0), 0x1234);
  EXPECT_EQ(data.Word(1), 0x0078);
  EXPECT_EQ(data.Word(255), 0);
  EXPECT_EQ(data.Word(256), 0);
  EXPECT_EQ(data.Word(static_cast<std::size_t>(-1)), 0);

  std::vector<std::uint8_t> full(600, 0xFF);
  data.Load(full);  // extra bytes are ignored
  EXPECT_EQ(data.Word(255), 0xFFFF);
  data.Load(bytes);  // a reload replaces everything, left-overs included
  EXPECT_EQ(data.Word(255), 0);
  data.Load({});
  EXPECT_FALSE(data.HasData());
}

TEST(IdentifyData, Checksum) {
  TIdentifyData data = WithWords({{0, 0x0040}, {1, 0x3FFF}, {200, 0x1234}});
  data.Block()[510] = 0xA5;
  const std::uint8_t sum = static_cast<std::uint8_t>(0x40 + 0xFF + 0x3F + 0x34 + 0x12 + 0xA5);
  EXPECT_EQ(data.ComputeChecksum(), static_cast<std::uint8_t>(0x100 - sum));
  data.Block()[511] = data.ComputeChecksum();
  EXPECT_TRUE(data.ChecksumValid());
  data.Block()[511] ^= 1;
  EXPECT_FALSE(data.ChecksumValid());
  data.Block()[511] ^= 1;
  data.Block()[510] = 0xA4;  // signature missing
  data.Block()[511] = data.ComputeChecksum();
  EXPECT_FALSE(data.ChecksumValid());
  EXPECT_FALSE(TIdentifyData().ChecksumValid());
}

TEST(IdentifyData, BitFieldAndWordValid) {
  const TIdentifyData data = WithWords({{76, 0x850E}, {255, 0xFFFF}});
  EXPECT_EQ(data.BitField(76, 8, 1), 1);
  EXPECT_EQ(data.BitField(76, 1, 3), 7);
  EXPECT_EQ(data.BitField(76, 12, 4), 8);
  EXPECT_EQ(data.BitField(76, 0, 16), 0x850E);
  EXPECT_EQ(data.BitField(255, 15, 8), 1);   // bits beyond 15 read as 0
  EXPECT_EQ(data.BitField(255, 16, 1), 0);
  EXPECT_EQ(data.BitField(255, 0, 0), 0);
  EXPECT_EQ(data.BitField(300, 0, 16), 0);

  EXPECT_TRUE(TIdentifyData::WordValid(0x4000));
  EXPECT_TRUE(TIdentifyData::WordValid(0x7400));
  EXPECT_FALSE(TIdentifyData::WordValid(0xFFFF));
  EXPECT_FALSE(TIdentifyData::WordValid(0x0000));
  EXPECT_FALSE(TIdentifyData::WordValid(0x8000));
}

TEST(IdentifyData, TextHexAndValues) {
  TIdentifyData data;
  PutAtaText(data, 27, "  Model X  ");
  EXPECT_EQ(data.Text({27, 4}), "  Model ");  // bytes exchanged, not trimmed
  data = WithWords({{100, 0x1122}, {101, 0x3344}, {102, 0x5566}, {103, 0x7788}});
  const TIdentifyWordDescriptor group{100, 4};
  EXPECT_EQ(data.HexText(group), "2211443366558877");
  EXPECT_EQ(data.WordValue(group), 0x1122);
  EXPECT_EQ(data.DWordValue(group), 0x33441122u);
  EXPECT_EQ(data.QWordValue(group), 0x7788556633441122ull);
  // Groups reaching past the block read zeros instead of other memory.
  EXPECT_EQ(data.HexText({254, 3}), "000000000000");
  EXPECT_EQ(data.Text({255, 2}), std::string(4, '\0'));
  EXPECT_EQ(data.QWordValue({0xFFFF, 4}), 0u);
}

TEST(IdentifyData, WorldWideName) {
  const TIdentifyData standard = WithWords({{108, 0x5000}, {109, 0xC500}, {110, 0x1234}, {111, 0xABCD}});
  EXPECT_EQ(standard.WorldWideName(), 0x5000C5001234ABCDull);
  EXPECT_EQ(standard.WwnText(), "5-000C50-01234ABCD");
  EXPECT_EQ(TIdentifyData::Oui(standard.WorldWideName()), 0x000C50u);

  // The same name stored as a byte string, byte 216 first.
  TIdentifyData byteWise;
  const std::uint8_t name[8] = {0x50, 0x00, 0xC5, 0x00, 0x12, 0x34, 0xAB, 0xCD};
  for (int i = 0; i < 8; ++i) byteWise.Block()[216 + i] = name[i];
  EXPECT_EQ(byteWise.Word(108), 0x0050);
  EXPECT_EQ(byteWise.WorldWideName(), 0x5000C5001234ABCDull);
  EXPECT_EQ(byteWise.WwnText(), "5-000C50-01234ABCD");

  EXPECT_EQ(TIdentifyData().WwnText(), "0-000000-000000000");
  // Company ids only for NAA 5 and for names whose high half is below 0x10000000.
  EXPECT_EQ(TIdentifyData::Oui(0x6001234567890ABCull), 0u);
  EXPECT_EQ(TIdentifyData::Oui(0x0ABCDEF000000000ull), 0xABCDEFu);
  EXPECT_EQ(TIdentifyData::Oui(0x5FFFFFF700000000ull), 0xFFFFFFu);
  const TIdentifyData naa6 = WithWords({{108, 0x6001}, {109, 0x2345}, {110, 0x6789}, {111, 0x0ABC}});
  EXPECT_EQ(naa6.WwnText(), "6-001234-567890ABC");
}

TEST(IdentifyData, MinorVersionNames) {
  EXPECT_EQ(TIdentifyData::MinorVersionName(0x0000), "Unreported");
  EXPECT_EQ(TIdentifyData::MinorVersionName(0xFFFF), "Unreported");
  EXPECT_EQ(TIdentifyData::MinorVersionName(0x0029), "ATA8-ACS revision 4");
  EXPECT_EQ(TIdentifyData::MinorVersionName(0x0082), "ACS-2 published, ANSI INCITS 482-2012");
  EXPECT_EQ(TIdentifyData::MinorVersionName(0x0002), "Obsolete");
  EXPECT_EQ(TIdentifyData::MinorVersionName(0x0017), "ATA/ATAPI-4 T13 1153D revision 17");
  EXPECT_EQ(TIdentifyData::MinorVersionName(0x0020), "已保留");
  EXPECT_EQ(TIdentifyData::MinorVersionName(0x1234), "已保留");
}

TEST(IdentifyData, FieldTextPerGroupKind) {
  TIdentifyData data = WithWords({{1, 16383}, {3, 0}, {60, 0xFFFF}, {61, 0x0FFF}, {100, 0x6030}, {101, 0x3A38},
                                  {108, 0x5000}, {109, 0xC500}, {110, 0x1234}, {111, 0xABCD}, {4, 0xA1B2},
                                  {5, 0xC3D4}});
  PutAtaText(data, 27, std::string(" Samsung SSD") + std::string(28, ' '));
  PutAtaText(data, 10, "\t SERIAL1 ");
  PutAtaText(data, 129, "ABC");

  EXPECT_EQ(data.FieldText({27, 20}), "\"Samsung SSD\"");
  EXPECT_EQ(data.FieldText({10, 10}), "\"SERIAL1\"");
  EXPECT_EQ(data.FieldText({23, 4}), "\"\"");
  EXPECT_EQ(data.FieldText({108, 4}), "5-000C50-01234ABCD");
  EXPECT_EQ(data.FieldText({129, 31}), "ABC" + std::string(59, '.'));
  EXPECT_EQ(data.FieldText({1, 1}), "16383");
  EXPECT_EQ(data.FieldText({3, 1}), "");  // zero shows nothing
  EXPECT_EQ(data.FieldText({60, 2}), "268435455");
  EXPECT_EQ(data.FieldText({100, 4}), "0x3A386030");
  EXPECT_EQ(data.FieldText({230, 4}), "");
  EXPECT_EQ(data.FieldText({4, 2}), "3285492146");
  EXPECT_EQ(data.FieldText({4, 3}), "$B2A1D4C30000");
  EXPECT_EQ(data.FieldText({160, 8}), "$" + std::string(32, '0'));
}

TEST(IdentifyData, FeatureFlagsAndDerivedValues) {
  struct TCase {
    std::size_t word;
    std::uint16_t value;
    std::uint8_t flags;
  };
  const TCase cases[] = {
      {83, 0x7400, DriveFeature::Lba48},
      {83, 0x4008, DriveFeature::Apm},
      {83, 0xFFFF, 0},  // fails the validity marker
      {83, 0x0408, 0},
      {82, 0x0001, DriveFeature::Smart},
      {76, 0x010E, DriveFeature::Ncq},
      {217, 0x0001, DriveFeature::SolidState},
      {217, 0x1C20, 0},  // 7200 rpm
      {169, 0x0001, DriveFeature::Trim},
      {78, 0x0100, DriveFeature::DevSleep},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(WithWords({{c.word, c.value}}).FeatureFlags(), c.flags) << c.word << "=" << c.value;

  EXPECT_EQ(WithWords({{76, 0x010E}}).SataGeneration(), 3);
  EXPECT_EQ(WithWords({{76, 0x0012}}).SataGeneration(), 4);
  EXPECT_EQ(WithWords({{76, 0x0001}}).SataGeneration(), 0);
  EXPECT_EQ(WithWords({{80, 0x0FFE}}).AtaMajorVersion(), 11);
  EXPECT_EQ(WithWords({{80, 0x0002}}).AtaMajorVersion(), 1);
  EXPECT_EQ(WithWords({{80, 0xF001}}).AtaMajorVersion(), 0);

  EXPECT_EQ(WithWords({{106, 0x6003}}).LogicalSectorsPerPhysical(), 8);
  EXPECT_EQ(WithWords({{106, 0x600F}}).LogicalSectorsPerPhysical(), 8);
  EXPECT_EQ(WithWords({{106, 0x6000}}).LogicalSectorsPerPhysical(), 1);
  EXPECT_EQ(WithWords({{106, 0x4003}}).LogicalSectorsPerPhysical(), std::nullopt);  // bit 13 clear
  EXPECT_EQ(WithWords({{106, 0xE003}}).LogicalSectorsPerPhysical(), std::nullopt);  // not valid

  EXPECT_EQ(WithWords({{77, 0x0006}}).NegotiatedSataGeneration(), 3);
  EXPECT_EQ(WithWords({{77, 0x0007}}).NegotiatedSataGeneration(), 0);  // bit 0: not reported
  EXPECT_EQ(WithWords({{77, 0x000C}}).NegotiatedSataGeneration(), 2);  // only bits 2..1 count

  EXPECT_EQ(WithWords({{168, 0x0013}}).FormFactor(), 3);
  EXPECT_EQ(WithWords({{222, 0x103F}}).SataTransportVersion(), "3.0");
  EXPECT_EQ(WithWords({{222, 0x10FF}}).SataTransportVersion(), "3.2");
  EXPECT_EQ(WithWords({{222, 0x1008}}).SataTransportVersion(), "2.5");
  EXPECT_EQ(WithWords({{222, 0x1007}}).SataTransportVersion(), "");

  // 28-bit count unless the drive supports 48-bit addressing.
  EXPECT_EQ(WithWords({{60, 0x1234}, {100, 0x5678}}).UserSectorCount(), 0x1234u);
  EXPECT_EQ(WithWords({{60, 0x1234}, {83, 0x4400}, {100, 0x5678}, {102, 1}}).UserSectorCount(), 0x100005678u);
  EXPECT_EQ(WithWords({{60, 0x1234}, {83, 0x4400}}).UserSectorCount(), 0x1234u);
}

TEST(IdentifyNames, Tables) {
  EXPECT_EQ(MinorVersionNames.size(), 45u);
  EXPECT_EQ(AtaMajorVersionName(0), "");
  EXPECT_EQ(AtaMajorVersionName(1), "ATA-1");
  EXPECT_EQ(AtaMajorVersionName(4), "ATA/ATAPI-4");
  EXPECT_EQ(AtaMajorVersionName(11), "ACS-4");
  EXPECT_EQ(AtaMajorVersionName(12), "");
  EXPECT_EQ(FormFactorName(0), "");
  EXPECT_EQ(FormFactorName(1), "5.25 inch");
  EXPECT_EQ(FormFactorName(5), "< 1.8 inch");
  EXPECT_EQ(FormFactorName(7), "M.2 2280");
  EXPECT_EQ(FormFactorName(8), "");
  EXPECT_EQ(BusTypeName(0), "Unknown");
  EXPECT_EQ(BusTypeName(11), "SATA");
  EXPECT_EQ(BusTypeName(15), "FileBackedVirtual");
  EXPECT_EQ(BusTypeName(18), "<BusTypeMax>");
  EXPECT_EQ(BusTypeName(25), "Unknown (25)");
  EXPECT_EQ(BusTypeName(0xFFFFFFFF), "Unknown (4294967295)");
  EXPECT_EQ(SataSpeedText(1), "1.5 Gbps");
  EXPECT_EQ(SataSpeedText(3), "6.0 Gbps");
  EXPECT_EQ(SataSpeedGbps(0), 0.0);
}

// Real drives, read in place from the shared samples beside the checkout.
struct TRealDrive {
  const char* file;
  const char* model;
  const char* firmware;
  const char* serial;
  bool checksumValid;
  const char* wwn;
  std::uint64_t sectors;
  std::uint8_t flags;
  std::uint8_t sataGeneration;
  std::uint8_t majorVersion;
  const char* minorVersion;
};

std::vector<std::uint8_t> ReadSample(const std::string& name) {
  std::ifstream file(std::string(VEXA_SOURCE_DIR "/../shared/samples/real/") + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(IdentifyRealDrives, DecodeAsPublished) {
  using namespace DriveFeature;
  const TRealDrive drives[] = {
      {"intel_SSDSA2CW120G3", "INTEL SSDSA2CW120G3", "4PC10302", "CVPR109301UZ120LGN", true, "5-001517-9594F0F14",
       234441648, Lba48 | Smart | Ncq | SolidState | Trim, 2, 8, "ATA8-ACS revision 4"},
      {"samsung_SSD_860_EVO_500GB", "Samsung SSD 860 EVO 500GB", "RVT01B6Q", "S3Z1NB0K862928X", true,
       "5-002538-E4067C96B", 976773168, Lba48 | Smart | Ncq | SolidState | Trim | DevSleep, 3, 11, "已保留"},
      {"hitachi_HDS721010CLA632", "Hitachi HDS721010CLA632", "JP4OA41A", "JP2940J82ZYLXV", true,
       "5-000CCA-396EA414B", 1953525168, Lba48 | Smart | Ncq, 3, 8, "ATA8-ACS revision 4"},
      {"maxtor_6B200M0", "Maxtor 6B200M0", "BANC1BY0", "B41RVC2H", true, "0-000000-000000000", 398297088,
       Apm | Lba48 | Smart | Ncq, 1, 7, "ATA/ATAPI-7 T13 1532D revision 0"},
      {"hitachi_HUA722010CLA330", "Hitachi HUA722010CLA330", "JP4OA3EA", nullptr, false, "5-000CCA-373DF50F3",
       1953525168, 0xFF, 0, 0, nullptr},
  };
  for (const TRealDrive& d : drives) {
    SCOPED_TRACE(d.file);
    const std::vector<std::uint8_t> bytes = ReadSample(std::string(d.file) + ".identify.bin");
    if (bytes.empty()) GTEST_SKIP() << "shared samples not available";
    ASSERT_EQ(bytes.size(), 512u);
    TIdentifyData data;
    data.Load(bytes);
    EXPECT_EQ(data.ModelNumber(), d.model);
    EXPECT_EQ(data.FirmwareRevision(), d.firmware);
    if (d.serial) {
      EXPECT_EQ(data.SerialNumber(), d.serial);
    }
    EXPECT_EQ(data.ChecksumValid(), d.checksumValid);
    EXPECT_EQ(data.WwnText(), d.wwn);
    EXPECT_EQ(data.UserSectorCount(), d.sectors);
    if (d.flags == 0xFF) continue;
    EXPECT_EQ(data.FeatureFlags(), d.flags);
    EXPECT_EQ(data.SataGeneration(), d.sataGeneration);
    EXPECT_EQ(data.AtaMajorVersion(), d.majorVersion);
    EXPECT_EQ(data.MinorVersionName(data.WordValue(IdentifyMinorVersion)), d.minorVersion);
  }
}

TEST(IdentifyRealDrives, FieldTextsOfSamsung860) {
  const std::vector<std::uint8_t> bytes = ReadSample("samsung_SSD_860_EVO_500GB.identify.bin");
  if (bytes.empty()) GTEST_SKIP() << "shared samples not available";
  TIdentifyData data;
  data.Load(bytes);
  EXPECT_EQ(data.FieldText(IdentifyModelNumber), "\"Samsung SSD 860 EVO 500GB\"");
  EXPECT_EQ(data.FieldText(IdentifyLba48SectorCount), "0x3A386030");
  EXPECT_EQ(data.FieldText({217, 1}), "1");
  EXPECT_EQ(data.FormFactor(), 3);
  EXPECT_EQ(FormFactorName(data.FormFactor()), "2.5 inch");
  EXPECT_EQ(data.SataTransportVersion(), "3.1");
  EXPECT_EQ(data.NegotiatedSataGeneration(), 3);
  EXPECT_EQ(data.LogicalSectorsPerPhysical(), std::nullopt);
  EXPECT_EQ(TIdentifyData::Oui(data.WorldWideName()), 0x002538u);
}

}  // namespace
}  // namespace vexa
