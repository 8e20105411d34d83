// The apply button against a recording window: which boxes, status texts,
// field changes, commands and proxy writes happen, and in which order.
#include "core/apply_sequence.h"

#include "core/address_check.h"
#include "core/exception.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

enum Mode { Manual, Automatic, Neither };

struct Fields {
    std::string ip, mask, gateway, dns, dns2, proxyAddress, proxyPort;
};

// Records every visible effect as one line of text.
class RecordingTarget : public ApplyTarget {
public:
    RecordingTarget(std::string connection, Mode mode, bool proxy, const Fields& f)
        : connection_(std::move(connection))
        , mode_(mode)
        , proxy_(proxy)
    {
        fields_ = {{Field::IP, f.ip}, {Field::Mask, f.mask}, {Field::Gateway, f.gateway}, {Field::DNS, f.dns},
            {Field::DNS2, f.dns2}, {Field::ProxyAddress, f.proxyAddress}, {Field::ProxyPort, f.proxyPort}};
    }

    std::vector<std::string> events;
    // What the last read found; the proxy texts differ from every typed one
    // unless a case says otherwise.
    CurrentState current = [] {
        CurrentState state;
        state.ProxyAddress = "proxy.as.read";
        state.ProxyPort = "as read";
        state.ProxyServerRead = true;
        return state;
    }();
    std::map<int, unsigned long> exitCodes;  // by command, 1-based; 0 otherwise
    int failOnCommand = 0;                   // 1-based; 0 never
    bool failByEnding = false;               // the failure is the program's end
    bool failingReadBack = false;
    std::function<void(int)> afterCommand;  // stands for handlers run during a wait
    // What the read-back finds; without it, a system that took everything
    // the commands and the proxy write asked for.
    std::optional<SystemState> system;
    std::vector<bool> answers;  // to the questions, in turn; No when they run out

    std::string ConnectionName() override { return connection_; }
    std::string FieldText(Field field) override { return fields_.at(field); }
    void SetFieldText(Field field, const std::string& text) override
    {
        events.push_back("field " + Name(field) + "=" + text);
        fields_[field] = text;
    }
    bool Checked(Field field) override
    {
        switch (field) {
        case Field::Manual:
            return mode_ == Manual;
        case Field::Automatic:
            return mode_ == Automatic;
        case Field::Proxy:
            return proxy_;
        default:
            ADD_FAILURE() << "a text field asked for its check state";
            return false;
        }
    }
    void SetChecked(Field field, bool checked) override
    {
        events.push_back("check " + Name(field) + "=" + (checked ? "1" : "0"));
        if (field == Field::Proxy)
            proxy_ = checked;
        else if (checked)
            mode_ = field == Field::Manual ? Manual : Automatic;
        else if (mode_ == (field == Field::Manual ? Manual : Automatic))
            mode_ = Neither;
    }
    const CurrentState& Current() override { return current; }
    void ShowMessage(const std::string& text) override { events.push_back("message " + text); }
    bool Ask(const std::string& question) override
    {
        events.push_back("ask " + question);
        const bool yes = !answers.empty() && answers.front();
        if (!answers.empty())
            answers.erase(answers.begin());
        return yes;
    }
    void SetStatus(const std::string& text) override { events.push_back("status " + text); }
    unsigned long RunCommand(const std::string& commandLine) override
    {
        if (++commands_ == failOnCommand) {
            if (failByEnding)
                throw EAbort();
            throw Exception("Soubor nelze najít");
        }
        events.push_back("run " + commandLine);
        if (afterCommand)
            afterCommand(commands_);
        const auto exitCode = exitCodes.find(commands_);
        return exitCode == exitCodes.end() ? 0 : exitCode->second;
    }
    ProxyWritten WriteProxy(const ProxyWrite& write) override
    {
        events.push_back("proxy " + (write.keepEnable ? std::string("kept") : std::to_string(write.enable)) + " "
            + write.server + (write.keepServer ? " kept" : ""));
        // Kept values exist in this registry.
        if (!write.keepEnable)
            proxyWritten_.enable = write.enable;
        if (!write.keepServer)
            proxyWritten_.server = write.server;
        return proxyWritten_;
    }
    void Lock() override { events.push_back("lock"); }
    void ReadBack() override
    {
        events.push_back("readback");
        if (failingReadBack) {
            fields_[Field::Gateway] = "10.0.0.138";
            fields_[Field::DNS] = "10.0.0.138";
            throw Exception("Soubor nelze najít");
        }
    }
    SystemState ReadSystemState(const std::string& name) override
    {
        judged = name;
        if (system)
            return *system;
        SystemState took;
        took.connectionListed = true;
        const auto address
            = [&](Field field) { return IsValidAddress(fields_.at(field)) ? PlainAddress(fields_.at(field)) : ""; };
        took.report.DHCP = mode_ == Automatic ? "Yes" : "No";
        took.report.IP = mode_ == Automatic ? "10.0.0.100" : address(Field::IP);
        took.report.Mask = address(Field::Mask);
        took.report.Gateway = address(Field::Gateway);
        took.report.DNS = address(Field::DNS);
        took.report.DNS2 = took.report.DNS.empty() ? "" : address(Field::DNS2);
        took.proxyEnable = proxyWritten_.enable;
        took.proxyServer = proxyWritten_.server;
        return took;
    }
    std::string judged;  // the connection the verdict was asked of
    void Unlock() override { events.push_back("unlock"); }
    void ShowError(const std::exception& error) override { events.push_back(std::string("error ") + error.what()); }
    void FocusField(Field field) override { events.push_back("focus " + Name(field)); }

private:
    static std::string Name(Field field)
    {
        switch (field) {
        case Field::IP:
            return "ip";
        case Field::Mask:
            return "mask";
        case Field::ProxyAddress:
            return "proxyIP";
        case Field::Gateway:
            return "gateway";
        case Field::DNS:
            return "dns";
        case Field::DNS2:
            return "dns2";
        case Field::ProxyPort:
            return "proxyPort";
        case Field::Manual:
            return "manual";
        case Field::Automatic:
            return "automatic";
        case Field::Proxy:
            return "proxy";
        }
        return "?";
    }

