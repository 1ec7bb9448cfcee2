#!/usr/bin/env python3
"""Test client of the collector.
   client.py [--from ADDRESS] COMMAND ...   connects from ADDRESS (any of 127.0.0.0/8 is this host)
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
   client.py hold URL SECONDS        opens a connection, sends half a request and keeps it open
 and the misbehaving clients (each prints what the service answered: a status, 0 for none):
   client.py sized BYTES             prints a submit body of exactly BYTES bytes holding a valid report
   client.py bad NAME                prints a submit body that is no report (see BAD), or "in-string", which is one
   client.py chunked URL FILE|-      posts FILE chunked, or (-) an endless chunked body; prints the status
   client.py trickle URL head|body|hello SECONDS   sends the head, the body after it, or (hello) a TLS
                                     handshake, a byte every SECONDS; prints the status and the seconds until
                                     the answer or the end of the connection
   client.py swarm URL N             opens N connections that trickle a head; prints "held H refused R" (503 or
                                     closed within a second), then waits for the held ones' answers: "408 H"
   client.py flood URL FILE|- N [FORWARDED-FOR]   N posts of the report in FILE (or GETs) in a row; prints
                                     "STATUS COUNT" lines and "retry-after MIN MAX"
   client.py watch URL STOPFILE      GETs URL on a new connection every 0.5 s until STOPFILE exists; prints
                                     "requests N failed F slowest SECONDS"."""
import html
import http.client
import json
import re
import select
import socket
import ssl
import sys
import threading
import time
import urllib.parse

source = None  # the address connections are made from


def ata_words(text, count):
    text = text.ljust(count * 2)
    return [ord(text[2 * i]) << 8 | ord(text[2 * i + 1]) for i in range(count)]


def report(text=None, serial="VX1234567890", comment=None):
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
    if comment is not None:
        document["留言"] = comment
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
    return parts, http.client.HTTPConnection(parts.hostname, parts.port, timeout=30,
                                             source_address=(source, 0) if source else None)


def raw_connect(url, tls=True):
    """A socket to the service; over TLS for an https URL unless tls is False (the test's
    throw-away certificate is not checked)."""
    parts = urllib.parse.urlsplit(url)
    sock = socket.create_connection((parts.hostname, parts.port), timeout=30,
                                    source_address=(source, 0) if source else None)
    if parts.scheme == "https" and tls:
        context = ssl.create_default_context()
        context.check_hostname = False
        context.verify_mode = ssl.CERT_NONE
        # TLS 1.3 would turn the socket readable for the session tickets, which are no answer.
        context.maximum_version = ssl.TLSVersion.TLSv1_2
        sock = context.wrap_socket(sock)
    return parts, sock


def form(document):
    return b"data=" + urllib.parse.quote_plus(document).encode()


def sized(size):
    base = len(form(text_of(report(comment="")).encode()))
    if size < base:
        sys.exit(f"sized: a report takes at least {base} bytes")
    body = form(text_of(report(comment="x" * (size - base))).encode())
    assert len(body) == size
    sys.stdout.buffer.write(body)


def with_comment(raw):
    """A valid report whose comment holds the bytes raw, which need not be UTF-8."""
    marker = "COMMENT-MARKER"
    return text_of(report(comment=marker)).encode().replace(marker.encode(), raw)


# Submit bodies. The deep ones go unescaped (a form parser takes brackets as they are),
# since 10 000 levels escaped would be over the body limit.
BAD = {
    "not-json": lambda: form(b"not json"),
    "members": lambda: form(b'{"a":1}'),
    "kind": lambda: form(text_of(report()).replace('"容量":256060514304', '"容量":"256060514304"').encode()),
    "arrays": lambda: b"data=" + b"[" * 10000 + b"]" * 10000,
    "objects": lambda: b'data=' + b'{"a":' * 10000 + b"0" + b"}" * 10000,
    "overlong": lambda: form(with_comment(b"\xc0\xaf")),
    "surrogate": lambda: form(with_comment(b"\xed\xa0\x80")),
    "truncated": lambda: form(text_of(report()).encode() + b"\xe5\x8e"),
    "in-string": lambda: form(with_comment(b"[{" * 10000)),
}


def answer(sock, seconds=30):
    """The status of the answer on sock, read whole; 0 when it closed or failed without one."""
    sock.settimeout(seconds)
    response = http.client.HTTPResponse(sock)
    try:
        response.begin()
        response.read()
        return response.status
    except (OSError, http.client.HTTPException):
        return 0


def request_head(parts, extra):
    return (f"POST {parts.path} HTTP/1.1\r\nHost: {parts.hostname}\r\n"
            f"Content-Type: application/x-www-form-urlencoded\r\n{extra}\r\n").encode()


