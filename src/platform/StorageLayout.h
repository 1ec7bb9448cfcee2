// The Windows storage requests as bytes: control codes, and the sizes and field
// offsets of their structures in the 32-bit layouts (pointer-sized fields are 4
// bytes). Both the request transport and the replay machine build and read buffers
// with these; in the Windows builds every value is checked against MinGW-w64's own
// structures and, where they have them, Wine's, so nobody's memory of the layouts
// has to be trusted. The two structures that differ in a 64-bit process have their
// 64-bit places here too (ata64, scsi64), for the translation at the seam.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vexa::storage {

// Control codes.
inline constexpr std::uint32_t kIoctlScsiPassThrough = 0x4D004;
inline constexpr std::uint32_t kIoctlScsiMiniport = 0x4D008;
inline constexpr std::uint32_t kIoctlAtaPassThrough = 0x4D02C;
inline constexpr std::uint32_t kSmartGetVersion = 0x74080;
inline constexpr std::uint32_t kSmartSendDriveCommand = 0x7C084;
inline constexpr std::uint32_t kSmartRcvDriveData = 0x7C088;
inline constexpr std::uint32_t kIoctlStorageQueryProperty = 0x2D1400;
inline constexpr std::uint32_t kIoctlStorageGetDeviceNumber = 0x2D1080;
inline constexpr std::uint32_t kIoctlDiskGetDriveGeometry = 0x70000;
inline constexpr std::uint32_t kIoctlDiskGetDriveGeometryEx = 0x700A0;
inline constexpr std::uint32_t kIoctlDiskGetLengthInfo = 0x7405C;
inline constexpr std::uint32_t kIoctlDiskGetPartitionInfo = 0x74004;
inline constexpr std::uint32_t kIoctlDiskGetPartitionInfoEx = 0x70048;
inline constexpr std::uint32_t kIoctlDiskGetDriveLayoutEx = 0x70050;
inline constexpr std::uint32_t kIoctlVolumeGetVolumeDiskExtents = 0x560000;
// The miniport's own code inside SRB_IO_CONTROL.
inline constexpr std::uint32_t kIoctlScsiMiniportIdentify = 0x1B0501;

// ATA_PASS_THROUGH_EX.
namespace ata {
inline constexpr std::size_t kSize = 40;
inline constexpr std::size_t kLength = 0;              // 16-bit
inline constexpr std::size_t kAtaFlags = 2;            // 16-bit
inline constexpr std::size_t kPathId = 4;
inline constexpr std::size_t kTargetId = 5;
inline constexpr std::size_t kLun = 6;
inline constexpr std::size_t kReservedAsUchar = 7;
inline constexpr std::size_t kDataTransferLength = 8;  // 32-bit
inline constexpr std::size_t kTimeOutValue = 12;       // 32-bit, seconds
inline constexpr std::size_t kReservedAsUlong = 16;
inline constexpr std::size_t kDataBufferOffset = 20;   // pointer-sized: 32-bit here
inline constexpr std::size_t kPreviousTaskFile = 24;   // 8 bytes
inline constexpr std::size_t kCurrentTaskFile = 32;    // 8 bytes

inline constexpr std::uint16_t kFlagDrdyRequired = 0x01;
inline constexpr std::uint16_t kFlagDataIn = 0x02;
inline constexpr std::uint16_t kFlagDataOut = 0x04;
inline constexpr std::uint16_t kFlag48BitCommand = 0x08;
}  // namespace ata

// ATA_PASS_THROUGH_EX in a 64-bit process: DataBufferOffset is 64-bit and aligned,
// so it and the task files move; the fields before it keep their places.
namespace ata64 {
inline constexpr std::size_t kSize = 48;
inline constexpr std::size_t kDataBufferOffset = 24;  // 64-bit
inline constexpr std::size_t kPreviousTaskFile = 32;
inline constexpr std::size_t kCurrentTaskFile = 40;
}  // namespace ata64

// The eight task-file registers, in the order of IDEREGS and of CurrentTaskFile.
// After a command the first holds the error register and the seventh the status.
namespace taskfile {
inline constexpr std::size_t kSize = 8;
inline constexpr std::size_t kFeatures = 0;
inline constexpr std::size_t kSectorCount = 1;
inline constexpr std::size_t kLbaLow = 2;  // sector number
inline constexpr std::size_t kLbaMid = 3;  // cylinder low
inline constexpr std::size_t kLbaHigh = 4; // cylinder high
inline constexpr std::size_t kDevice = 5;  // device/head
inline constexpr std::size_t kCommand = 6;
inline constexpr std::size_t kReserved = 7;
inline constexpr std::size_t kError = kFeatures;
inline constexpr std::size_t kStatus = kCommand;
}  // namespace taskfile

