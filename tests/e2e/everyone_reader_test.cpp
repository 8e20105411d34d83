// A screen reader names every field by Windows' own rule, learns what the
// colours show, and hears what an apply does.
#include "tests/e2e/everyone.h"

#include <oleacc.h>

using namespace e2e;
using namespace everyone;

namespace {

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
    const common::ComApartment com;

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

// What a screen reader hears of one window: the events that say its name (or
// its description) changed, each read as it arrives, as a reader reads it.
class AccessibleChanges {
public:
    AccessibleChanges(DWORD processId, HWND window, DWORD event = EVENT_OBJECT_NAMECHANGE)
        : window_(window)
        , event_(event)
    {
        listening_ = this;
        hook_ = SetWinEventHook(event, event, nullptr, Arrived, processId, 0, WINEVENT_OUTOFCONTEXT);
    }
    ~AccessibleChanges()
    {
        if (hook_)
            UnhookWinEvent(hook_);
        listening_ = nullptr;
    }
    AccessibleChanges(const AccessibleChanges&) = delete;
    AccessibleChanges& operator=(const AccessibleChanges&) = delete;

    bool Listening() const { return hook_ != nullptr; }
    // What was heard so far; the events that came meanwhile are taken first.
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
        BSTR text = nullptr;
        const HRESULT read = listening_->event_ == EVENT_OBJECT_DESCRIPTIONCHANGE
            ? accessible->get_accDescription(which, &text)
            : accessible->get_accName(which, &text);
        listening_->heard_.push_back(read == S_OK ? FromBstr(text) : "(nothing)");
        VariantClear(&which);
        accessible->Release();
    }

    static inline AccessibleChanges* listening_ = nullptr;
    HWND window_;
    DWORD event_;
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
    const common::ComApartment com;
    AccessibleChanges statusBar(program.Id(), window.statusBar);
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

// The lime's meaning changes for a reader as it changes on screen: one event
// when a field stops holding the current state, none while it goes on
// differing, one when it holds it again.
TEST_F(TamarkoTest, AScreenReaderHearsOnceEachTimeAFieldsStateChanges)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    const common::ComApartment com;
    AccessibleChanges mask(program.Id(), window.mask, EVENT_OBJECT_DESCRIPTIONCHANGE);
    ASSERT_TRUE(mask.Listening());
    const std::string asRead = Text(window.mask);
    const std::vector<std::pair<std::string, std::vector<std::string>>> steps = {
        {"255.255.0.0", {"liší se od aktuálního stavu"}},
        {"255.0.0.0", {"liší se od aktuálního stavu"}},
        {asRead, {"liší se od aktuálního stavu", "aktuální stav"}},
    };
    for (const auto& [text, heard] : steps) {
        SetField(window.mask, text);
        EXPECT_TRUE(WaitUntil([&] { return mask.Heard().size() >= heard.size(); })) << text;
        EXPECT_TRUE(NoMessageBoxFor(program.Id(), 200ms));
        EXPECT_EQ(mask.Heard(), heard) << "after " << text;
    }
    CloseAndWait(form);
}
