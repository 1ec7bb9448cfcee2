#!/usr/bin/env bash
# User journeys through vexa.exe on each bundled sample machine, under Wine. For
# every device: what the Device, SMART and Partitions pages show equals what
# vexa-cli prints for the same machine and device; then the keys and clicks of
# the window: pages by Ctrl+digit and Ctrl+PageDown, the serial by a click and F9,
# the temperature unit by a click, a second SMART page by Ctrl+T closed by Ctrl+W,
# maximise from the system menu, Alt+3, Alt+Delete. A screenshot of every page.
#   usage: journeys.sh VEXA_EXE PROBE_EXE SOURCE_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"
box() { probe text $((2000 + $1)); }

for sample in "$root"/samples/*.machine; do
  name=$(basename "$sample" .machine)
  machine=$(winepath -w "$sample")
  start_vexa -replay "$machine" -pos 0 0
  selector=$(probe selector)
  [ -n "$selector" ] || fail "$name: the device selector is empty"
  count=$(wc -l <<<"$selector")

  for n in $(seq 1 "$count"); do
    [ "$n" -le 9 ] || break
    keys "$n"
    settles "$n" chosen_device >/dev/null || fail "$name: key $n did not choose device $n"
    info=$(cli --replay "$machine" info "$n")
    [ "$(probe title)" = "$(sed -n 's/^title: //p' <<<"$info")" ] || fail "$name/$n: the title differs from vexa-cli's"

    # Device page: each box shows the property's value ("n/a" when empty, the serial hidden).
    keys ctrl+1
    while IFS=$'\t' read -r index _ _ value; do
      [[ "$index" =~ ^[0-9]+$ ]] || continue
      expected=$value
      [ -z "$expected" ] && expected="n/a"
      [ "$index" = 2 ] && expected="<點擊或按 F9 檢視>"
      shown=$(box "$index")
      [ "$shown" = "$expected" ] || fail "$name/$n: box $index shows '$shown', vexa-cli says '$expected'"
    done <<<"$info"

    # SMART page: every row and column as vexa-cli lists them.
    keys ctrl+2
    expected=$(cli --replay "$machine" smart "$n" | { grep -v '^verdict: ' || true; })
    # The window's own last column, 變化, stays empty: a replayed machine keeps no history.
    shown=$(probe list 0 | cut -f1-10)
    [ -z "$(probe list 0 | cut -f11 | tr -d '\n')" ] || fail "$name/$n: SMART rows are marked without a history"
    [ "$shown" = "$expected" ] || fail "$name/$n: the SMART list differs from vexa-cli's:
$(diff <(echo "$shown") <(echo "$expected") | head -20)"

    # Partitions page: the volume list, then the partition list.
    keys ctrl+3
    expected=$(cli --replay "$machine" partitions "$n")
    shown=$(probe list 0; echo; probe list 1)
    [ "$shown" = "$expected" ] || fail "$name/$n: the partition lists differ from vexa-cli's:
$(diff <(echo "$shown") <(echo "$expected") | head -20)"
  done

  keys 1
  # Every page, each photographed; Ctrl+PageDown on the last page wraps to the first.
  pages=$(probe tabs | wc -l)
  for p in $(seq 1 "$pages"); do
    [ "$p" -le 9 ] || break
    keys "ctrl+$p"
    settles "$p" active_page >/dev/null || fail "$name: Ctrl+$p did not show page $p"
    screenshot "$name-page$p"
  done
  keys ctrl+next
  settles 1 active_page >/dev/null || fail "$name: Ctrl+PageDown on the last page did not wrap"

  # The serial: a click shows it, F9 hides it again.
  serial=$(cli --replay "$machine" info 1 | awk -F'\t' '$1 == "2" {print $4}')
  probe click 2002
  [ "$(box 2)" = "${serial:-n/a}" ] || fail "$name: clicking the serial box did not show the serial"
  keys f9
  settles "<點擊或按 F9 檢視>" box 2 >/dev/null || fail "$name: F9 did not hide the serial"
  # The temperature unit follows a click on its box.
  if box 13 | grep -q '°C$'; then
    probe click 2013
    box 13 | grep -q '°F$' || fail "$name: clicking the temperature did not switch to Fahrenheit"
    probe click 2013
    box 13 | grep -q '°C$' || fail "$name: clicking again did not switch back"
  fi

  # Ctrl+T opens a second SMART page at the end and shows it; Ctrl+W closes it.
  keys ctrl+2 ctrl+t
  settles $((pages + 1)) tab_count >/dev/null || fail "$name: Ctrl+T did not add a page"
  [ "$(active_page)" = $((pages + 1)) ] || fail "$name: the new page is not shown"
  [ "$(probe tabs | tail -1)" = "*S.M.A.R.T." ] || fail "$name: the new page is not a SMART page"
  keys ctrl+w
  settles "$pages" tab_count >/dev/null || fail "$name: Ctrl+W did not close the page"

  # Maximise from the system menu, then Alt+3: restored, a client 832 pixels wide.
  probe syscommand 61488
  [ "$(probe zoomed)" = 1 ] || fail "$name: the system menu did not maximise the window"
  keys alt+3
  settles 0 probe zoomed >/dev/null || fail "$name: Alt+3 did not restore the window"
  # Alt+Delete drops the chosen device from the list.
  keys alt+delete
  settles $((count - 1)) selector_count >/dev/null || fail "$name: Alt+Delete did not drop a device"
  stop_vexa
  ini=$(tr -d '\r' < "$work/vexa.ini")
  grep -A9 '^\[window\]' <<<"$ini" | grep -qx 'width=840' || fail "$name: Alt+3 did not store the width: $ini"
  grep -A9 '^\[window\]' <<<"$ini" | grep -qx 'maxed=false' || fail "$name: maxed was not stored: $ini"
done

if ls "$shots"/*-page*.png >/dev/null 2>&1; then
  montage -label '%t' -geometry 512x384+4+4 -tile 4x "$shots"/*-page*.png "$shots/contact-sheet.png" 2>/dev/null || true
fi
echo "journeys passed on $(ls "$root"/samples/*.machine | wc -l) sample machines; screenshots in $shots"
