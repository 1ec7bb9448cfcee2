#include "platform/linux/LinuxMachine.h"

#include <fcntl.h>
#include <liburing.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/ReplayMachine.h"
#include "platform/ReplayMachineDetail.h"
#include "platform/linux/LinuxMachineFile.h"
#include "platform/linux/LinuxPassThrough.h"
#include "platform/StorageLayout.h"
#include "support/Bytes.h"
#include "support/Text.h"

namespace vexa {

namespace st = storage;
using replay::Error;
using replay::Ok;

namespace {

constexpr unsigned kRingEntries = 64;  // room for every slot of a queue of 32, and their cancellations
constexpr std::uint64_t kCancelTag = std::uint64_t{1} << 63;

std::uint32_t WindowsError(int error) {
  switch (error) {
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return kErrorAccessDenied;
    case EBADF: return kErrorInvalidHandle;
    case ENOMEDIUM: return kErrorNotReady;
    case EINVAL: return kErrorInvalidParameter;
    case EOPNOTSUPP: return kErrorNotSupported;
    case ECANCELED: return kErrorOperationAborted;
    case EIO: return kErrorIoDevice;
    // The device went away (a USB disk pulled out): what Windows answers for it.
    case ENODEV:
    case ENXIO: return kErrorDeviceNotConnected;
    default: return kErrorGenFailure;
  }
}

int Errno(std::uint32_t error) {
  switch (error) {
    case kErrorInvalidFunction: return ENOTTY;
    case kErrorFileNotFound: return ENOENT;
    case kErrorPathNotFound: return ENOTDIR;
    case kErrorAccessDenied: return EACCES;
    case kErrorInvalidHandle: return EBADF;
    case kErrorNotReady: return ENOMEDIUM;
    case kErrorInvalidParameter: return EINVAL;
    case kErrorNotSupported: return EOPNOTSUPP;
    case kErrorOperationAborted: return ECANCELED;
    case kErrorIoDevice: return EIO;
    case kErrorDeviceNotConnected: return ENODEV;
    default: return 0;
  }
}

}  // namespace


// The ring and its slots. A slot is an auto-reset event with the one read it
// carries: in flight until its completion is reaped, then signalled until a wait
// reports it.
struct LinuxMachine::TRing {
  struct TSlot {
    bool inFlight = false;
    bool signalled = false;
    int fd = -1;
  };
  io_uring ring{};
  bool ready = false;
  unsigned unsubmitted = 0;
  std::map<std::uint32_t, TSlot> slots;

  ~TRing() {
    if (ready) io_uring_queue_exit(&ring);
  }
  bool Ready() {
    // One thread submits and reaps: completions need not interrupt it, they wait
    // for its next system call. Older kernels refuse the flags; then plainly.
    constexpr unsigned kFlags = IORING_SETUP_COOP_TASKRUN | IORING_SETUP_SINGLE_ISSUER;
    if (!ready) ready = io_uring_queue_init(kRingEntries, &ring, kFlags) == 0;
    if (!ready) ready = io_uring_queue_init(kRingEntries, &ring, 0) == 0;
    return ready;
  }
  io_uring_sqe* Submission() {
    io_uring_sqe* sqe = io_uring_get_sqe(&ring);
    if (!sqe) {
      Submit();
      sqe = io_uring_get_sqe(&ring);
    }
    if (sqe) ++unsubmitted;
    return sqe;
  }
  void Submit() {
    if (unsubmitted == 0) return;
    if (io_uring_submit(&ring) >= 0) unsubmitted = 0;
  }
  // Takes every completion that has arrived.
  void Reap() {
    io_uring_cqe* cqe = nullptr;
    while (io_uring_peek_cqe(&ring, &cqe) == 0) {
      const std::uint64_t tag = io_uring_cqe_get_data64(cqe);
      io_uring_cqe_seen(&ring, cqe);
      if (tag & kCancelTag) continue;
      const auto found = slots.find(static_cast<std::uint32_t>(tag));
      if (found != slots.end() && found->second.inFlight) {
        found->second.inFlight = false;
        found->second.signalled = true;
      }
    }
  }
  // Submits what is queued and waits for the next completion, in one system call,
  // at most until deadline (none: no limit); false when the time ran out or the
  // wait failed.
  bool WaitOne(const timespec* deadline) {
    io_uring_cqe* cqe = nullptr;
    for (;;) {
      int result = 0;
      if (deadline) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const std::int64_t left =
            (deadline->tv_sec - now.tv_sec) * 1'000'000'000 + (deadline->tv_nsec - now.tv_nsec);
        if (left <= 0) return false;
        __kernel_timespec timeout{left / 1'000'000'000, left % 1'000'000'000};
        result = io_uring_submit_and_wait_timeout(&ring, &cqe, 1, &timeout, nullptr);
      } else {
        result = io_uring_submit_and_wait_timeout(&ring, &cqe, 1, nullptr, nullptr);
      }
      unsubmitted = 0;
      if (result >= 0) return true;
      if (result != -EINTR) return false;
    }
  }
};

