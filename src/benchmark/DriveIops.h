// One IOPS measurement that keeps only its totals: operations per second and bytes
// per second of random, sequential or queued reads. Runs cannot be stopped and
// report no progress; a failed read ends a run with zero results.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "benchmark/BenchmarkKind.h"
#include "platform/Machine.h"
#include "support/Utils.h"

namespace vexa {

class TDriveIops {
public:
  // Reads the counter frequency once (1 when the machine has none).
  explicit TDriveIops(Machine& machine);

  // Completed, the elapsed time and both results become 0.
  void Reset();
  // Stores the elapsed time and derives the results from it (none for no time).
  void Finish(std::int64_t ticks);

  // Synchronous reads on a handle opened without buffering; size is the device's.
  void RunRandom(THandle handle, std::int64_t size);
  void RunSequential(THandle handle, std::int64_t size);
  // QueueDepth overlapped reads kept in flight at fixed offsets; opens path itself.
  void RunQueued(std::string_view path, std::int64_t size);

  // "4K 隨機讀取", padded to 24 columns with "QD32" after it above queue depth 1.
  std::string Label() const;

  TBenchmarkKind kind = bkRandomRead;
  std::uint32_t blockSize = 512;
  std::uint32_t sampleCount = 256;
  std::uint32_t completed = 0;
  // The error of the read that ended the run early; 0 when none failed.
  std::uint32_t readError = 0;
  std::uint8_t queueDepth = 1;
  std::int64_t elapsedTicks = 0;  // counter ticks of the whole run; 0 when it did not run
  std::int32_t iops = 0;
  std::int64_t bytesPerSecond = 0;
  std::int64_t frequency = 1;
  TColor color = 0;
  // Queued runs only, for comparisons with tools that cannot re-read fixed places:
  // every read goes to a fresh random offset (a multiple of 4096) instead.
  bool randomOffsets = false;

private:
  bool Usable() const;

  Machine& machine;
};

// The open mode of every benchmark: read and write access as the raw device wants,
// shared, unbuffered. Machines never write through it.
TOpenMode BenchmarkOpenMode(bool overlapped);

// A random offset in [0, size - blockSize - 512], a multiple of 512; 0 when the
// device is not larger than one block.
std::int64_t RandomBenchmarkOffset(Machine& machine, std::int64_t size, std::uint32_t blockSize);

// Figures of a duration in counter ticks, computed in integers so that every build
// gives the same ones (a double once gave 39999 reads per second in the 32-bit
// build for 40000 in the others). Whole microseconds: truncated towards zero (a
// counter that ran backwards gives a negative figure), saturated at 32 bits. A
// count per second: truncated, 0 for no time, saturated at 63 bits.
std::int32_t WholeMicros(std::int64_t ticks, std::int64_t frequency);
std::int64_t PerSecond(std::uint64_t count, std::int64_t ticks, std::int64_t frequency);

}  // namespace vexa
