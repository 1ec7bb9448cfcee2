// A Machine that passes every call to another one. Machines that watch or change
// what passes (the recording of a machine, test doubles) derive from it and
// override only the calls they care about.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Machine.h"

namespace vexa {

class TForwardingMachine : public Machine {
public:
  explicit TForwardingMachine(Machine& inner) : inner(inner) {}
  // A forwarding machine given another one wraps it; it is never a copy that would
  // pass its calls past the one it was given.
  TForwardingMachine(const TForwardingMachine&) = delete;
  TForwardingMachine& operator=(const TForwardingMachine&) = delete;

  TIoResult Control(THandle handle, std::uint32_t code, std::span<const std::uint8_t> input,
                    std::span<std::uint8_t> output) override {
    return inner.Control(handle, code, input, output);
  }
  THandle Open(std::string_view path, const TOpenMode& mode) override { return inner.Open(path, mode); }
  void Close(THandle handle) override { inner.Close(handle); }
  std::string ErrorMessage(std::uint32_t error) override { return inner.ErrorMessage(error); }
  bool SetPosition(THandle handle, std::uint64_t offset) override { return inner.SetPosition(handle, offset); }
  TIoResult Read(THandle handle, std::span<std::uint8_t> buffer) override { return inner.Read(handle, buffer); }
  bool Flush(THandle handle) override { return inner.Flush(handle); }
  TIoSlot CreateIoSlot() override { return inner.CreateIoSlot(); }
  void FreeIoSlot(TIoSlot slot) override { inner.FreeIoSlot(slot); }
  TIoResult ReadOverlapped(THandle handle, TIoSlot slot, std::uint64_t offset,
                           std::span<std::uint8_t> buffer) override {
    return inner.ReadOverlapped(handle, slot, offset, buffer);
  }
  TAlignedBuffer IoBuffer(std::size_t size) override { return inner.IoBuffer(size); }
  TWaitResult WaitIoSlots(std::span<const TIoSlot> slots, bool waitAll, std::uint32_t timeoutMs) override {
    return inner.WaitIoSlots(slots, waitAll, timeoutMs);
  }
  std::uint32_t LogicalDriveMask() override { return inner.LogicalDriveMask(); }
  std::vector<std::string> LogicalDriveStrings() override { return inner.LogicalDriveStrings(); }
  TVolumeInformation VolumeInformation(std::string_view rootPath) override { return inner.VolumeInformation(rootPath); }
  std::optional<TDiskFreeSpace> DiskFreeSpace(std::string_view rootPath) override { return inner.DiskFreeSpace(rootPath); }
  std::optional<TDiskFreeBytes> DiskFreeBytes(std::string_view rootPath) override { return inner.DiskFreeBytes(rootPath); }
  std::optional<std::string> DosDeviceName(std::string_view name) override { return inner.DosDeviceName(name); }
  std::optional<std::string> VolumeGuidPath(std::string_view mountPoint) override { return inner.VolumeGuidPath(mountPoint); }
  std::uint32_t FileAttributes(std::string_view path) override { return inner.FileAttributes(path); }
  TOsVersion TrueOsVersion() override { return inner.TrueOsVersion(); }
  TOsVersion ClassicOsVersion() override { return inner.ClassicOsVersion(); }
  std::optional<std::uint32_t> DisableDeleteNotification() override { return inner.DisableDeleteNotification(); }
  std::int64_t Counter() override { return inner.Counter(); }
  std::int64_t CounterFrequency() override { return inner.CounterFrequency(); }
  TCalendarTime LocalTime() override { return inner.LocalTime(); }
  std::optional<TCalendarTime> LocalToUtc(const TCalendarTime& local) override { return inner.LocalToUtc(local); }
  double Random() override { return inner.Random(); }

protected:
  Machine& inner;
};

}  // namespace vexa
