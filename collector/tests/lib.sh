# Shared by the collector's end-to-end scripts (sourced): a temporary work directory
# and every service started from it, both removed however the script ends; starting
# the collector on a free loopback port and stopping it; asking for a page.
#   needs: collector (the program) and here (this folder) set before sourcing
work=$(mktemp -d "${TMPDIR:-/tmp}/vexa-collector.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; for log in "$work"/*.err; do [ -f "$log" ] && tail -n 20 "$log" >&2; done; exit 1; }
export PYTHONUTF8=1
client() { python3 "$here/client.py" "$@"; }

# start NAME ARGS...: starts the collector with the given arguments (standard output
# in $work/NAME.out, errors and access log in $work/NAME.err) and sets url (the
# /vexa/ address) and pid.
start() {
  local name=$1
  shift
  "$collector" --listen 127.0.0.1:0 "$@" >"$work/$name.out" 2>"$work/$name.err" &
  pid=$!
  pids+=("$pid")
  for _ in $(seq 100); do
    url=$(sed -n 's/^vexa-collector: serving \([^ ]*\) with .*/\1/p' "$work/$name.out")
    [ -n "$url" ] && return 0
    kill -0 "$pid" 2>/dev/null || fail "$name did not start"
    sleep 0.1
  done
  fail "$name did not start listening"
}
# stop PID: SIGTERM, and the collector must end with status 0.
stop() {
  kill -TERM "$1"
  wait "$1"
  local status=$?
  [ "$status" -eq 0 ] || fail "the collector ended with status $status after SIGTERM"
}
# status_of URL CURL-ARGS...: prints the HTTP status; the body goes to $work/body.
status_of() {
  local address=$1
  shift
  curl -s -o "$work/body" -w '%{http_code}' "$@" "$address"
}
# total: the number of reports the index page of $url counts.
total() { curl -s "$url" | sed -n 's/.*<p>共 \([0-9]*\) 份報告.*/\1/p'; }
# chrome ARGS...: headless Chromium (empty $browser when it is not installed).
browser=$(command -v chromium || command -v chromium-browser)
chrome() { timeout 120 "$browser" --headless --no-sandbox --disable-gpu --disable-dev-shm-usage \
             --user-data-dir="$work/chromium" "$@" 2>>"$work/chromium.log"; }
