// vexa-cli bench: runs one benchmark program on a device exactly as the Benchmark
// page runs it, and prints what its drawing shows, one tab-separated line per
// measured object in the engine's order:
//   iops<TAB>KIND<TAB>BLOCKSIZE<TAB>QUEUEDEPTH<TAB>COMPLETED<TAB>IOPS<TAB>BYTESPERSECOND
//   samples<TAB>KIND<TAB>BLOCKSIZE<TAB>QUEUEDEPTH<TAB>COUNT<TAB>MINIMUM<TAB>AVERAGE<TAB>MAXIMUM
// and after the samples of an access-time run p<TAB>P50<TAB>P90<TAB>P99<TAB>P999 in
// microseconds. A device that cannot be benchmarked prints nothing. --png writes the
// page's drawing after the run.
#pragma once

#include <cstdio>
#include <string_view>

#include "app/cli/CliCommands.h"

namespace vexa {

inline constexpr std::string_view kCliBenchUsage = "bench N PROGRAM [--png FILE] [--random-offsets]  (with --real: N or a PATH to a file or block device)";

int RunCliBench(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err);

}  // namespace vexa
