// The platform seam: everything the portable core asks of the outside world goes
// through one Machine. Win32Machine calls Windows; ReplayMachine emulates the
// Windows storage stack from a machine file (tests, -replay, vexa-cli on Linux).
// Operations never throw; failures answer through their results. Types here are
// portable: handles are opaque numbers, texts UTF-8, error codes Windows' numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/AlignedBuffer.h"

namespace vexa {

struct TOsVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
};

// An open file or device. All bits set is the invalid handle, as on Windows.
enum class THandle : std::uintptr_t {};
inline constexpr THandle kInvalidHandle = static_cast<THandle>(~std::uintptr_t{0});

// An overlapped-read slot: an auto-reset completion event with its request record.
enum class TIoSlot : std::uint32_t {};
inline constexpr TIoSlot kNoIoSlot = static_cast<TIoSlot>(0);

// How a path is opened. The file must exist; nothing is ever created.
struct TOpenMode {
  bool read = true;
  bool write = false;
  bool shareRead = true;
  bool shareWrite = true;
  bool noBuffering = false;  // reads bypass the cache: sector-aligned offsets, sizes, buffers
  bool overlapped = false;   // reads only through ReadOverlapped
};

// The outcome of a request: success, the bytes it returned or transferred, and the
// platform's error code when it failed (0 on success).
struct TIoResult {
  bool ok = false;
  std::uint32_t bytes = 0;
  std::uint32_t error = 0;
};

enum class TWaitOutcome : std::uint8_t { Signalled, TimedOut, Failed };
struct TWaitResult {
  TWaitOutcome outcome = TWaitOutcome::Failed;
  std::uint32_t index = 0;  // the signalled slot's position in the list (0 for a wait on all)
};
inline constexpr std::uint32_t kWaitForever = 0xFFFFFFFF;
inline constexpr std::size_t kMaxWaitSlots = 32;

struct TVolumeInformation {
  bool ok = false;
  std::uint32_t error = 0;
  std::string label;
  std::uint32_t serialNumber = 0;
  std::uint32_t maxComponentLength = 0;
  std::uint32_t fileSystemFlags = 0;
  std::string fileSystem;
};

struct TDiskFreeSpace {
  std::uint32_t sectorsPerCluster = 0;
  std::uint32_t bytesPerSector = 0;
  std::uint32_t freeClusters = 0;
  std::uint32_t totalClusters = 0;
};

struct TDiskFreeBytes {
  std::uint64_t freeBytesForCaller = 0;
  std::uint64_t totalBytes = 0;
  std::uint64_t totalFreeBytes = 0;
};

// A calendar date and time, as the platform's clock gives it.
struct TCalendarTime {
  std::uint16_t year = 0;
  std::uint16_t month = 0;  // 1..12
  std::uint16_t day = 0;    // 1..31
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t milliseconds = 0;
};

inline constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFF;

// The platform error codes the core and the replay machine name (Windows' values).
inline constexpr std::uint32_t kErrorInvalidFunction = 1;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorNotReady = 21;
inline constexpr std::uint32_t kErrorBadLength = 24;
inline constexpr std::uint32_t kErrorGenFailure = 31;
inline constexpr std::uint32_t kErrorNotSupported = 50;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorInsufficientBuffer = 122;
inline constexpr std::uint32_t kErrorMoreData = 234;
inline constexpr std::uint32_t kErrorIoDevice = 1117;

class Machine {
public:
  virtual ~Machine() = default;

  // --- Files and devices ---

  // Opens an existing file, device (\\.\PhysicalDrive0, \\.\Scsi0:, \\.\CdRom0) or
  // volume (\\.\C:). Answers kInvalidHandle when it cannot be opened.
  virtual THandle Open(std::string_view path, const TOpenMode& mode) = 0;
  // Closes a handle from Open; pending overlapped reads on it are cancelled first.
  // An invalid handle is ignored.
  virtual void Close(THandle handle) = 0;
  // A storage control request (DeviceIoControl) on a handle opened without the
  // overlapped flag. input and output may be the same buffer. Answers success, the
  // bytes written to output and, on failure, the platform's error code.
  virtual TIoResult Control(THandle handle, std::uint32_t code, std::span<const std::uint8_t> input,
                            std::span<std::uint8_t> output) = 0;
  // The platform's message for an error code, without the trailing line break;
  // empty when the platform has none.
  virtual std::string ErrorMessage(std::uint32_t error) = 0;

