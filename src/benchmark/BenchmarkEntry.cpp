#include "benchmark/BenchmarkEntry.h"

#include "benchmark/BenchmarkEntryTable.h"

namespace vexa {

namespace {

std::unique_ptr<TDriveIops> MakeIops(Machine& machine, const TIopsRow& row) {
  auto iops = std::make_unique<TDriveIops>(machine);
  iops->kind = row.kind;
  iops->blockSize = row.blockSize;
  iops->sampleCount = row.sampleCount;
  iops->queueDepth = row.queueDepth;
  iops->color = HsvToColor(row.hue, row.saturation, row.value);
  return iops;
}

}  // namespace

TBenchmarkEntry::TBenchmarkEntry(Machine& machine, TDeviceInfo* device, const TBenchmarkSettings& settings)
    : device(device), transfer(machine), access(machine), queuedTransfer(machine) {
  for (std::size_t i = 0; i < kMixedCount; ++i) mixed[i] = MakeIops(machine, kMixedRows[i]);
  for (std::size_t i = 0; i < kQueuedCount; ++i) queued[i] = MakeIops(machine, kQueuedRows[i]);
  transfer.kind = bkSequentialRead;
  transfer.color = kTransferColour;
  access.kind = bkAccessTime;
  access.color = kAccessColour;
  queuedTransfer.kind = bkSequentialRead;
  queuedTransfer.blockSize = kQueuedTransferBlockSize;
  queuedTransfer.sampleCount = kQueuedTransferSamples;
  queuedTransfer.queueDepth = 1;
  queuedTransfer.color = kQueuedTransferColour;
  Apply(settings);
}

TBenchmarkEntry::~TBenchmarkEntry() {
  transfer.RequestStop();
  access.RequestStop();
  queuedTransfer.RequestStop();
}

void TBenchmarkEntry::Apply(const TBenchmarkSettings& settings) {
  transfer.blockSize = settings.transferBlockSize;
  transfer.sampleCount = settings.transferSampleCount;
  access.blockSize = settings.accessBlockSize;
  access.sampleCount = settings.accessSampleCount;
}

TBenchmarkEntry* TBenchmarkCollection::Find(const TDeviceInfo* device) const {
  for (const auto& entry : entries) {
    if (entry->device == device) return entry.get();
  }
  return nullptr;
}

TBenchmarkEntry* TBenchmarkCollection::Add(std::unique_ptr<TBenchmarkEntry> entry) {
  entries.push_back(std::move(entry));
  return entries.back().get();
}

void SetUpWarmUp(TDriveBenchmark& warmUp) {
  warmUp.kind = bkRandomRead;
  warmUp.blockSize = 4096;
  warmUp.sampleCount = 1;
  warmUp.color = kWarmUpColour;
}

}  // namespace vexa
