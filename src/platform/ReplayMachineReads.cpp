// The replay machine's reads, its volumes and its operating system: a virtual
// clock advanced by each device's read model, so benchmark figures repeat exactly;
// volumes and OS facts straight from the machine file.
#include <algorithm>
#include <cstring>
#include <thread>

#include "platform/ReplayMachine.h"
#include "platform/ReplayMachineDetail.h"
#include "support/Format.h"
#include "support/Text.h"

namespace vexa {

using namespace replay;

namespace {
constexpr std::size_t kMaxSlots = kMaxWaitSlots;
constexpr std::int64_t kForever = INT64_MAX;
}  // namespace

// --- Reads ---

std::int64_t ReplayMachine::Ticks(std::uint64_t micros) const {
  return static_cast<std::int64_t>(micros * static_cast<std::uint64_t>(file.os.counterFrequency) / 1'000'000);
}

std::int64_t ReplayMachine::ScheduleRead(const TMachineDevice* device, std::uint64_t bytes) {
  const TMachineReadModel model = device ? device->readModel : TMachineReadModel{};
  std::vector<std::int64_t>& channels = channelsFreeAt[device];
  channels.resize(model.channels, 0);
  const auto channel = std::min_element(channels.begin(), channels.end());
  const auto frequency = static_cast<std::uint64_t>(file.os.counterFrequency);
  const std::uint64_t rate = std::uint64_t{model.rateMBps} * 1'000'000;
  // Split so that bytes × frequency never leaves 64 bits (bytes < 2^32, frequency ≤ 10^9).
  const std::uint64_t transfer = bytes / rate * frequency + bytes % rate * frequency / rate;
  const std::int64_t start = std::max(now, *channel);
  const std::int64_t end = start + Ticks(model.accessMicros) + static_cast<std::int64_t>(transfer);
  *channel = end;
  return end;
}

// The figures come from the counter alone; the wall clock only holds the caller.
// Each wait starts where the last one ended, or now when the caller has been busy
// since, so a long series of reads neither drifts nor catches up in a burst.
void ReplayMachine::AdvanceTo(std::int64_t ticks, bool paced) {
  if (ticks <= now) return;
  const std::int64_t elapsed = ticks - now;
  now = ticks;
  if (!paced) return;
  const std::chrono::duration<double> seconds(static_cast<double>(elapsed) /
                                              static_cast<double>(file.os.counterFrequency));
  pacedUntil = std::max(pacedUntil, std::chrono::steady_clock::now()) +
               std::chrono::duration_cast<std::chrono::steady_clock::duration>(seconds);
  // A sleep may end a little early (MinGW's under Wine does, by its timer's grain):
  // a paced read must never be quicker than the model says.
  while (std::chrono::steady_clock::now() < pacedUntil) std::this_thread::sleep_until(pacedUntil);
}

std::uint64_t ReplayMachine::ReadableSize(const TOpenHandle& open) const {
  if (open.device) return open.device->size;
  if (open.volume->noMedia) return 0;
  const TMachinePartition* partition = VolumePartition(*open.volume);
  return partition ? partition->length : open.volume->size;
}

TIoResult ReplayMachine::CheckRead(const TOpenHandle& open, std::uint64_t offset, std::span<std::uint8_t> buffer,
                                   std::uint64_t& available) const {
  available = 0;
  if (!open.mode.read) return Error(kErrorAccessDenied);
  if (buffer.size() > 0xFFFFFFFFu) return Error(kErrorInvalidParameter);
  const TMachineDevice* disk = DeviceOf(open);
  const std::uint32_t sector = disk ? disk->geometry.bytesPerSector : open.volume->bytesPerSector;
  if (open.mode.noBuffering && sector != 0 &&
      (offset % sector != 0 || buffer.size() % sector != 0 ||
       reinterpret_cast<std::uintptr_t>(buffer.data()) % sector != 0)) {
    // Unbuffered access takes whole sectors at sector-aligned addresses only.
    return Error(kErrorInvalidParameter);
  }
  const bool noMedia = open.volume ? open.volume->noMedia
                                   : open.device->kind == TMachineDeviceKind::CdRom && open.device->size == 0;
  if (noMedia) return Error(kErrorNotReady);
  const std::uint64_t size = ReadableSize(open);
  available = offset >= size ? 0 : std::min<std::uint64_t>(buffer.size(), size - offset);
  return Ok(static_cast<std::size_t>(available));
}

bool ReplayMachine::SetPosition(THandle handle, std::uint64_t offset) {
  TOpenHandle* open = Find(handle);
  if (!open || offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
  open->position = offset;
  return true;
}

TIoResult ReplayMachine::Read(THandle handle, std::span<std::uint8_t> buffer) {
  TOpenHandle* open = Find(handle);
  if (!open) return Error(kErrorInvalidHandle);
  if (open->mode.overlapped) return Error(kErrorInvalidParameter);
  std::uint64_t available = 0;
  const TIoResult check = CheckRead(*open, open->position, buffer, available);
  if (!check.ok) return check;
  // Recorded drives keep no contents: every sector reads as zeros.
  std::fill_n(buffer.begin(), static_cast<std::size_t>(available), 0);
  const TMachineDevice* device = DeviceOf(*open);
  if (available > 0) AdvanceTo(ScheduleRead(device, available), device && device->readModel.wallClock);
  open->position += available;
  return check;
}

bool ReplayMachine::Flush(THandle handle) { return Find(handle) != nullptr; }

TIoSlot ReplayMachine::CreateIoSlot() {
  const std::uint32_t id = nextSlot++;
  slots[id] = {};
  return static_cast<TIoSlot>(id);
}

void ReplayMachine::FreeIoSlot(TIoSlot slot) { slots.erase(static_cast<std::uint32_t>(slot)); }

TIoResult ReplayMachine::ReadOverlapped(THandle handle, TIoSlot slot, std::uint64_t offset,
                                        std::span<std::uint8_t> buffer) {
  TOpenHandle* open = Find(handle);
  if (!open) return Error(kErrorInvalidHandle);
  if (!open->mode.overlapped) return Error(kErrorInvalidParameter);
  const auto found = slots.find(static_cast<std::uint32_t>(slot));
  if (found == slots.end()) return Error(kErrorInvalidHandle);
  // A request record still in flight must not be reused.
  if (found->second.active && found->second.completesAt > now) return Error(kErrorInvalidParameter);
  std::uint64_t available = 0;
  const TIoResult check = CheckRead(*open, offset, buffer, available);
  if (!check.ok) return check;
  std::fill_n(buffer.begin(), static_cast<std::size_t>(available), 0);
  const TMachineDevice* device = DeviceOf(*open);
  found->second.active = true;
  found->second.handle = handle;
  found->second.paced = device && device->readModel.wallClock;
  found->second.completesAt = available > 0 ? ScheduleRead(device, available) : now;
  return {true, 0, 0};
}

TWaitResult ReplayMachine::WaitIoSlots(std::span<const TIoSlot> list, bool waitAll, std::uint32_t timeoutMs) {
  if (list.empty() || list.size() > kMaxSlots) return {};
  std::vector<TSlotState*> states;
  for (TIoSlot slot : list) {
    const auto found = slots.find(static_cast<std::uint32_t>(slot));
    if (found == slots.end()) return {};
    states.push_back(&found->second);
  }
  const std::int64_t deadline =
      timeoutMs == kWaitForever ? kForever : now + Ticks(std::uint64_t{timeoutMs} * 1000);
  const auto timedOut = [&]() -> TWaitResult {
    // Nothing can ever signal: waiting without a limit would never return.
    if (deadline == kForever) return {};
    // Only reads take real time: a time-out is not paced.
    now = deadline;
    return {TWaitOutcome::TimedOut, 0};
  };
  if (!waitAll) {
    std::size_t best = states.size();
    for (std::size_t i = 0; i < states.size() && best == states.size(); ++i) {
      if (states[i]->active && states[i]->completesAt <= now) best = i;
    }
    for (std::size_t i = 0; i < states.size() && best == states.size(); ++i) {
      if (!states[i]->active) continue;
      std::size_t earliest = i;
      for (std::size_t j = i + 1; j < states.size(); ++j) {
        if (states[j]->active && states[j]->completesAt < states[earliest]->completesAt) earliest = j;
      }
      best = earliest;
    }
    if (best == states.size() || states[best]->completesAt > deadline) return timedOut();
    AdvanceTo(states[best]->completesAt, states[best]->paced);
    states[best]->active = false;
    return {TWaitOutcome::Signalled, static_cast<std::uint32_t>(best)};
  }
  std::int64_t latest = now;
  bool paced = false;
  for (const TSlotState* state : states) {
    if (!state->active) return timedOut();
    latest = std::max(latest, state->completesAt);
    paced = paced || state->paced;
  }
  if (latest > deadline) return timedOut();
  AdvanceTo(latest, paced);
  for (TSlotState* state : states) state->active = false;
  return {TWaitOutcome::Signalled, 0};
}

// --- Volumes ---

std::uint32_t ReplayMachine::LogicalDriveMask() {
  std::uint32_t mask = 0;
  for (const TMachineVolume& volume : file.volumes) mask |= 1u << (volume.letter - 'A');
  return mask;
}

std::vector<std::string> ReplayMachine::LogicalDriveStrings() {
  std::vector<std::string> roots;
  const std::uint32_t mask = LogicalDriveMask();
  for (int i = 0; i < 26; ++i) {
    if (mask & (1u << i)) roots.push_back(std::string(1, static_cast<char>('A' + i)) + ":\\");
  }
  return roots;
}

TVolumeInformation ReplayMachine::VolumeInformation(std::string_view rootPath) {
  TVolumeInformation information;
  const TMachineVolume* volume = FindVolume(rootPath);
  if (!volume) {
    information.error = kErrorPathNotFound;
    return information;
  }
  if (volume->noMedia) {
    information.error = kErrorNotReady;
    return information;
  }
  information.ok = true;
  information.label = volume->label;
  information.serialNumber = volume->serial;
  information.maxComponentLength = volume->maxComponentLength;
  information.fileSystemFlags = volume->fileSystemFlags;
  information.fileSystem = volume->fileSystem;
  return information;
}

std::optional<TDiskFreeSpace> ReplayMachine::DiskFreeSpace(std::string_view rootPath) {
  const TMachineVolume* volume = FindVolume(rootPath);
  if (!volume || volume->noMedia) return std::nullopt;
  TDiskFreeSpace space;
  space.bytesPerSector = volume->bytesPerSector;
  space.sectorsPerCluster = volume->clusterSize / volume->bytesPerSector;
  space.freeClusters = CapTo32(volume->free / volume->clusterSize);
  space.totalClusters = CapTo32(volume->size / volume->clusterSize);
  return space;
}

std::optional<TDiskFreeBytes> ReplayMachine::DiskFreeBytes(std::string_view rootPath) {
  const TMachineVolume* volume = FindVolume(rootPath);
  if (!volume || volume->noMedia) return std::nullopt;
  return TDiskFreeBytes{volume->free, volume->size, volume->free};
}

std::optional<std::string> ReplayMachine::DosDeviceName(std::string_view deviceName) {
  if (deviceName.size() != 2) return std::nullopt;
  const TMachineVolume* volume = FindVolume(deviceName);
  if (!volume) return std::nullopt;
  return volume->dosDevice;
}

std::optional<std::string> ReplayMachine::VolumeGuidPath(std::string_view mountPoint) {
  if (mountPoint.size() != 3) return std::nullopt;
  const TMachineVolume* volume = FindVolume(mountPoint);
  if (!volume) return std::nullopt;
  return volume->guidPath;
}

std::uint32_t ReplayMachine::FileAttributes(std::string_view path) {
  const TMachineVolume* volume = FindVolume(path);
  return volume ? volume->attributes : kInvalidFileAttributes;
}

// --- Operating system, time and chance ---

TOsVersion ReplayMachine::TrueOsVersion() { return file.os.version; }
TOsVersion ReplayMachine::ClassicOsVersion() { return file.os.classicVersion; }
std::optional<std::uint32_t> ReplayMachine::DisableDeleteNotification() { return file.os.disableDeleteNotification; }

std::int64_t ReplayMachine::Counter() { return now; }
std::int64_t ReplayMachine::CounterFrequency() { return file.os.counterFrequency; }

TCalendarTime ReplayMachine::LocalTime() {
  const std::int64_t frequency = file.os.counterFrequency;
  const std::int64_t seconds = SecondsOf(file.os.clock) + now / frequency;
  const auto milliseconds = static_cast<std::uint16_t>(now % frequency * 1000 / frequency);
  return CivilFromSeconds(seconds, milliseconds);
}

std::optional<TCalendarTime> ReplayMachine::LocalToUtc(const TCalendarTime& local) {
  if (!ValidCalendarTime(local)) return std::nullopt;
  return CivilFromSeconds(SecondsOf(local) - std::int64_t{file.os.utcOffsetMinutes} * 60, local.milliseconds);
}

double ReplayMachine::Random() {
  // 53 random bits from two draws, the same on every platform (unlike the standard
  // library's distributions).
  const std::uint32_t high = random() >> 5;
  const std::uint32_t low = random() >> 6;
  return (high * 67108864.0 + low) / 9007199254740992.0;
}

}  // namespace vexa
