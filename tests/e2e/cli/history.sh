#!/usr/bin/env bash
# vexa-cli's SMART history, as a user meets it: restarts over an unchanged machine
# add no reading and the file names no serial; a changed attribute adds one, which
# smart, info, history (text, --json, a series, a PNG) and watch (exit 3) all tell;
# a file cut at a random byte still gives the readings before the cut; a history
# that cannot be written is said and the drives are still read; a replayed machine
# touches no history unless one is named. With the published samples beside the
# checkout, the two snapshots of one Maxtor disk replay as its two readings.
#   usage: history.sh SOURCE_DIR VEXA_CLI_COMMAND...
source "$(dirname "$0")/lib.sh"
command=("$@")
cli() { "$@" 2>&1 | tr -d '\r'; }
machine=$root/samples/desktop-ssd-hdd.machine
history=$work/vexa.history
h() { cli "${command[@]}" --history "$(arg "$history")" "$@"; }
readings() { grep -c '^R ' "$history"; }

for start in 1 2 3; do
  out=$(h --replay "$(arg "$machine")" list) || fail "list $start: $out"
done
[ "$(readings)" = 2 ] || fail "three starts over one machine gave $(readings) readings: $(cat "$history")"
head -1 "$history" | grep -q '^Vexa SMART history 1' || fail "no version line: $(head -1 "$history")"
for n in 1 2; do
  serial=$(cli "$@" --replay "$(arg "$machine")" identify $n --json | python3 -c 'import json,sys; print(json.load(sys.stdin)["facts"]["serial"])')
  [ -n "$serial" ] || fail "no serial for drive $n"
  grep -qF "$serial" "$history" && fail "the history names the serial $serial"
done

# Ten minutes later the SSD has reallocated eight sectors.
sed -e 's/^clock 2014-06-14 20:15:00/clock 2014-06-14 20:25:00/' \
    -e 's/^    5  0x0033  100  100  0              10/    5  0x0033  100  100  8              10/' \
    "$machine" >"$work/later.machine"
later=$(arg "$work/later.machine")
out=$(h --replay "$later" smart 1) || fail "smart over the changed machine: $out"
[ "$(readings)" = 3 ] || fail "the change added $(( $(readings) - 2 )) readings"
grep -q $'\t005\t.*\tworse: 原始值 0 → 8 (計數增加)$' <<<"$out" || fail "smart 1 does not mark attribute 5: $out"
[ "$(grep -c -e $'\tworse: ' -e $'\tchanged: ' <<<"$out")" = 1 ] || fail "smart 1 marks other rows: $out"
grep -q '^verdict: 狀態:OK (變差)'$'\t''2$' <<<"$out" || fail "the verdict does not say it got worse: $out"
out=$(h --replay "$later" info 1)
grep -q $'^\t自 2014-06-14 20:25 起變差 (與 2014-06-14 20:15 的讀數相比):' <<<"$out" || fail "info does not say since when: $out"
grep -q $'^\t005 重新分配扇區次數: 原始值 0 → 8 (計數增加)' <<<"$out" || fail "info does not say what got worse: $out"
out=$(h --replay "$later" smart 1 --json)
python3 -c 'import json,sys; rows=[r for r in json.load(sys.stdin)["attributes"] if "mark" in r]; assert [(r["id"], r["mark"]) for r in rows] == [("005", "worse")], rows' <<<"$out" \
  || fail "smart --json marks: $out"

out=$(h --replay "$later" history 1)
[ "$(grep -c '^2014-06-14 ' <<<"$out")" = 2 ] || fail "history 1 lists: $out"
grep -q $'^2014-06-14 20:25\tSamsung\t.*1 changed, 1 worse: 005 ' <<<"$out" || fail "history 1 does not say what changed: $out"
out=$(h --replay "$later" history 1 5)
[ "$(printf '%s\n' "$out" | sed -n '2p;3p')" = $'2014-06-14 20:15\t100\t100\t10\t0\n2014-06-14 20:25\t100\t100\t10\t8' ] \
  || fail "history 1 5 gives: $out"
h --replay "$later" history 1 --json | python3 -c 'import json,sys; d=json.load(sys.stdin); assert len(d["readings"]) == 2 and d["readings"][1]["changes"][0]["worse"] == "計數增加", d' \
  || fail "history 1 --json"
