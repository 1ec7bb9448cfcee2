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

# --- Shared by the scripts that compare the window with the console and drive the
# pages opened on demand, the settings and the window's life.

# vexa-cli of the same build, through the Wine of its width.
cli_exe=$(dirname "$exe")/vexa-cli.exe
cli() { "$root/cmake/wine-run.sh" "$cli_exe" "$@" | tr -d '\r'; }
# A sample machine by name, as Wine names the file.
sample_machine() { winepath -w "$root/samples/$1.machine"; }
# Keys, then wait until the window has handled them (a selection or a page's run
# keeps it busy for a while).
keys() { probe act "$@"; }
# Keys typed through the input queue can still be on their way when the window
# answers a probe: asks again, up to ten seconds, until COMMAND prints EXPECTED;
# prints what it printed last and fails when it never does.
settles() {  # EXPECTED COMMAND...
  local expected=$1 seen=
  shift
  for _ in $(seq 50); do
    seen=$("$@")
    [ "$seen" = "$expected" ] && return 0
    sleep 0.2
  done
  printf '%s' "$seen"
  return 1
}
chosen_device() { probe selector | grep -n '^\*' | cut -d: -f1; }
tab_count() { probe tabs | wc -l; }
selector_count() { probe selector | wc -l; }
# The position (from 1) and the caption of the page shown.
active_page() { probe tabs | grep -n '^\*' | cut -d: -f1; }
active_caption() { probe tabs | sed -n 's/^\*//p'; }
# Fails with the differences when what the window shows is not what was expected.
expect_same() {  # WHAT SHOWN EXPECTED
  [ "$2" = "$3" ] || fail "$1 differs (< seen, > expected):
$(diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | head -20)"
}
# A value of vexa.ini beside vexa.exe.
ini_value() {  # SECTION KEY
  tr -d '\r' <"$work/vexa.ini" | awk -v section="[$1]" -v key="$2" '
    /^\[/ { inside = ($0 == section) }
    inside && index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }'
}
# The state colour a control's text is painted in, read from the screen: the
# average darkening of the control's inside compared with each state colour's
# darkening of the background (the pixels of antialiased text lie between the
# background and the ink). Answers plain, good, warning, bad or empty (grey).
ink_state() {  # CONTROL_ID
  local x y w h background means
  read -r x y w h < <(probe rect "$1") || fail "no control $1 to read the colour of"
  import -window root -crop "$((w - 6))x$((h - 6))+$((x + 3))+$((y + 3))" +repage "$work/ink.png" ||
    fail "no screenshot of control $1"
  background=$(convert "$work/ink.png" -format %c histogram:info:- | sort -rn | head -1 |
    sed -E 's/^[^(]*\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/')
  means=$(convert "$work/ink.png" -format '%[fx:255*mean.r] %[fx:255*mean.g] %[fx:255*mean.b]' info:)
  awk -v background="$background" -v means="$means" 'BEGIN {
    split(background, b, " "); split(means, m, " ")
    # The state colours as red, green, blue (the program keeps them as 0x00BBGGRR).
    split("plain 0 0 128 good 0 128 0 warning 127 83 0 bad 208 32 0 empty 128 128 128", c, " ")
    for (k = 1; k <= 3; ++k) { d[k] = b[k] - m[k]; dn += d[k] * d[k] }
    best = -2
    for (i = 1; i < 20; i += 4) {
      en = 0; dot = 0
      for (k = 1; k <= 3; ++k) { e = b[k] - c[i + k]; en += e * e; dot += e * d[k] }
      if (dn == 0 || en == 0) continue
      cosine = dot / sqrt(en * dn)
      if (cosine > best) { best = cosine; name = c[i] }
    }
    print (best > 0.98 ? name : "unclear")
  }'
}
