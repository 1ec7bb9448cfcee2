// The fuzz targets' checks on their seeds (fuzz/seeds/TARGET/) and on every input a
// fuzzing run once found (tests/fuzz/regressions/TARGET/), so a fault once fixed
// stays fixed without a fuzzer in the build; the machine-file check also on every
// machine file of the repository.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/FuzzChecks.h"

namespace vexa {
namespace {

using TCheck = std::string (*)(fuzz_check::TInput);
using TPaths = std::vector<std::filesystem::path>;

const std::filesystem::path kRoot(VEXA_SOURCE_DIR);

// The target's seeds (fuzz/seeds/TARGET/) and saved finds (tests/fuzz/regressions/TARGET/).
TPaths Inputs(const char* target) {
  TPaths paths;
  for (const auto& dir : {kRoot / "fuzz/seeds" / target, kRoot / "tests/fuzz/regressions" / target}) {
    if (!std::filesystem::is_directory(dir)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) paths.push_back(entry.path());
  }
  return paths;
}

void ReplayAll(const char* target, TCheck check, TPaths paths = {}) {
  for (const auto& path : Inputs(target)) paths.push_back(path);
  for (const auto& path : paths) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(check(bytes), "") << path;
  }
  EXPECT_GT(paths.size(), 0u) << target << " has no seeds";
}

// Every machine file kept beside the code: the samples and the tests' own.
TPaths RepositoryMachineFiles() {
  TPaths paths;
  for (const char* dir : {"samples", "tests"}) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kRoot / dir)) {
      if (entry.is_regular_file() && entry.path().extension() == ".machine") paths.push_back(entry.path());
    }
  }
  return paths;
}

// The machine files run through the same check as the fuzzer's finds, so every one
// of them is also captured and replayed.
TEST(FuzzReplay, MachineFiles) {
  const TPaths files = RepositoryMachineFiles();
  EXPECT_GE(files.size(), 4u);
  ReplayAll("MachineFileFuzz", fuzz_check::MachineFile, files);
}
TEST(FuzzReplay, SettingsFiles) { ReplayAll("SettingsFuzz", fuzz_check::SettingsFile); }
TEST(FuzzReplay, CommandLines) { ReplayAll("CommandLineFuzz", fuzz_check::CommandLine); }
TEST(FuzzReplay, StorageReplies) { ReplayAll("StorageRepliesFuzz", fuzz_check::StorageReplies); }

}  // namespace
}  // namespace vexa
