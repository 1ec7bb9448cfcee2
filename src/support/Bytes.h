// Little-endian byte packing for request and reply buffers. Buffers are built and
// read field by field in the 32-bit layouts of the Windows structures, never by
// casting a struct, so the same code runs on 64-bit Linux. Reads outside the
// buffer give 0 and writes outside it are dropped: a short reply can never make
// the program read or write past its end.
#pragma once

#include <cstdint>
#include <span>

namespace vexa {

using TBytes = std::span<const std::uint8_t>;
using TMutableBytes = std::span<std::uint8_t>;

constexpr std::uint8_t GetU8(TBytes buffer, std::size_t offset) {
  return offset < buffer.size() ? buffer[offset] : 0;
}
constexpr std::uint16_t GetU16(TBytes buffer, std::size_t offset) {
  return static_cast<std::uint16_t>(GetU8(buffer, offset) | (GetU8(buffer, offset + 1) << 8));
}
constexpr std::uint32_t GetU32(TBytes buffer, std::size_t offset) {
  return GetU16(buffer, offset) | (static_cast<std::uint32_t>(GetU16(buffer, offset + 2)) << 16);
}
constexpr std::uint64_t GetU64(TBytes buffer, std::size_t offset) {
  return GetU32(buffer, offset) | (static_cast<std::uint64_t>(GetU32(buffer, offset + 4)) << 32);
}
// Big-endian reads, for SCSI replies (READ CAPACITY, sense data).
constexpr std::uint16_t GetU16Be(TBytes buffer, std::size_t offset) {
  return static_cast<std::uint16_t>((GetU8(buffer, offset) << 8) | GetU8(buffer, offset + 1));
}
constexpr std::uint32_t GetU32Be(TBytes buffer, std::size_t offset) {
  return (static_cast<std::uint32_t>(GetU16Be(buffer, offset)) << 16) | GetU16Be(buffer, offset + 2);
}

constexpr void PutU8(TMutableBytes buffer, std::size_t offset, std::uint8_t value) {
  if (offset < buffer.size()) buffer[offset] = value;
}
constexpr void PutU16(TMutableBytes buffer, std::size_t offset, std::uint16_t value) {
  PutU8(buffer, offset, static_cast<std::uint8_t>(value));
  PutU8(buffer, offset + 1, static_cast<std::uint8_t>(value >> 8));
}
constexpr void PutU32(TMutableBytes buffer, std::size_t offset, std::uint32_t value) {
  PutU16(buffer, offset, static_cast<std::uint16_t>(value));
  PutU16(buffer, offset + 2, static_cast<std::uint16_t>(value >> 16));
}
constexpr void PutU64(TMutableBytes buffer, std::size_t offset, std::uint64_t value) {
  PutU32(buffer, offset, static_cast<std::uint32_t>(value));
  PutU32(buffer, offset + 4, static_cast<std::uint32_t>(value >> 32));
}

}  // namespace vexa
