#!/usr/bin/env python3
"""Packs the Windows release: tamarko.exe, the Czech guide, the licence and the
third-party notices, as a zip that is the same, byte for byte, each time it is
made from the same commit.

  package.py --exe E --guide G --license L --libjpeg-source S --epoch T --zip Z

Texts become what Notepad on a Czech Windows 2000/XP reads: code page 1250
with CR LF line ends. Every entry carries the commit's time (in UTC, also in
the extended time stamp field, which unzip tools restore exactly) so that the
about box shows that date as the program's build date.
"""

import argparse
import hashlib
import struct
import sys
import time
import zipfile
from pathlib import Path

import notices

ARCHIVE_ATTRIBUTE = 0x20  # FILE_ATTRIBUTE_ARCHIVE, what Windows sets on a new file


def windows_text(text):
    """UTF-8 text as code page 1250 with CR LF line ends; a character outside the code page is an error."""
    lines = text.replace("\r\n", "\n").split("\n")
    return "\r\n".join(lines).encode("cp1250")


def zip_entry(name, epoch):
    info = zipfile.ZipInfo(name, date_time=time.gmtime(epoch)[:6])
    info.create_system = 0  # MS-DOS: no Unix owner or mode bits
    info.external_attr = ARCHIVE_ATTRIBUTE
    info.compress_type = zipfile.ZIP_DEFLATED
    # Extended time stamp (0x5455): the modification time as seconds since 1970.
    info.extra = struct.pack("<HHBl", 0x5455, 5, 1, epoch)
    return info


def write_zip(path, members, epoch):
    with zipfile.ZipFile(path, "w") as archive:
        for name, data in members:
            archive.writestr(zip_entry(name, epoch), data, compresslevel=9)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True, type=Path)
    parser.add_argument("--guide", required=True, type=Path, help="the Czech guide, UTF-8")
    parser.add_argument("--license", required=True, type=Path)
    parser.add_argument("--libjpeg-source", required=True, type=Path)
    parser.add_argument("--epoch", required=True, type=int, help="the commit's time, seconds since 1970")
    parser.add_argument("--zip", required=True, type=Path)
    args = parser.parse_args()

    try:
        members = [
            ("tamarko.exe", args.exe.read_bytes()),
            ("CTIMNE.TXT", windows_text(args.guide.read_text(encoding="utf-8"))),
            ("LICENSE.TXT", windows_text(args.license.read_text(encoding="utf-8"))),
            ("THIRD-PARTY.TXT", windows_text(notices.third_party_text(args.libjpeg_source))),
        ]
    except (OSError, UnicodeError, notices.NoticeError) as error:
        sys.exit(f"package: {error}")

    partial = args.zip.with_name(args.zip.name + ".part")
    write_zip(partial, members, args.epoch)
    partial.replace(args.zip)
    digest = hashlib.sha256(args.zip.read_bytes()).hexdigest()
    args.zip.with_name(args.zip.name + ".sha256").write_text(f"{digest}  {args.zip.name}\n")
    print(f"{digest}  {args.zip}")


if __name__ == "__main__":
    main()
