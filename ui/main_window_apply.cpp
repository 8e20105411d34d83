// The apply button: the window as the apply sequence sees it.
#include "ui/main_window.h"

#include "core/apply_sequence.h"
#include "win32/proxy_settings.h"
#include "wingui/application.h"

namespace {

// The commands read the fields as they go: a close asked for while one runs
// waits for it.
class CommandRunning {
public:
    explicit CommandRunning(TForm1& form)
        : form_(form)
    {
        form_.SetCommandsRunning(true);
    }
    ~CommandRunning() { form_.SetCommandsRunning(false); }
    CommandRunning(const CommandRunning&) = delete;
    CommandRunning& operator=(const CommandRunning&) = delete;

private:
    TForm1& form_;
};

class ApplyWindow : public ApplyTarget {
public:
    explicit ApplyWindow(TForm1& form)
        : form_(form)
    {
    }

    std::string ConnectionName() override { return form_.ChosenConnection(); }
    std::string FieldText(Field field) override { return form_.FieldText(field); }
    void SetFieldText(Field field, const std::string& text) override { form_.SetFieldText(field, text); }
    bool Checked(Field field) override { return form_.FieldChecked(field); }
    void SetChecked(Field field, bool checked) override { form_.SetFieldChecked(field, checked); }
    const CurrentState& Current() override { return form_.CurrentValues(); }
    void ShowMessage(const std::string& text) override { Application.ShowMessage(text); }
    bool Ask(const std::string& question) override
    {
        return Application.ShowMessage(question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
    }
    void SetStatus(const std::string& text) override { form_.StatusBar1.SetText(text); }
    unsigned long RunCommand(const std::string& commandLine) override
    {
        form_.AppExec1.SetExeName(commandLine);
        form_.AppExec1.SetExeParams({});
        const CommandRunning running(form_);
        form_.AppExec1.Execute();
        // Ended meanwhile (the session ended, the user closed the window):
        // nothing more is to be done.
        if (Application.Terminated() || form_.CloseRequested())
            throw EAbort();
        return form_.AppExec1.ErrNo();
    }
    ProxyWritten WriteProxy(const ProxyWrite& write) override { return WriteProxySettings(write); }
    void Lock() override
    {
        focus_ = GetFocus();
        form_.Button1.SetEnabled(false);
        form_.SetEnabled(false);
    }
    void ReadBack() override
    {
        // Nothing to show to a user who is leaving.
        if (!form_.CloseRequested())
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
        form_.Button1.SetEnabled(true);
        form_.SetEnabled(true);
        form_.ComeToFront(focus_);
    }
    void ShowError(const std::exception& error) override { Application.ShowException(error); }
    void FocusField(Field field) override { form_.FocusField(field); }

private:
    TForm1& form_;
    HWND focus_ = nullptr;  // where the keyboard was when the window was locked
};

}  // namespace

void TForm1::Button1Click()
{
    ApplyWindow window(*this);
    RunApplySequence(window);
    if (closeRequested_) {
        closeRequested_ = false;
        PostMessageA(handle_, WM_CLOSE, 0, 0);
    }
}
