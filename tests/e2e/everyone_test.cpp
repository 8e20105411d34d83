// Everyone can use the program: a screen reader names every field by
// Windows' own rule, the keyboard alone reaches every task, text reads in a
// dark colour scheme and under high contrast, and the windows grow with the
// screen's DPI.
#include "tests/e2e/e2e_fixture.h"

#include <oleacc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>

using namespace e2e;

namespace {

const NetConnection kLan{"LAN", false, "192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1"};
const char kPrompt[] = "Vyberte připojení, se kterým chcete pracovat:";
const char kDoma[] = "[Nastavení]\r\nIP=10.0.0.7\r\nmaska=255.0.0.0\r\nrucne=1\r\nauto=0\r\n";
const char kBadIp[] = "Byla zadána neplatná IP adresa.\n\r\n\rAdresu musíte opravit!";

// The name Windows gives a control without a caption of its own: the text of
// the first visible static text before it in the z-order; a control that
// starts a group and is a tab stop ends the search.
std::string NameByWindowsRule(HWND control)
{
    for (HWND before = GetWindow(control, GW_HWNDPREV); before; before = GetWindow(before, GW_HWNDPREV)) {
        if (!IsWindowVisible(before))
            continue;
        char realClass[64] = {};
        RealGetWindowClassA(before, realClass, sizeof realClass);
        if ((SendMessageA(before, WM_GETDLGCODE, 0, 0) & DLGC_STATIC) || lstrcmpiA(realClass, "Static") == 0)
            return Text(before);
        if ((GetWindowLongA(before, GWL_STYLE) & (WS_GROUP | WS_TABSTOP)) == (WS_GROUP | WS_TABSTOP))
            return {};
    }
    return {};
}

// Keys as the user presses them, each waited for: the program has handled
// a key when it answers a message sent after it.
void Key(HWND window, WORD key, std::initializer_list<WORD> modifiers = {})
{
    PressKey(key, modifiers);
    Responds(window);
}

// The colours of a window's client area as the screen shows them.
class Pixels {
public:
    explicit Pixels(HWND window)
    {
        const RECT client = ClientRect(window);
        width_ = client.right;
        height_ = client.bottom;
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = width_;
        format.bmiHeader.biHeight = -height_;
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width_, height_, screen, origin.x, origin.y, SRCCOPY);
        GdiFlush();
        const auto* rows = static_cast<const DWORD*>(bits);
        for (int i = 0; i < width_ * height_; ++i)
            pixels_.push_back(RGB((rows[i] >> 16) & 0xFF, (rows[i] >> 8) & 0xFF, rows[i] & 0xFF));
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }
    COLORREF At(int x, int y) const { return pixels_[static_cast<std::size_t>(y * width_ + x)]; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_ = 0, height_ = 0;
    std::vector<COLORREF> pixels_;
};

double Luminance(COLORREF color)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(GetRValue(color)) + 0.7152 * channel(GetGValue(color)) + 0.0722 * channel(GetBValue(color));
}

double Contrast(COLORREF a, COLORREF b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A field's text against its background, read from the screen: the
// background where the field shows no text (its top right), the text the
// pixel that stands out from it most.
struct TextOnBackground {
    COLORREF text, background;
    double contrast;
};
TextOnBackground FieldContrast(HWND field)
{
    const Pixels pixels(field);
    const COLORREF background = pixels.At(pixels.Width() - 3, 1);
    TextOnBackground found{background, background, 1.0};
    for (int y = 0; y < pixels.Height(); ++y) {
        for (int x = 0; x < pixels.Width(); ++x) {
            const double contrast = Contrast(pixels.At(x, y), background);
            if (contrast > found.contrast)
                found = {pixels.At(x, y), background, contrast};
        }
    }
    return found;
}

std::string Hex(COLORREF color)
{
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(color), GetGValue(color), GetBValue(color));
    return text;
}

// The letter that chooses "minimise" in a window menu. Menus cannot be read
// across processes under Wine: this process's own window menu, in the same
// language, tells.
char MinimiseLetter()
{
    HWND probe = CreateWindowA("STATIC", "", WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CAPTION, 0, 0, 10, 10, nullptr,
        nullptr, nullptr, nullptr);
    HMENU menu = GetSystemMenu(probe, FALSE);
    char letter = 0;
    char caption[64] = {};
    if (GetMenuStringA(menu, SC_MINIMIZE, caption, sizeof caption, MF_BYCOMMAND) > 0) {
        if (const char* amp = std::strchr(caption, '&'))
            letter = amp[1];
    }
    DestroyWindow(probe);
    return letter;
}

// The shell's notification area on the screen (the taskbar where it has no
// part of its own); false without a shell, or with a taskbar not shown.
bool NotificationArea(RECT& area)
{
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    if (!taskbar || !IsWindowVisible(taskbar))
        return false;
    HWND icons = FindWindowExA(taskbar, nullptr, "TrayNotifyWnd", nullptr);
    return GetWindowRect(icons ? icons : taskbar, &area) && !IsRectEmpty(&area);
}

// COM for this thread while the holder lives: a screen reader's questions
// go to the program through it.
class ComApartment {
public:
    ComApartment()
        : initialized_(SUCCEEDED(CoInitialize(nullptr)))
    {
    }
    ~ComApartment()
    {
        if (initialized_)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialized_;
};

std::string FromBstr(BSTR text)
{
    std::string ansi;
    if (text) {
        const int length = WideCharToMultiByte(1250, 0, text, -1, nullptr, 0, nullptr, nullptr);
        ansi.resize(static_cast<std::size_t>(std::max(length, 1)));
        WideCharToMultiByte(1250, 0, text, -1, ansi.data(), length, nullptr, nullptr);
        ansi.resize(ansi.size() - 1);
        SysFreeString(text);
    }
    return ansi;
}

// What a screen reader reads of a control: its name, description and role.
struct ReaderView {
    bool found = false;
    std::string name, description;
    long role = 0;
};

ReaderView Read(IAccessible* object)
{
    ReaderView view;
    if (!object)
        return view;
    view.found = true;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    if (object->get_accName(self, &text) == S_OK)
        view.name = FromBstr(text);
    text = nullptr;
    if (object->get_accDescription(self, &text) == S_OK)
        view.description = FromBstr(text);
    VARIANT role{};
    if (SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4)
        view.role = role.lVal;
    VariantClear(&role);
    object->Release();
    return view;
}

// As a reader asks the program from outside: the object the control's
// window hands out.
ReaderView AsAReaderReads(HWND control)
{
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&object))))
        object = nullptr;
    return Read(object);
}

// What Windows' standard object for the control says, made here.
ReaderView AsWindowsHasIt(HWND control)
{
    IAccessible* object = nullptr;
    if (FAILED(CreateStdAccessibleObject(control, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&object))))
        object = nullptr;
    return Read(object);
}

}  // namespace

// Windows' rule names every field of the main window and the chooser's list
// by the caption before it; the quick buttons answer names that tell them
// apart, the hints as they were.
TEST_F(TamarkoTest, AScreenReaderNamesEveryField)
{
    folder.WriteNetsimState(NetsimState({kLan, DhcpConnection("WLAN")}));
    WriteFileBytes(folder.File("doma.dat"), kDoma);
    WriteFileBytes(folder.IniPath(), "[RychleIkony]\r\nBut2=" + folder.File("doma.dat") + "\r\n");
    HWND form = Start();
    ASSERT_NE(form, nullptr);
    HWND chooser = WaitForTopWindow(program.Id(), "TForm2");
    ASSERT_NE(chooser, nullptr);
    HWND list = FindControl(chooser, 0, 32);
    ASSERT_TRUE(WaitUntil([&] { return Enabled(chooser) && Text(FindControl(chooser, 40, 8)) == kPrompt; }));
    EXPECT_EQ(NameByWindowsRule(list), kPrompt) << "the chooser's list";
    PostMessageA(list, LB_SETCURSEL, 0, 0);
    PostMessageA(
        chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));
    const MainWindow window(form);
    ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend; }));

    const struct {
        HWND field;
        const char* name;
    } fields[] = {
        {window.ip, "IP adresa:"},
        {window.mask, "Maska podsítě:"},
        {window.gateway, "Brána:"},
        {window.dns, "Server DNS:"},
        {window.dns2, "Náhradní server DNS:"},
        {window.proxy, "Používat Proxy server:"},
        {window.proxyAddress, "IP adresa Proxy serveru:"},
        {window.proxyPort, "Port:"},
    };
    for (const auto& f : fields)
        EXPECT_EQ(NameByWindowsRule(f.field), f.name);
    for (int slot = 0; slot < 5; ++slot) {
        HWND button = FindControl(window.toolBar, 88 + 24 * slot, 2);
        EXPECT_EQ(Text(button), QuickButtonName(slot, slot == 1 ? "doma" : "není přiřazeno"));
    }
    CloseAndWait(form);
}

