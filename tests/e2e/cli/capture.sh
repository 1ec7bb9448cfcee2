#!/usr/bin/env bash
# vexa-cli capture: a machine recorded while the program's road (with the Debug page)
# runs over it answers every console command exactly as the original, for every
# machine file of the repository (the samples, the tests' machines and the machine
# files the fuzzer keeps); with serial numbers replaced (the default) every command
# still answers alike but for the serial lines; a file that cannot be written
# leaves nothing behind. Under Wine every command starts a Windows process, so
# there the round trip covers one sample with the pages' commands;
# cli-builds-agree already shows that the Windows builds capture every machine
# byte for byte as the native one.
#   usage: capture.sh SOURCE_DIR VEXA_CLI_COMMAND...
source "$(dirname "$0")/lib.sh"
shopt -s nullglob globstar
cli() { "$@" 2>&1 | tr -d '\r'; }
command=("$@")

# Every command on every device, with every kind of device enabled. With "serials
# aside", the lines that show a serial number or the IDENTIFY checksum (a sum over
# the serial's words) are left out, and so are the report and the Debug page,
# which show the serial's words; whether the checksum is valid stays.
answers() {  # MACHINE_FILE [serials-aside]
  local set=(--replay "$1" --set system.enum_scsi=1) commands=(info smart identify partitions decoder debug report)
  [ $# -gt 1 ] && commands=(info smart identify partitions decoder)
  [ -n "$under_wine" ] && commands=(info smart identify)
  local list count
  list=$(cli "${command[@]}" "${set[@]}" list)
  printf '%s\n' "$list"
  count=$(grep -c . <<<"$list")
  for n in $(seq 1 "$count"); do
    for what in "${commands[@]}"; do
      echo "== $what $n"
      if [ $# -gt 1 ]; then
        cli "${command[@]}" "${set[@]}" "$what" "$n" | grep -v -e '序號' -e '校驗' -e '^serial:'
      else
        cli "${command[@]}" "${set[@]}" "$what" "$n"
      fi
    done
  done
}

under_wine=
if [[ "${command[*]}" == *wine-run.sh* ]]; then
  under_wine=yes
  machines=("$root"/samples/desktop-ssd-hdd.machine)
else
  machines=("$root"/samples/*.machine "$root"/tests/**/*.machine "$root"/fuzz/seeds/MachineFileFuzz/*
            "$root"/tests/fuzz/regressions/MachineFileFuzz/*)
  [ ${#machines[@]} -ge 5 ] || fail "only ${#machines[@]} machine files found under $root"
fi
for path in "${machines[@]}"; do
  machine=${path#"$root"/}
  original=$(arg "$path")
  # What the fuzzer keeps need not be a machine file at all; everything else must read.
  if ! cli "${command[@]}" --replay "$original" list >/dev/null; then
    [[ "$machine" == fuzz/* || "$machine" == tests/fuzz/* ]] && continue
    fail "$machine: the machine file does not read"
  fi
  copy=$work/kept.machine
  cli "${command[@]}" --replay "$original" capture "$(arg "$copy")" --keep-serials >/dev/null ||
    fail "$machine: capture failed"
  diff -u <(answers "$original") <(answers "$(arg "$copy")") >"$work/diff" ||
    fail "$machine: the captured machine answers otherwise:"$'\n'"$(head -40 "$work/diff")"
  hidden=$work/hidden.machine
  cli "${command[@]}" --replay "$original" capture "$(arg "$hidden")" >/dev/null ||
    fail "$machine: capture without serials failed"
  diff -u <(answers "$original" serials-aside) <(answers "$(arg "$hidden")" serials-aside) >"$work/diff" ||
    fail "$machine: the capture without serials answers otherwise:"$'\n'"$(head -40 "$work/diff")"
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
echo "vexa-cli capture round-trips every machine (${#machines[@]} files)"
