// What the parts of the Linux pass-through share: the reply shapes, the translation
// of the kernel's failures into Windows' errors, and the ATA registers that a SAT
// layer returns in sense data.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/linux/LinuxPassThrough.h"

namespace vexa::passthrough {

using TRegisters = std::array<std::uint8_t, 8>;

inline TIoResult Ok(std::size_t bytes) { return {true, static_cast<std::uint32_t>(bytes), 0}; }
inline TIoResult Fail(std::uint32_t error) { return {false, 0, error}; }

// Copies a reply into the caller's output as far as it reaches; answers the count.
std::size_t PutReply(std::span<std::uint8_t> output, std::span<const std::uint8_t> reply);

// The Windows error for an SG_IO reply whose transport failed (errno, host or driver
// status); none when the command reached the device and came back.
std::optional<std::uint32_t> TransportError(const TSgReply& reply);
// The bytes of the data buffer (of `size` bytes) the device transferred; none when
// the residue is impossible (negative or larger than the buffer).
std::optional<std::size_t> Transferred(const TSgReply& reply, std::size_t size);
// The sense bytes the kernel wrote.
std::span<const std::uint8_t> SenseOf(const TSgReply& reply);
// The device's registers after an ATA PASS-THROUGH command, in the order of a Windows
// task file (error, count, LBA low, mid, high, device, status), from the ATA Return
// descriptor of descriptor-format sense or the fields of fixed-format sense; none
// when the sense does not carry them whole.
std::optional<TRegisters> SenseRegisters(std::span<const std::uint8_t> sense);
// The Windows error for a CHECK CONDITION that carries no ATA registers.
std::uint32_t SenseError(std::span<const std::uint8_t> sense);

// Timeout of a request in seconds as the kernel takes it: at least 1 s, at most 120 s.
std::uint32_t TimeoutMs(std::uint32_t seconds);

// The NVMe protocol-specific property query (49 or 50), as the inbox driver answers.
TIoResult NvmeProperty(TLinuxKernel& kernel, const TPassThroughDevice& device, std::span<const std::uint8_t> in,
                       std::span<std::uint8_t> out);

}  // namespace vexa::passthrough