// SCSI_PASS_THROUGH.
namespace scsi {
inline constexpr std::size_t kSize = 44;
inline constexpr std::size_t kLength = 0;  // 16-bit
inline constexpr std::size_t kScsiStatus = 2;
inline constexpr std::size_t kPathId = 3;
inline constexpr std::size_t kTargetId = 4;
inline constexpr std::size_t kLun = 5;
inline constexpr std::size_t kCdbLength = 6;
inline constexpr std::size_t kSenseInfoLength = 7;
inline constexpr std::size_t kDataIn = 8;
inline constexpr std::size_t kDataTransferLength = 12;  // 32-bit
inline constexpr std::size_t kTimeOutValue = 16;        // 32-bit, seconds
inline constexpr std::size_t kDataBufferOffset = 20;    // pointer-sized: 32-bit here
inline constexpr std::size_t kSenseInfoOffset = 24;     // 32-bit
inline constexpr std::size_t kCdb = 28;
inline constexpr std::size_t kCdbSize = 16;

inline constexpr std::uint8_t kDataOut = 0;
inline constexpr std::uint8_t kDataInDirection = 1;
inline constexpr std::uint8_t kDataUnspecified = 2;

inline constexpr std::uint8_t kStatusGood = 0x00;
inline constexpr std::uint8_t kStatusCheckCondition = 0x02;
}  // namespace scsi

// SCSI_PASS_THROUGH in a 64-bit process: DataBufferOffset is 64-bit and aligned, so
// it, the sense offset and the command block move; the structure ends padded to 8.
namespace scsi64 {
inline constexpr std::size_t kSize = 56;
inline constexpr std::size_t kDataBufferOffset = 24;  // 64-bit
inline constexpr std::size_t kSenseInfoOffset = 32;   // 32-bit
inline constexpr std::size_t kCdb = 36;
}  // namespace scsi64

// ATA PASS-THROUGH command blocks of the SCSI/ATA Translation standard.
namespace sat {
inline constexpr std::uint8_t kAtaPassThrough12 = 0xA1;
inline constexpr std::uint8_t kAtaPassThrough16 = 0x85;
inline constexpr std::uint8_t kProtocolByte = 0x08;  // protocol 4, PIO Data-In; extend 0
inline constexpr std::uint8_t kTransferByte = 0x0E;  // from device, in blocks, count in sector count
inline constexpr std::uint8_t kProtocolNonData = 3;
inline constexpr std::uint8_t kProtocolPioDataIn = 4;
inline constexpr std::uint8_t kProtocolPioDataOut = 5;
}  // namespace sat

// SENDCMDINPARAMS (packed).
namespace sendcmdin {
inline constexpr std::size_t kSize = 33;
inline constexpr std::size_t kBufferSize = 0;  // 32-bit
inline constexpr std::size_t kRegisters = 4;   // taskfile::kSize bytes
inline constexpr std::size_t kDriveNumber = 12;
inline constexpr std::size_t kReserved = 13;   // 3 bytes
inline constexpr std::size_t kDwReserved = 16; // 4 × 32-bit
inline constexpr std::size_t kBuffer = 32;
}  // namespace sendcmdin

// SENDCMDOUTPARAMS (packed) and its DRIVERSTATUS.
namespace sendcmdout {
inline constexpr std::size_t kSize = 17;
inline constexpr std::size_t kBufferSize = 0;  // 32-bit
inline constexpr std::size_t kDriverError = 4;
inline constexpr std::size_t kIdeError = 5;
inline constexpr std::size_t kBuffer = 16;     // the reply data
inline constexpr std::uint8_t kSmartIdeError = 1;  // bDriverError: the drive reported an error
}  // namespace sendcmdout

// GETVERSIONINPARAMS.
namespace getversion {
inline constexpr std::size_t kSize = 24;
inline constexpr std::size_t kVersion = 0;
inline constexpr std::size_t kRevision = 1;
inline constexpr std::size_t kReserved = 2;
inline constexpr std::size_t kIdeDeviceMap = 3;
inline constexpr std::size_t kCapabilities = 4;  // 32-bit
inline constexpr std::size_t kDwReserved = 8;    // 4 × 32-bit
}  // namespace getversion

