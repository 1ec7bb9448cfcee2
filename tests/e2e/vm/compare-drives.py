#!/usr/bin/env python3
"""Sets what the reference tools said about each drive of the drives machine beside
what vexa-cli --real said (drives-guest.sh wrote both into OUT), field by field.

    usage: compare-drives.py OUT VEXA-CLI

Vexa's devices are matched to the kernel's by serial number, read from vexa-cli's
capture (IDENTIFY words 10-19, the NVMe Identify Controller's SN, or the descriptor's
serial). Prints one line per difference: the drive, the field and both values; exits 1
when there is any. VEXA-CLI runs the offline commands (known, smart-dump, nvme-dump) on
the blocks the capture holds.
"""
import json
import os
import re
import subprocess
import sys
import tempfile

KNOWN_MODEL = "Samsung SSD 850 PRO 256GB"
KNOWN_DESCRIPTOR = "Samsung"


def read(path, default=None):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except OSError:
        return default


def read_json(path):
    text = read(path)
    if text is None:
        return None
    try:
        return json.loads(text)
    except ValueError:
        return None


def dig(obj, *keys):
    for key in keys:
        if isinstance(obj, dict) and key in obj:
            obj = obj[key]
        elif isinstance(obj, list) and isinstance(key, int) and key < len(obj):
            obj = obj[key]
        else:
            return None
    return obj


def ata_text(words, first, count):
    raw = b"".join(bytes([w >> 8, w & 0xFF]) for w in words[first:first + count])
    return raw.decode("latin-1").strip(" \0")


# ---- the capture file ---------------------------------------------------------

def parse_capture(text):
    """Device sections of a machine file: path -> {keys, blocks, partitions}."""
    devices, current, block = {}, None, None
    for line in (text or "").splitlines():
        if block is not None:
            if line.strip() == "end":
                current["blocks"][block[0]] = block[1]
                block = None
            else:
                block[1].append(line.split("#")[0].strip())
            continue
        header = re.match(r"^\[device (.*)\]\s*$", line)
        if header:
            current = {"keys": {}, "blocks": {}, "layout": None, "partitions": []}
            devices[header.group(1).lower()] = current
            continue
        if line.startswith("["):
            current = None
            continue
        if current is None or not line.strip() or line.startswith("#"):
            continue
        key, _, rest = line.strip().partition(" ")
        if key in ("identify", "smart-data", "smart-thresholds", "smart", "nvme-identify",
                   "nvme-namespace", "nvme-health") and not rest:
            block = (key, [])
        elif key == "layout":
            current["layout"] = rest.split()
        elif key == "partition":
            current["partitions"].append(rest.split())
        else:
            current["keys"][key] = rest.strip('"')
    return devices


def block_bytes(lines):
    return bytes.fromhex("".join(lines).replace(" ", ""))


def identify_words(device):
    lines = device["blocks"].get("identify")
    if not lines:
        return None
    return [int(w, 16) for w in " ".join(lines).split()]


def nvme_health(device):
    """The health log as bytes, from its table or its bytes."""
    lines = device["blocks"].get("nvme-health")
    if not lines:
        return None
    if not re.fullmatch(r"[0-9A-Fa-f ]*", lines[0]):
        fields = {"critical_warning": (0, 1), "temperature": (1, 2), "available_spare": (3, 1),
                  "available_spare_threshold": (4, 1), "percentage_used": (5, 1),
                  "data_units_read": (32, 16), "data_units_written": (48, 16),
                  "host_read_commands": (64, 16), "host_write_commands": (80, 16),
                  "controller_busy_minutes": (96, 16), "power_cycles": (112, 16),
                  "power_on_hours": (128, 16), "unsafe_shutdowns": (144, 16),
                  "media_errors": (160, 16), "error_log_entries": (176, 16),
                  "warning_temperature_minutes": (192, 4), "critical_temperature_minutes": (196, 4)}
        for i in range(8):
            fields["temperature_sensor_%d" % (i + 1)] = (200 + 2 * i, 2)
        log = bytearray(512)
        for line in lines:
            name, value = line.split()[:2]
            offset, size = fields[name]
            log[offset:offset + size] = int(value, 0).to_bytes(size, "little")
        return bytes(log)
    return block_bytes(lines)


