#!/usr/bin/env bash
# Builds everything and runs every test: the native build, the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the 32-bit and 64-bit Windows
# builds with their tests (unit, Windows-only, end-to-end) under Wine. Installs
# what it needs.
#   usage: tools/test.sh [native|asan|windows|windows64 ...]   (default: all four)
# The 64-bit Windows tests run on every x86-64 machine (64-bit Wine needs no 32-bit
# code) and never skip: when 64-bit Wine cannot start, the run fails with the
# reason. The 32-bit ones need a kernel that runs 32-bit programs; elsewhere that
# build is still made and checked, and the output says which tests were skipped.
# The native tests include vm-drives, which boots an emulated PC full of drives
# (tools/drives-vm.sh; qemu comes with tools/setup.sh) and fails when it cannot.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(native asan windows windows64)
jobs=$(nproc)
export CCACHE_DIR=${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/vexa/ccache} CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
wants() { printf '%s\n' "${presets[@]}" | grep -qx "$1"; }

failed=()
skipped=()
wine32=yes
if wants windows && ! tools/runs-win32.sh; then
  wine32=no
  skipped+=("windows: every test under Wine (this kernel cannot run 32-bit programs)")
fi
if wants windows64; then
  # Made before the build, so a Wine that cannot start fails the run at once.
  if ! tools/wine-prefix.sh win64 >/dev/null; then
    echo "FAILED: 64-bit Wine cannot start on this machine, so vexa.exe cannot be tested (see above)" >&2
    exit 1
  fi
fi
[ "$wine32" = yes ] && wants windows && tools/wine-prefix.sh win32 >/dev/null

for preset in "${presets[@]}"; do
  echo "== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  selection=()
  if [ "$preset" = windows ] && [ "$wine32" = no ]; then
    echo "== windows: SKIPPED the tests under Wine (see above); running those that need no Wine"
    selection=(-L host)
  fi
  echo "== $preset: tests"
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset "$preset" -j "$jobs" "${selection[@]}"; then
    failed+=("$preset")
  fi
done

echo "== Windows tests"
for preset in windows windows64; do
  wants "$preset" || continue
  if [ "$preset" = windows ] && [ "$wine32" = no ]; then
    echo "$preset: ran only the tests that need no Wine: $(ctest --preset "$preset" -N -L host | sed -n 's/^ *Test *#[0-9]*: //p' | tr '\n' ' ')"
  else
    echo "$preset: ran $(ctest --preset "$preset" -N | sed -n 's/^ *Test *#[0-9]*: //p' | tr '\n' ' ')"
  fi
done
for line in "${skipped[@]}"; do echo "SKIPPED $line"; done
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}" >&2
  exit 1
fi
echo "all tests passed: ${presets[*]}"
