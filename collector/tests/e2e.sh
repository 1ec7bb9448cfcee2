#!/usr/bin/env bash
# vexa-collector as a client and a browser meet it: started on a free loopback port
# (plain HTTP, then HTTPS with a throw-away certificate), fed good and bad reports,
# its pages read back, loaded by parallel posters and by a long run of posts, and
# stopped with SIGTERM (exit 0, so the sanitizers' leak check has its say). Every
# service runs in a temporary directory and is stopped however the script ends.
#   usage: e2e.sh BUILD_DIR COLLECTOR VEXA_CLI SOURCE_DIR
set -uo pipefail
build=$(realpath "$1")
collector=$(realpath "$2")
cli=$(realpath "$3")
root=$(realpath "$4")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"

echo "== command line"
# Refused in an empty folder, which must stay empty: no database for a bad command line.
mkdir "$work/refused" && cd "$work/refused" || fail "no folder for the refused command lines"
for args in "" "--listen 127.0.0.1:1" "--listen 127.0.0.1 --insecure-http" "--listen 127.0.0.1:70000 --insecure-http" \
            "--listen 127.0.0.1:0 --insecure-http --cert c.pem --key k.pem" "--listen 127.0.0.1:0 --cert c.pem" \
            "--listen 127.0.0.1:0 --insecure-http --db mysql://x" "--listen 127.0.0.1:0 --insecure-http --bogus" \
            "--listen 127.0.0.1:0 --cert $work/none.pem --key $work/none.pem"; do
  # shellcheck disable=SC2086
  "$collector" $args >/dev/null 2>"$work/usage.txt"
  [ $? -eq 2 ] || fail "'$args' must exit 2"
  grep -q '^vexa-collector: ' "$work/usage.txt" || fail "'$args' gave no message"
  [ -z "$(ls -A)" ] && continue
  fail "'$args' made $(ls -A)"
done

echo "== plain HTTP, SQLite"
cd "$work" || fail "no work directory"
# Public answers are redacted; the stored text is read back through the maintainers' URL.
# No limits per address: the 32 parallel posters and the 1000 posts in a row below come
# from one address and would be refused as a flood; hostile.sh tests the limits.
printf 'e2e-token
' >"$work/token"
chmod 600 "$work/token"
start http --insecure-http --admin-token-file "$work/token" --rate-limit 0 --page-rate-limit 0 --max-client-connections 0
http_pid=$pid
stored() { status_of "${url}admin/details/$1/report.json" -H 'Authorization: Bearer e2e-token'; }
[ -f "$work/vexa-reports.db" ] || fail "the default database is not ./vexa-reports.db"
"$cli" --replay "$root/samples/desktop-ssd-hdd.machine" report 1 >"$work/cli.json" || fail "vexa-cli report failed"
status=$(status_of "${url}submit.php" --data-urlencode "data@$work/cli.json")
number=$(cat "$work/body")
[ "$status" = 200 ] || fail "submit answered $status: $number"
[[ "$number" =~ ^[0-9]{1,19}$ ]] || fail "submit answered '$number', not a report number"
[ "$(stored "$number")" = 200 ] || fail "no stored report"
cmp -s "$work/body" "$work/cli.json" || fail "the stored report differs from the one vexa-cli made"
[ "$(status_of "${url}details/$number/")" = 200 ] || fail "no details page"
for member in '["裝置訊息"]["型號"]' '["裝置訊息"]["韌體"]' '["smart屬性"][0]["名稱"]'; do
  text=$(python3 -c "import json, sys; print(json.load(open(sys.argv[1]))$member)" "$work/cli.json")
  grep -qF "$text" "$work/body" || fail "the details page lacks '$text'"
done
echo "== vexa-cli submit"
port=$(sed -n 's|^https\?://[^:]*:\([0-9]*\)/.*|\1|p' <<<"$url")
submit() { "$cli" --replay "$root/samples/desktop-ssd-hdd.machine" submit 1 --server 127.0.0.1 "$@"; }
submit --port "$port" --insecure-http >"$work/submit.out" 2>"$work/submit.err" || fail "vexa-cli submit failed: $(cat "$work/submit.err")"
number=$(head -n 1 "$work/submit.out")
[ "$(sed -n 2p "$work/submit.out")" = "${url}details/$number/" ] || fail "vexa-cli submit named no details page"
stored "$number" >/dev/null
# vexa-cli report ends its line; the report itself has no line break.
cmp -s "$work/body" <(head -c -1 "$work/cli.json") || fail "the report vexa-cli sent differs from vexa-cli report"
comment=$'100% sure: a&b + c=d\n"quoted" 測試'
submit --port "$port" --insecure-http --email 'me@example.org' --comment "$comment" >"$work/submit.out" \
  || fail "vexa-cli submit with a comment failed"
