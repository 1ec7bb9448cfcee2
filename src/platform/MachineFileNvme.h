// What the machine file's reader and writer know of NVMe data: the health log's named
// fields and their values, and the few Identify fields that give a device's defaults
// (texts, size, block size). The platform layer reads these bytes itself, as it does
// the ATA IDENTIFY words, rather than reaching up to the device decoders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/MachineFile.h"

namespace vexa::machinefile {

// Identify Controller's texts: offset and length in bytes.
inline constexpr std::size_t kNvmeSerialOffset = 4;
inline constexpr std::size_t kNvmeSerialLength = 20;
inline constexpr std::size_t kNvmeModelOffset = 24;
inline constexpr std::size_t kNvmeModelLength = 40;
inline constexpr std::size_t kNvmeFirmwareOffset = 64;
inline constexpr std::size_t kNvmeFirmwareLength = 8;

// ASCII text padded with blanks (or NULs), without its padding.
std::string NvmeText(const TBlock4096& block, std::size_t offset, std::size_t length);
// Bytes per block of the LBA format in use; 512 when the format does not say.
std::uint64_t NvmeBlockSize(const TBlock4096& identifyNamespace);
// NSZE × the block size; none when that leaves 64 bits.
std::optional<std::uint64_t> NvmeNamespaceBytes(const TBlock4096& identifyNamespace);

// The field of that key; null when there is none.
const TNvmeHealthKey* FindNvmeHealthKey(std::string_view key);
enum class TValueProblem : std::uint8_t { None, NotNumber, TooLarge };
// Stores a value (decimal, or hexadecimal after 0x) into the field's bytes.
TValueProblem PutNvmeHealthValue(const TNvmeHealthKey& field, std::string_view text, TBlock512& block);
// The field's value as decimal text.
std::string NvmeHealthValueText(const TNvmeHealthKey& field, const TBlock512& block);
// The largest value the field holds, as decimal text.
std::string NvmeHealthMaximum(const TNvmeHealthKey& field);
// True when every byte outside the named fields is 0, so that a table gives the block.
bool NvmeHealthTableHolds(const TBlock512& block);

}  // namespace vexa::machinefile
