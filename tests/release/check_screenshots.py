#!/usr/bin/env python3
"""Runs tools/screenshot.sh and checks its pictures: one per window, each the
size of that window with its frame, the windows' client areas as designed,
and each showing what it should (the filled main window's lime fields, the
about box's picture).

  check_screenshots.py --root SOURCE_TREE --work FOLDER
"""

import argparse
import re
import shutil
import struct
import subprocess
import sys
import time
from pathlib import Path

# Client areas as the windows' design tables give them.
CLIENT = {"chooser.png": (363, 173), "main.png": (300, 395), "about.png": (450, 338), "main-dark.png": (300, 395),
          "main-120dpi.png": (375, 494)}
LIME = "#00FF00"

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def png_size(path):
    data = path.read_bytes()[:24]
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", data[16:24])


def colours(path):
    """Each colour of the picture and how many pixels have it."""
    out = subprocess.run(["convert", str(path), "-format", "%c", "histogram:info:-"], capture_output=True,
                         text=True, check=True).stdout
    return {m[2]: int(m[1]) for m in re.finditer(r"^\s*(\d+):.*?(#[0-9A-F]{6})", out, re.M)}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True, type=Path)
    parser.add_argument("--work", required=True, type=Path)
    args = parser.parse_args()
    shutil.rmtree(args.work, ignore_errors=True)

    started = time.monotonic()
    run = subprocess.run([str(args.root / "tools" / "screenshot.sh"), str(args.work)], capture_output=True, text=True)
    print(f"tools/screenshot.sh took {time.monotonic() - started:.1f} s")
    print(run.stdout, end="")
    if run.returncode != 0:
        print(run.stderr)
        sys.exit("tools/screenshot.sh failed")

    reported = {}
    for line in run.stdout.splitlines():
        m = re.fullmatch(r"(\S+\.png) (\d+)x(\d+) client (\d+)x(\d+)", line)
        if m:
            reported[m[1]] = tuple(map(int, m.groups()[1:]))
    check(sorted(reported) == sorted(CLIENT), f"pictures reported: {sorted(reported)}")

    for name, client in CLIENT.items():
        path = args.work / name
        if not check(name in reported and path.exists(), f"{name}: not written"):
            continue
        width, height, client_width, client_height = reported[name]
        check((client_width, client_height) == client, f"{name}: client area {client_width}x{client_height}")
        # A frame on every side, a caption (and the main window's menu bar) on top.
        check(0 < width - client_width <= 16 and 18 <= height - client_height <= 80,
              f"{name}: window {width}x{height} around client {client_width}x{client_height}")
        check(png_size(path) == (width, height), f"{name}: picture {png_size(path)}, window {width}x{height}")

    for name in ("main.png", "main-dark.png", "main-120dpi.png"):
        if (args.work / name).exists():
            # A filled window shows its state fields in lime; before, only the two names are.
            check(colours(args.work / name).get(LIME, 0) > 15000, f"{name}: the window is not filled")
    if (args.work / "main-dark.png").exists():
        check(colours(args.work / "main-dark.png").get("#303030", 0) > 20000, "main-dark.png: not in the dark scheme")
    if (args.work / "about.png").exists():
        check(len(colours(args.work / "about.png")) > 200, "about.png: no picture in the about box")

    for failure in failures:
        print("FAILED:", failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