// What the colours show reaches a screen reader too, asked from another
// process as a reader asks: each field's description says whether it holds
// the current state, in step with its colour, while its name stays Windows'
// own. The proxy's check box and the mode pair have names that say what they
// choose; the about box's links and label buttons say what they are.
TEST_F(TamarkoTest, AScreenReaderLearnsWhatTheColoursShow)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const int off = 0;
    PlantProxy(&off, "proxy.example.com:8080");
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    const ComApartment com;

    EXPECT_EQ(AsAReaderReads(window.proxy).name, "Používat Proxy server");
    EXPECT_EQ(AsAReaderReads(window.manual).name, "IP adresa: ručně");
    EXPECT_EQ(AsAReaderReads(window.automatic).name, "IP adresa: automaticky");
    for (HWND edit :
        {window.ip, window.mask, window.gateway, window.dns, window.dns2, window.proxyAddress, window.proxyPort}) {
        const ReaderView read = AsAReaderReads(edit);
        ASSERT_TRUE(read.found);
        EXPECT_EQ(read.name, AsWindowsHasIt(edit).name) << "Windows' own name for \"" << Text(edit) << "\"";
        EXPECT_EQ(read.role, AsWindowsHasIt(edit).role) << "Windows' own role for \"" << Text(edit) << "\"";
    }

    // Step by step, the fields that then differ from the current state.
    const struct {
        const char* what;
        std::function<void()> act;
        std::vector<HWND> differing;
    } steps[] = {
        {"filled", [] {}, {}},
        {"the mask changed", [&] { SetField(window.mask, "255.255.0.0"); }, {window.mask}},
        {"automatic chosen", [&] { PostMessageA(window.automatic, BM_CLICK, 0, 0); },
            {window.mask, window.manual, window.automatic}},
        {"the proxy switched on", [&] { PostMessageA(window.proxy, BM_CLICK, 0, 0); },
            {window.mask, window.manual, window.automatic, window.proxy}},
        {"the mask back", [&] { SetField(window.mask, "255.255.255.0"); },
            {window.manual, window.automatic, window.proxy}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        ASSERT_TRUE(Responds(form));
        for (HWND control : window.StateControls()) {
            const bool differs
                = std::find(step.differing.begin(), step.differing.end(), control) != step.differing.end();
            const bool edit = ClassName(control) != "Button";
            const COLORREF color = !differs ? kLime : GetSysColor(edit ? COLOR_WINDOW : COLOR_BTNFACE);
            EXPECT_TRUE(window.PaintedIn(control, color)) << "\"" << Text(control) << "\" painted " << Hex(color);
            EXPECT_EQ(AsAReaderReads(control).description, differs ? "liší se od aktuálního stavu" : "aktuální stav")
                << "\"" << Text(control) << "\" at " << RectIn(control, form).left << "," << RectIn(control, form).top;
        }
    }

    PostCommand(form, cmAbout);
    HWND about = WaitForTopWindow(program.Id(), "TAutor");
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(Responds(about));
    const struct {
        const char* what;
        int left, top;
        long role;
    } labels[] = {
        {"the web link", 8, 240, ROLE_SYSTEM_LINK},
        {"the mail link", 296, 240, ROLE_SYSTEM_LINK},
        {"Pošli informace", 56, 304, ROLE_SYSTEM_PUSHBUTTON},
        {"Zavřít", 304, 304, ROLE_SYSTEM_PUSHBUTTON},
    };
    for (const auto& label : labels) {
        HWND control = FindControl(about, label.left, label.top);
        ASSERT_NE(control, nullptr) << label.what;
        const ReaderView read = AsAReaderReads(control);
        EXPECT_EQ(read.role, label.role) << label.what;
        EXPECT_EQ(read.name, AsWindowsHasIt(control).name) << label.what << ": its own text names it";
    }
    HWND heading = FindControl(about, 8, 16);
    EXPECT_EQ(AsAReaderReads(heading).role, AsWindowsHasIt(heading).role) << "the heading is text as before";
    PostMessageA(about, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about) || !IsWindowVisible(about); }));
    CloseAndWait(form);
}

namespace {

// What a screen reader hears of one window's name: the events that say it
// changed, each read as it arrives, as a reader reads it.
class NameChanges {
public:
    NameChanges(DWORD processId, HWND window)
        : window_(window)
    {
        listening_ = this;
        hook_ = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, Arrived, processId, 0,
            WINEVENT_OUTOFCONTEXT);
    }
    ~NameChanges()
    {
        if (hook_)
            UnhookWinEvent(hook_);
        listening_ = nullptr;
    }
    NameChanges(const NameChanges&) = delete;
    NameChanges& operator=(const NameChanges&) = delete;

    bool Listening() const { return hook_ != nullptr; }
    // The names heard so far; the events that came meanwhile are taken first.
    const std::vector<std::string>& Heard()
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        return heard_;
    }

private:
    static void CALLBACK Arrived(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD)
    {
        if (!listening_ || window != listening_->window_)
            return;
        IAccessible* accessible = nullptr;
        VARIANT which{};
        if (FAILED(AccessibleObjectFromEvent(window, object, child, &accessible, &which)) || !accessible) {
            listening_->heard_.push_back("(no object)");
            return;
        }
        BSTR name = nullptr;
        listening_->heard_.push_back(accessible->get_accName(which, &name) == S_OK ? FromBstr(name) : "(no name)");
        VariantClear(&which);
        accessible->Release();
    }

    static inline NameChanges* listening_ = nullptr;
    HWND window_;
    HWINEVENTHOOK hook_ = nullptr;
    std::vector<std::string> heard_;
};

}  // namespace

// An apply says what it does in the status bar, and that it is done: a
// screen reader hears each change, in order, to the state shown again.
TEST_F(TamarkoTest, AScreenReaderHearsWhatAnApplyDoesAndThatItIsDone)
{
    // Each command lasts a while, so that each text stands until it is read.
    folder.WriteNetsimState(NetsimState({kLan}, "delay_ms = 300\r\n"));
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    const ComApartment com;
    NameChanges statusBar(program.Id(), window.statusBar);
    ASSERT_TRUE(statusBar.Listening());
    PostMessageA(window.apply, BM_CLICK, 0, 0);
    const std::vector<std::string> inOrder
        = {"Nastavuji IP adresu, čekejte...", "Obnovuji připojení, čekejte...", "Hotovo, čekejte...", kStateLegend};
    const auto heardInOrder = [&] {
        const std::vector<std::string>& heard = statusBar.Heard();
        auto at = heard.begin();
        for (const std::string& text : inOrder) {
            at = std::find(at, heard.end(), text);
            if (at == heard.end())
                return false;
        }
        return true;
    };
    EXPECT_TRUE(WaitUntil(heardInOrder, 60s)) << "heard: " << ::testing::PrintToString(statusBar.Heard());
    ASSERT_TRUE(WaitUntil([&] { return Enabled(form) && Text(window.statusBar) == kStateLegend; }, 60s));
    CloseAndWait(form);
}

