// The apply button: validation of the fields, the netsh commands, the proxy
// values, the lease renewal and the read-back, in that order.
#include "core/apply_sequence.h"

#include "core/address_check.h"
#include "core/command_messages.h"
#include "core/exception.h"
#include "core/subnet_check.h"

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

// Runs the commands and notes those that end with an error: the sequence
// goes on, and the read-back decides whether what they set took. A command
// that cannot be started at all stops the sequence, naming the program.
class Commands {
public:
    Commands(ApplyTarget& target, ApplyRequest& request)
        : target_(target)
        , request_(request)
    {
    }
    // `sets`: what the command sets; a command that sets nothing of its own
    // (the leases, on every adapter) is judged by nothing.
    void Run(std::optional<AppliedSetting> sets, const std::string& commandLine)
    {
        unsigned long exitCode = 0;
        try {
            exitCode = target_.RunCommand(commandLine);
        } catch (const EAbort&) {
            throw;
        } catch (const Exception& error) {
            throw Exception(CommandNotStartedMessage(commandLine, error.Message()));
        }
        if (exitCode == 0 || !sets)
            return;
        // The address command sets the mode and every address with it.
        const CommandFailure failure{commandLine, exitCode};
        if (*sets == AppliedSetting::Mode) {
            for (AppliedSetting setting :
                {AppliedSetting::Mode, AppliedSetting::IP, AppliedSetting::Mask, AppliedSetting::Gateway})
                request_.failedCommands.push_back({setting, failure});
        } else {
            request_.failedCommands.push_back({*sets, failure});
        }
    }

private:
    ApplyTarget& target_;
    ApplyRequest& request_;
};

// The values of every field as the user left them.
FieldValues TypedValues(ApplyTarget& target)
{
    FieldValues values;
    for (const FieldSpec& spec : kFields) {
        if (spec.kind == FieldKind::Text)
            values.SetText(spec.field, target.FieldText(spec.field));
        else
            values.SetChecked(spec.field, target.Checked(spec.field));
    }
    return values;
}

// Puts them back, the flags in the table's order as a settings file does.
void ShowTypedValues(ApplyTarget& target, const FieldValues& values)
{
    for (const FieldSpec& spec : kFields) {
        if (spec.kind == FieldKind::Text)
            target.SetFieldText(spec.field, values.Text(spec.field));
        else
            target.SetChecked(spec.field, values.Checked(spec.field));
    }
}

// A field that still holds the registry's value as the last read gave it.
bool HoldsValueAsRead(ApplyTarget& target, const FieldSpec& spec)
{
    return spec.kind == FieldKind::Text && spec.source == StateSource::Registry
        && target.FieldText(spec.field) == target.Current().*spec.current;
}

// The user did not type it, and the registry had something there: a value
// that may be more than the fields can show, and is not checked. An empty
// field where nothing was read is checked as any typed one.
bool KeepsWhatWasRead(ApplyTarget& target, const FieldSpec& spec)
{
    return HoldsValueAsRead(target, spec) && target.Current().ProxyServerRead;
}

// Neither proxy text was changed: what the registry holds stays as it is.
bool ProxyTextsAsRead(ApplyTarget& target)
{
    for (const FieldSpec& spec : kFields) {
        if (spec.kind == FieldKind::Text && spec.source == StateSource::Registry && !HoldsValueAsRead(target, spec))
            return false;
    }
    return true;
}

void SetAutomaticAddressing(const std::string& name, ApplyTarget& target, Commands& commands)
{
    target.SetStatus(kStatusAddress);
    commands.Run(AppliedSetting::Mode, AddressDhcpCommand(name));
    target.SetStatus(kStatusDns);
    commands.Run(AppliedSetting::DNS, DnsDhcpCommand(name));
}

void SetManualAddressing(
    const std::string& name, ApplyTarget& target, FieldChanges& changes, Commands& commands, ApplyRequest& request)
{
    std::string metricSuffix = " 1";
    if (target.FieldText(Field::Gateway).empty()) {
        changes.Set(Field::Gateway, kNone);
        metricSuffix.clear();
    }
    target.SetStatus(kStatusAddress);
    // Read back from the fields: "none" is now what the gateway shows.
    request.ip = target.FieldText(Field::IP);
    request.mask = target.FieldText(Field::Mask);
    request.gateway = target.FieldText(Field::Gateway);
    commands.Run(AppliedSetting::Mode,
        StaticAddressCommand(
            name, PlainAddress(request.ip), PlainAddress(request.mask), PlainAddress(request.gateway), metricSuffix));

    if (target.FieldText(Field::DNS).empty())
        changes.Set(Field::DNS, kNone);
    target.SetStatus(kStatusDns);
    request.dns = target.FieldText(Field::DNS);
    commands.Run(AppliedSetting::DNS, StaticDnsCommand(name, PlainAddress(request.dns)));

    // An alternate server makes no sense without a preferred one.
    request.dns2Asked = request.dns != kNone;
    const std::string dns2 = target.FieldText(Field::DNS2);
    if (!dns2.empty() && request.dns2Asked && IsValidAddress(dns2)) {
        request.dns2 = dns2;
        target.SetStatus(kStatusDns2);
        commands.Run(AppliedSetting::DNS2, AddDnsCommand(name, PlainAddress(dns2)));
    }
}

