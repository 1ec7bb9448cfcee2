#!/usr/bin/env bash
# What the model pages say, against a count by hand: the collector on a free loopback
# port receives every drive of the three sample machines (some twice) and test reports
# with known hours, sector counts and host writes; Python reads the same reports and
# works out each model's figures, which figures.json and the page must show; the
# page, in headless Chromium, must draw its histogram. No model page may show an
# e-mail address, a serial number or a drive key. Chromium that cannot start fails,
# as does a missing ImageMagick, which counts the bars' pixels in the screenshot.
#   usage: models.sh BUILD_DIR COLLECTOR VEXA_CLI SOURCE_DIR
set -uo pipefail
build=$(realpath "$1")
collector=$(realpath "$2")
cli=$(realpath "$3")
root=$(realpath "$4")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"

[ -n "$browser" ] || fail "chromium is not installed (tools/setup.sh)"
chrome --dump-dom about:blank >/dev/null || fail "chromium cannot start: $(tail -n 3 "$work/chromium.log")"

echo "== reports: the sample machines' drives and test drives with known figures"
mkdir -p "$work/reports"
cd "$work/reports" || fail "no work directory"
for machine in desktop-ssd-hdd laptop-sat nvme-desktop; do
  for n in 1 2 3; do
    "$cli" --replay "$root/samples/$machine.machine" report "$n" >"$machine-$n.json" || fail "vexa-cli report failed"
  done
done
# Posted in this order, so the later report of a drive is its latest.
python3 - "$here" <<'PY' >"$work/order.txt" || fail "the test reports could not be made"
import json, sys
sys.path.insert(0, sys.argv[1])
import client

def variant(file, model, serial, attributes, email=""):
    report = client.report()
    report["裝置訊息"]["型號"] = model
    report["識別碼"][10:20] = client.ata_words(serial, 10)
    report["smart屬性"] = [{"名稱": name, "索引": 1, "值": 100, "不良": 100, "閾": 0, "原\ufffd": raw, "格式化": text}
                         for name, raw, text in attributes]
    report["信箱"] = email
    with open(file, "w", encoding="utf-8") as out:
        out.write(json.dumps(report, ensure_ascii=False, separators=(",", ":")))
    return file

test = "VEXA TEST SSD 256GB"
order = ["desktop-ssd-hdd-1.json", "desktop-ssd-hdd-2.json", "desktop-ssd-hdd-3.json",
         "laptop-sat-1.json", "laptop-sat-2.json", "laptop-sat-3.json",
         variant("t1.json", test, "VXSECRET0001", [("開機時間 (POH)", 100, "4d 4h"), ("重新分配扇區次數", 0, ""),
                 ("目前掛起扇區次數", 0, ""), ("總計 LBA 寫入", 1, "1,234.5 GB")]),
         "nvme-desktop-1.json", "nvme-desktop-2.json", "nvme-desktop-3.json",
         variant("t2.json", test, "VXSECRET0002", [("開機時間 (POH)", 2500, "104d 4h"), ("重新分配扇區次數", 0, ""),
                 ("目前掛起扇區次數", 3, "3"), ("主機程式頁次數", 1, "\u00a4 2.921 TB")]),
         variant("t3.json", test, "VXSECRET0003", [("開機時間 (POH)", 7000, "291d 16h"), ("無法糾正扇區次數", 2, "2")]),
         variant("t4.json", test, "VXSECRET0004", [("開機時間 (POH)", 12000, "500d 0h")], "someone@example.org"),
         variant("t5.json", test, "", [("開機時間 (POH)", 777, "")]),
         variant("t6.json", test, "VXSECRET0006", [("總計 NAND 寫入", 5, "5.000 TB")]),
         # Drive 1 again, later: only this report of it counts.
         variant("t1-later.json", test, "VXSECRET0001", [("開機時間 (POH)", 130, "5d 10h"), ("重新分配扇區次數", 1, "1"),
                 ("目前掛起扇區次數", 0, ""), ("總計 LBA 寫入", 1, "1,234.5 GB")]),
         variant("markup.json", 'VEXA <i>&"測試"</i> 100%/型號?', "VXSECRET0007", [("開機時間 (POH)", 42, "1d 18h")]),
         "desktop-ssd-hdd-1.json", "nvme-desktop-2.json"]
print("\n".join(order))
PY

cd "$work" || fail "no work directory"
start models --insecure-http --db "sqlite:$work/models.db"
models_pid=$pid
first=$(date +%s)
while read -r file; do
  status=$(status_of "${url}submit.php" --data-urlencode "data@$work/reports/$file")
  [ "$status" = 200 ] || fail "$file was refused ($status): $(cat "$work/body")"
done <"$work/order.txt"
last=$(date +%s)

echo "== figures.json and the pages against a count by hand"
[ "$(status_of "$url")" = 200 ] && grep -qF '<a href="/vexa/models/">' "$work/body" || fail "the index does not link the models"
python3 - "$url" "$work" "$first" "$last" <<'PY' || fail "the model pages do not say what the reports say"
import html, json, re, sys, urllib.error, urllib.parse, urllib.request
from fractions import Fraction