// SRB_IO_CONTROL, the header of a miniport request.
namespace srbio {
inline constexpr std::size_t kSize = 28;
inline constexpr std::size_t kHeaderLength = 0;
inline constexpr std::size_t kSignature = 4;  // 8 characters, no terminator
inline constexpr std::size_t kSignatureSize = 8;
inline constexpr std::size_t kTimeout = 12;
inline constexpr std::size_t kControlCode = 16;
inline constexpr std::size_t kReturnCode = 20;
inline constexpr std::size_t kLength = 24;
}  // namespace srbio

// STORAGE_PROPERTY_QUERY.
namespace propertyquery {
inline constexpr std::size_t kSize = 12;
inline constexpr std::size_t kPropertyId = 0;
inline constexpr std::size_t kQueryType = 4;
inline constexpr std::size_t kAdditionalParameters = 8;
inline constexpr std::uint32_t kStorageDeviceProperty = 0;
inline constexpr std::uint32_t kStorageAdapterProperty = 1;
inline constexpr std::uint32_t kStorageAccessAlignmentProperty = 6;
inline constexpr std::uint32_t kStorageDeviceSeekPenaltyProperty = 7;
inline constexpr std::uint32_t kStorageDeviceTrimProperty = 8;
inline constexpr std::uint32_t kStorageAdapterProtocolSpecificProperty = 49;
inline constexpr std::uint32_t kStorageDeviceProtocolSpecificProperty = 50;
inline constexpr std::uint32_t kPropertyStandardQuery = 0;
inline constexpr std::uint32_t kPropertyExistsQuery = 1;
}  // namespace propertyquery

// STORAGE_PROTOCOL_SPECIFIC_DATA: in a protocol-specific property query, what the
// driver is to ask the drive; in the reply, where the drive's answer lies. Offsets of
// the data count from the start of this structure.
namespace protocoldata {
inline constexpr std::size_t kSize = 40;
inline constexpr std::size_t kProtocolType = 0;
inline constexpr std::size_t kDataType = 4;
inline constexpr std::size_t kRequestValue = 8;
inline constexpr std::size_t kRequestSubValue = 12;
inline constexpr std::size_t kDataOffset = 16;
inline constexpr std::size_t kDataLength = 20;
inline constexpr std::size_t kFixedReturnData = 24;
inline constexpr std::size_t kRequestSubValue2 = 28;
inline constexpr std::size_t kRequestSubValue3 = 32;
inline constexpr std::size_t kRequestSubValue4 = 36;
inline constexpr std::uint32_t kProtocolTypeNvme = 3;
inline constexpr std::uint32_t kNvmeDataTypeIdentify = 1;
inline constexpr std::uint32_t kNvmeDataTypeLogPage = 2;
// NVMe's own numbers, carried in the request value: the Identify CNS and the log page.
inline constexpr std::uint32_t kNvmeIdentifyNamespace = 0;
inline constexpr std::uint32_t kNvmeIdentifyController = 1;
inline constexpr std::uint32_t kNvmeLogHealth = 2;
}  // namespace protocoldata

// STORAGE_PROTOCOL_DATA_DESCRIPTOR, the reply to a protocol-specific property query:
// the descriptor header, then the protocol-specific data as the driver filled it in.
namespace protocoldescriptor {
inline constexpr std::size_t kSize = 48;
inline constexpr std::size_t kVersion = 0;
inline constexpr std::size_t kSizeField = 4;
inline constexpr std::size_t kProtocolSpecificData = 8;
}  // namespace protocoldescriptor

// STORAGE_DESCRIPTOR_HEADER, the start of every property reply.
namespace descriptorheader {
inline constexpr std::size_t kSize = 8;
inline constexpr std::size_t kVersion = 0;
inline constexpr std::size_t kSizeField = 4;
}  // namespace descriptorheader

// STORAGE_DEVICE_DESCRIPTOR.
namespace devicedescriptor {
inline constexpr std::size_t kSize = 40;
inline constexpr std::size_t kVersion = 0;
inline constexpr std::size_t kSizeField = 4;
inline constexpr std::size_t kDeviceType = 8;
inline constexpr std::size_t kDeviceTypeModifier = 9;
inline constexpr std::size_t kRemovableMedia = 10;
inline constexpr std::size_t kCommandQueueing = 11;
inline constexpr std::size_t kVendorIdOffset = 12;
inline constexpr std::size_t kProductIdOffset = 16;
inline constexpr std::size_t kProductRevisionOffset = 20;
inline constexpr std::size_t kSerialNumberOffset = 24;
inline constexpr std::size_t kBusType = 28;
inline constexpr std::size_t kRawPropertiesLength = 32;
inline constexpr std::size_t kRawDeviceProperties = 36;
}  // namespace devicedescriptor