// Steps after the lock; any of them may throw.
void ApplyLocked(
    const std::string& name, ApplyTarget& target, FieldChanges& changes, Commands& commands, ApplyRequest& request)
{
    if (target.Checked(Field::Automatic)) {
        request.mode = ApplyRequest::Mode::Automatic;
        SetAutomaticAddressing(name, target, commands);
    }
    if (target.Checked(Field::Manual)) {
        request.mode = ApplyRequest::Mode::Manual;
        SetManualAddressing(name, target, changes, commands, request);
    }

    target.SetStatus(kStatusProxy);
    // Written even with the proxy off, so the address survives for next time.
    // A server the user did not touch keeps what the registry holds: the
    // fields show only "address:port", and a per-protocol list or a host
    // without a port would come back cut. So does a switch the box cannot
    // show (a string), unless the user changed the box.
    ProxyWrite proxy;
    const bool proxyChecked = target.Checked(Field::Proxy);
    proxy.enable = proxyChecked ? 1 : 0;
    proxy.keepEnable
        = target.Current().ProxyEnableUnreadable && FlagAgrees(Field::Proxy, proxyChecked, target.Current());
    proxy.server = target.FieldText(Field::ProxyAddress) + ":" + target.FieldText(Field::ProxyPort);
    proxy.keepServer = ProxyTextsAsRead(target);
    const ProxyWritten written = target.WriteProxy(proxy);
    request.proxyEnable = written.enable;
    request.proxyServer = written.server;

    target.SetStatus(kStatusRenew);
    commands.Run(std::nullopt, kReleaseCommand);
    commands.Run(std::nullopt, kRenewCommand);

    target.SetStatus(kStatusDone);
    target.ReadBack();
}

// The questions Windows' own dialog would ask; false when the user said No.
bool UserGoesOnDespiteDoubts(ApplyTarget& target)
{
    if (!target.Checked(Field::Manual))
        return true;
    for (const AddressDoubt& doubt :
        AddressDoubts(target.FieldText(Field::IP), target.FieldText(Field::Mask), target.FieldText(Field::Gateway))) {
        if (!target.Ask(doubt.question)) {
            target.FocusField(doubt.field);
            return false;
        }
    }
    return true;
}

// A name with a quote of its own would end the quoted argument early and
// hand netsh words the user never meant.
std::string QuoteInNameMessage(const std::string& name)
{
    return "Název připojení „" + name + "“ obsahuje uvozovky, a proto jej nelze předat příkazu netsh.";
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
        // A value the fields build anew needs an address: a new port after
        // an empty one would write ":port" and lose the host it was read with.
        if (KeepsWhatWasRead(target, spec) && (ProxyTextsAsRead(target) || !target.FieldText(spec.field).empty()))
            continue;
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
    // The read-back may choose another connection: what is judged is the
    // one applied.
    const std::string name = target.ConnectionName();
    const bool runsNetsh = target.Checked(Field::Manual) || target.Checked(Field::Automatic);
    if (runsNetsh && name.find('"') != std::string::npos) {
        target.ShowMessage(QuoteInNameMessage(name));
        return;
    }
    if (!UserGoesOnDespiteDoubts(target))
        return;

    const FieldValues typed = TypedValues(target);
    target.Lock();
    FieldChanges changes(target);
    ApplyRequest request;
    Commands commands(target, request);
    std::vector<SettingNotTaken> notTaken;
    std::optional<std::string> noDhcpAddress;
    try {
        ApplyLocked(name, target, changes, commands, request);
        const SystemState system = target.ReadSystemState(name);
        notTaken = SettingsNotTaken(request, system);
        noDhcpAddress = NoDhcpAddressMessage(request, system, name);
        if (!notTaken.empty()) {
            ShowTypedValues(target, typed);
            target.SetStatus(kSettingsNotTakenStatus);
        }
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
    // Said over the usable window, which shows what did not take.
    if (!notTaken.empty())
        target.ShowMessage(SettingsNotTakenMessage(notTaken));
    if (noDhcpAddress)
        target.ShowMessage(*noDhcpAddress);
}
