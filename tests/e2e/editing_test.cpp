// Editing the connection settings: each field shows at a glance whether it
// still holds what the system has, the addressing mode and the proxy box
// switch the fields they govern, and the information labels show their whole
// text as a tooltip.
#include "tests/e2e/e2e_fixture.h"

using namespace e2e;
using e2e::common::WindowColour;

namespace {

const NetConnection kStatic{"LAN", false, "192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1, 8.8.8.8"};
const NetConnection kLeased = DhcpConnection("LAN");
const char kLeasePool[] = "dhcp_pool = 10.0.0.100\r\ndhcp_mask = 255.255.255.0\r\ndhcp_gateway = 10.0.0.1\r\n";

COLORREF ButtonFace()
{
    return GetSysColor(COLOR_BTNFACE);
}

// The five fields that automatic addressing switches off.
std::vector<HWND> AddressFields(const MainWindow& window)
{
    return {window.ip, window.mask, window.gateway, window.dns, window.dns2};
}

// A point on a radio button or check box that belongs to it alone (the
// manual radio button is partly covered by the automatic one).
void ClickButton(HWND button)
{
    ASSERT_TRUE(ClickSurely(button, 6, 8)) << "the pointer did not get there";
}

}  // namespace

TEST_F(TamarkoTest, TypingIntoAFieldAndTakingItBackTogglesItsHighlight)
{
    folder.WriteNetsimState(NetsimState({kStatic}));
    const int on = 1;
    PlantProxy(&on, "proxy.example.com:8080");
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    ASSERT_NE(WindowColour(), kLime);

    // Texts compare exactly: a trailing blank or a leading zero differs too.
    const struct {
        const char* what;
        HWND field;
        WORD caretKey;
        const char* typed;
        const char* edited;
    } cases[] = {
        {"IP address", window.ip, VK_END, "1", "192.168.1.101"},
        {"mask", window.mask, VK_END, "5", "255.255.255.05"},
        {"gateway, trailing blank", window.gateway, VK_END, " ", "192.168.1.1 "},
        {"DNS, leading zero", window.dns, VK_HOME, "0", "0192.168.1.1"},
        {"alternate DNS", window.dns2, VK_END, "8", "8.8.8.88"},
        {"proxy address", window.proxyAddress, VK_HOME, "X", "Xproxy.example.com"},
        {"proxy port", window.proxyPort, VK_END, "0", "80800"},
    };
    BringToFront(form);
    for (const auto& c : cases) {
        const std::string original = Text(c.field);
        ASSERT_TRUE(ClickSurely(c.field, 5, 5)) << c.what;
        PressKey(c.caretKey);
        TypeText(c.typed);
        ASSERT_TRUE(WaitUntil([&] { return Text(c.field) == c.edited; }, 20s)) << c.what << ": " << Text(c.field);
        EXPECT_TRUE(window.PaintedIn(c.field, WindowColour())) << c.what << " differs from the system";
        for (HWND other : window.StateControls()) {
            if (other != c.field) {
                EXPECT_EQ(window.Background(other), kLime) << c.what << ": only the edited field changes colour";
            }
        }
        PressKey(VK_BACK);
        ASSERT_TRUE(WaitUntil([&] { return Text(c.field) == original; }, 20s)) << c.what << ": " << Text(c.field);
        EXPECT_TRUE(window.PaintedIn(c.field, kLime)) << c.what << " equals the system again";
    }
    EXPECT_EQ(Text(window.statusBar), kStateLegend);
    PlantProxy(nullptr, nullptr);
    CloseAndWait(form);
}

