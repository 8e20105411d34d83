// The recorder's log: recorder-<pid>.log in the test's folder, one line per
// recorded call, with the driver's steps written in before the line that
// follows them. Only the recorder writes it, so its lines stay whole.
#pragma once

#include <windows.h>

namespace verifier {

// Opens the log in `folder` and the step board of this process; false when
// there is no log to write.
bool OpenRecorderLog(const char* folder);
bool RecorderLogOpen();

// One line, printf-style, without its line break.
void WriteLogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// What the log is written under; hooks that keep state of their own take it too.
class LogLock {
public:
    LogLock();
    ~LogLock();
    LogLock(const LogLock&) = delete;
    LogLock& operator=(const LogLock&) = delete;
};

// Called with each step as it reaches the log, so that the counts the
// planner of the fault sweep needs stand beside it.
using StepListener = void (*)();
void SetStepListener(StepListener listener);

}  // namespace verifier
