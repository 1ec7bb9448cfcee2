#!/usr/bin/env bash
# vexa.exe as delivered: a PE32 GUI program of one file, stripped, under 4 MB, that
# needs no DLL beyond Windows' own.
#   usage: one-file.sh VEXA_EXE
set -euo pipefail
exe=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
info=$(LC_ALL=C i686-w64-mingw32-objdump -p "$exe")
grep -q 'file format pei-i386' <<<"$info" || fail "not a PE32 executable"
grep -q 'Subsystem.*00000002' <<<"$info" || fail "not a GUI program"
size=$(stat -c %s "$exe")
[ "$size" -lt $((4 * 1024 * 1024)) ] || fail "vexa.exe is $size bytes, 4 MB at most"
# Stripped: no symbol table and no debugging sections.
if LC_ALL=C i686-w64-mingw32-nm "$exe" 2>&1 | grep -qv 'no symbols'; then fail "vexa.exe carries symbols"; fi
if LC_ALL=C i686-w64-mingw32-objdump -h "$exe" | grep -q '\.debug_'; then fail "vexa.exe carries debugging sections"; fi
dlls=$(grep 'DLL Name' <<<"$info" | awk '{print tolower($3)}' | sort -u)
[ -n "$dlls" ] || fail "no imports found"
for dll in $dlls; do
  case $dll in
    kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|shell32.dll|advapi32.dll|ole32.dll|oleaut32.dll|msvcrt.dll|\
    comdlg32.dll|wininet.dll|shlwapi.dll|uxtheme.dll|version.dll|ws2_32.dll|api-ms-win-*) ;;
    *) fail "vexa.exe needs $dll" ;;
  esac
done
echo "vexa.exe: one PE32 GUI file of $size bytes, stripped, importing only $(echo $dlls)"
