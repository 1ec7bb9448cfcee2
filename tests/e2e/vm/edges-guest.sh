#!/usr/bin/env bash
# Runs inside tools/drives-vm.sh's guest after drives-guest.sh took its outputs:
# - the SCSI ports (system.enum_scsi): one per host with an ATA disk, named as it;
# - bench --real PATH on what is not a whole disk or a file big enough: a partition is
#   measured (exit 0), a small file, a folder, /dev/null, /dev/sg0 and a missing path
#   each get a message naming the path and exit 2, and nothing is created;
# - the USB disk unplugged in the middle of a benchmark on it: the benchmark ends in
#   time without a crash, cut short, and says a read failed (exit 1); a vexa-cli started
#   while the kernel removes it ends too, and afterwards the others all still report.
# Writes OUT/edges.txt, one "ok ..." or "FAIL ..." line per check ("note ..." for what
# is not yet as it should be but fails nothing) (drives.sh judges it).
#   usage: edges-guest.sh OUT VEXA-CLI
set -uo pipefail
out=$1 cli=$2
log=$out/edges.txt
: >"$log"
check() {  # check WHAT CONDITION...: one line in the log
  local what=$1
  shift
  if "$@"; then echo "ok $what" >>"$log"; else echo "FAIL $what" >>"$log"; fi
}
rc_in() { local rc=$1; shift; local r; for r; do [ "$rc" = "$r" ] && return 0; done; return 1; }
work=$(mktemp -d)
empty=$(mktemp -d)

# The SCSI ports: one for each host with an ATA disk (the two SATA disks and the IDE
# disk), each named by its disk's IDENTIFY as the disk itself is.
timeout 120 "$cli" --real --set system.enum_scsi=1 list >"$work/ports.out" 2>"$work/ports.err"
rc=$?
ports=$(awk -F'\t' '$1 ~ /^S/ {print $4}' "$work/ports.out" | sort)
disks=$(awk -F'\t' '$1 ~ /^P/ && ($4 ~ /^QEMU HARDDISK$/ || $4 ~ /^Samsung/) {print $4}' "$work/ports.out" | sort)
check "SCSI ports (status $rc): $(tr '\n' ',' <<<"$ports") for the ATA disks $(tr '\n' ',' <<<"$disks")" \
  test "$rc" = 0 -a -n "$ports" -a "$ports" = "$disks"

# Bad paths, from an empty folder that must stay empty. The small file lies on the
# share: tmpfs refuses O_DIRECT before its size is ever looked at.
small=/vmshare/small.bin
head -c 1000 /dev/zero >"$small"
bench_path() {  # bench_path NAME PATH: exit status in $work/NAME.rc, output beside it
  (cd "$empty" && timeout 60 "$cli" --real --set tabs.benchmark.access_samplecount=64 bench "$2" 3 \
    >"$work/$1.out" 2>"$work/$1.err")
  echo $? >"$work/$1.rc"
}
# Which sdX holds the partitioned images follows the order the controllers were
# probed in, which changes from boot to boot: take the first partition the kernel lists.
partition=/dev/$(awk '$4 ~ /^sd[a-z]+[0-9]+$/ {print $4; exit}' /proc/partitions)
bench_path partition "$partition"
check "bench $partition (a partition) is measured: status $(cat "$work/partition.rc") $(head -c 300 "$work/partition.err")" \
  test "$(cat "$work/partition.rc")" = 0 -a -s "$work/partition.out"
for bad in small:$small folder:/tmp null:/dev/null sg:/dev/sg0 missing:/dev/no-such-disk; do
  name=${bad%%:*} path=${bad#*:}
  bench_path "$name" "$path"
  message=$(head -1 "$work/$name.err")
  check "bench $path: status $(cat "$work/$name.rc"), '$message'" \
    test "$(cat "$work/$name.rc")" = 2 -a ! -s "$work/$name.out" -a "${message#*"$path": }" != "$message"
done
check "bench on bad paths created nothing: $(ls -A "$empty" | tr '\n' ' ')" test -z "$(ls -A "$empty")"
check "the small file is as it was" test "$(head -c 1000 /dev/zero | cmp - "$small" && echo same)" = same
rm -f "$small"

# The USB disk: its number in vexa-cli's list, its name in the kernel's.
usb=$(awk -F'\t' '$2 == "USB" {print NR; exit}' "$out/vexa/list.out")
node=
for b in /sys/block/sd*; do
  case $(readlink -f "$b/device") in */usb*) node=$(basename "$b") ;; esac
done
if [ -z "$usb" ] || [ -z "$node" ]; then
  echo "FAIL no USB disk to unplug (vexa-cli's number '$usb', the kernel's '$node')" >>"$log"
  exit 0
fi
# A benchmark far longer than the test, on the USB disk, unplugged once it reads.
timeout 60 "$cli" --real --set tabs.benchmark.access_samplecount=1000000 bench "$usb" 3 \
  >"$work/unplug-bench.out" 2>"$work/unplug-bench.err" &
bench=$!
began=$SECONDS
sleep 3
check "the benchmark was running when the unplug was asked for" kill -0 "$bench"
echo usb-disk >/vmshare/unplug
for ((i = 0; i < 100; i++)); do [ -f /vmshare/unplugged ] && break; sleep 0.1; done
# Started right away, while the kernel is still taking the disk away.
timeout 60 "$cli" --real list >"$work/during.out" 2>"$work/during.err" &
during=$!
check "the host unplugged the USB disk: $(cat /vmshare/unplugged 2>/dev/null)" test -f /vmshare/unplugged
wait "$bench"
rc=$?
waited=$((SECONDS - began))
check "the benchmark ended after the unplug, a failure: status $rc after $waited s (out: $(tr '\n' ' ' <"$work/unplug-bench.out" | head -c 200); err: $(tr '\n' ' ' <"$work/unplug-bench.err" | head -c 300))" \
  test "$rc" -eq 1
measured=$(awk -F'\t' '$1 == "samples" {print $5}' "$work/unplug-bench.out")
check "the benchmark stopped at the unplug: $measured of 1000000 samples" test "${measured:-0}" -gt 0 -a "${measured:-0}" -lt 1000000
check "the benchmark said that a read failed: $(cat "$work/unplug-bench.err")" grep -q "a read failed" "$work/unplug-bench.err"
wait "$during"
rc=$?
check "vexa-cli list during the removal: status $rc ($(tr '\n' ' ' <"$work/during.err" | head -c 200))" rc_in "$rc" 0 1

# Once the kernel let it go, the others are all there and each reports.
for ((i = 0; i < 50; i++)); do [ -e "/sys/block/$node" ] || break; sleep 0.2; done
check "the kernel removed $node" test ! -e "/sys/block/$node"
timeout 60 "$cli" --real list >"$work/after.out" 2>"$work/after.err"
rc=$?
expected=$(awk -F'\t' '$2 != "USB"' "$out/vexa/list.out" | cut -f4 | sort)
check "list after the unplug: status $rc, the other drives ($(cut -f4 "$work/after.out" | tr '\n' ','))" \
  test "$rc" = 0 -a "$(cut -f4 "$work/after.out" | sort)" = "$expected"
count=$(grep -c . "$work/after.out")
for ((n = 1; n <= count; n++)); do
  timeout 60 "$cli" --real report "$n" >"$work/report-$n.out" 2>"$work/report-$n.err"
  rc=$?
  check "report $n after the unplug: status $rc" rc_in "$rc" 0 1
done
cp -r "$work" "$out/edges"
rm -rf "$work" "$empty"
echo "guest: edge cases done after $(cut -d' ' -f1 /proc/uptime) s"
