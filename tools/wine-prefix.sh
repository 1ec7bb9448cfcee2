#!/usr/bin/env bash
# Creates (once) the Wine prefix that runs Vexa and its Windows tests, with
# Traditional Chinese rendering: Noto Sans CJK TC stands in for the fonts Windows
# programs ask for. Prints the prefix path. The prefixes live outside the
# repository, one per width: a 32-bit one for the i686 build and a 64-bit one
# (made by the 64-bit loader alone, so it needs no 32-bit code) for the x86-64 build.
#   usage: tools/wine-prefix.sh [win32|win64]
#   prefix: $VEXA_WINE_PREFIX (win32) or $VEXA_WINE64_PREFIX (win64), else
#           ~/.cache/vexa/wine32 or ~/.cache/vexa/wine64
set -euo pipefail
arch=${1:-win32}
cache=${XDG_CACHE_HOME:-$HOME/.cache}/vexa
case $arch in
  win32) prefix=${VEXA_WINE_PREFIX:-$cache/wine32}; loader=/usr/lib/wine/wine ;;
  win64) prefix=${VEXA_WINE64_PREFIX:-$cache/wine64}; loader=/usr/lib/wine/wine64 ;;
  *) echo "usage: tools/wine-prefix.sh [win32|win64]" >&2; exit 2 ;;
esac
stamp="$prefix/.vexa-ready"
if [ -f "$stamp" ]; then echo "$prefix"; exit 0; fi

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [ -f "$stamp" ]; then echo "$prefix"; exit 0; fi
[ -x "$loader" ] || { echo "wine-prefix: no Wine loader at $loader (tools/setup.sh installs it)" >&2; exit 1; }

if ! locale -a 2>/dev/null | grep -qix 'zh_TW.utf8'; then
  localedef -i zh_TW -f UTF-8 zh_TW.UTF-8 >/dev/null 2>&1 || echo "warning: could not generate zh_TW.UTF-8" >&2
fi

# A half-made prefix from an interrupted run would never be finished: start afresh.
rm -rf "$prefix"
export WINEPREFIX="$prefix" WINEARCH=$arch WINELOADER=$loader WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
unset DISPLAY
if ! LC_ALL=zh_TW.UTF-8 "$loader" wineboot -i >"$prefix.log" 2>&1; then
  echo "wine-prefix: Wine ($loader) could not make the $arch prefix $prefix:" >&2
  tail -5 "$prefix.log" >&2
  exit 1
fi

# Font replacements: the Chinese UI faces Windows programs name map to Noto. The
# registry file is UTF-16 because the value names are not ASCII.
reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  for face in 'PMingLiU' '新細明體' 'Microsoft JhengHei' 'Microsoft JhengHei UI' '微軟正黑體'; do
    printf '"%s"="Noto Sans CJK TC"\r\n' "$face"
  done
  for face in 'MingLiU' '細明體'; do
    printf '"%s"="Noto Sans Mono CJK TC"\r\n' "$face"
  done
  # Wine draws its own window frames, so screenshots of a bare Xvfb show title bars.
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Decorated"="N"\r\n'
} | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
LC_ALL=zh_TW.UTF-8 "$loader" regedit /S "$(LC_ALL=zh_TW.UTF-8 "$loader" winepath.exe -w "$reg")" >/dev/null 2>&1
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
fi
WINEPREFIX="$prefix" "$(dirname "$loader")/wineserver" -w
touch "$stamp"
echo "$prefix"
