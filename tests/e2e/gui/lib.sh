# Shared by the GUI end-to-end scripts: a virtual display, the Wine prefix, and a
# copy of vexa.exe in a scratch folder (so its INI file lands there).
#   source lib.sh VEXA_EXE PROBE_EXE SOURCE_DIR
exe=$1 probe=$2 root=$3
work=$(mktemp -d)
shots=${VEXA_SCREENSHOT_DIR:-$(dirname "$exe")/../../screenshots}
cleanup() {
  local status=$?
  set +e
  # Only our own program goes: other Wine programs may share the prefix. A window
  # left behind by a failure would be found by the next test, so close it first.
  if [ -n "${app:-}" ]; then
    timeout 20 wine "$probe" close >/dev/null 2>&1 || true
    kill "$app" 2>/dev/null
  fi
  [ -n "${app:-}" ] && wait "$app" 2>/dev/null
  # The Wine desktop is bound to our display, which goes now: so does the server.
  wineserver -k 2>/dev/null
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
  exit $status
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The Wine of vexa.exe's own width, with its prefix.
source "$root/tools/wine-env.sh" "$exe"
# Wine's desktop is made on the display of the first program that needs one and
# dies with it: every GUI test starts its own server on its own display. GUI tests
# run alone (RUN_SERIAL), so no other Wine program loses its server.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
# The server picks a free display number itself and writes it to the file.
Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "no virtual display"
export DISPLAY=:$(head -1 "$work/display")
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
# A window left by an earlier failure would answer the probe in place of ours.
while wine "$probe" title >/dev/null 2>&1; do timeout 20 wine "$probe" close >/dev/null 2>&1 || break; done
cp "$exe" "$work/vexa.exe"

probe() { wine "$probe" "$@" | tr -d '\r'; }
# Starts vexa.exe with the given options and waits for its window.
start_vexa() {
  (cd "$work" && exec wine vexa.exe "$@") &
  app=$!
  probe wait 60000 >/dev/null || fail "vexa.exe did not show its window"
}
stop_vexa() {
  probe close || fail "vexa.exe did not close"
  wait "$app" || fail "vexa.exe exited with an error"
  app=
}
# A screenshot of the whole virtual display, named for people to find.
screenshot() {
  mkdir -p "$shots"
  import -window root -crop 1024x768+0+0 "$shots/$1.png" 2>/dev/null || true
}
# A screenshot of the main window alone (Wine draws its frame), for contact sheets.
window_screenshot() {
  local id geometry
  mkdir -p "$shots"
  id=$(xdotool search --onlyvisible --name '^Vexa ' 2>/dev/null | head -1)
  geometry=$([ -n "$id" ] && xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /^ *Width/ {w=$2} /^ *Height/ {h=$2} END {if (w) printf "%dx%d+%d+%d", w, h, x, y}')
  import -window root -crop "${geometry:-1024x768+0+0}" +repage "$shots/$1.png" 2>/dev/null || true
}
# The id of the first control of a class whose text is exactly TEXT (any text when
# TEXT is empty); ids are handed out in the order controls are made.
control_id() { probe controls | awk -F'\t' -v c="$1" -v t="${2-}" '$1 == c && (t == "" || $3 == t) {print $2; exit}'; }
