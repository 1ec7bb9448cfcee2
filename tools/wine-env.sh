# Sourced by every script that runs a Windows program: picks the Wine that runs it.
# A 32-bit program needs Debian's 32-bit loader (and a kernel that runs 32-bit
# code); a 64-bit one needs only /usr/lib/wine/wine64, on any x86-64 kernel. The
# Debian commands wine, winepath and wineboot take the 32-bit loader whenever it is
# installed, so this puts commands of the right width first on PATH (wine,
# winepath, wineserver) and exports the prefix made by tools/wine-prefix.sh.
#   source tools/wine-env.sh EXE|win32|win64
# Sets VEXA_WINE_ARCH (win32 or win64). Fails, saying why, when that Wine cannot run.
vexa_wine_tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# win32 or win64 from a program's PE header (the machine field after "PE\0\0").
vexa_pe_arch() {
  local offset machine
  offset=$(od -An -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$offset" ] || return 1
  machine=$(od -An -t x2 -j $((offset + 4)) -N 2 "$1" 2>/dev/null | tr -d ' ')
  case $machine in
    014c) echo win32 ;;
    8664) echo win64 ;;
    *) return 1 ;;
  esac
}

# Writes a two-line command script once; a new one replaces the old by renaming,
# so a test running the old one in parallel never sees a half-written file.
vexa_wine_command() {
  local text
  text=$(printf '#!/bin/sh\n%s\n' "$2")
  [ -x "$1" ] && [ "$(cat "$1")" = "$text" ] && return 0
  printf '%s\n' "$text" > "$1.$$"
  chmod +x "$1.$$"
  mv -f "$1.$$" "$1"
}

vexa_wine_env() {
  local arch=$1
  if [ -f "$arch" ]; then
    arch=$(vexa_pe_arch "$arch") || { echo "wine-env: $1 is not a 32-bit or 64-bit Windows program" >&2; return 1; }
  fi
  local loader server
  case $arch in
    win32) loader=/usr/lib/wine/wine; server=/usr/lib/wine/wineserver ;;
    win64) loader=/usr/lib/wine/wine64; server=/usr/lib/wine/wineserver64 ;;
    *) echo "wine-env: unknown Windows width '$arch' (win32 or win64)" >&2; return 1 ;;
  esac
  [ -x "$loader" ] || { echo "wine-env: no Wine loader at $loader (tools/setup.sh installs it)" >&2; return 1; }
  local prefix
  prefix=$("$vexa_wine_tools/wine-prefix.sh" "$arch") || return 1
  local bin=$prefix.bin
  mkdir -p "$bin"
  vexa_wine_command "$bin/wine" "exec $loader \"\$@\""
  vexa_wine_command "$bin/winepath" "exec $loader winepath.exe \"\$@\""
  vexa_wine_command "$bin/wineserver" "exec $server \"\$@\""
  case ":$PATH:" in
    *":$bin:"*) ;;
    *) PATH=$bin:$PATH ;;
  esac
  export PATH VEXA_WINE_ARCH=$arch WINEPREFIX=$prefix WINELOADER=$loader WINESERVER=$server \
         WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' LC_ALL=zh_TW.UTF-8
}

vexa_wine_env "${1:?usage: source tools/wine-env.sh EXE|win32|win64}"
