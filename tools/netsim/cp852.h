// Code page 852, the OEM (console) code page of Czech Windows, in which
// netsh and ipconfig write their output.
#pragma once

#include <string>
#include <string_view>

namespace netsim {

// Characters that code page 852 lacks become '?', as WideCharToMultiByte's
// default character would make them.
std::string Utf8ToCp852(std::string_view utf8);

}  // namespace netsim
