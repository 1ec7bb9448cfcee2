#include "app/cli/CliBench.h"

#include <memory>
#include <exception>
#include <optional>
#include <string>

#include "app/cli/CliMachine.h"
#include "app/cli/CliText.h"
#include "benchmark/BenchmarkPrograms.h"
#include "benchmark/BenchmarkTab.h"
#include "support/Format.h"
#include "views/ConsoleSession.h"
#ifdef VEXA_HAVE_CAIRO
#include "app/cli/CairoCanvas.h"
#endif
#ifdef VEXA_HAVE_LINUX_MACHINE
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "platform/StorageLayout.h"
#include "platform/linux/LinuxMachine.h"
#include "support/Bytes.h"
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

// The error of the first run of the program that a failed read cut short.
std::uint32_t FirstReadError(const TBenchmarkEntry& entry) {
  for (const TDriveBenchmark* run : {&entry.transfer, &entry.access, &entry.queuedTransfer}) {
    if (run->readError != 0) return run->readError;
  }
  for (const auto& run : entry.mixed) {
    if (run && run->readError != 0) return run->readError;
  }
  for (const auto& run : entry.queued) {
    if (run && run->readError != 0) return run->readError;
  }
  return 0;
}

}  // namespace

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
  const std::int64_t average = latency ? benchmark.latencyAverage : benchmark.rateAverage;
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

#ifdef VEXA_HAVE_LINUX_MACHINE

constexpr std::uint64_t kSmallestMeasurable = 4096;

// Why PATH cannot be measured, in a line that names it; empty when it can.
std::string RealPathProblem(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return Format("%s: %s", path, std::strerror(errno));
  if (S_ISDIR(info.st_mode)) return Format("%s: is a folder, not a file or a block device", path);
  if (!S_ISREG(info.st_mode) && !S_ISBLK(info.st_mode)) {
    return Format("%s: is neither a regular file nor a block device", path);
  }
  LinuxMachine probe;
  const THandle handle = probe.Open(path, BenchmarkOpenMode(false));
  if (handle == kInvalidHandle) {
    if (probe.LastOpenError() == kErrorInvalidParameter) {
      return Format("%s: its file system refuses unbuffered reads (O_DIRECT), as tmpfs does; "
                    "put the file on a disk's file system",
                    path);
    }
    return Format("%s: cannot be opened: %s", path, probe.ErrorMessage(probe.LastOpenError()));
  }
  std::array<std::uint8_t, storage::lengthinfo::kSize> length{};
  const bool known = probe.Control(handle, storage::kIoctlDiskGetLengthInfo, {}, length).ok;
  probe.Close(handle);
  const std::uint64_t size = known ? GetU64(length, 0) : 0;
  if (size < kSmallestMeasurable) {
    return Format("%s: %u bytes is too small to measure (at least %u)", path, size, kSmallestMeasurable);
  }
  return {};
}

// Ctrl+C (or a termination request) aborts the machine's reads, so the run ends at
// its next read and everything is torn down in order.
std::atomic<LinuxMachine*> interruptible{nullptr};
volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) {
  interrupted = 1;
  if (LinuxMachine* machine = interruptible.load()) machine->Abort();
}

class TInterruptGuard {
public:
  explicit TInterruptGuard(LinuxMachine& machine) {
    interrupted = 0;
    interruptible.store(&machine);
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &oldInt);
    sigaction(SIGTERM, &action, &oldTerm);
  }
  ~TInterruptGuard() {
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
    interruptible.store(nullptr);
  }
  TInterruptGuard(const TInterruptGuard&) = delete;
  TInterruptGuard& operator=(const TInterruptGuard&) = delete;

private:
  struct sigaction oldInt {};
  struct sigaction oldTerm {};
};

bool Interrupted() { return interrupted != 0; }

#else

bool Interrupted() { return false; }

#endif

}  // namespace

int RunCliBench(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err) {
  std::optional<std::string> png;
  bool randomOffsets = false;
  TCliArgs positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--random-offsets") {
      randomOffsets = true;
    } else if (args[i] == "--png") {
      if (i + 1 >= args.size() || png) return CliUsageError(err, "--png takes one file name", kCliBenchUsage);
      png = args[++i];
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 2) {
    return CliUsageError(err, options.real ? "bench --real takes a device number or a path, and a program" : "bench takes a device number and a program",
                         kCliBenchUsage);
  }
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
  // With --real, a number is a drive of this PC as the other commands count them;
  // anything else is a file or block device to measure.
  const bool realPath = options.real && positional[0].find_first_not_of("0123456789") != std::string::npos;
  const auto work = [&](TConsoleSession& session) {
    int position = 0;
    if (realPath) {
      if (session.DeviceCount() < 1) return 1;
    } else if (!ParseDevicePosition(positional[0], session.DeviceCount(), position)) {
      return CliUsageError(err,
                           Format("\"%s\" is not a device number: the machine has %d devices, numbered from 1",
                                  positional[0], session.DeviceCount()),
                           kCliBenchUsage);
    }
    session.Select(position);
    if (VEXA_ISATTY(VEXA_FILENO(err))) page->progress = err;
    page->ChooseProgram(program);
    if (page->Current()) {
      for (auto& iops : page->Current()->queued) iops->randomOffsets = randomOffsets;
    }
    const bool ran = page->RunProgram();
    if (page->progress) std::fputs("\r", err);
    if (!ran || Interrupted()) return 0;
    PrintResults(out, *page->Current(), program);
    if (png && !WritePicture(*page, *png, err)) return 1;
    // A read that failed ends its run early: the figures above stop there.
    if (const std::uint32_t error = FirstReadError(*page->Current()); error != 0) {
      const std::string message = session.TheMachine().ErrorMessage(error);
      CliPrint(err, Format("vexa-cli: a read failed with error %u%s: the figures stop where it did", error,
                           message.empty() ? std::string() : " (" + CliSafeText(message) + ")"));
      return 1;
    }
    return 0;
  };
  if (!options.real) return RunOnMachine(options, err, work, prepare);
#ifdef VEXA_HAVE_LINUX_MACHINE
  if (!realPath) {
    std::unique_ptr<LinuxMachine> machine;
    try {
      machine = LinuxMachine::OfThisPc();
    } catch (const std::exception& error) {
      CliPrint(err, Format("vexa-cli: this PC's drives cannot be described: %s", error.what()));
      return 2;
    }
    TInterruptGuard guard(*machine);
    const int status = RunOnGivenMachine(*machine, options, err, work, prepare);
    ReportRealMachine(*machine, err);
    if (interrupted) {
      CliPrint(err, "vexa-cli: interrupted");
      return 130;
    }
    return status;
  }
  const std::string& path = positional[0];
  if (const std::string problem = RealPathProblem(path); !problem.empty()) {
    CliPrint(err, "vexa-cli: " + problem);
    return 2;
  }
  // The program finds the file or device as its first physical drive.
  LinuxMachine machine({{"\\\\.\\PhysicalDrive0", path}});
  TInterruptGuard guard(machine);
  const int status = RunOnGivenMachine(machine, options, err, work, prepare);
  if (interrupted) {
    CliPrint(err, "vexa-cli: interrupted");
    return 130;
  }
  return status;
#else
  CliPrint(err, "vexa-cli: --real needs the Linux build with liburing; on Windows give the device number without it");
  return 2;
#endif
}

}  // namespace vexa