// One session from the keyboard alone: the chooser, the fields, a refused
// address, the mode pair's arrows, every quick button, the about box, the
// order of the fields, the notification area, an apply. The focus is
// wherever the user would look for it after each step. Each step goes on
// from whatever the one before left: a failure ends its own step, and the
// rest of the session still runs.
TEST_F(TamarkoTest, TheKeyboardAloneReachesEveryTask)
{
    // The connection worked on is the second of two. Each command lasts a
    // while, so that a console that took the keyboard would be seen.
    folder.WriteNetsimState(NetsimState({DhcpConnection("WLAN"), kLan}, "delay_ms = 300\r\n"));
    // Each quick button has a file of its own, and its menu a state of its
    // own (bind, clear, shortcut), so that every key shows which slot it
    // reached.
    const std::vector<bool> slotMenus[]
        = {{false, true, true}, {true, false, true}, {false, false, true}, {true, true, false}, {false, true, false}};
    std::string ini = "[RychleIkony]\r\n";
    for (int slot = 0; slot < 5; ++slot) {
        const std::string number = std::to_string(slot + 1);
        const std::string file = folder.File("slot" + number + ".dat");
        WriteFileBytes(file, "[Nastavení]\r\nIP=10.0.0." + number + "\r\nmaska=255.0.0.0\r\nrucne=1\r\nauto=0\r\n");
        ini += "But" + number + "=" + file + "\r\n";
        const int firstItem = 1 + 4 * slot;
        for (int item : {0, 1, 2})
            ini += "MenuItem" + std::to_string(firstItem + (item == 2 ? 3 : item)) + "="
                + (slotMenus[slot][static_cast<std::size_t>(item)] ? "1" : "0") + "\r\n";
    }
    WriteFileBytes(folder.IniPath(), ini);
    HWND form = Start();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    HWND chooser = WaitForTopWindow(program.Id(), "TForm2");
    ASSERT_NE(chooser, nullptr);
    HWND list = FindControl(chooser, 0, 32);
    // A push button with the keys answers Enter: it is the default button.
    const auto answersEnter = [&] { return (Style(window.apply) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; };
    // A wrong address, and Enter on the apply button: the box, then the
    // keyboard in the field that failed, its text selected.
    const auto enterRefusesAWrongAddress = [&] {
        SetField(window.ip, "1.2.3");
        Key(form, VK_RETURN);
        const auto bad = WaitForMessageBox(program.Id());
        ASSERT_TRUE(bad.has_value()) << "Enter pressed the apply button";
        EXPECT_EQ(bad->text, kBadIp);
        Key(bad->window, VK_RETURN);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(form) == window.ip; })) << "the field that failed has the keys";
        DWORD from = 0, to = 0;
        SendMessageA(window.ip, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        EXPECT_EQ(from, 0u);
        EXPECT_EQ(to, 5u) << "its text selected";
    };
    // The pointer rests away from the menus: a greyed item under it would be
    // its choice, not the keys'.
    const auto usableFrom = [](const std::vector<bool>& items, int from, int step) {
        const int count = static_cast<int>(items.size());
        for (int i = 1; i <= count; ++i) {
            const int at = ((from + step * i) % count + count) % count;
            if (items[static_cast<std::size_t>(at)])
                return at;
        }
        return -1;
    };
    HWND focused = nullptr;  // where the keys stood before the about box

    const struct {
        const char* what;
        std::function<void()> run;
    } steps[] = {
        {"the chooser: the item with the focus rectangle is chosen; an emptied choice is refused; the arrows and "
         "Enter choose",
            [&] {
                ASSERT_TRUE(WaitUntil(
                    [&] { return Enabled(chooser) && FocusOf(chooser) == list && GetForegroundWindow() == chooser; }))
                    << "the chooser asks with the keyboard in its list; in front: "
                    << ClassName(GetForegroundWindow());
                EXPECT_EQ(ListSelection(list), 0) << "the first connection, where the focus rectangle stands";
                SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
                Key(chooser, VK_RETURN);
                const auto refused = WaitForMessageBox(program.Id());
                ASSERT_TRUE(refused.has_value());
                EXPECT_EQ(refused->text, "Není vybráno žádné připojení.");
                Key(refused->window, VK_RETURN);
                ASSERT_TRUE(WaitUntil([&] { return FocusOf(chooser) == list; })) << "the list has the keys again";
                Key(chooser, VK_DOWN);
                Key(chooser, VK_UP);
                Key(chooser, VK_DOWN);  // the second, wherever the first Down went
                Key(chooser, VK_RETURN);
                ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend && Enabled(form); }));
                EXPECT_EQ(Text(window.connectionName), "LAN");
            }},
        {"Enter on the apply button the start put the keys on",
            [&] {
                ASSERT_TRUE(WaitUntil([&] { return FocusOf(form) == window.apply; })) << "the apply button has the keys";
                EXPECT_TRUE(answersEnter()) << "as the default button";
                enterRefusesAWrongAddress();
            }},
        {"Tab and Shift+Tab between the field, the mode pair and the apply button",
            [&] {
                EXPECT_FALSE(answersEnter()) << "the keys elsewhere, the button is a plain one again";
                Key(form, VK_TAB, {VK_SHIFT});
                EXPECT_EQ(FocusOf(form), window.manual);
                Key(form, VK_TAB, {VK_SHIFT});
                ASSERT_EQ(FocusOf(form), window.apply);
                EXPECT_TRUE(answersEnter());
                Key(form, VK_TAB);
                EXPECT_EQ(FocusOf(form), window.manual);
                Key(form, VK_TAB);
                ASSERT_EQ(FocusOf(form), window.ip);
            }},
        {"the arrows move through the mode pair as the screen shows it, and choose",
            [&] {
                Key(form, VK_TAB, {VK_SHIFT});
                ASSERT_EQ(FocusOf(form), window.manual);
                const struct {
                    WORD key;
                    HWND chosen;
                } arrows[] = {{VK_RIGHT, window.automatic}, {VK_LEFT, window.manual}, {VK_DOWN, window.automatic},
                    {VK_UP, window.manual}};
                for (const auto& arrow : arrows) {
                    Key(form, arrow.key);
                    const bool automatic = arrow.chosen == window.automatic;
                    EXPECT_EQ(FocusOf(form), arrow.chosen) << "key " << arrow.key;
                    EXPECT_TRUE(Checked(arrow.chosen)) << "key " << arrow.key << " chose \"" << Text(arrow.chosen) << "\"";
                    EXPECT_FALSE(Checked(automatic ? window.manual : window.automatic)) << "key " << arrow.key;
                    EXPECT_EQ(Enabled(window.ip), !automatic) << "key " << arrow.key << ": its click handler ran";
                }
                Key(form, VK_TAB);
                ASSERT_EQ(FocusOf(form), window.ip);
            }},
        {"Ctrl+1 ... Ctrl+5 load each quick button's own file; Ctrl+Shift+1 ... 5 open its menu under it, on its "
         "first usable item, the arrows passing over greyed items",
            [&] {
                ASSERT_TRUE(MoveMouseSurely(GetDesktopWindow(), 1000, 10));
                for (int slot = 0; slot < 5; ++slot) {
                    const auto digit = static_cast<WORD>('1' + slot);
                    const std::string ip = "10.0.0." + std::to_string(slot + 1);
                    Key(form, digit, {VK_CONTROL});
                    EXPECT_TRUE(WaitUntil([&] { return Text(window.ip) == ip; }))
                        << "Ctrl+" << slot + 1 << " loaded its file";
                    Key(form, digit, {VK_CONTROL, VK_SHIFT});
                    HWND menu = WaitForPopupMenu(program.Id());
                    ASSERT_NE(menu, nullptr) << "Ctrl+Shift+" << slot + 1 << " opens the slot's menu";
                    EXPECT_EQ(MenuItemsEnabled(menu), slotMenus[slot]) << "Ctrl+Shift+" << slot + 1;
                    RECT menuRect, buttonRect;
                    GetWindowRect(menu, &menuRect);
                    GetWindowRect(FindControl(window.toolBar, 88 + 24 * slot, 2), &buttonRect);
                    EXPECT_EQ(menuRect.left, buttonRect.left) << "the menu of slot " << slot + 1 << " under its button";
                    const int first = usableFrom(slotMenus[slot], -1, 1);
                    EXPECT_EQ(HighlightedMenuItem(menu), first)
                        << "Ctrl+Shift+" << slot + 1 << " opens on the first usable item";
                    Key(form, VK_DOWN);
                    EXPECT_EQ(HighlightedMenuItem(menu), usableFrom(slotMenus[slot], first, 1))
                        << "Down, slot " << slot + 1;
                    Key(form, VK_UP);
                    EXPECT_EQ(HighlightedMenuItem(menu), first) << "Up, slot " << slot + 1;
                    Key(form, VK_ESCAPE);
                    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
                }
            }},
        {"F2, then Esc; F2, then Enter: the about box, Tab in reading order (the web, the mail, \"Pošli "
         "informace\", \"Zavřít\"), and the keys back where they were",
            [&] {
                focused = FocusOf(form);
                const POINT readingOrder[] = {{8, 240}, {296, 240}, {56, 304}, {304, 304}};
                for (WORD closing : {VK_ESCAPE, VK_RETURN}) {
                    Key(form, VK_F2);
                    HWND about = WaitForTopWindow(program.Id(), "TAutor");
                    ASSERT_NE(about, nullptr);
                    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == about; }));
                    EXPECT_EQ(FocusOf(about), FindControl(about, 304, 304)) << "\"Zavřít\" has the keys first";
                    for (const POINT& at : readingOrder) {
                        Key(about, VK_TAB);
                        EXPECT_EQ(FocusOf(about), FindControl(about, at.x, at.y))
                            << "Tab to " << at.x << "," << at.y << "; the keys are in \"" << Text(FocusOf(about))
                            << "\"";
                    }
                    Key(about, closing);
                    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about) || !IsWindowVisible(about); }))
                        << "key " << closing;
                    EXPECT_TRUE(WaitUntil([&] { return FocusOf(form) == focused; }))
                        << "after the about box, key " << closing;
                }
            }},
        {"Tab follows the window's order, each alternate server after its preferred one; the proxy's check box, "
         "which has no caption, shows that it has the keys",
            [&] {
                ASSERT_EQ(FocusOf(form), window.ip);
                const auto boxPixels = [&] {
                    const Pixels pixels(window.proxy);
                    std::vector<COLORREF> all;
                    for (int y = 0; y < pixels.Height(); ++y)
                        for (int x = 0; x < pixels.Width(); ++x)
                            all.push_back(pixels.At(x, y));
                    return all;
                };
                const std::vector<COLORREF> unfocused = boxPixels();
                const struct {
                    HWND field;
                    const char* what;
                } order[] = {{window.mask, "Maska podsítě"}, {window.gateway, "Brána"}, {window.dns, "Server DNS"},
                    {window.dns2, "Náhradní server DNS"}, {window.proxy, "Používat Proxy server"}};
                for (const auto& next : order) {
                    Key(form, VK_TAB);
                    ASSERT_EQ(FocusOf(form), next.field) << "Tab to \"" << next.what << "\"";
                }
                EXPECT_TRUE(WaitUntil([&] { return boxPixels() != unfocused; })) << "the check box shows its focus";
                for (int presses = 0; presses < 12 && FocusOf(form) != focused; ++presses)
                    Key(form, VK_TAB);
                ASSERT_EQ(FocusOf(form), focused);
            }},
        {"minimised from the window menu (Alt+Space, the item's letter) into the notification area; back through "
         "the icon's menu, opened as the menu key opens it, beside the notification area",
            [&] {
                Key(form, VK_SPACE, {VK_MENU});
                HWND systemMenu = WaitForPopupMenu(program.Id());
                ASSERT_NE(systemMenu, nullptr);
                const char letter = MinimiseLetter();
                ASSERT_NE(letter, 0) << "the window menu's minimise item has a letter";
                Key(form, static_cast<WORD>(VkKeyScanA(letter) & 0xFF));
                ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(form); })) << "into the notification area";
                ASSERT_TRUE(TrayHoldsIcon(form));
                ASSERT_TRUE(MoveMouseSurely(GetDesktopWindow(), 400, 300));
                Step("the menu key on the tray icon");
                PostMessageA(form, WM_USER + 1, 1, WM_RBUTTONDOWN);
                HWND trayMenu = WaitForPopupMenu(program.Id());
                ASSERT_NE(trayMenu, nullptr);
                RECT area;
                if (NotificationArea(area)) {
                    RECT menuRect, touching;
                    GetWindowRect(trayMenu, &menuRect);
                    InflateRect(&menuRect, 1, 1);
                    EXPECT_TRUE(IntersectRect(&touching, &menuRect, &area))
                        << "the menu at " << menuRect.left + 1 << "," << menuRect.top + 1 << " - "
                        << menuRect.right - 1 << "," << menuRect.bottom - 1 << ", the notification area at "
                        << area.left << "," << area.top << " - " << area.right << "," << area.bottom;
                } else {
                    std::printf("No shell's taskbar here: where the tray menu opens is not checked.\n");
                }
                Key(form, VK_DOWN);  // "Obnovit"
                Key(form, VK_RETURN);
                ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(form) && !IsIconic(form); }))
                    << "back from the tray";
                EXPECT_TRUE(WaitUntil([&] { return FocusOf(form) == focused; })) << "the keys back where they were";
            }},
        {"an apply started with Space: the consoles come and go without taking the keyboard; the chooser asks "
         "with the keys in its list, offering the connection just applied, and Enter alone finishes",
            [&] {
                SetField(window.ip, "192.168.1.10");
                SetField(window.mask, "255.255.255.0");
                Key(form, VK_TAB, {VK_SHIFT});
                for (int presses = 0; presses < 12 && FocusOf(form) != window.apply && FocusOf(form); ++presses)
                    Key(form, VK_TAB);
                ASSERT_EQ(FocusOf(form), window.apply);
                Key(form, VK_SPACE);
                std::set<std::string> foreign;  // what had the keyboard instead, meanwhile
                ASSERT_TRUE(WaitUntil(
                    [&] {
                        HWND front = GetForegroundWindow();
                        DWORD owner = 0;
                        GetWindowThreadProcessId(front, &owner);
                        if (owner != program.Id())
                            foreign.insert(front ? ClassName(front) + " \"" + Text(front) + "\"" : "no window");
                        return IsWindowVisible(chooser) && Enabled(chooser) && folder.Journal().back() == kReportCommand;
                    },
                    60s));
                for (const std::string& what : foreign)
                    ADD_FAILURE() << "while the commands ran, the keyboard went to " << what;
                EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == chooser && FocusOf(chooser) == list; }))
                    << "the chooser asks with the keyboard in its list; in front: "
                    << ClassName(GetForegroundWindow());
                EXPECT_EQ(ListSelection(list), 1) << "the connection just applied is offered";
                Key(chooser, VK_RETURN);
                ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend && Enabled(form); }))
                    << "Enter alone chose";
                EXPECT_EQ(Text(window.connectionName), "LAN");
                EXPECT_TRUE(
                    WaitUntil([&] { return GetForegroundWindow() == form && FocusOf(form) == window.apply; }))
                    << "in front: " << ClassName(GetForegroundWindow()) << ", the keys in "
                    << ClassName(FocusOf(form));
            }},
        {"Enter on the apply button the apply gave the keys back to",
            [&] {
                ASSERT_EQ(FocusOf(form), window.apply);
                EXPECT_TRUE(answersEnter()) << "as the default button";
                enterRefusesAWrongAddress();
                Key(form, VK_TAB, {VK_SHIFT});
                Key(form, VK_TAB, {VK_SHIFT});
                ASSERT_EQ(FocusOf(form), window.apply);
                Key(form, VK_TAB);
                EXPECT_EQ(FocusOf(form), window.manual) << "Tab moves on from the apply button";
            }},
        {"Alt+F4",
            [&] {
                Key(form, VK_F4, {VK_MENU});
                EXPECT_TRUE(program.WaitForExit(20s).has_value()) << "Alt+F4";
            }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        Step(step.what);
        step.run();
    }
}

