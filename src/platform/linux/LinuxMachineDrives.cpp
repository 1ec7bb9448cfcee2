// The Linux machine of this PC's drives: the description answers what Windows'
// drivers know of a drive, the kernel what the drive itself says. Every request is
// judged first, so nothing that could write reaches either.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/ReplayMachine.h"
#include "platform/ReplayMachineDetail.h"
#include "platform/RequestJudge.h"
#include "platform/StorageLayout.h"
#include "platform/linux/LinuxMachine.h"
#include "platform/linux/LinuxMachineFile.h"
#include "platform/linux/LinuxPassThrough.h"
#include "support/Bytes.h"
#include "support/Format.h"
#include "support/Text.h"

namespace vexa {

using replay::Error;

namespace {

TPassThroughBus BusOf(TLinuxTransport transport) {
  switch (transport) {
    case TLinuxTransport::Ata: return TPassThroughBus::Ata;
    case TLinuxTransport::Nvme: return TPassThroughBus::Nvme;
    default: return TPassThroughBus::Scsi;
  }
}

// The sense key and additional sense of a reply, in either sense format.
std::string SenseText(const TSgReply& reply) {
  if (reply.senseLength < 4) return "no sense data";
  const std::uint8_t format = reply.sense[0] & 0x7F;
  if (format == 0x72 || format == 0x73) {
    return Format("sense key 0x%x, ASC/ASCQ 0x%.2x/0x%.2x", reply.sense[1] & 0x0F, reply.sense[2], reply.sense[3]);
  }
  if ((format == 0x70 || format == 0x71) && reply.senseLength >= 14) {
    return Format("sense key 0x%x, ASC/ASCQ 0x%.2x/0x%.2x", reply.sense[2] & 0x0F, reply.sense[12], reply.sense[13]);
  }
  return Format("sense format 0x%.2x", format);
}

// The kernel as one request saw it: what it answered, in words for the Debug page,
// and whether it refused for want of privilege. A drive this process could not
// open answers as the kernel would: not permitted.
class TNotingKernel final : public TLinuxKernel {
public:
  explicit TNotingKernel(TLinuxKernel& innerKernel) : inner(innerKernel) {}

  TSgReply SgIo(int fd, const TSgRequest& request, std::span<std::uint8_t> data) override {
    TSgReply reply;
    if (fd < 0) {
      reply.error = EACCES;
    } else {
      reply = inner.SgIo(fd, request, data);
    }
    if (reply.error != 0) {
      Note(reply.error, Format("SG_IO of command 0x%.2x: %s", request.cdb[0], std::strerror(reply.error)));
    } else if (reply.status != 0 || reply.hostStatus != 0 || (reply.driverStatus & 0x07) != 0) {
      answer = Format("SG_IO of command 0x%.2x: SCSI status 0x%.2x, host 0x%.2x, driver 0x%.2x, %s", request.cdb[0],
                      reply.status, reply.hostStatus, reply.driverStatus, SenseText(reply));
    }
    return reply;
  }

  TNvmeAdminReply NvmeAdmin(int fd, const TNvmeAdminRequest& request, std::span<std::uint8_t> data) override {
    TNvmeAdminReply reply;
    if (fd < 0) {
      reply.error = EACCES;
    } else {
      reply = inner.NvmeAdmin(fd, request, data);
    }
    if (reply.error != 0) {
      Note(reply.error, Format("NVMe admin command 0x%.2x: %s", request.opcode, std::strerror(reply.error)));
    } else if (reply.status != 0) {
      answer = Format("NVMe admin command 0x%.2x: status 0x%.4x", request.opcode, reply.status);
    }
    return reply;
  }

  std::string answer;
  bool privilege = false;

private:
  void Note(int error, std::string text) {
    privilege = privilege || error == EACCES || error == EPERM;
    answer = std::move(text);
  }

