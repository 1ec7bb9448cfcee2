# What the emulated machines (tools/wine-vm.sh, tools/drives-vm.sh) share: Debian's
# own kernel under qemu, a busybox initial file system that loads the modules a
# machine needs and joins the shares, this machine's file system read-only with a
# layer in RAM for what the guest writes, and the repository shared writable.
# Sourced; needs root, as tools/setup.sh does.
#   vm_need                   install qemu, cpio and kmod when missing
#   vm_initrd NAME MODULE...  $vm_cache/NAME-initrd.gz: the shares' modules and these
#                             (file names without .ko; '-' and '_' alike), each after
#                             those it needs; built again when the list changes
#   vm_guest SHARE PRELUDE    the guest's script in SHARE: its own mounts, PRELUDE
#                             (shell text), then the command of vm_command, with its
#                             exit code saved; then the machine powers off
#   vm_command SHARE REPO COMMAND...   what the guest runs, in the current directory
#   vm_shares SHARE REPO      the qemu options of the three shares
vm_cache=${XDG_CACHE_HOME:-$HOME/.cache}/vexa/vm
mkdir -p "$vm_cache"

vm_need() {
  local need=()
  command -v qemu-system-x86_64 >/dev/null || need+=(qemu-system-x86)
  command -v cpio >/dev/null || need+=(cpio)
  command -v depmod >/dev/null || [ -x /sbin/depmod ] || need+=(kmod)
  if [ ${#need[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
  fi
}

# Debian's kernel package and busybox, fetched once and kept as packages.
vm_packages() {
  [ -f "$vm_cache/vmlinuz" ] && ls "$vm_cache"/linux-image-*.deb "$vm_cache"/busybox-static*.deb >/dev/null 2>&1 && return
  local kernel
  kernel=$(apt-cache search --names-only '^linux-image-[0-9.]+-[0-9]+-amd64-unsigned$' | cut -d' ' -f1 | sort -V | tail -1)
  [ -n "$kernel" ] || { echo "vm: no Debian kernel package found" >&2; return 1; }
  rm -f "$vm_cache"/*.deb
  (cd "$vm_cache" && apt-get download "$kernel" busybox-static >/dev/null 2>&1) ||
    { echo "vm: could not download $kernel and busybox-static" >&2; return 1; }
  local work
  work=$(mktemp -d)
  dpkg-deb -x "$vm_cache"/linux-image-*.deb "$work"
  cp "$work"/boot/vmlinuz-* "$vm_cache/vmlinuz"
  rm -rf "$work"
}

vm_initrd() {
  local name=$1
  shift
  local modules=(virtio_pci 9pnet_virtio 9p overlay "$@")
  local out=$vm_cache/$name-initrd.gz
  vm_packages || return 1
  # Made again when its modules or its init (the number below, raised with each change) change.
  local stamp="init 2: ${modules[*]}"
  if [ -f "$out" ] && [ "$(cat "$out.modules" 2>/dev/null)" = "$stamp" ]; then return 0; fi
  local work
  work=$(mktemp -d)
  dpkg-deb -x "$vm_cache"/linux-image-*.deb "$work/k"
  dpkg-deb -x "$vm_cache"/busybox-static*.deb "$work/bb"
  local root=$work/initrd moddir
  mkdir -p "$root"/{bin,mods,proc,sys,dev,lower,upper,newroot}
  cp "$work/bb/bin/busybox" "$root/bin/"
  moddir=$(echo "$work"/k/lib/modules/*)
  PATH=$PATH:/sbin:/usr/sbin depmod -b "$work/k" "$(basename "$moddir")"
  local order=() module file
  add() {
    local line dep
    printf '%s\n' "${order[@]}" | grep -qx "$1" && return
    line=$(grep "^$1:" "$moddir/modules.dep" | cut -d: -f2)
    for dep in $line; do add "$dep"; done
    order+=("$1")
  }
  for module in "${modules[@]}"; do
    file=$(grep -o "^[^:]*/${module//[-_]/[-_]}\.ko" "$moddir/modules.dep" || true)
    if [ -z "$file" ]; then
      # Built into the kernel: nothing to load.
      grep -q "/${module//[-_]/[-_]}\.ko$" "$moddir/modules.builtin" && continue
      echo "vm: the kernel has no module $module" >&2
      rm -rf "$work"
      return 1
    fi
    add "$file"
  done
  for module in "${order[@]}"; do
    cp "$moddir/$module" "$root/mods/"
    basename "$module" >>"$root/mods/order"
  done
  cat >"$root/init" <<'INIT'
#!/bin/busybox sh
/bin/busybox --install -s /bin
mount -t proc proc /proc; mount -t sysfs sys /sys; mount -t devtmpfs dev /dev
for m in $(cat /mods/order); do insmod /mods/$m || echo "init: $m did not load"; done
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
mkdir -p "/newroot$repo"
mount -t 9p -o $p9,cache=loose repo "/newroot$repo"
umount /proc /sys; mount --move /dev /newroot/dev
exec switch_root /newroot /bin/bash /vmshare/guest.sh
INIT
  chmod +x "$root/init"
  (cd "$root" && find . | cpio -o -H newc 2>/dev/null | gzip -1 >"$out.new")
  mv "$out.new" "$out"
  printf '%s' "$stamp" >"$out.modules"
  rm -rf "$work"
}

vm_command() {
  local share=$1 repo=$2
  shift 2
  printf '%s\n' "$repo" >"$share/repo"
  printf '%q ' "$@" >"$share/command"
  printf '%s\n' "$PWD" >"$share/directory"
  rm -f "$share/status" "$share/up"
}

vm_guest() {
  local share=$1 prelude=$2
  {
    cat <<'GUEST'
#!/bin/bash
exec >/dev/ttyS0 2>&1
: >/vmshare/up
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
mount -t proc proc /proc; mount -t sysfs sys /sys
# /tmp is already in RAM (the root's own layer); a fresh tmpfs there would hide a
# repository checked out under /tmp.
chmod 1777 /tmp; mount -t tmpfs tmpfs /run
mkdir -p /dev/pts /dev/shm; mount -t devpts devpts /dev/pts; mount -t tmpfs tmpfs /dev/shm
ln -s /proc/self/fd /dev/fd; ln -s /proc/self/fd/0 /dev/stdin; ln -s /proc/self/fd/1 /dev/stdout; ln -s /proc/self/fd/2 /dev/stderr
GUEST
    printf '%s\n' "$prelude"
    cat <<'GUEST'
cd "$(cat /vmshare/directory)"
eval "$(cat /vmshare/command)"
echo $? >/vmshare/status
sync
echo 0 >/proc/sys/kernel/printk
echo o >/proc/sysrq-trigger
GUEST
  } >"$share/guest.sh"
}

vm_shares() {
  local share=$1 repo=$2
  printf '%s\n' \
    -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap \
    -virtfs "local,path=$share,mount_tag=share,security_model=none" \
    -virtfs "local,path=$repo,mount_tag=repo,security_model=none"
}