  // Moves the position of a synchronous handle to offset bytes from the start.
  virtual bool SetPosition(THandle handle, std::uint64_t offset) = 0;
  // Reads buffer.size() bytes at the position and advances it; bytes is what was read
  // (fewer at the end of the device). Fails on overlapped handles.
  virtual TIoResult Read(THandle handle, std::span<std::uint8_t> buffer) = 0;
  // Flushes the handle's buffers; false when the platform refuses.
  virtual bool Flush(THandle handle) = 0;

  // --- Overlapped reads ---

  // Creates a slot (auto-reset event, initially not signalled); kNoIoSlot on failure.
  virtual TIoSlot CreateIoSlot() = 0;
  // Frees a slot; a read still in flight is cancelled and waited for first, so the
  // buffer it was given may be freed afterwards. kNoIoSlot is ignored.
  virtual void FreeIoSlot(TIoSlot slot) = 0;
  // Starts a read of buffer.size() bytes at offset on a handle opened overlapped; the
  // slot's event is signalled when it completes. The buffer must stay alive until
  // then. ok is false when the read could not be started.
  virtual TIoResult ReadOverlapped(THandle handle, TIoSlot slot, std::uint64_t offset,
                                   std::span<std::uint8_t> buffer) = 0;
  // A buffer for reads of size bytes, aligned for unbuffered access; empty when the
  // memory cannot be had. A platform may give memory that suits its devices better.
  virtual TAlignedBuffer IoBuffer(std::size_t size) {
    TAlignedBuffer buffer;
    buffer.Allocate(size);
    return buffer;
  }
  // Waits until any (or all) of 1..kMaxWaitSlots slots is signalled, at most timeoutMs
  // (kWaitForever: no limit). A signalled slot is reset by the wait that reports it.
  virtual TWaitResult WaitIoSlots(std::span<const TIoSlot> slots, bool waitAll,
                                  std::uint32_t timeoutMs) = 0;

  // --- Volumes ---

  // Bit n set when the drive letter 'A' + n exists.
  virtual std::uint32_t LogicalDriveMask() = 0;
  // The root of each drive letter ("C:\"), in the platform's order.
  virtual std::vector<std::string> LogicalDriveStrings() = 0;
  // Label, serial number, limits and file system of the volume at rootPath ("C:\").
  virtual TVolumeInformation VolumeInformation(std::string_view rootPath) = 0;
  // Cluster geometry of the volume at rootPath; none when the query fails.
  virtual std::optional<TDiskFreeSpace> DiskFreeSpace(std::string_view rootPath) = 0;
  // Free and total bytes of the volume at rootPath; none when the query fails.
  virtual std::optional<TDiskFreeBytes> DiskFreeBytes(std::string_view rootPath) = 0;
  // The first target of a DOS device name such as "C:" ("\Device\HarddiskVolume2").
  virtual std::optional<std::string> DosDeviceName(std::string_view deviceName) = 0;
  // The volume GUID path ("\\?\Volume{...}\") of a mount point such as "C:\".
  virtual std::optional<std::string> VolumeGuidPath(std::string_view mountPoint) = 0;
  // The attribute bits of a file or folder; kInvalidFileAttributes when it fails.
  virtual std::uint32_t FileAttributes(std::string_view path) = 0;

  // --- Operating system ---

  // The kernel's true version (not the one compatibility shims report).
  virtual TOsVersion TrueOsVersion() = 0;
  // The version the classic query reports (capped by compatibility shims).
  virtual TOsVersion ClassicOsVersion() = 0;
  // The 4-byte value "DisableDeleteNotification" under
  // HKLM\SYSTEM\CurrentControlSet\Control\FileSystem\; none when the key or value is
  // missing or unreadable.
  virtual std::optional<std::uint32_t> DisableDeleteNotification() = 0;

  // --- Time and chance ---

  // The high-resolution counter, in ticks of CounterFrequency.
  virtual std::int64_t Counter() = 0;
  // Ticks per second of Counter; 0 when the platform has no such counter.
  virtual std::int64_t CounterFrequency() = 0;
  // The local date and time now.
  virtual TCalendarTime LocalTime() = 0;
  // Converts a local date and time to UTC with the current time zone; none when the
  // time is not a valid date.
  virtual std::optional<TCalendarTime> LocalToUtc(const TCalendarTime& local) = 0;
  // A uniform number in [0, 1): seeded from the clock on a real machine, fixed in replay.
  virtual double Random() = 0;
};

}  // namespace vexa
