// Appending whole records to a file that other programs may append to at the same
// time. Each call is one write at the end of the file, made by the platform in append
// mode (O_APPEND on POSIX, FILE_APPEND_DATA on Windows), so two writers' records
// never interleave and none lands over another's.
#pragma once

#include <string>
#include <string_view>

namespace vexa {

// Creates the file when missing. False with a message (the platform's reason) when
// the file cannot be opened or the write was not whole.
bool AppendToFile(std::string_view path, std::string_view bytes, std::string& error);

// The file's last byte; false when the file is missing, empty or unreadable.
bool LastByteOfFile(std::string_view path, char& last);

}  // namespace vexa