def chunked(url, path):
    parts, sock = raw_connect(url)
    sock.sendall(request_head(parts, "Transfer-Encoding: chunked\r\n"))
    if path != "-":
        with open(path, "rb") as file:
            body = file.read()
        for start in range(0, len(body), 1000):
            piece = body[start:start + 1000]
            sock.sendall(b"%x\r\n%s\r\n" % (len(piece), piece))
        sock.sendall(b"0\r\n\r\n")
        print(answer(sock))
        return
    piece = b"data=" + b"a" * 4091
    chunk = pending = b"%x\r\n%s\r\n" % (len(piece), piece)
    ends = time.monotonic() + 30
    while time.monotonic() < ends:
        readable, writable, _ = select.select([sock], [sock], [], 1)
        if readable:
            break
        try:
            pending = pending[sock.send(pending) if writable else 0:] or chunk
        except OSError:
            break
    print(answer(sock))


def dribble(sock, data, interval):
    """Sends data a byte every interval seconds, until the service answers or closes."""
    for byte in data:
        if select.select([sock], [], [], interval)[0]:
            return
        try:
            sock.send(bytes([byte]))
        except OSError:
            return


def trickle(url, part, interval):
    parts, sock = raw_connect(url, part != "hello")
    body = b"data=" + b"x" * 95
    head = request_head(parts, f"Content-Length: {len(body)}\r\n")
    started = time.monotonic()
    if part == "body":
        sock.sendall(head)
    # The start of a TLS handshake record, and never its end.
    hello = b"\x16\x03\x01\x02\x00\x01" + b"\x00" * 100
    dribble(sock, {"head": head + body, "body": body, "hello": hello}[part], interval)
    status = answer(sock, 60)
    print(status, round(time.monotonic() - started, 1))


def swarm(url, count):
    sockets = []
    for _ in range(count):
        parts, sock = raw_connect(url)
        try:
            sock.send(b"GET ")
        except OSError:
            pass
        sockets.append(sock)
    time.sleep(1)
    held = [sock for sock in sockets if not select.select([sock], [], [], 0)[0]]
    refused = [sock for sock in sockets if sock not in held]
    print("held", len(held), "refused", len(refused), flush=True)
    for sock in refused:
        status = answer(sock, 5)
        if status not in (0, 503):
            sys.exit(f"swarm: a refused connection was answered {status}")
    statuses = {}
    for sock in held:
        dribble(sock, b"/vexa/ HTTP/1.1\r\nHost: x\r\n\r\n", 1)
        status = answer(sock, 60)
        statuses[status] = statuses.get(status, 0) + 1
        sock.close()
    print(" ".join(f"{status} {number}" for status, number in sorted(statuses.items())))


def flood(url, path, count, forwarded=None):
    parts, connection = connect(url)
    body = None
    if path != "-":
        with open(path, "rb") as file:
            body = form(file.read())
    headers = {"Content-Type": "application/x-www-form-urlencoded"}
    if forwarded:
        headers["X-Forwarded-For"] = forwarded
    statuses, waits = {}, []
    for _ in range(count):
        try:
            connection.request("POST" if body is not None else "GET", parts.path, body, headers)
            response = connection.getresponse()
            response.read()
            status = response.status
            if status == 429:
                waits.append(int(response.getheader("Retry-After", "0")))
        except (OSError, http.client.HTTPException):
            connection.close()
            status = 0
        statuses[status] = statuses.get(status, 0) + 1
    for status, number in sorted(statuses.items()):
        print(status, number)
    print("retry-after", min(waits, default=0), max(waits, default=0))


def watch(url, stopfile):
    import os
    count = failed = 0
    slowest = 0.0
    ends = time.monotonic() + 300
    # The test's directory goes when the test ends, however it ends.
    while not os.path.exists(stopfile) and os.path.isdir(os.path.dirname(stopfile)) and time.monotonic() < ends:
        parts, connection = connect(url)
        started = time.monotonic()
        try:
            connection.request("GET", parts.path)
            response = connection.getresponse()
            response.read()
            failed += response.status != 200
        except (OSError, http.client.HTTPException):
            failed += 1
        connection.close()
        slowest = max(slowest, time.monotonic() - started)
        count += 1
        time.sleep(0.5)
    print("requests", count, "failed", failed, "slowest", round(slowest, 2))


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
            # Reports, alone or listed, say what they hide; other answers (a model's
            # figures) are only searched.
            if address.startswith("/vexa/reports.json"):
                reports = answer["reports"]
            elif re.fullmatch(r"/vexa/details/\d+/report\.json", address):
                reports = [{"report": answer}]
            else:
                reports = []
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
    if sys.argv[1] == "--from":
        source = sys.argv[2]
        del sys.argv[1:3]
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
    elif command == "sized":
        sized(int(sys.argv[2]))
    elif command == "bad":
        sys.stdout.buffer.write(BAD[sys.argv[2]]())
    elif command == "chunked":
        chunked(sys.argv[2], sys.argv[3])
    elif command == "trickle":
        trickle(sys.argv[2], sys.argv[3], float(sys.argv[4]))
    elif command == "swarm":
        swarm(sys.argv[2], int(sys.argv[3]))
    elif command == "flood":
        flood(sys.argv[2], sys.argv[3], int(sys.argv[4]), sys.argv[5] if len(sys.argv) > 5 else None)
    elif command == "watch":
        watch(sys.argv[2], sys.argv[3])
    else:
        sys.exit(f"unknown command {command}")