stored "$(head -n 1 "$work/submit.out")" >/dev/null
python3 - "$work/body" "$comment" <<'PY' || fail "the comment or e-mail did not arrive as typed"
import json, sys
report = json.load(open(sys.argv[1], encoding="utf-8"))
assert report["留言"] == sys.argv[2] and report["信箱"] == "me@example.org", report["留言"]
PY
# An NVMe drive's report carries its health log, which the details page shows.
"$cli" --replay "$root/samples/nvme-desktop.machine" submit 2 --server 127.0.0.1 --port "$port" --insecure-http \
  >"$work/submit.out" || fail "vexa-cli submit of an NVMe drive failed"
status_of "${url}details/$(head -n 1 "$work/submit.out")/" >/dev/null
for text in "NVMe 健康記錄" "可用備用空間 (%)" "BC901 NVMe SK hynix 1024GB" "10139"; do
  grep -qF "$text" "$work/body" || fail "the NVMe details page lacks '$text'"
done
submit --port 1 --insecure-http >/dev/null 2>"$work/submit.err" && fail "a submit to a closed port succeeded"
grep -qF '(狀態碼: 0; 接收的字節數: -1)' "$work/submit.err" || fail "a refused connection gave: $(cat "$work/submit.err")"

client report >"$work/report.json"
status=$(status_of "${url}submit.php" --data-urlencode "data@$work/report.json")
[ "$status" = 200 ] || fail "submit answered $status: $(cat "$work/body")"
[ "$(status_of "${url}details/$(cat "$work/body")/")" = 200 ] || fail "no details page"
grep -qF "VX1234567890" "$work/body" && fail "the details page shows the serial"
for text in "VEXA TEST SSD 256GB" "256060514304 位元組" "Test NAND" "通電時間" "1234 小時" "D0B0" \
            "測試 &amp; 100% + more"; do
  grep -qF "$text" "$work/body" || fail "the details page lacks '$text'"
done

echo "== texts with markup and SQL"
evil=$'<script>alert(1)</script><img src=x onerror=alert(2)>\'; DROP TABLE reports; --"&'
client report "$evil" >"$work/evil.json"
status=$(status_of "${url}submit.php" --data-urlencode "data@$work/evil.json")
evil_number=$(cat "$work/body")
[ "$status" = 200 ] || fail "the report with markup was refused: $evil_number"
stored "$evil_number" >/dev/null
cmp -s "$work/body" "$work/evil.json" || fail "the report with markup was not stored verbatim"
shown='&lt;script&gt;alert(1)&lt;/script&gt;&lt;img src=x onerror=alert(2)&gt;&#39;; DROP TABLE reports; --&quot;&amp;'
for page in "details/$evil_number/" ""; do
  [ "$(status_of "$url$page")" = 200 ] || fail "no page $page"
  grep -qiE '<script|<img' "$work/body" && fail "page '$page' lets markup through"
  grep -qF "$shown" "$work/body" || fail "page '$page' does not show the text escaped"
done
status=$(status_of "${url}reports.json" -G --data-urlencode "model=$evil")
[ "$status" = 200 ] || fail "reports.json answered $status"
python3 - "$work/body" "$work/evil.json" "$evil_number" <<'PY' || fail "reports.json does not give the report back"
import json, sys
answer = json.load(open(sys.argv[1], encoding="utf-8"))["reports"]
assert [r["id"] for r in answer] == [int(sys.argv[3])], answer
sent = json.load(open(sys.argv[2], encoding="utf-8"))
shown = answer[0]["report"]
assert shown.pop("隱藏") == ["信箱", "序號", "全球通用名稱"] and shown["裝置訊息"].pop("全球通用名稱") == ""
assert shown["識別碼"][10:20] == [0x2020] * 10
sent["裝置訊息"].pop("全球通用名稱")
shown["識別碼"][10:20] = sent["識別碼"][10:20]
assert shown == sent
PY

echo "== refusals"
before=$(total)
head -c $((10 << 20)) /dev/zero | tr '\0' 'a' | sed 's/^/data=/' >"$work/huge.txt"
refuse() {  # EXPECTED_STATUS CURL-ARGS...
  local expected=$1
  shift
  local got
  got=$(status_of "${url}submit.php" "$@")
  [ "$got" = "$expected" ] || fail "'$*' answered $got, not $expected: $(head -c 200 "$work/body")"
  [ -s "$work/body" ] || fail "'$*' gave no reason"
}
refuse 413 --data-binary "@$work/huge.txt"
refuse 400 --data-urlencode 'data={"timestamp":1,'
refuse 400 --data-urlencode "other@$work/report.json"
refuse 400 --data 'data=%7B%22a%22%3A%22%FF%22%7D'
refuse 400 --data 'data='
refuse 400 --data-urlencode 'data=[1,2,3]'
refuse 400 --data-urlencode "data=$(sed 's/"型號":"VEXA TEST SSD 256GB",//' "$work/report.json")"
refuse 400 --data-urlencode "data=$(printf '[%.0s' $(seq 100))"
[ "$(total)" = "$before" ] || fail "a refused report was stored"
for path in "nothing" "details/999999999/" "details/abc/" "details/99999999999999999999/" "reports.json"; do
  status=$(status_of "$url$path")
  [[ "$status" = 404 || ( "$path" = reports.json && "$status" = 400 ) ]] || fail "/vexa/$path answered $status"
