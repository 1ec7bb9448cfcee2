#include "app/cli/CliSubmit.h"

#include <optional>
#include <string>

#include "app/cli/CliMachine.h"
#include "app/cli/CliText.h"
#include "online/HttpClient.h"
#include "online/SubmitTab.h"
#include "shell/Tabs.h"
#include "support/Error.h"
#include "support/Format.h"
#include "support/Text.h"
#include "views/ConsoleSession.h"

#ifdef VEXA_HAVE_HTTP_CLIENT
#include "online/linux/HttplibConnection.h"
#endif
#ifdef _WIN32
#include "online/win32/WinInetConnection.h"
#endif

namespace vexa {

namespace {

bool InstallHttpOpener() {
#if defined(_WIN32)
  SetHttpOpener(OpenWinInetConnection);
  return true;
#elif defined(VEXA_HAVE_HTTP_CLIENT)
  SetHttpOpener([](std::string_view agent, std::uint16_t port, std::string_view server) {
    return OpenHttplibConnection(agent, port, server);
  });
  return true;
#else
  return false;
#endif
}

struct TSubmitOptions {
  std::string device;
  std::string email;
  std::string comment;
  std::optional<std::string> server;
  std::optional<std::int32_t> port;
  bool insecure = false;
};

}  // namespace

int RunCliSubmit(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err) {
  TSubmitOptions submit;
  bool haveDevice = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool takesValue = arg == "--email" || arg == "--comment" || arg == "--server" || arg == "--port";
    if (takesValue && i + 1 >= args.size()) return CliUsageError(err, arg + " takes a value", kCliSubmitUsage);
    if (arg == "--email") {
      submit.email = args[++i];
    } else if (arg == "--comment") {
      submit.comment = args[++i];
    } else if (arg == "--server") {
      submit.server = args[++i];
      if (Trim(*submit.server).empty()) return CliUsageError(err, "--server takes a host name", kCliSubmitUsage);
    } else if (arg == "--port") {
      std::int32_t port = 0;
      const std::string& text = args[++i];
      if (!TryParseInt32(text, port) || port < 1 || port > 0xFFFF)
        return CliUsageError(err, Format("\"%s\" is not a port: 1 to 65535", CliSafeText(text)), kCliSubmitUsage);
      submit.port = port;
    } else if (arg == "--insecure-http") {
      submit.insecure = true;
    } else if (!haveDevice) {
      submit.device = arg;
      haveDevice = true;
    } else {
      return CliUsageError(err, Format("unexpected \"%s\"", CliSafeText(arg)), kCliSubmitUsage);
    }
  }
  if (!haveDevice) return CliUsageError(err, "submit takes one device number", kCliSubmitUsage);
  if (!InstallHttpOpener()) {
    CliPrint(err, "vexa-cli: this build sends nothing (it was built without cpp-httplib)");
    return 2;
  }

  TSubmitTab* page = nullptr;
  // The page is a start module of the window: it exists before --set names its settings.
  const auto prepare = [&](TConsoleSession& session) {
    page = dynamic_cast<TSubmitTab*>(session.Tabs().Add(TabClassOf<TSubmitTab>()));
    if (!page) CliPrint(err, "vexa-cli: the Submit page could not be opened");
    return page ? 0 : 1;
  };
  const auto work = [&](TConsoleSession& session) {
    int position = 0;
    if (!ParseDevicePosition(submit.device, session.DeviceCount(), position)) {
      return CliUsageError(err,
                           Format("\"%s\" is not a device number: the machine has %d devices, numbered from 1",
                                  CliSafeText(submit.device), session.DeviceCount()),
                           kCliSubmitUsage);
    }
    // The options win over the settings, as the boxes and the settings do on the page.
    std::string error;
    if (submit.server) session.Set("tabs.submit.server=" + *submit.server, error);
    if (submit.port) session.Set(Format("tabs.submit.port=%d", *submit.port), error);
    if (submit.insecure) session.Set("tabs.submit.secure=false", error);
    session.Select(position);
    page->SetEmail(submit.email);
    page->SetComment(submit.comment);
    try {
      const TSubmitOutcome outcome = page->Send();
      if (outcome.id == -1) {
        // The page's message, its reply made safe for a terminal, one line per line.
        TSubmitOutcome shown = outcome;
        shown.reply = CliSafeText(outcome.reply);
        const std::string message = SubmitFailureMessage(shown);
        for (const std::string_view line : SplitLines(message)) CliPrint(err, line);
        return 1;
      }
      CliPrint(out, Format("%d", outcome.id));
      CliPrint(out, DetailsAddress(page->Endpoint(), outcome.id));
    } catch (const EVexaError& failure) {
      CliPrint(err, Format("vexa-cli: %s", failure.what()));
      return 1;
    }
    return 0;
  };
  return RunOnMachine(options, err, work, prepare);
}

}  // namespace vexa
