#!/usr/bin/env bash
# No public answer of vexa-collector gives away who sent a report or which unit it
# describes. Reports with known e-mail addresses, serials and WWNs (repeated in their
# comments) are submitted by vexa-cli and by the test client; every page and answer
# reachable from / is then crawled for them. The maintainers' endpoints show them
# with the token only, and nothing at all without one configured; a deleted report is
# gone from every page, the count and the database file. Also: the token file's
# checks, / and /healthz, and the access log, parsed line by line.
#   usage: privacy.sh BUILD_DIR COLLECTOR VEXA_CLI SOURCE_DIR
set -uo pipefail
collector=$(realpath "$2")
cli=$(realpath "$3")
root=$(realpath "$4")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"
cd "$work" || fail "no work directory"

token='vexa-maintainer-7f3c9a1e5b'
printf '  %s \nnot part of it\n' "$token" >"$work/token"
chmod 600 "$work/token"
auth=(-H "Authorization: Bearer $token")

echo "== the token file"
mkdir "$work/folder"
printf ' \n%s\n' "$token" >"$work/blank-first-line"
for file in "$work/missing" "$work/folder" "$work/blank-first-line" /dev/null; do
  "$collector" --listen 127.0.0.1:0 --insecure-http --db "sqlite:$work/never.db" --admin-token-file "$file" \
    >/dev/null 2>"$work/usage.txt"
  [ $? -eq 2 ] || fail "--admin-token-file $file must exit 2"
  grep -q "^vexa-collector: --admin-token-file: .*$(basename "$file")" "$work/usage.txt" \
    || fail "--admin-token-file $file gave: $(head -n 1 "$work/usage.txt")"
done
cp "$work/token" "$work/open-token"
chmod 644 "$work/open-token"
start loose --insecure-http --db "sqlite:$work/loose.db" --admin-token-file "$work/open-token"
stop "$pid"
grep -q 'warning: other users may read the maintainer token' "$work/loose.err" \
  || fail "no warning about a token file others may read"

echo "== reports with known e-mail addresses and serials"
start priv --insecure-http --db "sqlite:$work/privacy.db" --admin-token-file "$work/token"
priv_pid=$pid
grep -q warning "$work/priv.err" && fail "a warning about a token file only its owner reads"
port=$(sed -n 's|^http://[^:]*:\([0-9]*\)/.*|\1|p' <<<"$url")
base="http://127.0.0.1:$port"
numbers=()
emails=()
cli_submit() {  # MACHINE DEVICE EMAIL COMMENT
  "$cli" --replay "$root/samples/$1" submit "$2" --server 127.0.0.1 --port "$port" --insecure-http \
    --email "$3" --comment "$4" >"$work/submit.out" 2>"$work/submit.err" || fail "vexa-cli submit: $(cat "$work/submit.err")"
  numbers+=("$(head -n 1 "$work/submit.out")")
  emails+=("$3")
}
client_submit() {  # EMAIL SERIAL WWN COMMENT [NVME_SERIAL]
  client private "$@" >"$work/private.json"
  [ "$(status_of "${url}submit.php" --data-urlencode "data@$work/private.json")" = 200 ] \
    || fail "submit answered $(cat "$work/body")"
  numbers+=("$(cat "$work/body")")
  emails+=("$1")
}
"$cli" --replay "$root/samples/desktop-ssd-hdd.machine" report 1 >"$work/sata.json" || fail "vexa-cli report failed"
sata_comment='Reach me at JANE.DOE+VEXA@EXAMPLE.ORG about s1atnead604118k, or at jane@home.example.'
cli_submit desktop-ssd-hdd.machine 1 'Jane.Doe+vexa@example.org' "$sata_comment"
sata=${numbers[0]}
cli_submit nvme-desktop.machine 2 'nvme.owner@example.net' 'my NVMe drive'
client_submit 'first.person@example.com' 'VXSER-0001-ABCD' 5A1B2C3D4E5F6071 \
  'VXSER-0001-ABCD, 5-A1B2C3-D4E5F6071, FIRST.PERSON@example.com' 'NVSER-77-QWERTY'
client_submit 'second@example.com' 'VXSER-0002-WXYZ' 5000000000000002 'nothing to hide here'

# What the pages must not hold: the e-mail addresses, the serials as text and as
# IDENTIFY words, the WWNs as text and as words, and the NVMe drive's serial, which
# its identify data in the machine file holds (bytes 4-23) and the report leaves out.
python3 - "$work/sata.json" "$root/samples/nvme-desktop.machine" "${emails[@]}" >"$work/secrets.json" <<'PY' \
  || fail "the secrets could not be gathered"
