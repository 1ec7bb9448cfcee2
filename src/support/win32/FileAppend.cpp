// Appending on Windows: a handle opened with FILE_APPEND_DATA access only writes at
// the end of the file, each WriteFile as one piece, whoever else appends meanwhile.
// The C runtime's append mode instead seeks to the end and then writes, and two
// programs between those two steps write over each other.
#include "support/FileAppend.h"

#include <windows.h>

#include "support/Paths.h"

namespace vexa {

namespace {

std::string LastErrorText(DWORD code) {
  return "Windows error " + std::to_string(code);
}

}  // namespace

bool AppendToFile(std::string_view path, std::string_view bytes, std::string& error) {
  const std::wstring name = PathFromUtf8(path).wstring();
  HANDLE file = CreateFileW(name.c_str(), FILE_APPEND_DATA | FILE_READ_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = LastErrorText(GetLastError());
    return false;
  }
  // Appenders also take turns on one byte far past any end of file, so readers
  // are never locked out: Wine's append handles alone let writers cut into each other.
  OVERLAPPED turn{};
  turn.Offset = 0;
  turn.OffsetHigh = 0x7FFFFFFF;
  const bool locked = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &turn) != FALSE;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  const DWORD code = GetLastError();
  if (locked) UnlockFileEx(file, 0, 1, 0, &turn);
  CloseHandle(file);
  if (!ok || written != bytes.size()) {
    error = ok ? std::string("the write was cut short (disk full?)") : LastErrorText(code);
    return false;
  }
  return true;
}

}  // namespace vexa