// Every menu has access keys, one letter per item and unique within the
// menu: each letter chooses its own item, whatever the others are. Alt+S and
// Alt+N open the menu bar's menus.
TEST_F(TamarkoTest, EveryMenuItemHasAnAccessKeyOfItsOwn)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const std::string file = folder.File("doma.dat");
    WriteFileBytes(file, kDoma);
    const std::string shortcut = DesktopFolder() + "\\doma.lnk";
    DeleteFileA(shortcut.c_str());
    // The first quick button bound, every item of its menu usable.
    const std::string ini = "[RychleIkony]\r\nBut1=" + file + "\r\nMenuItem1=1\r\nMenuItem2=1\r\nMenuItem4=1\r\n";
    WriteFileBytes(folder.IniPath(), ini);
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);

    const char kOpenTitle[] = "Otevřít nastavení sítě";
    const char kSaveTitle[] = "Uložit nastavení sítě";
    const auto dialogShown = [&](const char* title) {
        return [&, title] {
            HWND dialog = WaitForTopWindow(program.Id(), "#32770", title);
            if (!dialog)
                return false;
            Key(dialog, VK_ESCAPE);
            return WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }) && Responds(form);
        };
    };
    const auto aboutShown = [&] {
        HWND about = WaitForTopWindow(program.Id(), "TAutor");
        if (!about)
            return false;
        Key(about, VK_ESCAPE);
        return WaitUntil([&] { return !IsWindow(about) || !IsWindowVisible(about); });
    };
    const auto fileMenu = [&] { Key(form, 'S', {VK_MENU}); };
    const auto helpMenu = [&] { Key(form, 'N', {VK_MENU}); };
    const auto trayMenu = [&] {
        Step("the tray menu");
        PostMessageA(form, WM_USER + 1, 1, WM_RBUTTONDOWN);
    };
    const auto quickMenu = [&] { Key(form, '1', {VK_CONTROL, VK_SHIFT}); };
    const std::function<bool()> intoTheTray = [&] {
        PostMessageA(form, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return WaitUntil([&] { return !IsWindowVisible(form); });
    };
    const struct {
        const char* menu;
        std::function<void()> open;
        char letter;
        const char* item;
        std::function<bool()> done;  // whether the item's command ran; undoes what it can
        std::function<bool()> before = nullptr;
    } rows[] = {
        {"Soubor", fileMenu, 'O', "Otevřít", dialogShown(kOpenTitle)},
        {"Soubor", fileMenu, 'U', "Uložit", dialogShown(kSaveTitle)},
        {"Nápověda", helpMenu, 'O', "O programu", aboutShown},
        {"the tray menu", trayMenu, 'O', "Obnovit",
            [&] { return WaitUntil([&] { return IsWindowVisible(form) != FALSE; }); }, intoTheTray},
        {"the tray menu", trayMenu, 'T', "Otevřít", dialogShown(kOpenTitle)},
        {"the tray menu", trayMenu, 'U', "Uložit", dialogShown(kSaveTitle)},
        {"the tray menu", trayMenu, 'P', "O programu", aboutShown},
        {"the quick button's menu", quickMenu, 'V', "Vytvořit zástupce na ploše",
            [&] { return WaitUntil([&] { return FileExists(shortcut); }) && DeleteFileA(shortcut.c_str()); }},
        {"the quick button's menu", quickMenu, 'S', "Smazat přiřazení",
            [&] {
                return WaitUntil(
                    [&] { return Text(FindControl(window.toolBar, 88, 2)) == QuickButtonName(0, "není přiřazeno"); });
            }},
        {"the quick button's menu", quickMenu, 'P', "Přiřadit DAT soubor", dialogShown(kOpenTitle)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.menu) + ", " + row.letter + ": " + row.item);
        if (row.before) {
            ASSERT_TRUE(row.before());
        }
        row.open();
        HWND menu = WaitForPopupMenu(program.Id());
        ASSERT_NE(menu, nullptr) << "the menu opens";
        Key(form, static_cast<WORD>(row.letter));
        EXPECT_TRUE(row.done()) << "the letter chose its item";
        if (IsWindowVisible(menu)) {
            Key(form, VK_ESCAPE);
            Key(form, VK_ESCAPE);
        }
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
    }

    // The items that end the program, each in a run of its own.
    const struct {
        const char* menu;
        std::function<void()> open;
        char letter;
        const char* item;
    } ends[] = {{"Soubor", fileMenu, 'Z', "Zavřít"}, {"the tray menu", trayMenu, 'K', "Ukončit"}};
    for (const auto& end : ends) {
        SCOPED_TRACE(std::string(end.menu) + ", " + end.letter + ": " + end.item);
        if (!program.Running()) {
            form = StartFilled();
            ASSERT_NE(form, nullptr);
        }
        end.open();
        ASSERT_NE(WaitForPopupMenu(program.Id()), nullptr) << "the menu opens";
        Key(form, static_cast<WORD>(end.letter));
        EXPECT_TRUE(program.WaitForExit(20s).has_value()) << "the letter ended the program";
    }
}

