// Compile-time proof that the byte layouts the transport and the replay machine use
// (platform/StorageLayout.h) are the Windows structures: every size, offset and
// control code is compared with MinGW-w64's own definitions. winioctl.h carries the
// ntddstor.h and ntdddisk.h definitions under the same include guards, so it stands
// for all three; ntddscsi.h adds the pass-through and miniport structures. What
// Wine's headers define as well is checked here and there alike
// (StorageLayoutChecks.inc); what they lack is checked here alone.
#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>

#include <cstddef>

#include "platform/StorageLayout.h"
#include "platform/win32/Win32Gaps.h"

#include "device/win32/StorageLayoutChecks.inc"

namespace vexa::storage {

#ifdef _WIN64
using TAtaPassThrough32 = ATA_PASS_THROUGH_EX32;
#else
using TAtaPassThrough32 = ATA_PASS_THROUGH_EX;
#endif

// Control codes.
static_assert(kIoctlScsiMiniportIdentify == IOCTL_SCSI_MINIPORT_IDENTIFY);

// ATA_PASS_THROUGH_EX and its flags. The 32-bit layout in both builds (the 64-bit
// headers name it ATA_PASS_THROUGH_EX32); the 64-bit one in the 64-bit build, whose
// Win32Machine translates between them (platform/RequestLayout64.h).
static_assert(ata::kSize == sizeof(TAtaPassThrough32));
static_assert(ata::kLength == offsetof(TAtaPassThrough32, Length));
static_assert(ata::kAtaFlags == offsetof(TAtaPassThrough32, AtaFlags));
static_assert(ata::kPathId == offsetof(TAtaPassThrough32, PathId));
static_assert(ata::kTargetId == offsetof(TAtaPassThrough32, TargetId));
static_assert(ata::kLun == offsetof(TAtaPassThrough32, Lun));
static_assert(ata::kReservedAsUchar == offsetof(TAtaPassThrough32, ReservedAsUchar));
static_assert(ata::kDataTransferLength == offsetof(TAtaPassThrough32, DataTransferLength));
static_assert(ata::kTimeOutValue == offsetof(TAtaPassThrough32, TimeOutValue));
static_assert(ata::kReservedAsUlong == offsetof(TAtaPassThrough32, ReservedAsUlong));
static_assert(ata::kDataBufferOffset == offsetof(TAtaPassThrough32, DataBufferOffset));
static_assert(ata::kPreviousTaskFile == offsetof(TAtaPassThrough32, PreviousTaskFile));
static_assert(ata::kCurrentTaskFile == offsetof(TAtaPassThrough32, CurrentTaskFile));
#ifdef _WIN64
static_assert(ata64::kSize == sizeof(ATA_PASS_THROUGH_EX));
static_assert(ata::kLength == offsetof(ATA_PASS_THROUGH_EX, Length));
static_assert(ata::kAtaFlags == offsetof(ATA_PASS_THROUGH_EX, AtaFlags));
static_assert(ata::kPathId == offsetof(ATA_PASS_THROUGH_EX, PathId));
static_assert(ata::kTargetId == offsetof(ATA_PASS_THROUGH_EX, TargetId));
static_assert(ata::kLun == offsetof(ATA_PASS_THROUGH_EX, Lun));
static_assert(ata::kReservedAsUchar == offsetof(ATA_PASS_THROUGH_EX, ReservedAsUchar));
static_assert(ata::kDataTransferLength == offsetof(ATA_PASS_THROUGH_EX, DataTransferLength));
static_assert(ata::kTimeOutValue == offsetof(ATA_PASS_THROUGH_EX, TimeOutValue));
static_assert(ata::kReservedAsUlong == offsetof(ATA_PASS_THROUGH_EX, ReservedAsUlong));
static_assert(ata64::kDataBufferOffset == offsetof(ATA_PASS_THROUGH_EX, DataBufferOffset));
static_assert(ata64::kPreviousTaskFile == offsetof(ATA_PASS_THROUGH_EX, PreviousTaskFile));
static_assert(ata64::kCurrentTaskFile == offsetof(ATA_PASS_THROUGH_EX, CurrentTaskFile));
#endif
static_assert(ata::kFlagDrdyRequired == ATA_FLAGS_DRDY_REQUIRED);
static_assert(ata::kFlagDataIn == ATA_FLAGS_DATA_IN);
static_assert(ata::kFlagDataOut == ATA_FLAGS_DATA_OUT);
static_assert(ata::kFlag48BitCommand == ATA_FLAGS_48BIT_COMMAND);

// IDEREGS: the task-file order of CurrentTaskFile and of the SMART command block.
static_assert(taskfile::kSize == sizeof(IDEREGS));
static_assert(taskfile::kFeatures == offsetof(IDEREGS, bFeaturesReg));
static_assert(taskfile::kSectorCount == offsetof(IDEREGS, bSectorCountReg));
static_assert(taskfile::kLbaLow == offsetof(IDEREGS, bSectorNumberReg));
static_assert(taskfile::kLbaMid == offsetof(IDEREGS, bCylLowReg));
static_assert(taskfile::kLbaHigh == offsetof(IDEREGS, bCylHighReg));
static_assert(taskfile::kDevice == offsetof(IDEREGS, bDriveHeadReg));
static_assert(taskfile::kCommand == offsetof(IDEREGS, bCommandReg));
static_assert(taskfile::kReserved == offsetof(IDEREGS, bReserved));

// SCSI_PASS_THROUGH in the 32-bit layout, as the 64-bit headers name it; the
// layout of each build's own width is checked with Wine's (StorageLayoutChecks.inc).
#ifdef _WIN64
static_assert(scsi::kSize == sizeof(SCSI_PASS_THROUGH32));
static_assert(scsi::kLength == offsetof(SCSI_PASS_THROUGH32, Length));
static_assert(scsi::kScsiStatus == offsetof(SCSI_PASS_THROUGH32, ScsiStatus));
static_assert(scsi::kPathId == offsetof(SCSI_PASS_THROUGH32, PathId));
static_assert(scsi::kTargetId == offsetof(SCSI_PASS_THROUGH32, TargetId));
static_assert(scsi::kLun == offsetof(SCSI_PASS_THROUGH32, Lun));
static_assert(scsi::kCdbLength == offsetof(SCSI_PASS_THROUGH32, CdbLength));
static_assert(scsi::kSenseInfoLength == offsetof(SCSI_PASS_THROUGH32, SenseInfoLength));
static_assert(scsi::kDataIn == offsetof(SCSI_PASS_THROUGH32, DataIn));
static_assert(scsi::kDataTransferLength == offsetof(SCSI_PASS_THROUGH32, DataTransferLength));
static_assert(scsi::kTimeOutValue == offsetof(SCSI_PASS_THROUGH32, TimeOutValue));
static_assert(scsi::kDataBufferOffset == offsetof(SCSI_PASS_THROUGH32, DataBufferOffset));
static_assert(scsi::kSenseInfoOffset == offsetof(SCSI_PASS_THROUGH32, SenseInfoOffset));
static_assert(scsi::kCdb == offsetof(SCSI_PASS_THROUGH32, Cdb));
#endif

// SENDCMDINPARAMS, SENDCMDOUTPARAMS, DRIVERSTATUS, GETVERSIONINPARAMS.
static_assert(sendcmdin::kSize == sizeof(SENDCMDINPARAMS));
static_assert(sendcmdin::kBufferSize == offsetof(SENDCMDINPARAMS, cBufferSize));
static_assert(sendcmdin::kRegisters == offsetof(SENDCMDINPARAMS, irDriveRegs));
static_assert(sendcmdin::kDriveNumber == offsetof(SENDCMDINPARAMS, bDriveNumber));
static_assert(sendcmdin::kReserved == offsetof(SENDCMDINPARAMS, bReserved));
static_assert(sendcmdin::kDwReserved == offsetof(SENDCMDINPARAMS, dwReserved));
static_assert(sendcmdin::kBuffer == offsetof(SENDCMDINPARAMS, bBuffer));
static_assert(sendcmdout::kSize == sizeof(SENDCMDOUTPARAMS));
static_assert(sendcmdout::kBufferSize == offsetof(SENDCMDOUTPARAMS, cBufferSize));
static_assert(sendcmdout::kDriverError ==
              offsetof(SENDCMDOUTPARAMS, DriverStatus) + offsetof(DRIVERSTATUS, bDriverError));
static_assert(sendcmdout::kIdeError == offsetof(SENDCMDOUTPARAMS, DriverStatus) + offsetof(DRIVERSTATUS, bIDEError));
static_assert(sendcmdout::kBuffer == offsetof(SENDCMDOUTPARAMS, bBuffer));
static_assert(sendcmdout::kSmartIdeError == SMART_IDE_ERROR);
static_assert(getversion::kSize == sizeof(GETVERSIONINPARAMS));
static_assert(getversion::kVersion == offsetof(GETVERSIONINPARAMS, bVersion));
static_assert(getversion::kRevision == offsetof(GETVERSIONINPARAMS, bRevision));
static_assert(getversion::kReserved == offsetof(GETVERSIONINPARAMS, bReserved));
static_assert(getversion::kIdeDeviceMap == offsetof(GETVERSIONINPARAMS, bIDEDeviceMap));
static_assert(getversion::kCapabilities == offsetof(GETVERSIONINPARAMS, fCapabilities));
static_assert(getversion::kDwReserved == offsetof(GETVERSIONINPARAMS, dwReserved));
static_assert(kCapAtaIdentify == CAP_ATA_ID_CMD);
static_assert(kCapAtapiIdentify == CAP_ATAPI_ID_CMD);
static_assert(kCapSmartCommands == CAP_SMART_CMD);
static_assert(atacmd::kIdentifyDevice == ID_CMD);
static_assert(atacmd::kIdentifyPacketDevice == ATAPI_ID_CMD);
static_assert(atacmd::kSmart == SMART_CMD);
static_assert(atacmd::kSmartReadData == READ_ATTRIBUTES);
static_assert(atacmd::kSmartReadThresholds == READ_THRESHOLDS);
static_assert(atacmd::kSmartEnableOperations == ENABLE_SMART);
static_assert(atacmd::kSmartReturnStatus == RETURN_SMART_STATUS);
static_assert(atacmd::kSmartLbaMid == SMART_CYL_LOW);
static_assert(atacmd::kSmartLbaHigh == SMART_CYL_HI);

// SRB_IO_CONTROL.
static_assert(srbio::kSize == sizeof(SRB_IO_CONTROL));
static_assert(srbio::kHeaderLength == offsetof(SRB_IO_CONTROL, HeaderLength));
static_assert(srbio::kSignature == offsetof(SRB_IO_CONTROL, Signature));
static_assert(srbio::kSignatureSize == sizeof(SRB_IO_CONTROL::Signature));
static_assert(srbio::kTimeout == offsetof(SRB_IO_CONTROL, Timeout));
static_assert(srbio::kControlCode == offsetof(SRB_IO_CONTROL, ControlCode));
static_assert(srbio::kReturnCode == offsetof(SRB_IO_CONTROL, ReturnCode));
static_assert(srbio::kLength == offsetof(SRB_IO_CONTROL, Length));

// Property queries and their descriptors.
static_assert(propertyquery::kStorageAccessAlignmentProperty == StorageAccessAlignmentProperty);
static_assert(propertyquery::kStorageDeviceSeekPenaltyProperty == StorageDeviceSeekPenaltyProperty);
static_assert(propertyquery::kStorageDeviceTrimProperty == StorageDeviceTrimProperty);
static_assert(propertyquery::kStorageAdapterProtocolSpecificProperty == StorageAdapterProtocolSpecificProperty);
static_assert(propertyquery::kStorageDeviceProtocolSpecificProperty == StorageDeviceProtocolSpecificProperty);
static_assert(protocoldata::kSize == sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA));
static_assert(protocoldata::kProtocolType == offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolType));
static_assert(protocoldata::kDataType == offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, DataType));
static_assert(protocoldata::kRequestValue == offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataRequestValue));
static_assert(protocoldata::kRequestSubValue ==
              offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataRequestSubValue));
