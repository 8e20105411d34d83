// The apply button: the window as the apply sequence sees it.
#include "ui/main_window.h"

#include "core/apply_sequence.h"
#include "win32/proxy_settings.h"
#include "wingui/application.h"

namespace {

// Set while a command runs, also when it cannot be started.
class RaisedWhile {
public:
    explicit RaisedWhile(bool& flag)
        : flag_(flag)
    {
        flag_ = true;
    }
    ~RaisedWhile() { flag_ = false; }
    RaisedWhile(const RaisedWhile&) = delete;
    RaisedWhile& operator=(const RaisedWhile&) = delete;

private:
    bool& flag_;
};

}  // namespace

class TForm1::ApplyWindow : public ApplyTarget {
public:
    explicit ApplyWindow(TForm1& form)
        : form_(form)
    {
    }

    std::string ConnectionName() override { return form_.connectionName_; }
    std::string FieldText(Field field) override { return form_.FieldText(field); }
    void SetFieldText(Field field, const std::string& text) override { form_.SetFieldText(field, text); }
    bool Checked(Field field) override { return form_.FieldChecked(field); }
    void SetChecked(Field field, bool checked) override { form_.SetFieldChecked(field, checked); }
    const CurrentState& Current() override { return form_.current_; }
    void ShowMessage(const std::string& text) override { Application.ShowMessage(text); }
    bool Ask(const std::string& question) override
    {
        return Application.ShowMessage(question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
    }
    void SetStatus(const std::string& text) override { form_.statusBar_.SetText(text); }
    unsigned long RunCommand(const std::string& commandLine) override
    {
        form_.launcher_.SetExeName(commandLine);
        form_.launcher_.SetExeParams({});
        // The commands read the fields as they go: a close asked for while
        // one runs waits for it.
        const RaisedWhile running(form_.commandsRunning_);
        form_.launcher_.Execute();
        // Ended meanwhile (the session ended, the user closed the window):
        // nothing more is to be done.
        if (Application.Terminated() || form_.closeRequested_)
            throw EAbort();
        return form_.launcher_.ErrNo();
    }
    ProxyWritten WriteProxy(const ProxyWrite& write) override { return WriteProxySettings(write); }
    void Lock() override
    {
        focus_ = GetFocus();
        form_.applyButton_.SetEnabled(false);
        form_.SetEnabled(false);
    }
    void ReadBack() override
    {
        // Nothing to show to a user who is leaving.
        if (!form_.closeRequested_)
            form_.ShowConnectionChooser();
        // No connection left to show: the program has ended meanwhile.
        if (Application.Terminated())
            throw EAbort();
    }
    SystemState ReadSystemState(const std::string& connectionName) override
    {
        SystemState state = ReportStateOf(form_.ReportLines(), connectionName);
        const ProxyRegistryValues proxy = ReadProxySettings();
        state.proxyEnable = proxy.enable;
        state.proxyServer = proxy.server;
        return state;
    }
    void Unlock() override
    {
        form_.applyButton_.SetEnabled(true);
        form_.SetEnabled(true);
        form_.ComeToFront(focus_);
    }
    void ShowError(const std::exception& error) override { Application.ShowException(error); }
    void FocusField(Field field) override { form_.FocusField(field); }

private:
    TForm1& form_;
    HWND focus_ = nullptr;  // where the keyboard was when the window was locked
};

void TForm1::OnApply()
{
    ApplyWindow window(*this);
    RunApplySequence(window);
    if (closeRequested_) {
        closeRequested_ = false;
        PostMessageA(handle_, WM_CLOSE, 0, 0);
    }
}