    std::string connection_;
    Mode mode_;
    bool proxy_;
    std::map<Field, std::string> fields_;
    int commands_ = 0;
    ProxyWritten proxyWritten_;
};

const std::string kIpMsg = "message Byla zadána neplatná IP adresa.\n\r\n\rAdresu musíte opravit!";
const std::string kMaskMsg = "message Byla zadána neplatná maska podsítě.\n\r\n\rAdresu musíte opravit!";
const std::string kGatewayMsg = "message Byla zadána neplatná brána.\n\r\n\rAdresu musíte opravit!";
const std::string kDnsMsg = "message Byl zadán neplatný server DNS.\n\r\n\rAdresu musíte opravit!";
const std::string kDns2Msg = "message Byl zadán neplatný náhradní server DNS.\n\r\n\rAdresu musíte opravit!";
const std::string kProxyMsg = "message Byla zadána neplatná IP adresa Proxy serveru.\n\r\n\rAdresu musíte opravit!";

const std::string kAddrStatus = "status Nastavuji IP adresu, čekejte...";
const std::string kDnsStatus = "status Nastavuji server DNS, čekejte...";
const std::string kDns2Status = "status Nastavuji náhradní server DNS, čekejte...";
const std::string kProxyStatus = "status Nastavuji PROXY server, čekejte...";
const std::string kRenewStatus = "status Obnovuji připojení, čekejte...";
const std::string kDoneStatus = "status Hotovo, čekejte...";
const std::string kStoppedStatus = "status Nastavení nebylo dokončeno.";
const std::string kRelease = "run ipconfig /release";
const std::string kRenew = "run ipconfig /renew";

struct ApplyCase {
    const char* what;
    Mode mode;
    bool proxy;
    Fields fields;
    std::vector<std::string> expected;
    const char* connection = "LAN";
    int failOnCommand = 0;
    bool failByEnding = false;
    bool failingReadBack = false;  // after it has shown the system's values
};

