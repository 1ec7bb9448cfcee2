// What a measuring object measures. The write kinds exist as labels only: nothing
// in the program ever runs them.
#pragma once

#include <cstdint>
#include <string_view>

namespace vexa {

enum TBenchmarkKind : std::uint8_t {
  bkRandomRead = 0,
  bkRandomWrite = 1,
  bkSequentialRead = 2,
  bkSequentialWrite = 3,
  bkAccessTime = 4,
};

// The label the drawings show; empty for a value outside the table.
std::string_view BenchmarkKindLabel(TBenchmarkKind kind);

// Limits of the settings a run accepts. A block must fit a 32-bit transfer of 32
// blocks, and the sample array of a run stays within a few tens of megabytes: a
// setting beyond them ends the run without results instead of allocating gigabytes.
inline constexpr std::uint32_t kMaxBenchmarkBlockSize = 64u << 20;
inline constexpr std::uint32_t kMaxBenchmarkSamples = 1u << 20;

// The time every wait of an overlapped run allows before it gives up.
inline constexpr std::uint32_t kBenchmarkWaitMs = 24000;

}  // namespace vexa
