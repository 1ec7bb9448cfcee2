// The two kernel calls through which Linux drives answer pass-through requests:
// SG_IO (SCSI command blocks, SAT's ATA PASS-THROUGH among them) and the NVMe admin
// command. A seam so that tests can script the kernel's answers. Nothing here can
// send data to a device: the only transfer direction is from the device.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace vexa {

enum class TSgDirection : std::uint8_t { None, FromDevice };

struct TSgRequest {
  std::array<std::uint8_t, 16> cdb{};
  std::uint8_t cdbLength = 0;
  TSgDirection direction = TSgDirection::None;
  std::uint32_t timeoutMs = 0;
};

inline constexpr std::size_t kSgSenseSize = 64;

// What SG_IO answered. error is the ioctl's errno (0 when the ioctl succeeded; the
// rest is then the sg_io_hdr's outcome).
struct TSgReply {
  int error = 0;
  std::uint8_t status = 0;         // the SCSI status byte
  std::uint16_t hostStatus = 0;    // DID_*
  std::uint16_t driverStatus = 0;  // DRIVER_* (DRIVER_SENSE only tells that sense came)
  std::array<std::uint8_t, kSgSenseSize> sense{};
  std::uint8_t senseLength = 0;    // sense bytes written
  std::int32_t resid = 0;          // bytes of the data buffer not transferred
  std::uint32_t durationMs = 0;
};

// An admin command that reads from the controller (Identify, Get Log Page).
struct TNvmeAdminRequest {
  std::uint8_t opcode = 0;
  std::uint32_t nsid = 0;
  std::array<std::uint32_t, 6> cdw{};  // command dwords 10..15
  std::uint32_t timeoutMs = 0;
};

struct TNvmeAdminReply {
  int error = 0;            // the ioctl's errno; 0 when the controller completed the command
  std::uint32_t status = 0; // the NVMe status the controller completed it with (0: success)
  std::uint32_t result = 0; // completion dword 0
  std::uint32_t bytes = 0;  // bytes of data delivered: all of the buffer or, on failure, none
};

class TLinuxKernel {
public:
  virtual ~TLinuxKernel() = default;
  // ioctl(fd, SG_IO) with an sg_io_hdr version 3 over data (its size is the transfer
  // length) and a kSgSenseSize sense buffer. Never throws.
  virtual TSgReply SgIo(int fd, const TSgRequest& request, std::span<std::uint8_t> data) = 0;
  // ioctl(fd, NVME_IOCTL_ADMIN_CMD) reading data.size() bytes into data. Never throws.
  virtual TNvmeAdminReply NvmeAdmin(int fd, const TNvmeAdminRequest& request, std::span<std::uint8_t> data) = 0;
};

// The running kernel.
TLinuxKernel& RealLinuxKernel();

}  // namespace vexa
