// The Machine of Linux files and block devices, for measuring real drives with the
// benchmark engine. Everything is opened read-only, whatever the mode asks: the
// engine opens raw devices for reading and writing as Windows wants, but nothing
// here can write. No buffering is O_DIRECT; overlapped reads go through io_uring,
// one slot per read with its own completion, submitted in batches when the caller
// waits. Of the storage control requests only the size and geometry queries
// answer; the drive-identification requests fail with error 1.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "platform/Machine.h"

namespace vexa {

inline constexpr std::uint32_t kErrorOperationAborted = 995;

class LinuxMachine final : public Machine {
public:
  // aliases: device paths the program asks for (\\.\PhysicalDrive0) and the Linux
  // path each one opens; any other path is opened as it is.
  explicit LinuxMachine(std::map<std::string, std::string> aliases = {});
  ~LinuxMachine() override;
  LinuxMachine(const LinuxMachine&) = delete;
  LinuxMachine& operator=(const LinuxMachine&) = delete;

  // Why the last Open failed (Windows' number; 0 after a success).
  std::uint32_t LastOpenError() const { return lastOpenError; }
  // From now on every read fails with error 995 (operation aborted), so a run ends
  // at its next read. Safe to call from a signal handler.
  void Abort() { aborted.store(true); }

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
  // Large buffers come in transparent huge pages: physically contiguous, a read of
  // hundreds of kilobytes reaches the device as a few segments instead of one per page.
  TAlignedBuffer IoBuffer(std::size_t size) override;

  std::uint32_t LogicalDriveMask() override { return 0; }
  std::vector<std::string> LogicalDriveStrings() override { return {}; }
  TVolumeInformation VolumeInformation(std::string_view rootPath) override;
  std::optional<TDiskFreeSpace> DiskFreeSpace(std::string_view) override { return std::nullopt; }
  std::optional<TDiskFreeBytes> DiskFreeBytes(std::string_view) override { return std::nullopt; }
  std::optional<std::string> DosDeviceName(std::string_view) override { return std::nullopt; }
  std::optional<std::string> VolumeGuidPath(std::string_view) override { return std::nullopt; }
  std::uint32_t FileAttributes(std::string_view path) override;

  TOsVersion TrueOsVersion() override;
  TOsVersion ClassicOsVersion() override { return TrueOsVersion(); }
  std::optional<std::uint32_t> DisableDeleteNotification() override { return std::nullopt; }

  std::int64_t Counter() override;
  std::int64_t CounterFrequency() override { return 1'000'000'000; }
  TCalendarTime LocalTime() override;
  std::optional<TCalendarTime> LocalToUtc(const TCalendarTime& local) override;
  double Random() override;

private:
  struct TOpenFile;
  struct TRing;
  TOpenFile* Find(THandle handle);
  TIoResult CheckAligned(const TOpenFile& file, std::uint64_t offset, std::span<std::uint8_t> buffer) const;
  // Waits until the slot's read has completed (cancelling it first).
  void Retire(std::uint32_t slot);

  std::map<std::string, std::string> aliases;
  std::map<std::uintptr_t, TOpenFile> files;
  std::uintptr_t nextHandle = 4;
  std::unique_ptr<TRing> ring;
  std::uint32_t nextSlot = 1;
  std::uint32_t lastOpenError = 0;
  std::atomic<bool> aborted{false};
  std::mt19937_64 random;
};

}  // namespace vexa
