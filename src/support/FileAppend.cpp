// The POSIX side of appending; Windows' is in win32/FileAppend.cpp.
#include "support/FileAppend.h"

#include <fstream>

#include "support/Paths.h"

#ifndef _WIN32
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vexa {

#ifndef _WIN32
bool AppendToFile(std::string_view path, std::string_view bytes, std::string& error) {
  const std::string name(path);
  const int file = ::open(name.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (file < 0) {
    error = std::strerror(errno);
    return false;
  }
  // One write: with O_APPEND the kernel moves to the end and writes under one lock.
  ssize_t written;
  do {
    written = ::write(file, bytes.data(), bytes.size());
  } while (written < 0 && errno == EINTR);
  const int writeError = errno;
  ::close(file);
  if (written < 0 || static_cast<std::size_t>(written) != bytes.size()) {
    error = written < 0 ? std::strerror(writeError) : "the write was cut short (disk full?)";
    return false;
  }
  return true;
}
#endif

bool LastByteOfFile(std::string_view path, char& last) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size <= 0) return false;
  in.seekg(size - 1);
  return static_cast<bool>(in.get(last));
}

}  // namespace vexa
