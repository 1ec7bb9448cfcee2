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
share=${XDG_CACHE_HOME:-$HOME/.cache}/vexa/wine-vm/share
mkdir -p "$share"
. "$repo/tools/vm-lib.sh"
vm_need
vm_initrd wine

# What the guest runs: the Wine prefix (kept between runs as an archive), then the
# command, in the same directory.
vm_command "$share" "$repo" "$@"
vm_guest "$share" "$(cat <<'PRELUDE'
prefix=/root/.cache/vexa/wine32
mkdir -p "$(dirname "$prefix")"
[ -f /vmshare/wine32.tar ] && tar -C "$(dirname "$prefix")" -xf /vmshare/wine32.tar
if [ ! -f "$prefix/.vexa-ready" ]; then
  rm -rf "$prefix"
  VEXA_WINE_PREFIX=$prefix "$(cat /vmshare/repo)/tools/wine-prefix.sh" >/dev/null &&
    tar -C "$(dirname "$prefix")" -cf /vmshare/wine32.tar wine32
fi
export VEXA_WINE_PREFIX=$prefix
PRELUDE
)"
mapfile -t shares < <(vm_shares "$share" "$repo")

# Without SMAP and protection keys: with them, qemu 7.2 faults a 32-bit program's
# return from an interrupt (iret), which Wine's 32-bit code uses.
qemu-system-x86_64 -accel tcg,thread=multi -cpu max,smap=off,pku=off -smp "$(nproc)" -m "${VEXA_WINE_VM_MEMORY:-8G}" \
  -kernel "$vm_cache/vmlinuz" -initrd "$vm_cache/wine-initrd.gz" -append "console=ttyS0 quiet loglevel=0 panic=1" \
  -display none -serial stdio -monitor none -no-reboot \
  "${shares[@]}" </dev/null | stdbuf -oL tr -d '\r'
[ -f "$share/status" ] || { echo "wine-vm: the emulated machine ended without the command's exit code" >&2; exit 1; }
exit "$(cat "$share/status")"