namespace {

// The colour scheme of the prefix, for the programs started while the holder
// lives; what it held before comes back afterwards.
class ColorScheme {
public:
    explicit ColorScheme(std::initializer_list<std::pair<const char*, const char*>> colors)
    {
        RegCreateKeyExA(
            HKEY_CURRENT_USER, "Control Panel\\Colors", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        for (const auto& [name, rgb] : colors) {
            char old[64] = {};
            DWORD size = sizeof old - 1;
            const bool had
                = RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
            saved_.push_back({name, had, old});
            RegSetValueExA(
                key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(rgb), static_cast<DWORD>(strlen(rgb) + 1));
        }
    }
    ~ColorScheme()
    {
        for (const Saved& value : saved_) {
            if (value.had)
                RegSetValueExA(key_, value.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.old.c_str()),
                    static_cast<DWORD>(value.old.size() + 1));
            else
                RegDeleteValueA(key_, value.name);
        }
        RegCloseKey(key_);
    }
    ColorScheme(const ColorScheme&) = delete;
    ColorScheme& operator=(const ColorScheme&) = delete;

private:
    struct Saved {
        const char* name;
        bool had;
        std::string old;
    };
    HKEY key_ = nullptr;
    std::vector<Saved> saved_;
};

// Text that reads with ease, and, on a background the design fixes (lime,
// the about box's picture) and so no scheme can make hard, the enhanced level.
constexpr double kReadable = 4.5, kEnhanced = 7.0;

// The control's text reads on its background once it has painted.
void ExpectReads(HWND control, const std::string& what, double minimum = kReadable)
{
    TextOnBackground shown{};
    const bool reads = WaitUntil(
        [&] {
            shown = FieldContrast(control);
            return shown.contrast >= minimum;
        },
        5s);
    EXPECT_TRUE(reads) << what << " is " << Hex(shown.text) << " on " << Hex(shown.background) << ", " << shown.contrast
                       << ":1, short of " << minimum << ":1";
}

// Every field's value against its background, as the screen shows it.
void ExpectFieldsRead(const MainWindow& window, const std::string& state)
{
    for (HWND field : {window.ip, window.mask, window.gateway, window.dns, window.dns2, window.connectionName,
             window.computerName, window.manual, window.automatic}) {
        if (Text(field).empty())
            continue;  // nothing to read
        const bool lime = window.Background(field) == kLime;
        ExpectReads(
            field, state + ": \"" + Text(field) + "\"" + (lime ? " on lime" : ""), lime ? kEnhanced : kReadable);
    }
}

// The colours a window shows.
std::set<COLORREF> ColoursOf(HWND window)
{
    const Pixels pixels(window);
    std::set<COLORREF> colours;
    for (int y = 0; y < pixels.Height(); ++y)
        for (int x = 0; x < pixels.Width(); ++x)
            colours.insert(pixels.At(x, y));
    return colours;
}

// The main window's 3-D captions, in the window and in the proxy's group.
std::vector<HWND> Captions(const MainWindow& window)
{
    std::vector<HWND> captions;
    for (HWND parent : {window.form, window.group})
        for (HWND child : Children(parent))
            if (ClassName(child) == "TmyLabel3d" && IsWindowVisible(child))
                captions.push_back(child);
    return captions;
}

// Each text of the about box against the picture behind it, in every row it
// covers: the picture's colour there is read just left of the text (its
// shades run from top to bottom), and the text's colour is the pixel that
// stands out most from it. What falls short, once the box has painted.
std::vector<std::string> AboutBoxShortfalls(HWND about)
{
    const Pixels box(about);
    std::vector<std::string> shortfalls;
    for (HWND label : Children(about)) {
        if (!IsWindowVisible(label))
            continue;
        const RECT at = RectIn(label, about);
        const int column = at.left - 2;
        const Pixels text(label);
        const auto pictureAt = [&](int y) { return box.At(column, std::min<int>(at.top + y, box.Height() - 1)); };
        COLORREF textColour = pictureAt(0);
        double most = 1.0;
        for (int y = 0; y < text.Height(); ++y) {
            for (int x = 0; x < text.Width(); ++x) {
                const double contrast = Contrast(text.At(x, y), pictureAt(y));
                if (contrast > most) {
                    most = contrast;
                    textColour = text.At(x, y);
                }
            }
        }
        double worst = 21.0;
        COLORREF worstBehind = pictureAt(0);
        for (int y = 0; y < text.Height(); ++y) {
            if (Contrast(textColour, pictureAt(y)) < worst) {
                worst = Contrast(textColour, pictureAt(y));
                worstBehind = pictureAt(y);
            }
        }
        if (worst < kEnhanced) {
            std::string shortfall = "\"";
            shortfall += Text(label) + "\" is " + Hex(textColour) + " on the picture's " + Hex(worstBehind) + ", "
                + std::to_string(worst) + ":1";
            shortfalls.push_back(shortfall);
        }
    }
    return shortfalls;
}

void ExpectAboutBoxReads(HWND about, const std::string& scheme)
{
    std::vector<std::string> shortfalls;
    WaitUntil(
        [&] {
            shortfalls = AboutBoxShortfalls(about);
            return shortfalls.empty();
        },
        5s);
    for (const std::string& shortfall : shortfalls)
        ADD_FAILURE() << scheme << ": the about box's " << shortfall << ", short of " << kEnhanced << ":1";
}

}  // namespace

