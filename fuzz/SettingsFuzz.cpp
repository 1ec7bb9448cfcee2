// Reads any bytes as an INI document and as the settings file of a session.
// The work is shared with the unit tests that replay saved inputs (tests/fuzz/).
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vexa::fuzz_check::AbortOnProblem("SettingsFuzz", vexa::fuzz_check::SettingsFile({data, size}));
  return 0;
}
