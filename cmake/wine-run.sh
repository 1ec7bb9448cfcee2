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
