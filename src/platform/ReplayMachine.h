// A small emulation of the Windows storage stack, answering from a machine file. It
// decodes each request the way the drivers do and answers from the recorded drive
// data, honouring per device which routes answer and how the others fail. It never
// writes: unknown and write-type requests are refused with ERROR_INVALID_FUNCTION and
// counted. Time is virtual (advanced by the read model), chance is seeded, so every
// run on the same file gives the same answers and figures. A device whose read model
// asks for the wall clock also makes its reads take their time in real time.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Machine.h"
#include "platform/MachineFile.h"

namespace vexa {

class ReplayMachine final : public Machine {
public:
  explicit ReplayMachine(TMachineFile file);
  // Open handles point into the file's devices: a copy would point into the original.
  ReplayMachine(const ReplayMachine&) = delete;
  ReplayMachine& operator=(const ReplayMachine&) = delete;
  ReplayMachine(ReplayMachine&&) = default;
  ReplayMachine& operator=(ReplayMachine&&) = default;
  // Reads the machine file at path; throws EVexaError naming the file, line and problem.
  static std::unique_ptr<ReplayMachine> FromFile(std::string_view path);

  const TMachineFile& File() const { return file; }
  // Requests refused as unknown or write-type; tests expect 0.
  std::uint32_t RefusedCount() const { return static_cast<std::uint32_t>(refused.size()); }
  // One line per refused request: the control code and why.
  const std::vector<std::string>& RefusedRequests() const { return refused; }
  // Requests answered or failed per control code, for tests that check a route was tried.
  std::uint32_t RequestCount(std::uint32_t code) const;

  THandle Open(std::string_view path, const TOpenMode& mode) override;
  void Close(THandle handle) override;
  TIoResult Control(THandle handle, std::uint32_t code, std::span<const std::uint8_t> input,
                    std::span<std::uint8_t> output) override;
  std::string ErrorMessage(std::uint32_t error) override;
  bool SetPosition(THandle handle, std::uint64_t offset) override;
  TIoResult Read(THandle handle, std::span<std::uint8_t> buffer) override;
  bool Flush(THandle handle) override;
  TIoSlot CreateIoSlot() override;
  void FreeIoSlot(TIoSlot slot) override;
  TIoResult ReadOverlapped(THandle handle, TIoSlot slot, std::uint64_t offset,
                           std::span<std::uint8_t> buffer) override;
  TWaitResult WaitIoSlots(std::span<const TIoSlot> slots, bool waitAll, std::uint32_t timeoutMs) override;
  std::uint32_t LogicalDriveMask() override;
  std::vector<std::string> LogicalDriveStrings() override;
  TVolumeInformation VolumeInformation(std::string_view rootPath) override;
  std::optional<TDiskFreeSpace> DiskFreeSpace(std::string_view rootPath) override;
  std::optional<TDiskFreeBytes> DiskFreeBytes(std::string_view rootPath) override;
  std::optional<std::string> DosDeviceName(std::string_view deviceName) override;
  std::optional<std::string> VolumeGuidPath(std::string_view mountPoint) override;
  std::uint32_t FileAttributes(std::string_view path) override;
  TOsVersion TrueOsVersion() override;
  TOsVersion ClassicOsVersion() override;
  std::optional<std::uint32_t> DisableDeleteNotification() override;
  std::int64_t Counter() override;
  std::int64_t CounterFrequency() override;
  TCalendarTime LocalTime() override;
  std::optional<TCalendarTime> LocalToUtc(const TCalendarTime& local) override;
  double Random() override;

private:
  struct TOpenHandle {
    const TMachineDevice* device = nullptr;  // a device handle, or
    const TMachineVolume* volume = nullptr;  // a volume handle
    TOpenMode mode;
    std::uint64_t position = 0;
  };
  struct TSlotState {
    bool active = false;         // a read was issued and its completion not yet reported
    std::int64_t completesAt = 0;
    THandle handle = kInvalidHandle;
    bool paced = false;          // its device's reads take real time too
  };
  // One answer of the emulated drive to an ATA command.
  struct TAtaOutcome {
    bool aborted = false;
    std::vector<std::uint8_t> data;
    std::array<std::uint8_t, 8> registers{};  // error, count, LBA low/mid/high, device, status, 0
  };

