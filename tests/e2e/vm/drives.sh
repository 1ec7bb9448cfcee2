#!/usr/bin/env bash
# vexa-cli --real on a real kernel: tools/drives-vm.sh boots a PC with SATA, IDE,
# optical, NVMe, USB and virtio drives; inside it drives-guest.sh runs the reference
# tools (smartctl, hdparm, nvme, sfdisk) and vexa-cli side by side, and
# compare-drives.py sets them field by field. The images must come out unchanged.
#   usage: drives.sh ROOT VEXA-CLI LOGDIR
# LOGDIR/vm-drives/ keeps the console (console.log) and both sides' outputs.
set -uo pipefail
root=$1 cli=$2 logs=$3/vm-drives
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -rf "$logs"
mkdir -p "$logs"

"$root/tools/drives-vm.sh" --prepare "$work/vm" || fail "could not make the drive images"
(cd "$work/vm" && sha256sum ./*.img) >"$logs/images.before"
began=$SECONDS
"$root/tools/drives-vm.sh" "$work/vm" bash "$root/tests/e2e/vm/drives-guest.sh" /vmshare/out "$cli"
guest=$?
cp "$work/vm/console.log" "$work/vm/accel" "$logs/" 2>/dev/null
cp -r "$work/vm/share/out/." "$logs/" 2>/dev/null
echo "vm-drives: the guest ran $((SECONDS - began)) s under $(cat "$work/vm/accel" 2>/dev/null || echo nothing)"
(cd "$work/vm" && sha256sum ./*.img) >"$logs/images.after"
status=0
if ! diff "$logs/images.before" "$logs/images.after"; then
  echo "FAIL: a drive image changed during the run" >&2
  status=1
fi
[ -d "$logs/ref" ] || fail "the guest wrote no results (console: $logs/console.log)"
[ "$guest" = 0 ] || { echo "FAIL: the drives machine is not as it should be (see GUEST: lines above)" >&2; status=1; }
# Bad paths and the unplugged disk (edges-guest.sh).
if [ -f "$logs/edges.txt" ]; then
  cat "$logs/edges.txt"
  grep -q '^FAIL' "$logs/edges.txt" && { echo "FAIL: vexa-cli did not take the bad paths or the unplug as it should" >&2; status=1; }
else
  echo "FAIL: the guest did not try the bad paths and the unplug" >&2
  status=1
fi
python3 "$root/tests/e2e/vm/compare-drives.py" "$logs" "$cli" || status=1
exit $status
