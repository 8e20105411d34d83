// Reading the current state of the chosen connection into the main window.
#include "ui/main_window.h"

#include "win32/registry.h"
#include "wingui/application.h"

namespace {

std::string ReadComputerName()
{
    char name[16] = {};
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

// A proxy value the registry cannot give as asked is reported, and the rest
// of the state is still read: the window stays usable. `unreadable` tells
// that something is there all the same.
template <typename Read> auto ReadProxyValue(Read read, decltype(read()) missing, bool* unreadable = nullptr)
{
    try {
        return read();
    } catch (const ERegistryException& error) {
        Application.ShowException(error);
        if (unreadable)
            *unreadable = true;
        return missing;
    }
}

}  // namespace

void TForm1::ShowCurrentValues(StateSource source)
{
    for (const FieldSpec& spec : kFields) {
        if (spec.source != source)
            continue;
        if (spec.kind == FieldKind::Text) {
            SetFieldText(spec.field, Current.*spec.current);
        } else if (const std::optional<bool> checked = CurrentFlag(spec.field, Current)) {
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
    ReadReportValues(tmp, Section, Current);
    Current.ProxyAddress.clear();
    Current.ProxyPort.clear();

    Label2.SetText(ReadComputerName());
    Label1.SetText(ConnectionName);
    ShowCurrentValues(StateSource::Report);

    Current.ProxyOn = ReadProxyValue([] { return RegReadInteger("HKCU", kInternetSettingsKey, "ProxyEnable"); }, -1);
    bool serverUnreadable = false;
    const ProxyParts proxy = SplitProxyServer(ReadProxyValue(
        [] { return RegReadString("HKCU", kInternetSettingsKey, "ProxyServer"); }, std::string(), &serverUnreadable));
    Current.ProxyAddress = proxy.address;
    Current.ProxyPort = proxy.port;
    Current.ProxyServerRead = serverUnreadable || !proxy.address.empty() || !proxy.port.empty();
    ShowCurrentValues(StateSource::Registry);

    // Everything now shows what the system has.
    for (const FieldSpec& spec : kFields)
        ShowFieldState(spec.field, true);
    StatusBar1.SetText("Zeleně podbarvené položky = aktuální stav.");
    stateShown_ = true;
}
