// Drives the real program under Wine the way a user would: starts it from a
// fresh copy of its folder, finds its windows and controls, reads what they
// show, answers its message boxes, types and clicks.
#pragma once

#include "tests/support/wait_until.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;
using Duration = std::chrono::milliseconds;

// Windows path of the build tree that holds tamarko.exe and the stand-ins.
std::string ShipDir();

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// Removes a folder with everything in it, as far as it can.
void RemoveTree(const std::string& path);
// The names of the files that match a pattern ("C:\\folder\\*.log"), sorted.
std::vector<std::string> FileNames(const std::string& pattern);
// UTF-8 text as the program's code page (1250) and back.
std::string Utf8ToAnsi(const std::string& utf8);
std::string AnsiToUtf8(const std::string& ansi);
// The program's code page and wide characters; what 1250 lacks becomes "?".
std::wstring AnsiToWide(const std::string& ansi);
std::string WideToAnsi(const std::wstring& wide);

// Ends the processes of that name started from the end-to-end tests' folders.
void KillProcessesNamed(const std::string& exeName);

// A fresh copy of the program's folder for one test: tamarko.exe,
// netsh.exe and ipconfig.exe.
class ProgramFolder {
public:
    explicit ProgramFolder(const std::string& testName);
    // Ends whatever the test left running, also when an assertion cut it
    // short: a stand-in told to hang would otherwise outlive the test run.
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    std::string IniPath() const { return File("tamarko.ini"); }
    // The stand-ins' machine state (UTF-8 text) and their journal of command
    // lines (converted to the program's code page).
    void WriteNetsimState(const std::string& utf8State) const;
    std::vector<std::string> Journal() const;
    void ClearJournal() const;
    // Lets one run of the stand-ins through their gate (the state's
    // "gate = netsim-gate" hook).
    void OpenGate() const;

private:
    std::string path_;
};

// The journal of the stand-ins in a folder, one command line a line.
std::vector<std::string> NetsimJournal(const std::string& folder);

// Whether a process runs with the verifier's recorder in it.
enum class Recording { Off, On };
// The rights it runs with: the test's own, or a token whose Administrators
// group may only deny access, as "Run as" with the computer protected gives.
enum class Rights { Own, AdministratorsDenyOnly };

class Process {
public:
    Process() = default;
    // Starts `exe` with `arguments` in `folder`; `environment` adds or replaces variables.
    Process(const std::string& exe, const std::string& arguments, const std::string& folder,
        const std::map<std::string, std::string>& environment = {}, Recording recording = Recording::Off,
        Rights rights = Rights::Own);
    // Started by its wide name (a folder whose name the code page lacks),
    // with the recorder in it.
    Process(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder);
    ~Process();
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD Id() const { return id_; }
    bool Running() const;
    // The exit code, or nothing when it did not end in time.
    std::optional<DWORD> WaitForExit(Duration timeout = 20s) const;
    void Kill();

private:
    static HANDLE AdministratorsDenyOnlyToken();
    void Started(const PROCESS_INFORMATION& process, Recording recording);
    HANDLE handle_ = nullptr;
    DWORD id_ = 0;
};

// Tamarko started from a program folder, with the recorder in it.
Process StartTamarko(const ProgramFolder& folder, const std::string& arguments = "",
    const std::map<std::string, std::string>& environment = {}, Rights rights = Rights::Own);

// Top-level windows of a process by class (and caption when given).
HWND FindTopWindow(
    DWORD processId, const std::string& className, const std::string& caption = {}, bool visibleOnly = true);
HWND WaitForTopWindow(
    DWORD processId, const std::string& className, const std::string& caption = {}, Duration timeout = 20s);
// The classes of the process's visible top-level windows.
std::set<std::string> VisibleTopWindowClasses(DWORD processId);
// Waits for the process to end, watching meanwhile; the classes of the
// visible top-level windows it showed until then ("#32770" for a message
// box). Nothing when it did not end in time.
std::optional<std::set<std::string>> WindowsShownUntilExit(const Process& process, Duration timeout = 20s);

