// Win32Machine: thin calls into Windows. Paths and texts cross as UTF-16 through the
// wide functions only; storage requests of the 64-bit build cross in the 64-bit
// layouts (platform/RequestLayout64.h). Overlapped slots remember the handle of their
// last read, so a close or a free can cancel and drain a read still in flight before
// its OVERLAPPED and the caller's buffer go away.
#include "platform/win32/Win32Machine.h"

#include <windows.h>
#include <winioctl.h>

#include <array>
#include <string>

#include "platform/RequestLayout64.h"
#include "platform/win32/Win32Gaps.h"
#include "support/Bytes.h"
#include "support/Text.h"

namespace vexa {

namespace {

std::wstring Wide(std::string_view utf8) {
  const std::u16string text = Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

std::string Narrow(const wchar_t* text, std::size_t length) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

std::string NarrowZ(const wchar_t* text, std::size_t capacity) {
  std::size_t length = 0;
  while (length < capacity && text[length] != 0) ++length;
  return Narrow(text, length);
}

HANDLE ToWin(THandle handle) { return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(handle)); }
THandle FromWin(HANDLE handle) { return static_cast<THandle>(reinterpret_cast<std::uintptr_t>(handle)); }

DWORD Size32(std::size_t size) { return size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size); }

TIoResult SendControl(HANDLE handle, std::uint32_t code, TBytes input, TMutableBytes output) {
  DWORD returned = 0;
  void* in = input.empty() ? nullptr : const_cast<std::uint8_t*>(input.data());
  void* out = output.empty() ? nullptr : output.data();
  const BOOL ok = DeviceIoControl(handle, code, in, Size32(input.size()), out, Size32(output.size()), &returned,
                                  nullptr);
  return {ok != FALSE, returned, ok ? 0 : static_cast<std::uint32_t>(GetLastError())};
}

TCalendarTime FromSystemTime(const SYSTEMTIME& time) {
  return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds};
}

}  // namespace

struct Win32Machine::TSlot {
  OVERLAPPED overlapped{};
  HANDLE event = nullptr;
  HANDLE file = INVALID_HANDLE_VALUE;
  bool pending = false;
};

Win32Machine::Win32Machine() {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  random.seed(static_cast<std::uint32_t>(GetTickCount() ^ counter.LowPart ^ static_cast<DWORD>(counter.HighPart)));
}

Win32Machine::~Win32Machine() {
  for (auto& [id, slot] : slots) {
    Drain(*slot);
    CloseHandle(slot->event);
  }
}

Win32Machine::TSlot* Win32Machine::FindSlot(TIoSlot slot) {
  const auto found = slots.find(static_cast<std::uint32_t>(slot));
  return found == slots.end() ? nullptr : found->second.get();
}

void Win32Machine::Drain(TSlot& slot) {
  if (!slot.pending) return;
  if (!HasOverlappedIoCompleted(&slot.overlapped)) {
    CancelIoEx(slot.file, &slot.overlapped);
    DWORD transferred = 0;
    GetOverlappedResult(slot.file, &slot.overlapped, &transferred, TRUE);
  }
  slot.pending = false;
}

THandle Win32Machine::Open(std::string_view path, const TOpenMode& mode) {
  const DWORD access = (mode.read ? GENERIC_READ : 0) | (mode.write ? GENERIC_WRITE : 0);
  const DWORD share = (mode.shareRead ? FILE_SHARE_READ : 0) | (mode.shareWrite ? FILE_SHARE_WRITE : 0);
  const DWORD flags = FILE_ATTRIBUTE_NORMAL | (mode.noBuffering ? FILE_FLAG_NO_BUFFERING : 0) |
                      (mode.overlapped ? FILE_FLAG_OVERLAPPED : 0);
  const HANDLE handle = CreateFileW(Wide(path).c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr);
  return handle == INVALID_HANDLE_VALUE ? kInvalidHandle : FromWin(handle);
}

void Win32Machine::Close(THandle handle) {
  if (handle == kInvalidHandle) return;
  for (auto& [id, slot] : slots) {
    if (slot->file == ToWin(handle)) Drain(*slot);
  }
  CloseHandle(ToWin(handle));
}

TIoResult Win32Machine::Control(THandle handle, std::uint32_t code, std::span<const std::uint8_t> input,
                                std::span<std::uint8_t> output) {
#ifdef _WIN64
  // The core builds the 32-bit layouts; the drivers expect this process's own.
  return SendInLayout64(code, input, output, [&](TBytes in64, TMutableBytes out64) {
    return SendControl(ToWin(handle), code, in64, out64);
  });
#else
  return SendControl(ToWin(handle), code, input, output);
#endif
}

