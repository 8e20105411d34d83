// The one way the program starts other programs: a command line started in
// a console of its own with a chosen window state and priority, optionally
// waited for while the program's windows stay alive.
#pragma once

#include "components/launcher_rules.h"
#include "core/exception.h"
#include "wingui/component.h"

#include <cstdint>
#include <string>
#include <vector>

class EAppExec : public Exception {
public:
    using Exception::Exception;
};
// The working directory could not be set; nothing was started.
class EAppExecChDir : public EAppExec {
public:
    using EAppExec::EAppExec;
};
// The program could not be started (or waited for).
class EAppExecWinExec : public EAppExec {
public:
    using EAppExec::EAppExec;
};

class TAppExec : public TComponent {
public:
    TAppExec();

    bool ChangeDir() const { return changeDir_; }
    void SetChangeDir(bool changeDir) { changeDir_ = changeDir; }
    // The last error number; after a waited run, the exit code.
    std::uint32_t ErrNo() const { return errNo_; }
    const std::string& ExeName() const { return exeName_; }
    void SetExeName(const std::string& exeName) { exeName_ = exeName; }
    const std::vector<std::string>& ExeParams() const { return exeParams_; }
    void SetExeParams(const std::vector<std::string>& params) { exeParams_ = params; }
    const std::string& ExePath() const { return exePath_; }
    void SetExePath(const std::string& path);
    TLangType LangType() const { return langType_; }
    // Refills the message table that every launcher shares.
    void SetLangType(TLangType language);
    TPriorClass PriorityClass() const { return priorityClass_; }
    void SetPriorityClass(TPriorClass priorityClass) { priorityClass_ = priorityClass; }
    bool Wait() const { return wait_; }
    void SetWait(bool wait) { wait_ = wait; }
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState state);
    std::uint16_t ShowWindowCommand() const { return showWindow_; }

    // Starts ExeName with ExeParams; with Wait, returns when it has ended, the
    // program is ending or the wait has been abandoned.
    void Execute();
    // Stops waiting for the command under way, which goes on by itself, as it
    // does when the program ends: Execute returns as soon as it can.
    void AbandonWait() { abandoned_ = true; }
    // The message table's text for ErrNo.
    std::string ErrorMessage() const;

private:
    bool changeDir_ = true;
    std::uint32_t errNo_ = 32;
    std::string exeName_;
    std::vector<std::string> exeParams_;
    std::string exePath_;
    TLangType langType_ = ltCzech;
    TPriorClass priorityClass_ = pcNormal;
    bool wait_ = false;
    TWindowState windowState_ = wsNormal;
    std::uint16_t showWindow_ = 1;
    bool abandoned_ = false;
};
