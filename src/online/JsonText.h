// Escaping of names and values for the JSON writer. Texts are UTF-8; the writer
// turns what is not valid UTF-8 into U+FFFD afterwards.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vexa {

// Up to the end or the first NUL: tab as \t; line feed, carriage return and CR LF
// each as one \n; double quote and backslash escaped with a backslash; other control
// bytes below 0x20 as "."; everything else as it is. The result holds at most limit
// bytes and is cut only between whole escapes and whole UTF-8 characters.
std::string EscapeText(std::string_view text, std::size_t limit);

}  // namespace vexa
