#include "benchmark/DriveIops.h"

#include <algorithm>
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
  return TruncateTo<std::int64_t>(machine.Random() * static_cast<double>(units)) * 512;
}

TDriveIops::TDriveIops(Machine& machine) : machine(machine) {
  const std::int64_t counterFrequency = machine.CounterFrequency();
  frequency = counterFrequency > 0 ? counterFrequency : 1;
}

void TDriveIops::Reset() {
  completed = 0;
  seconds = 0;
  iops = 0;
  bytesPerSecond = 0;
}

void TDriveIops::Finish(double elapsed) {
  seconds = elapsed;
  if (seconds == 0) return;
  iops = TruncateTo<std::int32_t>(completed / seconds);
  // The product is formed in 32 bits, as the figures have always been.
  const std::uint32_t bytes = blockSize * completed;
  bytesPerSecond = TruncateTo<std::int64_t>(bytes / seconds);
}

bool TDriveIops::Usable() const {
  return sampleCount != 0 && blockSize != 0 && blockSize <= kMaxBenchmarkBlockSize;
}

double TDriveIops::Elapsed(std::int64_t start, std::int64_t end) const {
  return static_cast<double>(end - start) / static_cast<double>(frequency);
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
    if (!machine.Read(handle, buffer.Span()).ok) return;
  }
  const std::int64_t end = machine.Counter();
  completed = sampleCount;
  Finish(Elapsed(start, end));
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
    if (!machine.Read(handle, buffer.Span()).ok) return;
  }
  const std::int64_t end = machine.Counter();
  completed = sampleCount;
  Finish(Elapsed(start, end));
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
  Finish(Elapsed(start, end));
  slots.WaitAll(kBenchmarkWaitMs);
}

std::string TDriveIops::Label() const {
  const std::string size = blockSize < 1024 ? Format("%dB", blockSize) : Format("%dK", blockSize / 1024);
  std::string label = Format("%s %s", size, BenchmarkKindLabel(kind));
  if (queueDepth > 1) label = Format("%-24sQD%.2d", label, queueDepth);
  return label;
}

}  // namespace vexa
