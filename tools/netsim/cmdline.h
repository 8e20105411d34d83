// Splitting a Windows command line into arguments the way the C runtime
// does it, so a quoted connection name with blanks stays one argument.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace netsim {

// The first element is the program name. Rules of the Microsoft C runtime:
// blanks and tabs separate arguments outside quotes; a double quote toggles
// quoting; 2n backslashes before a quote give n backslashes and the quote
// toggles, 2n+1 give n backslashes and a literal quote; two quotes inside a
// quoted part give one literal quote; other backslashes are literal. The
// program name ends at the first blank outside quotes and knows no escapes.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace netsim
