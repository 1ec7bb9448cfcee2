// Text as vexa-cli prints it. Drive strings are bytes a drive (or a recorded
// machine) chose: they may hold control characters or bytes that are not UTF-8,
// which would break the tab-separated lines or a terminal. Printed fields go
// through CliSafeText first.
#pragma once

#include <string>
#include <string_view>

namespace vexa {

// Valid UTF-8 passes unchanged, except control characters (U+0000..U+001F,
// U+007F and U+0080..U+009F); those and every byte that is not part of a valid
// UTF-8 sequence are written as \xNN (two upper-case hexadecimal digits per byte).
std::string CliSafeText(std::string_view text);

}  // namespace vexa