if [ "$wine" = 0 ]; then
  h --replay "$later" history 1 5 --png "$work/5.png" >/dev/null || fail "history --png failed"
  python3 - "$work/5.png" <<'EOF' || fail "the drawing is no 640 x 360 PNG"
import struct, sys
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n" and struct.unpack(">II", data[16:24]) == (640, 360), data[:24]
EOF
fi
for bad in "history 1 0" "history 1 256" "history 1 x" "history 9" "history 1 5 --png" "history 1 --png $work/x.png"; do
  # shellcheck disable=SC2086
  h --replay "$later" $bad >/dev/null 2>&1
  [ $? = 2 ] || fail "$bad must exit 2"
done
cli "$@" --replay "$later" history 1 >/dev/null
[ $? = 2 ] || fail "history of a replayed machine without --history must exit 2"

# watch: a round that stores a worse reading prints the drive and exits 3; a round
# that stores nothing new prints nothing.
rm -f "$history"
h --replay "$(arg "$machine")" watch --count 1 >/dev/null || fail "the first watch round failed"
out=$(h --replay "$later" watch --count 2 --every 1s)
status=$?
[ $status = 3 ] || fail "watch of a drive that got worse exits $status: $out"
[ "$(grep -c . <<<"$out")" = 1 ] && grep -q $'^P0\tSamsung SSD 840 PRO Series\t2014-06-14 20:25\t005 ' <<<"$out" \
  || fail "watch printed: $out"
out=$(h --replay "$later" watch --count 1)
[ $? = 0 ] && [ -z "$out" ] || fail "a watch round with nothing new printed: $out"
for bad in "--every 0" "--every 10x" "--every 32d" "--count 0" "--every"; do
  # shellcheck disable=SC2086
  h --replay "$later" watch $bad >/dev/null 2>&1
  [ $? = 2 ] || fail "watch $bad must exit 2"
done

# A file cut at a random byte of its last reading keeps every reading before it.
size=$(stat -c %s "$history")
first_two=$(head -3 "$history" | wc -c)
cut=$(( first_two + RANDOM % (size - first_two) ))
head -c "$cut" "$history" >"$work/cut" && mv "$work/cut" "$history"
out=$(h --replay "$later" history 1 2>&1)
grep -q '^readings: [12]$' <<<"$out" || fail "a history cut at byte $cut: $out"

# A history that cannot be written: said, and the drives are read all the same.
echo x >"$work/file"
out=$(cli "$@" --replay "$(arg "$machine")" --history "$(arg "$work/file")/vexa.history" smart 1)
[ $? = 0 ] || fail "an unwritable history made smart fail: $out"
grep -q 'cannot be added to the history file' <<<"$out" && grep -q $'\t005\t' <<<"$out" \
  || fail "an unwritable history: $out"

# The two snapshots of one real disk, taken weeks apart.
samples=$root/../shared/samples/real
if [ -f "$samples/maxtor_96147H8_snapshot2.smartdata.bin" ]; then
  rm -f "$history"
  python3 "$root/tools/sample-machine.py" "$samples" maxtor_96147H8 "2024-03-01 09:00:00" "$work/first.machine"
  python3 "$root/tools/sample-machine.py" "$samples" maxtor_96147H8_snapshot2 "2024-03-20 09:00:00" "$work/second.machine"
  h --replay "$(arg "$work/first.machine")" list >/dev/null
  out=$(h --replay "$(arg "$work/second.machine")" smart 1)
  for id in 010 199; do
    grep -q $'\t'"$id"$'\t.*\tworse: ' <<<"$out" || fail "Maxtor attribute $id is not marked worse: $out"
  done
  [ "$(grep -c $'\tchanged: ' <<<"$out")" = 16 ] || fail "Maxtor: not 16 rows changed: $out"
  out=$(h --replay "$(arg "$work/second.machine")" history 1)
  grep -q '^readings: 2$' <<<"$out" && grep -q $'^2024-03-20 09:00\tFallback\tBAC51KJ0\t警報\t18 changed, verdict worse, 2 worse' <<<"$out" \
    || fail "Maxtor history: $out"
else
  echo "skip the Maxtor snapshots: the shared real samples are not beside the checkout"
fi
echo "vexa-cli history passed"
