#!/usr/bin/env bash
# User journeys through vexa.exe on each bundled sample machine, under Wine: choose
# each device, switch pages, resize, drop a device; with a screenshot of every page.
#   usage: journeys.sh VEXA_EXE PROBE_EXE SOURCE_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"

for sample in "$root"/samples/*.machine; do
  name=$(basename "$sample" .machine)

  start_vexa -replay "$(winepath -w "$sample")" -pos 0 0
  selector=$(probe selector)
  [ -n "$selector" ] || fail "$name: the device selector is empty"
  count=$(wc -l <<<"$selector")

  # Every device in turn with the digit keys; the title follows the choice.
  for n in $(seq 1 "$count"); do
    [ "$n" -le 9 ] || break
    probe keys "$n"
    chosen=$(probe selector | grep -n '^\*' | cut -d: -f1)
    [ "$chosen" = "$n" ] || fail "$name: key $n chose item $chosen"
    probe title | grep -q '^Vexa 16.09.09 beta' || fail "$name: title lost its caption"
  done
  # Alt+Right past the last device wraps to the first.
  probe keys alt+right
  [ "$(probe selector | grep -n '^\*' | cut -d: -f1)" = 1 ] || fail "$name: Alt+Right did not wrap"

  # Every page, each photographed.
  pages=$(probe tabs | wc -l)
  for p in $(seq 1 "$pages"); do
    [ "$p" -le 9 ] || break
    probe keys "ctrl+$p"
    [ "$(probe tabs | grep -n '^\*' | cut -d: -f1)" = "$p" ] || fail "$name: Ctrl+$p did not show page $p"
    screenshot "$name-page$p"
  done
  if [ "$pages" -gt 1 ]; then
    probe keys ctrl+next
    [ "$(probe tabs | grep -n '^\*' | cut -d: -f1)" = 1 ] || fail "$name: Ctrl+PageDown on the last page did not wrap"
  fi

  # Alt+3: a client 832 pixels wide at 96 pixels per inch.
  probe keys alt+3
  # Alt+Delete drops the chosen device from the list.
  probe keys alt+delete
  [ "$(probe selector | wc -l)" -eq $((count - 1)) ] || fail "$name: Alt+Delete did not drop a device"
  stop_vexa
  ini=$(tr -d '\r' < "$work/vexa.ini")
  grep -A9 '^\[window\]' <<<"$ini" | grep -qx 'width=840' || fail "$name: Alt+3 did not store the width: $ini"
done

if ls "$shots"/*.png >/dev/null 2>&1; then
  montage -label '%t' -geometry 512x384+4+4 -tile 4x "$shots"/*-page*.png "$shots/contact-sheet.png" 2>/dev/null || true
fi
echo "journeys passed on $(ls "$root"/samples/*.machine | wc -l) sample machines; screenshots in $shots"