LinuxMachine::LinuxMachine(std::map<std::string, std::string> aliasMap)
    : aliases(std::move(aliasMap)), ring(std::make_unique<TRing>()),
      random(static_cast<std::uint64_t>(Counter()) ^ static_cast<std::uint64_t>(std::time(nullptr))) {}

LinuxMachine::~LinuxMachine() {
  std::vector<std::uint32_t> ids;
  for (const auto& [id, slot] : ring->slots) ids.push_back(id);
  for (std::uint32_t id : ids) FreeIoSlot(static_cast<TIoSlot>(id));
  for (auto& [id, file] : files) ::close(file.fd);
}

LinuxMachine::TOpenFile* LinuxMachine::Find(THandle handle) {
  const auto found = files.find(static_cast<std::uintptr_t>(handle));
  return found == files.end() ? nullptr : &found->second;
}

// --- Files and devices ---

THandle LinuxMachine::Open(std::string_view path, const TOpenMode& mode) {
  if (described) return OpenDescribed(path, mode);
  std::string target(path);
  for (const auto& [alias, real] : aliases) {
    if (SameTextAscii(alias, path)) target = real;
  }
  struct stat info {};
  if (::stat(target.c_str(), &info) != 0) {
    lastOpenError = WindowsError(errno);
    return kInvalidHandle;
  }
  if (S_ISDIR(info.st_mode)) {
    lastOpenError = kErrorAccessDenied;  // as Windows answers for a folder opened as a file
    return kInvalidHandle;
  }
  if (!S_ISREG(info.st_mode) && !S_ISBLK(info.st_mode)) {
    lastOpenError = kErrorNotSupported;
    return kInvalidHandle;
  }
  // Read-only whatever the mode asks: nothing opened here can be written.
  const int fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC | (mode.noBuffering ? O_DIRECT : 0));
  if (fd < 0) {
    lastOpenError = WindowsError(errno);
    return kInvalidHandle;
  }
  TOpenFile file;
  file.fd = fd;
  file.mode = mode;
  file.size = static_cast<std::uint64_t>(info.st_size);
  if (S_ISBLK(info.st_mode)) {
    std::uint64_t bytes = 0;
    int logical = 0;
    if (::ioctl(fd, BLKGETSIZE64, &bytes) == 0) file.size = bytes;
    if (::ioctl(fd, BLKSSZGET, &logical) == 0 && logical > 0) file.sector = static_cast<std::uint32_t>(logical);
  }
  lastOpenError = 0;
  const std::uintptr_t id = nextHandle;
  nextHandle += 4;
  files[id] = file;
  return static_cast<THandle>(id);
}

void LinuxMachine::Close(THandle handle) {
  TOpenFile* file = Find(handle);
  if (!file) return;
  // Reads still in flight on the handle are cancelled and waited for first.
  for (auto& [id, slot] : ring->slots) {
    if (slot.inFlight && slot.fd == file->fd) Retire(id);
  }
  if (file->fd >= 0) ::close(file->fd);
  if (described && file->described != kInvalidHandle) described->Close(file->described);
  files.erase(static_cast<std::uintptr_t>(handle));
}

