// The program's version and the window's base caption.
#pragma once

#include <cstdint>
#include <string>

namespace vexa {

// 0x00YYMMDD: 16.09.09.
inline constexpr std::uint32_t kProgramVersion = 0x100909;

// "Vexa 16.09.09 beta": the window title until a device is chosen.
std::string BaseCaption();

}  // namespace vexa
