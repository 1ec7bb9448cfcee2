#include "benchmark/DriveBenchmark.h"

#include <algorithm>
#include <limits>
#include <new>

#include "benchmark/DriveIops.h"
#include "benchmark/OverlappedSlots.h"
#include "support/AlignedBuffer.h"

namespace vexa {

namespace {

constexpr std::uint32_t kBlocksPerTransferSample = 32;

// Running goes back to false on every way out of a run.
class TRunning {
public:
  explicit TRunning(bool& flag) : flag(flag) { flag = true; }
  ~TRunning() { flag = false; }
  TRunning(const TRunning&) = delete;
  TRunning& operator=(const TRunning&) = delete;

private:
  bool& flag;
};

}  // namespace

TDriveBenchmark::TDriveBenchmark(Machine& machine) : machine(machine) {
  const std::int64_t counterFrequency = machine.CounterFrequency();
  frequency = counterFrequency > 0 ? counterFrequency : 1;
}

TDriveBenchmark::~TDriveBenchmark() { Reset(); }

void TDriveBenchmark::Reset() {
  RequestStop();
  samples.clear();
  count = 0;
  latencySum = 0;
  rateSum = 0;
  latencyAverage = 0;
  rateAverage = 0;
}

std::optional<TBenchmarkSample> TDriveBenchmark::Sample(std::int64_t i) const {
  if (i < 0 || static_cast<std::uint64_t>(i) >= samples.size()) return std::nullopt;
  return samples[static_cast<std::size_t>(i)];
}

bool TDriveBenchmark::Usable() const {
  return sampleCount != 0 && blockSize != 0 && blockSize <= kMaxBenchmarkBlockSize &&
         sampleCount <= kMaxBenchmarkSamples;
}

bool TDriveBenchmark::Begin() {
  count = 0;
  readError = 0;
  stopRequested = false;
  try {
    samples.assign(sampleCount, TBenchmarkSample{});
  } catch (const std::bad_alloc&) {
    samples.clear();
    return false;
  }
  return true;
}

TBenchmarkSample TDriveBenchmark::Measure(std::int64_t offset, std::int64_t start, std::int64_t end,
                                          std::uint32_t bytes) const {
  TBenchmarkSample sample;
  sample.offset = offset;
  sample.micros = WholeMicros(end - start, frequency);
  sample.bytes = bytes;
  sample.rate = PerSecond(bytes, end - start, frequency);
  return sample;
}

bool TDriveBenchmark::ReadOk(const TIoResult& result) {
  if (!result.ok) readError = result.error != 0 ? result.error : kErrorGenFailure;
  return result.ok;
}

void TDriveBenchmark::Notify(std::int32_t index) {
  if (onSample) onSample(*this, samples[static_cast<std::size_t>(index)]);
}

void TDriveBenchmark::RunAccess(THandle handle, std::int64_t size) {
  if (!Usable()) return;
  if (!Begin()) return;
  TRunning running(this->running);
  TAlignedBuffer buffer = machine.IoBuffer(blockSize);
  if (buffer.Empty()) return;
  for (std::uint32_t i = 0; i < sampleCount; ++i) {
    const std::int64_t offset = RandomBenchmarkOffset(machine, size, blockSize);
    if (!machine.SetPosition(handle, static_cast<std::uint64_t>(offset))) break;
    const std::int64_t start = machine.Counter();
    if (!ReadOk(machine.Read(handle, buffer.Span()))) break;
    const std::int64_t end = machine.Counter();
    samples[i] = Measure(offset, start, end, blockSize);
    ++count;
    if (i % 2 == 0) Notify(static_cast<std::int32_t>(i));
    if (stopRequested) break;
  }
}

void TDriveBenchmark::RunTransfer(THandle handle, std::int64_t size) {
  if (!Usable()) return;
  if (!Begin()) return;
  TRunning running(this->running);
  const std::int64_t step = size / sampleCount / 512 * 512;
  std::int64_t position = 0;
  TAlignedBuffer buffer = machine.IoBuffer(blockSize);
  if (buffer.Empty()) return;
  for (std::uint32_t i = 0; i < sampleCount; ++i) {
    if (!machine.SetPosition(handle, static_cast<std::uint64_t>(position))) return;
    const std::int64_t start = machine.Counter();
    for (std::uint32_t block = 0; block < kBlocksPerTransferSample; ++block) {
      if (!ReadOk(machine.Read(handle, buffer.Span()))) return;
    }
    const std::int64_t end = machine.Counter();
    samples[i] = Measure(position, start, end, blockSize * kBlocksPerTransferSample);
    ++count;
    if (stopRequested) return;
    if (i % 2 == 0) Notify(static_cast<std::int32_t>(i));
    position += step;
  }
}


void TDriveBenchmark::RunQueuedTransfer(std::string_view path, std::int64_t size) {
  if (!Usable() || queueDepth == 0 || queueDepth > kMaxWaitSlots) return;
  Reset();
  const std::int64_t span = size - std::int64_t{blockSize};
  if (std::int64_t{blockSize} * sampleCount > span) return;
  const THandle handle = machine.Open(path, BenchmarkOpenMode(true));
  if (handle == kInvalidHandle) return;
  TOverlappedSlots slots(machine, handle);
  if (!Begin()) return;
  TRunning running(this->running);
  const std::int64_t stride = span / sampleCount / 512 * 512;
  std::int64_t position = 0;
  if (!slots.Create(queueDepth, blockSize)) return;
  for (std::size_t i = 0; i < slots.Count(); ++i) {
    slots.Issue(i, static_cast<std::uint64_t>(position));
    position += stride;
  }
  // A read that cannot be started leaves its slot idle; the others go on.
  while (slots.AnyInFlight() && static_cast<std::uint32_t>(count) < sampleCount) {
    const std::optional<std::size_t> done = slots.WaitAny(kBenchmarkWaitMs);
    if (!done) break;
    const std::int64_t now = machine.Counter();
    const TOverlappedSlots::TSlot& slot = slots[*done];
    const std::int32_t index = count;
    samples[static_cast<std::size_t>(index)] =
        Measure(static_cast<std::int64_t>(slot.offset), slot.start, now, blockSize);
    ++count;
    slots.Issue(*done, static_cast<std::uint64_t>(position));
    position += stride;
    Notify(index);
    if (stopRequested) break;
  }
  slots.WaitAll(kBenchmarkWaitMs);
}

void TDriveBenchmark::ComputeStats() {
  minimum = std::numeric_limits<std::int64_t>::max();
  maximum = std::numeric_limits<std::int64_t>::min();
  latencySum = 0;
  rateSum = 0;
  if (count == 0) return;
  for (std::int32_t i = 0; i < count && static_cast<std::size_t>(i) < samples.size(); ++i) {
    const TBenchmarkSample& sample = samples[static_cast<std::size_t>(i)];
    if (sample.micros == 0) break;
    const std::int64_t value = kind == bkAccessTime ? sample.micros : sample.rate;
    if (kind == bkAccessTime) {
      latencySum += sample.micros;
    } else {
      constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();
      const std::int64_t rate = std::max<std::int64_t>(sample.rate, 0);
      rateSum = rate > kMost - rateSum ? kMost : rateSum + rate;
    }
    minimum = std::min(minimum, value);
    maximum = std::max(maximum, value);
  }
  // The divisor stays Count even when a sample of 0 µs ended the sums early.
  if (kind == bkAccessTime) {
    latencyAverage = static_cast<std::int32_t>(latencySum / count);
  } else {
    rateAverage = rateSum / count;
  }
}

std::array<std::int32_t, 4> LatencyPercentiles(const TDriveBenchmark& benchmark) {
  std::vector<std::int32_t> valid;
  const auto count = std::min<std::size_t>(static_cast<std::size_t>(std::max(benchmark.count, 0)),
                                           benchmark.samples.size());
  for (std::size_t i = 0; i < count && benchmark.samples[i].micros != 0; ++i) valid.push_back(benchmark.samples[i].micros);
  std::array<std::int32_t, 4> result{};
  if (valid.empty()) return result;
  std::sort(valid.begin(), valid.end());
  // Nearest rank: the smallest value with at least p of the samples at or below it.
  constexpr std::array<std::uint32_t, 4> kPerMille{500, 900, 990, 999};
  for (std::size_t i = 0; i < kPerMille.size(); ++i) {
    const std::size_t rank = (kPerMille[i] * valid.size() + 999) / 1000;
    result[i] = valid[std::max<std::size_t>(rank, 1) - 1];
  }
  return result;
}

}  // namespace vexa
