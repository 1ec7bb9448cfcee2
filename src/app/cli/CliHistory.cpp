#include "app/cli/CliHistory.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <system_error>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "app/cli/CliMachine.h"
#include "app/cli/CliText.h"
#include "device/DeviceManager.h"
#include "history/HistoryFormat.h"
#include "shell/Core.h"
#include "online/JsonDocument.h"
#include "support/Format.h"
#include "support/Text.h"
#include "views/ConsoleSession.h"
#include "views/HistoryKeeper.h"
#include "views/SmartHistoryGraph.h"
#include "views/SmartPageModel.h"
#include "views/SmartTab.h"

#ifdef VEXA_HAVE_CAIRO
#include "app/cli/CairoCanvas.h"
#include "benchmark/HistoryGraph.h"
#endif

namespace vexa {

namespace {

constexpr long long kLongestWatchInterval = 31LL * 24 * 3600;
constexpr std::int32_t kGraphWidth = 640, kGraphHeight = 360;

std::string UserHistoryPath() {
#ifdef _WIN32
  wchar_t path[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  return (std::filesystem::path(std::wstring(path, length)).parent_path() / "vexa.history").string();
#else
  std::filesystem::path folder;
  if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state) folder = state;
  else if (const char* home = std::getenv("HOME"); home && *home) folder = std::filesystem::path(home) / ".local/state";
  else return {};
  folder /= "vexa";
  std::error_code error;
  std::filesystem::create_directories(folder, error);  // a failure shows when the file is written
  return (folder / "vexa.history").string();
#endif
}

// The attribute an ID names among the drive's readings: an ATA id (decimal), or an
// NVMe field by key or by its id on the SMART page (the field's offset).
struct TSeriesChoice {
  std::uint8_t id = 0;
  std::string key;
};

bool ChooseSeries(const std::string& text, bool nvme, TSeriesChoice& choice) {
  std::int32_t number = 0;
  const bool isNumber = TryParseInt32(text, number);
  if (!nvme) {
    if (!isNumber || number < 1 || number > 255) return false;
    choice.id = static_cast<std::uint8_t>(number);
    return true;
  }
  if (FindNvmeHealthField(text)) {
    choice.key = text;
    return true;
  }
  for (const TNvmeHealthField& field : NvmeHealthFields()) {
    if (isNumber && field.offset == number) {
      choice.key = std::string(field.key);
      return true;
    }
  }
  return false;
}

std::string SeriesName(const TSeriesChoice& choice, const TDeviceInfo& device) {
  if (!choice.key.empty()) {
    const TNvmeHealthField* field = FindNvmeHealthField(choice.key);
    return field ? std::string(field->name) : choice.key;
  }
  const std::string_view name =
      device.smartDescriptor ? device.smartDescriptor->AttributeName(choice.id) : std::string_view();
  return Format("%.3d %s", choice.id, name);
}

// What changed from the reading before, in one cell.
std::string ChangesCell(const TSmartReading* before, const TSmartReading& reading, const TDeviceInfo& device) {
  if (!before) return "first reading";
  const TReadingChanges changes = CompareReadings(*before, reading);
  const std::vector<std::string> worse = WorseRowLines(changes, device.smartDescriptor.get());
  std::string cell = changes.rows.empty() ? "no change" : Format("%u changed", changes.rows.size());
  if (changes.firmwareChanged) cell += Format(", firmware %s → %s", before->firmware, reading.firmware);
  if (changes.verdictWorse) cell += Format(", verdict worse");
  if (!worse.empty()) cell += Format(", %u worse: %s", worse.size(), JoinText(worse, "; "));
  return cell;
}

std::string ReadingsJson(const std::vector<const TSmartReading*>& readings, const TDeviceInfo& device) {
  TJsonReader json;
  json.AddNode(jkObject, 0, "");
  AddTextNode(json, 1, "drive", readings.empty() ? DriveKey(device.model, device.serial) : readings.front()->driveKey);
  json.AddNode(jkArray, 1, "readings");
  for (std::size_t i = 0; i < readings.size(); ++i) {
    const TSmartReading& reading = *readings[i];
    json.AddNode(jkObject, 2, "");
    AddTextNode(json, 3, "time", HistoryMinuteText(reading.time));
    AddTextNode(json, 3, "model", reading.model);
    AddTextNode(json, 3, "firmware", reading.firmware);
    AddTextNode(json, 3, "descriptor", reading.descriptor);
    AddTextNode(json, 3, "verdict", SmartStatusText(reading.verdict));
    json.AddNode(jkArray, 3, "changes");
    if (i == 0) continue;
    for (const TRowChange& change : CompareReadings(*readings[i - 1], reading).rows) {
      json.AddNode(jkObject, 4, "");
      if (change.key.empty()) AddNumberNode(json, 5, "id", Format("%d", change.id));
      else AddTextNode(json, 5, "key", change.key);
      AddTextNode(json, 5, "change", RowChangeText(change));
      AddTextNode(json, 5, "worse", WorseReasonWords(change.worse));
    }
  }
  return json.ToText();
}

std::string SeriesJson(const TSeriesChoice& choice, const std::string& name, const std::vector<THistoryPoint>& points) {
  TJsonReader json;
  json.AddNode(jkObject, 0, "");
  if (choice.key.empty()) AddNumberNode(json, 1, "id", Format("%d", choice.id));
  else AddTextNode(json, 1, "key", choice.key);
  AddTextNode(json, 1, "name", name);
  json.AddNode(jkArray, 1, "points");
  for (const THistoryPoint& point : points) {
    json.AddNode(jkObject, 2, "");
    AddTextNode(json, 3, "time", HistoryMinuteText(point.time));
    if (choice.key.empty()) {
      AddNumberNode(json, 3, "current", Format("%u", point.current));
      AddNumberNode(json, 3, "worst", Format("%u", point.worst));
      AddNumberNode(json, 3, "threshold", Format("%u", point.threshold));
    }
    AddNumberNode(json, 3, "raw", DecimalText(point.raw));
  }
  return json.ToText();
}

// The drawing the SMART page's graph window shows for the same row.
bool WriteGraph(TConsoleSession& session, const TDeviceInfo& device, const TSeriesChoice& choice,
                const std::string& path, std::FILE* err) {
#ifdef VEXA_HAVE_CAIRO
  std::optional<THistoryGraphData> data;
  if (const TSmartPageRow* row = session.SmartModule().Model().FindRow(choice.id, choice.key))
    data = GraphOfRow(&session.History(), device.model, device.serial, *row);
  if (!data) {
    CliPrint(err, "vexa-cli: the drive's SMART page has no such row with readings to draw");
    return false;
  }
  TCairoCanvas canvas(kGraphWidth, kGraphHeight);
  THistoryGraph graph(canvas, nullptr);
  graph.SetData(std::move(*data));
  graph.DrawIn({0, 0, kGraphWidth, kGraphHeight});
  std::string error;
  if (canvas.SavePng(path, error)) return true;
  CliPrint(err, Format("vexa-cli: %s: %s", CliSafeText(path), error));
  return false;
#else
  (void)session;
  (void)device;
  (void)choice;
  (void)path;
  CliPrint(err, "vexa-cli: this build draws no pictures (it was built without Cairo)");
  return false;
#endif
}

// The history the session keeps, or a message why there is none to read.
const TSmartHistory* SessionHistory(TConsoleSession& session, std::FILE* err) {
  THistoryKeeper& keeper = session.History();
  const TSmartHistory* history = keeper.History();
  if (!history) {
    CliPrint(err, "vexa-cli: a replayed machine has no SMART history unless --history FILE names one");
    return nullptr;
  }
  return history;
}

}  // namespace

std::string CliHistoryPath(const TCliGlobalOptions& options) {
  if (options.historyFile) return *options.historyFile;
  if (options.userHistory && !options.replayFile) return UserHistoryPath();
  return {};
}

bool ParseWatchInterval(std::string_view text, long long& seconds) {
  long long unit = 1;
  if (!text.empty() && (text.back() == 's' || text.back() == 'm' || text.back() == 'h')) {
    unit = text.back() == 'h' ? 3600 : text.back() == 'm' ? 60 : 1;
    text.remove_suffix(1);
  }
  std::int64_t number = 0;
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos || !TryParseInt64(text, number) ||
      number < 1 || number > kLongestWatchInterval / unit)
    return false;
  seconds = number * unit;
  return true;
}