// Text reads on its background in the default colours, in dark schemes with a
// grey text of any shade, and under high contrast, whose highlight then marks
// the current state; the 3-D captions go flat there and in a dark scheme,
// and the about box's texts stand on the scheme's window colour. On what no
// scheme changes, lime and the about box's picture, text reads at the
// enhanced level in every scheme.
TEST_F(TamarkoTest, TextReadsInEverySchemeAndUnderHighContrast)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    const struct {
        const char* what;
        const char* grey;
    } darkSchemes[] = {{"the default colours", nullptr}, {"dark, grey text 64", "64 64 64"},
        {"dark, grey text 128", "128 128 128"}, {"dark, grey text 200", "200 200 200"}};
    for (const auto& scheme : darkSchemes) {
        SCOPED_TRACE(scheme.what);
        std::unique_ptr<ColorScheme> colors;
        if (scheme.grey)
            colors = std::make_unique<ColorScheme>(std::initializer_list<std::pair<const char*, const char*>>{
                {"Window", "0 0 0"}, {"WindowText", "255 255 255"}, {"ButtonFace", "32 32 32"},
                {"ButtonText", "255 255 255"}, {"GrayText", scheme.grey}});
        HWND form = StartFilled();
        ASSERT_NE(form, nullptr);
        const MainWindow window(form);
        ASSERT_TRUE(window.PaintedIn(window.ip, kLime));
        ExpectFieldsRead(window, std::string(scheme.what) + ", the current state, manual");
        // Shades engrave dark text on a light face; one pixel off a light
        // stroke on a dark face they smear it, so there the captions are flat.
        for (HWND caption : Captions(window)) {
            if (scheme.grey)
                EXPECT_TRUE(WaitUntil([&] { return ColoursOf(caption).size() == 2; }, 5s))
                    << "\"" << Text(caption) << "\" shows only its face and its text, not " << ColoursOf(caption).size()
                    << " colours";
            else
                EXPECT_GE(ColoursOf(caption).size(), 3u) << "\"" << Text(caption) << "\" keeps its shades";
        }
        // The about box's picture is the same in every scheme, and so is how
        // well its texts read on it.
        PostCommand(form, cmAbout);
        HWND about = WaitForTopWindow(program.Id(), "TAutor");
        ASSERT_NE(about, nullptr);
        ASSERT_TRUE(Responds(about));
        ExpectAboutBoxReads(about, scheme.what);
        PostMessageA(about, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about) || !IsWindowVisible(about); }));
        SetField(window.mask, "255.255.0.0");
        ASSERT_TRUE(WaitUntil([&] { return window.Background(window.mask) != kLime; }));
        if (scheme.grey) {
            ASSERT_EQ(window.Background(window.mask), RGB(0, 0, 0)) << "the scheme is the program's";
        }
        PostMessageA(window.automatic, BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !Enabled(window.ip); }));
        ASSERT_TRUE(Responds(form));
        ExpectFieldsRead(window, std::string(scheme.what) + ", automatic: the fields disabled, one differing");
        CloseAndWait(form);
    }

    // High contrast, switched on while the program runs.
    const std::string switchFile = folder.File("high-contrast-on");
    HWND form = Start("", {{"TAMARKO_RECORDER_HIGHCONTRAST", switchFile}});
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend; }));
    ASSERT_TRUE(window.PaintedIn(window.ip, kLime));
    HWND caption = FindControl(form, 8, 120);
    const auto hasWhite = [&] {
        const Pixels pixels(caption);
        for (int y = 0; y < pixels.Height(); ++y)
            for (int x = 0; x < pixels.Width(); ++x)
                if (pixels.At(x, y) == RGB(255, 255, 255))
                    return true;
        return false;
    };
    EXPECT_TRUE(hasWhite()) << "the caption's white shade, before";
    WriteFileBytes(switchFile, "");
    Step("high contrast switched on");
    SendMessageA(form, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    EXPECT_TRUE(window.PaintedIn(window.ip, GetSysColor(COLOR_HIGHLIGHT))) << "the current state in the highlight";
    EXPECT_TRUE(WaitUntil([&] { return !hasWhite(); })) << "the caption flat";
    ExpectFieldsRead(window, "high contrast");
    PostCommand(form, cmAbout);
    HWND about = WaitForTopWindow(program.Id(), "TAutor");
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(Responds(about));
    EXPECT_TRUE(WaitUntil([&] { return PixelAt(about, 445, 5) == GetSysColor(COLOR_WINDOW); }))
        << "the about box's texts on the window colour";
    ExpectReads(FindControl(about, 8, 16), "the about box's heading");
    PostMessageA(about, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about) || !IsWindowVisible(about); }));
    CloseAndWait(form);
}

namespace {

// The prefix's screen DPI for the programs started while the holder lives.
class ScreenDpi {
public:
    explicit ScreenDpi(DWORD pixelsPerInch)
    {
        RegCreateKeyExA(
            HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        DWORD size = sizeof old_;
        had_ = RegQueryValueExA(key_, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size)
            == ERROR_SUCCESS;
        RegSetValueExA(
            key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&pixelsPerInch), sizeof pixelsPerInch);
    }
    ~ScreenDpi()
    {
        if (had_)
            RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
        else
            RegDeleteValueA(key_, "LogPixels");
        RegCloseKey(key_);
    }
    ScreenDpi(const ScreenDpi&) = delete;
    ScreenDpi& operator=(const ScreenDpi&) = delete;

private:
    HKEY key_ = nullptr;
    DWORD old_ = 0;
    bool had_ = false;
};

// Another system's Times New Roman for the programs started while the
// holder lives: Wine draws the font with the one named in its replacements.
// Liberation Sans measures up to a tenth wider than the metric twin the
// prefix uses, as fonts of other systems do; that is enough to make the
// design's captions reach their fields.
class WiderTimes {
public:
    static constexpr const char* kFace = "Liberation Sans";
    WiderTimes()
    {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Fonts\\Replacements", 0, nullptr, 0, KEY_ALL_ACCESS,
            nullptr, &key_, nullptr);
        char old[64] = {};
        DWORD size = sizeof old - 1;
        had_ = RegQueryValueExA(key_, "Times New Roman", nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size)
            == ERROR_SUCCESS;
        old_ = old;
        RegSetValueExA(key_, "Times New Roman", 0, REG_SZ, reinterpret_cast<const BYTE*>(kFace),
            static_cast<DWORD>(strlen(kFace) + 1));
    }
    ~WiderTimes()
    {
        if (had_)
            RegSetValueExA(key_, "Times New Roman", 0, REG_SZ, reinterpret_cast<const BYTE*>(old_.c_str()),
                static_cast<DWORD>(old_.size() + 1));
        else
            RegDeleteValueA(key_, "Times New Roman");
        RegCloseKey(key_);
    }
    WiderTimes(const WiderTimes&) = delete;
    WiderTimes& operator=(const WiderTimes&) = delete;

private:
    HKEY key_ = nullptr;
    bool had_ = false;
    std::string old_;
};

// A control of a design at 96 DPI, and how its text is drawn.
struct Designed {
    const char* what;
    int left, top, width, height;
    const char* face;  // nullptr: no text of its own to fit
    int fontHeight;
    bool bold;
    int lead;  // pixels before the text at 96 DPI: a radio button's circle and gap
};

