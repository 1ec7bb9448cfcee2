#!/usr/bin/env bash
# vexa-cli --real bench on a real file: the figures of a run, paths it refuses with
# a reason, the file unchanged afterwards, and Ctrl+C in the middle of a run; and
# every page of this PC's own drives.
#   usage: real.sh SOURCE_DIR VEXA_CLI_COMMAND...
set -uo pipefail
shift
fail() { echo "FAIL: $*" >&2; exit 1; }
cli=("$@")
# Beside the build, not in /tmp: a tmpfs there may refuse unbuffered reads.
work=$(mktemp -d -p "$PWD")
trap 'rm -rf "$work"' EXIT
if "${cli[@]}" --real bench "$work/none" 5 2>&1 | grep -q "needs the Linux build with liburing"; then
  fail "this vexa-cli has no Linux machine: build it with liburing (tools/setup.sh installs it)"
fi

# Written blocks: the reads reach the disk (unwritten extents would read as zeros
# without it).
disk=$work/disk.img
dd if=/dev/zero of="$disk" bs=1M count=160 status=none || fail "cannot make the test file"
before=$(md5sum <"$disk")

out=$("${cli[@]}" --real bench "$disk" 5 2>"$work/err") || fail "bench 5: $(cat "$work/err")"
[ "$(wc -l <<<"$out")" = 5 ] || fail "bench 5 printed:"$'\n'"$out"
random=$(sed -n 4p <<<"$out")
[ "$(cut -f2-5 <<<"$random")" = $'0\t4096\t0\t4096' ] || fail "bench 5: the random run: $random"
[ "$(cut -f6 <<<"$random")" -gt 0 ] || fail "bench 5: no IOPS in $random"

for bad in "$work/none" "$work" /dev/null "$work/tiny"; do
  [ "$bad" = "$work/tiny" ] && head -c 1000 /dev/zero >"$work/tiny"
  "${cli[@]}" --real bench "$bad" 1 >"$work/out" 2>"$work/err"
  [ $? -eq 2 ] || fail "$bad: exit status is not 2"
  grep -qF "$bad:" "$work/err" || fail "$bad: the message does not name the path: $(cat "$work/err")"
  [ -s "$work/out" ] && fail "$bad: printed results"
done
[ -e "$work/none" ] && fail "a missing path was created"

# Ctrl+C during the queue series: a prompt, clean end.
"${cli[@]}" --real bench "$disk" 1 >"$work/out" 2>"$work/err" &
pid=$!
sleep 0.5
kill -INT "$pid"
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && { kill -9 "$pid"; fail "Ctrl+C did not end the run within 5 s"; }
wait "$pid"
status=$?
[ "$status" = 130 ] || fail "Ctrl+C: exit status $status, not 130"
grep -q "interrupted" "$work/err" || fail "Ctrl+C: no message"
[ -s "$work/out" ] && fail "Ctrl+C: printed results of an interrupted run"

# The machine commands on this PC's own drives, whatever it has (and whatever this
# process may send them): every page of every drive ends normally, and a drive
# number beyond them is a usage error.
"${cli[@]}" --real list >"$work/out" 2>"$work/err"
status=$?
[ $status -le 1 ] || fail "--real list: exit status $status: $(cat "$work/err")"
count=$(grep -c . "$work/out")
for n in $(seq 1 "$count"); do
  for what in info smart identify partitions decoder debug report; do
    "${cli[@]}" --real "$what" "$n" >/dev/null 2>"$work/err"
    status=$?
    [ $status -le 1 ] || fail "--real $what $n: exit status $status: $(cat "$work/err")"
  done
done
"${cli[@]}" --real smart $((count + 1)) >/dev/null 2>&1
[ $? -eq 2 ] || fail "--real smart $((count + 1)): not a usage error"

[ "$(md5sum <"$disk")" = "$before" ] || fail "the file changed"
echo "real: all checks passed"
