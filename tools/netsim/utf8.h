// UTF-8 text helpers: the stand-ins keep every text in UTF-8 and convert
// only at the edges (console code page out, UTF-16 to and from Windows).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace netsim {

// Decodes the code point at pos and moves pos past it; a malformed sequence
// yields U+FFFD and skips one byte, so a scan always ends.
char32_t NextCodePoint(std::string_view text, std::size_t& pos);

void AppendUtf8(std::string& out, char32_t codePoint);

bool IsValidUtf8(std::string_view text);

// Characters, not bytes: report columns are counted in characters.
std::size_t CharCount(std::string_view utf8);

// Without leading and trailing blanks and tabs.
std::string_view Trim(std::string_view text);

// ASCII letters only; enough for command words and keys.
bool EqualsNoCase(std::string_view a, std::string_view b);
std::string LowerAscii(std::string_view text);

// Splits at sep, trims each part and drops empty parts.
std::vector<std::string> SplitList(std::string_view text, char sep);

}  // namespace netsim
