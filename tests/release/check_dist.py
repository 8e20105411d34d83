#!/usr/bin/env python3
"""Builds the release with dist.sh and checks what a Windows user gets.

  check_dist.py --root SOURCE_TREE --ship-exe BUILT_TAMARKO_EXE --work FOLDER

The zip's members, their order, times and attributes; the checksum file; the
program, byte for byte the one the ordinary build made (when the work tree
holds no uncommitted change, since the release is built from the commit); its
version against the CMake project version; the texts in code page 1250 with
CR LF line ends, saying what they must; and the unpacked files carrying the
commit's time, which the about box shows as the build date.
"""

import argparse
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import time
import zipfile
from pathlib import Path

SKIPPED = 77
MEMBERS = ["tamarko.exe", "CTIMNE.TXT", "LICENSE.TXT", "THIRD-PARTY.TXT"]
# Letters of Czech texts (and the dash) as UTF-8 would write them: none may be
# left after the conversion. A general pattern would not do: in code page
# 1250 "íž" is 0xED 0x9E, a valid-looking UTF-8 lead and trail.
UTF8_LETTERS = [c.encode("utf-8") for c in "áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ–„“"]

# What each text must say, as the user reads it (decoded from code page 1250).
REQUIRED_WORDS = {
    "CTIMNE.TXT": ["Windows 2000", "Windows XP", "administrátor", "netsh", "ipconfig", "Internet Exploreru",
                   "tamarko.ini", "rychlá tlačítka", "zástupce na ploše", "oznamovací oblast", "LICENSE.TXT",
                   "THIRD-PARTY.TXT"],
    "LICENSE.TXT": ["MIT License", "Copyright (c) 2026 Tým Tamarko", "WITHOUT WARRANTY OF ANY KIND"],
    "THIRD-PARTY.TXT": ["This software is based in part on the work of the Independent JPEG Group.",
                        "libjpeg-turbo Licenses", "The Modified (3-clause) BSD License", "LEGAL ISSUES",
                        "GCC RUNTIME LIBRARY EXCEPTION", "Version 3.1, 31 March 2009", "libstdc++-v3",
                        "the mingw-w64 project", "License: ZPL-2.1", "Lucent Technologies"],
}
# Texts kept in the repository as UTF-8 and shipped converted, line for line.
SOURCES = {"CTIMNE.TXT": "docs/ctimne.txt", "LICENSE.TXT": "LICENSE"}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def git(root, *args):
    return subprocess.run(["git", "-C", str(root), *args], capture_output=True, text=True, check=True).stdout.strip()


def release_name(version_numbers):
    """1.4.0.0 -> 1.4; further numbers stay while one of them is not zero."""
    parts = list(version_numbers)
    while len(parts) > 2 and parts[-1] == 0:
        parts.pop()
    return ".".join(map(str, parts))


