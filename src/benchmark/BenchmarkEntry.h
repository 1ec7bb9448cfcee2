// Every measuring object the Benchmark page can run on one device, with its fixed
// parameters and colours, and the page's list of them (one entry per device chosen
// so far, owned by the list).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "benchmark/DriveBenchmark.h"
#include "benchmark/DriveIops.h"

namespace vexa {

class TDeviceInfo;

// The settings an entry takes for its Transfer and Access benchmarks.
struct TBenchmarkSettings {
  std::uint32_t transferBlockSize = 524288;
  std::uint32_t transferSampleCount = 256;
  std::uint32_t accessBlockSize = 512;
  std::uint32_t accessSampleCount = 500;
};

class TBenchmarkEntry {
public:
  static constexpr std::size_t kMixedCount = 5;
  static constexpr std::size_t kQueuedCount = 6;

  TBenchmarkEntry(Machine& machine, TDeviceInfo* device, const TBenchmarkSettings& settings);
  // Stops the three benchmarks before they are freed.
  ~TBenchmarkEntry();
  TBenchmarkEntry(const TBenchmarkEntry&) = delete;
  TBenchmarkEntry& operator=(const TBenchmarkEntry&) = delete;

  // The settings reach Transfer and Access; QueuedTransfer is fixed.
  void Apply(const TBenchmarkSettings& settings);

  TDeviceInfo* device;  // not owned
  std::array<std::unique_ptr<TDriveIops>, kMixedCount> mixed;
  std::array<std::unique_ptr<TDriveIops>, kQueuedCount> queued;
  TDriveBenchmark transfer;
  TDriveBenchmark access;
  TDriveBenchmark queuedTransfer;
};

// Owns its entries; lookup compares the device record.
class TBenchmarkCollection {
public:
  TBenchmarkEntry* Find(const TDeviceInfo* device) const;
  TBenchmarkEntry* Add(std::unique_ptr<TBenchmarkEntry> entry);
  void Clear() { entries.clear(); }
  std::size_t Count() const { return entries.size(); }
  TBenchmarkEntry* Entry(std::size_t i) const { return entries[i].get(); }

private:
  std::vector<std::unique_ptr<TBenchmarkEntry>> entries;
};

// The warm-up benchmark the page shares between devices: one 4 KiB read.
void SetUpWarmUp(TDriveBenchmark& warmUp);

}  // namespace vexa