int RunCliHistory(const TCliGlobalOptions& givenOptions, const TCliArgs& args, std::FILE* out, std::FILE* err) {
  TCliArgs rest = args;
  const bool json = TakeCliOption(rest, kCliJsonOption);
  std::optional<std::string> png;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] != "--png") continue;
    if (i + 1 >= rest.size() || png) return CliUsageError(err, "--png takes one file name", kCliHistoryUsage);
    png = rest[i + 1];
    rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(i), rest.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    break;
  }
  if (rest.empty() || rest.size() > 2)
    return CliUsageError(err, "history takes a device number and an optional attribute", kCliHistoryUsage);
  if (png && rest.size() != 2) return CliUsageError(err, "--png draws one attribute: give its ID", kCliHistoryUsage);
  if (png && json) return CliUsageError(err, "--png and --json exclude each other", kCliHistoryUsage);
  TCliGlobalOptions options = givenOptions;
  options.userHistory = true;
  const std::optional<std::string> attribute = rest.size() == 2 ? std::optional(rest[1]) : std::nullopt;
  return RunOnDevice(options, {rest[0]}, err, kCliHistoryUsage, [&](TConsoleSession& session) {
    const TSmartHistory* history = SessionHistory(session, err);
    if (!history) return 2;
    const TDeviceInfo* device = session.Core().CurrentDevice();
    if (!device) return 1;
    const std::string key = DriveKey(device->model, device->serial);
    const std::vector<const TSmartReading*> readings = history->ReadingsOf(key);
    if (!attribute) {
      if (json) {
        CliPrint(out, ReadingsJson(readings, *device));
        return 0;
      }
      for (std::size_t i = 0; i < readings.size(); ++i) {
        const TSmartReading& reading = *readings[i];
        CliPrint(out, Format("%s\t%s\t%s\t%s\t%s", HistoryMinuteText(reading.time), CliSafeText(reading.descriptor),
                             CliSafeText(reading.firmware), SmartStatusText(reading.verdict),
                             CliSafeText(ChangesCell(i > 0 ? readings[i - 1] : nullptr, reading, *device))));
      }
      CliPrint(out, Format("readings: %u", readings.size()));
      return 0;
    }
    TSeriesChoice choice;
    if (!ChooseSeries(*attribute, device->IsNvme(), choice))
      return CliUsageError(err,
                           device->IsNvme()
                               ? Format("\"%s\" is no health field of this NVMe drive (a key such as media_errors, "
                                        "or its id on the SMART page)",
                                        CliSafeText(*attribute))
                               : Format("\"%s\" is no SMART attribute id (1 to 255)", CliSafeText(*attribute)),
                           kCliHistoryUsage);
    const std::vector<THistoryPoint> points =
        choice.key.empty() ? history->Series(key, choice.id) : history->Series(key, choice.key);
    const std::string name = SeriesName(choice, *device);
    if (png) return WriteGraph(session, *device, choice, *png, err) ? 0 : 1;
    if (json) {
      CliPrint(out, SeriesJson(choice, name, points));
      return 0;
    }
    CliPrint(out, CliSafeText(name));
    for (const THistoryPoint& point : points) {
      if (choice.key.empty())
        CliPrint(out, Format("%s\t%u\t%u\t%u\t%s", HistoryMinuteText(point.time), point.current, point.worst,
                             point.threshold, DecimalText(point.raw)));
      else
        CliPrint(out, Format("%s\t%s", HistoryMinuteText(point.time), DecimalText(point.raw)));
    }
    CliPrint(out, Format("readings: %u", points.size()));
    return 0;
  });
}

