// The connection settings the main window shows, one row per field: what it
// holds, where a settings file keeps it, how the apply checks it, what it is
// compared with and what switches it on and off. The window's design, its
// highlighting, the apply, the settings files and the state reader all loop
// over this one table, so a field is described here and nowhere else.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

// What the system had when it was last read; the fields are compared with it.
struct CurrentState {
    std::string IP, Mask, Gateway, DNS, DNS2;
    std::string DHCP;  // "Yes" automatic, "No" manual, anything else unknown
    int ProxyOn = 0;   // "ProxyEnable": 1 on, 0 off, -1 missing or unreadable
    // "ProxyEnable" is there but is no number (a string "1"): the switch
    // cannot show it, and an apply leaves it alone unless the user changes
    // the switch.
    bool ProxyEnableUnreadable = false;
    std::string ProxyAddress, ProxyPort;
    // "ProxyServer" held something: a text that split into the two fields
    // (not just a colon), or a value that could not be read as text.
    bool ProxyServerRead = false;
};

// The fields, in the order in which a settings file holds them.
enum class Field { IP, Mask, Gateway, DNS, DNS2, Manual, Automatic, Proxy, ProxyAddress, ProxyPort };
constexpr std::size_t kFieldCount = 10;

constexpr std::size_t FieldIndex(Field field)
{
    return static_cast<std::size_t>(field);
}

enum class FieldKind {
    Text,    // an edit; its text is taken exactly as typed
    Choice,  // one of the two addressing radio buttons
    Switch,  // the proxy check box
};

// Where the state reader finds a field's current value.
enum class StateSource { Report, Registry };

// When the apply checks a field with the address check.
enum class Validation {
    Never,
    Always,
    UnlessEmpty,
    WhileSwitchedOn,  // only while the flag that enables it is checked; empty fails then
};

struct FieldSpec {
    Field field;
    FieldKind kind;
    // The key in a settings file, written as it stands; the profile
    // functions match keys in any case, so older files with "ip" read too.
    const char* settingsKey;
    bool checkedByDefault;  // a flag that a settings file lacks
    StateSource source;
    // The current-state text that a text field is compared with.
    std::string CurrentState::*current;
    Validation validation;
    const char* invalidMessage;  // shown when the check fails
    // The choice that enables the field while it is checked.
    std::optional<Field> enabledBy;
};

extern const std::array<FieldSpec, kFieldCount> kFields;

inline const FieldSpec& Spec(Field field)
{
    return kFields[FieldIndex(field)];
}

// The state a flag takes when the current state is shown: the addressing
// choices follow the DHCP answer, the proxy switch "ProxyEnable". Nothing
// when the state says nothing (an unknown answer, a missing value).
std::optional<bool> CurrentFlag(Field field, const CurrentState& current);

// Whether a flag, checked or not, agrees with the current state (lime). A
// choice agrees unless the state names the other one; the proxy switch is
// on only when "ProxyEnable" is exactly 1.
bool FlagAgrees(Field field, bool checked, const CurrentState& current);

// One value per field, as the window's controls hold them: the text of a
// text field, the state of a flag.
class FieldValues {
public:
    FieldValues();
    const std::string& Text(Field field) const { return texts_[FieldIndex(field)]; }
    void SetText(Field field, std::string text) { texts_[FieldIndex(field)] = std::move(text); }
    bool Checked(Field field) const { return checked_[FieldIndex(field)]; }
    void SetChecked(Field field, bool checked) { checked_[FieldIndex(field)] = checked; }

private:
    std::array<std::string, kFieldCount> texts_;
    std::array<bool, kFieldCount> checked_{};
};

// The proxy fields' parts of the "ProxyServer" text: split at its first
// colon, the port at most 10 characters; a text without a colon is all port.
struct ProxyParts {
    std::string address;
    std::string port;
};
ProxyParts SplitProxyServer(const std::string& server);

// What an apply writes of the proxy. A value kept stays exactly as the
// registry holds it (bytes and type) when it exists; a missing one is
// written all the same.
struct ProxyWrite {
    int enable = 0;
    bool keepEnable = false;
    std::string server;
    bool keepServer = false;
};
// What a write actually put there; nothing for a value it left alone.
struct ProxyWritten {
    std::optional<int> enable;
    std::optional<std::string> server;
};
