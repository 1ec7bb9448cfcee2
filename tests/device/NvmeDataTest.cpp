// Decoding of NVMe Identify blocks and the health log, from the published figures
// of a real drive (a 1 TB drive of NVMe 1.3) and at the edges: counters at their
// maximum, temperatures of 0 K and 65535 K, hostile texts, short blocks.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "device/NvmeData.h"
#include "support/Format.h"

namespace vexa {
namespace {

using TBlock = std::vector<std::uint8_t>;

void PutText(TBlock& block, std::size_t offset, std::string_view text) {
  std::copy(text.begin(), text.end(), block.begin() + static_cast<std::ptrdiff_t>(offset));
}

TBlock RealController() {
  TBlock block(kNvmeIdentifySize, 0);
  PutU32(block, 0, 0x144D144D);
  PutText(block, 4, "S6WSNS0W603261X     Samsung SSD 980 PRO with Heatsink 1TB   5B2QGXA7");
  PutText(block, 73, std::string_view("\x38\x25\x00", 3));
  PutU16(block, 78, 6);
  PutU32(block, 80, 0x10300);
  PutU16(block, 256, nvmeoacs::kSelfTest);
  block[263] = 4;
  PutU32(block, 266, 358u << 16 | 355);
  PutU128(block, 280, {1000204886016, 0});
  PutU32(block, 516, 1);
  PutU16(block, 520, nvmeoncs::kDatasetManagement);
  block[525] = 1;
  PutU16(block, 2048, 849);
  PutU32(block, 2048 + 3 * 32, 0x03000000 | 400);  // 0.0001 W steps, non-operational
  PutU32(block, 2048 + 3 * 32 + 8, 1200);
  return block;
}

TEST(NvmeData, IdentifyControllerOfARealDrive) {
  TBlock block = RealController();
  const TNvmeIdentifyController id = DecodeNvmeIdentifyController(block);
  EXPECT_EQ(id.serial, "S6WSNS0W603261X");
  EXPECT_EQ(id.model, "Samsung SSD 980 PRO with Heatsink 1TB");
  EXPECT_EQ(id.firmware, "5B2QGXA7");
  EXPECT_EQ(id.vendorId, 0x144D);
  EXPECT_EQ(id.ieeeOui, 0x002538u);
  EXPECT_EQ(id.controllerId, 6);
  EXPECT_EQ(id.version, 0x10300u);
  EXPECT_EQ(id.optionalAdminCommands, nvmeoacs::kSelfTest);
  EXPECT_EQ(id.optionalNvmCommands, nvmeoncs::kDatasetManagement);
  EXPECT_EQ(id.warningTemperature, 355);
  EXPECT_EQ(id.criticalTemperature, 358);
  EXPECT_EQ(DecimalText(id.totalCapacity), "1000204886016");
  EXPECT_EQ(id.namespaceCount, 1u);
  EXPECT_EQ(id.volatileWriteCache, 1);
  EXPECT_EQ(id.powerStatesSupported, 4);
  EXPECT_EQ(Format("%.4f", id.powerStates[0].Watts()), "8.4900");
  EXPECT_FALSE(id.powerStates[0].nonOperational);
  EXPECT_EQ(Format("%.4f", id.powerStates[3].Watts()), "0.0400");
  EXPECT_TRUE(id.powerStates[3].nonOperational);
  EXPECT_EQ(id.powerStates[3].exitLatency, 1200u);

  block.resize(30);  // cut inside the model number
  const TNvmeIdentifyController cut = DecodeNvmeIdentifyController(block);
  EXPECT_EQ(cut.model, "Samsun");
  EXPECT_EQ(cut.version, 0u);
  EXPECT_EQ(cut.powerStates[0].maxPower, 0);
}

TEST(NvmeData, VersionTexts) {
  const struct {
    std::uint32_t version;
    const char* text;
    const char* triple;
  } cases[] = {{0, "", ""}, {0x10300, "1.3", "1.3.0"}, {0x10401, "1.4.1", "1.4.1"}, {0x20000, "2.0", "2.0.0"},
               {0xFFFFFFFF, "65535.255.255", "65535.255.255"}};
  for (const auto& c : cases) {
    TNvmeIdentifyController id;
    id.version = c.version;
    EXPECT_EQ(id.VersionText(), c.text);
    EXPECT_EQ(id.VersionTriple(), c.triple);
  }
}

TEST(NvmeData, TextsKeepTheDrivesBytes) {
  using namespace std::string_view_literals;
  const struct {
    std::string_view field;  // the serial number's first bytes; the rest stay NULs
    std::string_view text;
  } cases[] = {
      {""sv, ""sv},
      {"                    "sv, ""sv},
      {"  AB 12 \0 "sv, "AB 12"sv},
      {"A\0B\x01\x1B[2J\x7F\xFF"sv, "A\0B\x01\x1B[2J\x7F\xFF"sv},
      {"01234567890123456789"sv, "01234567890123456789"sv},
  };
  for (const auto& c : cases) {
    TBlock block(kNvmeIdentifySize, 0);
    PutText(block, 4, c.field);
    PutText(block, 24, "MODEL");  // the next field, never part of the serial number
    EXPECT_EQ(DecodeNvmeIdentifyController(block).serial, c.text);
  }
}

TEST(NvmeData, HealthLogOfARealDrive) {
  // Composite 58 °C, spare 100 % (threshold 10 %), 3 % used, the ten counters, two sensors.
  const std::uint64_t figures[] = {0, 331, 100, 10, 3, 8093279, 3154108, 32356061, 143688024, 7091,
                                   18, 1742, 6, 0, 0, 0, 0, 331, 333, 0, 0, 0, 0, 0, 0};
  const auto fields = NvmeHealthFields();
  ASSERT_EQ(fields.size(), std::size(figures));
  TBlock block(kNvmeHealthLogSize, 0);
  for (std::size_t i = 0; i < fields.size(); ++i) PutU128(block, fields[i].offset, {figures[i], 0});

  // The table's rows and the decoder's members, in log order, read the same bytes.
  const TNvmeHealthLog log = DecodeNvmeHealthLog(block);
  std::vector<TUInt128> decoded = {{log.criticalWarning, 0}, {log.temperature, 0}, {log.availableSpare, 0},
                                   {log.availableSpareThreshold, 0}, {log.percentageUsed, 0}, log.dataUnitsRead,
                                   log.dataUnitsWritten, log.hostReadCommands, log.hostWriteCommands,
                                   log.controllerBusyTime, log.powerCycles, log.powerOnHours, log.unsafeShutdowns,
                                   log.mediaErrors, log.errorLogEntries, {log.warningTemperatureTime, 0},
                                   {log.criticalTemperatureTime, 0}};
  for (const std::uint16_t sensor : log.sensors) decoded.push_back({sensor, 0});
  ASSERT_EQ(decoded.size(), fields.size());
  for (std::size_t i = 0; i < fields.size(); ++i) {
    EXPECT_EQ(NvmeHealthFieldValue(block, fields[i]), (TUInt128{figures[i], 0})) << fields[i].key;
    EXPECT_EQ(decoded[i], (TUInt128{figures[i], 0})) << fields[i].key;
  }
  EXPECT_EQ(TNvmeHealthLog::Celsius(log.temperature), 58);
  EXPECT_EQ(TNvmeHealthLog::Celsius(log.sensors[1]), 60);
  EXPECT_EQ(FormatDecimalByteSize(log.dataUnitsRead, kNvmeDataUnitBytes), "4.14 TB");  // 4 143 758 848 000 bytes
}

TEST(NvmeData, HealthLogAtItsLimits) {
  const TNvmeHealthLog full = DecodeNvmeHealthLog(TBlock(kNvmeHealthLogSize, 0xFF));
  EXPECT_EQ(full.criticalWarning, 0xFF);
  EXPECT_EQ(TNvmeHealthLog::Celsius(full.temperature), 65262);
  EXPECT_EQ(DecimalText(full.dataUnitsRead), "340282366920938463463374607431768211455");
  EXPECT_EQ(DecimalText(full.errorLogEntries), "340282366920938463463374607431768211455");
  EXPECT_EQ(full.criticalTemperatureTime, 0xFFFFFFFFu);
  EXPECT_EQ(full.sensors[7], 0xFFFF);
  EXPECT_EQ(TNvmeHealthLog::Celsius(0), std::nullopt);
  EXPECT_EQ(TNvmeHealthLog::Celsius(1), -272);

  // A log cut inside its first counter reads the missing bytes as 0.
  TBlock cut(36, 0);
  PutU32(cut, 32, 0x55667788);
  EXPECT_EQ(DecodeNvmeHealthLog(cut).dataUnitsRead, (TUInt128{0x55667788, 0}));
  EXPECT_EQ(DecodeNvmeHealthLog({}).temperature, 0);
}

TEST(NvmeData, NamespaceBlockSize) {
  const struct {
    std::uint8_t lastFormat;  // NLBAF
    std::uint8_t inUse;       // FLBAS
    std::uint8_t shift;       // LBADS of format 1
    std::uint64_t blockSize;
  } cases[] = {
      {1, 0x11, 12, 4096},  // bit 4 (metadata placement) is not part of the index
      {1, 0x01, 9, 512},  {0, 0x01, 12, 512},  // format 1 is not listed
      {1, 0x01, 0, 512},  {1, 0x01, 8, 512},   {1, 0x01, 32, 512}, {255, 0x01, 31, 0x80000000},
  };
  for (const auto& c : cases) {
    TBlock block(kNvmeIdentifySize, 0);
    PutU64(block, 0, 1953525168);
    PutU64(block, 16, 116340872);
    block[25] = c.lastFormat;
    block[26] = c.inUse;
    block[128 + 4 + 2] = c.shift;
    const TNvmeIdentifyNamespace ns = DecodeNvmeIdentifyNamespace(block);
    EXPECT_EQ(ns.BlockSize(), c.blockSize) << int(c.lastFormat) << " " << int(c.inUse) << " " << int(c.shift);
    EXPECT_EQ(ns.size, 1953525168u);
    EXPECT_EQ(ns.utilization, 116340872u);
    EXPECT_LE(ns.formatCount, kNvmeLbaFormatCount);
  }
  EXPECT_EQ(DecodeNvmeIdentifyNamespace({}).BlockSize(), 512u);
}

}  // namespace
}  // namespace vexa
