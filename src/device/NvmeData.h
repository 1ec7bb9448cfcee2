// NVMe drives' own data: the Identify Controller and Identify Namespace blocks
// (4096 bytes each) and the SMART / Health Information log page (512 bytes), decoded
// field by field at the offsets the NVMe standard gives them. Decoding reads only
// the bytes given (a short block reads as zeros beyond its end) and never fails;
// texts are the drive's ASCII with leading blanks and trailing blanks and NULs
// removed, otherwise kept as bytes (callers escape them for display).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/Bytes.h"
#include "support/Format.h"
#include "support/UInt128.h"

namespace vexa {

inline constexpr std::size_t kNvmeIdentifySize = 4096;
inline constexpr std::size_t kNvmeHealthLogSize = 512;
inline constexpr std::size_t kNvmePowerStateCount = 32;
inline constexpr std::size_t kNvmeLbaFormatCount = 16;
inline constexpr std::size_t kNvmeTemperatureSensorCount = 8;
// Where the repeated records start in Identify Controller (power states) and in
// Identify Namespace (LBA formats), and the size of one.
inline constexpr std::size_t kNvmePowerStateOffset = 2048;
inline constexpr std::size_t kNvmePowerStateSize = 32;
inline constexpr std::size_t kNvmeLbaFormatOffset = 128;
inline constexpr std::size_t kNvmeLbaFormatSize = 4;

// Optional Admin Command Support (OACS, Identify Controller bytes 256-257).
namespace nvmeoacs {
inline constexpr std::uint16_t kSecurity = 1 << 0;
inline constexpr std::uint16_t kFormatNvm = 1 << 1;
inline constexpr std::uint16_t kFirmware = 1 << 2;
inline constexpr std::uint16_t kNamespaceManagement = 1 << 3;
inline constexpr std::uint16_t kSelfTest = 1 << 4;
inline constexpr std::uint16_t kDirectives = 1 << 5;
inline constexpr std::uint16_t kManagementInterface = 1 << 6;
inline constexpr std::uint16_t kVirtualization = 1 << 7;
inline constexpr std::uint16_t kDoorbellBuffer = 1 << 8;
inline constexpr std::uint16_t kLbaStatus = 1 << 9;
}  // namespace nvmeoacs

// Optional NVM Command Support (ONCS, bytes 520-521).
namespace nvmeoncs {
inline constexpr std::uint16_t kCompare = 1 << 0;
inline constexpr std::uint16_t kWriteUncorrectable = 1 << 1;
inline constexpr std::uint16_t kDatasetManagement = 1 << 2;  // deallocate: TRIM
inline constexpr std::uint16_t kWriteZeroes = 1 << 3;
inline constexpr std::uint16_t kSaveSelect = 1 << 4;
inline constexpr std::uint16_t kReservations = 1 << 5;
inline constexpr std::uint16_t kTimestamp = 1 << 6;
inline constexpr std::uint16_t kVerify = 1 << 7;
}  // namespace nvmeoncs

// Critical Warning (health log byte 0).
namespace nvmewarning {
inline constexpr std::uint8_t kSpareBelowThreshold = 1 << 0;
inline constexpr std::uint8_t kTemperature = 1 << 1;
inline constexpr std::uint8_t kReliabilityDegraded = 1 << 2;
inline constexpr std::uint8_t kReadOnly = 1 << 3;
inline constexpr std::uint8_t kVolatileBackupFailed = 1 << 4;
inline constexpr std::uint8_t kPersistentMemoryReadOnly = 1 << 5;
}  // namespace nvmewarning

struct TNvmePowerState {
  std::uint16_t maxPower = 0;     // MP, in units of the scale below
  bool maxPowerScale = false;     // MXPS: 0.0001 W units when set, else 0.01 W
  bool nonOperational = false;    // NOPS
  std::uint32_t entryLatency = 0; // ENLAT, microseconds
  std::uint32_t exitLatency = 0;  // EXLAT, microseconds
  // Watts, exactly (MP ÷ 100 or ÷ 10 000).
  TRatio Watts() const { return TRatio(maxPower, maxPowerScale ? 10'000 : 100); }
};

struct TNvmeIdentifyController {
  std::uint16_t vendorId = 0;           // VID, bytes 0-1
  std::uint16_t subsystemVendorId = 0;  // SSVID, bytes 2-3
  std::string serial;                   // SN, bytes 4-23
  std::string model;                    // MN, bytes 24-63
  std::string firmware;                 // FR, bytes 64-71
  std::uint32_t ieeeOui = 0;            // IEEE, bytes 73-75 (least significant byte first)
  std::uint16_t controllerId = 0;       // CNTLID, bytes 78-79
  std::uint32_t version = 0;            // VER, bytes 80-83: major 31:16, minor 15:8, tertiary 7:0
  std::uint16_t optionalAdminCommands = 0;  // OACS, bytes 256-257
  std::uint8_t powerStatesSupported = 0;    // NPSS, byte 263: the count less one
  std::uint16_t warningTemperature = 0;     // WCTEMP, bytes 266-267, kelvin (0: not reported)
  std::uint16_t criticalTemperature = 0;    // CCTEMP, bytes 268-269, kelvin
  TUInt128 totalCapacity;                   // TNVMCAP, bytes 280-295, bytes
  TUInt128 unallocatedCapacity;             // UNVMCAP, bytes 296-311, bytes
  std::uint32_t namespaceCount = 0;         // NN, bytes 516-519
  std::uint16_t optionalNvmCommands = 0;    // ONCS, bytes 520-521
  std::uint8_t volatileWriteCache = 0;      // VWC, byte 525 (bit 0: present)
  std::array<TNvmePowerState, kNvmePowerStateCount> powerStates{};  // bytes 2048-3071

  // "1.3" or "1.4.1": the tertiary number only when not 0; "" when VER is 0.
  std::string VersionText() const;
  // "1.3.0": always three numbers (the console program's form); "" when VER is 0.
  std::string VersionTriple() const;
};

struct TNvmeLbaFormat {
  std::uint16_t metadataSize = 0;  // MS
  std::uint8_t dataSizeShift = 0;  // LBADS: 2^n bytes per block (0: not supported)
  std::uint8_t relativePerformance = 0;  // RP, 0 best .. 3 degraded
  std::uint64_t BlockSize() const { return dataSizeShift >= 9 && dataSizeShift < 32 ? std::uint64_t{1} << dataSizeShift : 0; }
};

struct TNvmeIdentifyNamespace {
  std::uint64_t size = 0;         // NSZE, blocks
  std::uint64_t capacity = 0;     // NCAP, blocks
  std::uint64_t utilization = 0;  // NUSE, blocks
  std::uint8_t formatCount = 0;   // NLBAF + 1 (1..16)
  std::uint8_t formatInUse = 0;   // FLBAS bits 3:0
  std::array<TNvmeLbaFormat, kNvmeLbaFormatCount> formats{};  // bytes 128-191
  // The block size of the format in use; 512 when the block does not say.
  std::uint64_t BlockSize() const;
};

struct TNvmeHealthLog {
  std::uint8_t criticalWarning = 0;        // byte 0
  std::uint16_t temperature = 0;           // bytes 1-2, composite, kelvin
  std::uint8_t availableSpare = 0;         // byte 3, percent
  std::uint8_t availableSpareThreshold = 0;  // byte 4, percent
  std::uint8_t percentageUsed = 0;         // byte 5 (may exceed 100)
  TUInt128 dataUnitsRead;                  // bytes 32-47, units of 1000 × 512 bytes
  TUInt128 dataUnitsWritten;               // bytes 48-63
  TUInt128 hostReadCommands;               // bytes 64-79
  TUInt128 hostWriteCommands;              // bytes 80-95
  TUInt128 controllerBusyTime;             // bytes 96-111, minutes
  TUInt128 powerCycles;                    // bytes 112-127
  TUInt128 powerOnHours;                   // bytes 128-143
  TUInt128 unsafeShutdowns;                // bytes 144-159
  TUInt128 mediaErrors;                    // bytes 160-175
  TUInt128 errorLogEntries;                // bytes 176-191
  std::uint32_t warningTemperatureTime = 0;   // bytes 192-195, minutes
  std::uint32_t criticalTemperatureTime = 0;  // bytes 196-199, minutes
  std::array<std::uint16_t, kNvmeTemperatureSensorCount> sensors{};  // bytes 200-215, kelvin, 0: none

  // Celsius from kelvin; none for 0 K (not reported).
  static std::optional<int> Celsius(std::uint16_t kelvin);
};

TNvmeIdentifyController DecodeNvmeIdentifyController(TBytes block);
TNvmeIdentifyNamespace DecodeNvmeIdentifyNamespace(TBytes block);
TNvmeHealthLog DecodeNvmeHealthLog(TBytes block);

// The health log counts data read and written in units of 1000 sectors of 512 bytes.
inline constexpr std::uint64_t kNvmeDataUnitBytes = 512'000;

// One field of the health log as the SMART page lists it and a machine file names it,
// in log order: `key` is the machine file's and the console program's name, `name`
// the page's text.
struct TNvmeHealthField {
  std::uint16_t offset;  // the row's id on the SMART page
  std::uint8_t size;     // 1, 2, 4 or 16 bytes
  std::string_view key;
  std::string_view name;
};
std::span<const TNvmeHealthField> NvmeHealthFields();
// The field of that key; none for a key the log does not have.
const TNvmeHealthField* FindNvmeHealthField(std::string_view key);
// The field's bytes of a health log, little-endian (0 beyond the log's end).
TUInt128 NvmeHealthFieldValue(TBytes log, const TNvmeHealthField& field);

}  // namespace vexa
