#!/usr/bin/env bash
# The SMART history of vexa.exe (-history FILE):
# - ten starts on one recorded machine keep one reading of each drive with SMART
#   data (restarts add none), and the file names no serial of the machine file;
# - a start on the machine a day later with one raw value grown adds one reading of
#   that drive, and the SMART page's change column and red row mark the attribute;
#   double-click and Enter open its graph in a window of its own (screenshot
#   history-graph.png), Esc closes it, an open graph follows the drive on show
#   (history-graph-followed.png; closing for one without SMART), and Ctrl+C still copies the row;
# - a history folder that cannot be written: the program starts without a message
#   box, shows its pages, says so on the Debug page, and double-click copies;
#   the Configuration page lists the three history settings.
# Run as root, the script drops the right to pass file permissions first, so the
# read-only folder is read-only to it as to any user.
#   usage: history.sh VEXA_EXE PROBE_EXE SOURCE_DIR
set -euo pipefail
if [ "$(id -u)" = 0 ] && [ -z "${VEXA_HISTORY_TEST_UNPRIVILEGED:-}" ]; then
  exec env VEXA_HISTORY_TEST_UNPRIVILEGED=1 setpriv --bounding-set=-dac_override,-dac_read_search -- bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"
command -v import >/dev/null && command -v convert >/dev/null && command -v xdotool >/dev/null ||
  fail "ImageMagick or xdotool is missing (tools/setup.sh installs them)"

sample=$root/samples/desktop-ssd-hdd.machine
machine=$(sample_machine desktop-ssd-hdd)
mkdir -p "$work/h"
history=$work/h/h.history
history_wine=$(winepath -w "$history")
readings() { grep -c '^R ' "$history" || true; }
# The readings of the drive whose model is given (the m= field, blanks as %20).
readings_of() { grep '^R ' "$history" | grep -c " m=${1// /%20} " || true; }
# The serials of the machine file's IDENTIFY blocks (words 10 to 19, bytes swapped).
serials() {
  python3 -c 'import sys
words, inside = [], False
for line in open(sys.argv[1]):
    line = line.strip()
    if line == "identify": inside, words = True, []
    elif inside and line == "end":
        inside = False
        text = b"".join(int(w, 16).to_bytes(2, "big") for w in words[10:20]).decode("ascii", "replace").strip()
        if text: print(text)
    elif inside: words += line.split()' "$1"
}
# The pixels of the SMART page's red for worse rows on the screen.
red_pixels() {
  import -window root "$work/screen.png" || fail "no screenshot"
  convert "$work/screen.png" -fill black +opaque 'rgb(208,32,0)' -fill white -opaque 'rgb(208,32,0)' \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}
# The SMART page's cells of the attribute with the given ID cell.
smart_row() { probe list 0 | awk -F'\t' -v id="$1" '$2 == id'; }
graph_window() { xdotool search --onlyvisible --name "^$1 " 2>/dev/null | head -1; }
wait_graph() {  # ID: waits for the graph window of the attribute and prints its X id
  local id
  for _ in $(seq 50); do
    id=$(graph_window "$1")
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
  fail "no graph window of attribute $1"
}

with_smart=$(grep -c '^smart$' "$sample")
for start in $(seq 10); do
  start_vexa -replay "$machine" -history "$history_wine"
  if [ "$start" = 10 ]; then
    keys 1 ctrl+2
    [ "$(red_pixels)" = 0 ] || fail "a row is drawn in red before anything changed"
  fi
  stop_vexa
  [ -f "$history" ] || fail "start $start wrote no history"
  [ "$(readings)" = "$with_smart" ] || fail "after start $start the history holds $(readings) readings, not $with_smart"
done
count=0
while read -r serial; do
  count=$((count + 1))
  ! grep -qF "$serial" "$history" || fail "the history names the serial $serial"
done < <(serials "$sample")
[ "$count" -ge "$with_smart" ] || fail "found $count serials in the machine file"

# The SSD's reallocated sectors, raw 0 → 8 (the first "5 0x0033" row is the first drive's).
awk '!done && $1 == "5" && $2 == "0x0033" { sub(/100  100  0 /, "100  100  8 "); done = 1 } { print }' "$sample" |
  sed 's/^clock 2014-06-14 /clock 2014-06-15 /' >"$work/later.machine"
