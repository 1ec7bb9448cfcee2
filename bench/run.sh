#!/usr/bin/env bash
# Builds the benchmarks in an optimised native build (build/bench) and runs them;
# arguments go to the benchmark program, e.g. --benchmark_filter=Identify.
# Timings of the Debug presets mean little; figures are taken here.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
build=${VEXA_BENCH_BUILD:-build/bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DVEXA_TESTS=OFF >/dev/null
cmake --build "$build" -j "${VEXA_JOBS:-$(nproc)}" --target vexa_bench
"$build/bench/vexa_bench" "$@"
