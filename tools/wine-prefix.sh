#!/usr/bin/env bash
# Creates (once) the 32-bit Wine prefix that runs Vexa and its Windows tests, with
# Traditional Chinese rendering: Noto Sans CJK TC stands in for the fonts Windows
# programs ask for. Prints the prefix path. The prefix lives outside the repository.
#   usage: tools/wine-prefix.sh            (prefix: $VEXA_WINE_PREFIX or ~/.cache/vexa/wine32)
set -euo pipefail
prefix=${VEXA_WINE_PREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/vexa/wine32}
stamp="$prefix/.vexa-ready"
if [ -f "$stamp" ]; then echo "$prefix"; exit 0; fi

mkdir -p "$(dirname "$prefix")"
exec 9>"$(dirname "$prefix")/.wine32.lock"
flock 9
if [ -f "$stamp" ]; then echo "$prefix"; exit 0; fi

if ! locale -a 2>/dev/null | grep -qix 'zh_TW.utf8'; then
  localedef -i zh_TW -f UTF-8 zh_TW.UTF-8 >/dev/null 2>&1 || echo "warning: could not generate zh_TW.UTF-8" >&2
fi

export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
unset DISPLAY
LC_ALL=zh_TW.UTF-8 wineboot -i >/dev/null 2>&1

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
LC_ALL=zh_TW.UTF-8 wine regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
fi
wineserver -w
touch "$stamp"
echo "$prefix"
