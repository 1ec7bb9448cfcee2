#!/usr/bin/env bash
# vexa-collector's pages over 100 000 generated reports, in SQLite and, when
# PostgreSQL's server programs are installed, in a throw-away cluster
# (collector/tests/with-postgres.sh): builds the benchmark in the optimised build
# (build/bench) and runs it; arguments go to the benchmark program, e.g.
# --benchmark_filter=BigModel (without any, five runs of each page and their mean
# and median, which a machine busy with other work needs). Target: every page under
# 50 ms.
set -euo pipefail
[ $# -gt 0 ] || set -- --benchmark_min_time=0.5 --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
cd "$(dirname "$0")/.."
tools/setup.sh
build=${VEXA_BENCH_BUILD:-build/bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DVEXA_TESTS=OFF >/dev/null
cmake --build "$build" -j "${VEXA_JOBS:-$(nproc)}" --target vexa_collector_bench
echo "== SQLite"
"$build/bench/vexa_collector_bench" "$@"
if ls /usr/lib/postgresql/*/bin/initdb >/dev/null 2>&1; then
  echo "== PostgreSQL"
  bash collector/tests/with-postgres.sh "$build/bench/vexa_collector_bench" "$@"
else
  echo "== PostgreSQL: skipped, its server programs are not installed (tools/setup.sh)"
fi
