// Builds SMART data and threshold blocks for the knowledge tests, byte by byte in
// the drive's layout, and reads the shared real-drive samples.
#pragma once

#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "knowledge/SmartAttributes.h"
#include "support/Bytes.h"

namespace vexa::test {

struct TEntrySpec {
  std::uint8_t id;
  std::uint8_t current = 100;
  std::uint8_t worst = 100;
  std::uint64_t raw = 0;
};

inline void PutEntry(TMutableBytes block, std::size_t index, const TEntrySpec& entry) {
  const std::size_t offset = kSmartEntryOffset + index * kSmartEntrySize;
  PutU8(block, offset, entry.id);
  PutU16(block, offset + 1, 0x0032);
  PutU8(block, offset + 3, entry.current);
  PutU8(block, offset + 4, entry.worst);
  PutU32(block, offset + 5, static_cast<std::uint32_t>(entry.raw));
  PutU16(block, offset + 9, static_cast<std::uint16_t>(entry.raw >> 32));
}

inline void PutThreshold(TMutableBytes block, std::size_t index, std::uint8_t id, std::uint8_t threshold) {
  const std::size_t offset = kSmartEntryOffset + index * kSmartEntrySize;
  PutU8(block, offset, id);
  PutU8(block, offset + 1, threshold);
}

// Entries in the given order from index 0; thresholds likewise, as (id, threshold).
inline TSmartAttributes MakeTable(std::initializer_list<TEntrySpec> entries,
                                  std::initializer_list<std::pair<std::uint8_t, std::uint8_t>> thresholds = {}) {
  TSmartAttributes table;
  std::size_t i = 0;
  for (const TEntrySpec& entry : entries) PutEntry(table.DataBlock(), i++, entry);
  i = 0;
  for (const auto& [id, threshold] : thresholds) PutThreshold(table.ThresholdBlock(), i++, id, threshold);
  return table;
}

inline std::string RealSamplePath(const std::string& name) {
  return std::string(VEXA_SOURCE_DIR "/../shared/samples/real/") + name;
}

// Empty when the sample is missing or not one 512-byte sector.
inline std::vector<std::uint8_t> ReadRealSample(const std::string& name) {
  std::ifstream in(RealSamplePath(name), std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() != kSmartBlockSize) bytes.clear();
  return bytes;
}

}  // namespace vexa::test