std::string ClassName(HWND window);
std::string Text(HWND window);  // WM_GETTEXT, which works across processes
bool Enabled(HWND window);
bool Visible(HWND window);
bool Checked(HWND button);  // BM_GETCHECK
// The control with the keyboard focus in the thread of `window`, or null.
HWND FocusOf(HWND window);
LONG Style(HWND window);
RECT ClientRect(HWND window);
// A window's rectangle in the client coordinates of `reference`.
RECT RectIn(HWND window, HWND reference);
// The descendant of `parent` whose rectangle, in `parent`'s client
// coordinates, starts at left/top (and has the size, when given).
HWND FindControl(HWND parent, int left, int top, int width = -1, int height = -1);
// The smallest child of `parent` whose rectangle holds the point (`parent`'s
// client coordinates): a control found by where it surely is, whatever room
// a wider font took from its left.
HWND ControlAt(HWND parent, int x, int y);
std::vector<HWND> Children(HWND parent);  // direct children, in Z order

// The colour on screen at a point of a window's client area.
COLORREF PixelAt(HWND window, int x, int y);

std::vector<std::string> ListItems(HWND listBox);
int ListSelection(HWND listBox);

// Message boxes: a dialog of the process with its static text.
struct MessageBoxInfo {
    HWND window = nullptr;
    std::string caption;
    std::string text;
};
std::optional<MessageBoxInfo> WaitForMessageBox(DWORD processId, Duration timeout = 20s);
// The message of a box: its longest static text (the icon is a static too).
std::string MessageBoxText(HWND box);
bool NoMessageBoxFor(DWORD processId, Duration period);
void PressButton(HWND dialog, int id = IDOK);

// Whether the window has handled everything sent to it so far, waiting long
// enough for a slow load.
bool Responds(HWND window, Duration timeout = 30s);
// Sets a field's text the way typing does: the edit reports the change.
void SetField(HWND edit, const std::string& text);

// Input, as a user gives it.
void BringToFront(HWND window);
void Click(HWND window, int x, int y, bool right = false);
void DoubleClick(HWND window, int x, int y);
void MoveMouse(HWND window, int x, int y);
void PressKey(WORD key, std::initializer_list<WORD> modifiers = {});
void TypeText(const std::string& ansiText);
// Posts a menu command, as choosing the item does.
void PostCommand(HWND window, int id);

// ---- Common file dialogs and popup menus

// The edit of a file dialog's name box: the edit inside the combo box cmb13
// (1148) of the Explorer-style dialog, or edt1 (1152) of the older one.
HWND FileNameEdit(HWND dialog);
// Puts `path` into the file dialog's name box and presses its OK button.
// True when the dialog then went away; it stays while it asks a question or
// refuses the name.
bool ChooseFile(HWND dialog, const std::string& path, Duration timeout = 20s);
bool ChooseFile(HWND dialog, const std::wstring& path, Duration timeout = 20s);

// The open popup menu ("#32768") of a process, once it takes keys.
HWND WaitForPopupMenu(DWORD processId, Duration timeout = 20s);
// The items of an open popup menu as drawn, top to bottom, separators left
// out: true for an item written in the menu text colour (or the highlight's
// text colour), false for a greyed one.
std::vector<bool> MenuItemsEnabled(HWND menu);
// The item drawn highlighted, counted as above; -1 for none.
int HighlightedMenuItem(HWND menu);
// Chooses item `index` (separators not counted) of the open popup menu with
// the keyboard, as a user does: Down to it, then Enter.
void ChooseMenuItem(HWND menu, int index);

// ---- The shell: the notification area, the desktop and its shortcuts

// Whether the shell holds icon `id` of `window`: only an icon it holds can
// be modified (asking to change nothing changes nothing).
bool TrayHoldsIcon(HWND window, UINT id = 1);
// The current user's desktop folder.
std::string DesktopFolder();
struct Shortcut {
    std::string target, arguments, workingFolder;
};
// Reads a shell link the way Explorer does; nothing when it cannot be read.
std::optional<Shortcut> ReadShortcut(const std::string& path);

// ---- Pointer placement that waits for the system

// Moves the mouse to a point of a window's client area and waits until the
// system has the pointer there: under Wine an injected move can land late,
// and a button pressed meanwhile would act at the old place. The move is
// sent again while it has not arrived. False when it never did.
bool MoveMouseSurely(HWND window, int x, int y, Duration timeout = 10s);
// A left click at a point that the pointer has surely reached.
bool ClickSurely(HWND window, int x, int y);

// COM for this thread while the holder lives (a screen reader's questions,
// shell links). In a namespace of its own, as program_model.h's helpers.
namespace common {
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool Initialized() const { return initialized_; }

private:
    HMODULE ole_;  // ole32, loaded for the apartment's life
    bool initialized_ = false;
};
}  // namespace common

}  // namespace e2e