import json, re, sys
sata = json.load(open(sys.argv[1], encoding="utf-8"))
words = sata["識別碼"]
serial = "".join(chr(w >> 8) + chr(w & 0xFF) for w in words[10:20]).strip()
assert serial == "S1ATNEAD604118K", serial
machine = open(sys.argv[2], encoding="utf-8").read()
section = machine[machine.index("[device \\\\.\\PhysicalDrive1]"):]
identify = bytes.fromhex("".join(section.split("nvme-identify\n", 1)[1].split("\n", 1)[0].split("#")[0].split()))
nvme_serial = identify[4:24].decode().strip()
wwn = sata["裝置訊息"]["全球通用名稱"]
texts = sys.argv[3:] + [serial, nvme_serial, wwn, wwn.replace("-", ""), "VXSER-0001-ABCD", "VXSER-0002-WXYZ",
                        "NVSER-77-QWERTY", "5-A1B2C3-D4E5F6071", "5A1B2C3D4E5F6071", "5000000000000002",
                        "jane@home.example"]
def ata(text):
    text = text.ljust(20)
    return [ord(text[2 * i]) << 8 | ord(text[2 * i + 1]) for i in range(10)]
runs = [words[10:20], words[108:112], ata("VXSER-0001-ABCD"), ata("VXSER-0002-WXYZ"),
        [0x5A1B, 0x2C3D, 0x4E5F, 0x6071], [0x5000, 0, 0, 0x0002]]
json.dump({"texts": texts, "words": runs}, sys.stdout, ensure_ascii=False)
PY

echo "== every public page and answer"
client crawl "$base/" "$work/secrets.json" >"$work/crawl.txt" || fail "a public answer gives a submitter away"
for number in "${numbers[@]}"; do
  for path in "/vexa/details/$number/" "/vexa/details/$number/report.json"; do
    grep -qx "200 $path" "$work/crawl.txt" || fail "the crawl did not reach $path"
  done
done
grep -qx '302 /' "$work/crawl.txt" || fail "/ did not redirect"
grep -qx '200 /healthz' "$work/crawl.txt" || fail "/healthz did not answer"
[ "$(grep -c '^200 /vexa/reports.json?model=' "$work/crawl.txt")" -ge 3 ] || fail "the crawl reached no reports.json"
[ "$(grep -c '^200 /vexa/models/.*/figures.json$' "$work/crawl.txt")" -ge 3 ] || fail "the crawl reached no model's figures"
echo "$(wc -l <"$work/crawl.txt") public answers hold no e-mail, serial or WWN"
for path in / /vexa; do
  [ "$(curl -s -o /dev/null -w '%{redirect_url}' "$base$path")" = "$base/vexa/" ] || fail "$path does not lead to /vexa/"
done
[ "$(status_of "$base/healthz")" = 200 ] && [ "$(cat "$work/body")" = ok ] || fail "/healthz: $(cat "$work/body")"

echo "== maintainers"
admin="${url}admin"
[ "$(status_of "$admin/details/$sata/report.json" "${auth[@]}" -D "$work/headers")" = 200 ] || fail "no full report"
grep -qi '^Cache-Control: no-store' "$work/headers" || fail "a full report may be cached"
python3 - "$work/body" "$work/sata.json" "$sata_comment" <<'PY' || fail "the full report is not the one received"
import json, sys
stored, made = (json.load(open(path, encoding="utf-8")) for path in sys.argv[1:3])
assert stored["信箱"] == "Jane.Doe+vexa@example.org" and stored["留言"] == sys.argv[3], stored["留言"]
stored["信箱"], stored["留言"] = made["信箱"], made["留言"]
assert stored == made
PY
[ "$(status_of "$admin/details/$sata/" "${auth[@]}")" = 200 ] || fail "no maintainer's page"
for text in Jane.Doe+vexa@example.org S1ATNEAD604118K 5-002538-500408A1E "<td>2053</td><td>3141</td><td>544E</td>"; do
  grep -qF "$text" "$work/body" || fail "the maintainer's page lacks $text"
done
[ "$(status_of "$admin/reports.json" "${auth[@]}" -G --data-urlencode 'model=VEXA TEST SSD 256GB')" = 200 ] \
  || fail "no maintainer's reports.json"
