// What the apply button does, step by step, written against an interface so
// that the order of messages, commands and registry writes can be checked
// without a window or a network.
#pragma once

#include "core/apply_verdict.h"
#include "core/connection_fields.h"

#include <exception>
#include <string>
#include <vector>

// The main window as the apply sequence sees it.
class ApplyTarget {
public:
    virtual ~ApplyTarget() = default;
    virtual std::string ConnectionName() = 0;  // the connection chosen last
    virtual std::string FieldText(Field field) = 0;
    virtual void SetFieldText(Field field, const std::string& text) = 0;
    virtual bool Checked(Field field) = 0;
    virtual void SetChecked(Field field, bool checked) = 0;
    // What the system had when it was last read.
    virtual const CurrentState& Current() = 0;
    virtual void ShowMessage(const std::string& text) = 0;  // modal, OK button
    // A modal question; true for Yes. No is the default.
    virtual bool Ask(const std::string& question) = 0;
    virtual void SetStatus(const std::string& text) = 0;
    // Returns the command's exit code once it has ended.
    virtual unsigned long RunCommand(const std::string& commandLine) = 0;
    // The proxy's switch and server, together; returns what it wrote.
    virtual ProxyWritten WriteProxy(const ProxyWrite& write) = 0;
    virtual void Lock() = 0;      // disables the apply button, then the window
    virtual void ReadBack() = 0;  // shows the connection chooser modally
    // What the system has now, as the read-back found it: the named
    // connection's section of the fresh report (whichever the user chose)
    // and the proxy's registry values.
    virtual SystemState ReadSystemState(const std::string& connectionName) = 0;
    virtual void Unlock() = 0;  // enables the apply button, then the window
    // Shows a failure that ended the sequence early (the stop box).
    virtual void ShowError(const std::exception& error) = 0;
    // Puts the keyboard into the field, its text selected: the one to mend.
    virtual void FocusField(Field field) = 0;
};

// A field the validation refuses, and what is said of it.
struct FieldProblem {
    Field field;
    std::string message;
};

// The fields refused as they stand, in the field table's order; empty when
// they may be applied. Only manual addressing is validated, and a field
// that still holds the registry's value as it was read is not (unless
// nothing was read): the user did not type it, and it may be a form the
// fields cannot show (a proxy list).
std::vector<FieldProblem> ValidateApplyFields(ApplyTarget& target);

// The whole sequence: validate, ask, lock, netsh commands, proxy, ipconfig,
// read back, judge, unlock. Refused fields are said one by one, and the
// keyboard goes to the first of them; so does a question answered No. Once
// the state has been read back, every setting asked for is compared with
// what the system has: one that did not take is said (with its command's
// exit code, when that ended with an error), and the fields then show what
// the user asked for, so that what did not take stands out. A command that
// cannot be started, or another failure in a step, is shown and the window
// unlocked again.
void RunApplySequence(ApplyTarget& target);

// The command lines, exactly as netsh and ipconfig receive them; addresses
// go in as given (the sequence hands them over in their plain form).
std::string AddressDhcpCommand(const std::string& name);
std::string DnsDhcpCommand(const std::string& name);
std::string StaticAddressCommand(const std::string& name, const std::string& ip, const std::string& mask,
    const std::string& gateway, const std::string& metricSuffix);
std::string StaticDnsCommand(const std::string& name, const std::string& dns);
std::string AddDnsCommand(const std::string& name, const std::string& dns2);
extern const char kReleaseCommand[];  // "ipconfig /release"
extern const char kRenewCommand[];    // "ipconfig /renew"
