#!/usr/bin/env bash
# Builds the fuzz targets with clang (installed with apt-get when missing), under
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs them.
#   usage: fuzz/run.sh TARGET [SECONDS] [libFuzzer options...]
#          fuzz/run.sh --all MINUTES [TARGET...]
# The first form runs one target (SECONDS defaults to 60). The second runs every
# target (or the ones named) in turn for MINUTES each and prints one summary line
# per target: executions, coverage, corpus and crashes; it fails when any crashed.
# The growing corpus is kept in the build directory, seeded from fuzz/seeds/TARGET
# (and samples/ for MachineFileFuzz); a crashing input is written there too
# (artifacts/TARGET/crash-*), to be kept under tests/fuzz/regressions/TARGET/ (or
# tests/knowledge/fuzz-regressions/ for the pattern engine) once fixed.
#   VEXA_FUZZ_BUILD: build directory (default build/fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
targets=(RegExFuzz SmartFuzz IdentifyFuzz MachineFileFuzz SettingsFuzz CommandLineFuzz StorageRepliesFuzz NvmeFuzz PartitionTableFuzz)
usage="usage: fuzz/run.sh TARGET [SECONDS] [libFuzzer options...] | fuzz/run.sh --all MINUTES [TARGET...]"
build=${VEXA_FUZZ_BUILD:-build/fuzz}

if ! command -v clang++ >/dev/null; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  echo "fuzz: installing clang" >&2
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends clang cmake ninja-build >/dev/null
fi

build_targets() {
  cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVEXA_SANITIZE=ON -DVEXA_FUZZ=ON -DVEXA_TESTS=OFF >/dev/null
  cmake --build "$build" -j "${VEXA_JOBS:-2}" --target "$@"
}

# run_target TARGET SECONDS [libFuzzer options...]
run_target() {
  local target=$1 seconds=$2
  shift 2
  local corpus="$build/corpus/$target" artifacts="$build/artifacts/$target"
  mkdir -p "$corpus" "$artifacts"
  local seeds=() options=()
  [ -d "fuzz/seeds/$target" ] && seeds+=("fuzz/seeds/$target")
  [ "$target" = MachineFileFuzz ] && seeds+=(samples)
  [ -f "fuzz/$target.dict" ] && options+=("-dict=fuzz/$target.dict")
  case "$target" in
    RegExFuzz) options+=(-max_len=4096) ;;      # long subjects come from the repeat flag
    MachineFileFuzz) options+=(-max_len=16384) ;;
    NvmeFuzz) options+=(-max_len=4096) ;;       # the power states lie past 2048
    *) options+=(-max_len=1024) ;;
  esac
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$build/fuzz/$target" "${options[@]}" -max_total_time="$seconds" -timeout=20 \
    -artifact_prefix="$artifacts/" "$@" "$corpus" "${seeds[@]}"
}

if [ "${1:-}" = --all ]; then
  minutes=${2:?$usage}
  shift 2
  [ $# -gt 0 ] && targets=("$@")
  build_targets "${targets[@]}"
  logs="$build/logs"
  mkdir -p "$logs"
  summary=()
  crashed=0
  for target in "${targets[@]}"; do
    echo "fuzz: $target for $minutes minutes" >&2
    mkdir -p "$build/artifacts/$target" "$build/corpus/$target"
    before=$(find "$build/artifacts/$target" -type f | wc -l)
    status=0
    run_target "$target" $((minutes * 60)) -print_final_stats=1 >"$logs/$target.log" 2>&1 || status=$?
    after=$(find "$build/artifacts/$target" -type f | wc -l)
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$logs/$target.log" | grep -o '[0-9]*$' || true)
    cov=$(grep -o 'cov: [0-9]*' "$logs/$target.log" | tail -1 | grep -o '[0-9]*' || true)
    corpus=$(find "$build/corpus/$target" -type f | wc -l)
    crashes=$((after - before))
    [ "$status" -ne 0 ] && [ "$crashes" -eq 0 ] && crashes=1
    [ "$crashes" -gt 0 ] && crashed=1
    summary+=("$(printf '%-20s %4s min  runs %-10s cov %-6s corpus %-6s crashes %s' "$target" "$minutes" \
      "${runs:-?}" "${cov:-?}" "$corpus" "$crashes")")
  done
  printf '%s\n' "${summary[@]}"
  exit "$crashed"
fi

target=${1:?$usage}
seconds=${2:-60}
shift $(($# < 2 ? $# : 2))
build_targets "$target"
run_target "$target" "$seconds" "$@"
