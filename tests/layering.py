#!/usr/bin/env python3
"""The layering of src/: a file includes only from its own folder or from folders of
a lower level, portable code includes no Windows-only header, and only win32/ folders
and the entry points include <windows.h>. Prints every include that breaks a rule.
   usage: layering.py SOURCE_DIR"""
import pathlib
import re
import sys

# Bottom to top; folders of one level never include each other.
LEVELS = {
    "support": 0,
    "platform": 1, "knowledge": 1,
    "device": 2,
    "shell": 3, "history": 3,
    "views": 4, "benchmark": 4, "online": 4,
    "app": 5,
}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')
WINDOWS_HEADERS = {"windows.h", "commctrl.h", "shellapi.h", "shlobj.h", "wininet.h", "winioctl.h", "ntddscsi.h"}


def problems(root: pathlib.Path):
    src = root / "src"
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp", ".inc") or not path.is_file():
            continue
        parts = path.relative_to(src).parts
        folder = parts[0]
        if folder not in LEVELS:
            yield f"{path.relative_to(root)}: folder {folder}/ has no level"
            continue
        windows_only = "win32" in parts[:-1] or folder == "app"
        for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            quote, name = match.groups()
            where = f"{path.relative_to(root)}:{number}"
            if quote == "<":
                if name.lower() in WINDOWS_HEADERS and not windows_only:
                    yield f"{where}: portable code includes <{name}>"
                continue
            target = name.split("/")
            if len(target) < 2:
                continue  # a generated or local file beside it
            if target[0] not in LEVELS:
                yield f"{where}: \"{name}\" is in no known folder"
            elif target[0] != folder and LEVELS[target[0]] >= LEVELS[folder]:
                yield f"{where}: {folder}/ includes \"{name}\" from a level not below its own"
            if "win32" in target[:-1] and not windows_only:
                yield f"{where}: portable code includes the Windows-only \"{name}\""


def main():
    found = list(problems(pathlib.Path(sys.argv[1])))
    for problem in found:
        print(problem)
    if found:
        print(f"layering: {len(found)} includes break the layers (docs/ARCHITECTURE.md)")
        return 1
    print("layering: every include keeps to the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
