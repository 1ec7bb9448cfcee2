// Path conversion and whole-file reading and writing.
#include "support/Paths.h"

#include <fstream>
#include <system_error>

#include "support/Text.h"

namespace vexa {

std::filesystem::path PathFromUtf8(std::string_view text) {
#ifdef _WIN32
  const std::u16string wide = Utf8ToUtf16(text);
  return std::filesystem::path(std::wstring(wide.begin(), wide.end()));
#else
  return std::filesystem::path(std::string(text));
#endif
}

std::string PathToUtf8(const std::filesystem::path& path) {
#ifdef _WIN32
  const std::wstring wide = path.wstring();
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
#else
  return path.string();
#endif
}

bool ReadFileBytes(std::string_view path, std::string& contents, std::size_t maxBytes) {
  std::error_code error;
  const std::filesystem::path p = PathFromUtf8(path);
  if (std::filesystem::is_directory(p, error)) return false;
  std::ifstream in(p, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<std::uint64_t>(size) > maxBytes) return false;
  in.seekg(0, std::ios::beg);
  std::string data(static_cast<std::size_t>(size), '\0');
  if (size > 0 && !in.read(data.data(), size)) return false;
  contents = std::move(data);
  return true;
}

bool WriteFileAtomically(std::string_view path, std::string_view contents) {
  const std::filesystem::path target = PathFromUtf8(path);
  std::filesystem::path temporary = target;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, target, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace vexa
