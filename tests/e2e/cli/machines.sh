#!/usr/bin/env bash
# The machine commands of vexa-cli over the bundled sample machines: list, info,
# smart, identify and partitions of every device against golden files, the global
# options, device numbers, and identify-dump on the same blocks as words and bytes.
#   usage: machines.sh SOURCE_DIR VEXA_CLI_COMMAND...
# With VEXA_UPDATE_GOLDEN=1 the golden files are written instead of compared; each
# new one must be read against what the pages are meant to show before it is kept.
source "$(dirname "$0")/lib.sh"
cli() { "$@" | tr -d '\r'; }
golden=$root/tests/e2e/cli/golden

check() {  # NAME COMMAND...: the command's output against golden/NAME
  local name=$1
  shift
  local out status
  out=$("$@" 2>"$work/err" | tr -d '\r'; exit "${PIPESTATUS[0]}")
  status=$?
  [ "$status" -eq 0 ] || fail "$name: exit status $status: $(cat "$work/err")"
  [ -s "$work/err" ] && fail "$name: wrote to the error stream: $(cat "$work/err")"
  if [ "${VEXA_UPDATE_GOLDEN:-0}" = 1 ]; then
    printf '%s\n' "$out" >"$golden/$name"
  else
    [ -f "$golden/$name" ] || fail "$name: no golden file"
    diff -u "$golden/$name" <(printf '%s\n' "$out") >"$work/diff" || fail "$name differs:"$'\n'"$(cat "$work/diff")"
  fi
}

for machine in desktop-ssd-hdd laptop-sat nvme-desktop; do
  file=$(arg "$root/samples/$machine.machine")
  check "$machine.list" "$@" --replay "$file" list
  count=$(cli "$@" --replay "$file" list | wc -l)
  [ "$count" -eq 3 ] || fail "$machine lists $count devices"
  for n in $(seq 1 "$count"); do
    for command in info smart identify partitions decoder debug; do
      check "$machine.$command-$n" "$@" --replay "$file" "$command" "$n"
    done
  done
done

desktop=$(arg "$root/samples/desktop-ssd-hdd.machine")
# Physical disks by number, then SCSI ports, then optical drives.
check desktop-ssd-hdd.list-all "$@" --replay "$desktop" --set system.enum_scsi=屬實 list
out=$(cli "$@" --replay "$desktop" --set system.enum_physical=false --set system.enum_optical=0 list)
status=$?
[ "$status" -eq 0 ] && [ -z "$out" ] || fail "every kind disabled printed '$out' (status $status)"
# Settings reach the pages before the rescan.
out=$(cli "$@" --replay "$desktop" --set tabs.smart.hex_id=1 --set tabs.smart.hex_raw_value=0 smart 2)
grep -q $'^HDA 溫度\tC2\t35 °C\t112\t103\t\t35\t' <<<"$out" || fail "hex id and decimal raw value: $out"
out=$(cli "$@" --replay "$desktop" --set system.fahrenheit_temp=屬實 info 1)
grep -q $'^13\t溫度\t0\t89 °F$' <<<"$out" || fail "the temperature unit: $out"
nvme=$(arg "$root/samples/nvme-desktop.machine")
out=$(cli "$@" --replay "$nvme" --set system.fahrenheit_temp=屬實 info 1; cli "$@" --replay "$nvme" --set system.fahrenheit_temp=1 smart 1)
grep -q $'^13\t溫度\t0\t136 °F$' <<<"$out" && grep -q $'^綜合溫度\t001\t136 °F\t' <<<"$out" ||
  fail "an NVMe drive's temperature unit: $out"

