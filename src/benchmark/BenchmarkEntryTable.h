// The fixed measuring objects of a benchmark entry (data in BenchmarkEntryTable.cpp).
#pragma once

#include <array>
#include <cstdint>

#include "benchmark/BenchmarkKind.h"
#include "support/Utils.h"

namespace vexa {

struct TIopsRow {
  TBenchmarkKind kind;
  std::uint32_t blockSize;
  std::uint32_t sampleCount;
  std::uint8_t queueDepth;
  double hue, saturation, value;
};

extern const std::array<TIopsRow, 5> kMixedRows;
extern const std::array<TIopsRow, 6> kQueuedRows;

inline constexpr TColor kTransferColour = 0x00FF00;        // RGB(0, 255, 0)
inline constexpr TColor kAccessColour = 0x00FFFF;          // RGB(255, 255, 0)
inline constexpr TColor kQueuedTransferColour = 0x00A5FF;  // RGB(255, 165, 0)
inline constexpr TColor kWarmUpColour = 0xCBC0FF;          // RGB(255, 192, 203)
inline constexpr std::uint32_t kQueuedTransferBlockSize = 8388608;
inline constexpr std::uint32_t kQueuedTransferSamples = 512;

}  // namespace vexa
