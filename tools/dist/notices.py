"""The notices that the libraries linked into tamarko.exe ask to go with it.

Every text is taken, at packaging time, from the sources the build used: the
libjpeg-turbo source tree and the copyright files of Debian's mingw-w64
packages. A text that is not where it is expected stops the packaging; a
release never goes out with a notice missing.
"""

import re
import subprocess
from pathlib import Path

GCC_PACKAGE = "gcc-mingw-w64-i686-win32"
MINGW_PACKAGE = "mingw-w64-i686-dev"
DOC_ROOT = Path("/usr/share/doc")

# The part of the mingw-w64 tree whose code ends up in a program: the C
# runtime. Profiling code (profile/) is linked only with -pg.
CRT_FILES = re.compile(r"^(\*|mingw-w64-crt/(?!profile/))")


class NoticeError(Exception):
    pass


def lines_between(text, first, last, source):
    """The lines from the one starting with `first` to the one starting with `last`, both included."""
    lines = text.splitlines()
    try:
        start = next(i for i, line in enumerate(lines) if line.startswith(first))
        end = next(i for i in range(start, len(lines)) if lines[i].startswith(last))
    except StopIteration:
        raise NoticeError(f"{source}: no text from {first!r} to {last!r}") from None
    return "\n".join(lines[start : end + 1])


def underlined_section(text, heading, source):
    """A section of a plain-text file: its heading, the ===== line under it and the text up to the next heading."""
    lines = text.splitlines()
    underline = re.compile(r"^=+$")
    for i in range(len(lines) - 1):
        if lines[i] == heading and underline.match(lines[i + 1]):
            end = next(
                (j for j in range(i + 2, len(lines) - 1) if lines[j] and underline.match(lines[j + 1])), len(lines)
            )
            return "\n".join(lines[i:end]).rstrip()
    raise NoticeError(f"{source}: no section {heading!r}")


def dep5_paragraphs(text):
    """The paragraphs of a machine-readable Debian copyright file, each as a list of (field, value lines)."""
    paragraphs = []
    for block in re.split(r"\n\s*\n", text.strip()):
        fields = []
        for line in block.splitlines():
            if line[:1] in (" ", "\t") and fields:
                fields[-1][1].append(line)
            elif ":" in line:
                name, value = line.split(":", 1)
                fields.append((name, [value.strip()]))
        paragraphs.append(fields)
    return paragraphs


def field(paragraph, name):
    return next((value for key, value in paragraph if key == name), None)


def license_names(value):
    return re.split(r"\s+(?:and|or)\s+", value[0])


def render_paragraph(paragraph):
    """A copyright paragraph as readable text: continuation lines unfolded, "." lines made empty."""
    out = []
    for name, value in paragraph:
        out.append(f"{name}: {value[0]}".rstrip())
        if name != "License":
            out += value[1:]
            continue
        for line in value[1:]:
            out.append("" if line.strip() == "." else line[1:])
    return "\n".join(out)


def crt_notices(copyright_text, source):
    """The C runtime's paragraphs of the mingw-w64 copyright file, and the licence texts they name."""
    paragraphs = dep5_paragraphs(copyright_text)
    chosen, needed = [], []
    for paragraph in paragraphs:
        files = field(paragraph, "Files")
        if files and any(CRT_FILES.match(pattern) for line in files for pattern in line.split()):
            chosen.append(paragraph)
            licence = field(paragraph, "License")
            if licence and len(licence) == 1:  # only named: its text stands alone further on
                needed += license_names(licence)
    standalone = {field(p, "License")[0]: p for p in paragraphs if field(p, "License") and not field(p, "Files")}
    missing = [name for name in needed if name not in standalone]
    if not chosen or missing:
        raise NoticeError(f"{source}: no runtime paragraphs, or licence texts missing: {missing}")
    texts = [standalone[name] for name in dict.fromkeys(needed)]
    return "\n\n".join(render_paragraph(p) for p in chosen + texts)


def package_version(package):
    result = subprocess.run(
        ["dpkg-query", "-W", "-f=${Version}", package], capture_output=True, text=True, check=False
    )
    if result.returncode != 0 or not result.stdout:
        raise NoticeError(f"the package {package} is not installed")
    return result.stdout


def read(path):
    try:
        return Path(path).read_text(encoding="utf-8")
    except OSError as error:
        raise NoticeError(str(error)) from None


def heading(number, title, rule="-"):
    title = f"{number}. {title}"
    return f"{title}\n{rule * len(title)}"


def third_party_text(libjpeg_source, doc_root=DOC_ROOT):
    """THIRD-PARTY.TXT as text (line ends and code page are the caller's)."""
    src = Path(libjpeg_source)
    cmake = read(src / "CMakeLists.txt")
    version = re.search(r"^set\(VERSION (\S+)\)", cmake, re.M)
    debian = re.match(r"\S+ \((\S+)\)", read(src / "debian" / "changelog"))
    if not version or not debian:
        raise NoticeError(f"{src}: no libjpeg-turbo version")
    ijg = read(src / "README.ijg")
    gcc_copyright = str(doc_root / GCC_PACKAGE / "copyright")
    gcc = read(gcc_copyright)
    mingw_copyright = str(doc_root / MINGW_PACKAGE / "copyright")

    parts = [
        "Tamarko: notices of the libraries in tamarko.exe\n"
        "================================================\n\n"
        "tamarko.exe contains code of the libraries below, linked into it when it\n"
        "was built. Their licences allow this and ask that these notices go with\n"
        "the program.\n\n"
        "This software is based in part on the work of the Independent JPEG Group.",
        heading(1, f"libjpeg-turbo {version[1]}, which decodes the picture of the about box"),
        f"Built from Debian's source package libjpeg-turbo {debian[1]}. Its LICENSE.md:",
        read(src / "LICENSE.md").rstrip(),
        "From its README.ijg:",
        underlined_section(ijg, "The Independent JPEG Group's JPEG software", "README.ijg"),
        underlined_section(ijg, "LEGAL ISSUES", "README.ijg"),
        heading(2, "The GCC runtime libraries libgcc and libstdc++"),
        f"From Debian's package {GCC_PACKAGE} {package_version(GCC_PACKAGE)}, file {gcc_copyright}:",
        lines_between(gcc, "GCC is Copyright (C)", " - libvtv", gcc_copyright),
        lines_between(gcc, "GCC RUNTIME LIBRARY EXCEPTION", "requirements of the license of GCC.", gcc_copyright),
        heading(3, "The mingw-w64 runtime (C runtime start-up code and library)"),
        f"From Debian's package {MINGW_PACKAGE} {package_version(MINGW_PACKAGE)}, file {mingw_copyright}:",
        crt_notices(read(mingw_copyright), mingw_copyright),
    ]
    return "\n\n".join(parts) + "\n"
