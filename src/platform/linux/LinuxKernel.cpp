// The running kernel's SG_IO and NVMe admin ioctls, with errno kept for the caller
// to translate. Commands are only ever sent with a transfer from the device.
#include "platform/linux/LinuxKernel.h"

#include <linux/nvme_ioctl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace vexa {

namespace {

class TRealLinuxKernel final : public TLinuxKernel {
public:
  TSgReply SgIo(int fd, const TSgRequest& request, std::span<std::uint8_t> data) override {
    TSgReply reply;
    sg_io_hdr_t header{};
    header.interface_id = 'S';
    const bool transfers = request.direction == TSgDirection::FromDevice && !data.empty();
    header.dxfer_direction = transfers ? SG_DXFER_FROM_DEV : SG_DXFER_NONE;
    header.cmd_len = request.cdbLength;
    header.mx_sb_len = static_cast<unsigned char>(reply.sense.size());
    header.dxfer_len = transfers ? static_cast<unsigned int>(data.size()) : 0;
    header.dxferp = transfers ? data.data() : nullptr;
    header.cmdp = const_cast<unsigned char*>(request.cdb.data());
    header.sbp = reply.sense.data();
    header.timeout = request.timeoutMs;
    if (::ioctl(fd, SG_IO, &header) < 0) {
      reply.error = errno;
      return reply;
    }
    reply.status = header.status;
    reply.hostStatus = header.host_status;
    reply.driverStatus = header.driver_status;
    reply.senseLength = header.sb_len_wr;
    reply.resid = header.resid;
    reply.durationMs = header.duration;
    return reply;
  }

  TNvmeAdminReply NvmeAdmin(int fd, const TNvmeAdminRequest& request, std::span<std::uint8_t> data) override {
    TNvmeAdminReply reply;
    nvme_admin_cmd command{};
    command.opcode = request.opcode;
    command.nsid = request.nsid;
    command.addr = reinterpret_cast<std::uintptr_t>(data.data());
    command.data_len = static_cast<std::uint32_t>(data.size());
    command.cdw10 = request.cdw[0];
    command.cdw11 = request.cdw[1];
    command.cdw12 = request.cdw[2];
    command.cdw13 = request.cdw[3];
    command.cdw14 = request.cdw[4];
    command.cdw15 = request.cdw[5];
    command.timeout_ms = request.timeoutMs;
    // Negative: the kernel's failure; positive: the controller's status; zero: done.
    const int answer = ::ioctl(fd, NVME_IOCTL_ADMIN_CMD, &command);
    if (answer < 0) {
      reply.error = errno;
    } else {
      reply.status = static_cast<std::uint32_t>(answer);
      reply.result = command.result;
      reply.bytes = answer == 0 ? command.data_len : 0;
    }
    return reply;
  }
};

}  // namespace

TLinuxKernel& RealLinuxKernel() {
  static TRealLinuxKernel kernel;
  return kernel;
}

}  // namespace vexa