  TLinuxKernel& inner;
};

}  // namespace

std::unique_ptr<LinuxMachine> LinuxMachine::OfThisPc(const TLinuxRoots& roots, TLinuxKernel* kernel) {
  auto machine = std::make_unique<LinuxMachine>();
  machine->description = std::make_unique<TLinuxDescription>(DescribeLinuxMachine(roots));
  machine->described = std::make_unique<ReplayMachine>(machine->description->machine);
  machine->kernel = kernel ? kernel : &RealLinuxKernel();
  return machine;
}

void LinuxMachine::Deny(const std::string& node) {
  if (std::find(denied.begin(), denied.end(), node) == denied.end()) denied.push_back(node);
}

THandle LinuxMachine::OpenDescribed(std::string_view path, const TOpenMode& mode) {
  const TLinuxDevice* device = nullptr;
  bool port = false;
  for (std::size_t i = 0; i < description->devices.size(); ++i) {
    if (!SameTextAscii(description->devices[i].path, path)) continue;
    device = &description->devices[i];
    port = description->machine.devices[i].kind == TMachineDeviceKind::ScsiPort;
  }
  // Volumes and whatever else the description knows are answered by it alone.
  const THandle inner = described->Open(path, mode);
  if (inner == kInvalidHandle) {
    lastOpenError = kErrorFileNotFound;
    return kInvalidHandle;
  }
  TOpenFile file;
  file.mode = mode;
  file.described = inner;
  file.device = device;
  file.port = port;
  if (device) {
    // Without blocking, so that an optical drive without a disc opens too; reads
    // on a block device block all the same.
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (mode.noBuffering ? O_DIRECT : 0);
    file.fd = ::open(device->node.c_str(), flags);
    if (file.fd < 0) {
      const int error = errno;
      if (error == EACCES || error == EPERM) {
        // Still listed with what sysfs tells; its commands and reads are refused.
        Deny(device->node);
      } else {
        // Gone since the description was made (unplugged), or not a device any more.
        described->Close(inner);
        lastOpenError = error == ENOENT || error == ENXIO || error == ENODEV ? kErrorFileNotFound : kErrorGenFailure;
        return kInvalidHandle;
      }
    } else {
      std::uint64_t bytes = 0;
      int logical = 0;
      if (::ioctl(file.fd, BLKGETSIZE64, &bytes) == 0) file.size = bytes;
      if (::ioctl(file.fd, BLKSSZGET, &logical) == 0 && logical > 0) file.sector = static_cast<std::uint32_t>(logical);
    }
  }
  lastOpenError = 0;
  const std::uintptr_t id = nextHandle;
  nextHandle += 4;
  files[id] = file;
  return static_cast<THandle>(id);
}

TIoResult LinuxMachine::DriveControl(TOpenFile& file, std::uint32_t code, std::span<const std::uint8_t> input,
                                     std::span<std::uint8_t> output) {
  if (const std::optional<std::string> why = WriteIntent(code, input)) {
    refused.push_back(*why);
    return Error(kErrorAccessDenied);
  }
  if (file.port) {
    if (code == storage::kIoctlScsiMiniport) return PortIdentify(file, input, output);
  } else if (file.device) {
    bool answered = false;
    const TIoResult result = Live(file, code, input, output, answered);
    if (answered) return result;
  }
  if (file.described == kInvalidHandle) return Error(kErrorInvalidFunction);
  return described->Control(file.described, code, input, output);
}

TIoResult LinuxMachine::Live(TOpenFile& file, std::uint32_t code, std::span<const std::uint8_t> input,
                             std::span<std::uint8_t> output, bool& answered) {
  {
    TNotingKernel noting(*kernel);
    const TPassThroughDevice target{file.fd, BusOf(file.device->transport), -1, file.device->nvmeNamespace};
    const TPassThroughOutcome outcome = PassThrough(noting, target, code, input, output);
    if (outcome.refusal) refused.push_back(*outcome.refusal);
    if (outcome.answer) {
      if (noting.privilege) Deny(file.device->node);
      // The codes under which the pages will show this answer: the error, and for a
      // SCSI pass-through the failure or SCSI status its caller reports instead.
      lastKernelErrors.clear();
      lastScsiStatus = 0;
      lastKernelAnswer = noting.answer.empty() ? "" : file.device->node + ": " + noting.answer;
      if (!outcome.answer->ok) lastKernelErrors.push_back(outcome.answer->error);
      if (code == storage::kIoctlScsiPassThrough) {
        if (!outcome.answer->ok) lastKernelErrors.push_back(kErrorGenFailure);
        if (outcome.answer->ok && output.size() > storage::scsi::kScsiStatus && output[storage::scsi::kScsiStatus] != 0) {
          lastScsiStatus = output[storage::scsi::kScsiStatus];
        }
      }
      answered = true;
      return *outcome.answer;
    }
  }
  return Error(kErrorInvalidFunction);
}

// The miniport's IDENTIFY of a port's disk, sent as the ATA command it carries and
// answered in the miniport's reply: the control header, then the SENDCMDOUTPARAMS
// with the drive's block, or the drive's error when it aborted.
TIoResult LinuxMachine::PortIdentify(TOpenFile& file, std::span<const std::uint8_t> input,
                                     std::span<std::uint8_t> output) {
  namespace sr = storage::srbio;
  namespace a = storage::ata;
  namespace out = storage::sendcmdout;
  constexpr std::size_t kBlock = 512;
  if (input.size() < sr::kSize + storage::sendcmdin::kSize - 1) return Error(kErrorInvalidParameter);
  if (GetU32(input, sr::kLength) < out::kBuffer + kBlock) return Error(kErrorInvalidParameter);
  const std::size_t replySize = sr::kSize + out::kBuffer + kBlock;
  if (output.size() < replySize) return Error(kErrorInsufficientBuffer);
  std::vector<std::uint8_t> request(a::kSize + kBlock, 0);
  PutU16(request, a::kLength, a::kSize);
  PutU16(request, a::kAtaFlags, a::kFlagDrdyRequired | a::kFlagDataIn);
  PutU32(request, a::kDataTransferLength, kBlock);
  PutU32(request, a::kTimeOutValue, std::max<std::uint32_t>(GetU32(input, sr::kTimeout), 1));
  PutU32(request, a::kDataBufferOffset, a::kSize);
  std::copy_n(input.begin() + sr::kSize + storage::sendcmdin::kRegisters, 8, request.begin() + a::kCurrentTaskFile);
  request[a::kCurrentTaskFile + storage::taskfile::kSectorCount] = 1;
  bool answered = false;
  const TIoResult result = Live(file, storage::kIoctlAtaPassThrough, request, request, answered);
  if (!result.ok) return result;
  std::vector<std::uint8_t> reply(input.begin(), input.begin() + sr::kSize);
  PutU32(reply, sr::kReturnCode, 0);
  reply.resize(sr::kSize + out::kBuffer, 0);
  const std::uint8_t status = request[a::kCurrentTaskFile + storage::taskfile::kStatus];
  if (status & 0x01) {  // ERR: the drive refused the command
    reply[sr::kSize + out::kDriverError] = out::kSmartIdeError;
    reply[sr::kSize + out::kIdeError] = request[a::kCurrentTaskFile + storage::taskfile::kError];
  } else {
    PutU32(reply, sr::kSize + out::kBufferSize, kBlock);
    reply.insert(reply.end(), request.begin() + a::kSize, request.end());
  }
  std::copy(reply.begin(), reply.end(), output.begin());
  return {true, static_cast<std::uint32_t>(reply.size()), 0};
}

}  // namespace vexa
