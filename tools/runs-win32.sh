#!/usr/bin/env bash
# Answers whether this machine can run 32-bit Windows programs under Wine: Debian's
# Wine runs them through its 32-bit Linux loader, which a kernel without IA-32
# emulation (or with it switched off) refuses. Says why on standard error when not.
#   usage: tools/runs-win32.sh && echo yes
loader=/usr/lib/wine/wine
if [ ! -x "$loader" ]; then
  echo "no 32-bit Wine loader at $loader (tools/setup.sh installs wine32)" >&2
  exit 1
fi
if ! "$loader" --version >/dev/null 2>&1; then
  echo "this machine cannot execute 32-bit programs (the kernel's IA-32 emulation is off), so Wine cannot run vexa.exe or its tests" >&2
  exit 1
fi
