#!/usr/bin/env bash
# The knowledge commands of vexa-cli end to end: regex, known, decode, smart-dump.
#   usage: knowledge.sh SOURCE_DIR VEXA_CLI_COMMAND...
source "$(dirname "$0")/lib.sh"
cli() { "$@" | tr -d '\r'; }

out=$(cli "$@" regex 'SSDSC2[BC]W(\d+)A3' 'INTEL SSDSC2CW120A3')
[ "$out" = $'position: 7\nmatched: SSDSC2CW120A3\ncapture 0: 120' ] || fail "regex printed: $out"
out=$(cli "$@" regex 'x' 'abc')
[ "$out" = "position: -1" ] || fail "regex without a match printed: $out"
out=$("$@" regex '[a' 'abc' 2>&1 | tr -d '\r'); status=${PIPESTATUS[0]}
[ "$status" -eq 1 ] || fail "a bad pattern must exit 1 (got $status)"
grep -q '^error: RegEx' <<<"$out" || fail "a bad pattern printed: $out"

out=$(cli "$@" known 'Samsung SSD 850 PRO 256GB' EXM02B6Q)
grep -qx 'row: 1' <<<"$out" || fail "known: $out"
grep -qx 'brand: 1 Samsung' <<<"$out" || fail "known brand: $out"
grep -qx 'descriptor_ssd: Samsung' <<<"$out" || fail "known descriptor: $out"
out=$(cli "$@" known 'NOBODY' 'S9FM01.1')
grep -qx 'row: firmware 4' <<<"$out" || fail "known by firmware: $out"
"$@" known a b 12345 >/dev/null 2>&1
[ $? -eq 2 ] || fail "a bad WWN must exit 2"

out=$(cli "$@" decode 'HDS721010CLA632')
grep -q '^decoder: ' <<<"$out" || fail "decode found nothing: $out"
grep -q '7,200 RPM' <<<"$out" || fail "decode lacks the spindle speed: $out"
out=$(cli "$@" decode 'zz')
[ "$out" = "decoders: 0" ] || fail "decode of nonsense printed: $out"

samples=$root/../shared/samples/real
if [ -f "$samples/kingston_SA400S37240G.smartdata.bin" ]; then
  data=$samples/kingston_SA400S37240G.smartdata.bin
  limits=$samples/kingston_SA400S37240G.thresholds.bin
  data=$(arg "$data") limits=$(arg "$limits")
  out=$(cli "$@" smart-dump "$data" "$limits" --descriptor Phison)
  grep -q '^count: ' <<<"$out" || fail "smart-dump printed: $out"
  grep -q '^key 2: ' <<<"$out" || fail "smart-dump found no temperature: $out"
else
  echo "skip smart-dump: the shared real samples are not beside the checkout"
fi
"$@" smart-dump /nonexistent /nonexistent --descriptor Samsung >/dev/null 2>&1
[ $? -eq 2 ] || fail "smart-dump of a missing file must exit 2"
echo "vexa-cli knowledge commands passed"
