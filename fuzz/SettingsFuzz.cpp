// Reads any bytes as an INI document and as the settings file of a session.
// The work is shared with the unit tests that replay saved inputs (tests/fuzz/).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string problem = vexa::fuzz_check::SettingsFile({data, size});
  if (!problem.empty()) {
    std::fprintf(stderr, "SettingsFuzz: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
