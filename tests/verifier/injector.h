// Puts the recorder into a program before the program's first instruction:
// the process is made suspended, its entry point is made to load the DLL and
// then to go on as if nothing had happened.
#pragma once

#include <windows.h>

#include <string>

namespace verifier {

// `started` was created with CREATE_SUSPENDED and has not run. Throws
// std::runtime_error when the process cannot be prepared; it is then still
// suspended and the caller's to end.
void LoadBeforeEntry(const PROCESS_INFORMATION& started, const std::string& dllPath);

}  // namespace verifier
