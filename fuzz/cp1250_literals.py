#!/usr/bin/env python3
"""Copies a UTF-8 C++ source with its narrow string and character literals
re-encoded as code page 1250, the way gcc's -fexec-charset=CP1250 encodes
them; comments and everything else keep their bytes. clang keeps the bytes
of a literal that is not UTF-8, so the copy compiles to the same literals.

Usage: cp1250_literals.py SOURCE OUTPUT
"""
import re
import sys

# Encoding prefixes that make a literal wide or UTF-8: gcc leaves those alone.
NOT_NARROW = ("L", "u", "U", "u8", "LR", "uR", "UR", "u8R")


def convert(text, name):
    out = []
    i = 0
    n = len(text)
    while i < n:
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            out.append(text[i:end])
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            if end < 0:
                sys.exit(f"{name}: unterminated comment")
            out.append(text[i:end + 2])
            i = end + 2
        elif text[i] in "\"'":
            prefix = re.search(r"[A-Za-z0-9_]*$", text[:i]).group(0)
            quote = text[i]
            if quote == '"' and prefix.endswith("R"):
                match = re.compile(r'"([^()\\ ]{0,16})\(').match(text, i)
                if not match:
                    sys.exit(f"{name}: bad raw string")
                end = text.find(")" + match.group(1) + '"', match.end())
                if end < 0:
                    sys.exit(f"{name}: unterminated raw string")
                end += len(match.group(1)) + 2
            elif quote == "'" and prefix and prefix[-1].isalnum() and prefix not in NOT_NARROW:
                # A digit separator (1'000), not a character literal.
                out.append(quote)
                i += 1
                continue
            else:
                end = i + 1
                while end < n and text[end] != quote:
                    end += 2 if text[end] == "\\" else 1
                if end >= n:
                    sys.exit(f"{name}: unterminated literal")
                end += 1
            literal = text[i:end]
            if prefix in NOT_NARROW:
                out.append(literal.encode("utf-8"))
            else:
                try:
                    out.append(literal.encode("cp1250"))
                except UnicodeEncodeError as error:
                    sys.exit(f"{name}: {literal!r} has no code page 1250 form: {error}")
            i = end
            continue
        else:
            out.append(text[i])
            i += 1
            continue
        # Comments keep their UTF-8 bytes.
    return b"".join(part if isinstance(part, bytes) else part.encode("utf-8") for part in out)


def main():
    source, output = sys.argv[1:3]
    with open(source, encoding="utf-8") as f:
        text = f.read()
    converted = convert(text, source)
    with open(output, "wb") as f:
        f.write(converted)


if __name__ == "__main__":
    main()