  TMachineFile file;
  std::map<std::uintptr_t, TOpenHandle> handles;
  std::uintptr_t nextHandle = 4;
  std::map<std::uint32_t, TSlotState> slots;
  std::uint32_t nextSlot = 1;
  std::int64_t now = 0;
  std::map<const TMachineDevice*, std::vector<std::int64_t>> channelsFreeAt;
  // Real time up to which paced reads have already been waited for.
  std::chrono::steady_clock::time_point pacedUntil{};
  std::mt19937 random;
  std::vector<std::string> refused;
  std::map<std::uint32_t, std::uint32_t> requestCounts;

  TOpenHandle* Find(THandle handle);
  const TMachineDevice* DeviceOf(const TOpenHandle& open) const;
  const TMachineVolume* FindVolume(std::string_view rootOrName) const;
  const TMachinePartition* VolumePartition(const TMachineVolume& volume) const;
  TIoResult Refuse(std::uint32_t code, const std::string& why);
  std::int64_t Ticks(std::uint64_t micros) const;
  std::int64_t ScheduleRead(const TMachineDevice* device, std::uint64_t bytes);
  // Moves the counter on to ticks; when paced, waits as long in real time.
  void AdvanceTo(std::int64_t ticks, bool paced);
  TIoResult CheckRead(const TOpenHandle& open, std::uint64_t offset, std::span<std::uint8_t> buffer,
                      std::uint64_t& available) const;
  std::uint64_t ReadableSize(const TOpenHandle& open) const;

  TIoResult DeviceControl(TOpenHandle& open, std::uint32_t code, std::span<const std::uint8_t> input,
                          std::span<std::uint8_t> output);
  TIoResult VolumeControl(TOpenHandle& open, std::uint32_t code, std::span<const std::uint8_t> input,
                          std::span<std::uint8_t> output);
  // Runs an ATA command on the emulated drive; refused (write-type or unknown) when
  // false is answered, with the reason in why.
  bool RunAtaCommand(const TMachineDevice& device, const std::array<std::uint8_t, 8>& registers,
                     TAtaOutcome& outcome, std::string& why) const;
  TIoResult AtaPassThrough(const TMachineDevice& device, std::span<const std::uint8_t> input,
                           std::span<std::uint8_t> output);
  TIoResult ScsiPassThrough(const TMachineDevice& device, std::span<const std::uint8_t> input,
                            std::span<std::uint8_t> output);
  TIoResult SmartRequest(const TMachineDevice& device, std::uint32_t code,
                         std::span<const std::uint8_t> input, std::span<std::uint8_t> output);
  TIoResult Miniport(const TMachineDevice& device, std::span<const std::uint8_t> input,
                     std::span<std::uint8_t> output);
  TIoResult QueryProperty(const TMachineDevice& device, std::span<const std::uint8_t> input,
                          std::span<std::uint8_t> output);
  // The protocol-specific properties (49 adapter, 50 device) an NVMe drive answers.
  TIoResult NvmeProperty(const TMachineDevice& device, std::uint32_t id, std::span<const std::uint8_t> input,
                         std::span<std::uint8_t> output);
  TIoResult Geometry(const TMachineDevice& device, bool extended, std::span<std::uint8_t> output);
  TIoResult PartitionInfo(const TMachineDevice& device, const TMachinePartition* partition, bool extended,
                          std::span<std::uint8_t> output);
  TIoResult DriveLayout(const TMachineDevice& device, std::span<std::uint8_t> output);
};

}  // namespace vexa
