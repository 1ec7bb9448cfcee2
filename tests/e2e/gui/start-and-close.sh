#!/usr/bin/env bash
# vexa.exe on a virtual display under Wine: a PE32 GUI program of one file that
# starts with "-page 2 -size 600 500", shows its title, closes on request and leaves
# its INI file beside it with the page index.
#   usage: start-and-close.sh VEXA_EXE PROBE_EXE SOURCE_DIR
set -euo pipefail
exe=$1 probe=$2 root=$3
work=$(mktemp -d)
trap 'status=$?; [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"; exit $status' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The executable itself: 32-bit, GUI subsystem, under 4 MB, only Windows' own DLLs.
info=$(i686-w64-mingw32-objdump -p "$exe")
grep -q 'file format pei-i386' <<<"$info" || fail "not a PE32 executable"
grep -q 'Subsystem.*00000002' <<<"$info" || fail "not a GUI program"
size=$(stat -c %s "$exe")
[ "$size" -lt $((4 * 1024 * 1024)) ] || fail "vexa.exe is $size bytes"
dlls=$(grep 'DLL Name' <<<"$info" | awk '{print tolower($3)}' | sort -u)
for dll in $dlls; do
  case $dll in
    kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|shell32.dll|advapi32.dll|ole32.dll|oleaut32.dll|msvcrt.dll|\
    comdlg32.dll|wininet.dll|shlwapi.dll|uxtheme.dll|version.dll|ws2_32.dll|api-ms-win-*) ;;
    *) fail "vexa.exe needs $dll" ;;
  esac
done

cp "$exe" "$work/vexa.exe"
prefix=$("$root/tools/wine-prefix.sh")
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' LC_ALL=zh_TW.UTF-8
display=:$((200 + RANDOM % 300))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

(cd "$work" && wine vexa.exe -page 2 -size 600 500) &
app=$!
title=$(wine "$probe" wait 60000 | tr -d '\r')
[ "$title" = "Vexa 16.09.09 beta" ] || fail "title is '$title'"
wine "$probe" controls | tr -d '\r' > "$work/controls.txt"
grep -q $'^Button\t&離開$' "$work/controls.txt" || fail "no exit button: $(cat "$work/controls.txt")"
grep -q '^ComboBox' "$work/controls.txt" || fail "no device selector"
grep -q '^SysTabControl32' "$work/controls.txt" || fail "no page control"
if [ -n "${VEXA_SCREENSHOT_DIR:-}" ]; then
  mkdir -p "$VEXA_SCREENSHOT_DIR"
  import -window root "$VEXA_SCREENSHOT_DIR/start.png" || true
fi
wine "$probe" close
wait "$app" || fail "vexa.exe exited with an error"
[ -f "$work/vexa.ini" ] || fail "no vexa.ini beside vexa.exe"
ini=$(tr -d '\r' < "$work/vexa.ini")
grep -A20 '^\[tabs\]' <<<"$ini" | grep -qx 'page_index=2' || fail "tabs.page_index is not 2: $ini"
grep -A20 '^\[window\]' <<<"$ini" | grep -q '^width=' || fail "window.width was not written: $ini"
echo "vexa.exe started, showed '$title', closed and wrote vexa.ini"
