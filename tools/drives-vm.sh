#!/usr/bin/env bash
# Runs a command on an emulated PC full of drives, so the real-drive code meets Linux's
# own drivers (tools/vm-lib.sh: Debian's kernel under qemu over this machine's files,
# the repository shared writable). The drives, each on a small sparse image in DIR:
#   sata-known   SATA (AHCI), a known model, solid state     MBR partitioned
#   sata-qemu    SATA (AHCI), qemu's own identity, rotating  GPT partitioned
#   optical      SATA (AHCI) DVD drive, no disc
#   ide          IDE disk on the PIIX controller
#   nvme         NVMe controller, one namespace, a critical warning set
#   usb          USB mass storage on an xHCI controller
#   virtio       virtio disk
# DIR/drives.txt lists them (name, serial, model: TAB-separated; qemu makes up the
# serial where none is given). The command runs as root in the current directory;
# the guest's console (the command's output too) goes to DIR/console.log and is
# printed at the end; the exit code is the command's.
# The guest may unplug a device while it runs: it writes the device's qemu id (the
# USB disk is usb-disk) into /vmshare/unplug, and the host answers in
# /vmshare/unplugged with what qemu's monitor (DIR/monitor.sock) said to device_del.
#   usage: tools/drives-vm.sh --prepare DIR     make the images (kept when present)
#          tools/drives-vm.sh DIR COMMAND [ARG...]
# KVM is tried first; when it is missing, or the guest is not up within
# VEXA_DRIVES_VM_KVM_WAIT seconds (20), qemu's software emulation runs it. DIR/accel
# says which. The whole run is bounded by VEXA_DRIVES_VM_TIMEOUT seconds (800).
set -euo pipefail
usage() { echo "usage: tools/drives-vm.sh --prepare DIR | DIR COMMAND [ARG...]" >&2; exit 2; }
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/tools/vm-lib.sh"

known_model="Samsung SSD 850 PRO 256GB"
prepare() {
  local dir=$1 name
  mkdir -p "$dir"
  for name in sata-known sata-qemu ide nvme usb virtio; do
    [ -f "$dir/$name.img" ] || truncate -s 64M "$dir/$name.img"
  done
  if ! sfdisk -d "$dir/sata-known.img" >/dev/null 2>&1; then
    printf 'label: dos\nlabel-id: 0x5645584b\n\n1MiB,16MiB,83,*\n,24MiB,7\n' | sfdisk -q "$dir/sata-known.img" >/dev/null
  fi
  if ! sfdisk -d "$dir/sata-qemu.img" >/dev/null 2>&1; then
    printf 'label: gpt\nlabel-id: 5645584B-0000-4000-8000-000000000001\n\nstart=2048, size=40960, type=L, name=vexa-one\nsize=24576, type=EBD0A0A2-B9E5-4433-87C0-68B6B72699C7, name=vexa-two\n' |
      sfdisk -q "$dir/sata-qemu.img" >/dev/null
  fi
  printf '%s\t%s\t%s\n' \
    sata-known S1SUNSAF912345X "$known_model" \
    sata-qemu - "QEMU HARDDISK" \
    optical - "QEMU DVD-ROM" \
    ide VEXAIDE0001 "QEMU HARDDISK" \
    nvme VEXANVME0001 "QEMU NVMe Ctrl" \
    usb VEXAUSB0001 "QEMU HARDDISK" \
    virtio VEXAVIRTIO0001 "" >"$dir/drives.txt"
}

