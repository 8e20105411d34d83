// The apply button: the window as the apply sequence sees it.
#include "ui/Unit1.h"

#include "core/applysequence.h"
#include "core/registry.h"
#include "ui/Unit2.h"
#include "ui/base/application.h"

namespace {

class ApplyWindow : public ApplyTarget {
public:
    explicit ApplyWindow(TForm1& form)
        : form_(form)
    {
    }

    std::string ConnectionName() override { return form_.Label1.Text(); }
    std::string FieldText(ApplyField field) override { return Edit(field).Text(); }
    void SetFieldText(ApplyField field, const std::string& text) override { Edit(field).SetText(text); }
    bool ManualChecked() override { return form_.RadioButton1.Checked(); }
    bool AutomaticChecked() override { return form_.RadioButton2.Checked(); }
    bool ProxyChecked() override { return form_.CheckBox1.Checked(); }
    void ShowMessage(const std::string& text) override { Application.ShowMessage(text); }
    void SetStatus(const std::string& text) override { form_.StatusBar1.SetText(text); }
    void RunCommand(const std::string& commandLine) override
    {
        form_.AppExec1.SetExeName(commandLine);
        form_.AppExec1.SetExeParams({});
        form_.AppExec1.Execute();
    }
    void WriteProxy(int enable, const std::string& server) override
    {
        RegWriteInteger("HKCU", kInternetSettingsKey, "ProxyEnable", enable, false);
        RegWriteString("HKCU", kInternetSettingsKey, "ProxyServer", server, false);
    }
    void Lock() override
    {
        form_.Button1.SetEnabled(false);
        form_.SetEnabled(false);
    }
    void ReadBack() override
    {
        // Nothing to show to a user who is leaving.
        if (!form_.CloseRequested())
            form_.ShowConnectionChooser();
    }
    void Unlock() override
    {
        form_.Button1.SetEnabled(true);
        form_.SetEnabled(true);
    }
    void ShowError(const std::exception& error) override { Application.ShowException(error); }

private:
    TEdit& Edit(ApplyField field)
    {
        switch (field) {
        case ApplyField::IP:
            return form_.Edit2;
        case ApplyField::Mask:
            return form_.Edit3;
        case ApplyField::Gateway:
            return form_.Edit4;
        case ApplyField::DNS:
            return form_.Edit5;
        case ApplyField::DNS2:
            return form_.Edit8;
        case ApplyField::ProxyAddress:
            return form_.Edit6;
        case ApplyField::ProxyPort:
            break;
        }
        return form_.Edit7;
    }

    TForm1& form_;
};

}  // namespace

void TForm1::Button1Click()
{
    ApplyWindow window(*this);
    applying_ = true;
    RunApplySequence(window);
    applying_ = false;
    if (closeRequested_) {
        closeRequested_ = false;
        PostMessageA(handle_, WM_CLOSE, 0, 0);
    }
}
