// The identification of one drive (model table, brand, firmware table, company id),
// done once per drive on every rescan. The worst case is a model string no row
// matches: every pattern of the 302 rows is tried against it.
#include <benchmark/benchmark.h>

#include <string>

#include "knowledge/KnownDevices.h"

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
