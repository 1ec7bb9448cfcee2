#!/usr/bin/env bash
# Runs a Windows test executable under Wine for ctest (CMAKE_CROSSCOMPILING_EMULATOR):
# the Wine of the program's own width (tools/wine-env.sh: a 32-bit program under the
# 32-bit loader, a 64-bit one under wine64), its prefix made once, Traditional
# Chinese code page, no Wine debug chatter. Tests that make windows ask for a
# display with VEXA_NEEDS_DISPLAY=1 and get a virtual one of their own.
#   usage: wine-run.sh PROGRAM.exe [ARG...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tools/wine-env.sh" "$1"
unset DISPLAY
if [ "${VEXA_NEEDS_DISPLAY:-0}" = 1 ]; then
  # Wine's desktop lives as long as its server and stays bound to the display it
  # was made on: start and end with a server of our own, so neither this test nor
  # the next one meets a desktop whose display is gone. (Such tests run alone.)
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  status=0
  xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" wine "$@" || status=$?
  wineserver -k 2>/dev/null || true
  exit $status
fi
exec wine "$@"
