#!/usr/bin/env bash
# Runs a command where Wine can run 32-bit programs, on a machine whose kernel cannot
# (tools/runs-win32.sh says why): boots an emulated x86-64 machine (qemu, software
# emulation, Debian's own kernel) whose file system is this machine's, read-only,
# with a layer in RAM for what it writes; the repository is shared writable, so
# test results and screenshots land where they would natively. The command runs
# there as root in the current directory; its output comes back on the terminal and
# its exit code is this script's. Slow (a wineboot takes about a minute), but real.
#   usage: tools/wine-vm.sh COMMAND [ARG...]
#   e.g.   tools/wine-vm.sh ctest --preset windows -R gui-start-and-close
# VEXA_WINE_VM_MEMORY (8G) sets the guest's memory. Needs root, as tools/setup.sh does.
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: tools/wine-vm.sh COMMAND [ARG...]" >&2; exit 2; }
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/vexa/wine-vm
share=$cache/share
mkdir -p "$cache" "$share"

need=()
command -v qemu-system-x86_64 >/dev/null || need+=(qemu-system-x86)
command -v cpio >/dev/null || need+=(cpio)
command -v depmod >/dev/null || [ -x /sbin/depmod ] || need+=(kmod)
if [ ${#need[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# The guest's kernel and a small initial file system that joins the shares.
if [ ! -f "$cache/initrd.gz" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  kernel=$(apt-cache search --names-only '^linux-image-[0-9.]+-[0-9]+-amd64-unsigned$' | cut -d' ' -f1 | sort -V | tail -1)
  [ -n "$kernel" ] || { echo "wine-vm: no Debian kernel package found" >&2; exit 1; }
  (cd "$work" && apt-get download "$kernel" busybox-static >/dev/null 2>&1)
  dpkg-deb -x "$work"/linux-image-*.deb "$work/k"
  dpkg-deb -x "$work"/busybox-static*.deb "$work/bb"
  cp "$work"/k/boot/vmlinuz-* "$cache/vmlinuz"
  root=$work/initrd
  mkdir -p "$root"/{bin,mods,proc,sys,dev,lower,upper,newroot}
  cp "$work/bb/bin/busybox" "$root/bin/"
  # The modules for the shares and the layers, each after those it needs.
  moddir=$(echo "$work"/k/lib/modules/*)
  PATH=$PATH:/sbin:/usr/sbin depmod -b "$work/k" "$(basename "$moddir")"
  order=()
  add() {
    local line dep
    printf '%s\n' "${order[@]}" | grep -qx "$1" && return
    line=$(grep "^$1:" "$moddir/modules.dep" | cut -d: -f2)
    for dep in $line; do add "$dep"; done
    order+=("$1")
  }
  for module in virtio_pci 9pnet_virtio 9p overlay; do
    add "$(grep -o "^[^:]*/$module\.ko" "$moddir/modules.dep")"
  done
  for module in "${order[@]}"; do
    cp "$moddir/$module" "$root/mods/"
    basename "$module" >>"$root/mods/order"
  done
  cat >"$root/init" <<'INIT'
#!/bin/busybox sh
/bin/busybox --install -s /bin
mount -t proc proc /proc; mount -t sysfs sys /sys; mount -t devtmpfs dev /dev
for m in $(cat /mods/order); do insmod /mods/$m; done
p9="trans=virtio,version=9p2000.L,msize=1048576"
mount -t 9p -o $p9,ro,cache=loose hostroot /lower
mount -t tmpfs tmpfs /upper
mount -t tmpfs tmpfs /newroot
# Each of the host's directories behind its own RAM layer; /proc, /sys, /dev, /tmp
# and /run are the guest's own (the host's /proc changes under a cache and would
# take the guest's mount with it).
for d in $(ls /lower); do
  case $d in proc|sys|dev|tmp|run|lost+found) continue ;; esac
  if [ -L /lower/$d ]; then ln -s "$(readlink /lower/$d)" /newroot/$d; continue; fi
  [ -d /lower/$d ] || continue
  mkdir -p /upper/$d/u /upper/$d/w /newroot/$d
  mount -t overlay overlay -o lowerdir=/lower/$d,upperdir=/upper/$d/u,workdir=/upper/$d/w /newroot/$d
done
mkdir -p /newroot/proc /newroot/sys /newroot/dev /newroot/tmp /newroot/run /newroot/vmshare
chmod 1777 /newroot/tmp
mount -t 9p -o $p9,cache=mmap share /newroot/vmshare
repo=$(cat /newroot/vmshare/repo)
# Programs run from the repository are mapped into memory, which reads them whole only through
# the page cache; the guest is the only writer while it runs, and syncs before it stops.
mount -t 9p -o $p9,cache=loose repo "/newroot$repo"
umount /proc /sys; mount --move /dev /newroot/dev
exec switch_root /newroot /bin/bash /vmshare/guest.sh
INIT
  chmod +x "$root/init"
  (cd "$root" && find . | cpio -o -H newc 2>/dev/null | gzip -1 >"$cache/initrd.gz.new")
  mv "$cache/initrd.gz.new" "$cache/initrd.gz"
fi

# What the guest runs: its own mounts, the Wine prefix (kept between runs as an
# archive), then the command, in the same directory, with its exit code saved.
printf '%s\n' "$repo" >"$share/repo"
printf '%q ' "$@" >"$share/command"
printf '%s\n' "$PWD" >"$share/directory"
rm -f "$share/status"
cat >"$share/guest.sh" <<'GUEST'
#!/bin/bash
exec >/dev/ttyS0 2>&1
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
mount -t proc proc /proc; mount -t sysfs sys /sys
mount -t tmpfs tmpfs /tmp; chmod 1777 /tmp; mount -t tmpfs tmpfs /run
mkdir -p /dev/pts /dev/shm; mount -t devpts devpts /dev/pts; mount -t tmpfs tmpfs /dev/shm
ln -s /proc/self/fd /dev/fd; ln -s /proc/self/fd/0 /dev/stdin; ln -s /proc/self/fd/1 /dev/stdout; ln -s /proc/self/fd/2 /dev/stderr
prefix=/root/.cache/vexa/wine32
mkdir -p "$(dirname "$prefix")"
[ -f /vmshare/wine32.tar ] && tar -C "$(dirname "$prefix")" -xf /vmshare/wine32.tar
if [ ! -f "$prefix/.vexa-ready" ]; then
  rm -rf "$prefix"
  VEXA_WINE_PREFIX=$prefix "$(cat /vmshare/repo)/tools/wine-prefix.sh" >/dev/null &&
    tar -C "$(dirname "$prefix")" -cf /vmshare/wine32.tar wine32
fi
export VEXA_WINE_PREFIX=$prefix
cd "$(cat /vmshare/directory)"
eval "$(cat /vmshare/command)"
echo $? >/vmshare/status
sync
echo 0 >/proc/sys/kernel/printk
echo o >/proc/sysrq-trigger
GUEST

# Without SMAP and protection keys: with them, qemu 7.2 faults a 32-bit program's
# return from an interrupt (iret), which Wine's 32-bit code uses.
qemu-system-x86_64 -accel tcg,thread=multi -cpu max,smap=off,pku=off -smp "$(nproc)" -m "${VEXA_WINE_VM_MEMORY:-8G}" \
  -kernel "$cache/vmlinuz" -initrd "$cache/initrd.gz" -append "console=ttyS0 quiet loglevel=0 panic=1" \
  -display none -serial stdio -monitor none -no-reboot \
  -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap \
  -virtfs local,path="$share",mount_tag=share,security_model=none \
  -virtfs local,path="$repo",mount_tag=repo,security_model=none </dev/null | stdbuf -oL tr -d '\r'
[ -f "$share/status" ] || { echo "wine-vm: the emulated machine ended without the command's exit code" >&2; exit 1; }
exit "$(cat "$share/status")"
