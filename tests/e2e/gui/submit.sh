#!/usr/bin/env bash
# The Submit page sending a report over HTTPS through WinINet to vexa-collector on
# the loopback address, whose certificate a throw-away authority signed. While the
# authority is trusted (added to the Wine prefix's Root store for this test only),
# an e-mail and a comment typed into the page (Chinese, quotes, "&", "+", "%" and a
# line break) reach the collector as typed, in a report that is otherwise exactly
# what vexa-cli report gives for the same machine and drive, and the page asks
# whether to open the report's page (answered with Cancel: no browser). With the
# authority removed again the page shows its failure message and nothing new is
# stored: the certificate is really checked.
#   usage: submit.sh VEXA_EXE PROBE_EXE SOURCE_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"
collector=$root/build/native/collector/vexa-collector
[ -x "$collector" ] || fail "no $collector: build the native preset first (cmake --preset native && cmake --build --preset native)"
cli_exe=$(dirname "$exe")/vexa-cli.exe
cli() { "$root/cmake/wine-run.sh" "$cli_exe" "$@" | tr -d '\r'; }

# The authority and the collector's certificate. Wine's crypt32 matches the host only
# against DNS names of the subject's alternative names, so 127.0.0.1 is one of them too.
tls=$work/tls
mkdir "$tls"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Vexa GUI test authority" \
  -keyout "$tls/ca-key.pem" -out "$tls/ca.pem" 2>/dev/null || fail "openssl made no authority"
openssl x509 -in "$tls/ca.pem" -outform der -out "$tls/ca.der"
openssl req -newkey rsa:2048 -nodes -subj /CN=127.0.0.1 -keyout "$tls/key.pem" -out "$tls/cert.csr" 2>/dev/null ||
  fail "openssl made no request"
printf 'subjectAltName=IP:127.0.0.1,DNS:127.0.0.1\n' > "$tls/san.ext"
openssl x509 -req -in "$tls/cert.csr" -CA "$tls/ca.pem" -CAkey "$tls/ca-key.pem" -CAcreateserial -days 2 \
  -extfile "$tls/san.ext" -out "$tls/cert.pem" 2>/dev/null || fail "openssl signed no certificate"
authority=$(winepath -w "$tls/ca.der")

# Whatever happens, the prefix trusts the authority no longer and the collector stops,
# before lib.sh closes the window and the display.
finish() {
  local status=$?
  set +e
  [ -n "${authority:-}" ] && probe untrust "$authority" >/dev/null 2>&1
  if [ -n "${collector_pid:-}" ]; then
    kill -TERM "$collector_pid" 2>/dev/null
    wait "$collector_pid" 2>/dev/null
  fi
  return $status
}
trap 'finish; cleanup' EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

# The public pages hide the e-mail and the serial; the report as received is read
# through the maintainers' URL, with a token of this run.
printf 'gui-submit-token\n' > "$work/token"
chmod 600 "$work/token"
(cd "$work" && exec "$collector" --listen 127.0.0.1:0 --cert "$tls/cert.pem" --key "$tls/key.pem" \
  --db "sqlite:$work/reports.db" --admin-token-file "$work/token" > "$work/collector.out" 2> "$work/collector.err") &
collector_pid=$!
url=
for _ in $(seq 100); do
  url=$(sed -n 's/^vexa-collector: serving \([^ ]*\) with .*/\1/p' "$work/collector.out")
  [ -n "$url" ] && break
  kill -0 "$collector_pid" 2>/dev/null || fail "the collector did not start: $(cat "$work/collector.err")"
  sleep 0.1
done
[ -n "$url" ] || fail "the collector did not start listening"
port=$(sed -n 's|^https://127\.0\.0\.1:\([0-9]*\)/.*|\1|p' <<<"$url")
fetch() { curl -sf --cacert "$tls/ca.pem" "$url${1-}"; }
fetch_received() { curl -sf --cacert "$tls/ca.pem" -H 'Authorization: Bearer gui-submit-token' "${url}admin/$1"; }
stored() { fetch | sed -n 's/.*<p>共 \([0-9]*\) 份報告.*/\1/p'; }