const ApplyCase kApplyCases[] = {
    {"manual, empty IP and mask: two boxes, nothing else", Manual, false, {"", "", "", "", "", "", ""},
        {kIpMsg, kMaskMsg, "focus ip"}},
    {"manual, every field wrong, proxy on: six boxes in order, then the keyboard in the first", Manual, true,
        {"1.2.3", "256.0.0.0", "a.b.c.d", "none", "1..2.3", "proxy.firma.cz", "8080"},
        {kIpMsg, kMaskMsg, kGatewayMsg, kDnsMsg, kDns2Msg, kProxyMsg, "focus ip"}},
    {"manual, every field wrong, proxy off: no proxy box", Manual, false,
        {"1.2.3", "256.0.0.0", "a.b.c.d", "none", "1..2.3", "proxy.firma.cz", "8080"},
        {kIpMsg, kMaskMsg, kGatewayMsg, kDnsMsg, kDns2Msg, "focus ip"}},
    {"manual, fields of spaces only are not empty and fail", Manual, false,
        {"10.0.0.1", "255.0.0.0", " ", " ", " ", "", ""}, {kGatewayMsg, kDnsMsg, kDns2Msg, "focus gateway"}},
    {"manual, proxy on with empty address fails alone", Manual, true, {"10.0.0.1", "255.0.0.0", "", "", "", "", "3128"},
        {kProxyMsg, "focus proxyIP"}},
    {"manual, empty gateway: none put into the field, no metric; proxy off and empty: a lone colon", Manual, false,
        {"192.168.1.10", "255.255.255.0", "", "192.168.1.1", "", "", ""},
        {"lock", "field gateway=none", kAddrStatus,
            "run netsh interface ip set address \"LAN\" static 192.168.1.10 255.255.255.0 none", kDnsStatus,
            "run netsh interface ip set dns \"LAN\" static 192.168.1.1", kProxyStatus, "proxy 0 :", kRenewStatus,
            kRelease, kRenew, kDoneStatus, "readback", "unlock"}},
    {"manual, empty DNS with alternate: dns none, no add dns", Manual, false,
        {"192.168.1.10", "255.255.255.0", "192.168.1.1", "", "8.8.8.8", "", ""},
        {"lock", kAddrStatus,
            "run netsh interface ip set address \"LAN\" static 192.168.1.10 255.255.255.0 192.168.1.1 1",
            "field dns=none", kDnsStatus, "run netsh interface ip set dns \"LAN\" static none", kProxyStatus,
            "proxy 0 :", kRenewStatus, kRelease, kRenew, kDoneStatus, "readback", "unlock"}},
    {"manual, everything filled, proxy on", Manual, true,
        {"192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.2", "8.8.4.4", "10.0.0.99", "8080"},
        {"lock", kAddrStatus,
            "run netsh interface ip set address \"LAN\" static 192.168.1.10 255.255.255.0 192.168.1.1 1", kDnsStatus,
            "run netsh interface ip set dns \"LAN\" static 192.168.1.2", kDns2Status,
            "run netsh interface ip add dns \"LAN\" 8.8.4.4", kProxyStatus, "proxy 1 10.0.0.99:8080", kRenewStatus,
            kRelease, kRenew, kDoneStatus, "readback", "unlock"}},
    {"manual, spaces and leading zeros pass and reach netsh as the decimal numbers they mean, not octal", Manual, false,
        {" 10 . 0 . 0 . 1 ", "255.255.255.000", "10 .0. 0.254", "010.0.0.2", "10.0.0.03 ", "", ""},
        {"lock", kAddrStatus, "run netsh interface ip set address \"LAN\" static 10.0.0.1 255.255.255.0 10.0.0.254 1",
            kDnsStatus, "run netsh interface ip set dns \"LAN\" static 10.0.0.2", kDns2Status,
            "run netsh interface ip add dns \"LAN\" 10.0.0.3", kProxyStatus, "proxy 0 :", kRenewStatus, kRelease,
            kRenew, kDoneStatus, "readback", "unlock"}},
    {"manual, Czech connection name inside the quotes", Manual, false, {"10.0.0.1", "255.0.0.0", "", "", "", "", ""},
        {"lock", "field gateway=none", kAddrStatus,
            "run netsh interface ip set address \"Připojení k místní síti 2\" static 10.0.0.1 255.0.0.0 none",
            "field dns=none", kDnsStatus, "run netsh interface ip set dns \"Připojení k místní síti 2\" static none",
            kProxyStatus, "proxy 0 :", kRenewStatus, kRelease, kRenew, kDoneStatus, "readback", "unlock"},
        "Připojení k místní síti 2"},
    {"automatic, invalid proxy address with proxy on: nothing validated, written as typed", Automatic, true,
        {"", "garbage", "x", "y", "z", "proxy..firma", " 80 "},
        {"lock", kAddrStatus, "run netsh interface ip set address \"LAN\" dhcp", kDnsStatus,
            "run netsh interface ip set dns \"LAN\" dhcp", kProxyStatus, "proxy 1 proxy..firma: 80 ", kRenewStatus,
            kRelease, kRenew, kDoneStatus, "readback", "unlock"}},
    {"neither mode: no netsh, proxy and renewal still run", Neither, true, {"bad", "", "", "", "", "", ""},
        {"lock", kProxyStatus, "proxy 1 :", kRenewStatus, kRelease, kRenew, kDoneStatus, "readback", "unlock"}},
    {"failing second command: the typed texts come back, the status stops waiting, error, unlocked", Manual, true,
        {"10.0.0.1", "255.0.0.0", "10.0.0.254", "", "10.0.0.3", "10.0.0.9", "80"},
        {"lock", kAddrStatus, "run netsh interface ip set address \"LAN\" static 10.0.0.1 255.0.0.0 10.0.0.254 1",
            "field dns=none", kDnsStatus, "field dns=", kStoppedStatus,
            "error Program netsh nelze spustit (příkaz „netsh interface ip set dns \"LAN\" static none“): soubor "
            "nelze najít",
            "unlock"},
        "LAN", 2},
    {"failing first command with gateway and DNS empty: both back to empty", Manual, false,
        {"10.0.0.1", "255.0.0.0", "", "", "", "", ""},
        {"lock", "field gateway=none", kAddrStatus, "field gateway=", kStoppedStatus,
            "error Program netsh nelze spustit (příkaz „netsh interface ip set address \"LAN\" static 10.0.0.1 "
            "255.0.0.0 none“): soubor nelze najít",
            "unlock"},
        "LAN", 1},
    {"failing renew after both nones: both back, in reverse order", Manual, false,
        {"10.0.0.1", "255.0.0.0", "", "", "", "", ""},
        {"lock", "field gateway=none", kAddrStatus,
            "run netsh interface ip set address \"LAN\" static 10.0.0.1 255.0.0.0 none", "field dns=none", kDnsStatus,
            "run netsh interface ip set dns \"LAN\" static none", kProxyStatus, "proxy 0 :", kRenewStatus, kRelease,
            "field dns=", "field gateway=", kStoppedStatus,
            "error Program ipconfig nelze spustit (příkaz „ipconfig /renew“): soubor nelze najít", "unlock"},
        "LAN", 4},
    {"failing read-back after it refilled the fields: the system's values stay", Manual, false,
        {"10.0.0.1", "255.0.0.0", "", "", "", "", ""},
        {"lock", "field gateway=none", kAddrStatus,
            "run netsh interface ip set address \"LAN\" static 10.0.0.1 255.0.0.0 none", "field dns=none", kDnsStatus,
            "run netsh interface ip set dns \"LAN\" static none", kProxyStatus, "proxy 0 :", kRenewStatus, kRelease,
            kRenew, kDoneStatus, "readback", kStoppedStatus, "error Soubor nelze najít", "unlock"},
        "LAN", 0, false, true},
    {"the program ending during a command: texts back, nothing said, nothing after", Manual, false,
        {"10.0.0.1", "255.0.0.0", "", "", "", "", ""},
        {"lock", "field gateway=none", kAddrStatus, "field gateway=", "unlock"}, "LAN", 1, true},
    {"failing release in automatic mode: proxy already written, no renew", Automatic, false,
        {"", "", "", "", "", "", ""},
        {"lock", kAddrStatus, "run netsh interface ip set address \"LAN\" dhcp", kDnsStatus,
            "run netsh interface ip set dns \"LAN\" dhcp", kProxyStatus, "proxy 0 :", kRenewStatus, kStoppedStatus,
            "error Program ipconfig nelze spustit (příkaz „ipconfig /release“): soubor nelze najít", "unlock"},
        "LAN", 3},
};

