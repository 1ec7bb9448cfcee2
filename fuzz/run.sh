#!/usr/bin/env bash
# Builds the fuzz targets with clang (installed with apt-get when missing), under
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs one of them for a while.
#   usage: fuzz/run.sh TARGET [SECONDS] [libFuzzer options...]
#   TARGET: RegExFuzz, SmartFuzz or IdentifyFuzz; SECONDS defaults to 60.
# The growing corpus is kept in the build directory, seeded from fuzz/seeds/TARGET;
# a crashing input is written there too (crash-*), to be kept as a regression test
# under tests/knowledge/fuzz-regressions/ once fixed.
#   VEXA_FUZZ_BUILD: build directory (default build/fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: fuzz/run.sh RegExFuzz|SmartFuzz|IdentifyFuzz [SECONDS] [libFuzzer options...]}
seconds=${2:-60}
shift $(( $# < 2 ? $# : 2 ))
build=${VEXA_FUZZ_BUILD:-build/fuzz}

if ! command -v clang++ >/dev/null; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  echo "fuzz: installing clang" >&2
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends clang cmake ninja-build >/dev/null
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVEXA_SANITIZE=ON -DVEXA_FUZZ=ON -DVEXA_TESTS=OFF >/dev/null
cmake --build "$build" -j "${VEXA_JOBS:-2}" --target "$target"

corpus="$build/corpus/$target"
artifacts="$build/artifacts/$target"
mkdir -p "$corpus" "$artifacts"
seeds=()
[ -d "fuzz/seeds/$target" ] && seeds=("fuzz/seeds/$target")
options=()
[ -f "fuzz/$target.dict" ] && options+=("-dict=fuzz/$target.dict")
case "$target" in
  RegExFuzz) options+=(-max_len=4096) ;;      # long subjects come from the repeat flag
  SmartFuzz | IdentifyFuzz) options+=(-max_len=1024) ;;
esac
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  "$build/fuzz/$target" "${options[@]}" -max_total_time="$seconds" -timeout=20 \
  -artifact_prefix="$artifacts/" "$@" "$corpus" "${seeds[@]}"