def smart_blocks(device):
    data, thresholds = device["blocks"].get("smart-data"), device["blocks"].get("smart-thresholds")
    if data:
        return block_bytes(data), block_bytes(thresholds) if thresholds else None
    table = device["blocks"].get("smart")
    if not table:
        return None, None
    data, thresholds = bytearray(512), bytearray(512)
    for i, line in enumerate(l for l in table if l):
        parts = line.split()
        entry = 2 + 12 * i
        flags = int(parts[1], 0)
        data[entry:entry + 12] = bytes([int(parts[0]), flags & 0xFF, flags >> 8, int(parts[2]), int(parts[3])]) \
            + int(parts[4]).to_bytes(6, "little") + b"\0"
        thresholds[entry:entry + 2] = bytes([int(parts[0]), int(parts[5]) if len(parts) > 5 else 0])
    return bytes(data), bytes(thresholds)


def attributes_from_blocks(data, thresholds):
    table = {}
    if not data:
        return table
    limits = {}
    for i in range(30):
        entry = thresholds[2 + 12 * i:14 + 12 * i] if thresholds else b""
        if entry and entry[0]:
            limits[entry[0]] = entry[1]
    for i in range(30):
        e = data[2 + 12 * i:14 + 12 * i]
        if not e[0]:
            continue
        table[e[0]] = (e[1] | e[2] << 8, e[3], e[4], limits.get(e[0], 0), int.from_bytes(e[5:11], "little"))
    return table


def device_serial(device):
    words = identify_words(device)
    if words and len(words) == 256:
        return ata_text(words, 10, 10)
    nvme = device["blocks"].get("nvme-identify")
    if nvme:
        return block_bytes(nvme)[4:24].decode("latin-1").strip(" \0")
    return device["keys"].get("serial", "").strip()


# ---- the reference side ---------------------------------------------------------

def hdparm_words(text):
    rows = [l.split() for l in (text or "").splitlines() if re.fullmatch(r"\s*[0-9a-f]{4}( [0-9a-f]{4}){7}\s*", l)]
    words = [int(w, 16) for row in rows for w in row]
    # A device that does not answer IDENTIFY (USB, a CD-ROM through SCSI) prints zeros.
    return words if len(words) == 256 and any(words) else None


def smartctl_attributes(ref):
    table = {}
    for a in dig(ref["smartctl"], "ata_smart_attributes", "table") or []:
        table[a["id"]] = (a["flags"]["value"], a["value"], a["worst"], a.get("thresh", 0), a["raw"]["value"])
    return table


def sfdisk_table(ref):
    table = dig(ref["sfdisk"], "partitiontable")
    if not table:
        return {"label": "raw", "partitions": []}
    label = table.get("label")
    parts = []
    for p in table.get("partitions", []):
        kind = p.get("type", "")
        kind = "0x%02x" % int(kind, 16) if label == "dos" else kind.upper()
        parts.append((p["start"] * 512, p["size"] * 512, kind))
    return {"label": {"dos": "mbr"}.get(label, label), "partitions": parts}


def capture_table(vx):
    layout = vx["capture"]["layout"]
    if not layout:
        return None
    parts = []
    for p in vx["capture"]["partitions"]:
        fields = dict(zip(p[1::2], p[2::2]))
        length = int(fields.get("length", "0"))
        if length == 0:
            continue
        kind = fields.get("type", "0x07")
        kind = kind.strip("{}").upper() if layout[0] == "gpt" else "0x%02x" % int(kind, 16)
        parts.append((int(fields["start"]), length, kind))
    return {"label": layout[0], "partitions": parts}


