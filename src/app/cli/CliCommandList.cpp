// Subsystem commands of vexa-cli, in the order `help` lists them.
#include "app/cli/CliCommandList.h"

#include "app/cli/CliDecode.h"
#include "app/cli/CliKnown.h"
#include "app/cli/CliRegex.h"
#include "app/cli/CliSmartDump.h"

namespace vexa {

std::span<const TCliCommandRow> CliCommandList() {
  static const TCliCommandRow kCommands[] = {
      {"regex", "regex PATTERN SUBJECT", RunCliRegex},
      {"known", "known MODEL [FIRMWARE [WWN]]", RunCliKnown},
      {"smart-dump", kCliSmartDumpUsage, RunCliSmartDump},
      {"decode", "decode MODEL", RunCliDecode},
  };
  return kCommands;
}

}  // namespace vexa
