#!/usr/bin/env python3
"""Test client of the collector.
   client.py report [TEXT]           prints a valid report; TEXT, when given, in every text member
   client.py post URL FILE N P       posts the report in FILE N times from P parallel posters (keep-alive);
                                     prints the report numbers, fails on any other answer
   client.py hold URL SECONDS        opens a connection, sends half a request and keeps it open"""
import http.client
import json
import sys
import threading
import time
import urllib.parse


def ata_words(text, count):
    text = text.ljust(count * 2)
    return [ord(text[2 * i]) << 8 | ord(text[2 * i + 1]) for i in range(count)]


def report(text=None):
    words = [0] * 256
    words[10:20] = ata_words("VX1234567890", 10)
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


def hold(url, seconds):
    parts, connection = connect(url)
    connection.connect()
    connection.sock.sendall(b"POST " + parts.path.encode() + b" HTTP/1.1\r\nHost: x\r\nContent-Length: 100\r\n\r\nda")
    print("holding", flush=True)
    time.sleep(seconds)


if __name__ == "__main__":
    command = sys.argv[1]
    if command == "report":
        print(report(sys.argv[2] if len(sys.argv) > 2 else None), end="")
    elif command == "post":
        post(sys.argv[2], sys.argv[3], int(sys.argv[4]), int(sys.argv[5]))
    elif command == "hold":
        hold(sys.argv[2], float(sys.argv[3]))