# ---- Vexa's side ----------------------------------------------------------------

def vexa_attributes(vx):
    table = {}
    for a in dig(vx["smart_json"], "attributes") or []:
        number = lambda text: int(text.replace(",", "")) if text else 0
        table[int(a["id"], 10)] = (int(a["flags_bits"] or "0", 2), number(a["current"]), number(a["worst"]),
                                   number(a["threshold"]), number(a["raw"]))
    return table


def fact(name):
    return lambda vx: dig(vx["identify_json"], "facts", name)


def nvme_dump(cli, id_ctrl, health):
    with tempfile.TemporaryDirectory() as tmp:
        paths = []
        for name, data in (("id.bin", id_ctrl), ("health.bin", health)):
            if data:
                paths.append(os.path.join(tmp, name))
                with open(paths[-1], "wb") as f:
                    f.write(data)
        if not id_ctrl:
            return {}
        run = subprocess.run([cli, "nvme-dump"] + paths, capture_output=True, text=True)
        return dict(l.split("\t", 1) for l in run.stdout.splitlines() if "\t" in l)


def smart_names(cli, data, thresholds, descriptor):
    """The attribute names smart-dump gives the blocks with the descriptor."""
    if not data:
        return {}
    with tempfile.TemporaryDirectory() as tmp:
        paths = []
        for name, block in (("data", data), ("thr", thresholds or bytes(512))):
            paths.append(os.path.join(tmp, name))
            with open(paths[-1], "w") as f:
                f.write(block.hex())
        run = subprocess.run([cli, "smart-dump"] + paths + ["--descriptor", descriptor], capture_output=True, text=True)
        return {int(l.split("\t")[0]): l.split("\t")[1] for l in run.stdout.splitlines() if re.match(r"^\d+\t", l)}


def known(cli, model, firmware):
    run = subprocess.run([cli, "known", model, firmware], capture_output=True, text=True)
    return dict(l.split(": ", 1) for l in run.stdout.splitlines() if ": " in l)


# ---- the checks: (field, reference, Vexa) ---------------------------------------

ATA_CHECKS = [
    ("model", lambda r: dig(r["smartctl"], "model_name"), fact("model")),
    ("serial", lambda r: dig(r["smartctl"], "serial_number"), fact("serial")),
    ("firmware", lambda r: dig(r["smartctl"], "firmware_version"), fact("firmware")),
    ("sectors", lambda r: dig(r["smartctl"], "user_capacity", "blocks"),
     lambda v: int(fact("sectors48")(v) or 0) or int(fact("sectors28")(v) or 0)),
    ("size in bytes", lambda r: dig(r["smartctl"], "user_capacity", "bytes"), lambda v: dig(v["report"], "裝置訊息", "容量")),
    # smartctl's rotation rate is 0 for a solid-state drive.
    ("solid state", lambda r: dig(r["smartctl"], "rotation_rate") == 0, lambda v: v["list"][1] == "SSD"),
    ("IDENTIFY words", lambda r: dict(enumerate(r["identify"] or [])),
     lambda v: dict(enumerate(identify_words(v["capture"]) or []))),
    ("SMART attributes (smart N)", smartctl_attributes, vexa_attributes),
    ("SMART attributes (capture)", smartctl_attributes, lambda v: attributes_from_blocks(*smart_blocks(v["capture"]))),
    ("SMART status passed", lambda r: dig(r["smartctl"], "smart_status", "passed"),
     lambda v: dig(v["smart_json"], "verdict", "state") == 1),
    ("partition table", sfdisk_table, capture_table),
]

OPTICAL_CHECKS = [
    ("model", lambda r: r["sysfs"].get("device/model", "").strip(), lambda v: v["list"][3]),
]

class Between:
    """A counter that Vexa's own reads of the drive move: what Vexa read lies between
    the reference tool's readings before and after Vexa's runs."""

    def __init__(self, low, high):
        self.low, self.high = int(low), int(high)

    def holds(self, value):
        try:
            return self.low <= int(value) <= self.high
        except (TypeError, ValueError):
            return False

    def __repr__(self):
        return "%d..%d" % (self.low, self.high)


