// Turns a failed Windows call into an EOSError with the system's own text.
#pragma once

#include "core/exception.h"

// The system's own text for an error number, without its trailing line break;
// empty when the system has none.
std::string SystemErrorText(unsigned long code);
// The message of an EOSError for that number.
std::string OSErrorMessage(unsigned long code);

[[noreturn]] void RaiseOSError(unsigned long code);
[[noreturn]] void RaiseLastOSError();

// Windows refused to make `what` ("okno", "nabídku" ...), something the
// program cannot do without: memory, or the USER and GDI objects of the
// process, have run out. Raised in Czech with the last error's number.
std::string RefusalMessage(const char* what, unsigned long code);
[[noreturn]] void RaiseRefusal(const char* what);