static_assert(protocoldata::kDataOffset == offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataOffset));
static_assert(protocoldata::kDataLength == offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataLength));
static_assert(protocoldata::kFixedReturnData == offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, FixedProtocolReturnData));
static_assert(protocoldata::kRequestSubValue2 ==
              offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataRequestSubValue2));
static_assert(protocoldata::kRequestSubValue3 ==
              offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataRequestSubValue3));
static_assert(protocoldata::kRequestSubValue4 ==
              offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataRequestSubValue4));
static_assert(protocoldata::kProtocolTypeNvme == ProtocolTypeNvme);
static_assert(protocoldata::kNvmeDataTypeIdentify == NVMeDataTypeIdentify);
static_assert(protocoldata::kNvmeDataTypeLogPage == NVMeDataTypeLogPage);
static_assert(protocoldescriptor::kSize == sizeof(STORAGE_PROTOCOL_DATA_DESCRIPTOR));
static_assert(protocoldescriptor::kVersion == offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, Version));
static_assert(protocoldescriptor::kSizeField == offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, Size));
static_assert(protocoldescriptor::kProtocolSpecificData ==
              offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, ProtocolSpecificData));
static_assert(alignmentdescriptor::kSize == sizeof(STORAGE_ACCESS_ALIGNMENT_DESCRIPTOR));
static_assert(alignmentdescriptor::kBytesPerCacheLine ==
              offsetof(STORAGE_ACCESS_ALIGNMENT_DESCRIPTOR, BytesPerCacheLine));
