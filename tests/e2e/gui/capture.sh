#!/usr/bin/env bash
# Machine files written by the window:
# - `vexa.exe -capture FILE` scans once, writes FILE and exits without a window; for
#   every sample machine the file is what `vexa-cli capture` writes, but for the
#   comment line that names the program that recorded it, and a file it cannot write
#   is reported in a message box with exit status 1;
# - the Debug page's context menu command 保存機器檔案... asks for a file name in the
#   save dialog and writes the same file (serial numbers kept when the window was
#   started with -keep-serials, as `vexa-cli capture --keep-serials` keeps them),
#   then says where;
# - that machine replays identically: every console command on every drive of the
#   captured file prints what it prints on the original.
#   usage: capture.sh VEXA_EXE PROBE_EXE SOURCE_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"

# Every console command on every drive of a machine, SCSI ports included.
answers() {  # MACHINE
  local set=(--replay "$1" --set system.enum_scsi=1) count
  cli "${set[@]}" list
  count=$(cli "${set[@]}" list | wc -l)
  for n in $(seq 1 "$count"); do
    for command in info smart identify partitions decoder debug report; do cli "${set[@]}" "$command" "$n"; done
  done
}
# The machine file but its comment line, which names who recorded it.
without_recorder() { grep -v '^# recorded by ' "$1"; }

for sample in "$root"/samples/*.machine; do
  name=$(basename "$sample" .machine)
  machine=$(winepath -w "$sample")
  cli --replay "$machine" capture "$(winepath -w "$work/$name-cli.machine")" >/dev/null
  (cd "$work" && wine vexa.exe -replay "$machine" -capture "$name-exe.machine") ||
    fail "$name: vexa.exe -capture failed"
  probe title >/dev/null 2>&1 && fail "$name: vexa.exe -capture left a window"
  grep -qx '# recorded by vexa.exe' "$work/$name-exe.machine" || fail "$name: the capture does not say who recorded it"
  grep -q 'VEXA-SERIAL-' "$work/$name-exe.machine" || fail "$name: the capture did not hide the serial numbers"
  expect_same "$name: vexa.exe -capture" "$(without_recorder "$work/$name-exe.machine")" \
    "$(without_recorder "$work/$name-cli.machine")"
done

# A file that cannot be written: a message box names it, the exit status is 1.
(cd "$work" && exec wine vexa.exe -replay "$machine" -capture 'no\such\folder\x.machine') &
app=$!
message=$(probe message 30000) || fail "no message box for a capture that cannot be written"
grep -q 'no\\such\\folder\\x.machine' <<<"$message" || fail "the message does not name the file: $message"
status=0
wait "$app" || status=$?
app=
[ "$status" = 1 ] || fail "a capture that cannot be written exits with status $status"

# The Debug page's context menu: 保存機器檔案... and the save dialog, driven by mouse and keys.
cli --replay "$machine" capture "$(winepath -w "$work/kept-cli.machine")" --keep-serials >/dev/null
start_vexa -replay "$machine" -keep-serials -pos 0 0
probe syscommand 48
probe idle
probe mouse SysTreeView32 0 right
screenshot capture-context-menu
probe press down return
probe dialog "" 10000 | grep -q $'^Edit\t' || fail "no save dialog with a file name box"
screenshot capture-save-dialog
probe type saved-by-page
probe press return
message=$(probe message 60000) || fail "no message after saving the machine file"
grep -q 'saved-by-page.machine' <<<"$message" || fail "the message does not name the saved file: $message"
stop_vexa
expect_same "the machine file the Debug page saved" "$(without_recorder "$work/saved-by-page.machine")" \
  "$(without_recorder "$work/kept-cli.machine")"

# The saved machine answers every console command as the original does.
expect_same "$name: the replayed capture" "$(answers "$(winepath -w "$work/saved-by-page.machine")")" \
  "$(answers "$machine")"
echo "vexa.exe -capture and the Debug page write the console's machine file, which replays identically"