grep -qF 'first.person@example.com' "$work/body" || fail "the maintainer's reports.json lacks the e-mail"
for path in "details/$sata/" "details/$sata/report.json" "reports.json?model=x" "details/999999/"; do
  for header in "" "Authorization: Bearer ${token}x" "Authorization: Bearer ${token:0:10}" \
                "Authorization: Basic $token" "Authorization: $token" "X-Token: $token"; do
    [ "$(status_of "$admin/$path" -H "$header" -D "$work/headers")" = 401 ] || fail "$path with '$header' was not refused"
    grep -qi '^WWW-Authenticate: Bearer' "$work/headers" || fail "a 401 without WWW-Authenticate"
  done
done
[ "$(status_of "$admin/details/999999/" "${auth[@]}")" = 404 ] || fail "a missing report for a maintainer"

echo "== a report forgotten"
before=$(total)
victim=${numbers[2]}
[ "$(status_of "$admin/details/$victim/" -X DELETE)" = 401 ] || fail "a delete without the token"
[ "$(status_of "${url}details/$victim/")" = 200 ] || fail "a refused delete deleted"
[ "$(status_of "$admin/details/$victim/" -X DELETE "${auth[@]}")" = 204 ] || fail "the delete answered $(cat "$work/body")"
[ "$(status_of "$admin/details/$victim/" -X DELETE "${auth[@]}")" = 404 ] || fail "a second delete"
for path in "${url}details/$victim/" "${url}details/$victim/report.json" "$admin/details/$victim/report.json"; do
  [ "$(status_of "$path" "${auth[@]}")" = 404 ] || fail "$path is still there"
done
[ "$(total)" = $((before - 1)) ] || fail "the count did not drop"
curl -s "$url" | grep -qF "/vexa/details/$victim/" && fail "the index still links the deleted report"
curl -s "${url}reports.json?model=VEXA%20TEST%20SSD%20256GB" | grep -q "\"id\":$victim," && fail "reports.json still lists it"
curl -s "$admin/reports.json?model=VEXA%20TEST%20SSD%20256GB" "${auth[@]}" | grep -qF 'first.person@' \
  && fail "the maintainer's reports.json still lists it"
for file in "$work"/privacy.db*; do
  grep -qaF 'first.person@example.com' "$file" && fail "$(basename "$file") still holds the deleted report"
done
grep -qaF 'second@example.com' "$work"/privacy.db* || fail "the e-mail of a kept report is not in the database"

echo "== the access log"
curl -s -o /dev/null "${url}reports.json?model=query-secret-text"
curl -s -o /dev/null "${url}%0A%22%7B%FF%00"
stop "$priv_pid"
python3 - "$work/priv.err" "$token" "${numbers[*]}" "${emails[@]}" <<'PY' || fail "the access log"
import json, re, sys
lines = open(sys.argv[1], "rb").read().decode("utf-8").splitlines()
entries = [json.loads(line) for line in lines if line.startswith("{")]
assert len(entries) > 50, len(entries)
for entry in entries:
    assert set(entry) - {"report"} == {"time", "remote", "method", "path", "status", "bytes", "ms"}, entry
    assert re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z", entry["time"]), entry
    assert entry["remote"] == "127.0.0.1" and isinstance(entry["status"], int) and entry["bytes"] >= 0, entry
    assert isinstance(entry["ms"], float) and 0 <= entry["ms"] < 60000, entry
stored = [entry["report"] for entry in entries if "report" in entry]
assert stored == [int(n) for n in sys.argv[3].split()], stored
assert all(e["method"] == "POST" and e["path"] == "/vexa/submit.php" for e in entries if "report" in e)
assert any(e["path"] == "/vexa/\n\"{\ufffd\x00" for e in entries), "the odd path is not logged as it came"
assert any(e["method"] == "DELETE" and e["status"] == 204 for e in entries)
text = "\n".join(lines).lower()
for secret in [sys.argv[2], "query-secret-text", *sys.argv[4:]]:
    assert secret.lower() not in text, secret
PY

echo "== no token configured: no maintainer access"
start open --insecure-http --db "sqlite:$work/privacy.db"
for method in GET DELETE; do
  [ "$(status_of "${url}admin/details/$sata/" -X "$method" "${auth[@]}")" = 404 ] || fail "$method answered without a token configured"
done
[ "$(status_of "${url}admin/details/$sata/report.json" "${auth[@]}")" = 404 ] || fail "a full report without a token configured"
echo "== /healthz when the database does not answer"
python3 -c 'import sqlite3, sys; db = sqlite3.connect(sys.argv[1]); db.execute("DROP TABLE reports"); db.commit()' \
  "$work/privacy.db" || fail "could not take the table away"
[ "$(status_of "${url%vexa/}healthz")" = 503 ] || fail "/healthz answered $(cat "$work/body") without a database"
stop "$pid"
echo "vexa-collector privacy passed"
