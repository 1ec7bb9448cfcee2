#!/usr/bin/env bash
# vexa.exe as delivered: a PE32 GUI program of one file that starts under Wine with
# "-page 2 -size 600 500", shows its title, closes on request and leaves its INI file
# beside it with the page index.
#   usage: start-and-close.sh VEXA_EXE PROBE_EXE SOURCE_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"

# The executable itself: 32-bit, GUI subsystem, under 4 MB, only Windows' own DLLs.
info=$(LC_ALL=C i686-w64-mingw32-objdump -p "$exe")
grep -q 'file format pei-i386' <<<"$info" || fail "not a PE32 executable"
grep -q 'Subsystem.*00000002' <<<"$info" || fail "not a GUI program"
size=$(stat -c %s "$exe")
[ "$size" -lt $((4 * 1024 * 1024)) ] || fail "vexa.exe is $size bytes"
for dll in $(grep 'DLL Name' <<<"$info" | awk '{print tolower($3)}' | sort -u); do
  case $dll in
    kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|shell32.dll|advapi32.dll|ole32.dll|oleaut32.dll|msvcrt.dll|\
    comdlg32.dll|wininet.dll|shlwapi.dll|uxtheme.dll|version.dll|ws2_32.dll|api-ms-win-*) ;;
    *) fail "vexa.exe needs $dll" ;;
  esac
done

start_vexa -page 2 -size 600 500
title=$(probe title)
[ "$title" = "Vexa 16.09.09 beta" ] || [[ "$title" == "Vexa 16.09.09 beta - "* ]] || fail "title is '$title'"
controls=$(probe controls)
grep -q $'^Button\t1003\t&離開$' <<<"$controls" || fail "no exit button: $controls"
grep -q '^ComboBox' <<<"$controls" || fail "no device selector"
grep -q '^SysTabControl32' <<<"$controls" || fail "no page control"
screenshot start
stop_vexa
[ -f "$work/vexa.ini" ] || fail "no vexa.ini beside vexa.exe"
ini=$(tr -d '\r' < "$work/vexa.ini")
grep -A20 '^\[tabs\]' <<<"$ini" | grep -qx 'page_index=2' || fail "tabs.page_index is not 2: $ini"
grep -A20 '^\[window\]' <<<"$ini" | grep -q '^width=' || fail "window.width was not written: $ini"
echo "vexa.exe started, showed '$title', closed and wrote vexa.ini"
