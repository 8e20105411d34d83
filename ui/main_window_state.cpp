// Reading the current state of the chosen connection into the main window.
#include "ui/main_window.h"

#include "win32/proxy_settings.h"
#include "wingui/application.h"

namespace {

std::string ReadComputerName()
{
    char name[16] = {};
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

}  // namespace

void TForm1::ShowName(TLabel& label, const std::string& name)
{
    label.SetText(name);
    label.SetHint(name);
    // Only a name cut short needs the keyboard: it shows itself whole then.
    label.SetTabStop(label.TextCut());
}

void TForm1::ShowCurrentValues(StateSource source)
{
    for (const FieldSpec& spec : kFields) {
        if (spec.source != source)
            continue;
        if (spec.kind == FieldKind::Text) {
            SetFieldText(spec.field, current_.*spec.current);
        } else if (const std::optional<bool> checked = CurrentFlag(spec.field, current_)) {
            SetFieldChecked(spec.field, *checked);
            // A proxy that is off keeps its fields shut, also when the box
            // was clear already and its handler did not run.
            if (!*checked && spec.kind == FieldKind::Switch)
                EnableFieldsOf(spec.field, false);
        }
    }
}

void TForm1::ReadCurrentState()
{
    ReadReportValues(reportLines_, section_, current_);
    current_.ProxyAddress.clear();
    current_.ProxyPort.clear();

    ShowName(computerNameLabel_, ReadComputerName());
    ShowName(connectionNameLabel_, connectionName_);
    ShowCurrentValues(StateSource::Report);

    // A value the registry cannot give as asked is said once a run: it stays
    // as it is until the user changes the field, and every read-back would
    // say it again. The rest of the state is still read.
    const ProxyRegistryValues proxyValues = ReadProxySettings();
    for (const std::string* problem : {&proxyValues.enableProblem, &proxyValues.serverProblem}) {
        if (!problem->empty() && proxyProblemsSaid_.insert(*problem).second)
            Application.ShowException(Exception(*problem));
    }
    current_.ProxyOn = proxyValues.enable.value_or(-1);
    current_.ProxyEnableUnreadable = !proxyValues.enableProblem.empty();
    const ProxyParts proxy = SplitProxyServer(proxyValues.server.value_or(""));
    current_.ProxyAddress = proxy.address;
    current_.ProxyPort = proxy.port;
    current_.ProxyServerRead = !proxyValues.serverProblem.empty() || !proxy.address.empty() || !proxy.port.empty();
    ShowCurrentValues(StateSource::Registry);

    // Everything now shows what the system has.
    for (const FieldSpec& spec : kFields)
        ShowFieldState(spec.field, true);
    statusBar_.SetText("Zeleně podbarvené položky = aktuální stav.");
    stateShown_ = true;
}