TEST_F(TamarkoTest, ChoosingTheAddressingModeSwitchesTheFieldsAndPaintsThePair)
{
    // A report whose section has no DHCP line: the system's mode is unknown.
    const std::string noDhcpReport = folder.File("no-dhcp.txt");
    WriteFileBytes(noDhcpReport,
        "\r\nKonfigurace rozhran\xA1 \"LAN\"\r\n"
        "    Adresa IP:                           192.168.1.10\r\n");
    struct Step {
        bool manual;  // the button clicked
        bool pairLime;
    };
    const struct {
        const char* what;
        std::string state;
        std::vector<Step> steps;
    } cases[] = {
        {"static address", NetsimState({kStatic}), {{false, false}, {true, true}}},
        {"address from DHCP", NetsimState({kLeased}, kLeasePool), {{true, false}, {false, true}}},
        // Either choice agrees with an unknown mode.
        {"no DHCP answer", NetsimState({}, "report_file = " + noDhcpReport + "\r\n"), {{false, true}, {true, true}}},
    };
    for (const auto& c : cases) {
        folder.WriteNetsimState(c.state);
        HWND form = StartFilled();
        ASSERT_NE(form, nullptr) << c.what;
        const MainWindow window(form);
        BringToFront(form);
        for (const Step& step : c.steps) {
            const std::string what = std::string(c.what) + (step.manual ? ", manual" : ", automatic");
            ClickButton(step.manual ? window.manual : window.automatic);
            ASSERT_TRUE(WaitUntil([&] { return Checked(window.manual) == step.manual; }, 20s)) << what;
            EXPECT_NE(Checked(window.automatic), step.manual) << what;
            const COLORREF pair = step.pairLime ? kLime : ButtonFace();
            EXPECT_TRUE(window.PaintedIn(window.manual, pair)) << what;
            EXPECT_TRUE(window.PaintedIn(window.automatic, pair)) << what;
            for (HWND field : AddressFields(window)) {
                EXPECT_EQ(Enabled(field), step.manual) << what << ": only manual addressing edits the fields";
                EXPECT_EQ(window.Background(field), kLime) << what << ": the texts did not change";
            }
        }
        CloseAndWait(form);
    }
}

TEST_F(TamarkoTest, TheProxyBoxSwitchesItsFieldsAndIsComparedWithTheRegistry)
{
    // A clear box agrees with a proxy switched off and with none set at all.
    const struct {
        const char* what;
        std::optional<int> enable;
        bool startsChecked, fieldsStartEnabled;
    } cases[] = {
        {"ProxyEnable absent", std::nullopt, false, true},
        {"ProxyEnable 0", 0, false, false},
        {"ProxyEnable 1", 1, true, true},
    };
    folder.WriteNetsimState(NetsimState({kStatic}));
    for (const auto& c : cases) {
        PlantProxy(c.enable ? &*c.enable : nullptr, "10.0.0.8:3128");
        HWND form = StartFilled();
        ASSERT_NE(form, nullptr) << c.what;
        const MainWindow window(form);
        ASSERT_EQ(Checked(window.proxy), c.startsChecked) << c.what;
        EXPECT_EQ(Enabled(window.proxyAddress), c.fieldsStartEnabled) << c.what;
        BringToFront(form);

        const struct {
            bool checked;
            COLORREF color;
        } steps[] = {
            {!c.startsChecked, ButtonFace()},
            {c.startsChecked, kLime},
        };
        for (const auto& step : steps) {
            ClickButton(window.proxy);
            ASSERT_TRUE(WaitUntil([&] { return Checked(window.proxy) == step.checked; }, 20s)) << c.what;
            EXPECT_TRUE(window.PaintedIn(window.proxy, step.color))
                << c.what << (step.checked ? ", checked" : ", cleared");
            EXPECT_EQ(Enabled(window.proxyAddress), step.checked) << c.what;
            EXPECT_EQ(Enabled(window.proxyPort), step.checked) << c.what;
            EXPECT_EQ(Text(window.proxyAddress), "10.0.0.8") << c.what << ": the texts stay";
            EXPECT_EQ(Text(window.proxyPort), "3128") << c.what;
        }
        CloseAndWait(form);
    }
    PlantProxy(nullptr, nullptr);
}

