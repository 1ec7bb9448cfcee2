// Reads an IDENTIFY block written as 256 hexadecimal words, 8 to a line, as Linux's
// disk tool prints it with its IDENTIFY-to-stdout option, so real dumps can be used
// unchanged. Malformed text is answered with a message, never an exception.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vexa {

struct TIdentifyTextResult {
  bool ok = false;
  std::array<std::uint8_t, 512> bytes{};  // word n in bytes 2n (low) and 2n+1 (high)
  std::string error;                       // English, with the line number when there is one
};

// Words are separated by blanks, tabs or line ends (LF, CR LF); blank lines are
// ignored, and so is a device-name line such as "/dev/sda:" before the first word.
TIdentifyTextResult ParseIdentifyText(std::string_view text);

}  // namespace vexa
