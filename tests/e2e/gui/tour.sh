#!/usr/bin/env bash
# A look round vexa.exe for people, not a test: on each sample machine, every page
# of the first two drives, then the pages opened from the system menu (組態, 解碼器型號,
# 除錯訊息) and the Submit page, each as a screenshot in the screenshots folder
# (build/windows/screenshots, or $VEXA_SCREENSHOT_DIR).
#   usage: tests/e2e/gui/tour.sh [VEXA_EXE PROBE_EXE SOURCE_DIR]   (default: the Windows build)
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
set -- "${1:-$root/build/windows/src/app/vexa.exe}" "${2:-$root/build/windows/tests/vexa-probe.exe}" "${3:-$root}"
source "$(dirname "$0")/lib.sh"

for sample in "$root"/samples/*.machine; do
  name=$(basename "$sample" .machine)
  start_vexa -replay "$(winepath -w "$sample")" -pos 0 0 -size 560 480
  count=$(probe selector | wc -l)
  pages=$(probe tabs | wc -l)
  for n in $(seq 1 "$(( count < 2 ? count : 2 ))"); do
    probe keys "$n" >/dev/null
    for p in $(seq 1 "$pages"); do
      probe keys "ctrl+$p" >/dev/null
      sleep 1
      screenshot "tour-$name-drive$n-page$p"
    done
  done
  for command in 32 64 48; do  # Configuration, Decoder, Debug
    probe syscommand "$command" >/dev/null
    sleep 2
    screenshot "tour-$name-menu$command"
  done
  stop_vexa
done
echo "tour done; screenshots in $shots"
