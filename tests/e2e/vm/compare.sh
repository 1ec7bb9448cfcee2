#!/usr/bin/env bash
# compare-drives.py on a hand-made drives machine (fixture/: the reference tools'
# outputs of a drives-vm run, and a machine file that says the same through vexa-cli
# --replay but for the NVMe drive's critical warning): exactly that one difference,
# with the drive, the field and both values.
#   usage: compare.sh ROOT VEXA-CLI
. "$(dirname "$0")/../cli/lib.sh"
cli=$1
here=$root/tests/e2e/vm
cp -r "$here/fixture/ref" "$work/ref"
bash "$here/drives-guest.sh" "$work" "$cli" "$here/fixture/drives.machine" >/dev/null || fail "the vexa-cli side did not run"
python3 "$here/compare-drives.py" "$work" "$cli" >"$work/diff.txt"
status=$?
[ "$status" = 1 ] || { cat "$work/diff.txt"; fail "exit status $status, expected 1"; }
grep '^DIFF' "$work/diff.txt" >"$work/lines.txt"
[ "$(wc -l <"$work/lines.txt")" = 1 ] || { cat "$work/diff.txt"; fail "expected exactly one difference"; }
grep -qx "DIFF nvme0n1 (VEXANVME0001, vexa 4): critical_warning: reference '4', vexa '0'" "$work/lines.txt" ||
  fail "the difference does not name the drive, the field and both values: $(cat "$work/lines.txt")"
echo "compare: one difference found and named"
