// TSmartReader: command blocks start from one template (the SMART signature in the
// LBA registers, device 0xA0, command 0xB0) and change only what each command needs.
#include "device/SmartReader.h"

#include <algorithm>
#include <array>
#include <utility>

#include "device/IoControl.h"
#include "platform/StorageLayout.h"

namespace vexa {

namespace st = storage;

namespace {

constexpr std::size_t kBlockSize = 512;
constexpr std::size_t kReplySize = st::sendcmdout::kBuffer + kBlockSize;  // 528
constexpr std::size_t kEnableReplySize = st::sendcmdout::kSize;           // 17

}  // namespace

TSmartCommandBlock SmartTemplate(std::uint32_t bufferSize, std::uint8_t features, std::uint8_t driveNumber) {
  TSmartCommandBlock block{};
  const std::size_t regs = st::sendcmdin::kRegisters;
  PutU32(block, st::sendcmdin::kBufferSize, bufferSize);
  block[regs + st::taskfile::kFeatures] = features;
  block[regs + st::taskfile::kSectorCount] = 0x01;
  block[regs + st::taskfile::kLbaLow] = 0x00;
  block[regs + st::taskfile::kLbaMid] = st::atacmd::kSmartLbaMid;
  block[regs + st::taskfile::kLbaHigh] = st::atacmd::kSmartLbaHigh;
  block[regs + st::taskfile::kDevice] = st::atacmd::kDeviceHead;
  block[regs + st::taskfile::kCommand] = st::atacmd::kSmart;
  block[st::sendcmdin::kDriveNumber] = driveNumber;
  return block;
}

namespace {

// Copies the 512 data bytes of a reply into a destination of any size.
void CopyData(TBytes reply, TMutableBytes destination) {
  const TBytes data = reply.subspan(st::sendcmdout::kBuffer, kBlockSize);
  std::copy_n(data.begin(), std::min(data.size(), destination.size()), destination.begin());
}

// ATA texts hold two characters per word, high byte first.
void ExchangeWordBytes(TMutableBytes block, std::size_t first, std::size_t end) {
  for (std::size_t i = first; i + 1 < end && i + 1 < block.size(); i += 2)
    std::swap(block[i], block[i + 1]);
}

}  // namespace

bool TSmartReader::EnableSmart(THandle handle, std::uint8_t driveNumber) {
  if (handle == kInvalidHandle) return false;
  const TSmartCommandBlock block = SmartTemplate(1, st::atacmd::kSmartEnableOperations, driveNumber);
  std::array<std::uint8_t, kEnableReplySize> reply{};
  return SendSmartCommand(machine, handle, st::kSmartSendDriveCommand, block, reply);
}

std::uint32_t TSmartReader::GetSmartVersion(THandle handle, TMutableBytes reply) {
  std::fill(reply.begin(), reply.end(), 0);
  if (handle == kInvalidHandle) return 0;
  const TIoResult result = machine.Control(
      handle, st::kSmartGetVersion, {},
      reply.first(std::min(reply.size(), st::getversion::kSize)));
  return result.ok ? result.bytes : 0;
}

bool TSmartReader::IdentifyViaSmart(THandle handle, std::uint8_t driveNumber,
                                    TMutableBytes destination) {
  if (handle == kInvalidHandle) return false;
  TSmartCommandBlock block = SmartTemplate(kBlockSize, 0x00, driveNumber);
  const std::size_t regs = st::sendcmdin::kRegisters;
  block[regs + st::taskfile::kLbaLow] = 0x01;
  block[regs + st::taskfile::kLbaMid] = 0x00;
  block[regs + st::taskfile::kLbaHigh] = 0x00;
  block[regs + st::taskfile::kCommand] = st::atacmd::kIdentifyDevice;
  std::array<std::uint8_t, kReplySize> reply{};
  if (!SendSmartCommand(machine, handle, st::kSmartRcvDriveData, block, reply)) return false;
  CopyData(reply, destination);
  ExchangeWordBytes(destination, 20, 40);  // serial number, words 10-19
  ExchangeWordBytes(destination, 46, 54);  // firmware revision, words 23-26
  ExchangeWordBytes(destination, 54, 94);  // model number, words 27-46
  return true;
}

bool TSmartReader::ReadSmartData(THandle handle, std::uint8_t driveNumber, TMutableBytes data,
                                 TMutableBytes thresholds) {
  if (handle == kInvalidHandle) return false;
  std::array<std::uint8_t, kReplySize> reply{};
  const TSmartCommandBlock readData = SmartTemplate(kBlockSize, st::atacmd::kSmartReadData, driveNumber);
  if (!SendSmartCommand(machine, handle, st::kSmartRcvDriveData, readData, reply)) return false;
  CopyData(reply, data);

  // Cleared again: a shorter second reply must not leave the data block's bytes behind.
  reply.fill(0);
  const TSmartCommandBlock readThresholds =
      SmartTemplate(kBlockSize, st::atacmd::kSmartReadThresholds, driveNumber);
  if (!SendSmartCommand(machine, handle, st::kSmartRcvDriveData, readThresholds, reply)) return false;
  CopyData(reply, thresholds);
  return true;
}

}  // namespace vexa
