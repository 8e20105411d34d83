#include "core/connection_fields.h"

namespace {

constexpr FieldSpec TextField(Field field, const char* key, std::string CurrentState::*current, StateSource source,
    Validation validation, const char* invalidMessage, std::optional<Field> enabledBy)
{
    return {field, FieldKind::Text, key, false, source, current, validation, invalidMessage, enabledBy};
}

constexpr FieldSpec Flag(Field field, FieldKind kind, const char* key, bool checkedByDefault, StateSource source)
{
    return {field, kind, key, checkedByDefault, source, nullptr, Validation::Never, nullptr, std::nullopt};
}

// The line breaks of the messages are LF CR LF CR, deliberately not CR LF.
constexpr std::array<FieldSpec, kFieldCount> kTable = {
    TextField(Field::IP, "IP", &CurrentState::IP, StateSource::Report, Validation::Always,
        "Byla zadána neplatná IP adresa.\n\r\n\rAdresu musíte opravit!", Field::Manual),
    TextField(Field::Mask, "maska", &CurrentState::Mask, StateSource::Report, Validation::Always,
        "Byla zadána neplatná maska podsítě.\n\r\n\rAdresu musíte opravit!", Field::Manual),
    TextField(Field::Gateway, "brana", &CurrentState::Gateway, StateSource::Report, Validation::UnlessEmpty,
        "Byla zadána neplatná brána.\n\r\n\rAdresu musíte opravit!", Field::Manual),
    TextField(Field::DNS, "dns", &CurrentState::DNS, StateSource::Report, Validation::UnlessEmpty,
        "Byl zadán neplatný server DNS.\n\r\n\rAdresu musíte opravit!", Field::Manual),
    TextField(Field::DNS2, "dns2", &CurrentState::DNS2, StateSource::Report, Validation::UnlessEmpty,
        "Byl zadán neplatný náhradní server DNS.\n\r\n\rAdresu musíte opravit!", Field::Manual),
    Flag(Field::Manual, FieldKind::Choice, "rucne", false, StateSource::Report),
    Flag(Field::Automatic, FieldKind::Choice, "auto", true, StateSource::Report),
    Flag(Field::Proxy, FieldKind::Switch, "proxy", false, StateSource::Registry),
    TextField(Field::ProxyAddress, "proxyIP", &CurrentState::ProxyAddress, StateSource::Registry,
        Validation::WhileSwitchedOn, "Byla zadána neplatná IP adresa Proxy serveru.\n\r\n\rAdresu musíte opravit!",
        Field::Proxy),
    TextField(Field::ProxyPort, "proxyPort", &CurrentState::ProxyPort, StateSource::Registry, Validation::Never,
        nullptr, Field::Proxy),
};

// Every row sits at its field's place, so Spec() can index the table.
constexpr bool RowsInFieldOrder()
{
    for (std::size_t i = 0; i < kTable.size(); ++i) {
        if (FieldIndex(kTable[i].field) != i)
            return false;
    }
    return true;
}
static_assert(RowsInFieldOrder(), "the field table must list the fields in their enumeration's order");

// What the DHCP answer says of the addressing choices.
const char kDhcpYes[] = "Yes";
const char kDhcpNo[] = "No";

}  // namespace

const std::array<FieldSpec, kFieldCount> kFields = kTable;

FieldValues::FieldValues()
{
    for (const FieldSpec& spec : kFields)
        checked_[FieldIndex(spec.field)] = spec.checkedByDefault;
}

std::optional<bool> CurrentFlag(Field field, const CurrentState& current)
{
    const bool manualState = current.DHCP == kDhcpNo;
    const bool automaticState = current.DHCP == kDhcpYes;
    switch (field) {
    case Field::Manual:
        if (manualState || automaticState)
            return manualState;
        return std::nullopt;
    case Field::Automatic:
        if (manualState || automaticState)
            return automaticState;
        return std::nullopt;
    case Field::Proxy:
        if (current.ProxyOn == 0 || current.ProxyOn == 1)
            return current.ProxyOn == 1;
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

bool FlagAgrees(Field field, bool checked, const CurrentState& current)
{
    if (Spec(field).kind == FieldKind::Switch)
        return checked == (current.ProxyOn == 1);
    // An unknown answer contradicts neither choice.
    return CurrentFlag(field, current).value_or(checked) == checked;
}

ProxyParts SplitProxyServer(const std::string& server)
{
    const auto colon = server.find(':');
    if (colon == std::string::npos)
        return {"", server.substr(0, 10)};
    return {server.substr(0, colon), server.substr(colon + 1, 10)};
}
