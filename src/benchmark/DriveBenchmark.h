// One benchmark that keeps every timed sample, so that a graph can be drawn and the
// minimum, maximum and average derived: the access-time, transfer and queued
// transfer runs. A run can be stopped after any sample and reports progress.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "benchmark/BenchmarkKind.h"
#include "platform/Machine.h"
#include "support/Utils.h"

namespace vexa {

struct TBenchmarkSample {
  std::int64_t offset = 0;  // where the timed read(s) began
  std::int32_t micros = 0;  // duration, truncated; 0 ends the valid data for the statistics
  std::uint32_t bytes = 0;  // bytes read in the timed interval
  std::int64_t rate = 0;    // bytes per second, truncated
};

class TDriveBenchmark {
public:
  using TOnSample = std::function<void(TDriveBenchmark& sender, const TBenchmarkSample& sample)>;

  explicit TDriveBenchmark(Machine& machine);
  ~TDriveBenchmark();
  TDriveBenchmark(const TDriveBenchmark&) = delete;
  TDriveBenchmark& operator=(const TDriveBenchmark&) = delete;

  // Random single reads, each timed (access time, and the warm-up).
  void RunAccess(THandle handle, std::int64_t size);
  // Samples of 32 consecutive blocks evenly spread over the drive.
  void RunTransfer(THandle handle, std::int64_t size);
  // Overlapped reads at evenly spaced points, each timed from issue to completion;
  // opens path itself.
  void RunQueuedTransfer(std::string_view path, std::int64_t size);

  // Minimum, maximum, sums and averages of the samples taken.
  void ComputeStats();
  void RequestStop() { stopRequested = true; }
  // Stops, forgets the samples and the averages (minimum and maximum stay).
  void Reset();
  // The i-th planned sample; none outside the array.
  std::optional<TBenchmarkSample> Sample(std::int64_t i) const;

  TBenchmarkKind kind = bkRandomRead;
  std::vector<TBenchmarkSample> samples;
  std::uint32_t blockSize = 512;
  std::uint32_t sampleCount = 256;
  std::int32_t count = 0;
  // The error of the read that ended the run early (the drive went away, or this
  // process may not read it); 0 when none failed.
  std::uint32_t readError = 0;
  std::uint8_t queueDepth = 0;
  std::int64_t frequency = 1;
  std::int64_t latencySum = 0;
  std::int64_t rateSum = 0;  // saturated
  std::int32_t latencyAverage = 0;
  std::int64_t rateAverage = 0;  // the mean of the samples' rates, truncated
  std::int64_t minimum = 0;  // ComputeStats sets both; 0 until the first
  std::int64_t maximum = 0;
  bool stopRequested = false;
  bool running = false;
  TColor color = 0;
  TOnSample onSample;

private:
  bool Usable() const;
  // Clears the flags and plans SampleCount zeroed samples; false when the memory
  // could not be had.
  bool Begin();
  // Notes a failed read's error; answers whether the read succeeded.
  bool ReadOk(const TIoResult& result);
  TBenchmarkSample Measure(std::int64_t offset, std::int64_t start, std::int64_t end, std::uint32_t bytes) const;
  void Notify(std::int32_t index);

  Machine& machine;
};

// The 50th, 90th, 99th and 99.9th percentiles of the latencies in microseconds,
// nearest rank over the valid samples (those ComputeStats counts); 0 without any.
std::array<std::int32_t, 4> LatencyPercentiles(const TDriveBenchmark& benchmark);

}  // namespace vexa
