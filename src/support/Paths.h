// File-system paths from UTF-8 text. On Windows a path must reach the wide file
// functions, or any non-ASCII folder name would be mangled by the ANSI code page.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vexa {

std::filesystem::path PathFromUtf8(std::string_view text);
std::string PathToUtf8(const std::filesystem::path& path);

// Reads a whole file; false when it cannot be opened or read, or is larger than
// maxBytes (nothing is read then).
bool ReadFileBytes(std::string_view path, std::string& contents, std::size_t maxBytes);
// Writes a whole file by writing a temporary file beside it and renaming it over
// the old one, so a failure never leaves a half-written file behind.
bool WriteFileAtomically(std::string_view path, std::string_view contents);

}  // namespace vexa