// STORAGE_ADAPTER_DESCRIPTOR.
namespace adapterdescriptor {
inline constexpr std::size_t kSize = 32;
inline constexpr std::size_t kMaximumTransferLength = 8;
inline constexpr std::size_t kMaximumPhysicalPages = 12;
inline constexpr std::size_t kAlignmentMask = 16;
inline constexpr std::size_t kAdapterUsesPio = 20;
inline constexpr std::size_t kAdapterScansDown = 21;
inline constexpr std::size_t kCommandQueueing = 22;
inline constexpr std::size_t kAcceleratedTransfer = 23;
inline constexpr std::size_t kBusType = 24;  // one byte here, unlike the device descriptor
inline constexpr std::size_t kBusMajorVersion = 26;
inline constexpr std::size_t kBusMinorVersion = 28;
}  // namespace adapterdescriptor

// STORAGE_ACCESS_ALIGNMENT_DESCRIPTOR.
namespace alignmentdescriptor {
inline constexpr std::size_t kSize = 28;
inline constexpr std::size_t kBytesPerCacheLine = 8;
inline constexpr std::size_t kBytesOffsetForCacheAlignment = 12;
inline constexpr std::size_t kBytesPerLogicalSector = 16;
inline constexpr std::size_t kBytesPerPhysicalSector = 20;
inline constexpr std::size_t kBytesOffsetForSectorAlignment = 24;
}  // namespace alignmentdescriptor

// DEVICE_SEEK_PENALTY_DESCRIPTOR and DEVICE_TRIM_DESCRIPTOR.
namespace flagdescriptor {
inline constexpr std::size_t kSize = 12;
inline constexpr std::size_t kFlag = 8;  // IncursSeekPenalty, TrimEnabled
}  // namespace flagdescriptor

// DISK_GEOMETRY, and DISK_GEOMETRY_EX which starts with it.
namespace geometry {
inline constexpr std::size_t kSize = 24;
inline constexpr std::size_t kCylinders = 0;  // 64-bit
inline constexpr std::size_t kMediaType = 8;
inline constexpr std::size_t kTracksPerCylinder = 12;
inline constexpr std::size_t kSectorsPerTrack = 16;
inline constexpr std::size_t kBytesPerSector = 20;
inline constexpr std::size_t kExSize = 40;
inline constexpr std::size_t kExDiskSize = 24;  // 64-bit
inline constexpr std::size_t kExData = 32;
inline constexpr std::uint32_t kMediaRemovable = 11;
inline constexpr std::uint32_t kMediaFixed = 12;
}  // namespace geometry

// DISK_PARTITION_INFO, which the disk driver places at DISK_GEOMETRY_EX.Data.
namespace diskpartitioninfo {
inline constexpr std::size_t kSize = 24;
inline constexpr std::size_t kSizeOfPartitionInfo = 0;
inline constexpr std::size_t kPartitionStyle = 4;
inline constexpr std::size_t kMbrSignature = 8;
inline constexpr std::size_t kGptDiskId = 8;
// DISK_DETECTION_INFO follows it.
inline constexpr std::size_t kDetectionInfoSize = 56;
}  // namespace diskpartitioninfo

// GET_LENGTH_INFORMATION.
namespace lengthinfo {
inline constexpr std::size_t kSize = 8;
}  // namespace lengthinfo

// STORAGE_DEVICE_NUMBER.
namespace devicenumber {
inline constexpr std::size_t kSize = 12;
inline constexpr std::size_t kDeviceType = 0;
inline constexpr std::size_t kDeviceNumber = 4;
inline constexpr std::size_t kPartitionNumber = 8;
}  // namespace devicenumber

// PARTITION_INFORMATION.
namespace partitioninfo {
inline constexpr std::size_t kSize = 32;
inline constexpr std::size_t kStartingOffset = 0;
inline constexpr std::size_t kPartitionLength = 8;
inline constexpr std::size_t kHiddenSectors = 16;
inline constexpr std::size_t kPartitionNumber = 20;
inline constexpr std::size_t kPartitionType = 24;
inline constexpr std::size_t kBootIndicator = 25;
inline constexpr std::size_t kRecognizedPartition = 26;
inline constexpr std::size_t kRewritePartition = 27;
}  // namespace partitioninfo

