#!/usr/bin/env python3
"""Test client of the collector.
   client.py report [TEXT]           prints a valid report; TEXT, when given, in every text member but the
                                     e-mail address (which no public page shows, escaped or not)
   client.py private EMAIL SERIAL WWN COMMENT [NVME_SERIAL]
                                     prints a report with this e-mail, serial (IDENTIFY words 10-19), WWN (16
                                     hex digits: words 108-111 and its text) and comment, and an nvme member
                                     holding NVME_SERIAL under two spellings of a serial's key
   client.py crawl URL SECRETS       requests every public page and answer reachable from URL (the host's
                                     root) and fails when one holds a text of SECRETS (JSON: "texts", any
                                     case, and "words", runs of IDENTIFY words as the pages and JSON show
                                     them); prints the status and path of each answer
   client.py post URL FILE N P       posts the report in FILE N times from P parallel posters (keep-alive);
                                     prints the report numbers, fails on any other answer
   client.py hold URL SECONDS        opens a connection, sends half a request and keeps it open"""
import html
import http.client
import json
import re
import sys
import threading
import time
import urllib.parse


def ata_words(text, count):
    text = text.ljust(count * 2)
    return [ord(text[2 * i]) << 8 | ord(text[2 * i + 1]) for i in range(count)]


def report(text=None, serial="VX1234567890"):
    words = [0] * 256
    words[10:20] = ata_words(serial, 10)
    words[23:27] = ata_words("1.0", 4)
    words[27:47] = ata_words("VEXA TEST SSD 256GB", 20)
    words[60:62] = [0xFFFF, 0x0FFF]
    words[100:104] = [0xD0B0, 0x1DCF, 0, 0]
    attributes = [
        {"名稱": "讀取錯誤率", "索引": 1, "值": 100, "不良": 100, "閾": 50, "原\ufffd": 0, "格式化": "0"},
        {"名稱": "通電時間", "索引": 9, "值": 99, "不良": 99, "閾": 0, "原\ufffd": 1234, "格式化": "1234 小時"},
    ]
    device = {"裝置類型": "SSD", "已知裝置": True, "型號": "VEXA TEST SSD 256GB", "韌體": "1.0",
              "容量": 256060514304, "效能": "S.M.A.R.T., 48bit LBA, TRIM", "介面": "SATA/600",
              "ATA主要版本": "ACS-2", "全球通用名稱": "5 001B44 4A1234567"}
    details = {"製造商": "Vexa", "型號": "Test SSD", "控制": "VX-1", "顆粒": "Test NAND", "技術": "19 nm",
               "元件": "MLC", "啟動": "2016-09"}
    document = {"timestamp": 1473379200, "app版本": "16.09.09", "win版本": "10.0.19045", "信箱": "",
                "留言": "測試 & 100% + more", "裝置訊息": device, "裝置詳細資訊": details,
                "smart屬性": attributes, "識別碼": words}
    if text is not None:
        def replace(value):
            if isinstance(value, dict):
                return {key: replace(item) for key, item in value.items()}
            if isinstance(value, list):
                return [replace(item) for item in value]
            return text if isinstance(value, str) else value
        document = replace(document)
        document["信箱"] = ""
    return document


def private(email, serial, wwn, comment, nvme_serial=None):
    document = report(serial=serial)
    document["信箱"] = email
    document["留言"] = comment
    document["識別碼"][108:112] = [int(wwn[i:i + 4], 16) for i in range(0, 16, 4)]
    document["裝置訊息"]["全球通用名稱"] = f"{wwn[0]}-{wwn[1:7]}-{wwn[7:]}"
    if nvme_serial:
        document["nvme"] = {"model": "VEXA TEST NVME", "serial": nvme_serial,
                            "Serial_Number": nvme_serial.lower(), "health": {"power_on_hours": 1}}
    return document


def text_of(document):
    return json.dumps(document, ensure_ascii=False, separators=(",", ":"))


def connect(url):
    parts = urllib.parse.urlsplit(url)
    return parts, http.client.HTTPConnection(parts.hostname, parts.port, timeout=30)