TIoResult LinuxMachine::Control(THandle handle, std::uint32_t code, std::span<const std::uint8_t> input,
                                std::span<std::uint8_t> output) {
  TOpenFile* file = Find(handle);
  if (!file) return Error(kErrorInvalidHandle);
  if (file->mode.overlapped) return Error(kErrorInvalidParameter);
  if (described) return DriveControl(*file, code, input, output);
  namespace g = st::geometry;
  switch (code) {
    case st::kIoctlDiskGetLengthInfo: {
      if (output.size() < st::lengthinfo::kSize) return Error(kErrorInsufficientBuffer);
      PutU64(output, 0, file->size);
      return Ok(st::lengthinfo::kSize);
    }
    case st::kIoctlDiskGetDriveGeometry:
    case st::kIoctlDiskGetDriveGeometryEx: {
      const bool extended = code == st::kIoctlDiskGetDriveGeometryEx;
      const std::size_t size = extended ? g::kExData : g::kSize;
      if (output.size() < size) return Error(kErrorInsufficientBuffer);
      // The classic translation of a disk into cylinders of 255 heads by 63 sectors.
      constexpr std::uint32_t kTracks = 255, kSectors = 63;
      std::fill_n(output.begin(), size, 0);
      PutU64(output, g::kCylinders, file->size / (std::uint64_t{kTracks} * kSectors * file->sector));
      PutU32(output, g::kMediaType, g::kMediaFixed);
      PutU32(output, g::kTracksPerCylinder, kTracks);
      PutU32(output, g::kSectorsPerTrack, kSectors);
      PutU32(output, g::kBytesPerSector, file->sector);
      if (extended) PutU64(output, g::kExDiskSize, file->size);
      return Ok(size);
    }
    default:
      // Identification and everything else: not on this platform (yet).
      return Error(kErrorInvalidFunction);
  }
}

std::string LinuxMachine::ErrorMessage(std::uint32_t error) {
  if (error != 0 && error == lastScsiStatus && !lastKernelAnswer.empty()) return lastKernelAnswer;
  const int code = Errno(error);
  std::string message = error == kErrorInvalidFunction ? "Incorrect function."
                        : code                         ? std::string(std::strerror(code))
                                                       : std::string();
  // The kernel's own answer to the drive command that failed last, when this is its error.
  if (error != 0 && !lastKernelAnswer.empty() &&
      std::find(lastKernelErrors.begin(), lastKernelErrors.end(), error) != lastKernelErrors.end()) {
    message = message.empty() ? lastKernelAnswer : message + " (" + lastKernelAnswer + ")";
  }
  return message;
}

TIoResult LinuxMachine::CheckAligned(const TOpenFile& file, std::uint64_t offset,
                                     std::span<std::uint8_t> buffer) const {
  // A drive this process may not open, or a volume: described, but not readable here.
  if (file.fd < 0) return Error(kErrorAccessDenied);
  if (buffer.size() > 0x7FFFF000u) return Error(kErrorInvalidParameter);
  // Unbuffered reads take whole sectors at sector-aligned addresses, as on Windows.
  if (file.mode.noBuffering && (offset % file.sector != 0 || buffer.size() % file.sector != 0 ||
                                reinterpret_cast<std::uintptr_t>(buffer.data()) % file.sector != 0)) {
    return Error(kErrorInvalidParameter);
  }
  if (aborted.load()) return Error(kErrorOperationAborted);
  return Ok(0);
}

