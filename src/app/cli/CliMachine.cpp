// The machine commands: a console session over the chosen machine, the device
// chosen through system.device_index as the window chooses it, and the pages'
// texts printed tab-separated (or, with --json, as JSON: CliJson.h). Every field a
// drive or a machine file supplies is printed through CliSafeText.
#include "app/cli/CliMachine.h"

#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "app/cli/CliHistory.h"
#include "app/cli/CliIdentifyDump.h"
#include "app/cli/CliJson.h"
#include "app/cli/CliText.h"
#include "device/DeviceManager.h"
#include "platform/ReplayMachine.h"
#include "shell/Shared.h"
#include "shell/Tabs.h"
#include "support/Paths.h"
#include "support/Text.h"
#include "shell/StatusProperties.h"
#include "support/Format.h"
#include "views/ConsoleSession.h"
#include "views/DebugTab.h"
#include "views/DecoderTab.h"
#include "views/HistoryKeeper.h"
#include "views/MachineCapture.h"
#include "views/IdentifyTab.h"
#include "views/PartitionsTab.h"
#include "views/SmartTab.h"

#ifdef _WIN32
#include "platform/win32/Win32Machine.h"
#endif
#ifdef VEXA_HAVE_LINUX_MACHINE
#include <unistd.h>

#include "platform/linux/LinuxMachine.h"
#endif

namespace vexa {

namespace {

constexpr std::string_view kSetUsage = "--set SECTION.KEY=VALUE COMMAND";

std::unique_ptr<Machine> OpenMachine(const TCliGlobalOptions& options, std::FILE* err) {
  if (options.real) {
#ifdef VEXA_HAVE_LINUX_MACHINE
    try {
      return LinuxMachine::OfThisPc();
    } catch (const std::exception& error) {
      CliPrint(err, Format("vexa-cli: this PC's drives cannot be described: %s", CliSafeText(error.what())));
      return nullptr;
    }
#else
#ifdef _WIN32
    CliPrint(err, "vexa-cli: --real reads a Linux PC's drives; on Windows leave it out");
#else
    CliPrint(err, "vexa-cli: --real needs the Linux build with liburing (tools/setup.sh installs it)");
#endif
    return nullptr;
#endif
  }
  if (options.replayFile) {
    try {
      return ReplayMachine::FromFile(*options.replayFile);
    } catch (const std::exception& error) {
      CliPrint(err, Format("vexa-cli: %s", error.what()));
      return nullptr;
    }
  }
#ifdef _WIN32
  return std::make_unique<Win32Machine>();
#else
#ifdef VEXA_HAVE_LINUX_MACHINE
  CliPrint(err, "vexa-cli: say which machine: --real for this PC's drives, or --replay FILE for a recorded one "
                "(docs/MACHINE-FILE.md)");
#else
  CliPrint(err, "vexa-cli: this build reads no real drives; give it a recorded machine with --replay FILE "
                "(docs/MACHINE-FILE.md)");
#endif
  return nullptr;
#endif
}

// What the window would show in message boxes goes to the error stream, one line
// per line of the message, and is counted.
class TMessagesToStream {
public:
  explicit TMessagesToStream(std::FILE* err) {
    SetMessageSink([this, err](std::string_view text, std::uint32_t) {
      ++count;
      std::string line;
      for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n') {
          if (!line.empty() && line.back() == '\r') line.pop_back();
          CliPrint(err, "vexa-cli: " + CliSafeText(line));
          line.clear();
        } else {
          line += text[i];
        }
      }
      return kAnswerOk;
    });
  }
  ~TMessagesToStream() { SetMessageSink({}); }
  TMessagesToStream(const TMessagesToStream&) = delete;
  TMessagesToStream& operator=(const TMessagesToStream&) = delete;

  int count = 0;
};

}  // namespace