url, work, first, last = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
order = open(f"{work}/order.txt").read().split()
reports = [json.load(open(f"{work}/reports/{file}", encoding="utf-8")) for file in order]

# What each name counts, read off the naming tables by hand for the names these reports hold.
HOURS = {"開機時間 (POH)"}
REALLOCATED = {"重新分配扇區次數"}
PENDING = {"目前掛起扇區次數", "掛起扇區次數"}
UNCORRECTABLE = {"無法糾正扇區次數", "斷線掃描無法糾正扇區次數", "SMART 離線掃描無法糾正錯誤"}
WRITES = {"總計 LBA 寫入", "主機寫入", "總計主機扇區寫入", "主機程式頁次數"}
UNITS = ["bytes", "kB", "MB", "GB", "TB", "PB"]

def byte_size(text):
    match = re.fullmatch(r"(?:\u00a4 )?([\d,]+(?:\.\d+)?) (\w+)", text)
    if not match or match.group(2) not in UNITS:
        return None
    exact = Fraction(match.group(1).replace(",", "")) * 1024 ** UNITS.index(match.group(2))
    return int(exact * 2 + 1) // 2

def figures(report):
    found = {}
    for attribute in report["smart屬性"]:
        name, raw, text = attribute["名稱"], attribute["原\ufffd"], attribute["格式化"]
        def first(key, value):
            if key not in found and value is not None:
                found[key] = value
        if name in HOURS:
            days = re.fullmatch(r"(\d+)d (\d+)h", text)
            first("hours", int(days[1]) * 24 + int(days[2]) if days else raw)
        first("reallocated", raw if name in REALLOCATED else None)
        first("pending", raw if name in PENDING else None)
        first("uncorrectable", raw if name in UNCORRECTABLE else None)
        first("writes", byte_size(text) if name in WRITES else None)
    health = report.get("nvme", {}).get("health")
    if health:
        found.update(hours=health["power_on_hours"], used=health["percentage_used"], media=health["media_errors"],
                     writes=health["data_units_written"] * 512000)
    words = report["識別碼"]
    serial = "".join(chr(b) if 0x20 < b < 0x7F else " " for w in words[10:20] for b in (w >> 8, w & 255)).strip()
    return found, serial

# The sample drives as read off their reports by hand.
by_file = {file: figures(report)[0] for file, report in zip(order, reports)}
assert by_file["desktop-ssd-hdd-1.json"] == {"hours": 5121, "reallocated": 0, "writes": 8880755417547}
assert by_file["desktop-ssd-hdd-2.json"] == {"hours": 9612, "reallocated": 0, "pending": 0, "uncorrectable": 0}
assert by_file["laptop-sat-1.json"]["writes"] == 3190782743806  # 246 comes before the estimate of 247
assert by_file["laptop-sat-2.json"]["writes"] == 4027511092543  # 225, not the NAND writes of 249
assert by_file["nvme-desktop-2.json"] == {"hours": 10139, "used": 17, "media": 0, "writes": 232346098 * 512000}
assert by_file["t5.json"] == {"hours": 777} and by_file["t6.json"] == {}

models = {}
for index, report in enumerate(reports):
    found, serial = figures(report)
    model = models.setdefault(report["裝置訊息"]["型號"], {"reports": 0, "drives": {}})
    model["reports"] += 1
    # A drive is its serial; a report without one is a drive of its own.
    model["drives"][serial or f"report {index}"] = found