static_assert(alignmentdescriptor::kBytesOffsetForCacheAlignment ==
              offsetof(STORAGE_ACCESS_ALIGNMENT_DESCRIPTOR, BytesOffsetForCacheAlignment));
static_assert(alignmentdescriptor::kBytesPerLogicalSector ==
              offsetof(STORAGE_ACCESS_ALIGNMENT_DESCRIPTOR, BytesPerLogicalSector));
static_assert(alignmentdescriptor::kBytesPerPhysicalSector ==
              offsetof(STORAGE_ACCESS_ALIGNMENT_DESCRIPTOR, BytesPerPhysicalSector));
static_assert(alignmentdescriptor::kBytesOffsetForSectorAlignment ==
              offsetof(STORAGE_ACCESS_ALIGNMENT_DESCRIPTOR, BytesOffsetForSectorAlignment));
static_assert(flagdescriptor::kSize == sizeof(DEVICE_SEEK_PENALTY_DESCRIPTOR));
static_assert(flagdescriptor::kFlag == offsetof(DEVICE_SEEK_PENALTY_DESCRIPTOR, IncursSeekPenalty));
static_assert(flagdescriptor::kSize == sizeof(DEVICE_TRIM_DESCRIPTOR));
static_assert(flagdescriptor::kFlag == offsetof(DEVICE_TRIM_DESCRIPTOR, TrimEnabled));

