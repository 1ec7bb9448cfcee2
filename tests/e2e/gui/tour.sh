#!/usr/bin/env bash
# A look round vexa.exe for people: on each sample machine, every page of its first
# drive (the seven start pages, then the three the system menu opens: 組態, 解碼器型號,
# 除錯訊息) and the Device and SMART pages of its other drives, each photographed;
# then one contact sheet per machine (tour-MACHINE.png) in the screenshots folder
# (build/windows64/screenshots, or $VEXA_SCREENSHOT_DIR). It fails when a page does
# not open, so the pictures always show what they say.
#   usage: tests/e2e/gui/tour.sh [VEXA_EXE PROBE_EXE SOURCE_DIR]   (default: the 64-bit build)
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
set -- "${1:-$root/build/windows64/src/app/vexa.exe}" "${2:-$root/build/windows64/tests/vexa-probe.exe}" "${3:-$root}"
source "$(dirname "$0")/lib.sh"
shoot() {  # NAME: after the page has painted
  sleep 0.5
  window_screenshot "$1"
  pictures+=("$shots/$1.png")
}

for sample in "$root"/samples/*.machine; do
  name=$(basename "$sample" .machine)
  pictures=()
  start_vexa -replay "$(winepath -w "$sample")" -pos 0 0 -size 560 480
  count=$(probe selector | wc -l)
  pages=$(probe tabs | wc -l)
  for n in $(seq 1 "$count"); do
    probe keys "$n"
    last=$pages
    [ "$n" -gt 1 ] && last=2
    for p in $(seq 1 "$last"); do
      probe keys "ctrl+$p"
      [ "$(active_page)" = "$p" ] || fail "$name: drive $n, page $p did not open"
      shoot "tour-$name-drive$n-page$p"
    done
  done
  probe keys 1
  # Each command and the start of its page's caption (the Decoder's and the Debug
  # page's end in a count).
  for command in 32:組態 64:解碼器 48:除錯; do
    probe syscommand "${command%%:*}"
    probe tabs | grep -q "^\*${command#*:}" || fail "$name: the system menu did not open ${command#*:}"
    shoot "tour-$name-menu${command%%:*}"
  done
  stop_vexa
  montage -label '%t' -font Noto-Sans-CJK-TC -pointsize 11 -geometry '+6+6' -tile 5x "${pictures[@]}" \
    "$shots/tour-$name.png" 2>/dev/null || fail "$name: no contact sheet (ImageMagick montage)"
done
echo "tour done; contact sheets: $(ls "$shots"/tour-*.png | grep -v -- '-drive\|-menu' | tr '\n' ' ')"