bool LinuxMachine::SetPosition(THandle handle, std::uint64_t offset) {
  TOpenFile* file = Find(handle);
  if (!file || offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
  file->position = offset;
  return true;
}

TIoResult LinuxMachine::Read(THandle handle, std::span<std::uint8_t> buffer) {
  TOpenFile* file = Find(handle);
  if (!file) return Error(kErrorInvalidHandle);
  if (file->mode.overlapped) return Error(kErrorInvalidParameter);
  if (const TIoResult check = CheckAligned(*file, file->position, buffer); !check.ok) return check;
  for (;;) {
    const ssize_t bytes = ::pread(file->fd, buffer.data(), buffer.size(), static_cast<off_t>(file->position));
    if (bytes >= 0) {
      // Fewer bytes at the end of the file, none past it: a success, as on Windows.
      file->position += static_cast<std::uint64_t>(bytes);
      return Ok(static_cast<std::size_t>(bytes));
    }
    if (errno != EINTR) return Error(WindowsError(errno));
  }
}

bool LinuxMachine::Flush(THandle handle) { return Find(handle) != nullptr; }

// --- Overlapped reads ---

TIoSlot LinuxMachine::CreateIoSlot() {
  if (!ring->Ready()) return kNoIoSlot;
  const std::uint32_t id = nextSlot++;
  ring->slots[id] = {};
  return static_cast<TIoSlot>(id);
}

void LinuxMachine::Retire(std::uint32_t id) {
  TRing::TSlot& slot = ring->slots[id];
  if (!slot.inFlight) return;
  if (io_uring_sqe* sqe = ring->Submission()) {
    io_uring_prep_cancel64(sqe, id, 0);
    io_uring_sqe_set_data64(sqe, kCancelTag | id);
  }
  // The read completes, cancelled or not; its buffer is free only after that.
  while (slot.inFlight) {
    if (!ring->WaitOne(nullptr)) break;
    ring->Reap();
  }
  slot.signalled = false;
}

void LinuxMachine::FreeIoSlot(TIoSlot slot) {
  const auto id = static_cast<std::uint32_t>(slot);
  if (ring->slots.find(id) == ring->slots.end()) return;
  Retire(id);
  ring->slots.erase(id);
}

TIoResult LinuxMachine::ReadOverlapped(THandle handle, TIoSlot slotId, std::uint64_t offset,
                                       std::span<std::uint8_t> buffer) {
  TOpenFile* file = Find(handle);
  if (!file) return Error(kErrorInvalidHandle);
  if (!file->mode.overlapped) return Error(kErrorInvalidParameter);
  const auto id = static_cast<std::uint32_t>(slotId);
  const auto found = ring->slots.find(id);
  if (found == ring->slots.end()) return Error(kErrorInvalidHandle);
  TRing::TSlot& slot = found->second;
  // A request record still in flight must not be reused.
  if (slot.inFlight) return Error(kErrorInvalidParameter);
  if (const TIoResult check = CheckAligned(*file, offset, buffer); !check.ok) return check;
  if (offset > static_cast<std::uint64_t>(INT64_MAX)) return Error(kErrorInvalidParameter);
  io_uring_sqe* sqe = ring->Submission();
  if (!sqe) return Error(kErrorGenFailure);
  io_uring_prep_read(sqe, file->fd, buffer.data(), static_cast<unsigned>(buffer.size()), offset);
  io_uring_sqe_set_data64(sqe, id);
  // Starting a read resets its event, as Windows does.
  slot.inFlight = true;
  slot.signalled = false;
  slot.fd = file->fd;
  return {true, 0, 0};
}

TWaitResult LinuxMachine::WaitIoSlots(std::span<const TIoSlot> list, bool waitAll, std::uint32_t timeoutMs) {
  if (list.empty() || list.size() > kMaxWaitSlots) return {};
  std::vector<TRing::TSlot*> states;
  for (TIoSlot slot : list) {
    const auto found = ring->slots.find(static_cast<std::uint32_t>(slot));
    if (found == ring->slots.end()) return {};
    states.push_back(&found->second);
  }
  timespec deadline{};
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  deadline.tv_sec += timeoutMs / 1000;
  deadline.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1'000'000;
  if (deadline.tv_nsec >= 1'000'000'000) {
    deadline.tv_sec += 1;
    deadline.tv_nsec -= 1'000'000'000;
  }
  for (;;) {
    ring->Reap();
    if (waitAll) {
      if (std::all_of(states.begin(), states.end(), [](const TRing::TSlot* s) { return s->signalled; })) {
        for (TRing::TSlot* state : states) state->signalled = false;
        return {TWaitOutcome::Signalled, 0};
      }
    } else {
      for (std::size_t i = 0; i < states.size(); ++i) {
        if (states[i]->signalled) {
          states[i]->signalled = false;
          return {TWaitOutcome::Signalled, static_cast<std::uint32_t>(i)};
        }
      }
    }
    // Slots with no read in flight can never be signalled: waiting would only
    // burn the time-out (or, without one, never return).
    const bool possible =
        waitAll ? std::all_of(states.begin(), states.end(),
                              [](const TRing::TSlot* s) { return s->signalled || s->inFlight; })
                : std::any_of(states.begin(), states.end(), [](const TRing::TSlot* s) { return s->inFlight; });
    if (!possible) return timeoutMs == kWaitForever ? TWaitResult{} : TWaitResult{TWaitOutcome::TimedOut, 0};
    if (!ring->WaitOne(timeoutMs == kWaitForever ? nullptr : &deadline)) {
      timespec now{};
      clock_gettime(CLOCK_MONOTONIC, &now);
      const bool late = now.tv_sec > deadline.tv_sec || (now.tv_sec == deadline.tv_sec && now.tv_nsec >= deadline.tv_nsec);
      if (late) return {TWaitOutcome::TimedOut, 0};
      return {};
    }
  }
}

TAlignedBuffer LinuxMachine::IoBuffer(std::size_t size) {
  constexpr std::size_t kHugePage = 2 << 20;
  constexpr std::size_t kHugeFrom = 64 << 10;
  if (size < kHugeFrom) return Machine::IoBuffer(size);
  const std::size_t whole = (size + kHugePage - 1) / kHugePage * kHugePage;
  void* memory = std::aligned_alloc(kHugePage, whole);
  if (!memory) return {};
  ::madvise(memory, whole, MADV_HUGEPAGE);  // a hint: without huge pages the buffer still works
  return TAlignedBuffer(static_cast<std::uint8_t*>(memory), size, [](std::uint8_t* data, std::size_t) { std::free(data); });
}

// --- Volumes and the system ---

std::uint32_t LinuxMachine::LogicalDriveMask() { return described ? described->LogicalDriveMask() : 0; }

std::vector<std::string> LinuxMachine::LogicalDriveStrings() {
  return described ? described->LogicalDriveStrings() : std::vector<std::string>{};
}

std::optional<TDiskFreeSpace> LinuxMachine::DiskFreeSpace(std::string_view rootPath) {
  return described ? described->DiskFreeSpace(rootPath) : std::nullopt;
}

std::optional<TDiskFreeBytes> LinuxMachine::DiskFreeBytes(std::string_view rootPath) {
  return described ? described->DiskFreeBytes(rootPath) : std::nullopt;
}

std::optional<std::string> LinuxMachine::DosDeviceName(std::string_view deviceName) {
  return described ? described->DosDeviceName(deviceName) : std::nullopt;
}

std::optional<std::string> LinuxMachine::VolumeGuidPath(std::string_view mountPoint) {
  return described ? described->VolumeGuidPath(mountPoint) : std::nullopt;
}

TVolumeInformation LinuxMachine::VolumeInformation(std::string_view rootPath) {
  if (described) return described->VolumeInformation(rootPath);
  TVolumeInformation information;
  information.error = kErrorPathNotFound;
  return information;
}

std::uint32_t LinuxMachine::FileAttributes(std::string_view path) {
  // Volume roots (C:\) are the description's; anything else is a file of this PC.
  if (described && path.size() <= 3 && path.size() >= 2 && path[1] == ':') return described->FileAttributes(path);
  struct stat info {};
  if (::stat(std::string(path).c_str(), &info) != 0) return kInvalidFileAttributes;
  constexpr std::uint32_t kDirectory = 0x10, kNormal = 0x80;
  return S_ISDIR(info.st_mode) ? kDirectory : kNormal;
}

TOsVersion LinuxMachine::TrueOsVersion() {
  utsname name{};
  TOsVersion version;
  if (::uname(&name) == 0) {
    unsigned major = 0, minor = 0, patch = 0;
    std::sscanf(name.release, "%u.%u.%u", &major, &minor, &patch);
    version = {major, minor, patch};
  }
  return version;
}

std::int64_t LinuxMachine::Counter() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

TCalendarTime LinuxMachine::LocalTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  return {static_cast<std::uint16_t>(local.tm_year + 1900), static_cast<std::uint16_t>(local.tm_mon + 1),
          static_cast<std::uint16_t>(local.tm_mday),        static_cast<std::uint16_t>(local.tm_hour),
          static_cast<std::uint16_t>(local.tm_min),         static_cast<std::uint16_t>(local.tm_sec),
          static_cast<std::uint16_t>(now.tv_nsec / 1'000'000)};
}

std::optional<TCalendarTime> LinuxMachine::LocalToUtc(const TCalendarTime& local) {
  if (!replay::ValidCalendarTime(local)) return std::nullopt;
  std::tm fields{};
  fields.tm_year = local.year - 1900;
  fields.tm_mon = local.month - 1;
  fields.tm_mday = local.day;
  fields.tm_hour = local.hour;
  fields.tm_min = local.minute;
  fields.tm_sec = local.second;
  fields.tm_isdst = -1;
  const std::time_t seconds = std::mktime(&fields);
  if (seconds == static_cast<std::time_t>(-1)) return std::nullopt;
  return replay::CivilFromSeconds(seconds, local.milliseconds);
}

double LinuxMachine::Random() {
  // 53 random bits: uniform in [0, 1).
  return static_cast<double>(random() >> 11) / 9007199254740992.0;
}

}  // namespace vexa
