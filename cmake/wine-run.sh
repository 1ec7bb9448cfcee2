#!/usr/bin/env bash
# Runs a Windows test executable under Wine for ctest (CMAKE_CROSSCOMPILING_EMULATOR):
# 32-bit prefix made once by tools/wine-prefix.sh, Traditional Chinese code page,
# no Wine debug chatter. Tests that make windows ask for a display with
# VEXA_NEEDS_DISPLAY=1 and get a virtual one of their own.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=$("$here/../tools/wine-prefix.sh")
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' LC_ALL=zh_TW.UTF-8
unset DISPLAY
if [ "${VEXA_NEEDS_DISPLAY:-0}" = 1 ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" wine "$@"
fi
exec wine "$@"
