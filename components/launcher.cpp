// Starts a command line in a console of its own and, when asked, waits for
// it while the program's windows keep working.
#include "components/launcher.h"

#include "win32/handle.h"
#include "win32/message_pump.h"
#include "win32/os_error.h"
#include "win32/tool_file.h"

#include <windows.h>

TAppExec::TAppExec()
{
    SetLangType(ltCzech);
}

void TAppExec::SetExePath(const std::string& path)
{
    if (path == exePath_)
        return;
    exePath_ = NormaliseExePath(path);
}

void TAppExec::SetLangType(TLangType language)
{
    langType_ = language;
    SetAppExecLanguage(language);
}

void TAppExec::SetWindowState(TWindowState state)
{
    if (state == windowState_)
        return;
    windowState_ = state;
    showWindow_ = ShowWindowCommandFor(state);
}

void TAppExec::Execute()
{
    const DWORD creationFlags = PriorityClassFlag(priorityClass_) | CREATE_NEW_CONSOLE;
    std::string commandLine = BuildAppExecCommandLine(exeName_, exeParams_);
    // Cut short, it would run a different command than the one asked for.
    if (commandLine.size() > kMaxAppExecCommandLine)
        throw EAppExecWinExec(CommandLineTooLongMessage(commandLine.size()));

    if (changeDir_ && !exePath_.empty() && !SetCurrentDirectoryA(exePath_.c_str()))
        throw EAppExecChDir(OSErrorMessage(GetLastError()));

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showWindow_;

    errNo_ = 0;
    abandoned_ = false;
    // Found by Windows' search, a program of that name in the current folder
    // would run with our rights.
    const std::string programFile = ToolFile(commandLine);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(programFile.empty() ? nullptr : programFile.c_str(), commandLine.data(), nullptr, nullptr,
            FALSE, creationFlags, nullptr, nullptr, &startup, &started)) {
        errNo_ = GetLastError();
        throw EAppExecWinExec(ErrorMessage());
    }
    const Handle process(started.hProcess);
    const Handle thread(started.hThread);
    if (!wait_)
        return;

    // Handlers run while we wait and may start (and wait for) commands of
    // their own; each run waits only on its own process. The process
    // handle, not the exit code, tells the end: 259 is a valid exit code.
    PumpMessages();
    // The program's end gives up the wait: its windows are gone, and a
    // command that never ends must not keep it alive. So does a user who
    // asked to end it.
    while (!ProgramEnding() && !abandoned_ && !WaitForObjectOrMessages(process.Get(), INFINITE)) { }
    if (ProgramEnding() || abandoned_)
        return;
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process.Get(), &exitCode)) {
        errNo_ = GetLastError();
        PumpMessages();
        throw EAppExecWinExec(ErrorMessage());
    }
    errNo_ = exitCode;
}

std::string TAppExec::ErrorMessage() const
{
    return AppExecMessage(errNo_);
}
