// SMART commands of the ATA command set, sent through the drive command transport
// so that drives out of reach of the native SMART request are still read through
// the SAT and ATA pass-through routes. The reader keeps no state between calls.
#pragma once

#include <array>
#include <cstdint>

#include "platform/Machine.h"
#include "platform/StorageLayout.h"
#include "support/Bytes.h"

namespace vexa {

using TSmartCommandBlock = std::array<std::uint8_t, storage::sendcmdin::kSize>;

// The command block every SMART command starts from: the SMART signature in the
// LBA registers, device 0xA0, command 0xB0, sector count 1, and the given buffer
// size, sub-command (features) and drive number.
TSmartCommandBlock SmartTemplate(std::uint32_t bufferSize, std::uint8_t features, std::uint8_t driveNumber);

class TSmartReader {
public:
  explicit TSmartReader(Machine& machine) : machine(machine) {}
  virtual ~TSmartReader() = default;

  // SMART ENABLE OPERATIONS. An invalid handle fails at once without a request.
  virtual bool EnableSmart(THandle handle, std::uint8_t driveNumber);
  // SMART_GET_VERSION into a 24-byte reply, cleared first; the bytes returned, 0 on
  // failure or for an invalid handle.
  virtual std::uint32_t GetSmartVersion(THandle handle, TMutableBytes reply);
  // IDENTIFY DEVICE through the SMART request; the destination then holds the block
  // with the serial, firmware and model fields byte-exchanged into plain text.
  virtual bool IdentifyViaSmart(THandle handle, std::uint8_t driveNumber, TMutableBytes destination);
  // SMART READ DATA into data, then SMART READ THRESHOLDS into thresholds (512 bytes
  // each). True only when both succeed; a failed first read touches neither block, a
  // failed second read leaves the threshold block as it was.
  virtual bool ReadSmartData(THandle handle, std::uint8_t driveNumber, TMutableBytes data,
                             TMutableBytes thresholds);

private:
  Machine& machine;
};

}  // namespace vexa
