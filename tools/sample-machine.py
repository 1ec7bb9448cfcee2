#!/usr/bin/env python3
"""Writes a machine file of one ATA disk from its published sectors: the 512-byte
IDENTIFY block and the SMART data and thresholds sectors, as the real-drive samples
keep them (NAME.identify.bin, NAME.smartdata.bin, NAME.thresholds.bin). The clock
says when the reading was taken, so two snapshots of one drive replay as two
readings of its history.
   usage: sample-machine.py SAMPLES_DIR NAME "YYYY-MM-DD HH:MM:SS" OUTPUT"""
import pathlib
import sys


def block(data: bytes, words: bool) -> str:
    if words:
        values = [f"{data[i] | data[i + 1] << 8:04x}" for i in range(0, len(data), 2)]
        return "\n".join(" ".join(values[i:i + 8]) for i in range(0, len(values), 8))
    return "\n".join(data[i:i + 32].hex(" ") for i in range(0, len(data), 32))


def main(argv):
    if len(argv) != 5:
        sys.exit(__doc__)
    folder, name, clock, output = pathlib.Path(argv[1]), argv[2], argv[3], pathlib.Path(argv[4])
    parts = {}
    for key, suffix in (("identify", "identify.bin"), ("smart-data", "smartdata.bin"),
                        ("smart-thresholds", "thresholds.bin")):
        data = (folder / f"{name}.{suffix}").read_bytes()
        if len(data) != 512:
            sys.exit(f"{name}.{suffix}: {len(data)} bytes, a sector has 512")
        parts[key] = block(data, key == "identify")
    text = [f"vexa-machine 1", f"# {name}, made from its published IDENTIFY and SMART sectors.", "",
            "[os]", "version 6.1.7601", f"clock {clock}", "",
            "[device \\\\.\\PhysicalDrive0]", "answers ata smart property number geometry length", "bus-type ata"]
    for key, body in parts.items():
        text += [key, body, "end"]
    output.write_text("\n".join(text) + "\n", encoding="utf-8")


if __name__ == "__main__":
    main(sys.argv)