def moving(key):
    return lambda r: Between(dig(r["smart_log"], key), dig(r["smart_log_after"] or r["smart_log"], key))


NVME_HEALTH = [("critical_warning", "critical_warning"), ("avail_spare", "available_spare"),
               ("spare_thresh", "available_spare_threshold"), ("percent_used", "percentage_used"),
               ("data_units_written", "data_units_written"),
               ("power_cycles", "power_cycles"), ("power_on_hours", "power_on_hours"),
               ("unsafe_shutdowns", "unsafe_shutdowns"), ("media_errors", "media_errors")]

NVME_CHECKS = [
    ("Identify Controller bytes", lambda r: r["id_ctrl_bin"][:4096].hex() if r["id_ctrl_bin"] else None,
     lambda v: block_bytes(v["capture"]["blocks"].get("nvme-identify", [])).hex()),
    ("model", lambda r: dig(r["id_ctrl"], "mn").strip(), lambda v: v["nvme"].get("model")),
    ("serial", lambda r: dig(r["id_ctrl"], "sn").strip(), lambda v: v["nvme"].get("serial")),
    ("firmware", lambda r: dig(r["id_ctrl"], "fr").strip(), lambda v: v["nvme"].get("firmware")),
    ("vendor_id", lambda r: "%04X" % dig(r["id_ctrl"], "vid"), lambda v: v["nvme"].get("vendor_id")),
    ("temperature_c", lambda r: str(dig(r["smart_log"], "temperature") - 273), lambda v: v["nvme"].get("temperature_c")),
] + [(theirs, (lambda key: lambda r: str(dig(r["smart_log"], key)))(theirs),
      (lambda key: lambda v: v["nvme"].get(key))(ours)) for theirs, ours in NVME_HEALTH] + [
    ("data_units_read", moving("data_units_read"), lambda v: v["nvme"].get("data_units_read")),
    ("partition table", sfdisk_table, capture_table),
]


def compare(drive, checks, ref, vx, differences):
    for field, theirs, ours in checks:
        try:
            expected = theirs(ref)
        except (KeyError, TypeError, ValueError, AttributeError) as e:
            expected = "<unreadable: %s>" % e
        try:
            actual = ours(vx)
        except (KeyError, TypeError, ValueError, AttributeError, IndexError) as e:
            actual = "<unreadable: %s>" % e
        if isinstance(expected, dict) and isinstance(actual, dict):
            for key in sorted(set(expected) | set(actual)):
                if expected.get(key) != actual.get(key):
                    differences.append((drive, "%s [%s]" % (field, key), expected.get(key, "<none>"), actual.get(key, "<none>")))
        elif isinstance(expected, Between):
            if not expected.holds(actual):
                differences.append((drive, field, expected, actual))
        elif str(expected) != str(actual):
            differences.append((drive, field, expected, actual))