# Bad arguments: exit status 2 and a message.
expect2() {  # WHAT COMMAND...
  local what=$1
  shift
  "$@" >/dev/null 2>"$work/err"
  local status=$?
  # Once in a long while Wine fails to start a program under load: that says
  # nothing of vexa-cli, whose own failures always name it.
  if [ "$status" -ne 2 ] && [ "$wine" = 1 ] && ! grep -q 'vexa-cli' "$work/err"; then
    "$@" >/dev/null 2>"$work/err"
    status=$?
  fi
  [ "$status" -eq 2 ] || fail "$what: exit status $status, expected 2: $(cat "$work/err")"
  [ -s "$work/err" ] || fail "$what: no message"
}
for n in x 0 4 -1 1x ''; do expect2 "smart '$n'" "$@" --replay "$desktop" smart "$n"; done
expect2 "info without N" "$@" --replay "$desktop" info
expect2 "list with an argument" "$@" --replay "$desktop" list 1
expect2 "--set unknown" "$@" --replay "$desktop" --set system.nothing=1 list
expect2 "--set without =" "$@" --replay "$desktop" --set system.enum_scsi list
expect2 "--set bad integer" "$@" --replay "$desktop" --set system.device_index=one list
expect2 "--replay twice" "$@" --replay "$desktop" --replay "$desktop" list
expect2 "--replay without a file" "$@" --replay
expect2 "unknown option" "$@" --bogus list
expect2 "options on a plain command" "$@" --replay "$desktop" version
expect2 "missing machine file" "$@" --replay "$(arg "$work/none.machine")" list
printf 'vexa-machine 1\n[device \\\\.\\PhysicalDrive0]\nanswers satt\n' >"$work/bad.machine"
"$@" --replay "$(arg "$work/bad.machine")" list >/dev/null 2>"$work/err"
[ $? -eq 2 ] && grep -q 'bad.machine:3: ' "$work/err" || fail "a malformed machine file: $(cat "$work/err")"
if [ "$wine" = 0 ]; then
  "$@" list >/dev/null 2>"$work/err"
  [ $? -eq 2 ] && grep -q -- '--replay' "$work/err" || fail "without --replay: $(cat "$work/err")"
fi

# identify-dump reads the same block as words (the machine file's own lines) and as
# 512 raw bytes, and prints what identify prints for the drive.
sed -n '/^identify$/,/^end$/p' "$root/samples/desktop-ssd-hdd.machine" | sed '1d;$d' | head -32 >"$work/ssd.txt"
check desktop-ssd-hdd.identify-1 "$@" identify-dump "$(arg "$work/ssd.txt")"
(echo "/dev/sda:"; echo; tr -s ' \n' '\n\n' <"$work/ssd.txt") >"$work/ssd-one-per-line.txt"
check desktop-ssd-hdd.identify-1 "$@" identify-dump "$(arg "$work/ssd-one-per-line.txt")"
perl -ne 'print pack("v*", map { hex } split)' "$work/ssd.txt" >"$work/ssd.bin"
[ "$(wc -c <"$work/ssd.bin")" -eq 512 ] || fail "the raw block is not 512 bytes"
check desktop-ssd-hdd.identify-1 "$@" identify-dump "$(arg "$work/ssd.bin")"
expect2 "identify-dump of a missing file" "$@" identify-dump "$(arg "$work/none.txt")"
head -c 300 "$work/ssd.bin" >"$work/short.bin"
expect2 "identify-dump of 300 bytes" "$@" identify-dump "$(arg "$work/short.bin")"
(head -3 "$work/ssd.txt"; echo "0040 3fff c8"; tail -28 "$work/ssd.txt") >"$work/broken.txt"
"$@" identify-dump "$(arg "$work/broken.txt")" >/dev/null 2>"$work/err"
[ $? -eq 2 ] && grep -q 'line 4: "c8" is not a word of 4 hexadecimal digits' "$work/err" ||
  fail "a malformed word: $(cat "$work/err")"
head -31 "$work/ssd.txt" >"$work/few.txt"
expect2 "identify-dump of 248 words" "$@" identify-dump "$(arg "$work/few.txt")"
expect2 "identify-dump without a file" "$@" identify-dump
echo "vexa-cli machine commands passed"
