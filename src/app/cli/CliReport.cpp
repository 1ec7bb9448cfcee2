// The report of the chosen device, built after the selection as the page builds it
// when the device changes; its time stamp comes from the machine's clock.
#include "app/cli/CliReport.h"

#include "app/cli/CliMachine.h"
#include "online/JsonDocument.h"
#include "online/SubmitReport.h"
#include "shell/Core.h"
#include "views/ConsoleSession.h"

namespace vexa {

int RunCliReport(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err) {
  return RunOnDevice(options, args, err, kCliReportUsage, [out](TConsoleSession& session) {
    TJsonReader json;
    BuildReport(json, session.Core().CurrentDevice(), {}, {});
    CliPrint(out, json.ToText());
    return 0;
  });
}

}  // namespace vexa
