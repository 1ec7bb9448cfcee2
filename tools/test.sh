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
if printf '%s\n' "${presets[@]}" | grep -qx windows; then tools/wine-prefix.sh >/dev/null; fi
failed=()
for preset in "${presets[@]}"; do
  echo "== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== $preset: tests"
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset "$preset" -j "$jobs"; then
    failed+=("$preset")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}" >&2
  exit 1
fi
echo "all tests passed: ${presets[*]}"
