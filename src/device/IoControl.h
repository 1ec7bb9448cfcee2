// The drive command transport: every storage request that reads drive data, built
// byte by byte in the 32-bit Windows layouts and sent through the Machine seam. No
// operation throws or shows anything; failures answer false, 0 or status 255, and
// replies are read only as far as the bytes the request returned.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/Machine.h"
#include "support/Bytes.h"

namespace vexa {

// DISK_GEOMETRY followed by the disk size, as IOCTL_DISK_GET_DRIVE_GEOMETRY_EX answers.
struct TDiskGeometry {
  std::uint64_t cylinders = 0;
  std::uint32_t mediaType = 0;
  std::uint32_t tracksPerCylinder = 0;
  std::uint32_t sectorsPerTrack = 0;
  std::uint32_t bytesPerSector = 0;
};
struct TDiskGeometryEx {
  TDiskGeometry geometry;
  std::uint64_t diskSize = 0;
};

// The fields of a STORAGE_DEVICE_DESCRIPTOR reply; texts are empty when their offset
// is 0 or points outside the reply, and end at the reply's end when unterminated.
struct TStorageDeviceDescriptor {
  std::uint8_t deviceType = 0;
  std::uint8_t deviceTypeModifier = 0;
  bool removableMedia = false;
  bool commandQueueing = false;
  std::uint32_t busType = 0;
  std::uint32_t vendorIdOffset = 0;
  std::uint32_t productIdOffset = 0;
  std::uint32_t productRevisionOffset = 0;
  std::uint32_t serialNumberOffset = 0;
  std::string vendorId;
  std::string productId;
  std::string productRevision;
  std::string serialNumber;
};

// Builds the ATA request header (40 bytes) at the start of buffer; the data area
// follows at offset 40 and is not touched.
void BuildAtaRequest(TMutableBytes buffer, std::uint16_t ataFlags, std::uint32_t dataLength,
                     std::uint32_t timeoutSeconds, std::span<const std::uint8_t> taskFile);

// Wraps the ATA request (header and its data area) into ATA PASS-THROUGH (16) when it
// carries the 48-bit flag, else (12), and sends it as IOCTL_SCSI_PASS_THROUGH. Answers
// the SCSI status (0 = GOOD: the data was copied back into the request's data area and
// its DataTransferLength set to the count) or 255 when the request itself failed.
std::uint8_t ScsiPassThroughAta(Machine& machine, THandle handle, TMutableBytes ataRequest);

// IDENTIFY DEVICE (or, with packet, IDENTIFY PACKET DEVICE) through ATA pass-through,
// then the SAT route. True when a route delivered the block; it is copied as the
// drive sent it (text not byte-swapped), and what the drive did not send is zeroed.
bool AtaIdentify(Machine& machine, THandle handle, TMutableBytes destination, bool packet);

// A SMART command block (33 bytes) sent with SMART_RCV_DRIVE_DATA or
// SMART_SEND_DRIVE_COMMAND, then through the SAT route, then ATA pass-through. True
// when a route answered; the data is then at reply offset 16.
bool SendSmartCommand(Machine& machine, THandle handle, std::uint32_t controlCode,
                      std::span<const std::uint8_t> commandBlock, TMutableBytes reply);

// IDENTIFY DEVICE through the SCSI port's miniport ("SCSIDISK") for drive number
// driveNumber. True when the request succeeds.
bool MiniportIdentify(Machine& machine, THandle handle, std::uint8_t driveNumber,
                      TMutableBytes destination);

// The length in bytes from IOCTL_DISK_GET_LENGTH_INFO; 0 when the request fails.
std::uint64_t QueryLengthInfo(Machine& machine, THandle handle);

// IOCTL_STORAGE_QUERY_PROPERTY (standard query) for propertyId into reply, which is
// cleared first; bytes the driver did not return stay zero.
bool QueryDeviceDescriptor(Machine& machine, THandle handle, std::uint32_t propertyId,
                           TMutableBytes reply);

// IOCTL_DISK_GET_DRIVE_GEOMETRY_EX with a 40-byte reply; none when the request fails
// or returns no bytes. Fields the reply did not reach read as 0.
std::optional<TDiskGeometryEx> QueryGeometry(Machine& machine, THandle handle);

// Decoders of replies, reading only the given bytes.
TDiskGeometry DecodeGeometry(TBytes reply);
TStorageDeviceDescriptor DecodeDeviceDescriptor(TBytes reply);

}  // namespace vexa
