// Text as vexa-cli prints it. Drive strings are bytes a drive (or a recorded
// machine) chose: they may hold control characters or bytes that are not UTF-8,
// which would break the tab-separated lines or a terminal. Printed fields go
// through CliSafeText first.
#pragma once

#include <string>
#include <string_view>

namespace vexa {

// EscapeUnprintable (support/Text.h): valid UTF-8 passes unchanged, except control
// characters; those and every byte that is not part of a valid UTF-8 sequence are
// written as \xNN.
std::string CliSafeText(std::string_view text);

}  // namespace vexa
