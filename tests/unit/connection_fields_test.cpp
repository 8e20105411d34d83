// The field table and the rules that compare flags with the current state.
#include "core/connection_fields.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

CurrentState State(const std::string& dhcp, int proxyOn)
{
    CurrentState state;
    state.DHCP = dhcp;
    state.ProxyOn = proxyOn;
    return state;
}

TEST(FieldTable, ProxyServerIsSplitAtItsFirstColon)
{
    struct Case {
        const char* server;
        const char* address;
        const char* port;
    } cases[] = {
        {"proxy.example.com:8080", "proxy.example.com", "8080"},
        {"host:12345678901234", "host", "1234567890"},
        {"host", "", "host"},
        {"abcdefghijklmno", "", "abcdefghij"},
        {":3128", "", "3128"},
        {":", "", ""},
        {"", "", ""},
        {"a:b:c", "a", "b:c"},
        {"http=p:80;https=q:81", "http=p", "80;https=q"},
    };
    for (const auto& c : cases) {
        const ProxyParts parts = SplitProxyServer(c.server);
        EXPECT_EQ(parts.address, c.address) << c.server;
        EXPECT_EQ(parts.port, c.port) << c.server;
    }
}

}  // namespace

TEST(FieldTable, EveryKeyNamesOneFieldWhateverItsCase)
{
    std::set<std::string> keys;
    for (const FieldSpec& spec : kFields) {
        ASSERT_NE(spec.settingsKey, nullptr);
        EXPECT_TRUE(keys.insert(Lower(spec.settingsKey)).second) << spec.settingsKey;
        EXPECT_EQ(spec.kind == FieldKind::Text, spec.current != nullptr) << spec.settingsKey;
        EXPECT_EQ(spec.validation != Validation::Never, spec.invalidMessage != nullptr) << spec.settingsKey;
        if (spec.validation == Validation::WhileSwitchedOn) {
            ASSERT_TRUE(spec.enabledBy.has_value()) << spec.settingsKey;
            EXPECT_NE(Spec(*spec.enabledBy).kind, FieldKind::Text) << spec.settingsKey;
        }
    }
}

TEST(FieldTable, NewValuesHoldEmptyTextsAndTheFlagsDefaults)
{
    const FieldValues values;
    for (const FieldSpec& spec : kFields) {
        EXPECT_EQ(values.Text(spec.field), "") << spec.settingsKey;
        EXPECT_EQ(values.Checked(spec.field), spec.checkedByDefault) << spec.settingsKey;
    }
    EXPECT_TRUE(values.Checked(Field::Automatic)) << "a file without flags means automatic addressing";
    EXPECT_FALSE(values.Checked(Field::Manual));
    EXPECT_FALSE(values.Checked(Field::Proxy));
}

TEST(FieldTable, FlagsShownAndTheirAgreementWithTheState)
{
    const std::optional<bool> none;
    struct Case {
        const char* dhcp;
        int proxyOn;
        std::optional<bool> manual, automatic, proxy;  // shown by the state reader
        bool manualAgrees, automaticAgrees;            // the checked choice's pair is lime
        bool proxyOnAgrees, proxyOffAgrees;
    } cases[] = {
        {"No", 0, true, false, false, true, false, false, true},
        {"Yes", 1, false, true, true, false, true, true, false},
        {"", -1, none, none, none, true, true, false, true},
        {"yes", 2, none, none, none, true, true, false, true},
        {"Ye", 0, none, none, false, true, true, false, true},
    };
    for (const Case& c : cases) {
        const CurrentState state = State(c.dhcp, c.proxyOn);
        const std::string what = std::string("DHCP '") + c.dhcp + "', ProxyEnable " + std::to_string(c.proxyOn);
        EXPECT_EQ(CurrentFlag(Field::Manual, state), c.manual) << what;
        EXPECT_EQ(CurrentFlag(Field::Automatic, state), c.automatic) << what;
        EXPECT_EQ(CurrentFlag(Field::Proxy, state), c.proxy) << what;
        EXPECT_EQ(CurrentFlag(Field::IP, state), none) << what;
        EXPECT_EQ(FlagAgrees(Field::Manual, true, state), c.manualAgrees) << what;
        EXPECT_EQ(FlagAgrees(Field::Automatic, true, state), c.automaticAgrees) << what;
        EXPECT_EQ(FlagAgrees(Field::Proxy, true, state), c.proxyOnAgrees) << what;
        EXPECT_EQ(FlagAgrees(Field::Proxy, false, state), c.proxyOffAgrees) << what;
    }
}
