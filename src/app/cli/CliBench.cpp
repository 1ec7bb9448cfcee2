#include "app/cli/CliBench.h"

#include <memory>
#include <optional>
#include <string>

#include "app/cli/CliMachine.h"
#include "benchmark/BenchmarkPrograms.h"
#include "benchmark/BenchmarkTab.h"
#include "support/Format.h"
#include "views/ConsoleSession.h"
#ifdef VEXA_HAVE_CAIRO
#include "app/cli/CairoCanvas.h"
#endif
#ifdef _WIN32
#include <io.h>
#define VEXA_ISATTY _isatty
#define VEXA_FILENO _fileno
#else
#include <unistd.h>
#define VEXA_ISATTY isatty
#define VEXA_FILENO fileno
#endif

namespace vexa {

namespace {

// The page without a window: progress goes to the error stream when a person
// watches it there, and nothing else is shown.
class TCliBenchmarkTab : public TBenchmarkTab {
public:
  static constexpr std::string_view kClassName = "TBenchmarkTab";
  static constexpr bool kNeedsSheet = true;
  explicit TCliBenchmarkTab(std::unique_ptr<TSheet> sheet) : TBenchmarkTab(std::move(sheet)) {}

  std::FILE* progress = nullptr;

protected:
  void ProcessMessages() override {
    const TBenchmarkEntry* entry = Current();
    if (!progress || !entry) return;
    for (const TDriveBenchmark* benchmark : {&entry->transfer, &entry->access, &entry->queuedTransfer}) {
      if (benchmark->running) {
        std::fprintf(progress, "\r%d / %u ", benchmark->count, benchmark->sampleCount);
        std::fflush(progress);
      }
    }
  }
};

std::string IopsLine(const TDriveIops& iops) {
  return Format("iops\t%d\t%u\t%d\t%u\t%d\t%d", int{iops.kind}, iops.blockSize, iops.queueDepth, iops.completed, iops.iops,
                iops.bytesPerSecond);
}

void PrintSamples(std::FILE* out, TDriveBenchmark& benchmark) {
  benchmark.ComputeStats();
  const bool latency = benchmark.kind == bkAccessTime;
  const std::int64_t average = latency ? benchmark.latencyAverage : TruncateTo<std::int64_t>(benchmark.rateAverage);
  CliPrint(out, Format("samples\t%d\t%u\t%d\t%d\t%d\t%d\t%d", int{benchmark.kind}, benchmark.blockSize,
                       benchmark.queueDepth, benchmark.count, benchmark.minimum, average, benchmark.maximum));
  if (latency) {
    const auto p = LatencyPercentiles(benchmark);
    CliPrint(out, Format("p\t%d\t%d\t%d\t%d", p[0], p[1], p[2], p[3]));
  }
}

void PrintQueueSeries(std::FILE* out, const TBenchmarkEntry& entry) {
  for (const auto& iops : entry.queued) CliPrint(out, IopsLine(*iops));
}

// The measured objects of a program, in the order the program runs them.
void PrintResults(std::FILE* out, TBenchmarkEntry& entry, int program) {
  switch (program) {
    case bpOverview:
      PrintSamples(out, entry.access);
      PrintQueueSeries(out, entry);
      CliPrint(out, IopsLine(*entry.mixed[3]));
      PrintSamples(out, entry.transfer);
      break;
    case bpQueueDepth: PrintQueueSeries(out, entry); break;
    case bpTransfer: PrintSamples(out, entry.transfer); break;
    case bpAccessTime: PrintSamples(out, entry.access); break;
    case bpQueuedTransfer: PrintSamples(out, entry.queuedTransfer); break;
    default:
      for (const auto& iops : entry.mixed) CliPrint(out, IopsLine(*iops));
      break;
  }
}

bool WritePicture(TBenchmarkTab& page, const std::string& path, std::FILE* err) {
#ifdef VEXA_HAVE_CAIRO
  TCairoCanvas canvas(kBenchmarkDefaultWidth, kBenchmarkDefaultHeight);
  page.SetDrawingSize(kBenchmarkDefaultWidth, kBenchmarkDefaultHeight);
  page.DrawActive(&canvas);
  std::string error;
  if (canvas.SavePng(path, error)) return true;
  CliPrint(err, Format("vexa-cli: %s: %s", path, error));
  return false;
#else
  (void)page;
  (void)path;
  CliPrint(err, "vexa-cli: this build draws no pictures (it was built without Cairo)");
  return false;
#endif
}

}  // namespace

int RunCliBench(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err) {
  std::optional<std::string> png;
  TCliArgs positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--png") {
      if (i + 1 >= args.size() || png) return CliUsageError(err, "--png takes one file name", kCliBenchUsage);
      png = args[++i];
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 2) return CliUsageError(err, "bench takes a device number and a program", kCliBenchUsage);
  const std::string& programText = positional[1];
  if (programText.size() != 1 || programText[0] < '0' || programText[0] > '5') {
    return CliUsageError(err, Format("\"%s\" is not a program: 0 to 5", programText), kCliBenchUsage);
  }
  const int program = programText[0] - '0';
  TCliBenchmarkTab* page = nullptr;
  // The page is a start module of the window: it exists before --set names its settings.
  const auto prepare = [&](TConsoleSession& session) {
    page = dynamic_cast<TCliBenchmarkTab*>(session.Tabs().Add(TabClassOf<TCliBenchmarkTab>()));
    if (!page) CliPrint(err, "vexa-cli: the Benchmark page could not be opened");
    return page ? 0 : 1;
  };
  const auto work = [&](TConsoleSession& session) {
    int position = 0;
    if (!ParseDevicePosition(positional[0], session.DeviceCount(), position)) {
      return CliUsageError(err,
                           Format("\"%s\" is not a device number: the machine has %d devices, numbered from 1",
                                  positional[0], session.DeviceCount()),
                           kCliBenchUsage);
    }
    session.Select(position);
    if (VEXA_ISATTY(VEXA_FILENO(err))) page->progress = err;
    page->ChooseProgram(program);
    const bool ran = page->RunProgram();
    if (page->progress) std::fputs("\r", err);
    if (!ran) return 0;
    PrintResults(out, *page->Current(), program);
    if (png && !WritePicture(*page, *png, err)) return 1;
    return 0;
  };
  return RunOnMachine(options, err, work, prepare);
}

}  // namespace vexa
