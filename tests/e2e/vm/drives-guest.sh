#!/usr/bin/env bash
# Runs inside tools/drives-vm.sh's guest: checks that every driver came and every
# drive is there, then writes what the reference tools and vexa-cli --real say about
# each drive into OUT (ref/ and vexa/), for compare-drives.py to set side by side.
#   usage: drives-guest.sh OUT VEXA-CLI [MACHINE]
# With a machine file, only vexa-cli's side runs, on that machine's replay (compare.sh).
# Exits non-zero only when the machine itself is wrong (a driver, a drive or a
# reference tool missing); what vexa-cli says is judged afterwards.
set -uo pipefail
out=$1 cli=$2 machine=${3:-}
mkdir -p "$out/ref" "$out/vexa"
problems=0
problem() { echo "GUEST: $*"; problems=$((problems + 1)); }
source=(--real)
if [ -n "$machine" ]; then
  source=(--replay "$machine")
else

for module in ahci ata_piix libata sd_mod sr_mod sg nvme xhci_pci usb_storage virtio_blk; do
  grep -q "^$module " /proc/modules || problem "module $module is not loaded"
done
# Disks on the USB bus and behind libata turn up a moment after their drivers load.
expected="nvme0n1 sda sdb sdc sdd sr0 vda"
for ((i = 0; i < 60; i++)); do
  [ "$(ls /sys/block | grep -v '^loop' | sort | tr '\n' ' ')" = "$expected " ] && break
  sleep 0.5
done
ls /sys/block | grep -v '^loop' | sort >"$out/ref/sys-block.txt"
[ "$(tr '\n' ' ' <"$out/ref/sys-block.txt")" = "$expected " ] ||
  problem "block devices: $(tr '\n' ' ' <"$out/ref/sys-block.txt") (expected $expected)"
echo "guest: drives ready after $(cut -d' ' -f1 /proc/uptime) s"

# The reference side, per device: what the kernel calls it and how it is attached.
for dev in $(cat "$out/ref/sys-block.txt"); do
  sys=/sys/block/$dev
  {
    echo "name $dev"
    echo "path $(readlink -f "$sys/device")"
    for f in device/vendor device/model device/rev device/serial serial device/wwid size queue/rotational; do
      [ -r "$sys/$f" ] && echo "$f $(tr -d '\n' <"$sys/$f" 2>/dev/null)"
    done
  } >"$out/ref/$dev.sysfs.txt"
  node=/dev/$dev
  case $dev in
    sd*|sr*)
      smartctl -x --json=c "$node" >"$out/ref/$dev.smartctl.json" 2>&1
      echo $? >"$out/ref/$dev.smartctl.rc"
      hdparm --Istdout "$node" >"$out/ref/$dev.hdparm.txt" 2>&1 || echo "hdparm: $node: status $?" >>"$out/ref/$dev.hdparm.txt"
      ;;
    nvme*)
      ctrl=/dev/${dev%n1}
      nvme id-ctrl -o json "$ctrl" >"$out/ref/$dev.id-ctrl.json" || problem "nvme id-ctrl failed on $ctrl"
      nvme smart-log -o json "$ctrl" >"$out/ref/$dev.smart-log.json" || problem "nvme smart-log failed on $ctrl"
      nvme id-ctrl -b "$ctrl" >"$out/ref/$dev.id-ctrl.bin" || problem "nvme id-ctrl -b failed on $ctrl"
      smartctl -x --json=c "$ctrl" >"$out/ref/$dev.smartctl.json" 2>&1
      echo $? >"$out/ref/$dev.smartctl.rc"
      ;;
  esac
  [ "${dev:0:2}" = sr ] || sfdisk --json "$node" >"$out/ref/$dev.sfdisk.json" 2>/dev/null || rm -f "$out/ref/$dev.sfdisk.json"
done
# Every ATA disk answers SMART through libata, and the partitioned images show their tables.
for dev in sda sdb sdc; do
  grep -q '"ata_smart_attributes"' "$out/ref/$dev.smartctl.json" 2>/dev/null || problem "smartctl read no SMART attributes from $dev"
  [ "$(grep -cE '^ *[0-9a-f]{4}( [0-9a-f]{4}){7} *$' "$out/ref/$dev.hdparm.txt")" = 32 ] || problem "hdparm gave no IDENTIFY block for $dev"
done
[ "$(ls "$out"/ref/*.sfdisk.json 2>/dev/null | wc -l)" -ge 2 ] || problem "sfdisk found fewer than two partition tables"
grep -q '"critical_warning" *: *[1-9]' "$out/ref/nvme0n1.smart-log.json" || problem "the NVMe health log has no critical warning"
fi

# Vexa's side. Raw values in decimal, as smartctl gives them.
run() {  # run NAME ARG...: output, errors and exit status of one vexa-cli call
  local name=$1
  shift
  timeout 120 "$cli" "${source[@]}" --set tabs.smart.hex_raw_value=0 "$@" >"$out/vexa/$name.out" 2>"$out/vexa/$name.err"
  echo $? >"$out/vexa/$name.rc"
}
run list list
run list-json list --json
run capture capture "$out/vexa/capture.machine" --keep-serials
# As a user would send it (serials replaced): tests/e2e/vm/fixture/guest.machine is one.
[ -n "$machine" ] || run capture-sent capture "$out/vexa/guest.machine"
count=$(cat "$out/vexa/list.out" 2>/dev/null | grep -c .)
for ((n = 1; n <= count; n++)); do
  run "report-$n" report "$n"
  run "smart-$n" smart "$n"
  run "smart-json-$n" smart "$n" --json
  run "identify-$n" identify "$n"
  run "identify-json-$n" identify "$n" --json
  run "partitions-$n" partitions "$n"
  run "partitions-json-$n" partitions "$n" --json
  run "debug-$n" debug "$n"
done
# The history of the drives themselves: two rounds a second apart.
run watch --history "$out/vexa/watch.history" watch --count 2 --every 1s
# The NVMe read counters again: Vexa's reads moved them.
for ctrl in /dev/nvme[0-9]; do
  [ -e "$ctrl" ] && nvme smart-log -o json "$ctrl" >"$out/ref/$(basename "$ctrl")n1.smart-log-after.json"
done
# The capture replayed must say what the machine said.
if [ -s "$out/vexa/capture.machine" ]; then
  source=(--replay "$out/vexa/capture.machine")
  run replay-list list
  for ((n = 1; n <= count; n++)); do
    run "replay-smart-$n" smart "$n"
    run "replay-identify-$n" identify "$n"
  done
fi
echo "guest: vexa-cli listed $count devices; done after $(cut -d' ' -f1 /proc/uptime) s"
# Then what may not go as planned: bad paths, a disk unplugged while it is read.
[ -n "$machine" ] || bash "$(dirname "$0")/edges-guest.sh" "$out" "$cli"
exit $((problems > 0))
