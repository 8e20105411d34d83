// Where the driver tells the recorder of a program which step of the test is
// under way: a small named memory of the program's. Only the recorder writes
// the log, so that its lines stay whole; it writes the step into the log
// before its next line.
#pragma once

#include <windows.h>

#include <string>

namespace verifier {

struct StepBoard {
    // Odd while the driver writes the text: a reader then waits for the next.
    volatile LONG sequence;
    char text[1020];
};

inline std::string StepBoardName(DWORD processId)
{
    return "TamarkoRecorderSteps-" + std::to_string(processId);
}

}  // namespace verifier
