// The identification of one drive (model table, brand, firmware table, company id),
// done once per drive on every rescan. The worst case is a model string no row
// matches: every pattern of the 302 rows is tried against it. Beside it, the same
// look-ups through std::regex with the patterns translated, compiled once as well:
// its counter "engine_speedup" is how many times faster the pattern engine is.
#include <benchmark/benchmark.h>

#include <chrono>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "knowledge/RegExSimple.h"

#include "knowledge/KnownDevices.h"
#include "support/Text.h"

namespace vexa {
namespace {

struct TDrive {
  const char* model;
  const char* firmware;
  std::uint64_t wwn;
};

// Indexed by the benchmark's argument.
constexpr TDrive kDrives[] = {
    {"Generic Flash Disk 0123456789 ABCDEFGH", "1.00", 0},              // no row, no firmware row
    {"WDC WD10EZEX-08M2NA0", "01.01A01", 0x50014EE2B5A1C3D4ull},       // no row, brand from the WWN
    {"Samsung SSD 850 PRO 256GB", "EXM02B6Q", 0},                       // row 1
    {"SAMSUNG MZ7PA256HMDR-010H1", "AXM09B1Q", 0},                      // row 11, the first pattern row
    {"KINGSTON SV300S37A120G", "505ABBF0", 0},                          // a row in the middle
    {"APPLE SSD TS128C", "CJAA0201", 0},                                // row 301, near the end
};

void IdentifyDrive(benchmark::State& state) {
  const TDrive& drive = kDrives[state.range(0)];
  TKnownDevicesDB db;
  for (auto _ : state) {
    const TKnownIdentification found = db.Identify(drive.model, drive.firmware, drive.wwn);
    benchmark::DoNotOptimize(found);
  }
  state.SetLabel(drive.model);
}
BENCHMARK(IdentifyDrive)->DenseRange(0, static_cast<int>(std::size(kDrives)) - 1)->Unit(benchmark::kMicrosecond);

// The engine's dialect in ECMAScript: \a and \x have no counterpart there.
std::string ToEcmaScript(std::string_view pattern) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '\\' && i + 1 < pattern.size()) {
      const char letter = pattern[++i];
      if (letter == 'a') out += "[A-Za-z]";
      else if (letter == 'A') out += "[^A-Za-z]";
      else if (letter == 'x') out += "[0-9A-Fa-f]";
      else if (letter == 'X') out += "[^0-9A-Fa-f]";
      else out += {'\\', letter};
    } else {
      out += pattern[i];
    }
  }
  return out;
}

template <std::size_t N>
std::vector<std::optional<std::regex>> CompileStd(const std::array<TKnownDevice, N>& rows) {
  std::vector<std::optional<std::regex>> compiled;
  for (const TKnownDevice& row : rows) {
    if (row.pattern) compiled.emplace_back(std::regex(ToEcmaScript(row.pattern), std::regex::icase));
    else compiled.emplace_back();
  }
  return compiled;
}

// TKnownDevicesDB::Identify with std::regex_search in place of the engine.
TKnownIdentification IdentifyWithStdRegex(std::string_view model, std::string_view firmware, std::uint64_t wwn) {
  static const auto models = CompileStd(KnownModels);
  static const auto firmwares = CompileStd(KnownFirmwares);
  static const auto names = [] {
    std::vector<std::string> upper;
    for (const TKnownDevice& row : KnownModels)
      upper.push_back(row.modelName ? UpperAscii(std::string(row.brandName) + " " + row.modelName) : "");
    return upper;
  }();
  const std::string modelText(model), firmwareText(firmware), upperModel = UpperAscii(model);
  TKnownIdentification result;
  for (std::size_t i = 0; i < KnownModels.size() && !result.row; ++i) {
    const TKnownDevice& row = KnownModels[i];
    if (models[i] ? std::regex_search(modelText, *models[i])
                  : row.modelName && upperModel.find(names[i]) != std::string::npos) {
      result.row = &row;
    }
  }
  if (!result.row) {
    result.brandIndex = TKnownDevicesDB::BrandNamedIn(model);
    for (std::size_t i = 0; i < KnownFirmwares.size() && !result.row; ++i)
      if (firmwares[i] && std::regex_search(firmwareText, *firmwares[i])) result.row = &KnownFirmwares[i];
  }
  if (result.row && result.brandIndex == 0) result.brandIndex = result.row->brandIndex;
  if (result.brandIndex == 0) result.brandIndex = TKnownDevicesDB::BrandFromCompanyId(TKnownDevicesDB::CompanyIdFromWwn(wwn));
  return result;
}

template <typename TIdentify>
double SecondsPerCall(int calls, TIdentify identify) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; ++i) benchmark::DoNotOptimize(identify());
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / calls;
}

void IdentifyDriveStdRegex(benchmark::State& state) {
  const TDrive& drive = kDrives[state.range(0)];
  TKnownDevicesDB db;
  const TKnownIdentification expected = db.Identify(drive.model, drive.firmware, drive.wwn);
  const TKnownIdentification found = IdentifyWithStdRegex(drive.model, drive.firmware, drive.wwn);
  if (found.row != expected.row || found.brandIndex != expected.brandIndex) {
    state.SkipWithError("std::regex identifies this drive otherwise");
    return;
  }
  const double engine = SecondsPerCall(200, [&] { return db.Identify(drive.model, drive.firmware, drive.wwn); });
  const double standard =
      SecondsPerCall(20, [&] { return IdentifyWithStdRegex(drive.model, drive.firmware, drive.wwn); });
  for (auto _ : state) benchmark::DoNotOptimize(IdentifyWithStdRegex(drive.model, drive.firmware, drive.wwn));
  state.counters["engine_speedup"] = standard / engine;
  state.SetLabel(drive.model);
}
BENCHMARK(IdentifyDriveStdRegex)->DenseRange(0, static_cast<int>(std::size(kDrives)) - 1)->Unit(benchmark::kMicrosecond);

// The same look-up with the engine's pattern left as it is: the cost of matching alone.
void MatchCompiledPattern(benchmark::State& state) {
  TRegExSimple engine("LITEONIT LMT-(\\d+)M6M mSATA", true);
  const std::string subject = "Generic Flash Disk 0123456789 ABCDEFGH";
  for (auto _ : state) benchmark::DoNotOptimize(engine.Match(subject));
}
BENCHMARK(MatchCompiledPattern);

// Compiling a typical model pattern.
void CompilePattern(benchmark::State& state) {
  const char* patterns[] = {"MZ7PA(\\d+)H\\a{3}", "LITEONIT LMT-(\\d+)M6M mSATA"};
  TRegExSimple engine("", true);
  int next = 0;
  for (auto _ : state) {
    engine.SetPattern(patterns[next]);
    next ^= 1;
  }
}
BENCHMARK(CompilePattern);

}  // namespace
}  // namespace vexa
