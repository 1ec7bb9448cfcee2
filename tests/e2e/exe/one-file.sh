#!/usr/bin/env bash
# The Windows programs as delivered: each one file of the build's width (PE32 for
# i386, PE32+ for x86-64), of the right subsystem (vexa.exe a GUI program,
# vexa-cli.exe a console one), stripped, under 4 MiB, needing no DLL beyond Windows' own;
# a 32-bit one runs the x87 at double precision.
#   usage: one-file.sh pei-i386|pei-x86-64 VEXA_EXE VEXA_CLI_EXE
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
check() {  # EXE SUBSYSTEM_NUMBER SUBSYSTEM_NAME
  local exe=$1 name info magic format machine size dlls
  name=$(basename "$exe")
  # The x86-64 binutils read both widths; the i686 ones only their own.
  info=$(LC_ALL=C x86_64-w64-mingw32-objdump -p "$exe") || fail "$name: not a Windows program"
  format=$(LC_ALL=C x86_64-w64-mingw32-objdump -f "$exe" | sed -n 's/.*file format //p')
  magic=$(awk '$1 == "Magic" {print $3}' <<<"$info")
  machine=$(awk '$1 == "architecture:" {print $2}' <<<"$(LC_ALL=C x86_64-w64-mingw32-objdump -f "$exe")" | tr -d ,)
  case $format in
    pei-i386) [ "$magic" = "(PE32)" ] && [ "$machine" = i386 ] || fail "$name: $format with $magic for $machine" ;;
    pei-x86-64) [ "$magic" = "(PE32+)" ] && [ "$machine" = i386:x86-64 ] || fail "$name: $format with $magic for $machine" ;;
    *) fail "$name: neither PE32 for i386 nor PE32+ for x86-64 but $format" ;;
  esac
  [ "$format" = "$expected" ] || fail "$name is $format, the build makes $expected"
  grep -q "Subsystem.*0000000$2" <<<"$info" || fail "$name is not a $3 program"
  size=$(stat -c %s "$exe")
  [ "$size" -lt $((4 * 1024 * 1024)) ] || fail "$name is $size bytes, 4 MiB at most"
  # Stripped: no symbol table and no debugging sections.
  if LC_ALL=C x86_64-w64-mingw32-nm "$exe" 2>&1 | grep -qv 'no symbols'; then fail "$name carries symbols"; fi
  if LC_ALL=C x86_64-w64-mingw32-objdump -h "$exe" | grep -q '\.debug_'; then fail "$name carries debugging sections"; fi
  # A 32-bit program sets the x87 to double precision at start (CMakeLists.txt links
  # CRT_fp8.o): its start-up then imports the C runtime's _fpreset.
  if [ "$format" = pei-i386 ] && ! grep -qw '_fpreset' <<<"$info"; then
    fail "$name leaves the x87 at 64-bit precision: CRT_fp8.o is not linked"
  fi
  dlls=$(grep 'DLL Name' <<<"$info" | awk '{print tolower($3)}' | sort -u)
  [ -n "$dlls" ] || fail "$name: no imports found"
  for dll in $dlls; do
    case $dll in
      kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|shell32.dll|advapi32.dll|ole32.dll|oleaut32.dll|msvcrt.dll|\
      comdlg32.dll|wininet.dll|shlwapi.dll|uxtheme.dll|version.dll|ws2_32.dll|api-ms-win-*) ;;
      *) fail "$name needs $dll" ;;
    esac
  done
  echo "$name: one $magic $3 file for $machine of $size bytes, stripped, importing only $(echo $dlls)"
}
expected=$1
check "$2" 2 GUI
check "$3" 3 console