int RunCliWatch(const TCliGlobalOptions& givenOptions, const TCliArgs& args, std::FILE* out, std::FILE* err) {
  long long every = 600;
  long long count = 0;  // until stopped
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if (args[i] == "--every" && hasValue && ParseWatchInterval(args[i + 1], every)) {
      ++i;
    } else if (args[i] == "--count" && hasValue) {
      std::int64_t number = 0;
      if (!TryParseInt64(args[++i], number) || number < 1)
        return CliUsageError(err, "--count takes a number of rounds from 1", kCliWatchUsage);
      count = number;
    } else if (args[i] == "--every") {
      return CliUsageError(err, "--every takes a duration such as 30s, 10m or 2h (1 second to 31 days)",
                           kCliWatchUsage);
    } else {
      return CliUsageError(err, Format("unknown argument \"%s\"", CliSafeText(args[i])), kCliWatchUsage);
    }
  }
  TCliGlobalOptions options = givenOptions;
  options.userHistory = true;
  // The drives' reading counts before a round: a drive whose count grew was stored
  // this round, and only then can it have got worse this round.
  std::map<std::string, std::size_t> counts;
  const auto countReadings = [&counts](THistoryKeeper& keeper) {
    counts.clear();
    if (const TSmartHistory* history = keeper.History()) {
      for (const TSmartReading& reading : history->Readings()) ++counts[reading.driveKey];
    }
  };
  bool anyWorse = false;
  const auto report = [&](TConsoleSession& session) {
    THistoryKeeper& keeper = session.History();
    for (int i = 0; i < session.DeviceCount(); ++i) {
      const TDeviceInfo& device = *session.Devices().Device(i);
      const std::string key = DriveKey(device.model, device.serial);
      const TSmartHistory* history = keeper.History();
      if (!history) continue;
      const std::vector<const TSmartReading*> readings = history->ReadingsOf(key);
      if (readings.size() < 2 || readings.size() <= counts[key]) continue;
      const TReadingChanges changes = CompareReadings(*readings[readings.size() - 2], *readings.back());
      if (!changes.AnyWorse()) continue;
      anyWorse = true;
      std::vector<std::string> lines = WorseRowLines(changes, device.smartDescriptor.get());
      if (changes.verdictWorse)
        lines.push_back(Format("verdict %s → %s", SmartStatusText(changes.oldVerdict), SmartStatusText(changes.newVerdict)));
      CliPrint(out, Format("%s%d\t%s\t%s\t%s", DeviceToken(device), device.number, CliSafeText(device.GetDisplayName()),
                           HistoryMinuteText(readings.back()->time), CliSafeText(JoinText(lines, "; "))));
    }
    std::fflush(out);
  };
  const int status = RunOnMachine(
      options, err,
      [&](TConsoleSession& session) {
        if (!session.History().Enabled()) {
          CliPrint(err, "vexa-cli: watch records into a SMART history: name one with --history FILE (and keep "
                        "history.enabled on)");
          return 2;
        }
        report(session);
        for (long long round = 1; count == 0 || round < count; ++round) {
          std::this_thread::sleep_for(std::chrono::seconds(every));
          countReadings(session.History());
          session.Rescan();
          report(session);
        }
        return 0;
      },
      [&](TConsoleSession& session) {
        countReadings(session.History());
        return 0;
      });
  return status == 0 && anyWorse ? kCliExitWorse : status;
}

}  // namespace vexa
