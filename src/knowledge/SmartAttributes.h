// One drive's SMART data and threshold blocks (512 bytes each, 30 entries of 12
// bytes from offset 2) and the searches over them. Entries are read-only views into
// the data block, read byte by byte; an empty view stands for "none".
// The data table ends at its first entry with id 0; the threshold table is
// searched whole, since drives leave gaps in it.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <initializer_list>

#include "support/Bytes.h"

namespace vexa {

constexpr std::size_t kSmartBlockSize = 512;
constexpr std::size_t kSmartEntryOffset = 2;
constexpr std::size_t kSmartEntrySize = 12;
constexpr std::size_t kSmartEntryCount = 30;

// A 12-byte data entry, or none (an empty view).
class TSmartEntry {
public:
  TSmartEntry() = default;
  explicit TSmartEntry(TBytes bytes) : bytes(bytes.size() == kSmartEntrySize ? bytes : TBytes{}) {}

  bool IsNone() const { return bytes.empty(); }
  explicit operator bool() const { return !bytes.empty(); }

  std::uint8_t Id() const { return GetU8(bytes, 0); }
  std::uint16_t Flags() const { return GetU16(bytes, 1); }
  std::uint8_t Current() const { return GetU8(bytes, 3); }
  std::uint8_t Worst() const { return GetU8(bytes, 4); }
  // 48-bit little-endian: bytes 5..8 the low 32 bits, bytes 9..10 the high 16.
  std::uint64_t Raw() const { return GetU32(bytes, 5) | (static_cast<std::uint64_t>(GetU16(bytes, 9)) << 32); }
  std::uint32_t Raw32() const { return GetU32(bytes, 5); }
  std::uint8_t VendorByte() const { return GetU8(bytes, 11); }
  TBytes Bytes() const { return bytes; }

private:
  TBytes bytes;
};

using TSmartIdSet = std::bitset<256>;
TSmartIdSet MakeSmartIdSet(std::initializer_list<std::uint8_t> ids);

class TSmartAttributes {
public:
  void Clear();

  TMutableBytes DataBlock() { return data; }
  TBytes DataBlock() const { return data; }
  TMutableBytes ThresholdBlock() { return thresholds; }
  TBytes ThresholdBlock() const { return thresholds; }
  // Copies up to 512 bytes of each block; what the source lacks is set to zero.
  void Assign(TBytes dataBytes, TBytes thresholdBytes);

  // Data entries before the first id-0 entry, at most 30.
  std::size_t Count() const;
  // Entry at index 0..29 whatever its id; none outside.
  TSmartEntry Entry(std::size_t index) const;
  // First entry with the id, searching up to the first id-0 entry.
  TSmartEntry FindById(std::uint8_t id) const;
  // First entry in table order whose id is in the set (not the first id of the set).
  TSmartEntry FindFirstOf(const TSmartIdSet& ids) const;
  // Threshold of the first of all 30 threshold entries with the id; 0 when none.
  std::uint8_t ThresholdOf(std::uint8_t id) const;
  static std::uint64_t RawValue(TSmartEntry entry) { return entry.Raw(); }

private:
  std::array<std::uint8_t, kSmartBlockSize> data{};
  std::array<std::uint8_t, kSmartBlockSize> thresholds{};
};

}  // namespace vexa
