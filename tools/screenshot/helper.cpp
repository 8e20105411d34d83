// Lets tools/screenshot.sh find and steer Tamarko's windows under Wine: the
// windows are drawn inside Wine's virtual desktop, so X knows nothing of
// them and only a Windows program can tell where they are.
//   screenshot_helper wait CLASS [TEXT]  waits until a window of CLASS shows (and a
//                                        control of it shows TEXT), then prints
//                                        "left top width height clientWidth clientHeight"
//   screenshot_helper choose CLASS N     selects item N of the window's list box, presses OK
//   screenshot_helper about | close      the main window's menu commands
//   screenshot_helper gone               waits until the main window is gone
#include "ui/commands.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const DWORD kTimeoutMs = 30000;

struct Search {
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<Search*>(data);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, search->className) == 0 && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindTopWindow(const char* className)
{
    Search search{className, nullptr};
    EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// WM_GETTEXT, which unlike GetWindowText reads a control of another process.
std::string Text(HWND window)
{
    char text[512] = {};
    DWORD_PTR ignored;
    SendMessageTimeoutA(
        window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &ignored);
    return text;
}

struct TextSearch {
    const char* text;
    bool found;
};

BOOL CALLBACK MatchText(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<TextSearch*>(data);
    search->found = Text(window) == search->text;
    return !search->found;
}

bool ShowsText(HWND window, const char* text)
{
    TextSearch search{text, false};
    EnumChildWindows(window, MatchText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Returns once the window's thread has handled what was sent before, and
// leaves it time to paint.
void WaitUntilSettled(HWND window)
{
    DWORD_PTR ignored;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    Sleep(700);
}

HWND WaitFor(const char* className, const char* text)
{
    for (DWORD waited = 0; waited < kTimeoutMs; waited += 100) {
        HWND window = FindTopWindow(className);
        if (window && (!text || ShowsText(window, text))) {
            WaitUntilSettled(window);
            return window;
        }
        Sleep(100);
    }
    std::fprintf(stderr, "screenshot_helper: no window %s%s%s\n", className, text ? " showing " : "", text ? text : "");
    std::exit(1);
}

struct ChildSearch {
    const char* className;
    LONG style;  // bits that must be set
    HWND found;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<ChildSearch*>(data);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, search->className) != 0
        || (GetWindowLongA(window, GWL_STYLE) & search->style) != search->style)
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindChild(HWND parent, const char* className, LONG style = 0)
{
    ChildSearch search{className, style, nullptr};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int Choose(const char* className, int item)
{
    HWND form = WaitFor(className, nullptr);
    HWND list = FindChild(form, "ListBox");
    HWND ok = FindChild(form, "Button", BS_DEFPUSHBUTTON);
    if (!list || !ok || SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(item), 0) == LB_ERR) {
        std::fprintf(stderr, "screenshot_helper: %s has no item %d or no default button\n", className, item);
        return 1;
    }
    PostMessageA(ok, BM_CLICK, 0, 0);
    for (DWORD waited = 0; waited < kTimeoutMs; waited += 100) {
        if (!IsWindow(form) || !IsWindowVisible(form))
            return 0;
        Sleep(100);
    }
    std::fprintf(stderr, "screenshot_helper: %s stayed open\n", className);
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    // A resting pointer could raise a tool tip over a window being taken.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, 0);
    const std::string verb = argc > 1 ? argv[1] : "";
    if (verb == "wait" && (argc == 3 || argc == 4)) {
        HWND window = WaitFor(argv[2], argc == 4 ? argv[3] : nullptr);
        RECT outer, client;
        GetWindowRect(window, &outer);
        GetClientRect(window, &client);
        std::printf("%ld %ld %ld %ld %ld %ld\n", outer.left, outer.top, outer.right - outer.left,
            outer.bottom - outer.top, client.right, client.bottom);
        return 0;
    }
    if (verb == "choose" && argc == 4)
        return Choose(argv[2], std::atoi(argv[3]));
    if ((verb == "about" || verb == "close") && argc == 2) {
        HWND form = WaitFor("TForm1", nullptr);
        PostMessageA(form, WM_COMMAND, verb == "about" ? cmAbout : cmClose, 0);
        return 0;
    }
    if (verb == "gone" && argc == 2) {
        for (DWORD waited = 0; waited < kTimeoutMs; waited += 100) {
            if (!FindTopWindow("TForm1"))
                return 0;
            Sleep(100);
        }
        std::fprintf(stderr, "screenshot_helper: the main window stayed\n");
        return 1;
    }
    std::fprintf(stderr, "usage: screenshot_helper wait CLASS [TEXT] | choose CLASS N | about | close | gone\n");
    return 2;
}
