// File names as Windows gives them (wide) for the program's ANSI calls. A
// name with a letter outside the code page has no ANSI form of its own: the
// code page's look-alike ("e" for "è") would name another file. Such a name
// is taken in its short (8.3) form where the file or folder exists and has
// one, which names the same file; otherwise it is refused.
#pragma once

#include "core/exception.h"

#include <string>

// A name that has no ANSI form naming the same file. The message names it,
// each letter the code page lacks shown as "?".
class EFileName : public Exception {
public:
    explicit EFileName(const std::wstring& path);
};

// `path` as the ANSI calls can use it: its own form when it has one, else
// the short form of the longest part of it that exists followed by the rest.
// Raises EFileName when neither names the file exactly.
std::string AnsiFileName(const std::wstring& path);
