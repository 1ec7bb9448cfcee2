#!/usr/bin/env bash
# vexa.exe against bad input: a settings file with absurd geometry, huge and garbage
# fonts still gives a usable window; a machine with 200 drives lists them all; a
# machine file that does not parse is reported and the program goes on without
# devices.
#   usage: bad-input.sh VEXA_EXE PROBE_EXE SOURCE_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"

# Absurd settings.
printf '%s\r\n' '[window]' 'width=-500' 'height=99999999' 'left=-40000' 'top=70000' 'maxed=junk' \
  '[gui]' 'font_main="Courier New" 9999' 'font_device=b i u s ;;; "' \
  '[tabs]' 'page_index=999' '[tabs.device]' 'ui_scale=1e300' '[system]' 'device_index=-7' > "$work/vexa.ini"
start_vexa -replay "$(winepath -w "$root/samples/desktop-ssd-hdd.machine")"
geometry=$(xwininfo -root -tree | grep -m1 'Vexa 16.09.09' | grep -oE '[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+' | head -1)
IFS='x+' read -r w h x y <<<"$geometry"
[ -n "${w:-}" ] || fail "no window found"
# The whole window lies on the 1280 x 1024 screen and is big enough to use.
[ "$w" -ge 200 ] && [ "$h" -ge 150 ] || fail "window of ${w}x${h} is not usable"
[ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le 1280 ] && [ $((y + h)) -le 1024 ] ||
  fail "window ${w}x${h} at $x,$y is not wholly on the screen"
probe selector | grep -q . || fail "no devices with absurd settings"
screenshot bad-settings
stop_vexa

# 200 drives: the first SSD of the sample machine, again and again.
big=$work/big.machine
{
  sed -n '1,/^\[device /{/^\[device /!p}' "$root/samples/desktop-ssd-hdd.machine"
  block=$(sed -n '/^\[device \\\\.\\PhysicalDrive0\]/,/^\[device /p' "$root/samples/desktop-ssd-hdd.machine" | sed '$d')
  for n in $(seq 0 199); do
    sed "1s/PhysicalDrive0/PhysicalDrive$n/" <<<"$block"
    echo
  done
} > "$big"
rm -f "$work/vexa.ini"
start_vexa -replay "$(winepath -w "$big")"
[ "$(probe selector | wc -l)" = 200 ] || fail "a machine of 200 drives does not list 200 devices"
keys alt+left
settles 200 chosen_device >/dev/null || fail "Alt+Left did not wrap to the 200th device"
stop_vexa

# A machine file that does not parse: reported in a message box, then no devices.
printf 'vexa-machine 1\n[device \\\\.\\PhysicalDrive0]\nanswers nonsense\n' > "$work/broken.machine"
rm -f "$work/vexa.ini"
(cd "$work" && exec wine vexa.exe -replay broken.machine) &
app=$!
message=$(probe message 60000) || fail "no message box for a broken machine file"
grep -q 'broken.machine:3' <<<"$message" || fail "the message does not name the file and line: $message"
probe wait 30000 >/dev/null || fail "vexa.exe did not go on after the message"
[ -z "$(probe selector)" ] || fail "a broken machine file still gave devices"
stop_vexa
echo "bad settings, 200 drives and a broken machine file all handled"
