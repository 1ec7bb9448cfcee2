// How the kernel's answers become Windows' errors, each in one table, and where a
// SAT layer puts the ATA registers in sense data. Sense is read only as far as the
// kernel wrote it; a descriptor that does not have its standard length is not
// trusted.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/StorageLayout.h"
#include "platform/linux/LinuxPassThroughDetail.h"

namespace vexa {

namespace {

// errno of SG_IO and NVME_IOCTL_ADMIN_CMD.
constexpr std::pair<int, std::uint32_t> kErrnoErrors[] = {
    // No CAP_SYS_RAWIO / CAP_SYS_ADMIN, or a command the read-only descriptor may not send.
    {EACCES, kErrorAccessDenied},
    {EPERM, kErrorAccessDenied},
    // The driver has no such request (virtio-blk and NVMe have no SG_IO) or not in this
    // shape: Windows' drivers answer ERROR_INVALID_FUNCTION for requests they lack.
    {ENOTTY, kErrorInvalidFunction},
    {EINVAL, kErrorInvalidFunction},
    {EOPNOTSUPP, kErrorInvalidFunction},
    // The device went away: what Windows answers for a removed device.
    {ENODEV, kErrorDeviceNotConnected},
    {ENXIO, kErrorDeviceNotConnected},
    // No medium: the not-ready of a drive without a disc.
    {ENOMEDIUM, kErrorNotReady},
    {ETIMEDOUT, kErrorSemTimeout},
    {EIO, kErrorIoDevice},
    {EBADF, kErrorInvalidHandle},
};

// The host byte (DID_*) of a command that did not reach the device or not back.
constexpr std::pair<std::uint16_t, std::uint32_t> kHostErrors[] = {
    {0x01, kErrorDeviceNotConnected},  // DID_NO_CONNECT
    {0x03, kErrorSemTimeout},          // DID_TIME_OUT
    {0x04, kErrorDeviceNotConnected},  // DID_BAD_TARGET
};
// The driver byte's low nibble: DRIVER_SENSE (8) only says sense is there.
constexpr std::uint16_t kDriverSense = 0x08;
constexpr std::uint16_t kDriverTimeout = 0x06;

// Sense keys of a CHECK CONDITION without ATA registers.
constexpr std::uint8_t kSenseNotReady = 0x02;
constexpr std::uint8_t kSenseIllegalRequest = 0x05;
constexpr std::uint8_t kSenseAbortedCommand = 0x0B;
constexpr std::pair<std::uint8_t, std::uint32_t> kSenseErrors[] = {
    {kSenseNotReady, kErrorNotReady},
    // The SAT layer does not know ATA PASS-THROUGH (a USB bridge without SAT).
    {kSenseIllegalRequest, kErrorInvalidFunction},
};

constexpr std::uint8_t kAtaReturnDescriptor = 0x09;
constexpr std::uint8_t kAtaReturnLength = 0x0C;
// ATA PASS-THROUGH INFORMATION AVAILABLE, the additional sense of SAT's ck_cond answer.
constexpr std::uint8_t kAscqAtaInformation = 0x1D;

template <typename TKey, std::size_t N>
std::optional<std::uint32_t> Lookup(const std::pair<TKey, std::uint32_t> (&table)[N], TKey key) {
  for (const auto& [from, to] : table) {
    if (from == key) return to;
  }
  return std::nullopt;
}

}  // namespace

std::uint32_t PassThroughError(int error) {
  return Lookup(kErrnoErrors, error).value_or(kErrorGenFailure);
}

namespace passthrough {

namespace tf = storage::taskfile;

std::size_t PutReply(std::span<std::uint8_t> output, std::span<const std::uint8_t> reply) {
  const std::size_t count = std::min(output.size(), reply.size());
  if (count > 0) std::memmove(output.data(), reply.data(), count);
  return count;
}

std::optional<std::uint32_t> TransportError(const TSgReply& reply) {
  if (reply.error != 0) return PassThroughError(reply.error);
  if (reply.hostStatus != 0) return Lookup(kHostErrors, reply.hostStatus).value_or(kErrorIoDevice);
  const std::uint16_t driver = reply.driverStatus & 0x0F;
  if (driver == kDriverTimeout) return kErrorSemTimeout;
  if (driver != 0 && driver != kDriverSense) return kErrorIoDevice;
  return std::nullopt;
}

std::optional<std::size_t> Transferred(const TSgReply& reply, std::size_t size) {
  if (reply.resid < 0 || static_cast<std::size_t>(reply.resid) > size) return std::nullopt;
  return size - static_cast<std::size_t>(reply.resid);
}

std::span<const std::uint8_t> SenseOf(const TSgReply& reply) {
  return std::span(reply.sense).first(std::min<std::size_t>(reply.senseLength, reply.sense.size()));
}

std::optional<TRegisters> SenseRegisters(std::span<const std::uint8_t> sense) {
  if (sense.size() < 8) return std::nullopt;
  const std::uint8_t format = sense[0] & 0x7F;
  TRegisters registers{};
  if (format == 0x72 || format == 0x73) {
    const std::size_t end = std::min<std::size_t>(sense.size(), 8 + std::size_t{sense[7]});
    for (std::size_t at = 8; at + 2 <= end; at += 2 + std::size_t{sense[at + 1]}) {
      if (sense[at] != kAtaReturnDescriptor) continue;
      if (sense[at + 1] != kAtaReturnLength || at + 2 + kAtaReturnLength > end) return std::nullopt;
      // Each register is the low byte of a pair (the high bytes are the 48-bit halves).
      registers[tf::kError] = sense[at + 3];
      registers[tf::kSectorCount] = sense[at + 5];
      registers[tf::kLbaLow] = sense[at + 7];
      registers[tf::kLbaMid] = sense[at + 9];
      registers[tf::kLbaHigh] = sense[at + 11];
      registers[tf::kDevice] = sense[at + 12];
      registers[tf::kStatus] = sense[at + 13];
      return registers;
    }
    return std::nullopt;
  }
  if (format != 0x70 && format != 0x71) return std::nullopt;
  // Fixed format holds the registers in its information and command-specific fields
  // when the SAT layer says so, or when libata reports the device's error in it.
  if (sense.size() < 14) return std::nullopt;
  const bool information = sense[12] == 0 && sense[13] == kAscqAtaInformation;
  if (!information && (sense[2] & 0x0F) != kSenseAbortedCommand) return std::nullopt;
  registers[tf::kError] = sense[3];
  registers[tf::kStatus] = sense[4];
  registers[tf::kDevice] = sense[5];
  registers[tf::kSectorCount] = sense[6];
  registers[tf::kLbaHigh] = sense[9];
  registers[tf::kLbaMid] = sense[10];
  registers[tf::kLbaLow] = sense[11];
  return registers;
}

std::uint32_t SenseError(std::span<const std::uint8_t> sense) {
  if (sense.size() < 3) return kErrorIoDevice;
  const std::uint8_t format = sense[0] & 0x7F;
  const std::uint8_t key = (format == 0x72 || format == 0x73) ? sense[1] & 0x0F : sense[2] & 0x0F;
  return Lookup(kSenseErrors, key).value_or(kErrorIoDevice);
}

std::uint32_t TimeoutMs(std::uint32_t seconds) {
  return std::clamp<std::uint32_t>(seconds, 1, 120) * 1000;
}

}  // namespace passthrough

}  // namespace vexa
