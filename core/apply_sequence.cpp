// The apply button: validation of the fields, the netsh commands, the proxy
// values, the lease renewal and the read-back, in that order.
#include "core/apply_sequence.h"

#include "core/address_check.h"

const char kReleaseCommand[] = "ipconfig /release";
const char kRenewCommand[] = "ipconfig /renew";

namespace {

// netsh wants none, not an empty argument, for a missing gateway or DNS.
const char kNone[] = "none";

const char kStatusAddress[] = "Nastavuji IP adresu, čekejte...";
const char kStatusDns[] = "Nastavuji server DNS, čekejte...";
const char kStatusDns2[] = "Nastavuji náhradní server DNS, čekejte...";
const char kStatusProxy[] = "Nastavuji PROXY server, čekejte...";
const char kStatusRenew[] = "Obnovuji připojení, čekejte...";
const char kStatusDone[] = "Hotovo, čekejte...";

std::string NetshOn(const std::string& what, const std::string& name)
{
    return "netsh interface ip " + what + " \"" + name + "\"";
}

void SetAutomaticAddressing(ApplyTarget& target)
{
    target.SetStatus(kStatusAddress);
    target.RunCommand(AddressDhcpCommand(target.ConnectionName()));
    target.SetStatus(kStatusDns);
    target.RunCommand(DnsDhcpCommand(target.ConnectionName()));
}

void SetManualAddressing(ApplyTarget& target)
{
    std::string metricSuffix = " 1";
    if (target.FieldText(Field::Gateway).empty()) {
        target.SetFieldText(Field::Gateway, kNone);
        metricSuffix.clear();
    }
    target.SetStatus(kStatusAddress);
    // Read back from the fields: "none" is now what the gateway shows.
    target.RunCommand(StaticAddressCommand(target.ConnectionName(), target.FieldText(Field::IP),
        target.FieldText(Field::Mask), target.FieldText(Field::Gateway), metricSuffix));

    if (target.FieldText(Field::DNS).empty())
        target.SetFieldText(Field::DNS, kNone);
    target.SetStatus(kStatusDns);
    target.RunCommand(StaticDnsCommand(target.ConnectionName(), target.FieldText(Field::DNS)));

    // An alternate server makes no sense without a preferred one.
    const std::string dns2 = target.FieldText(Field::DNS2);
    if (!dns2.empty() && target.FieldText(Field::DNS) != kNone && IsValidAddress(dns2)) {
        target.SetStatus(kStatusDns2);
        target.RunCommand(AddDnsCommand(target.ConnectionName(), dns2));
    }
}

// Steps after the lock; any of them may throw.
void ApplyLocked(ApplyTarget& target)
{
    if (target.Checked(Field::Automatic))
        SetAutomaticAddressing(target);
    if (target.Checked(Field::Manual))
        SetManualAddressing(target);

    target.SetStatus(kStatusProxy);
    // Written even with the proxy off, so the address survives for next time.
    target.WriteProxy(target.Checked(Field::Proxy) ? 1 : 0,
        target.FieldText(Field::ProxyAddress) + ":" + target.FieldText(Field::ProxyPort));

    target.SetStatus(kStatusRenew);
    target.RunCommand(kReleaseCommand);
    target.RunCommand(kRenewCommand);

    target.SetStatus(kStatusDone);
    target.ReadBack();
}

}  // namespace

std::string AddressDhcpCommand(const std::string& name)
{
    return NetshOn("set address", name) + " dhcp";
}

std::string DnsDhcpCommand(const std::string& name)
{
    return NetshOn("set dns", name) + " dhcp";
}

std::string StaticAddressCommand(const std::string& name, const std::string& ip, const std::string& mask,
    const std::string& gateway, const std::string& metricSuffix)
{
    return NetshOn("set address", name) + " static " + ip + " " + mask + " " + gateway + metricSuffix;
}

std::string StaticDnsCommand(const std::string& name, const std::string& dns)
{
    return NetshOn("set dns", name) + " static " + dns;
}

std::string AddDnsCommand(const std::string& name, const std::string& dns2)
{
    return NetshOn("add dns", name) + " " + dns2;
}

std::vector<std::string> ValidateApplyFields(ApplyTarget& target)
{
    std::vector<std::string> messages;
    if (!target.Checked(Field::Manual))
        return messages;

    for (const FieldSpec& spec : kFields) {
        switch (spec.validation) {
        case Validation::Never:
            continue;
        case Validation::Always:
            break;
        case Validation::UnlessEmpty:
            if (target.FieldText(spec.field).empty())
                continue;
            break;
        case Validation::WhileSwitchedOn:
            if (!target.Checked(*spec.enabledBy))
                continue;
            break;
        }
        if (!IsValidAddress(target.FieldText(spec.field)))
            messages.emplace_back(spec.invalidMessage);
    }
    return messages;
}

void RunApplySequence(ApplyTarget& target)
{
    const std::vector<std::string> messages = ValidateApplyFields(target);
    for (const std::string& message : messages)
        target.ShowMessage(message);
    if (!messages.empty())
        return;

    target.Lock();
    try {
        ApplyLocked(target);
    } catch (const std::exception& error) {
        // Reported here rather than by the general handler, which would leave
        // the window disabled for good.
        target.ShowError(error);
        target.Unlock();
        return;
    }
    target.Unlock();
}
