// The measuring runs on a replay machine whose clock moves only by its read model
// (1 tick = 1 µs here; a read costs 100 µs plus its bytes at 10^8 bytes/s, 4
// channels): exact figures after every truncation, the ways a run ends early, and
// the statistics' rules.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "benchmark/BenchmarkMachine.h"
#include "benchmark/DriveBenchmark.h"
#include "benchmark/DriveIops.h"

namespace vexa {
namespace {

using test::BenchMachine;
using test::kBenchDisk;
using test::TReadSpy;

constexpr std::int64_t kMiB = 1 << 20;
constexpr std::int64_t kSize = 64 * kMiB;

// A run on an unbuffered handle of the machine's disk (the queued runs open it themselves).
template <typename TRun>
void OnDisk(Machine& machine, TRun run) {
  const THandle handle = machine.Open(kBenchDisk, BenchmarkOpenMode(false));
  ASSERT_NE(handle, kInvalidHandle);
  run(handle);
  machine.Close(handle);
}

struct TIopsCase {
  const char* name;
  TBenchmarkKind kind;
  std::uint32_t blockSize, samples;
  std::uint8_t queueDepth;
  std::int32_t iops;
  std::int64_t bytesPerSecond;
};

TEST(DriveIops, FiguresFollowTheReadModel) {
  const TIopsCase cases[] = {
      // 100 reads of 140 µs: 0.014 s.
      {"random", bkRandomRead, 4096, 100, 0, 7142, 29257142},
      // 1000 reads of 105 µs.
      {"sequential", bkSequentialRead, 512, 1000, 0, 9523, 4876190},
      // One read in flight at a time, then four side by side on four channels.
      {"queue depth 1", bkRandomRead, 4096, 100, 1, 7142, 29257142},
      {"queue depth 4", bkRandomRead, 4096, 100, 4, 28571, 117028571},
  };
  for (const TIopsCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto machine = BenchMachine(kSize);
    TDriveIops iops(*machine);
    iops.kind = c.kind;
    iops.blockSize = c.blockSize;
    iops.sampleCount = c.samples;
    iops.queueDepth = c.queueDepth;
    if (c.queueDepth > 0) {
      iops.RunQueued(kBenchDisk, kSize);
    } else {
      OnDisk(*machine, [&](THandle h) { c.kind == bkSequentialRead ? iops.RunSequential(h, kSize) : iops.RunRandom(h, kSize); });
    }
    EXPECT_EQ(iops.completed, c.samples);
    EXPECT_EQ(iops.iops, c.iops);
    EXPECT_EQ(iops.bytesPerSecond, c.bytesPerSecond);
    EXPECT_EQ(machine->RefusedCount(), 0u);
  }
}

// Figures of a duration, in integers: truncated, saturated, and the same in every
// build (8192 reads in 2 048 000 ticks at 10 MHz once gave 39999 per second in the
// 32-bit build and 40000 in the others).
TEST(DriveIops, FiguresOfTicksAreExact) {
  constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();
  const struct {
    std::uint64_t count;
    std::int64_t ticks, frequency;
    std::int32_t micros;
    std::int64_t perSecond;
  } cases[] = {
      {8192, 2048000, 10000000, 204800, 40000},
      {8192 * 512, 2048000, 10000000, 204800, 20480000},
      {4096 * 5000, 1280000, 10000000, 128000, 160000000},
      {1, 4480, 1000000, 4480, 223},
      {1, 3, 3579545, 0, 1193181},                      // under a microsecond
      {7, 0, 1000000, 0, 0},                            // no time, no rate
      {7, -2000000, 1000000, -2000000, 0},              // a counter that ran backwards
      {1, std::numeric_limits<std::int64_t>::min(), 1, -std::numeric_limits<std::int32_t>::max(), 0},
      {1, kMost, 1, std::numeric_limits<std::int32_t>::max(), 0},  // saturated
      {~std::uint64_t{0}, 1, 1000000000, 0, kMost},
      {1000, 5, kMost, 0, kMost},                       // a frequency whose product needs 72 bits
      {1, 20000000000000, 10000000000000, 2000000, 0},  // beyond what microseconds × frequency holds in 64 bits
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << " in " << c.ticks << " at " << c.frequency);
    EXPECT_EQ(WholeMicros(c.ticks, c.frequency), c.micros);
    EXPECT_EQ(PerSecond(c.count, c.ticks, c.frequency), c.perSecond);
  }
}

TEST(DriveIops, QueuedReadsStayAtFixedOffsetsOfAnUnbufferedOverlappedHandle) {
  auto machine = BenchMachine(kSize);
  TReadSpy spy(*machine);
  TDriveIops iops(spy);
  iops.blockSize = 4096;
  iops.sampleCount = 64;
  iops.RunQueued(kBenchDisk, kSize);
  EXPECT_EQ(spy.offsets, std::vector<std::uint64_t>(65, 0));  // 64 counted and the last one re-issued
  EXPECT_TRUE(spy.lastMode.overlapped && spy.lastMode.noBuffering && spy.lastMode.read);

  spy.offsets.clear();
  iops.queueDepth = 4;
  iops.RunQueued(kBenchDisk, kSize);
  const std::uint64_t stride = (kSize - 4096) / 4 / 4096 * 4096;
  for (std::uint64_t offset : spy.offsets) {
    EXPECT_EQ(offset % stride, 0u);
    EXPECT_LE(offset, 3 * stride);
  }
}

TEST(DriveBenchmark, SamplesFollowTheReadModel) {
  auto machine = BenchMachine(kSize);
  TDriveBenchmark access(*machine);
  access.kind = bkAccessTime;
  access.sampleCount = 50;
  OnDisk(*machine, [&](THandle h) { access.RunAccess(h, kSize); });
  access.ComputeStats();
  EXPECT_EQ(access.count, 50);
  EXPECT_EQ(access.samples[7].micros, 105);
  EXPECT_EQ(access.samples[7].bytes, 512u);
  EXPECT_EQ(access.latencyAverage, 105);
  EXPECT_EQ(access.minimum, 105);
  EXPECT_EQ(access.maximum, 105);
  EXPECT_FALSE(access.running);

  // 32 reads of 140 µs per sample; samples 8 MiB apart.
  TDriveBenchmark transfer(*machine);
  transfer.kind = bkSequentialRead;
  transfer.blockSize = 4096;
  transfer.sampleCount = 8;
  OnDisk(*machine, [&](THandle h) { transfer.RunTransfer(h, kSize); });
  transfer.ComputeStats();
  EXPECT_EQ(transfer.count, 8);
  EXPECT_EQ(transfer.samples[3].offset, 3 * 8 * kMiB);
  // 4480 ticks at 1 MHz are 4480 µs in both builds, though a double makes 4479.99… of them.
  EXPECT_EQ(transfer.samples[3].micros, 4480);
  EXPECT_EQ(transfer.samples[3].bytes, 131072u);
  EXPECT_EQ(transfer.minimum, 29257142);
  EXPECT_EQ(transfer.maximum, 29257142);
  EXPECT_EQ(static_cast<std::int64_t>(transfer.rateAverage), 29257142);

  // Each 8 KiB read timed from its issue: 181 µs.
  TDriveBenchmark queued(*machine);
  queued.blockSize = 8192;
  queued.sampleCount = 16;
  queued.queueDepth = 1;
  queued.RunQueuedTransfer(kBenchDisk, kSize);
  EXPECT_EQ(queued.count, 16);
  EXPECT_EQ(queued.samples[15].micros, 181);
  EXPECT_EQ(queued.samples[15].offset, 15 * ((kSize - 8192) / 16 / 512 * 512));
  EXPECT_EQ(machine->RefusedCount(), 0u);
}

// A machine paced by the wall clock takes real time yet measures exactly the same.
TEST(DriveBenchmark, AWallClockMachineMeasuresTheSame) {
  std::string text = test::BenchMachineText(kSize);
  text.replace(text.find("channels 4"), 10, "channels 4 wall-clock yes");
  const auto transferOn = [](Machine& machine) {
    TDriveBenchmark transfer(machine);
    transfer.kind = bkSequentialRead;
    transfer.blockSize = 4096;
    transfer.sampleCount = 4;
    OnDisk(machine, [&](THandle h) { transfer.RunTransfer(h, kSize); });
    std::vector<std::int64_t> figures;
    for (const TBenchmarkSample& sample : transfer.samples) {
      figures.insert(figures.end(), {sample.offset, sample.micros, sample.bytes, static_cast<std::int64_t>(sample.rate)});
    }
    return figures;
  };
  ReplayMachine paced(ParseMachineFile(text, "paced.machine"));
  const auto start = std::chrono::steady_clock::now();
  const std::vector<std::int64_t> pacedFigures = transferOn(paced);
  // 4 samples of 32 reads of 140 µs.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::microseconds(4 * 32 * 140));
  EXPECT_EQ(pacedFigures, transferOn(*BenchMachine(kSize)));
  EXPECT_EQ(pacedFigures[1], 4480);
}

// Every way a run can be asked to do nothing, or end early.
TEST(DriveBenchmark, RunsThatEndEarly) {
  struct TCase {
    const char* name;
    std::int64_t size;
    std::uint32_t blockSize, samples, failAt, accessMicros;
    std::function<std::int64_t(Machine&, std::uint32_t, std::uint32_t)> run;  // answers what was measured
    std::int64_t expected;
    std::uint32_t opens;  // 0: the run did not even open the device
    std::uint32_t error;  // the failed read's error the run keeps (synchronous reads)
  };
  std::uint32_t readError = 0;
  const auto random = [&readError](Machine& m, std::uint32_t block, std::uint32_t samples) {
    TDriveIops iops(m);
    iops.blockSize = block;
    iops.sampleCount = samples;
    OnDisk(m, [&](THandle h) { iops.RunRandom(h, kSize); });
    readError = iops.readError;
    return std::int64_t{iops.iops} + iops.completed;
  };
  const auto sequential = [&readError](Machine& m, std::uint32_t block, std::uint32_t samples) {
    TDriveIops iops(m);
    iops.blockSize = block;
    iops.sampleCount = samples;
    OnDisk(m, [&](THandle h) { iops.RunSequential(h, 2048); });
    readError = iops.readError;
    return std::int64_t{iops.iops} + iops.completed;
  };
  const auto queued = [](Machine& m, std::uint32_t block, std::uint32_t samples) {
    TDriveIops iops(m);
    iops.blockSize = block;
    iops.sampleCount = samples;
    iops.RunQueued(kBenchDisk, kSize);
    return std::int64_t{iops.completed} * 1000 + iops.elapsedTicks / iops.frequency;
  };
  const auto samplesOf = [&readError](void (TDriveBenchmark::*run)(THandle, std::int64_t)) {
    return [run, &readError](Machine& m, std::uint32_t block, std::uint32_t samples) {
      TDriveBenchmark benchmark(m);
      benchmark.blockSize = block;
      benchmark.sampleCount = samples;
      benchmark.count = 7;  // a run that does nothing leaves even Count alone
      OnDisk(m, [&](THandle h) { (benchmark.*run)(h, kSize); });
      readError = benchmark.readError;
      return std::int64_t{benchmark.count};
    };
  };
  const auto queuedTransfer = [](Machine& m, std::uint32_t block, std::uint32_t samples) {
    TDriveBenchmark benchmark(m);
    benchmark.blockSize = block;
    benchmark.sampleCount = samples;
    benchmark.queueDepth = 1;
    benchmark.RunQueuedTransfer(kBenchDisk, kSize);
    return std::int64_t{benchmark.count};
  };
  const auto access = samplesOf(&TDriveBenchmark::RunAccess);
  const auto transfer = samplesOf(&TDriveBenchmark::RunTransfer);
  const TCase cases[] = {
      {"no samples", kSize, 512, 0, 0, 100, access, 7, 1, 0},
      {"block size 0", kSize, 0, 10, 0, 100, transfer, 7, 1, 0},
      {"block size beyond the limit", kSize, 1u << 30, 10, 0, 100, access, 7, 1, 0},
      {"a billion samples", kSize, 512, 1000000000, 0, 100, transfer, 7, 1, 0},
      {"queued, no samples", kSize, 512, 0, 0, 100, queued, 0, 0, 0},
      {"sequential on a drive smaller than the run", kSize, 4096, 10, 0, 100, sequential, 0, 1, 0},
      // A failed read: the IOPS keep zero results, the samples what came before.
      {"random read fails", kSize, 512, 10, 5, 100, random, 0, 1, 1117},
      {"access read fails", kSize, 512, 10, 5, 100, access, 4, 1, 1117},
      {"transfer read fails in the second sample", kSize, 512, 8, 40, 100, transfer, 1, 1, 1117},
      {"queued read cannot start", kSize, 512, 10, 5, 100, queued, 4000, 1, 0},
      {"queued transfer read cannot start", kSize, 512, 10, 5, 100, queuedTransfer, 4, 1, 0},
      // Reads slower than the 24 s wait: nothing completes; the time is the wait's.
      {"queued wait times out", kSize, 512, 10, 0, 30000000, queued, 24, 1, 0},
      {"queued transfer wait times out", kSize, 512, 10, 0, 30000000, queuedTransfer, 0, 1, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto machine = BenchMachine(kSize, c.accessMicros);
    TReadSpy spy(*machine);
    spy.failAt = c.failAt;
    readError = 0;
    EXPECT_EQ(c.run(spy, c.blockSize, c.samples), c.expected);
    EXPECT_EQ(readError, c.error);
    EXPECT_EQ(spy.opens, c.opens);
    EXPECT_EQ(machine->RefusedCount(), 0u);
  }
}

TEST(DriveBenchmark, QueuedTransferNeedsRoomForAllItsBlocks) {
  constexpr std::int64_t kNeeded = 512 * 8 * kMiB + 8 * kMiB;
  for (const std::int64_t size : {kNeeded - 512, kNeeded}) {
    auto machine = BenchMachine(static_cast<std::uint64_t>(size));
    TDriveBenchmark benchmark(*machine);
    benchmark.blockSize = 8 * kMiB;
    benchmark.sampleCount = 512;
    benchmark.queueDepth = 1;
    benchmark.onSample = [](TDriveBenchmark& sender, const TBenchmarkSample&) { sender.RequestStop(); };
    benchmark.RunQueuedTransfer(kBenchDisk, size);
    EXPECT_EQ(benchmark.count, size == kNeeded ? 1 : 0);
  }
}

TEST(DriveBenchmark, ReadsOfADriveNotLargerThanOneBlockLandAtZero) {
  auto machine = BenchMachine(2048);
  TReadSpy spy(*machine);
  TDriveBenchmark access(spy);
  access.blockSize = 4096;
  access.sampleCount = 20;
  OnDisk(spy, [&](THandle h) { access.RunAccess(h, 2048); });
  EXPECT_EQ(spy.offsets, std::vector<std::uint64_t>(20, 0));
}

TEST(DriveBenchmark, RandomOffsetsStayInsideTheDrive) {
  constexpr std::int64_t kSmall = 64 * 1024;
  auto machine = BenchMachine(kSmall);
  TReadSpy spy(*machine);
  TDriveIops iops(spy);
  iops.blockSize = 4096;
  iops.sampleCount = 2000;
  OnDisk(spy, [&](THandle h) { iops.RunRandom(h, kSmall); });
  ASSERT_EQ(spy.offsets.size(), 2000u);
  std::uint64_t highest = 0;
  for (std::uint64_t offset : spy.offsets) {
    EXPECT_EQ(offset % 512, 0u);
    highest = std::max(highest, offset);
  }
  EXPECT_EQ(highest, kSmall - 4096 - 512);  // 2000 draws over 119 places reach the last
}

TEST(DriveBenchmark, AStopEndsTransferBeforeItsProgressAndAccessAfterIt) {
  auto machine = BenchMachine(kSize);
  int calls = 0;
  const auto stopAtFirst = [&calls](TDriveBenchmark& sender, const TBenchmarkSample&) {
    ++calls;
    sender.RequestStop();
  };
  TDriveBenchmark transfer(*machine);
  transfer.blockSize = 4096;
  transfer.onSample = stopAtFirst;
  OnDisk(*machine, [&](THandle h) { transfer.RunTransfer(h, kSize); });
  EXPECT_EQ(transfer.count, 2);  // sample 1 is taken, then the flag is seen
  EXPECT_EQ(calls, 1);

  TDriveBenchmark access(*machine);
  access.onSample = stopAtFirst;
  OnDisk(*machine, [&](THandle h) { access.RunAccess(h, kSize); });
  EXPECT_EQ(access.count, 1);
  EXPECT_FALSE(access.running);
}

TEST(DriveBenchmark, StatisticsStopAtAZeroSampleButDivideByCount) {
  auto machine = BenchMachine(kSize);
  TDriveBenchmark benchmark(*machine);
  benchmark.kind = bkAccessTime;
  benchmark.samples = {{0, 10, 512, 0}, {0, 0, 512, 0}, {0, 30, 512, 0}};
  benchmark.count = 3;
  benchmark.ComputeStats();
  EXPECT_EQ(benchmark.latencySum, 10);
  EXPECT_EQ(benchmark.latencyAverage, 3);
  EXPECT_EQ(benchmark.maximum, 10);

  benchmark.kind = bkSequentialRead;
  benchmark.samples = {{0, 5, 512, 1000}, {0, 5, 512, 3001}};
  benchmark.count = 2;
  benchmark.ComputeStats();
  EXPECT_EQ(benchmark.minimum, 1000);
  EXPECT_EQ(benchmark.maximum, 3001);
  EXPECT_EQ(benchmark.rateAverage, 2000);  // the mean, truncated

  // No samples: the extremes turn inside out and the averages stay.
  benchmark.count = 0;
  benchmark.ComputeStats();
  EXPECT_EQ(benchmark.minimum, std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(benchmark.maximum, std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(benchmark.rateSum, 0);
  EXPECT_EQ(benchmark.rateAverage, 2000);

  EXPECT_TRUE(benchmark.Sample(1).has_value());
  EXPECT_FALSE(benchmark.Sample(2).has_value());
  EXPECT_FALSE(benchmark.Sample(-1).has_value());
}

TEST(DriveBenchmark, LatencyPercentilesByNearestRank) {
  auto machine = BenchMachine(kSize);
  TDriveBenchmark benchmark(*machine);
  for (std::int32_t micros = 1000; micros >= 1; --micros) benchmark.samples.push_back({0, micros, 512, 0});
  benchmark.count = 1000;
  EXPECT_EQ(LatencyPercentiles(benchmark), (std::array<std::int32_t, 4>{500, 900, 990, 999}));
  benchmark.samples[2].micros = 0;  // the valid samples end there: 1000 and 999
  EXPECT_EQ(LatencyPercentiles(benchmark), (std::array<std::int32_t, 4>{999, 1000, 1000, 1000}));
  benchmark.count = 0;
  EXPECT_EQ(LatencyPercentiles(benchmark), (std::array<std::int32_t, 4>{}));
}

}  // namespace
}  // namespace vexa