# An authority left behind by an interrupted run has the same name: it goes too.
probe untrust "$authority" >/dev/null
probe trust "$authority" || fail "the authority could not be trusted"
printf '%s\r\n' '[tabs.submit]' 'server=127.0.0.1' "port=$port" 'secure=屬實' > "$work/vexa.ini"
machine=$(winepath -w "$root/samples/desktop-ssd-hdd.machine")
# vexa.exe on the first drive's Submit page; sets the ids of its two boxes and button.
# Each box is the first Edit after its label.
box_after() { probe controls | awk -F'\t' -v l="$1" '$3 == l {seen = 1} seen && $1 == "Edit" {print $2; exit}'; }
start_on_submit_page() {
  start_vexa -replay "$machine" -pos 0 0 -size 640 560 -device 1 -page 5
  [ "$(probe tabs | grep '^\*')" = "*提交" ] || fail "the Submit page is not shown: $(probe tabs)"
  email_box=$(box_after '您的電子信箱（可選）')
  comment_box=$(box_after '有些什麼意見要發')
  submit=$(control_id Button '正在提交 SSD 資料...')
  [ -n "$email_box" ] && [ -n "$comment_box" ] && [ -n "$submit" ] || fail "the page's boxes or button are missing"
}
# Presses the submit button and answers the message box that follows with BUTTON,
# after a screenshot NAME; prints the box's text and its buttons' ids.
submit_answering() {
  probe click "$submit"
  sleep 2
  screenshot "submit-$1"
  probe answer "$2" 60000
}
start_on_submit_page

email='測試者.tester@example.org'
comment=$'這顆硬碟很好用！100% 滿意: a&b + c=d "引號"\n第二行 ok'
probe typein "$email_box" "$email"
probe typein "$comment_box" "$comment"
[ "$(probe text "$email_box")" = "$email" ] || fail "the e-mail box shows '$(probe text "$email_box")'"
[ "$(probe text "$comment_box")" = "$comment" ] || fail "the comment box shows '$(probe text "$comment_box")'"
screenshot submit-typed

# Trusted: sent, stored, and the page offers the report's page.
question=$(submit_answering question cancel) || fail "no question after the submission"
[ "$question" = $'感謝您提交此裝置, 你想在網上查看嗎?\nbuttons: 1 2' ] || fail "the page asked: $question"
[ "$(stored)" = 1 ] || fail "the collector holds $(stored) reports, not 1"
fetch_received details/1/report.json > "$work/stored.json" || fail "the collector has no report 1"
cli --replay "$machine" report 1 > "$work/cli.json"
python3 - "$work/stored.json" "$work/cli.json" "$email" "$comment" <<'PY' || fail "the stored report differs"
import json, sys
stored = open(sys.argv[1], encoding="utf-8").read()
cli = open(sys.argv[2], encoding="utf-8").read().rstrip("\n")
email, comment = sys.argv[3], sys.argv[4]
report = json.loads(stored)
assert report["信箱"] == email, "e-mail: %r" % report["信箱"]
assert report["留言"] == comment, "comment: %r" % report["留言"]
# vexa-cli leaves both boxes empty; everything else must be the same bytes.
empty = '"信箱":"","留言":""'
typed = '"信箱":%s,"留言":%s' % (json.dumps(email, ensure_ascii=False), json.dumps(comment, ensure_ascii=False))
assert cli.count(empty) == 1, "vexa-cli's report has no empty e-mail and comment"
expected = cli.replace(empty, typed)
if stored != expected:
    at = next(i for i in range(min(len(stored), len(expected))) if stored[i] != expected[i])
    sys.exit("stored: ...%s...\nexpected: ...%s..." % (stored[at - 40:at + 40], expected[at - 40:at + 40]))
PY

stop_vexa

# Not trusted: the page says it failed, and nothing reaches the collector's store.
# Wine's crypt32 goes on trusting an authority it has used in a running process after
# the authority left the store (Windows notices the store's change), so a new vexa.exe
# submits.
[ "$(probe untrust "$authority")" = 1 ] || fail "the authority was not in the Root store"
start_on_submit_page
failure=$(submit_answering refused ok) || fail "no message after a submission to an untrusted server"
[ "$failure" = $'未能提交裝置\n(狀態碼: 0; 接收的字節數: -1)\nbuttons: 1' ] || fail "the failure reads: $failure"
[ "$(stored)" = 1 ] || fail "an untrusted submission was stored"
[ "$(grep -c '"method":"POST","path":"/vexa/submit.php"' "$work/collector.err")" = 1 ] || fail "the collector saw: $(cat "$work/collector.err")"
stop_vexa
echo "submit: report 1 stored as vexa-cli makes it, with the typed e-mail and comment; refused without trust"