TEST(ApplySequence, EventsInOrder)
{
    for (const ApplyCase& c : kApplyCases) {
        SCOPED_TRACE(c.what);
        RecordingTarget target(c.connection, c.mode, c.proxy, c.fields);
        target.failOnCommand = c.failOnCommand;
        target.failByEnding = c.failByEnding;
        target.failingReadBack = c.failingReadBack;
        RunApplySequence(target);
        EXPECT_EQ(target.events, c.expected);
    }
}

// Each step reads the fields as they are when it runs, not as they were when
// the sequence began.
TEST(ApplySequence, FieldsReadWhenEachStepRuns)
{
    struct Case {
        const char* what;
        const char* dnsLater;
        const char* dns2Later;
        std::vector<std::string> expectedAfterDnsStatus;
    } const cases[] = {
        {"new servers are used", "10.0.0.7", "10.0.0.8",
            {"run netsh interface ip set dns \"LAN\" static 10.0.0.7", kDns2Status,
                "run netsh interface ip add dns \"LAN\" 10.0.0.8", kProxyStatus, "proxy 0 :", kRenewStatus, kRelease,
                kRenew, kDoneStatus, "readback", "unlock"}},
        {"an alternate server that is no address by then is left out", "10.0.0.7", "10.0.0",
            {"run netsh interface ip set dns \"LAN\" static 10.0.0.7", kProxyStatus, "proxy 0 :", kRenewStatus,
                kRelease, kRenew, kDoneStatus, "readback", "unlock"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingTarget target(
            "LAN", Manual, false, {"10.0.0.1", "255.0.0.0", "10.0.0.254", "10.0.0.2", "10.0.0.3", "", ""});
        target.afterCommand = [&](int command) {
            if (command == 1) {
                target.SetFieldText(Field::DNS, c.dnsLater);
                target.SetFieldText(Field::DNS2, c.dns2Later);
            }
        };
        RunApplySequence(target);
        const auto dnsStatus = std::find(target.events.begin(), target.events.end(), kDnsStatus);
        ASSERT_NE(dnsStatus, target.events.end());
        EXPECT_EQ(std::vector<std::string>(dnsStatus + 1, target.events.end()), c.expectedAfterDnsStatus);
    }
}

// The proxy as the registry holds it may be more than the two fields can
// show (a list per protocol, a host without a port): a field the user did
// not change is neither checked nor written back cut down.
TEST(ApplySequence, ProxyServerTheUserDidNotTouchStaysAsItWas)
{
    struct Case {
        const char* what;
        const char* readAddress;  // as the last read split the value
        const char* readPort;
        const char* address;  // as the fields hold them
        const char* port;
        Mode mode;
        std::string expected;  // the box, or the proxy write
    } const cases[] = {
        {"a list per protocol, untouched, proxy on: neither checked nor cut", "http=proxy.cz", "3128;https",
            "http=proxy.cz", "3128;https", Manual, "proxy 1 http=proxy.cz:3128;https kept"},
        {"a host without a port, untouched, automatic", "", "proxy.firm", "", "proxy.firm", Automatic,
            "proxy 1 :proxy.firm kept"},
        {"only the port changed: the address as read is not checked, the value is written", "http=proxy.cz",
            "3128;https", "http=proxy.cz", "8080", Manual, "proxy 1 http=proxy.cz:8080"},
        {"the address changed to what is no address: refused", "http=proxy.cz", "3128;https", "proxy.cz", "3128;https",
            Manual, kProxyMsg},
        {"the address changed to an address: written", "http=proxy.cz", "3128;https", "10.0.0.8", "3128", Manual,
            "proxy 1 10.0.0.8:3128"},
        {"nothing was read: an empty address is checked as ever", "", "", "", "", Manual, kProxyMsg},
        {"a host without a port, untouched: the empty address is what was read", "", "proxy.firm", "", "proxy.firm",
            Manual, "proxy 1 :proxy.firm kept"},
        {"a host without a port, only the port changed: the empty address is refused, the host not lost", "",
            "proxy.firm", "", "8080", Manual, kProxyMsg},
        {"a value of another type, untouched: nothing shown, nothing checked, nothing written", nullptr, nullptr, "",
            "", Manual, "proxy 1 : kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingTarget target("LAN", c.mode, true, {"10.0.0.1", "255.0.0.0", "10.0.0.254", "", "", c.address, c.port});
        // No text: a value was there that could not be read as one.
        target.current.ProxyAddress = c.readAddress ? c.readAddress : "";
        target.current.ProxyPort = c.readPort ? c.readPort : "";
        target.current.ProxyServerRead = !c.readAddress || *c.readAddress || *c.readPort;
        RunApplySequence(target);
        const bool refused = c.expected.rfind("message ", 0) == 0;
        EXPECT_EQ(target.events.front(), refused ? c.expected : "lock");
        if (!refused) {
            EXPECT_NE(std::find(target.events.begin(), target.events.end(), c.expected), target.events.end())
                << ::testing::PrintToString(target.events);
        }
    }
}

// Exit codes do not decide: each setting asked for is compared with what the
// read-back found. What did not take is said, with its command's exit code
// when it had one, and the fields then show what the user asked for.
TEST(ApplySequence, TheVerdictComesFromWhatTheSystemThenHas)
{
    const Fields typedFields{"10.0.0.1", "255.0.0.0", "", "", "", "10.0.0.9", "80"};
    const std::string typedValuesBack[]
        = {"field ip=10.0.0.1", "field mask=255.0.0.0", "field gateway=", "field dns=", "field dns2=", "check manual=1",
            "check automatic=0", "check proxy=1", "field proxyIP=10.0.0.9", "field proxyPort=80",
            "status Ne vše se podařilo; pole ukazují zadané hodnoty.", "unlock"};
    const std::string closing = "\r\n\r\nV polích zůstaly hodnoty, které jste zadali; ty, které se liší od "
                                "aktuálního stavu, se nepodařilo nastavit.";
    SystemState other;
    other.connectionListed = true;
    other.report.DHCP = "No";
    other.report.IP = "10.0.0.7";
    other.report.Mask = "255.0.0.0";
    other.proxyEnable = 1;
    other.proxyServer = "10.0.0.9:80";
    SystemState gone;  // the report no longer lists the connection
    gone.proxyEnable = 1;
    gone.proxyServer = "10.0.0.9:80";
    SystemState proxyRefused = other;
    proxyRefused.report.IP = "10.0.0.1";
    proxyRefused.proxyEnable = std::nullopt;

    struct Case {
        const char* what;
        std::map<int, unsigned long> exitCodes;
        std::optional<SystemState> system;
        std::string message;  // empty: nothing said, the read-back's values stay
    } const cases[] = {
        {"routine errors (the renewal on an adapter without DHCP, a crash) while all took: nothing said",
            {{1, 1}, {3, 1}, {4, 0xC0000005}}, std::nullopt, ""},
        {"the address not taken, its command failed: setting, asked, has, command and exit code", {{1, 1}}, other,
            "Nastavení se nepodařilo provést:\r\n\r\nIP adresa: zadáno „10.0.0.1“, systém má „10.0.0.7“ (příkaz "
            "„netsh interface ip set address \"LAN\" static 10.0.0.1 255.0.0.0 none“ skončil s chybovým kódem 1)."
                + closing},
        {"the address not taken although every command ended well: said without an exit code", {}, other,
            "Nastavení se nepodařilo provést:\r\n\r\nIP adresa: zadáno „10.0.0.1“, systém má „10.0.0.7“." + closing},
        {"the connection gone from the report: every setting of it said", {{4, 0xC0000005}}, gone,
            "Některá nastavení se nepodařilo provést:\r\n\r\nPřidělení IP adresy: zadáno „ručně“, systém má nic."
            "\r\n\r\nIP adresa: zadáno „10.0.0.1“, systém má nic.\r\n\r\nMaska podsítě: zadáno „255.0.0.0“, "
            "systém má nic."
                + closing},
        {"the proxy switch not in the registry after the write", {}, proxyRefused,
            "Nastavení se nepodařilo provést:\r\n\r\nPoužívat Proxy server: zadáno „ano“, systém má nic." + closing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingTarget target("LAN", Manual, true, typedFields);
        target.exitCodes = c.exitCodes;
        target.system = c.system;
        RunApplySequence(target);
        EXPECT_EQ(target.judged, "LAN");
        EXPECT_EQ(std::count(target.events.begin(), target.events.end(), "run ipconfig /renew"), 1)
            << "the sequence goes on after a failed command";
        const auto readBack = std::find(target.events.begin(), target.events.end(), "readback");
        ASSERT_NE(readBack, target.events.end());
        std::vector<std::string> expected;
        if (!c.message.empty()) {
            expected.assign(std::begin(typedValuesBack), std::end(typedValuesBack));
            expected.push_back("message " + c.message);
        } else {
            expected = {"unlock"};
        }
        EXPECT_EQ(std::vector<std::string>(readBack + 1, target.events.end()), expected);
    }
}

// Addresses are compared as the numbers they are; none is nothing; the
// alternate server is judged only where it could be set.
TEST(ApplySequence, SettingsAreComparedAsNumbers)
{
    ApplyRequest request;
    request.mode = ApplyRequest::Mode::Manual;
    request.ip = " 192.168.010.021";
    request.mask = "255.255.255.000";
    request.gateway = "none";
    request.dns = "none";
    request.dns2 = "";
    SystemState system;
    system.connectionListed = true;
    system.report.DHCP = "No";
    system.report.IP = "192.168.10.21";
    system.report.Mask = "255.255.255.0";
    system.report.DNS2 = "8.8.8.8";  // not judged: no preferred server, so it was never set
    EXPECT_TRUE(SettingsNotTaken(request, system).empty());

    system.report.Gateway = "192.168.10.1";
    system.report.DHCP = "Yes";
    const std::vector<SettingNotTaken> notTaken = SettingsNotTaken(request, system);
    ASSERT_EQ(notTaken.size(), 2u);
    EXPECT_EQ(notTaken[0].setting, AppliedSetting::Mode);
    EXPECT_EQ(notTaken[0].has, "automaticky");
    EXPECT_EQ(notTaken[1].setting, AppliedSetting::Gateway);
    EXPECT_EQ(notTaken[1].asked, "");
    EXPECT_EQ(notTaken[1].has, "192.168.10.1");
}

// Automatic addressing that took, but the DHCP server gave nothing: said
// after the window is usable again; the fields show the system's state.
TEST(ApplySequence, DhcpThatGivesNoAddressIsSaid)
{
    for (const char* address : {"169.254.7.12", "", "0.0.0.0", "10.0.0.100"}) {
        SCOPED_TRACE(address);
        RecordingTarget target("LAN", Automatic, false, {"", "", "", "", "", "", ""});
        SystemState system;
        system.connectionListed = true;
        system.report.DHCP = "Yes";
        system.report.IP = address;
        system.proxyEnable = 0;
        system.proxyServer = ":";
        target.system = system;
        RunApplySequence(target);
        const std::string selfAssigned
            = std::string(address) == "169.254.7.12" ? " (adresu 169.254.7.12 si Windows přidělil samy)." : ".";
        const std::vector<std::string> expected = std::string(address) == "10.0.0.100"
            ? std::vector<std::string>{"readback", "unlock"}
            : std::vector<std::string>{"readback", "unlock",
                "message Připojení „LAN“ nedostalo adresu od serveru DHCP" + selfAssigned
                    + "\r\n\r\nZkontrolujte, zda je připojen kabel a zda server DHCP v síti běží."};
        EXPECT_EQ(
            std::vector<std::string>(target.events.end() - static_cast<long>(expected.size()), target.events.end()),
            expected);
    }
}

// A "ProxyEnable" the box cannot show (a string) stays as it is unless the
// user changes the box.
TEST(ApplySequence, ASwitchOfAnotherTypeStaysUntilTheBoxIsChanged)
{
    for (const bool checked : {false, true}) {
        RecordingTarget target("LAN", Automatic, checked, {"", "", "", "", "", "10.0.0.9", "80"});
        target.current.ProxyOn = -1;
        target.current.ProxyEnableUnreadable = true;
        RunApplySequence(target);
        const std::string expected = checked ? "proxy 1 10.0.0.9:80" : "proxy kept 10.0.0.9:80";
        EXPECT_NE(std::find(target.events.begin(), target.events.end(), expected), target.events.end())
            << ::testing::PrintToString(target.events);
        EXPECT_EQ(target.events.back(), "unlock") << "a kept switch is not taken for one that did not take";
    }
}

// Before anything runs: what Windows' own dialog would ask, and a name that
// would split netsh's arguments.
TEST(ApplySequence, DoubtfulAddressesAreAskedAboutFirst)
{
    const std::string goOn = "\r\n\r\nChcete přesto pokračovat?";
    struct Case {
        const char* what;
        Fields fields;
        std::vector<bool> answers;
        std::vector<std::string> expectedStart;
    } const cases[] = {
        {"a mask with a hole: No runs nothing and the keyboard goes to the mask",
            {"10.0.0.1", "255.0.255.0", "", "", "", "", ""}, {false},
            {"ask Maska podsítě 255.0.255.0 není souvislá: její jedničkové bity nenásledují hned po sobě." + goOn,
                "focus mask"}},
        {"the subnet's own address", {"192.168.1.0", "255.255.255.0", "", "", "", "", ""}, {false},
            {"ask IP adresa 192.168.1.0 je adresou samotné podsítě (s maskou 255.255.255.0), ne adresou počítače."
                    + goOn,
                "focus ip"}},
        {"the broadcast address, in its plain form", {"192.168.001.255", "255.255.255.0", "", "", "", "", ""}, {false},
            {"ask IP adresa 192.168.1.255 je všesměrovou adresou podsítě (s maskou 255.255.255.0), ne adresou "
             "počítače."
                    + goOn,
                "focus ip"}},
        {"a gateway outside the subnet, answered Yes: the apply goes on",
            {"192.168.1.5", "255.255.255.0", "192.168.2.1", "", "", "", ""}, {true},
            {"ask Brána 192.168.2.1 neleží v podsíti IP adresy 192.168.1.5 s maskou 255.255.255.0." + goOn, "lock"}},
        {"two doubts, Yes then No: the second field gets the keyboard",
            {"192.168.1.255", "255.255.255.0", "10.0.0.1", "", "", "", ""}, {true, false},
            {"ask IP adresa 192.168.1.255 je všesměrovou adresou podsítě (s maskou 255.255.255.0), ne adresou "
             "počítače."
                    + goOn,
                "ask Brána 10.0.0.1 neleží v podsíti IP adresy 192.168.1.255 s maskou 255.255.255.0." + goOn,
                "focus gateway"}},
        {"a /31 and a /32 are no subnets of their own", {"10.0.0.0", "255.255.255.255", "", "", "", "", ""}, {},
            {"lock"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingTarget target("LAN", Manual, false, c.fields);
        target.answers = c.answers;
        RunApplySequence(target);
        ASSERT_GE(target.events.size(), c.expectedStart.size());
        EXPECT_EQ(std::vector<std::string>(target.events.begin(), target.events.begin() + c.expectedStart.size()),
            c.expectedStart);
        if (c.expectedStart.back() != "lock") {
            EXPECT_EQ(target.events.size(), c.expectedStart.size()) << "nothing runs after No";
        }
    }

    RecordingTarget quoted("a\"b", Automatic, false, {"", "", "", "", "", "", ""});
    RunApplySequence(quoted);
    EXPECT_EQ(quoted.events,
        (std::vector<std::string>{"message Název připojení „a\"b“ obsahuje uvozovky, a proto jej nelze předat příkazu "
                                  "netsh."}));
}

// The validation alone, as the window would use it before locking.
TEST(ApplySequence, ValidationTouchesNothing)
{
    RecordingTarget target("LAN", Manual, true, {"10.0.0.1", "255.0.0.0", "", "", "", "10.0.0.9", ""});
    EXPECT_TRUE(ValidateApplyFields(target).empty());
    EXPECT_TRUE(target.events.empty());
    EXPECT_EQ(target.FieldText(Field::Gateway), "");

    RecordingTarget automatic("LAN", Automatic, true, {"x", "y", "z", "", "", "", ""});
    EXPECT_TRUE(ValidateApplyFields(automatic).empty());
}

}  // namespace

// The reason goes on after a colon, so in lower case, Czech capitals too.
TEST(CommandMessages, ACommandThatCannotStartIsNamedAndItsReasonGoesOnInLowerCase)
{
    EXPECT_EQ(CommandNotStartedMessage("ipconfig /renew", "Špatná verze Windows"),
        "Program ipconfig nelze spustit (příkaz „ipconfig /renew“): špatná verze Windows");
    EXPECT_EQ(CommandNotStartedMessage("\"C:\\nástroje\\netsh.exe\" x", "Úloha 7"),
        "Program C:\\nástroje\\netsh.exe nelze spustit (příkaz „\"C:\\nástroje\\netsh.exe\" x“): úloha 7");
}
