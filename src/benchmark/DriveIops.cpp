#include "benchmark/DriveIops.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "benchmark/OverlappedSlots.h"
#include "support/AlignedBuffer.h"
#include "support/Format.h"

namespace vexa {

TOpenMode BenchmarkOpenMode(bool overlapped) {
  TOpenMode mode;
  mode.read = true;
  mode.write = true;
  mode.shareRead = true;
  mode.shareWrite = true;
  mode.noBuffering = true;
  mode.overlapped = overlapped;
  return mode;
}

std::int64_t RandomBenchmarkOffset(Machine& machine, std::int64_t size, std::uint32_t blockSize) {
  // A device not larger than one block has no room to move: every read lands at 0.
  const std::int64_t units = std::max<std::int64_t>(0, (size - std::int64_t{blockSize}) / 512);
  // The draw's 53 bits scale the units exactly (a product of doubles would round
  // before the truncation, and round otherwise on the x87); a draw outside [0, 1),
  // which the seam never gives, reads as 0.
  constexpr std::uint64_t kDrawRange = std::uint64_t{1} << 53;
  const double draw = machine.Random();
  const std::uint64_t bits = draw > 0 && draw < 1 ? static_cast<std::uint64_t>(std::ldexp(draw, 53)) : 0;
  return static_cast<std::int64_t>(MulDivFloor(bits, static_cast<std::uint64_t>(units), kDrawRange)) * 512;
}

std::int32_t WholeMicros(std::int64_t ticks, std::int64_t frequency) {
  constexpr std::uint64_t kMicrosPerSecond = 1'000'000;
  const std::uint64_t magnitude = ticks < 0 ? 0 - static_cast<std::uint64_t>(ticks) : static_cast<std::uint64_t>(ticks);
  const auto micros = static_cast<std::int32_t>(std::min<std::uint64_t>(
      MulDivFloor(magnitude, kMicrosPerSecond, static_cast<std::uint64_t>(std::max<std::int64_t>(frequency, 0))),
      std::numeric_limits<std::int32_t>::max()));
  return ticks < 0 ? -micros : micros;
}

std::int64_t PerSecond(std::uint64_t count, std::int64_t ticks, std::int64_t frequency) {
  if (ticks <= 0 || frequency <= 0) return 0;
  return static_cast<std::int64_t>(std::min<std::uint64_t>(
      MulDivFloor(count, static_cast<std::uint64_t>(frequency), static_cast<std::uint64_t>(ticks)),
      std::numeric_limits<std::int64_t>::max()));
}

TDriveIops::TDriveIops(Machine& machine) : machine(machine) {
  const std::int64_t counterFrequency = machine.CounterFrequency();
  frequency = counterFrequency > 0 ? counterFrequency : 1;
}

void TDriveIops::Reset() {
  completed = 0;
  readError = 0;
  elapsedTicks = 0;
  iops = 0;
  bytesPerSecond = 0;
}

void TDriveIops::Finish(std::int64_t ticks) {
  elapsedTicks = ticks;
  if (ticks == 0) return;
  iops = static_cast<std::int32_t>(
      std::min<std::int64_t>(PerSecond(completed, ticks, frequency), std::numeric_limits<std::int32_t>::max()));
  // The product is formed in 32 bits, as the figures have always been.
  const std::uint32_t bytes = blockSize * completed;
  bytesPerSecond = PerSecond(bytes, ticks, frequency);
}

bool TDriveIops::Usable() const {
  return sampleCount != 0 && blockSize != 0 && blockSize <= kMaxBenchmarkBlockSize;
}

void TDriveIops::RunRandom(THandle handle, std::int64_t size) {
  if (!Usable()) return;
  Reset();
  TAlignedBuffer buffer = machine.IoBuffer(blockSize);
  if (buffer.Empty()) return;
  const std::int64_t start = machine.Counter();
  for (std::uint32_t i = 0; i < sampleCount; ++i) {
    const std::int64_t offset = RandomBenchmarkOffset(machine, size, blockSize);
    if (!machine.SetPosition(handle, static_cast<std::uint64_t>(offset))) return;
    if (const TIoResult read = machine.Read(handle, buffer.Span()); !read.ok) {
      readError = read.error != 0 ? read.error : kErrorGenFailure;
      return;
    }
  }
  const std::int64_t end = machine.Counter();
  completed = sampleCount;
  Finish(end - start);
}

void TDriveIops::RunSequential(THandle handle, std::int64_t size) {
  if (!Usable()) return;
  Reset();
  const std::int64_t span = size - std::int64_t{blockSize};
  if (std::int64_t{blockSize * sampleCount} > span) return;
  TAlignedBuffer buffer = machine.IoBuffer(blockSize);
  if (buffer.Empty()) return;
  const std::int64_t start = machine.Counter();
  if (!machine.SetPosition(handle, 0)) return;
  for (std::uint32_t i = 0; i < sampleCount; ++i) {
    if (const TIoResult read = machine.Read(handle, buffer.Span()); !read.ok) {
      readError = read.error != 0 ? read.error : kErrorGenFailure;
      return;
    }
  }
  const std::int64_t end = machine.Counter();
  completed = sampleCount;
  Finish(end - start);
}


void TDriveIops::RunQueued(std::string_view path, std::int64_t size) {
  if (!Usable() || queueDepth == 0 || queueDepth > kMaxWaitSlots) return;
  Reset();
  const std::int64_t span = size - std::int64_t{blockSize};
  if (std::int64_t{blockSize * sampleCount} > span) return;
  const THandle handle = machine.Open(path, BenchmarkOpenMode(true));
  if (handle == kInvalidHandle) return;
  TOverlappedSlots slots(machine, handle);
  if (!slots.Create(queueDepth, blockSize)) return;
  const std::int64_t start = machine.Counter();
  const std::int64_t stride = span / queueDepth / 4096 * 4096;
  const auto offset = [&](std::size_t slot) -> std::uint64_t {
    if (!randomOffsets) return slot * stride;
    return static_cast<std::uint64_t>(RandomBenchmarkOffset(machine, size, blockSize)) / 4096 * 4096;
  };
  for (std::size_t i = 0; i < slots.Count(); ++i) slots.Issue(i, offset(i));
  // A read that cannot be started leaves its slot idle; the others go on.
  while (slots.AnyInFlight() && completed < sampleCount) {
    const std::optional<std::size_t> done = slots.WaitAny(kBenchmarkWaitMs);
    if (!done) break;
    ++completed;
    slots.Issue(*done, offset(*done));
  }
  const std::int64_t end = machine.Counter();
  Finish(end - start);
  slots.WaitAll(kBenchmarkWaitMs);
}

std::string TDriveIops::Label() const {
  const std::string size = blockSize < 1024 ? Format("%dB", blockSize) : Format("%dK", blockSize / 1024);
  std::string label = Format("%s %s", size, BenchmarkKindLabel(kind));
  if (queueDepth > 1) label = Format("%-24sQD%.2d", label, queueDepth);
  return label;
}

}  // namespace vexa
