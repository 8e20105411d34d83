// Lets one instance of the program run on the desktop. A starting instance
// asks the running one through a registered window message whether it may
// run; refused, it ends before any of its windows is shown. A named file
// mapping is the other way of telling.
#pragma once

#include "core/exception.h"
#include "win32/handle.h"
#include "wingui/component.h"

#include <windows.h>

#include <functional>

enum TMultiCheckMethod { mimMessage, mimFileMapping };

using TMultiInstanceEvent = std::function<void(TComponent* Sender, int& fInstId)>;
using TMultiInstanceGetAppId = std::function<void(TComponent* Sender, int& fAppId)>;

// The message every program using the guard shares. Registered once per
// process; the program calls it at start, anyone may call it later.
UINT RegisterInstanceMessage();

class TMultiInstance : public TComponent {
public:
    // How long the check waits for any one window to answer.
    static constexpr UINT kAnswerTimeoutMs = 2000;

    TMultiInstance();
    // Announces this instance's end to every other one.
    ~TMultiInstance() override;

    int AppId() const { return appId_; }
    void SetAppId(int appId) { appId_ = appId; }
    TMultiCheckMethod CheckMethod() const { return checkMethod_; }
    void SetCheckMethod(TMultiCheckMethod method) { checkMethod_ = method; }

    TNotifyEvent OnForceClose;
    TMultiInstanceEvent OnStartInstance;
    TMultiInstanceEvent OnCloseInstance;
    TMultiInstanceGetAppId OnGetAppId;

    // The check, once the owner window's design is built and before its
    // FormCreate runs.
    void Loaded();

    // 0 before the check, 1 for the first instance, -1 once refused.
    int InstanceNumber() const { return instanceNumber_; }
    // The program's close has begun and nothing can stop it any more: a
    // start from now on finds no instance here and runs, instead of being
    // sent away by one about to be gone. Its end is still announced.
    void Withdraw() { withdrawn_ = true; }
    // The program has been told to end for another instance: its entry
    // returns before FormCreate.
    bool Refused() const { return refused_; }
    HWND HiddenWindow() const { return hiddenWindow_; }

protected:
    virtual void DoForceClose();
    virtual void DoStartInstance(int& reply);
    virtual void DoCloseInstance(int number);
    // Note: the end announcement runs in the destructor, where C++ calls this
    // class's own DoGetAppId, not an override.
    virtual int DoGetAppId();

private:
    void CheckByMessage();
    void CheckByFileMapping();
    HWND FindInstance(int appId);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK InstanceWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    int appId_ = 1;
    TMultiCheckMethod checkMethod_ = mimMessage;
    HWND hiddenWindow_ = nullptr;
    int instanceNumber_ = 0;
    bool refused_ = false;
    bool withdrawn_ = false;
    Handle mappingHandle_;
};