READ_COUNTERS = ("讀取資料單位\t", "主機讀取命令\t")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    out, cli = sys.argv[1], sys.argv[2]
    differences = []
    note = lambda drive, field, expected, actual: differences.append((drive, field, expected, actual))

    listing = [l.split("\t") for l in (read(os.path.join(out, "vexa/list.out")) or "").splitlines() if l]
    capture = parse_capture(read(os.path.join(out, "vexa/capture.machine")))
    for name in ("list", "capture"):
        rc = (read(os.path.join(out, "vexa/%s.rc" % name)) or "missing").strip()
        if rc != "0":
            note("machine", "vexa-cli --real %s exit status" % name, "0",
                 "%s: %s" % (rc, (read(os.path.join(out, "vexa/%s.err" % name)) or "").strip()[:300]))
    # Vexa's devices by serial.
    vexa = {}
    for n, row in enumerate(listing, 1):
        if len(row) < 5:
            note("machine", "list line %d" % n, "5 tab-separated columns", "\t".join(row))
            continue
        device = capture.get(row[4].lower())
        if device is None:
            note("machine", "capture section of %s" % row[4], "present", "missing")
            continue
        loaded = lambda name: read(os.path.join(out, "vexa/%s-%d.out" % (name, n)))
        vexa[device_serial(device)] = {
            "n": n, "list": row, "capture": device,
            "smart_json": read_json(os.path.join(out, "vexa/smart-json-%d.out" % n)),
            "identify_json": read_json(os.path.join(out, "vexa/identify-json-%d.out" % n)),
            "report": read_json(os.path.join(out, "vexa/report-%d.out" % n)),
            "debug": loaded("debug") or "",
        }

    devices = (read(os.path.join(out, "ref/sys-block.txt")) or "").split()
    disks = [d for d in devices if not d.startswith("sr")]
    optical = [d for d in devices if d.startswith("sr")]
    note_count = lambda what, want, have: want != have and note("machine", what, want, have)
    note_count("disks in vexa-cli list (P)", len(disks), sum(1 for r in listing if r[0].startswith("P")))
    note_count("optical drives in vexa-cli list (C)", len(optical), sum(1 for r in listing if r[0].startswith("C")))

    matched = set()
    for dev in devices:
        base = os.path.join(out, "ref", dev)
        ref = {"smartctl": read_json(base + ".smartctl.json"), "sfdisk": read_json(base + ".sfdisk.json"),
               "identify": hdparm_words(read(base + ".hdparm.txt")), "id_ctrl": read_json(base + ".id-ctrl.json"),
               "smart_log": read_json(base + ".smart-log.json"),
               "smart_log_after": read_json(base + ".smart-log-after.json"),
               "sysfs": dict(l.split(" ", 1) for l in (read(base + ".sysfs.txt") or "").splitlines() if " " in l)}
        try:
            with open(base + ".id-ctrl.bin", "rb") as f:
                ref["id_ctrl_bin"] = f.read()
        except OSError:
            ref["id_ctrl_bin"] = None
        if ref["id_ctrl"]:
            serial, checks = ref["id_ctrl"]["sn"].strip(), NVME_CHECKS
        elif dev.startswith("sr"):
            # No reference tool reads an optical drive's identity on every bus: the
            # kernel's (its INQUIRY) is compared with the one optical drive Vexa lists.
            cdroms = [s for s, v in vexa.items() if v["list"][0].startswith("C")]
            serial, checks = cdroms[0] if len(cdroms) == 1 else None, OPTICAL_CHECKS
        elif ref["identify"]:
            serial, checks = ata_text(ref["identify"], 10, 10), ATA_CHECKS
        else:
            serial, checks = None, None
        if checks is None:
            continue  # USB and virtio: no ATA answer; see below.
        vx = vexa.get(serial)
        drive = "%s (%s)" % (dev, serial)
        if vx is None:
            note(drive, "device in vexa-cli list", "serial " + str(serial), "none with that serial")
            continue
        matched.add(serial)
        drive = "%s (%s, vexa %d)" % (dev, serial, vx["n"])
        if checks is NVME_CHECKS:
            vx["nvme"] = nvme_dump(cli, block_bytes(vx["capture"]["blocks"].get("nvme-identify", [])), nvme_health(vx["capture"]))
        compare(drive, checks, ref, vx, differences)
        if checks is ATA_CHECKS:
            # The known drive's row and its controller's attribute names.
            row = known(cli, ref["smartctl"].get("model_name", ""), ref["smartctl"].get("firmware_version", ""))
            descriptor = row.get("descriptor_ssd" if dig(ref["smartctl"], "rotation_rate") == 0 else "descriptor_hdd")
            if ref["smartctl"].get("model_name") == KNOWN_MODEL and (row.get("row") == "none" or descriptor != KNOWN_DESCRIPTOR):
                note(drive, "known-drives row of the test drive", "a row with descriptor " + KNOWN_DESCRIPTOR,
                     "%s, %s" % (row.get("row"), descriptor))
            compare(drive, [("known drive model name", lambda r: row.get("model_name", ""),
                             lambda v: dig(v["report"], "裝置詳細資訊", "型號"))], ref, vx, differences)
            names = smart_names(cli, *smart_blocks(vx["capture"]), descriptor or "Fallback")
            shown = {int(a["id"]): a["name"] for a in dig(vx["smart_json"], "attributes") or []}
            compare(drive, [("SMART attribute name", lambda r: names, lambda v: shown)], ref, vx, differences)

    # The drives without an ATA or NVMe answer are listed, and debug says why.
    for serial, vx in vexa.items():
        if serial in matched:
            continue
        drive = "%s (vexa %d)" % (vx["list"][4], vx["n"])
        rc = (read(os.path.join(out, "vexa/debug-%d.rc" % vx["n"])) or "missing").strip()
        if rc not in ("0", "1"):
            note(drive, "debug exit status", "0 or 1", rc)
        if vx["list"][0].startswith("P") and "§ " not in vx["debug"]:
            note(drive, "debug names the failed routes", "lines starting with §", "none")

    # Every drive command ended normally, and the capture replays as the machine ran.
    for n in range(1, len(listing) + 1):
        for name in ("report", "smart", "smart-json", "identify", "identify-json", "partitions", "partitions-json", "debug"):
            rc = (read(os.path.join(out, "vexa/%s-%d.rc" % (name, n))) or "missing").strip()
            if rc not in ("0", "1"):
                note("vexa %d" % n, "%s exit status" % name, "0 or 1",
                     "%s: %s" % (rc, (read(os.path.join(out, "vexa/%s-%d.err" % (name, n))) or "").strip()[:300]))
    # The watch kept every drive with SMART data, and none got worse in a second.
    rc = (read(os.path.join(out, "vexa/watch.rc")) or "missing").strip()
    if rc != "0":
        note("machine", "vexa-cli watch exit status", "0",
             "%s: %s" % (rc, (read(os.path.join(out, "vexa/watch.err")) or "").strip()[:300]))
    kept = {line.split()[2] for line in (read(os.path.join(out, "vexa/watch.history")) or "").splitlines()
            if line.startswith("R ") and len(line.split()) > 2}
    note_count("drives in the watch's history", sum(1 for vx in vexa.values() if dig(vx["smart_json"], "attributes")),
               len(kept))
    for real, replayed in [("list", "replay-list")] + [("%s-%d" % (c, n), "replay-%s-%d" % (c, n))
                                                         for n in range(1, len(listing) + 1) for c in ("smart", "identify")]:
        a, b = read(os.path.join(out, "vexa/%s.out" % real)), read(os.path.join(out, "vexa/%s.out" % replayed))
        # Each run reads the drives' partition tables, which moves an NVMe drive's
        # read counters between the capture and the later run.
        a, b = (None if t is None else "\n".join(l for l in t.splitlines() if not l.startswith(READ_COUNTERS))
                for t in (a, b))
        if b is None:
            note("replay", "%s: --replay CAPTURE" % real, "run", "no output")
        elif a != b:
            first = next((i for i, (x, y) in enumerate(zip((a or "").splitlines(), (b or "").splitlines())) if x != y), None)
            where = "line %d" % (first + 1) if first is not None else "length"
            note("replay", "%s: --real vs --replay CAPTURE (%s)" % (real, where),
                 (a or "<none>").splitlines()[first] if first is not None else len(a or ""),
                 (b or "<none>").splitlines()[first] if first is not None else len(b or ""))

    for drive, field, expected, actual in differences:
        print("DIFF %s: %s: reference %r, vexa %r" % (drive, field, expected, actual))
    print("compare-drives: %d devices listed, %d differences" % (len(listing), len(differences)))
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main())
