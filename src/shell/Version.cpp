// Version text.
#include "shell/Version.h"

#include "support/Utils.h"

namespace vexa {

std::string BaseCaption() {
  return "Vexa " + FormatVersion(kProgramVersion, true) + " beta";
}

}  // namespace vexa