std::string Win32Machine::ErrorMessage(std::uint32_t error) {
  std::array<wchar_t, 512> buffer{};
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                      buffer.data(), static_cast<DWORD>(buffer.size()), nullptr);
  std::string text = Narrow(buffer.data(), std::min<std::size_t>(length, buffer.size()));
  return std::string(TrimRight(text));
}

bool Win32Machine::SetPosition(THandle handle, std::uint64_t offset) {
  LARGE_INTEGER distance{};
  distance.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(ToWin(handle), distance, nullptr, FILE_BEGIN) != FALSE;
}

TIoResult Win32Machine::Read(THandle handle, std::span<std::uint8_t> buffer) {
  DWORD read = 0;
  const BOOL ok = ReadFile(ToWin(handle), buffer.data(), Size32(buffer.size()), &read, nullptr);
  return {ok != FALSE, read, ok ? 0 : static_cast<std::uint32_t>(GetLastError())};
}

bool Win32Machine::Flush(THandle handle) { return FlushFileBuffers(ToWin(handle)) != FALSE; }

TIoSlot Win32Machine::CreateIoSlot() {
  auto slot = std::make_unique<TSlot>();
  slot->event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!slot->event) return kNoIoSlot;
  const std::uint32_t id = nextSlot++;
  slots[id] = std::move(slot);
  return static_cast<TIoSlot>(id);
}

void Win32Machine::FreeIoSlot(TIoSlot slot) {
  const auto found = slots.find(static_cast<std::uint32_t>(slot));
  if (found == slots.end()) return;
  Drain(*found->second);
  CloseHandle(found->second->event);
  slots.erase(found);
}

TIoResult Win32Machine::ReadOverlapped(THandle handle, TIoSlot slotId, std::uint64_t offset,
                                       std::span<std::uint8_t> buffer) {
  TSlot* slot = FindSlot(slotId);
  if (!slot) return {false, 0, ERROR_INVALID_HANDLE};
  // Reusing an OVERLAPPED that is still in flight would corrupt both requests.
  if (slot->pending && !HasOverlappedIoCompleted(&slot->overlapped)) return {false, 0, ERROR_INVALID_PARAMETER};
  slot->overlapped = OVERLAPPED{};
  slot->overlapped.Offset = static_cast<DWORD>(offset);
  slot->overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
  slot->overlapped.hEvent = slot->event;
  slot->file = ToWin(handle);
  if (ReadFile(slot->file, buffer.data(), Size32(buffer.size()), nullptr, &slot->overlapped)) {
    slot->pending = true;  // completed at once; the event is already set
    return {true, 0, 0};
  }
  const DWORD error = GetLastError();
  if (error != ERROR_IO_PENDING) return {false, 0, static_cast<std::uint32_t>(error)};
  slot->pending = true;
  return {true, 0, 0};
}

TWaitResult Win32Machine::WaitIoSlots(std::span<const TIoSlot> list, bool waitAll, std::uint32_t timeoutMs) {
  if (list.empty() || list.size() > kMaxWaitSlots) return {};
  std::array<HANDLE, kMaxWaitSlots> events{};
  for (std::size_t i = 0; i < list.size(); ++i) {
    const TSlot* slot = FindSlot(list[i]);
    if (!slot) return {};
    events[i] = slot->event;
  }
  const DWORD result =
      WaitForMultipleObjects(static_cast<DWORD>(list.size()), events.data(), waitAll ? TRUE : FALSE, timeoutMs);
  if (result < WAIT_OBJECT_0 + list.size()) {
    return {TWaitOutcome::Signalled, static_cast<std::uint32_t>(result - WAIT_OBJECT_0)};
  }
  if (result == WAIT_TIMEOUT) return {TWaitOutcome::TimedOut, 0};
  return {};
}

std::uint32_t Win32Machine::LogicalDriveMask() { return GetLogicalDrives(); }

std::vector<std::string> Win32Machine::LogicalDriveStrings() {
  std::vector<std::string> roots;
  std::array<wchar_t, 26 * 4 + 2> buffer{};
  const DWORD length = GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
  if (length == 0 || length > buffer.size()) return roots;
  for (std::size_t i = 0; i < length && buffer[i] != 0;) {
    std::size_t end = i;
    while (end < length && buffer[end] != 0) ++end;
    roots.push_back(Narrow(buffer.data() + i, end - i));
    i = end + 1;
  }
  return roots;
}

