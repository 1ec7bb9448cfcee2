#!/usr/bin/env bash
# Runs a Windows test executable under Wine for ctest (CMAKE_CROSSCOMPILING_EMULATOR):
# 32-bit prefix made once by tools/wine-prefix.sh, Traditional Chinese code page,
# no Wine debug chatter, no display needed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=$("$here/../tools/wine-prefix.sh")
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' LC_ALL=zh_TW.UTF-8
unset DISPLAY
exec wine "$@"