const Designed kMainDesign[] = {
    {"computer name caption", 8, 48, 120, 15, "Times New Roman", 12, true, 0},
    {"connection caption", 8, 72, 135, 15, "Times New Roman", 12, true, 0},
    {"mode caption", 8, 96, 52, 15, "Times New Roman", 12, true, 0},
    {"manual", 152, 91, 56, 17, "Times New Roman", 12, false, 17},  // ends where "automatic" begins
    {"automatic", 208, 91, 81, 17, "Times New Roman", 12, false, 17},
    {"IP caption", 8, 120, 52, 15, "Times New Roman", 12, true, 0},
    {"IP address", 152, 112, 137, 23, nullptr, 0, false, 0},
    {"mask caption", 8, 144, 79, 15, "Times New Roman", 12, true, 0},
    {"gateway caption", 8, 168, 36, 15, "Times New Roman", 12, true, 0},
    {"DNS caption", 8, 192, 68, 15, "Times New Roman", 12, true, 0},
    {"alternate DNS caption", 8, 216, 118, 15, "Times New Roman", 12, true, 0},
    {"alternate DNS", 152, 208, 137, 23, nullptr, 0, false, 0},
    {"proxy group", 8, 240, 281, 97, "Times New Roman", 12, false, 12},
    {"apply button", 8, 344, 281, 25, "Times New Roman", 12, true, 4},
    {"status bar", 0, 376, 300, 19, nullptr, 0, false, 0},
    {"tool bar", 0, 0, 300, 30, nullptr, 0, false, 0},
};
const Designed kChooserDesign[] = {
    {"prompt", 40, 8, 261, 16, "Tahoma", 13, false, 0},
    {"list", 0, 32, 361, 97, nullptr, 0, false, 0},
    {"OK", 144, 140, 81, 25, "Tahoma", 11, false, 4},
};

int AtDpi(int pixels, int dpi)
{
    return MulDiv(pixels, dpi, 96);
}

// The face the program's text is drawn in: this process read the prefix's
// replacements when it started, so a face replaced since is named as such.
const char* FaceDrawn(const char* face, bool widerTimes)
{
    return widerTimes && std::strcmp(face, "Times New Roman") == 0 ? WiderTimes::kFace : face;
}

// The width of a text, or the height of its lines, as the program draws it.
SIZE TextExtent(const char* face, int height, bool bold, const std::string& text)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontA(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, EASTEUROPE_CHARSET,
        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return extent;
}

int TextWidth(const Designed& design, const std::string& text, int dpi, bool widerTimes = false)
{
    return TextExtent(FaceDrawn(design.face, widerTimes), AtDpi(design.fontHeight, dpi), design.bold, text).cx;
}

// Each control of the design where the design puts it at that DPI (±1), its
// text within it, and it within its window.
void ExpectGrown(HWND parent, const Designed* design, std::size_t count, int dpi)
{
    const RECT client = ClientRect(parent);
    for (std::size_t i = 0; i < count; ++i) {
        const Designed& d = design[i];
        const RECT expected{
            AtDpi(d.left, dpi), AtDpi(d.top, dpi), AtDpi(d.left + d.width, dpi), AtDpi(d.top + d.height, dpi)};
        HWND found = nullptr;
        for (HWND child : Children(parent)) {
            const RECT at = RectIn(child, parent);
            if (std::abs(at.left - expected.left) <= 1 && std::abs(at.top - expected.top) <= 1
                && IsWindowVisible(child))
                found = child;
        }
        ASSERT_NE(found, nullptr) << d.what << " at " << expected.left << "," << expected.top;
        const RECT at = RectIn(found, parent);
        // A caption grows to its text where the design's width is short of it.
        const int width = d.face && d.lead == 0
            ? std::max<int>(expected.right - expected.left, TextWidth(d, Text(found), dpi))
            : expected.right - expected.left;
        EXPECT_NEAR(at.right - at.left, width, 1) << d.what;
        EXPECT_NEAR(at.bottom - at.top, expected.bottom - expected.top, 1) << d.what;
        EXPECT_TRUE(at.left >= 0 && at.top >= 0 && at.right <= client.right && at.bottom <= client.bottom)
            << d.what << " within its window";
        if (d.face) {
            EXPECT_LE(AtDpi(d.lead, dpi) + TextWidth(d, Text(found), dpi), at.right - at.left)
                << d.what << ": \"" << Text(found) << "\" fits";
        }
    }
}

// How a control of the main window shows its text: in which font, after
// what (a radio button's circle and gap), whether centred; by its kind.
struct TextLook {
    bool shown;  // false: no text of its own to fit (an edit holds the user's)
    bool bold;
    int lead;
    bool centred;
};
TextLook LookOf(HWND control)
{
    const std::string kind = ClassName(control);
    if (kind == "TmyLabel3d")
        return {true, true, 0, false};  // the captions
    if (kind == "TLabel")
        return {true, false, 0, false};  // the values beside them
    if (kind == "msctls_statusbar32")
        return {true, false, 4, false};
    if (lstrcmpiA(kind.c_str(), "Button") != 0)
        return {false, false, 0, false};
    switch (Style(control) & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        return {true, true, 4, true};
    case BS_GROUPBOX:
        return {true, false, 12, false};
    case BS_OWNERDRAW:
        return {false, false, 0, false};  // the tool bar's images
    default:
        return {true, false, 17, false};  // a radio button or check box
    }
}

// No text of the main window is cut or covered: each fits its control, no
// caption reaches a control beside it (the one it names), every control lies
// within its window, measured from the controls' rectangles and the texts'
// extents in the font the program draws them in.
void ExpectNothingCoveredOrCut(HWND form, HWND group, int dpi, bool widerTimes)
{
    for (HWND parent : {form, group}) {
        const RECT client = ClientRect(parent);
        const std::vector<HWND> children = Children(parent);
        for (HWND control : children) {
            if (!IsWindowVisible(control))
                continue;
            const RECT at = RectIn(control, parent);
            EXPECT_TRUE(at.left >= 0 && at.top >= 0 && at.right <= client.right && at.bottom <= client.bottom)
                << ClassName(control) << " \"" << Text(control) << "\" within its window";
            const TextLook look = LookOf(control);
            const std::string text = Text(control);
            if (!look.shown || text.empty())
                continue;
            const int width = TextExtent(FaceDrawn("Times New Roman", widerTimes), AtDpi(12, dpi), look.bold, text).cx;
            const int lead = AtDpi(look.lead, dpi);
            EXPECT_LE(lead + width + (look.centred ? lead : 0), at.right - at.left)
                << "\"" << text << "\" fits its control";
            if ((Style(control) & BS_TYPEMASK) == BS_GROUPBOX && lstrcmpiA(ClassName(control).c_str(), "Button") == 0)
                continue;  // its text is its frame's title, above what it holds
            RECT shown = at;
            shown.left = look.centred ? (at.left + at.right - width) / 2 : at.left + lead;
            shown.right = shown.left + width;
            for (HWND other : children) {
                const RECT beside = RectIn(other, parent);
                RECT both;
                if (other != control && IsWindowVisible(other) && IntersectRect(&both, &shown, &beside))
                    ADD_FAILURE() << "\"" << text << "\" (" << shown.left << " to " << shown.right << ") reaches "
                                  << ClassName(other) << " \"" << Text(other) << "\" (" << beside.left << " to "
                                  << beside.right << ")";
            }
        }
    }
}

// The tool bar's images grow with the rest: each quick button's image (its
// drawing 14 pixels of 16 at 96 DPI) fills as much of the button as it does
// at 96 DPI.
void ExpectToolBarImagesGrown(HWND toolBar, int dpi)
{
    for (int slot = 0; slot < 5; ++slot) {
        HWND button = FindControl(toolBar, AtDpi(88 + 24 * slot, dpi), AtDpi(2, dpi));
        ASSERT_NE(button, nullptr) << "quick button " << slot + 1;
        const Pixels pixels(button);
        const COLORREF face = pixels.At(0, 0);
        RECT image{pixels.Width(), pixels.Height(), 0, 0};
        for (int y = 0; y < pixels.Height(); ++y) {
            for (int x = 0; x < pixels.Width(); ++x) {
                if (pixels.At(x, y) != face) {
                    image = {std::min<LONG>(image.left, x), std::min<LONG>(image.top, y),
                        std::max<LONG>(image.right, x + 1), std::max<LONG>(image.bottom, y + 1)};
                }
            }
        }
        EXPECT_GE(image.right - image.left, AtDpi(14, dpi) - 1) << "quick button " << slot + 1 << "'s image";
        EXPECT_GE(image.bottom - image.top, AtDpi(14, dpi) - 1) << "quick button " << slot + 1 << "'s image";
    }
}

