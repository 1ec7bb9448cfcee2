#!/usr/bin/env bash
# Several collectors on one database, as behind a load balancer: two started at the
# same moment on a new PostgreSQL database (both apply the schema; neither may fail
# or apply it twice), 64 different reports from 32 parallel posters split between
# them, and then every report stored once under a number of its own, readable and
# alike on both, and every page the same on both. With a SQLite file (no second
# process: one collector owns the file) the same load on one instance.
#   usage: instances.sh COLLECTOR SOURCE_DIR postgresql|sqlite
# The PostgreSQL run goes under with-postgres.sh, which names the server in VEXA_TEST_DB.
set -uo pipefail
collector=$(realpath "$1")
root=$(realpath "$2")
kind=$3
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"

reports=64
posters=32
if [ "$kind" = postgresql ]; then
  database="${VEXA_TEST_DB%/*}/instances"
  psql "$VEXA_TEST_DB" -qc "CREATE DATABASE instances" >/dev/null || fail "no database for the instances"
  instances=2
else
  database="sqlite:$work/reports.db"
  instances=1
fi

# Started together, so that their schema changes race. All posters share one address,
# so the limits per address are off (hostile.sh tests them).
urls=()
for n in $(seq "$instances"); do
  "$collector" --listen 127.0.0.1:0 --insecure-http --db "$database" \
    --rate-limit 0 --page-rate-limit 0 --max-client-connections 0 >"$work/c$n.out" 2>"$work/c$n.err" &
  pids+=("$!")
done
for n in $(seq "$instances"); do
  for _ in $(seq 100); do
    address=$(sed -n 's/^vexa-collector: serving \([^ ]*\) with .*/\1/p' "$work/c$n.out")
    [ -n "$address" ] && break
    kill -0 "${pids[$((n - 1))]}" 2>/dev/null || fail "collector $n did not start"
    sleep 0.1
  done
  [ -n "$address" ] || fail "collector $n did not start listening"
  urls+=("$address")
done
echo "== $instances collector(s) on $kind: ${urls[*]}"

client report >"$work/report.json"
python3 - "$work" "$reports" "$posters" "${urls[@]}" <<'PY' || fail "the posts failed"
# Each report differs in its comment; poster i sends to collector i mod n. Prints
# "number comment" per stored report.
import http.client, json, sys, threading, urllib.parse
work, count, parallel, urls = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4:]
base = json.load(open(f"{work}/report.json", encoding="utf-8"))
answers, errors = [], []
def poster(index):
    parts = urllib.parse.urlsplit(urls[index % len(urls)])
    connection = http.client.HTTPConnection(parts.hostname, parts.port, timeout=60)
    for k in range(index, count, parallel):
        base_copy = dict(base, 留言=f"report {k}")
        text = json.dumps(base_copy, ensure_ascii=False, separators=(",", ":"))
        body = b"data=" + urllib.parse.quote_plus(text).encode()
        try:
            connection.request("POST", parts.path + "submit.php", body,
                               {"Content-Type": "application/x-www-form-urlencoded"})
            answer = connection.getresponse()
            reply = answer.read().decode()
        except OSError as error:
            errors.append(f"report {k}: {error}")
            return
        if answer.status != 200 or not reply.isdigit():
            errors.append(f"report {k}: {answer.status} {reply!r}")
            return
        answers.append(f"{reply} report {k}")
threads = [threading.Thread(target=poster, args=(i,)) for i in range(parallel)]
for thread in threads: thread.start()
for thread in threads: thread.join()
if errors or len(answers) != count:
    sys.exit(f"{len(answers)} of {count} stored; {errors[:3]}")
open(f"{work}/answers.txt", "w").write("\n".join(answers) + "\n")
PY
[ "$(cut -d' ' -f1 "$work/answers.txt" | sort -u | wc -l)" = "$reports" ] || fail "two reports got the same number"
[ "$(cut -d' ' -f2- "$work/answers.txt" | sort -u | wc -l)" = "$reports" ] || fail "a report was answered twice"

echo "== every report once, alike on every collector"
python3 - "$work" "$reports" "${urls[@]}" <<'PY' || fail "the collectors do not agree"
import http.client, json, sys, urllib.parse
work, count, urls = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
answers = [line.split(" ", 1) for line in open(f"{work}/answers.txt", encoding="utf-8").read().splitlines()]
connections = []
for url in urls:
    parts = urllib.parse.urlsplit(url)
    connections.append((parts.path, http.client.HTTPConnection(parts.hostname, parts.port, timeout=30)))
def get(n, page):
    path, connection = connections[n]
    connection.request("GET", path + page)
    answer = connection.getresponse()
    body = answer.read()
    assert answer.status == 200, f"{urls[n]}{page} answered {answer.status}"
    return body
for number, comment in answers:
    for n in range(len(urls)):
        stored = json.loads(get(n, f"details/{number}/report.json"))
        assert stored["留言"] == comment, f"{urls[n]} holds another report under {number}"
model = json.load(open(f"{work}/report.json", encoding="utf-8"))["裝置訊息"]["型號"]
pages = ["", f"details/{min(int(a[0]) for a in answers)}/", "reports.json?model=" + urllib.parse.quote(model)]
for page in pages:
    bodies = [get(n, page) for n in range(len(urls))]
    assert all(body == bodies[0] for body in bodies), f"the collectors differ on /vexa/{page}"
assert f"<p>共 {count} 份報告。".encode() in get(0, ""), "the index does not count every report"
assert len(json.loads(get(0, pages[2]))["reports"]) == count, "reports.json does not list every report"
PY

for n in $(seq "$instances"); do stop "${pids[$((n - 1))]}"; done
echo "several instances on $kind passed"