[ $# -ge 2 ] || usage
if [ "$1" = --prepare ]; then
  [ $# -eq 2 ] || usage
  prepare "$2"
  exit 0
fi
mkdir -p "$1"
dir=$(cd "$1" && pwd)
shift
prepare "$dir"
vm_need
vm_initrd drives ahci libata ata_piix ata_generic scsi_mod sd_mod sr_mod sg nvme \
  xhci_pci ehci_pci usb_storage virtio_blk crct10dif_generic

share=$dir/share
rm -rf "$share"
mkdir -p "$share"
vm_command "$share" "$repo" "$@"
vm_guest "$share" "$(cat <<'PRELUDE'
echo "drives-vm: up after $(cut -d' ' -f1 /proc/uptime) s"
PRELUDE
)"
mapfile -t shares < <(vm_shares "$share" "$repo")

drive() { printf '%s\n' -drive "file=$dir/$1.img,if=none,id=$1,format=raw"; }
mapfile -t machine < <(
  printf '%s\n' -device ahci,id=ahci
  drive sata-known
  printf '%s\n' -device "ide-hd,bus=ahci.0,drive=sata-known,model=$known_model,serial=S1SUNSAF912345X,ver=EXM02B6Q,rotation_rate=1"
  drive sata-qemu
  printf '%s\n' -device ide-hd,bus=ahci.1,drive=sata-qemu,rotation_rate=7200
  printf '%s\n' -device ide-cd,bus=ahci.2
  drive ide
  printf '%s\n' -device ide-hd,bus=ide.0,unit=0,drive=ide,serial=VEXAIDE0001
  drive nvme
  printf '%s\n' -device nvme,drive=nvme,serial=VEXANVME0001,smart_critical_warning=4
  drive usb
  printf '%s\n' -device qemu-xhci,id=xhci -device usb-storage,id=usb-disk,bus=xhci.0,drive=usb,serial=VEXAUSB0001
  drive virtio
  printf '%s\n' -device virtio-blk-pci,drive=virtio,serial=VEXAVIRTIO0001
)

# qemu in the background with its console in a file; PID of the one running.
qemu_pid=
stop() { [ -n "$qemu_pid" ] && kill "$qemu_pid" 2>/dev/null && wait "$qemu_pid" 2>/dev/null; qemu_pid=; }
trap stop EXIT
start() {
  local accel=$1
  rm -f "$share/up" "$share/status" "$share/unplug" "$share/unplugged" "$dir/monitor.sock"
  : >"$dir/console.log"
  # -nodefaults: no drive or card the list above does not name (the machine's own
  # PIIX IDE controller stays).
  qemu-system-x86_64 -machine pc -nodefaults "${accel_options[@]}" -smp 2 -m 1G \
    -kernel "$vm_cache/vmlinuz" -initrd "$vm_cache/drives-initrd.gz" \
    -append "console=ttyS0 quiet loglevel=0 panic=1" \
    -display none -vga none -serial "file:$dir/console.log" -monitor "unix:$dir/monitor.sock,server=on,wait=off" -no-reboot \
    "${shares[@]}" "${machine[@]}" </dev/null >"$dir/qemu-$accel.log" 2>&1 &
  qemu_pid=$!
}
# A qemu that ended is a zombie until waited for, and kill -0 still finds it.
alive() { [ -n "$qemu_pid" ] && [ -r "/proc/$qemu_pid/stat" ] && [ "$(cut -d' ' -f3 "/proc/$qemu_pid/stat")" != Z ]; }
# One command to qemu's monitor; what it answered, its prompts left out.
monitor() {
  python3 - "$dir/monitor.sock" "$1" <<'PY'
import socket, sys
def upto_prompt(s):
    text = b""
    while not text.endswith(b"(qemu) "):
        chunk = s.recv(4096)
        if not chunk:
            break
        text += chunk
    return text
s = socket.socket(socket.AF_UNIX)
s.settimeout(10)
s.connect(sys.argv[1])
upto_prompt(s)
s.sendall(sys.argv[2].encode() + b"\n")
lines = upto_prompt(s).decode(errors="replace").replace("\r", "").split("\n")
print("\n".join(l for l in lines[1:] if not l.startswith("(qemu)")).strip() or "done")
PY
}
# The guest's request to unplug a device, answered once.
unplug_requested() {
  [ -f "$share/unplug" ] && [ ! -f "$share/unplugged" ] || return 0
  local id
  id=$(tr -dc 'a-z0-9-' <"$share/unplug")
  monitor "device_del $id" >"$share/unplugged.new" 2>&1 || echo "the monitor did not answer" >>"$share/unplugged.new"
  mv "$share/unplugged.new" "$share/unplugged"
  echo "drives-vm: the guest unplugged $id: $(tr '\n' ' ' <"$share/unplugged")" >&2
}
up_within() {
  local i
  for ((i = 0; i < $1 * 2; i++)); do
    [ -f "$share/up" ] && return 0
    alive || return 1
    sleep 0.5
  done
  return 1
}

began=$SECONDS
accel=
if [ -r /dev/kvm ] && [ -w /dev/kvm ]; then
  accel_options=(-accel kvm -cpu host)
  start kvm
  if up_within "${VEXA_DRIVES_VM_KVM_WAIT:-20}"; then
    accel=kvm
  else
    echo "drives-vm: KVM did not bring the guest up ($(tail -c 300 "$dir/qemu-kvm.log" | tr '\n' ' ')); software emulation instead" >&2
    stop
  fi
fi
if [ -z "$accel" ]; then
  accel_options=(-accel tcg,thread=multi -cpu max)
  start tcg
  accel=tcg
fi
echo "$accel" >"$dir/accel"
echo "drives-vm: running under $accel" >&2
limit=${VEXA_DRIVES_VM_TIMEOUT:-800}
while alive; do
  if ((SECONDS - began > limit)); then
    echo "drives-vm: the guest did not finish within $limit s; stopped (console: $dir/console.log)" >&2
    stop
    tr -d '\r' <"$dir/console.log"
    exit 1
  fi
  unplug_requested
  sleep 0.2
done
wait "$qemu_pid" || true
qemu_pid=
tr -d '\r' <"$dir/console.log"
[ -f "$share/up" ] || { echo "drives-vm: the guest never came up: $(tr '\n' ' ' <"$dir/qemu-$accel.log")" >&2; exit 1; }
[ -f "$share/status" ] || { echo "drives-vm: the guest ended without the command's exit code" >&2; exit 1; }
echo "drives-vm: $(( SECONDS - began )) s under $accel" >&2
exit "$(cat "$share/status")"
