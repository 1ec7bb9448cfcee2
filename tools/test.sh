#!/usr/bin/env bash
# Builds everything and runs every test: the native build, the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the 32-bit Windows build
# with its tests (unit, Windows-only, end-to-end) under Wine. Installs what it needs.
#   usage: tools/test.sh [native|asan|windows ...]   (default: all three)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(native asan windows)
jobs=$(nproc)
# Wine runs the Windows tests only where 32-bit programs can run; elsewhere the
# Windows build is still made and the tests that need no Wine (label "host") run.
wine=yes
if printf '%s\n' "${presets[@]}" | grep -qx windows; then
  if tools/runs-win32.sh; then tools/wine-prefix.sh >/dev/null; else wine=no; fi
fi
failed=()
for preset in "${presets[@]}"; do
  echo "== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  selection=()
  if [ "$preset" = windows ] && [ "$wine" = no ]; then
    echo "== windows: SKIPPED the tests under Wine (see above); running those that need no Wine"
    selection=(-L host)
  fi
  echo "== $preset: tests"
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset "$preset" -j "$jobs" "${selection[@]}"; then
    failed+=("$preset")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}" >&2
  exit 1
fi
echo "all tests passed: ${presets[*]}"