void ReportRealMachine(Machine& machine, std::FILE* err) {
#ifdef VEXA_HAVE_LINUX_MACHINE
  const auto* real = dynamic_cast<const LinuxMachine*>(&machine);
  if (!real) return;
  if (!real->DeniedNodes().empty()) {
    const std::string nodes = JoinText(real->DeniedNodes(), ", ");
    // Root refused too: a container, or a security module, keeps the drives out of reach.
    const std::string_view remedy = ::geteuid() == 0
                                        ? "the kernel refuses even root here (a container or a security module?)"
                                        : "run as root (sudo vexa-cli --real ...) to read IDENTIFY and SMART";
    CliPrint(err, Format("vexa-cli: no permission to send commands to %s: the drives are shown with what sysfs "
                         "tells; %s",
                         CliSafeText(nodes), remedy));
  }
  if (real->RefusedCount() > 0) {
    CliPrint(err, Format("vexa-cli: %u requests that could have written to a drive were refused (first: %s)",
                         real->RefusedCount(), CliSafeText(real->RefusedRequests().front())));
  }
#else
  (void)machine;
  (void)err;
#endif
}

int RunOnMachine(const TCliGlobalOptions& options, std::FILE* err, const TSessionWork& work,
                 const TSessionWork& prepare) {
  const std::unique_ptr<Machine> machine = OpenMachine(options, err);
  if (!machine) return 2;
  const int status = RunOnGivenMachine(*machine, options, err, work, prepare);
  ReportRealMachine(*machine, err);
  return status;
}

int RunOnGivenMachine(Machine& machine, const TCliGlobalOptions& options, std::FILE* err, const TSessionWork& work,
                      const TSessionWork& prepare) {
  TMessagesToStream messages(err);
  try {
    TConsoleSession session(machine, {}, {}, CliHistoryPath(options));
    if (prepare) {
      if (const int status = prepare(session); status != 0) return status;
    }
    for (const std::string& assignment : options.assignments) {
      std::string error;
      if (!session.Set(assignment, error)) return CliUsageError(err, error, kSetUsage);
    }
    session.Start();
    session.Rescan();
    const int status = work(session);
    // What the history skipped or could not do is said, but drives were still read.
    for (const std::string& message : session.History().TakeMessages())
      CliPrint(err, "vexa-cli: " + CliSafeText(message));
    return status == 0 && messages.count > 0 ? 1 : status;
  } catch (const std::exception& error) {
    CliPrint(err, Format("vexa-cli: %s", CliSafeText(error.what())));
    return 1;
  }
}

bool ParseDevicePosition(const std::string& text, int count, int& position) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  const int number = std::stoi(text);
  if (number < 1 || number > count) return false;
  position = number - 1;
  return true;
}

int RunOnDevice(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* err, std::string_view usage,
                const TSessionWork& work) {
  if (args.size() != 1)
    return CliUsageError(err, Format("%s takes one device number", usage.substr(0, usage.find(' '))), usage);
  return RunOnMachine(options, err, [&](TConsoleSession& session) {
    int position = 0;
    if (!ParseDevicePosition(args[0], session.DeviceCount(), position)) {
      return CliUsageError(err,
                           Format("\"%s\" is not a device number: the machine has %d devices, numbered from 1",
                                  CliSafeText(args[0]), session.DeviceCount()),
                           usage);
    }
    session.Select(position);
    return work(session);
  });
}

bool TakeCliOption(TCliArgs& args, std::string_view option) {
  return std::erase(args, option) > 0;
}

std::string_view DeviceToken(const TDeviceInfo& device) {
  if (device.ClassName() == "TDeviceInfoScsi") return "S";
  if (device.ClassName() == "TDeviceInfoOptical") return "C";
  return "P";
}

std::vector<std::string_view> ExtraDescriptionLines(const TStatusProperty& entry) {
  std::vector<std::string_view> lines;
  std::string_view extra = entry.extraDescription;
  if (extra.empty()) return lines;
  if (extra.starts_with(kLineBreak)) extra.remove_prefix(kLineBreak.size());
  while (true) {
    const std::size_t end = extra.find(kLineBreak);
    lines.push_back(extra.substr(0, end));
    if (end == std::string_view::npos) break;
    extra.remove_prefix(end + kLineBreak.size());
  }
  return lines;
}

