#!/usr/bin/env bash
# Builds vexa.exe and runs it under Wine: on your display when there is one,
# otherwise on a virtual display (Xvfb), where a screenshot is written and its path
# printed. Arguments go to vexa.exe (for example: -page 2 or -replay FILE). Wine
# has no ATA drives, so unless the arguments name a machine (-replay FILE) or ask
# for the real one (--real), Vexa shows the bundled sample desktop machine.
#   usage: tools/run.sh [--real] [vexa.exe options]
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
tools/runs-win32.sh || exit 1
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target vexa >/dev/null
exe=$PWD/build/windows/src/app/vexa.exe
args=("$@")
if [ "${args[0]:-}" = "--real" ]; then
  args=("${args[@]:1}")
elif ! printf '%s\n' "${args[@]}" | grep -qix -- '[-/]replay'; then
  args=(-replay "$PWD/samples/desktop-ssd-hdd.machine" "${args[@]}")
fi
prefix=$(tools/wine-prefix.sh)
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' LC_ALL=zh_TW.UTF-8
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec wine "$exe" "${args[@]}"
fi
shot=${VEXA_SCREENSHOT:-$PWD/build/vexa-screenshot.png}
seconds=${VEXA_RUN_SECONDS:-8}
displayfile=$(mktemp)
Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$displayfile"' EXIT
for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$displayfile")
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
wine "$exe" "${args[@]}" &
app=$!
sleep "$seconds"
import -window root "$shot"
echo "no display: ran vexa.exe on a virtual display for $seconds s; screenshot: $shot"
wineserver -k 2>/dev/null || true
wait $app 2>/dev/null || true