// Geometry, length.
static_assert(diskpartitioninfo::kSize == sizeof(DISK_PARTITION_INFO));
static_assert(diskpartitioninfo::kSizeOfPartitionInfo == offsetof(DISK_PARTITION_INFO, SizeOfPartitionInfo));
static_assert(diskpartitioninfo::kPartitionStyle == offsetof(DISK_PARTITION_INFO, PartitionStyle));
static_assert(diskpartitioninfo::kMbrSignature == offsetof(DISK_PARTITION_INFO, Mbr.Signature));
static_assert(diskpartitioninfo::kGptDiskId == offsetof(DISK_PARTITION_INFO, Gpt.DiskId));
static_assert(diskpartitioninfo::kDetectionInfoSize == sizeof(DISK_DETECTION_INFO));
static_assert(lengthinfo::kSize == sizeof(GET_LENGTH_INFORMATION));

// Partitions, layouts.
static_assert(partitioninfoex::kSize == sizeof(PARTITION_INFORMATION_EX));
static_assert(partitioninfoex::kPartitionStyle == offsetof(PARTITION_INFORMATION_EX, PartitionStyle));
static_assert(partitioninfoex::kStartingOffset == offsetof(PARTITION_INFORMATION_EX, StartingOffset));
static_assert(partitioninfoex::kPartitionLength == offsetof(PARTITION_INFORMATION_EX, PartitionLength));
static_assert(partitioninfoex::kPartitionNumber == offsetof(PARTITION_INFORMATION_EX, PartitionNumber));
static_assert(partitioninfoex::kRewritePartition == offsetof(PARTITION_INFORMATION_EX, RewritePartition));
static_assert(partitioninfoex::kUnion == offsetof(PARTITION_INFORMATION_EX, Mbr));
static_assert(partitioninfoex::kMbrPartitionType == offsetof(PARTITION_INFORMATION_EX, Mbr.PartitionType));
static_assert(partitioninfoex::kMbrBootIndicator == offsetof(PARTITION_INFORMATION_EX, Mbr.BootIndicator));
static_assert(partitioninfoex::kMbrRecognizedPartition == offsetof(PARTITION_INFORMATION_EX, Mbr.RecognizedPartition));
static_assert(partitioninfoex::kMbrHiddenSectors == offsetof(PARTITION_INFORMATION_EX, Mbr.HiddenSectors));
static_assert(partitioninfoex::kGptPartitionType == offsetof(PARTITION_INFORMATION_EX, Gpt.PartitionType));
static_assert(partitioninfoex::kGptPartitionId == offsetof(PARTITION_INFORMATION_EX, Gpt.PartitionId));
static_assert(partitioninfoex::kGptAttributes == offsetof(PARTITION_INFORMATION_EX, Gpt.Attributes));
static_assert(partitioninfoex::kGptName == offsetof(PARTITION_INFORMATION_EX, Gpt.Name));
static_assert(partitioninfoex::kGptNameChars == sizeof(PARTITION_INFORMATION_GPT::Name) / sizeof(WCHAR));
static_assert(layout::kPartitionStyle == offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionStyle));
static_assert(layout::kPartitionCount == offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionCount));
static_assert(layout::kMbrSignature == offsetof(DRIVE_LAYOUT_INFORMATION_EX, Mbr.Signature));
static_assert(layout::kGptDiskId == offsetof(DRIVE_LAYOUT_INFORMATION_EX, Gpt.DiskId));
static_assert(layout::kGptStartingUsableOffset == offsetof(DRIVE_LAYOUT_INFORMATION_EX, Gpt.StartingUsableOffset));
static_assert(layout::kGptUsableLength == offsetof(DRIVE_LAYOUT_INFORMATION_EX, Gpt.UsableLength));
static_assert(layout::kGptMaxPartitionCount == offsetof(DRIVE_LAYOUT_INFORMATION_EX, Gpt.MaxPartitionCount));
static_assert(layout::kPartitionEntry == offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry));
static_assert(layout::kHeaderSize + partitioninfoex::kSize == sizeof(DRIVE_LAYOUT_INFORMATION_EX));
static_assert(layout::kStyleMbr == PARTITION_STYLE_MBR);
static_assert(layout::kStyleGpt == PARTITION_STYLE_GPT);
static_assert(layout::kStyleRaw == PARTITION_STYLE_RAW);

}  // namespace vexa::storage
