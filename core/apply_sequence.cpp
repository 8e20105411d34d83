// The apply button: validation of the fields, the netsh commands, the proxy
// values, the lease renewal and the read-back, in that order.
#include "core/apply_sequence.h"

#include "core/address_check.h"
#include "core/exception.h"

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
// Nothing runs any more and nothing was read back.
const char kStatusStopped[] = "Nastavení nebylo dokončeno.";

std::string NetshOn(const std::string& what, const std::string& name)
{
    return "netsh interface ip " + what + " \"" + name + "\"";
}

// What the sequence put into the fields itself, so that a run that ends
// early can give the user back what was typed.
class FieldChanges {
public:
    explicit FieldChanges(ApplyTarget& target)
        : target_(target)
    {
    }
    void Set(Field field, const std::string& text)
    {
        replaced_.push_back({field, target_.FieldText(field), text});
        target_.SetFieldText(field, text);
    }
    // Only a field that still shows the sequence's text: what a read-back
    // put there is the system's.
    void PutBack()
    {
        for (auto it = replaced_.rbegin(); it != replaced_.rend(); ++it) {
            if (target_.FieldText(it->field) == it->put)
                target_.SetFieldText(it->field, it->typed);
        }
        replaced_.clear();
    }

private:
    struct Replaced {
        Field field;
        std::string typed, put;
    };
    ApplyTarget& target_;
    std::vector<Replaced> replaced_;
};

void SetAutomaticAddressing(ApplyTarget& target)
{
    target.SetStatus(kStatusAddress);
    target.RunCommand(AddressDhcpCommand(target.ConnectionName()));
    target.SetStatus(kStatusDns);
    target.RunCommand(DnsDhcpCommand(target.ConnectionName()));
}

void SetManualAddressing(ApplyTarget& target, FieldChanges& changes)
{
    std::string metricSuffix = " 1";
    if (target.FieldText(Field::Gateway).empty()) {
        changes.Set(Field::Gateway, kNone);
        metricSuffix.clear();
    }
    target.SetStatus(kStatusAddress);
    // Read back from the fields: "none" is now what the gateway shows.
    target.RunCommand(StaticAddressCommand(target.ConnectionName(), target.FieldText(Field::IP),
        target.FieldText(Field::Mask), target.FieldText(Field::Gateway), metricSuffix));

    if (target.FieldText(Field::DNS).empty())
        changes.Set(Field::DNS, kNone);
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
void ApplyLocked(ApplyTarget& target, FieldChanges& changes)
{
    if (target.Checked(Field::Automatic))
        SetAutomaticAddressing(target);
    if (target.Checked(Field::Manual))
        SetManualAddressing(target, changes);

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

std::vector<FieldProblem> ValidateApplyFields(ApplyTarget& target)
{
    std::vector<FieldProblem> problems;
    if (!target.Checked(Field::Manual))
        return problems;

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
            problems.push_back({spec.field, spec.invalidMessage});
    }
    return problems;
}

void RunApplySequence(ApplyTarget& target)
{
    const std::vector<FieldProblem> problems = ValidateApplyFields(target);
    for (const FieldProblem& problem : problems)
        target.ShowMessage(problem.message);
    if (!problems.empty()) {
        target.FocusField(problems.front().field);
        return;
    }

    target.Lock();
    FieldChanges changes(target);
    try {
        ApplyLocked(target, changes);
    } catch (const EAbort&) {
        // The program is ending: there is no one left to tell.
        changes.PutBack();
        target.Unlock();
        return;
    } catch (const std::exception& error) {
        // Without a read-back the fields would keep the sequence's own "none",
        // which the next apply refuses, and the status bar would still say
        // to wait. Reported here rather than by the general handler, which
        // would leave the window disabled for good.
        changes.PutBack();
        target.SetStatus(kStatusStopped);
        target.ShowError(error);
        target.Unlock();
        return;
    }
    target.Unlock();
}