namespace {

// A page opened on demand, as the window opens it: it catches up with the chosen
// drive. None, with a message, when it cannot be built.
template <typename TPage>
const TPage* OpenPage(TConsoleSession& session, std::FILE* err) {
  const auto* page = dynamic_cast<const TPage*>(session.Tabs().Add(TabClassOf<TPage>()));
  if (!page) CliPrint(err, Format("vexa-cli: the page %s could not be opened", TPage::kClassName));
  return page;
}

// Fields joined by tabs, each made safe.
template <typename TRange>
std::string TabLine(std::string_view first, const TRange& rest) {
  std::string line = CliSafeText(first);
  for (const std::string& field : rest) line += "\t" + CliSafeText(field);
  return line;
}

}  // namespace

int RunCliList(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err) {
  TCliArgs rest = args;
  const bool json = TakeCliOption(rest, kCliJsonOption);
  if (!rest.empty()) return CliUsageError(err, "list takes no arguments other than --json", kCliListUsage);
  return RunOnMachine(options, err, [out, json](TConsoleSession& session) {
    if (json) {
      CliPrint(out, ListJson(session));
      return 0;
    }
    for (int i = 0; i < session.DeviceCount(); ++i) {
      const TDeviceInfo& device = *session.Devices().Device(i);
      CliPrint(out, Format("%s%d\t%s\t0x%.6x\t%s\t%s", DeviceToken(device), device.number, device.GetKindName(),
                           device.GetColor(), CliSafeText(device.GetDisplayName()), CliSafeText(device.path)));
    }
    return 0;
  });
}

int RunCliInfo(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err) {
  TCliArgs rest = args;
  const bool json = TakeCliOption(rest, kCliJsonOption);
  return RunOnDevice(options, rest, err, kCliInfoUsage, [out, json](TConsoleSession& session) {
    if (json) {
      CliPrint(out, InfoJson(session));
      return 0;
    }
    const TStatusProperties& status = session.Status();
    for (int i = 0; i < TStatusProperties::kCount; ++i) {
      const TStatusProperty& entry = status.Entry(i);
      CliPrint(out, Format("%d\t%s\t%d\t%s", i, entry.name, static_cast<int>(entry.state), CliSafeText(entry.value)));
      for (const std::string_view line : ExtraDescriptionLines(entry)) CliPrint(out, "\t" + CliSafeText(line));
    }
    CliPrint(out, "title: " + CliSafeText(session.Title()));
    return 0;
  });
}

int RunCliSmart(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err) {
  TCliArgs rest = args;
  const bool json = TakeCliOption(rest, kCliJsonOption);
  return RunOnDevice(options, rest, err, kCliSmartUsage, [out, json](TConsoleSession& session) {
    if (json) {
      CliPrint(out, SmartJson(session));
      return 0;
    }
    for (const TSmartPageRow& row : session.SmartModule().Model().Rows()) {
      std::string line = TabLine(row.cells[0], std::span(row.cells).subspan(1));
      // A row that moved since the drive's previous stored reading says how, last.
      if (row.mark != TSmartRowMark::None)
        line += Format("\t%s: %s", row.mark == TSmartRowMark::Worse ? "worse" : "changed", CliSafeText(row.change));
      CliPrint(out, line);
    }
    const TStatusProperty& verdict = session.Status().Entry(kSmartStatusPropertyIndex);
    CliPrint(out, Format("verdict: %s\t%d", CliSafeText(verdict.value), static_cast<int>(verdict.state)));
    return 0;
  });
}

