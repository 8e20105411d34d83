// Turns a failed Windows call into an EOSError with the system's own text.
#pragma once

#include "core/exception.h"

[[noreturn]] void RaiseOSError(unsigned long code);
[[noreturn]] void RaiseLastOSError();