TEST_F(TamarkoTest, DisabledFieldsAreStillRecolouredWhenALoadedFileChangesThem)
{
    // The system has a lease, so the address fields are switched off; a
    // settings file named on the command line is loaded after the read.
    folder.WriteNetsimState(NetsimState({kLeased}, kLeasePool));
    const std::string settings = folder.File("lease.dat");
    WriteFileBytes(settings,
        "[Nastavení]\r\nip=10.0.0.55\r\nmaska=255.255.255.0\r\nbrana=10.0.0.1\r\n"
        "rucne=0\r\nauto=1\r\nproxy=0\r\n");
    PlantProxy(nullptr, nullptr);
    HWND form = StartFilled("\"" + settings + "\"");
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    ASSERT_TRUE(WaitUntil([&] { return Text(window.ip) == "10.0.0.55"; })) << Text(window.ip);
    EXPECT_TRUE(Checked(window.automatic));
    for (HWND field : AddressFields(window))
        EXPECT_FALSE(Enabled(field));
    EXPECT_TRUE(window.PaintedIn(window.ip, WindowColour())) << "the changed address";
    for (HWND same : {window.mask, window.gateway, window.dns, window.dns2})
        EXPECT_TRUE(window.PaintedIn(same, kLime)) << ClassName(same) << " " << Text(same);
    CloseAndWait(form);
}

TEST_F(TamarkoTest, TheInformationLabelsShowTheirWholeCaptionAsATooltip)
{
    const std::string longName = "Připojení k místní síti přes adaptér USB Realtek 8153 číslo 2";
    folder.WriteNetsimState(NetsimState({{longName, false, "192.168.1.10", "255.255.255.0", "", ""}}));
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    ASSERT_EQ(Text(window.connectionName), longName);
    ASSERT_EQ(RectIn(window.connectionName, form).right - RectIn(window.connectionName, form).left, 137);
    {
        // The premise: in the window's font the name is wider than its label.
        HDC dc = GetDC(nullptr);
        HFONT font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, EASTEUROPE_CHARSET, 0, 0, 0, 0, "Times New Roman");
        HGDIOBJ old = SelectObject(dc, font);
        SIZE extent{};
        GetTextExtentPoint32A(dc, longName.c_str(), static_cast<int>(longName.size()), &extent);
        SelectObject(dc, old);
        DeleteObject(font);
        ReleaseDC(nullptr, dc);
        ASSERT_GT(extent.cx, 137) << "the name would not be cut";
    }

    const struct {
        const char* what;
        HWND label;
        std::string caption;
    } cases[] = {
        {"connection name", window.connectionName, longName},
        {"computer name", window.computerName, LocalComputerName()},
    };
    BringToFront(form);
    for (const auto& c : cases) {
        ASSERT_TRUE(MoveMouseSurely(c.label, 20, 8)) << c.what;
        MoveMouse(c.label, 24, 9);
        HWND tip = nullptr;
        EXPECT_TRUE(WaitUntil(
            [&] {
                tip = FindTopWindow(program.Id(), "tooltips_class32");
                return tip && Text(tip) == c.caption;
            },
            5s))
            << c.what << ": tooltip " << (tip ? Text(tip) : std::string("not shown"));
    }

    // The keyboard: Tab from the apply button stops at the name only because
    // it is cut, and shows it whole under it until the keys move on.
    ASSERT_TRUE(MoveMouseSurely(GetDesktopWindow(), 5, 5));
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(form) == window.apply; }));
    const auto tipShown = [&](const std::string& text) {
        HWND tip = FindTopWindow(program.Id(), "tooltips_class32");
        return tip && IsWindowVisible(tip) && Text(tip) == text;
    };
    EXPECT_TRUE(WaitUntil([&] { return !tipShown(longName); })) << "the mouse's tooltip gone";
    PressKey(VK_TAB);
    ASSERT_TRUE(Responds(form));
    ASSERT_EQ(FocusOf(form), window.connectionName) << "Tab from the apply button";
    EXPECT_TRUE(WaitUntil([&] { return tipShown(longName); })) << "the whole name shown to the keyboard";
    PressKey(VK_TAB);
    ASSERT_TRUE(Responds(form));
    EXPECT_EQ(FocusOf(form), window.manual) << "then the mode pair";
    EXPECT_TRUE(WaitUntil([&] { return !tipShown(longName); })) << "the name's tooltip goes with the keys";
    CloseAndWait(form);
}
