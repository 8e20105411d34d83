// Reading the current state of the chosen connection into the main window.
#include "ui/Unit1.h"

#include "core/registry.h"
#include "ui/base/application.h"

namespace {

std::string ReadComputerName()
{
    char name[16] = {};
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

// A proxy value the registry cannot give as asked is reported, and the rest
// of the state is still read: the window stays usable.
template <typename Read> auto ReadProxyValue(Read read, decltype(read()) missing)
{
    try {
        return read();
    } catch (const ERegistryException& error) {
        Application.ShowException(error);
        return missing;
    }
}

}  // namespace

void TForm1::ReadCurrentState()
{
    const ReportValues values = ReadReportValues(tmp, Section, Current.DHCP);
    Current.IP = values.ip;
    Current.DHCP = values.dhcp;
    Current.Mask = values.mask;
    Current.Gateway = values.gateway;
    Current.DNS = values.dns;
    Current.DNS2 = values.dns2;
    Current.ProxyAddress.clear();
    Current.ProxyPort.clear();

    Label2.SetText(ReadComputerName());
    Label1.SetText(ConnectionName);
    Edit2.SetText(Current.IP);
    Edit3.SetText(Current.Mask);
    Edit4.SetText(Current.Gateway);
    Edit5.SetText(Current.DNS);
    Edit8.SetText(Current.DNS2);
    if (Current.DHCP == "No") {
        RadioButton1.SetChecked(true);
        RadioButton2.SetChecked(false);
    }
    if (Current.DHCP == "Yes") {
        RadioButton1.SetChecked(false);
        RadioButton2.SetChecked(true);
    }

    Current.ProxyOn = ReadProxyValue([] { return RegReadInteger("HKCU", kInternetSettingsKey, "ProxyEnable"); }, -1);
    const ProxyParts proxy = SplitProxyServer(
        ReadProxyValue([] { return RegReadString("HKCU", kInternetSettingsKey, "ProxyServer"); }, std::string()));
    Current.ProxyAddress = proxy.address;
    Current.ProxyPort = proxy.port;
    Edit6.SetText(Current.ProxyAddress);
    Edit7.SetText(Current.ProxyPort);
    if (Current.ProxyOn == 0) {
        CheckBox1.SetChecked(false);
        Edit6.SetEnabled(false);
        Edit7.SetEnabled(false);
    }
    if (Current.ProxyOn == 1)
        CheckBox1.SetChecked(true);

    // Everything now shows what the system has.
    for (TControl* control : std::initializer_list<TControl*>{
             &Edit2, &Edit3, &Edit4, &Edit5, &Edit8, &RadioButton1, &RadioButton2, &Edit6, &Edit7, &CheckBox1})
        control->SetColor(clLime);
    StatusBar1.SetText("Zeleně podbarvené položky = aktuální stav.");
}