int RunCliIdentify(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err) {
  TCliArgs rest = args;
  const bool json = TakeCliOption(rest, kCliJsonOption);
  return RunOnDevice(options, rest, err, kCliIdentifyUsage, [out, err, json](TConsoleSession& session) {
    const TIdentifyPageModel& model = session.IdentifyModule().Model();
    if (model.ShowsNvme()) {
      if (json) {
        CliPrint(out, NvmeIdentifyJson(model));
        return 0;
      }
      for (const TNvmeIdentifyRow& row : model.NvmeRows())
        CliPrint(out, Format("%d\t+%d\t%s\t%s", row.offset, row.size, CliSafeText(row.label), CliSafeText(row.value)));
      return 0;
    }
    if (!model.Data()) {
      CliPrint(err, "vexa-cli: the device could not be selected");
      return 1;
    }
    if (json) {
      CliPrint(out, IdentifyJson(*model.Data(), model));
      return 0;
    }
    PrintIdentifyReport(out, *model.Data(), model);
    return 0;
  });
}

int RunCliPartitions(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err) {
  TCliArgs rest = args;
  const bool json = TakeCliOption(rest, kCliJsonOption);
  return RunOnDevice(options, rest, err, kCliPartitionsUsage, [out, json](TConsoleSession& session) {
    const TPartitionsModel& model = session.PartitionsModule().Model();
    if (json) {
      CliPrint(out, PartitionsJson(model));
      return 0;
    }
    for (const TVolumeRow& row : model.VolumeRows()) CliPrint(out, TabLine(row.caption, row.subItems));
    CliPrint(out, "");
    for (const TPartitionRow& row : model.PartitionRows()) CliPrint(out, TabLine(row.caption, row.subItems));
    return 0;
  });
}

int RunCliDecoder(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err) {
  return RunOnDevice(options, args, err, kCliDecoderUsage, [out, err](TConsoleSession& session) {
    const TDecoderTab* page = OpenPage<TDecoderTab>(session, err);
    if (!page) return 1;
    for (const TDecoderLine& line : page->Model().Lines()) {
      switch (line.kind) {
        case TDecoderLineKind::Spacer:
          CliPrint(out, "");
          break;
        case TDecoderLineKind::Header:
        case TDecoderLineKind::NoMatch:
          CliPrint(out, TabLine(line.left, std::array{line.right}));
          break;
        case TDecoderLineKind::Row:
          CliPrint(out, TabLine(line.capture, std::array{line.label, line.value}));
          break;
      }
    }
    CliPrint(out, "caption: " + CliSafeText(page->Caption()));
    return 0;
  });
}

int RunCliDebug(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err) {
  return RunOnDevice(options, args, err, kCliDebugUsage, [out, err](TConsoleSession& session) {
    const TDebugTab* page = OpenPage<TDebugTab>(session, err);
    if (!page) return 1;
    const std::string text = page->Tree().ToText();
    for (const std::string_view line : SplitLines(text)) {
      std::size_t depth = 0;
      while (depth < line.size() && line[depth] == '\t') ++depth;
      CliPrint(out, std::string(depth, '\t') + CliSafeText(line.substr(depth)));
    }
    CliPrint(out, "caption: " + CliSafeText(page->Caption()));
    return 0;
  });
}

int RunCliCapture(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err) {
  const bool keepSerials = args.size() == 2 && args[1] == "--keep-serials";
  if (args.empty() || args.size() > 2 || (args.size() == 2 && !keepSerials)) {
    return CliUsageError(err, "capture takes the file to write, and --keep-serials to keep serial numbers",
                         kCliCaptureUsage);
  }
  const std::unique_ptr<Machine> machine = OpenMachine(options, err);
  if (!machine) return 2;
  TMessagesToStream messages(err);
  std::string text;
  try {
    const std::string comment = options.replayFile ? "recorded by vexa-cli from " + *options.replayFile
                                                   : std::string("recorded by vexa-cli");
    text = CaptureMachineFile(*machine, {keepSerials}, comment);
  } catch (const std::exception& error) {
    CliPrint(err, Format("vexa-cli: %s", CliSafeText(error.what())));
    return 1;
  }
  ReportRealMachine(*machine, err);
  if (!WriteFileAtomically(args[0], text)) {
    CliPrint(err, Format("vexa-cli: cannot write %s", CliSafeText(args[0])));
    return 1;
  }
  CliPrint(out, Format("captured %s", CliSafeText(args[0])));
  return messages.count > 0 ? 1 : 0;
}

}  // namespace vexa
