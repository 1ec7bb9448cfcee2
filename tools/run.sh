#!/usr/bin/env bash
# Builds vexa.exe and runs it under Wine: on your display when there is one,
# otherwise on a virtual display (Xvfb), where a screenshot is written and its path
# printed. The 32-bit build runs where this kernel runs 32-bit programs, else the
# 64-bit one (--32 or --64 chooses). Arguments go to vexa.exe (for example: -page 2
# or -replay FILE). Wine has no ATA drives, so unless the arguments name a machine
# (-replay FILE) or ask for the real one (--real), Vexa shows the bundled sample
# desktop machine.
#   usage: tools/run.sh [--32|--64] [--real] [vexa.exe options]
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
preset=
case ${1:-} in
  --32) preset=windows; shift ;;
  --64) preset=windows64; shift ;;
esac
if [ -z "$preset" ]; then
  if tools/runs-win32.sh 2>/dev/null; then preset=windows; else preset=windows64; fi
fi
[ "$preset" = windows64 ] || tools/runs-win32.sh || exit 1
export CCACHE_DIR=${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/vexa/ccache} CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)" --target vexa >/dev/null
exe=$PWD/build/$preset/src/app/vexa.exe
args=("$@")
if [ "${args[0]:-}" = "--real" ]; then
  args=("${args[@]:1}")
elif ! printf '%s\n' "${args[@]}" | grep -qix -- '[-/]replay'; then
  args=(-replay "$PWD/samples/desktop-ssd-hdd.machine" "${args[@]}")
fi
source tools/wine-env.sh "$exe"
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
# The pointer starts mid-screen, over the page tabs, where it would raise a tool
# tip in the picture: park it in the far corner, away from the window.
xdotool mousemove 1023 767 2>/dev/null || true
wine "$exe" "${args[@]}" &
app=$!
sleep "$seconds"
xdotool mousemove 1023 767 2>/dev/null || true
import -window root "$shot"
echo "no display: ran the $preset build of vexa.exe on a virtual display for $seconds s; screenshot: $shot"
wineserver -k 2>/dev/null || true
wait $app 2>/dev/null || true