! cmp -s "$sample" "$work/later.machine" || fail "the changed machine file is the same"
ssd="Samsung SSD 840 PRO Series"
start_vexa -replay "$(winepath -w "$work/later.machine")" -history "$history_wine"
[ "$(readings_of "$ssd")" = 2 ] || fail "the SSD has $(readings_of "$ssd") readings after its raw value grew"
keys 1 ctrl+2
[ "$(active_caption)" = S.M.A.R.T. ] || fail "Ctrl+2 showed $(active_caption)"
row=$(smart_row 005)
change=$(cut -f11 <<<"$row")
[ "$change" = "原始值 0 → 8 (計數增加)" ] || fail "attribute 5's change cell is '$change': $row"
others=$(probe list 0 | awk -F'\t' '$2 != "005" && $11 != ""')
[ -z "$others" ] || fail "rows that did not move are marked: $others"
[ "$(red_pixels)" -gt 0 ] || fail "no row is drawn in red"
screenshot history-smart-page

# Double-click opens the graph, Esc closes it; Enter opens it again.
line=$(probe list 0 | awk -F'\t' '$2 == "005" {print NR - 1}')
probe rowclick 0 "$line" double
graph=$(wait_graph 005)
title=$(xdotool getwindowname "$graph")
[[ "$title" == "005 "*" - $ssd" ]] || fail "the graph window is called '$title'"
sleep 1
geometry=$(xwininfo -id "$graph" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
  /^ *Width/ {w=$2} /^ *Height/ {h=$2} END {printf "%dx%d+%d+%d", w, h, x, y}')
mkdir -p "$shots"
import -window root -crop "$geometry" +repage "$shots/history-graph.png" || fail "no screenshot of the graph"
xdotool windowactivate --sync "$graph" 2>/dev/null || true
xdotool key Escape
for _ in $(seq 50); do [ -z "$(graph_window 005)" ] && break; sleep 0.1; done
[ -z "$(graph_window 005)" ] || fail "Esc did not close the graph window"
probe rowclick 0 "$line"
keys return
wait_graph 005 >/dev/null
# The open graph follows the drive on show: the HDD's attribute 5, then none for the DVD drive.
graph_title() { local id; id=$(graph_window 005); [ -z "$id" ] || xdotool getwindowname "$id"; }
hdd="WDC WD10EZEX-00BN5A0"
keys 2
title=$(settles "005 重新分配扇區次數 - $hdd" graph_title) || fail "after key 2 the graph window is called '$title'"
screenshot history-graph-followed
keys 3
title=$(settles "" graph_title) || fail "the graph window '$title' stayed open for a drive without SMART"
keys 1 ctrl+2
probe clipboard - >/dev/null
probe rowclick 0 "$line"
keys ctrl+c
copied=$(probe clipboard)
[[ "$copied" == "$(cut -f1 <<<"$row")"* ]] || fail "Ctrl+C copied '$copied'"
stop_vexa
[ -z "$(graph_window 005)" ] || fail "the graph window outlived the program"

# A folder that cannot be written: no history, no message box, the pages as ever.
mkdir "$work/ro"
chmod 555 "$work/ro"
start_vexa -replay "$machine" -history "$(winepath -w "$work/ro/h.history")"
! probe message 2000 >/dev/null 2>&1 || fail "a message box came up for the read-only folder"
[ "$(probe selector | wc -l)" = 3 ] || fail "the selector lists $(probe selector | wc -l) drives"
keys 1 ctrl+2
[ "$(probe list 0 | wc -l)" -gt 5 ] || fail "the SMART page shows no rows"
[ -z "$(probe list 0 | cut -f11 | tr -d '\n')" ] || fail "rows are marked without a history"
probe clipboard - >/dev/null
probe rowclick 0 0 double
[ -z "$(graph_window "$(probe list 0 | head -1 | cut -f2)")" ] || fail "a graph opened without a history"
[ "$(probe clipboard)" != - ] || fail "a double-click without history copied nothing"
probe syscommand 48
probe idle
probe tree | grep -q '^SMART history ' || fail "the Debug page says nothing of the history: $(probe tree | tail -3)"
keys f2
settings=$(probe list 0 | cut -f1,2 | grep '^history\.' | tr -d ' *' | sort)
expect_same "the history settings on the Configuration page" "$settings" $'history.enabled\t屬實\nhistory.interval_minutes\t60\nhistory.size_limit_kib\t4096'
stop_vexa
[ ! -e "$work/ro/h.history" ] || fail "a history was written into the read-only folder"
chmod 755 "$work/ro"
echo "ten starts kept one reading per drive, a grown raw value was marked and drawn, and a read-only folder changed nothing"
