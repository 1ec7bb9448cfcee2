// Subsystem commands of vexa-cli, in the order `help` lists them.
#include "app/cli/CliCommandList.h"

#include "app/cli/CliBench.h"
#include "app/cli/CliDecode.h"
#include "app/cli/CliHistory.h"
#include "app/cli/CliIdentifyDump.h"
#include "app/cli/CliKnown.h"
#include "app/cli/CliMachine.h"
#include "app/cli/CliNvmeDump.h"
#include "app/cli/CliRegex.h"
#include "app/cli/CliReport.h"
#include "app/cli/CliSmartDump.h"
#include "app/cli/CliSubmit.h"

namespace vexa {

std::span<const TCliCommandRow> CliCommandList() {
  static const TCliCommandRow kCommands[] = {
      {"regex", "regex PATTERN SUBJECT", RunCliRegex, nullptr},
      {"known", "known MODEL [FIRMWARE [WWN]]", RunCliKnown, nullptr},
      {"smart-dump", kCliSmartDumpUsage, RunCliSmartDump, nullptr},
      {"decode", "decode MODEL", RunCliDecode, nullptr},
      {"identify-dump", kCliIdentifyDumpUsage, RunCliIdentifyDump, nullptr},
      {"nvme-dump", kCliNvmeDumpUsage, RunCliNvmeDump, nullptr},
      {"list", kCliListUsage, nullptr, RunCliList},
      {"info", kCliInfoUsage, nullptr, RunCliInfo},
      {"smart", kCliSmartUsage, nullptr, RunCliSmart},
      {"identify", kCliIdentifyUsage, nullptr, RunCliIdentify},
      {"partitions", kCliPartitionsUsage, nullptr, RunCliPartitions},
      {"decoder", kCliDecoderUsage, nullptr, RunCliDecoder},
      {"debug", kCliDebugUsage, nullptr, RunCliDebug},
      {"report", kCliReportUsage, nullptr, RunCliReport},
      {"submit", kCliSubmitUsage, nullptr, RunCliSubmit},
      {"bench", kCliBenchUsage, nullptr, RunCliBench},
      {"capture", kCliCaptureUsage, nullptr, RunCliCapture},
      {"history", kCliHistoryUsage, nullptr, RunCliHistory},
      {"watch", kCliWatchUsage, nullptr, RunCliWatch},
  };
  return kCommands;
}

}  // namespace vexa