def post(url, path, count, parallel):
    with open(path, "rb") as file:
        body = b"data=" + urllib.parse.quote_plus(file.read()).encode()
    numbers, errors = [], []

    def poster(share):
        parts, connection = connect(url)
        try:
            for _ in range(share):
                connection.request("POST", parts.path, body, {"Content-Type": "application/x-www-form-urlencoded"})
                answer = connection.getresponse()
                text = answer.read().decode()
                if answer.status != 200 or not text.isdigit():
                    errors.append(f"{answer.status} {text!r}")
                    return
                numbers.append(int(text))
        except OSError as error:
            errors.append(str(error))

    shares = [count // parallel + (i < count % parallel) for i in range(parallel)]
    threads = [threading.Thread(target=poster, args=(share,)) for share in shares]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    if errors or len(numbers) != count:
        sys.exit(f"post: {len(numbers)} of {count} accepted; {errors[:3]}")
    print("\n".join(map(str, numbers)))


def crawl(url, secrets_path):
    with open(secrets_path, encoding="utf-8") as file:
        secrets = json.load(file)
    texts = [text.lower() for text in secrets["texts"]]
    runs = []  # three words in a row, as the page's hexadecimal table and compact JSON show them
    for words in secrets["words"]:
        for i in range(len(words) - 2):
            run = words[i:i + 3]
            if any(word not in (0, 0x2020) for word in run):
                runs.append("".join(f"<td>{word:04x}</td>" for word in run))
                runs.append(",".join(map(str, run)))
    root = urllib.parse.urlsplit(url)
    queue, seen, leaks = ["/", "/healthz"], {"/", "/healthz"}, []

    def follow(target):
        parts = urllib.parse.urlsplit(urllib.parse.urljoin(f"{root.scheme}://{root.netloc}/", target))
        if parts.netloc != root.netloc or parts.path.startswith("/vexa/admin/"):
            return
        address = parts.path + ("?" + parts.query if parts.query else "")
        if address not in seen and len(seen) < 5000:
            seen.add(address)
            queue.append(address)

    def look(address, body, kind):
        if kind.startswith("text/html"):
            for link in re.findall(r'href="([^"]*)"', body):
                follow(html.unescape(link))
        views = [body, html.unescape(body), urllib.parse.unquote_plus(body)]
        if kind.startswith("application/json"):
            answer = json.loads(body)
            views.append(json.dumps(answer, ensure_ascii=False, separators=(",", ":")))
            reports = answer["reports"] if "reports" in answer else [{"report": answer}]
            for entry in reports:
                if entry["report"].get("隱藏") != ["信箱", "序號", "全球通用名稱"]:
                    leaks.append(f"{address}: a report without the list of what it hides")
                if "id" in entry:
                    follow(f"/vexa/details/{entry['id']}/")
                    follow(f"/vexa/details/{entry['id']}/report.json")
        elif re.fullmatch(r"/vexa/details/\d+/", address) and "已隱藏" not in body:
            leaks.append(f"{address}: the page does not say what it hides")
        for view in map(str.lower, views):
            leaks.extend(f"{address}: holds {needle!r}" for needle in texts + runs if needle in view)

    connection = http.client.HTTPConnection(root.hostname, root.port, timeout=30)
    while queue:
        address = queue.pop(0)
        connection.request("GET", address)
        answer = connection.getresponse()
        body = answer.read().decode("utf-8")
        print(answer.status, address)
        if answer.status in (301, 302, 303, 307, 308):
            follow(answer.getheader("Location"))
        look(address, body, answer.getheader("Content-Type", ""))
    if leaks:
        sys.exit("crawl:\n" + "\n".join(sorted(set(leaks))[:50]))


def hold(url, seconds):
    parts, connection = connect(url)
    connection.connect()
    connection.sock.sendall(b"POST " + parts.path.encode() + b" HTTP/1.1\r\nHost: x\r\nContent-Length: 100\r\n\r\nda")
    print("holding", flush=True)
    time.sleep(seconds)


if __name__ == "__main__":
    command = sys.argv[1]
    if command == "report":
        print(text_of(report(sys.argv[2] if len(sys.argv) > 2 else None)), end="")
    elif command == "private":
        print(text_of(private(*sys.argv[2:])), end="")
    elif command == "crawl":
        crawl(sys.argv[2], sys.argv[3])
    elif command == "post":
        post(sys.argv[2], sys.argv[3], int(sys.argv[4]), int(sys.argv[5]))
    elif command == "hold":
        hold(sys.argv[2], float(sys.argv[3]))