def pe_facts(exe):
    """The PE header's time stamp and the version resource's file version numbers."""
    header = struct.unpack_from("<I", exe, 0x3C)[0]
    if exe[:2] != b"MZ" or exe[header : header + 4] != b"PE\0\0":
        return None, None
    stamp = struct.unpack_from("<I", exe, header + 8)[0]
    # VS_FIXEDFILEINFO follows its key (and padding) in the version resource.
    key = exe.find("VS_VERSION_INFO".encode("utf-16-le"))
    fixed = exe.find(struct.pack("<I", 0xFEEF04BD), key, key + 40) if key >= 0 else -1
    if fixed < 0:
        return stamp, None
    ms, ls = struct.unpack_from("<II", exe, fixed + 8)
    return stamp, (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


def check_text(name, data, root):
    check(b"\n" not in data.replace(b"\r\n", b""), f"{name}: a line ends in a bare LF")
    check(b"\r" not in data.replace(b"\r\n", b""), f"{name}: a bare CR")
    check(data.endswith(b"\r\n"), f"{name}: the last line has no CR LF")
    check(not any(letter in data for letter in UTF8_LETTERS), f"{name}: holds UTF-8 letters")
    try:
        text = data.decode("cp1250")
    except UnicodeDecodeError as error:
        check(False, f"{name}: not code page 1250: {error}")
        return
    for word in REQUIRED_WORDS[name]:
        check(word.casefold() in text.casefold(), f"{name}: does not say {word!r}")
    if name == "CTIMNE.TXT":
        check(b"\xe8" in data, f"{name}: no 0xE8, the code page 1250 letter č")
    if name in SOURCES:
        source = (root / SOURCES[name]).read_text(encoding="utf-8")
        check(text.replace("\r\n", "\n") == source, f"{name}: differs from {SOURCES[name]}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True, type=Path)
    parser.add_argument("--ship-exe", required=True, type=Path)
    parser.add_argument("--work", required=True, type=Path)
    args = parser.parse_args()

    shutil.rmtree(args.work, ignore_errors=True)
    out = args.work / "dist"
    started = time.monotonic()
    run = subprocess.run([str(args.root / "dist.sh"), str(out)], capture_output=True, text=True)
    print(f"dist.sh took {time.monotonic() - started:.1f} s")
    if run.returncode != 0:
        print(run.stdout, run.stderr, sep="\n")
        sys.exit("dist.sh failed")

    epoch = int(git(args.root, "log", "-1", "--format=%ct"))
    clean = git(args.root, "status", "--porcelain") == ""
    cmake = (args.root / "CMakeLists.txt").read_text()
    project_version = tuple(map(int, re.search(r"project\(Tamarko VERSION ([\d.]+)", cmake)[1].split(".")))
    project_version += (0,) * (4 - len(project_version))

    zips = sorted(out.glob("*.zip"))
    if not check(len(zips) == 1, f"dist.sh wrote {len(zips)} zip files"):
        report(clean)
    zip_path = zips[0]
    check(zip_path.name == f"tamarko-{release_name(project_version)}-win32.zip", f"unexpected name {zip_path.name}")
    digest = hashlib.sha256(zip_path.read_bytes()).hexdigest()
    sums = zip_path.with_name(zip_path.name + ".sha256")
    check(sums.exists() and sums.read_text() == f"{digest}  {zip_path.name}\n", f"{sums.name} does not match the zip")

    with zipfile.ZipFile(zip_path) as archive:
        check(archive.testzip() is None, "a member is damaged")
        entries = archive.infolist()
        check([e.filename for e in entries] == MEMBERS, f"members {[e.filename for e in entries]}")
        # MS-DOS times count seconds in twos; the extended field has them exactly.
        dos_time = time.gmtime(epoch - epoch % 2)[:6]
        for entry in entries:
            check(entry.date_time == dos_time, f"{entry.filename}: time {entry.date_time}, not {dos_time}")
            check(struct.pack("<HHBl", 0x5455, 5, 1, epoch) in entry.extra, f"{entry.filename}: no exact time")
            check((entry.create_system, entry.external_attr) == (0, 0x20), f"{entry.filename}: attributes")
        data = {e.filename: archive.read(e) for e in entries}

    exe = data.get("tamarko.exe", b"")
    stamp, version = pe_facts(exe)
    check(stamp == epoch, f"tamarko.exe: PE time stamp {stamp}, the commit's is {epoch}")
    check(version == project_version, f"tamarko.exe: file version {version}, the project's is {project_version}")
    for name in MEMBERS[1:]:
        if check(name in data, f"{name} missing"):
            check_text(name, data[name], args.root)

    unpacked = args.work / "unpacked"
    subprocess.run(["unzip", "-q", str(zip_path), "-d", str(unpacked)], check=True)
    for name in MEMBERS:
        path = unpacked / name
        check(path.read_bytes() == data[name], f"unzip gave another {name}")
        check(int(path.stat().st_mtime) == epoch, f"{name}: unpacked with time {path.stat().st_mtime}")

    if clean:
        check(exe == args.ship_exe.read_bytes(), f"tamarko.exe differs from {args.ship_exe}")
    report(clean)


def report(clean):
    for failure in failures:
        print("FAILED:", failure)
    if failures:
        sys.exit(1)
    if not clean:
        print("SKIPPED: the work tree has uncommitted changes, so the release (built from the commit) "
              "cannot be compared with the program built from the work tree; every other check passed")
        sys.exit(SKIPPED)
    print("the release zip passed every check")
    sys.exit(0)


if __name__ == "__main__":
    main()
