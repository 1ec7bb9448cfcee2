// The live drive requests of a Linux machine: the Windows pass-through, SMART and
// NVMe protocol-specific requests, translated into SG_IO and NVMe admin commands and
// the kernel's answers written back as Windows' drivers fill their replies. Every
// request is judged by the shared write judgement before anything else; a refused
// one is answered with error 5 and reaches no kernel call.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/Machine.h"
#include "platform/linux/LinuxKernel.h"

namespace vexa {

// Windows' errors for a pass-through the device did not complete in time, and for a
// device that is gone.
inline constexpr std::uint32_t kErrorSemTimeout = 121;
inline constexpr std::uint32_t kErrorDeviceNotConnected = 1167;

// How Linux reaches the drive. Ata: a SATA/PATA disk or optical drive under libata,
// which translates SAT's ATA PASS-THROUGH itself (the disk driver of Windows takes
// ATA pass-through and SMART for these). Scsi: anything else behind the SCSI layer
// (USB, SAS, virtio-scsi, virtio-blk): only the SCSI pass-through goes down, as on
// Windows. Nvme: the NVMe driver, which answers the protocol-specific queries.
enum class TPassThroughBus : std::uint8_t { Ata, Scsi, Nvme };

struct TPassThroughDevice {
  int fd = -1;                          // the block device, open read-only
  TPassThroughBus bus = TPassThroughBus::Scsi;
  int nvmeFd = -1;                      // where NVMe admin commands go; -1: fd
  std::uint32_t nvmeNamespace = 1;      // the namespace fd names
};

struct TPassThroughOutcome {
  // None: not a live request (the description side answers it).
  std::optional<TIoResult> answer;
  // Why the write judgement refused the request (answer is then error 5); for the
  // caller to count and show.
  std::optional<std::string> refusal;
};

// Answers a storage control request as a Windows driver would, from the kernel:
// IOCTL_ATA_PASS_THROUGH, IOCTL_SCSI_PASS_THROUGH, IOCTL_SCSI_MINIPORT (error 1: Linux
// has no miniport), the SMART requests and the NVMe protocol-specific property
// queries (49, 50). input and output may be the same buffer. Never throws.
TPassThroughOutcome PassThrough(TLinuxKernel& kernel, const TPassThroughDevice& device, std::uint32_t code,
                                std::span<const std::uint8_t> input, std::span<std::uint8_t> output);

// Windows' error for an errno of SG_IO or the NVMe admin ioctl.
std::uint32_t PassThroughError(int error);

}  // namespace vexa
