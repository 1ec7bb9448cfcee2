// UTF-8 to and from the wide strings of the Win32 W functions.
#pragma once

#include <string>
#include <string_view>

#include "support/Text.h"

namespace vexa {

inline std::wstring Wide(std::string_view text) {
  const std::u16string wide = Utf8ToUtf16(text);
  return std::wstring(wide.begin(), wide.end());
}

inline std::string Narrow(std::wstring_view text) {
  return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

}  // namespace vexa
