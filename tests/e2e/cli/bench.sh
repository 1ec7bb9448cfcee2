#!/usr/bin/env bash
# vexa-cli bench over the bundled machines: the figures follow from each drive's
# read model and repeat byte for byte; bad numbers are refused; a drive that
# cannot be measured prints nothing; --png writes the page's picture.
#   usage: bench.sh SOURCE_DIR VEXA_CLI_COMMAND...
source "$(dirname "$0")/lib.sh"
sample() { arg "$root/samples/$1"; }
desktop=("$@" --replay "$(sample desktop-ssd-hdd.machine)")

run() {  # ARGS...: output of a successful run that wrote nothing to the error stream
  local out status
  out=$("$@" 2>"$work/err" | tr -d '\r'; exit "${PIPESTATUS[0]}")
  status=$?
  [ "$status" -eq 0 ] || fail "$*: exit status $status: $(cat "$work/err")"
  [ -s "$work/err" ] && fail "$*: wrote to the error stream: $(cat "$work/err")"
  printf '%s\n' "$out"
}

# The SSD reads in 60 µs plus 530 MB/s on 8 channels, counted at 3 579 545 Hz:
# a 4 KiB read is 214 + 27 ticks, so 4096 of them take 4096 × 241 ticks.
out=$(run "${desktop[@]}" bench 1 5) || exit 1
expected=$'iops\t2\t512\t0\t6000\t16495\t8445746
iops\t2\t4096\t0\t5000\t14852\t60837412
iops\t2\t131072\t0\t1000\t3257\t426913669
iops\t0\t4096\t0\t4096\t14852\t60837412
iops\t4\t512\t0\t8192\t16495\t8445746'
[ "$out" = "$expected" ] || fail "bench 1 5 printed:"$'\n'"$out"
again=$(run "${desktop[@]}" bench 1 5) || exit 1
[ "$again" = "$out" ] || fail "bench 1 5 printed other figures the second time"

# The hard disk: 12.5 ms a read, one at a time; the queued IOPS stay flat.
out=$(run "${desktop[@]}" bench 2 3) || exit 1
[ "$out" = $'samples\t4\t512\t0\t500\t12503\t12503\t12503\np\t12503\t12503\t12503\t12503' ] ||
  fail "bench 2 3 printed:"$'\n'"$out"
out=$(run "${desktop[@]}" bench 2 1) || exit 1
[ "$(cut -f6 <<<"$out" | sort -u)" = "79" ] || fail "bench 2 1: queue depth changed a one-channel drive:"$'\n'"$out"

# The optical drive has no disc: nothing to measure, nothing printed.
out=$(run "${desktop[@]}" bench 3 2) || exit 1
[ -z "$out" ] || fail "bench 3 2 printed: $out"

for args in "bench 4 1" "bench 1 6" "bench 1" "bench x 1" "bench 1 1 --png"; do
  # shellcheck disable=SC2086
  "${desktop[@]}" $args >/dev/null 2>"$work/err"
  [ $? -eq 2 ] || fail "$args: exit status is not 2"
  grep -q "usage: vexa-cli bench" "$work/err" || fail "$args: no usage line"
done

if [ "$wine" = 0 ]; then
  run "${desktop[@]}" --set tabs.benchmark.transfer_samplecount=16 bench 1 2 --png "$work/transfer.png" >/dev/null || exit 1
  python3 - "$work/transfer.png" <<'PY' || fail "--png did not write a 640 x 360 PNG"
import struct, sys
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n" and data[12:16] == b"IHDR"
assert struct.unpack(">II", data[16:24]) == (640, 360)
PY
  "${desktop[@]}" bench 1 2 --png "$work/missing/x.png" >/dev/null 2>"$work/err"
  [ $? -eq 1 ] && grep -q "missing/x.png" "$work/err" || fail "--png into a missing folder did not fail clearly"
fi
echo "bench: all checks passed"
