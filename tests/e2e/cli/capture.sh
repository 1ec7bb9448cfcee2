#!/usr/bin/env bash
# vexa-cli capture: a machine recorded while the program's road (with the Debug page) runs over it answers
# every console command exactly as the original, for the sample machines and the
# machine whose drives fail at every step; serial numbers are hidden unless kept;
# a file that cannot be written leaves nothing behind.
#   usage: capture.sh SOURCE_DIR VEXA_CLI_COMMAND...
set -uo pipefail
root=$1
shift
fail() { echo "FAIL: $*" >&2; exit 1; }
cli() { "$@" 2>&1 | tr -d '\r'; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
arg() { if [[ "$*" == *wine-run.sh* ]]; then winepath -w "$1" 2>/dev/null; else printf '%s' "$1"; fi; }

# Every command on every device, with every kind of device enabled.
answers() {  # MACHINE_FILE
  local set=(--replay "$1" --set system.enum_scsi=1)
  cli "${command[@]}" "${set[@]}" list
  local count
  count=$(cli "${command[@]}" "${set[@]}" list | wc -l)
  for n in $(seq 1 "$count"); do
    for what in info smart identify partitions decoder debug; do cli "${command[@]}" "${set[@]}" "$what" "$n"; done
  done
}

command=("$@")
for machine in samples/desktop-ssd-hdd.machine samples/laptop-sat.machine samples/nvme-desktop.machine \
  tests/e2e/cli/failing.machine; do
  original=$(arg "$root/$machine")
  copy=$work/$(basename "$machine")
  cli "${command[@]}" --replay "$original" capture "$(arg "$copy")" --keep-serials >/dev/null ||
    fail "$machine: capture failed"
  diff -u <(answers "$original") <(answers "$(arg "$copy")") >"$work/diff" ||
    fail "$machine: the captured machine answers otherwise:"$'\n'"$(head -40 "$work/diff")"
done

# Serial numbers are hidden by default, the other facts kept.
desktop=$(arg "$root/samples/desktop-ssd-hdd.machine")
hidden=$work/hidden.machine
cli "${command[@]}" --replay "$desktop" capture "$(arg "$hidden")" >/dev/null || fail "capture without serials"
out=$(cli "${command[@]}" --replay "$(arg "$hidden")" info 1)
grep -q $'^2\t序號\t0\tVEXA-SERIAL-0001' <<<"$out" || fail "the serial number is not hidden: $out"
grep -qx 'checksum_valid: true' <<<"$(cli "${command[@]}" --replay "$(arg "$hidden")" identify 1)" ||
  fail "the hidden serial broke the IDENTIFY checksum"

# A folder that does not exist: a clear message, nothing written.
out=$(cli "${command[@]}" --replay "$desktop" capture "$(arg "$work/no/such/folder/x.machine")")
status=$?
[ "$status" -eq 1 ] || fail "unwritable capture: exit status $status"
grep -q 'cannot write' <<<"$out" || fail "unwritable capture said: $out"
[ -z "$(ls "$work" | grep -v -e '\.machine$' -e '^diff$')" ] || fail "left behind: $(ls "$work")"
echo "vexa-cli capture round-trips every machine"