// PARTITION_INFORMATION_EX with its MBR and GPT parts.
namespace partitioninfoex {
inline constexpr std::size_t kSize = 144;
inline constexpr std::size_t kPartitionStyle = 0;
inline constexpr std::size_t kStartingOffset = 8;
inline constexpr std::size_t kPartitionLength = 16;
inline constexpr std::size_t kPartitionNumber = 24;
inline constexpr std::size_t kRewritePartition = 28;
inline constexpr std::size_t kUnion = 32;
inline constexpr std::size_t kMbrPartitionType = 32;
inline constexpr std::size_t kMbrBootIndicator = 33;
inline constexpr std::size_t kMbrRecognizedPartition = 34;
inline constexpr std::size_t kMbrHiddenSectors = 36;
inline constexpr std::size_t kGptPartitionType = 32;  // GUID
inline constexpr std::size_t kGptPartitionId = 48;    // GUID
inline constexpr std::size_t kGptAttributes = 64;     // 64-bit
inline constexpr std::size_t kGptName = 72;           // 36 UTF-16 characters
inline constexpr std::size_t kGptNameChars = 36;
}  // namespace partitioninfoex

// DRIVE_LAYOUT_INFORMATION_EX; its entries are PARTITION_INFORMATION_EX.
namespace layout {
inline constexpr std::size_t kHeaderSize = 48;
inline constexpr std::size_t kPartitionStyle = 0;
inline constexpr std::size_t kPartitionCount = 4;
inline constexpr std::size_t kMbrSignature = 8;
inline constexpr std::size_t kGptDiskId = 8;
inline constexpr std::size_t kGptStartingUsableOffset = 24;
inline constexpr std::size_t kGptUsableLength = 32;
inline constexpr std::size_t kGptMaxPartitionCount = 40;
inline constexpr std::size_t kPartitionEntry = 48;
inline constexpr std::uint32_t kStyleMbr = 0;
inline constexpr std::uint32_t kStyleGpt = 1;
inline constexpr std::uint32_t kStyleRaw = 2;
}  // namespace layout

// VOLUME_DISK_EXTENTS and its DISK_EXTENT entries.
namespace extents {
inline constexpr std::size_t kSize = 32;
inline constexpr std::size_t kNumberOfDiskExtents = 0;
inline constexpr std::size_t kExtents = 8;
inline constexpr std::size_t kExtentSize = 24;
inline constexpr std::size_t kDiskNumber = 0;
inline constexpr std::size_t kStartingOffset = 8;
inline constexpr std::size_t kExtentLength = 16;
}  // namespace extents

// ATA commands and SMART sub-commands the program sends.
namespace atacmd {
inline constexpr std::uint8_t kIdentifyDevice = 0xEC;
inline constexpr std::uint8_t kIdentifyPacketDevice = 0xA1;
inline constexpr std::uint8_t kSmart = 0xB0;
inline constexpr std::uint8_t kSmartReadData = 0xD0;
inline constexpr std::uint8_t kSmartReadThresholds = 0xD1;
inline constexpr std::uint8_t kSmartEnableOperations = 0xD8;
inline constexpr std::uint8_t kSmartReturnStatus = 0xDA;
inline constexpr std::uint8_t kSmartLbaMid = 0x4F;
inline constexpr std::uint8_t kSmartLbaHigh = 0xC2;
// SMART RETURN STATUS answers these instead when a threshold has been exceeded.
inline constexpr std::uint8_t kSmartFailingLbaMid = 0xF4;
inline constexpr std::uint8_t kSmartFailingLbaHigh = 0x2C;
inline constexpr std::uint8_t kDeviceHead = 0xA0;
inline constexpr std::uint8_t kStatusReady = 0x50;  // DRDY and DSC
inline constexpr std::uint8_t kStatusError = 0x51;  // DRDY, DSC and ERR
inline constexpr std::uint8_t kErrorAbort = 0x04;   // ABRT
}  // namespace atacmd

// The platform's device-type codes (FILE_DEVICE_*).
namespace devicetype {
inline constexpr std::uint32_t kCdRom = 2;
inline constexpr std::uint32_t kController = 4;
inline constexpr std::uint32_t kDisk = 7;
inline constexpr std::uint32_t kUnknown = 34;
}  // namespace devicetype

// The SMART version reply's capability bits.
inline constexpr std::uint32_t kCapAtaIdentify = 0x01;
inline constexpr std::uint32_t kCapAtapiIdentify = 0x02;
inline constexpr std::uint32_t kCapSmartCommands = 0x04;

}  // namespace vexa::storage