done

echo "== a slow client does not hold up the others"
client hold "${url}submit.php" 20 >"$work/hold.out" &
holder=$!
pids+=("$holder")
for _ in $(seq 50); do grep -q holding "$work/hold.out" && break; sleep 0.1; done
curl -s -f --max-time 3 -o /dev/null "$url" || fail "a held connection blocked the service"
kill "$holder" 2>/dev/null

echo "== 32 parallel posters, then 1000 posts in a row"
before=$(total)
client post "${url}submit.php" "$work/report.json" 160 32 >"$work/parallel.txt" || fail "parallel posts failed"
[ "$(sort -u "$work/parallel.txt" | wc -l)" = 160 ] || fail "parallel posts got repeated numbers"
[ "$(total)" = $((before + 160)) ] || fail "parallel posts were lost"
started=$(date +%s)
client post "${url}submit.php" "$work/report.json" 1000 1 >/dev/null || fail "a post in the long run failed"
seconds=$(($(date +%s) - started))
[ "$seconds" -le 120 ] || fail "1000 posts took $seconds s"
[ "$(total)" = $((before + 1160)) ] || fail "posts of the long run were lost"
echo "1000 posts in $seconds s"

echo "== the details page in a browser"
[ -n "$browser" ] && chrome --dump-dom about:blank >/dev/null \
  || fail "chromium cannot start here ($(tail -n 1 "$work/chromium.log" 2>/dev/null)); tools/setup.sh installs it"
rm -f "$build/collector-details.png"
chrome --window-size=1280,2400 --screenshot="$build/collector-details.png" "${url}details/$number/" >/dev/null
[ "$(stat -c %s "$build/collector-details.png" 2>/dev/null || echo 0)" -gt 10000 ] \
  || fail "chromium made no picture of the details page"
echo "screenshot: $build/collector-details.png"
stop "$http_pid"

echo "== HTTPS with a throw-away certificate authority"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Vexa test authority" \
  -keyout "$work/ca-key.pem" -out "$work/ca.pem" 2>/dev/null || fail "openssl made no authority"
openssl req -newkey rsa:2048 -nodes -subj /CN=127.0.0.1 -keyout "$work/key.pem" -out "$work/cert.csr" 2>/dev/null \
  || fail "openssl made no request"
printf 'subjectAltName=IP:127.0.0.1\n' >"$work/san.ext"
openssl x509 -req -in "$work/cert.csr" -CA "$work/ca.pem" -CAkey "$work/ca-key.pem" -CAcreateserial -days 2 \
  -extfile "$work/san.ext" -out "$work/cert.pem" 2>/dev/null || fail "openssl signed no certificate"
start https --cert "$work/cert.pem" --key "$work/key.pem" --db "sqlite:$work/tls.db"
[[ "$url" = https://* ]] || fail "the HTTPS service announced $url"
status=$(status_of "${url}submit.php" --cacert "$work/ca.pem" --data-urlencode "data@$work/report.json")
[ "$status" = 200 ] || fail "the HTTPS submit answered $status"
tls_number=$(cat "$work/body")
[ "$(status_of "${url}details/$tls_number/" --cacert "$work/ca.pem")" = 200 ] || fail "no details page over HTTPS"
[ "$(status_of "${url}" )" = 000 ] || fail "an untrusted certificate was accepted"
port=$(sed -n 's|^https://[^:]*:\([0-9]*\)/.*|\1|p' <<<"$url")
SSL_CERT_FILE="$work/ca.pem" submit --port "$port" >"$work/submit.out" 2>"$work/submit.err" \
  || fail "vexa-cli submit over HTTPS failed: $(cat "$work/submit.err")"
[ "$(sed -n 2p "$work/submit.out")" = "${url}details/$(head -n 1 "$work/submit.out")/" ] \
  || fail "vexa-cli submit over HTTPS named no details page"
# The system does not trust the authority: nothing is sent.
SSL_CERT_FILE=/dev/null submit --port "$port" >/dev/null 2>"$work/submit.err" \
  && fail "vexa-cli submit trusted an unknown authority"
grep -qF '未能提交裝置' "$work/submit.err" || fail "an untrusted certificate gave: $(cat "$work/submit.err")"
stop "$pid"
echo "vexa-collector end to end passed"