// The about box grows as the main window does: its size, each text where
// the design puts it (with the design's font), none reaching the box's
// edge; its texts read on the picture grown with it as they do at 96 DPI.
void ExpectAboutBoxGrown(HWND form, int dpi, bool widerTimes)
{
    PostCommand(form, cmAbout);
    DWORD processId = 0;
    GetWindowThreadProcessId(form, &processId);
    HWND about = WaitForTopWindow(processId, "TAutor");
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(Responds(about));
    const RECT client = ClientRect(about);
    EXPECT_EQ(client.right, AtDpi(450, dpi)) << "the about box";
    EXPECT_EQ(client.bottom, AtDpi(338, dpi)) << "the about box";
    const POINT texts[] = {{8, 16}, {8, 50}, {8, 108}, {8, 208}, {8, 226}, {8, 240}, {296, 226}, {296, 240},
        {8, 266}, {56, 304}, {304, 304}};
    // Where the design's place would take a text to the edge, it ends
    // short of the edge instead.
    const auto placedAsDesigned = [&](POINT designed) {
        for (HWND text : Children(about)) {
            const RECT at = RectIn(text, about);
            if (at.top == AtDpi(designed.y, dpi)
                && (at.left == AtDpi(designed.x, dpi)
                    || (at.left < AtDpi(designed.x, dpi) && at.right == client.right - AtDpi(8, dpi))))
                return true;
        }
        return false;
    };
    for (const POINT& at : texts) {
        if (!widerTimes)
            EXPECT_TRUE(placedAsDesigned(at)) << "the about box's text designed at " << at.x << "," << at.y;
    }
    for (HWND text : Children(about)) {
        const RECT at = RectIn(text, about);
        EXPECT_LE(at.right, client.right - AtDpi(4, dpi)) << "\"" << Text(text) << "\" clear of the box's edge";
    }
    ExpectAboutBoxReads(about, std::to_string(dpi) + " DPI");
    PostMessageA(about, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about) || !IsWindowVisible(about); }));
}

}  // namespace

// At 96, 120 and 144 DPI the main window, the chooser and the about box
// grow with the screen, their fonts and images too, and nothing is cut or
// covered: not by the design, nor by a size the INI file kept at 96 DPI, nor
// by a font that measures wider than the design's. With the prefix's metric twin of the
// design's font every control stands where the design puts it.
TEST_F(TamarkoTest, TheWindowsGrowWithTheScreensDpi)
{
    folder.WriteNetsimState(NetsimState({kLan, DhcpConnection("WLAN")}));
    const struct {
        int dpi;
        bool widerTimes;
    } screens[] = {{96, false}, {120, false}, {144, false}, {96, true}, {120, true}, {144, true}};
    for (const auto& [dpi, widerTimes] : screens) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI" + (widerTimes ? ", a wider Times New Roman" : ""));
        // At more DPI, the size the INI file kept at 96 DPI.
        WriteFileBytes(
            folder.IniPath(), dpi == 96 ? "" : "[Nastavení]\r\nLeft=100\r\nTop=100\r\nHeight=450\r\nWidth=306\r\n");
        const ScreenDpi screen(dpi);
        std::unique_ptr<WiderTimes> wider;
        if (widerTimes)
            wider = std::make_unique<WiderTimes>();
        HWND form = Start();
        ASSERT_NE(form, nullptr);
        HWND chooser = WaitForTopWindow(program.Id(), "TForm2");
        ASSERT_NE(chooser, nullptr);
        ASSERT_TRUE(WaitUntil(
            [&] { return Enabled(chooser) && Text(FindControl(chooser, AtDpi(40, dpi), AtDpi(8, dpi))) == kPrompt; }));
        const RECT chooserClient = ClientRect(chooser);
        EXPECT_EQ(chooserClient.right, AtDpi(363, dpi));
        EXPECT_EQ(chooserClient.bottom, AtDpi(173, dpi));
        ExpectGrown(chooser, kChooserDesign, std::size(kChooserDesign), dpi);
        HWND list = FindControl(chooser, 0, AtDpi(32, dpi));
        // Its rows are as high as the lines of the text they show: no
        // descender is cut.
        EXPECT_GE(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), TextExtent("Tahoma", AtDpi(11, dpi), false, "Ag").cy)
            << "the chooser's rows";
        PostMessageA(list, LB_SETCURSEL, 0, 0);
        PostMessageA(
            chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));
        HWND statusBar = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            statusBar = FindControl(form, 0, AtDpi(376, dpi));
            return statusBar && Text(statusBar) == kStateLegend;
        }));

        const RECT client = ClientRect(form);
        EXPECT_EQ(client.right, AtDpi(300, dpi)) << "the size kept at 96 DPI does not cut the window";
        EXPECT_EQ(client.bottom, AtDpi(395, dpi));
        if (!widerTimes)
            ExpectGrown(form, kMainDesign, std::size(kMainDesign), dpi);
        HWND group = FindControl(form, AtDpi(8, dpi), AtDpi(240, dpi));
        HWND toolBar = FindControl(form, 0, 0);
        ASSERT_NE(group, nullptr);
        ASSERT_NE(toolBar, nullptr);
        ExpectNothingCoveredOrCut(form, group, dpi, widerTimes);
        ExpectToolBarImagesGrown(toolBar, dpi);
        ExpectAboutBoxGrown(form, dpi, widerTimes);
        CloseAndWait(form);
    }
}

// At a large DPI on a small screen, and from a stored place near the
// screen's edge, the window comes up whole on the work area, moved up and
// left the least it must; one larger than the work area has its top left
// corner on it. The chooser centred over it stays on the work area too.
TEST_F(TamarkoTest, TheWindowComesUpWholeOnTheWorkArea)
{
    folder.WriteNetsimState(NetsimState({kLan, DhcpConnection("WLAN")}));
    // Wine gives a process started after a change of DPI the whole screen
    // as its work area, the taskbar its desktop draws left in it, while this
    // process keeps the work area it first learnt: the window is held to
    // the screen, and to the work area where the two agree.
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const RECT wholeScreen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const LONG storedLeft = work.right - 150, storedTop = work.bottom - 200;
    const struct {
        const char* what;
        int dpi;
        std::string stored;
        LONG left, top;  // where it was asked to go
    } cases[] = {
        {"168 DPI, the design's place", 168, "", 100, 100},
        {"192 DPI, the design's place", 192, "", 100, 100},
        {"96 DPI, stored near the bottom right corner", 96,
            "[Nastavení]\r\nLeft=" + std::to_string(storedLeft) + "\r\nTop=" + std::to_string(storedTop) + "\r\n",
            storedLeft, storedTop},
    };
    // Whole within the work area where it fits, its start on it where not.
    const auto expectOnWorkArea = [&](HWND shown, const std::string& what) {
        RECT at;
        GetWindowRect(shown, &at);
        const std::string where = what + " at " + std::to_string(at.left) + "," + std::to_string(at.top) + " - "
            + std::to_string(at.right) + "," + std::to_string(at.bottom) + ", the work area "
            + std::to_string(work.left) + "," + std::to_string(work.top) + " - " + std::to_string(work.right) + ","
            + std::to_string(work.bottom);
        const auto keptOn = [&](const RECT& area) {
            const bool across = at.right - at.left <= area.right - area.left
                ? at.left >= area.left && at.right <= area.right
                : at.left == area.left;
            const bool down = at.bottom - at.top <= area.bottom - area.top ? at.top >= area.top && at.bottom <= area.bottom
                                                                           : at.top == area.top;
            return across && down;
        };
        EXPECT_TRUE(keptOn(work) || keptOn(wholeScreen)) << where;
        return at;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileBytes(folder.IniPath(), c.stored);
        const ScreenDpi screen(static_cast<DWORD>(c.dpi));
        HWND form = Start();
        ASSERT_NE(form, nullptr);
        HWND chooser = WaitForTopWindow(program.Id(), "TForm2");
        ASSERT_NE(chooser, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return Enabled(chooser); }));
        const RECT placed = expectOnWorkArea(form, "the main window");
        EXPECT_TRUE(placed.left <= c.left && placed.top <= c.top) << "moved up and left only";
        EXPECT_TRUE(placed.left == c.left || placed.right == work.right || placed.right == wholeScreen.right)
            << "moved the least it must";
        EXPECT_TRUE(placed.top == c.top || placed.bottom == work.bottom || placed.bottom == wholeScreen.bottom
            || placed.top == work.top)
            << "moved the least it must";
        expectOnWorkArea(chooser, "the chooser");
        HWND list = FindControl(chooser, 0, AtDpi(32, c.dpi));
        PostMessageA(list, LB_SETCURSEL, 0, 0);
        PostMessageA(
            chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));
        ASSERT_TRUE(WaitUntil([&] { return Enabled(form); }));
        CloseAndWait(form);
    }
}
