// The Machine of a Linux PC. Made with OfThisPc, it is the PC's drives as Windows'
// storage stack would show them: the descriptive requests (descriptors, geometry,
// layout, volumes) are answered by a ReplayMachine built from sysfs and the disks'
// partition tables (LinuxDevices.h), the drive commands (ATA and SCSI pass-through,
// SMART, the NVMe queries) go to the kernel through SG_IO and the NVMe driver
// (LinuxPassThrough.h), and every request is judged before either sees it: one
// that could write is refused with error 5 and counted. Made with aliases only, it
// measures a file or block device with the benchmark engine.
// Everything is opened read-only, whatever the mode asks: the engine opens raw
// devices for reading and writing as Windows wants, but nothing here can write. No
// buffering is O_DIRECT; overlapped reads go through io_uring, one slot per read
// with its own completion, submitted in batches when the caller waits.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/Machine.h"
#include "platform/linux/LinuxDevices.h"
#include "platform/linux/LinuxKernel.h"

namespace vexa {

class ReplayMachine;

inline constexpr std::uint32_t kErrorOperationAborted = 995;

class LinuxMachine final : public Machine {
public:
  // aliases: device paths the program asks for (\\.\PhysicalDrive0) and the Linux
  // path each one opens; any other path is opened as it is.
  explicit LinuxMachine(std::map<std::string, std::string> aliases = {});
  ~LinuxMachine() override;
  // This PC's drives, described from roots; commands go to kernel (the running one
  // when none is given; it must outlive the machine).
  static std::unique_ptr<LinuxMachine> OfThisPc(const TLinuxRoots& roots = {}, TLinuxKernel* kernel = nullptr);
  LinuxMachine(const LinuxMachine&) = delete;
  LinuxMachine& operator=(const LinuxMachine&) = delete;

  // Why the last Open failed (Windows' number; 0 after a success).
  std::uint32_t LastOpenError() const { return lastOpenError; }
  // From now on every read fails with error 995 (operation aborted), so a run ends
  // at its next read. Safe to call from a signal handler.
  void Abort() { aborted.store(true); }
  // The description of the PC's drives (none for a machine of aliases only).
  const TLinuxDescription* Description() const { return description.get(); }
  // The requests refused because they could write, with the reason for each.
  std::uint32_t RefusedCount() const { return static_cast<std::uint32_t>(refused.size()); }
  const std::vector<std::string>& RefusedRequests() const { return refused; }
  // The device nodes to which this process may not send commands (it may not open
  // them, or the kernel refused a command for want of privilege).
  const std::vector<std::string>& DeniedNodes() const { return denied; }

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

  std::uint32_t LogicalDriveMask() override;
  std::vector<std::string> LogicalDriveStrings() override;
  TVolumeInformation VolumeInformation(std::string_view rootPath) override;
  std::optional<TDiskFreeSpace> DiskFreeSpace(std::string_view rootPath) override;
  std::optional<TDiskFreeBytes> DiskFreeBytes(std::string_view rootPath) override;
  std::optional<std::string> DosDeviceName(std::string_view deviceName) override;
  std::optional<std::string> VolumeGuidPath(std::string_view mountPoint) override;
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
  THandle OpenDescribed(std::string_view path, const TOpenMode& mode);
  TIoResult DriveControl(TOpenFile& file, std::uint32_t code, std::span<const std::uint8_t> input,
                         std::span<std::uint8_t> output);
  void Deny(const std::string& node);
  TIoResult PortIdentify(TOpenFile& file, std::span<const std::uint8_t> input, std::span<std::uint8_t> output);
  TIoResult Live(TOpenFile& file, std::uint32_t code, std::span<const std::uint8_t> input,
                 std::span<std::uint8_t> output, bool& answered);
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
  std::unique_ptr<TLinuxDescription> description;
  std::unique_ptr<ReplayMachine> described;
  TLinuxKernel* kernel = nullptr;
  std::vector<std::string> refused;
  std::vector<std::string> denied;
  // What the kernel said to the last drive command, for ErrorMessage to add to the
  // message of the errors under which that answer is shown.
  std::vector<std::uint32_t> lastKernelErrors;
  // The SCSI status of the last SCSI pass-through when not GOOD: its caller shows
  // it where an error code goes, so its message is the kernel's answer alone.
  std::uint32_t lastScsiStatus = 0;
  std::string lastKernelAnswer;
  std::mt19937_64 random;
};

}  // namespace vexa
