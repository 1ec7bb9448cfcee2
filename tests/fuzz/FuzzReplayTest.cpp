// The fuzz targets' checks on their seeds (fuzz/seeds/TARGET/) and on every input a
// fuzzing run once found (tests/fuzz/regressions/TARGET/), so a fault once fixed
// stays fixed without a fuzzer in the build.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/FuzzChecks.h"

namespace vexa {
namespace {

using TCheck = std::string (*)(fuzz_check::TInput);

void ReplayAll(const char* target, TCheck check) {
  const std::filesystem::path root(VEXA_SOURCE_DIR);
  int count = 0;
  for (const auto& dir : {root / "fuzz/seeds" / target, root / "tests/fuzz/regressions" / target}) {
    if (!std::filesystem::is_directory(dir)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      std::ifstream in(entry.path(), std::ios::binary);
      const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      EXPECT_EQ(check(bytes), "") << entry.path().filename();
      ++count;
    }
  }
  EXPECT_GT(count, 0) << target << " has no seeds";
}

TEST(FuzzReplay, MachineFiles) { ReplayAll("MachineFileFuzz", fuzz_check::MachineFile); }
TEST(FuzzReplay, SettingsFiles) { ReplayAll("SettingsFuzz", fuzz_check::SettingsFile); }
TEST(FuzzReplay, CommandLines) { ReplayAll("CommandLineFuzz", fuzz_check::CommandLine); }
TEST(FuzzReplay, StorageReplies) { ReplayAll("StorageRepliesFuzz", fuzz_check::StorageReplies); }

}  // namespace
}  // namespace vexa
