// The real machine: every Machine operation as the Windows call behind it (the wide
// functions; UTF-8 texts are converted at the call). Handles are Windows handles;
// overlapped slots own an event and an OVERLAPPED each.
#pragma once

#include <map>
#include <memory>
#include <random>

#include "platform/Machine.h"

namespace vexa {

class Win32Machine final : public Machine {
public:
  Win32Machine();
  ~Win32Machine() override;
  Win32Machine(const Win32Machine&) = delete;
  Win32Machine& operator=(const Win32Machine&) = delete;

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
  struct TSlot;  // defined with the Windows types in the .cpp
  std::map<std::uint32_t, std::unique_ptr<TSlot>> slots;
  std::uint32_t nextSlot = 1;
  std::mt19937 random;

  TSlot* FindSlot(TIoSlot slot);
  void Drain(TSlot& slot);
};

}  // namespace vexa