def spread(values):
    values = sorted(values)
    middle = values[(len(values) - 1) // 2] if values else None
    return {"drives": len(values), "median": middle, "min": values[0] if values else None,
            "max": values[-1] if values else None}

def share(values):
    return {"drives": len(values), "above_zero": sum(1 for v in values if v > 0)}

def expected(name, model):
    latest = model["drives"].values()
    def having(key):
        return [found[key] for found in latest if key in found]
    hours = having("hours")
    histogram = []
    if hours:
        width = next(w for w in (s * 10 ** k for k in range(1, 19) for s in (1, 2, 5)) if max(hours) // w < 12)
        histogram = [{"from": b * width, "to": (b + 1) * width, "drives": sum(1 for h in hours if h // width == b)}
                     for b in range(max(hours) // width + 1)]
    return {"model": name, "reports": model["reports"], "drives": len(model["drives"]),
            "power_on_hours": spread(hours), "reallocated_sectors": share(having("reallocated")),
            "pending_sectors": share(having("pending")), "uncorrectable_sectors": share(having("uncorrectable")),
            "host_writes_bytes": spread(having("writes")), "nvme_percentage_used": spread(having("used")),
            "nvme_media_errors": share(having("media")), "power_on_hours_histogram": histogram}

def get(path):
    with urllib.request.urlopen(url.rstrip("/").removesuffix("/vexa") + path, timeout=30) as answer:
        return answer.read().decode()

def grouped(number):
    return f"{number:,}"

listing = get("/vexa/models/")
for name, model in models.items():
    want = expected(name, model)
    path = "/vexa/models/" + urllib.parse.quote(name, safe="") + "/"
    got = json.loads(get(path + "figures.json"))
    received = (got.pop("first_received"), got.pop("latest_received"))
    assert first <= received[0] <= received[1] <= last, (name, received)
    assert got == want, f"{name}:\n got  {got}\n want {want}"
    page = get(path)
    assert f"<h1>型號: {html.escape(name)}</h1>" in page and "<i>" not in page, name
    assert f"{grouped(want['reports'])} 份報告, 來自 {grouped(want['drives'])} 個磁碟" in page, name
    spread_of = want["power_on_hours"]
    if spread_of["drives"]:
        assert (f"中位數 {grouped(spread_of['median'])} 小時; 範圍 {grouped(spread_of['min'])} 小時 – "
                f"{grouped(spread_of['max'])} 小時") in page, name
    bars = sum(1 for bucket in want["power_on_hours_histogram"] if bucket["drives"])
    assert page.count('<rect class="bar"') == bars, (name, bars)
    row = (f'<a href="{html.escape(path)}">{html.escape(name)}</a></td><td class="n">{want["reports"]}</td>'
           f'<td class="n">{want["drives"]}</td>')
    assert row in listing, row

# By hand, the test model: hours 130 777 2500 7000 12000 (drive 1 by its later report), writes
# 1,234.5 GB and the estimate 2.921 TB, drive 1 reallocated, drive 2 pending, drive 3 uncorrectable.
test = json.loads(get("/vexa/models/VEXA%20TEST%20SSD%20256GB/figures.json"))
assert (test["reports"], test["drives"]) == (7, 6), test
assert test["power_on_hours"] == {"drives": 5, "median": 2500, "min": 130, "max": 12000}, test
assert test["host_writes_bytes"] == {"drives": 2, "median": 1325534281728, "min": 1325534281728,
                                     "max": 3211673464734}, test
assert [test[k]["above_zero"] for k in ("reallocated_sectors", "pending_sectors", "uncorrectable_sectors")] == [1, 1, 1]
wdc = json.loads(get("/vexa/models/WDC%20WD10EZEX-00BN5A0/figures.json"))
assert (wdc["reports"], wdc["drives"]) == (2, 1), wdc  # one drive in two machines

# Nothing private on any model page: no e-mail, no serial number, no drive key.
pages = [listing] + [get("/vexa/models/" + urllib.parse.quote(n, safe="") + p) for n in models
                     for p in ("/", "/figures.json")]
serials = {figures(r)[1] for r in reports} - {""}
for page in pages:
    assert "someone@example.org" not in page
    assert not any(serial in page for serial in serials), [s for s in serials if s in page]
    assert not re.search(r"[0-9a-f]{64}", page)
for path in ("/vexa/models/NO%20SUCH%20MODEL/", "/vexa/models/NO%20SUCH%20MODEL/figures.json",
             "/vexa/models/%FF/", "/vexa/models/%FF/figures.json"):
    try:
        get(path)
        raise AssertionError(f"{path} was found")
    except urllib.error.HTTPError as error:
        assert error.code == 404, (path, error.code)
print(f"{len(models)} models checked")
PY

echo "== the histogram in Chromium"
page="${url}models/VEXA%20TEST%20SSD%20256GB/"
chrome --dump-dom "$page" >"$work/dom.html" || fail "chromium could not load the model page"
bars=$(grep -o '<rect class="bar"' "$work/dom.html" | wc -l)
# Hours 130 777 | 2500 | 7000 | 12000 in buckets of 2000: four bars.
[ "$bars" -eq 4 ] || fail "chromium's DOM of the model page holds $bars bars, not 4"
# A sample machine's model too: one drive in two machines, at 9612 hours.
chrome --dump-dom "${url}models/WDC%20WD10EZEX-00BN5A0/" >"$work/dom-wdc.html" || fail "chromium could not load a model page"
grep -qF '2 份報告, 來自 1 個磁碟' "$work/dom-wdc.html" || fail "chromium's DOM of the WD10EZEX page lacks its counts"
[ "$(grep -o '<rect class="bar"' "$work/dom-wdc.html" | wc -l)" -eq 1 ] || fail "the WD10EZEX page has no single bar"
rm -f "$build/collector-model.png"
chrome --window-size=900,1000 --screenshot="$build/collector-model.png" "$page" >/dev/null
[ -s "$build/collector-model.png" ] || fail "chromium made no picture of the model page"
# The bars' blue must show: drawn, and not blocked by the page's content security policy.
command -v convert >/dev/null || fail "ImageMagick, which counts the bars' pixels, is not installed (tools/setup.sh)"
blue=$(convert "$build/collector-model.png" -fuzz 3% -fill black -opaque '#4a7fc1' -fill white +opaque black \
         -format '%[fx:round((1-mean)*w*h)]' info:) || fail "ImageMagick could not read the screenshot"
[ "$blue" -gt 2000 ] || fail "the screenshot shows $blue pixels of the bars' blue"
echo "$blue pixels of the bars' blue"
stop "$models_pid"
echo "vexa-collector model pages passed"
