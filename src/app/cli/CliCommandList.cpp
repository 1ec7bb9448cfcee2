// Subsystem commands of vexa-cli, in the order `help` lists them.
#include "app/cli/CliCommandList.h"

namespace vexa {

std::span<const TCliCommandRow> CliCommandList() {
  return {};
}

}  // namespace vexa
