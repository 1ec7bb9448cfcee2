// Printed fields: the support library's readable form of any bytes.
#include "app/cli/CliText.h"

#include "support/Text.h"

namespace vexa {

std::string CliSafeText(std::string_view text) { return EscapeUnprintable(text); }

}  // namespace vexa