TVolumeInformation Win32Machine::VolumeInformation(std::string_view rootPath) {
  TVolumeInformation information;
  std::array<wchar_t, MAX_PATH + 1> label{};
  std::array<wchar_t, MAX_PATH + 1> fileSystem{};
  DWORD serial = 0, maxComponent = 0, flags = 0;
  if (!GetVolumeInformationW(Wide(rootPath).c_str(), label.data(), static_cast<DWORD>(label.size()), &serial,
                             &maxComponent, &flags, fileSystem.data(), static_cast<DWORD>(fileSystem.size()))) {
    information.error = GetLastError();
    return information;
  }
  information.ok = true;
  information.label = NarrowZ(label.data(), label.size());
  information.serialNumber = serial;
  information.maxComponentLength = maxComponent;
  information.fileSystemFlags = flags;
  information.fileSystem = NarrowZ(fileSystem.data(), fileSystem.size());
  return information;
}

std::optional<TDiskFreeSpace> Win32Machine::DiskFreeSpace(std::string_view rootPath) {
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!GetDiskFreeSpaceW(Wide(rootPath).c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
    return std::nullopt;
  }
  return TDiskFreeSpace{sectorsPerCluster, bytesPerSector, freeClusters, totalClusters};
}

std::optional<TDiskFreeBytes> Win32Machine::DiskFreeBytes(std::string_view rootPath) {
  ULARGE_INTEGER freeForCaller{}, total{}, totalFree{};
  if (!GetDiskFreeSpaceExW(Wide(rootPath).c_str(), &freeForCaller, &total, &totalFree)) return std::nullopt;
  return TDiskFreeBytes{freeForCaller.QuadPart, total.QuadPart, totalFree.QuadPart};
}

std::optional<std::string> Win32Machine::DosDeviceName(std::string_view deviceName) {
  std::array<wchar_t, 1024> buffer{};
  if (QueryDosDeviceW(Wide(deviceName).c_str(), buffer.data(), static_cast<DWORD>(buffer.size())) == 0) {
    return std::nullopt;
  }
  return NarrowZ(buffer.data(), buffer.size());
}

std::optional<std::string> Win32Machine::VolumeGuidPath(std::string_view mountPoint) {
  std::array<wchar_t, 64> buffer{};
  if (!GetVolumeNameForVolumeMountPointW(Wide(mountPoint).c_str(), buffer.data(), static_cast<DWORD>(buffer.size()))) {
    return std::nullopt;
  }
  return NarrowZ(buffer.data(), buffer.size());
}

std::uint32_t Win32Machine::FileAttributes(std::string_view path) { return GetFileAttributesW(Wide(path).c_str()); }

TOsVersion Win32Machine::TrueOsVersion() {
  // The version query of the kernel itself: compatibility shims cap the classic one.
  if (const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
    if (const FARPROC address = GetProcAddress(ntdll, "RtlGetVersion")) {
      const auto rtlGetVersion = reinterpret_cast<TRtlGetVersion>(reinterpret_cast<void (*)()>(address));
      OSVERSIONINFOW info{};
      info.dwOSVersionInfoSize = sizeof(info);
      if (rtlGetVersion(&info) == 0) return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
    }
  }
  return ClassicOsVersion();
}

TOsVersion Win32Machine::ClassicOsVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExW(&info)) return {};
  return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
}

std::optional<std::uint32_t> Win32Machine::DisableDeleteNotification() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\FileSystem", 0, KEY_QUERY_VALUE,
                    &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD type = 0, value = 0, size = sizeof(value);
  const LONG status = RegQueryValueExW(key, L"DisableDeleteNotification", nullptr, &type,
                                       reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value)) return std::nullopt;
  return value;
}

std::int64_t Win32Machine::Counter() {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

std::int64_t Win32Machine::CounterFrequency() {
  LARGE_INTEGER frequency{};
  return QueryPerformanceFrequency(&frequency) ? frequency.QuadPart : 0;
}

TCalendarTime Win32Machine::LocalTime() {
  SYSTEMTIME time{};
  GetLocalTime(&time);
  return FromSystemTime(time);
}

std::optional<TCalendarTime> Win32Machine::LocalToUtc(const TCalendarTime& local) {
  SYSTEMTIME in{};
  in.wYear = local.year;
  in.wMonth = local.month;
  in.wDay = local.day;
  in.wHour = local.hour;
  in.wMinute = local.minute;
  in.wSecond = local.second;
  in.wMilliseconds = local.milliseconds;
  SYSTEMTIME out{};
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &in, &out)) return std::nullopt;
  return FromSystemTime(out);
}

double Win32Machine::Random() {
  const std::uint32_t high = random() >> 5;
  const std::uint32_t low = random() >> 6;
  return (high * 67108864.0 + low) / 9007199254740992.0;
}

}  // namespace vexa
