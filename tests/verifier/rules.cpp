// The rules, as tables where a table will do: which calls make which kind of
// object, which calls give it back, and a few rules of their own (objects
// selected into a DC, the notification area, COM, the message loops).
#include "tests/verifier/rules.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <sstream>
#include <utility>

namespace verifier {

namespace {

// ---- What a line of the log says

struct Record {
    std::string text;
    std::string step;
    std::string name;
    std::vector<unsigned long> arguments;
    unsigned long result = 0;
    std::map<std::string, std::string> values;

    unsigned long Argument(std::size_t index) const { return index < arguments.size() ? arguments[index] : 0; }
    unsigned long Value(const std::string& key) const
    {
        const auto found = values.find(key);
        return found == values.end() ? 0 : std::strtoul(found->second.c_str(), nullptr, 16);
    }
};

Record Parse(std::string_view line, const std::string& step)
{
    Record record;
    record.text = std::string(line);
    record.step = step;
    std::istringstream words(record.text);
    words >> record.name;
    std::string word;
    bool afterEquals = false, haveResult = false;
    while (words >> word) {
        if (word == "=") {
            afterEquals = true;
        } else if (!afterEquals) {
            record.arguments.push_back(std::strtoul(word.c_str(), nullptr, 16));
        } else if (!haveResult) {
            record.result = std::strtoul(word.c_str(), nullptr, 16);
            haveResult = true;
        } else if (const auto equals = word.find('='); equals != std::string::npos) {
            record.values[word.substr(0, equals)] = word.substr(equals + 1);
        }
    }
    return record;
}

// ---- The kinds of objects and who makes and takes them

enum class Family { Gdi, User, Kernel, Registry };

struct Kind {
    const char* name;
    Family family;
    const char* releasedBy;
};

const Kind kPen{"pen", Family::Gdi, "DeleteObject"};
const Kind kBrush{"brush", Family::Gdi, "DeleteObject"};
const Kind kFont{"font", Family::Gdi, "DeleteObject"};
const Kind kBitmap{"bitmap", Family::Gdi, "DeleteObject"};
const Kind kRegion{"region", Family::Gdi, "DeleteObject"};
const Kind kMemoryDC{"memory DC", Family::Gdi, "DeleteDC"};
const Kind kWindowDC{"window DC", Family::Gdi, "ReleaseDC"};
const Kind kPaintDC{"paint DC", Family::Gdi, "EndPaint"};
const Kind kWindow{"window", Family::User, "DestroyWindow"};
const Kind kMenu{"menu", Family::User, "DestroyMenu"};
const Kind kIcon{"icon", Family::User, "DestroyIcon"};
const Kind kCursor{"cursor", Family::User, "DestroyCursor"};
const Kind kAccelerators{"accelerator table", Family::User, "DestroyAcceleratorTable"};
const Kind kKernelHandle{"kernel handle", Family::Kernel, "CloseHandle"};
const Kind kRegistryKey{"registry key", Family::Registry, "RegCloseKey"};

// LoadImage and CopyImage make what their type argument says; a shared
// image belongs to the system.
const Kind* ImageKind(unsigned long type, unsigned long flags)
{
    const unsigned long kShared = 0x8000;
    if (flags & kShared)
        return nullptr;
    switch (type) {
    case 0:
        return &kBitmap;
    case 1:
        return &kIcon;
    case 2:
        return &kCursor;
    default:
        return nullptr;
    }
}

struct Creation {
    const char* function;
    const Kind* kind;
    const char* handleAt = nullptr;  // a named value of the line; the result when none
    const Kind* (*kindOf)(const Record&) = nullptr;
};

const Creation kCreations[] = {
    {"CreatePen", &kPen},
    {"CreatePenIndirect", &kPen},
    {"ExtCreatePen", &kPen},
    {"CreateSolidBrush", &kBrush},
    {"CreateHatchBrush", &kBrush},
    {"CreatePatternBrush", &kBrush},
    {"CreateBrushIndirect", &kBrush},
    {"CreateFontA", &kFont},
    {"CreateFontIndirectA", &kFont},
    {"CreateBitmap", &kBitmap},
    {"CreateBitmapIndirect", &kBitmap},
    {"CreateCompatibleBitmap", &kBitmap},
    {"CreateDIBSection", &kBitmap},
    {"CreateDIBitmap", &kBitmap},
    {"LoadBitmapA", &kBitmap},
    {"CreateRectRgn", &kRegion},
    {"CreateRectRgnIndirect", &kRegion},
    {"CreateEllipticRgn", &kRegion},
    {"CreateRoundRectRgn", &kRegion},
    {"CreateCompatibleDC", &kMemoryDC},
    {"CreateDCA", &kMemoryDC},
    {"CreateICA", &kMemoryDC},
    {"GetDC", &kWindowDC},
    {"GetWindowDC", &kWindowDC},
    {"GetDCEx", &kWindowDC},
    {"BeginPaint", &kPaintDC},
    {"LoadImageA", nullptr, nullptr, [](const Record& r) { return ImageKind(r.Argument(2), r.Argument(5)); }},
    {"CopyImage", nullptr, nullptr, [](const Record& r) { return ImageKind(r.Argument(1), r.Argument(4)); }},
    {"CopyIcon", &kIcon},
    {"CreateIconIndirect", &kIcon},
    {"CreateMenu", &kMenu},
    {"CreatePopupMenu", &kMenu},
    {"LoadMenuA", &kMenu},
    {"CreateAcceleratorTableA", &kAccelerators},
    {"CreateWindowExA", &kWindow},
    {"CreateFileA", &kKernelHandle},
    {"CreateEventA", &kKernelHandle},
    {"CreateNamedPipeA", &kKernelHandle},
    {"CreateFileMappingA", &kKernelHandle},
    {"CreateMutexA", &kKernelHandle},
    {"CreateSemaphoreA", &kKernelHandle},
    {"OpenProcess", &kKernelHandle},
    {"CreateProcessA", &kKernelHandle, "process"},
    {"CreateProcessA", &kKernelHandle, "thread"},
    {"CreatePipe", &kKernelHandle, "read"},
    {"CreatePipe", &kKernelHandle, "write"},
    {"DuplicateHandle", &kKernelHandle, "handle"},
    {"OpenProcessToken", &kKernelHandle, "token"},
    {"OpenThreadToken", &kKernelHandle, "token"},
    {"RegOpenKeyExA", &kRegistryKey, "key"},
    {"RegCreateKeyExA", &kRegistryKey, "key"},
};

struct Release {
    const char* function;
    std::size_t handleArgument;
    std::vector<const Kind*> kinds;
    bool zeroMeansSuccess = false;  // an error code, not a flag
};

const Release kReleases[] = {
    {"DeleteObject", 0, {&kPen, &kBrush, &kFont, &kBitmap, &kRegion}},
    {"DeleteDC", 0, {&kMemoryDC}},
    {"ReleaseDC", 1, {&kWindowDC}},
    {"EndPaint", 1, {&kPaintDC}},
    {"DestroyIcon", 0, {&kIcon, &kCursor}},
    {"DestroyCursor", 0, {&kCursor, &kIcon}},
    {"DestroyMenu", 0, {&kMenu}},
    {"DestroyAcceleratorTable", 0, {&kAccelerators}},
    {"DestroyWindow", 0, {&kWindow}},
    {"CloseHandle", 0, {&kKernelHandle}},
    {"RegCloseKey", 0, {&kRegistryKey}, true},
};

constexpr unsigned long kInvalidHandle = 0xffffffff;
constexpr unsigned long kWindowStyleChild = 0x40000000;
constexpr unsigned long kMenuPopupFlag = 0x10;
constexpr unsigned long kRegionType = 8;
constexpr unsigned long kExtendedPenType = 11, kPenType = 1;

using Key = std::pair<Family, unsigned long>;

struct LiveObject {
    const Kind* kind;
    Record made;
};

// What a DC had selected before the program selected its own objects.
struct Selection {
    unsigned long original = 0;
    unsigned long current = 0;
    std::string selectedBy;
};

}  // namespace

struct CallLogChecker::State {
    std::string step = "the start";
    std::map<Key, LiveObject> live;
    std::map<unsigned long, unsigned long> windowParent;                     // window -> parent or owner
    std::map<unsigned long, unsigned long> menuOwner;                        // menu -> the menu that holds it
    std::map<unsigned long, unsigned long> menuWindow;                       // menu bar -> its window
    std::map<unsigned long, std::map<unsigned long, Selection>> selections;  // DC -> object type -> selection
    std::map<std::pair<unsigned long, unsigned long>, Record> trayIcons;     // (window, id) -> its NIM_ADD
    std::vector<Record> comInitializations;
    Record quitTaken;
    bool quitTakenInsideAWait = false;  // and not posted again yet
    std::set<unsigned long> aliveAtExit;
    std::vector<Violation> violations;
    bool ended = false;

    void Break(const std::string& rule, const Record& record)
    {
        violations.push_back({rule, record.text, record.step});
    }

    void Feed(std::string_view line)
    {
        if (line.rfind("# step ", 0) == 0) {
            step = std::string(line.substr(7));
            return;
        }
        if (line == "exit") {
            ended = true;
            return;
        }
        // The fault sweep's notes: call sites, counts, the failure asked for.
        for (const char* note : {"# ", "site ", "fault ", "fault-request ", "calls "}) {
            if (line.rfind(note, 0) == 0)
                return;
        }
        const Record record = Parse(line, step);
        if (record.name == "alive-window") {
            aliveAtExit.insert(record.Argument(0));
            return;
        }
        if (line.find(" took WM_QUIT") != std::string_view::npos) {
            quitTaken = record;
            quitTakenInsideAWait = line.find(" inside a wait") != std::string_view::npos;
            return;
        }
        if (line.find(" waits after a WM_QUIT was taken") != std::string_view::npos
            || line.find(" returns after a WM_QUIT was taken") != std::string_view::npos) {
            Break("a WM_QUIT taken from the queue (" + quitTaken.text
                    + ") was not posted again before a loop waited for messages once more, so that loop never ends",
                record);
            quitTakenInsideAWait = false;
            return;
        }
        if (record.name == "PostQuitMessage")
            quitTakenInsideAWait = false;
        if (line.find(" heap block damaged") != std::string_view::npos
            || line.find(" heap damaged") != std::string_view::npos) {
            Break("a heap block was written past its end, or freed twice (Wine's heap check)", record);
            return;
        }
        CheckSelection(record);
        CheckTray(record);
        CheckCom(record);
        NoteOwnership(record);
        Releases(record);
        Creations(record);
    }

    void Creations(const Record& record)
    {
        for (const Creation& creation : kCreations) {
            if (record.name != creation.function)
                continue;
            const Kind* kind = creation.kindOf ? creation.kindOf(record) : creation.kind;
            const unsigned long handle = creation.handleAt ? record.Value(creation.handleAt) : record.result;
            if (!kind || handle == 0 || handle == kInvalidHandle)
                continue;
            live[{kind->family, handle}] = {kind, record};
            if (kind == &kWindow)
                windowParent[handle] = record.Argument(2);
        }
    }

    void Releases(const Record& record)
    {
        for (const Release& release : kReleases) {
            if (record.name != release.function || (record.result == 0) != release.zeroMeansSuccess)
                continue;
            const unsigned long handle = record.Argument(release.handleArgument);
            const auto found = live.find({release.kinds.front()->family, handle});
            if (found == live.end()
                || std::find(release.kinds.begin(), release.kinds.end(), found->second.kind) == release.kinds.end())
                continue;
            if (found->second.kind == &kWindow)
                DestroyWindowTree(handle);
            else if (found->second.kind == &kMenu)
                DestroyMenuTree(handle);
            else
                live.erase(found);
        }
    }

    // The handles that `holders` gives `holder` as theirs.
    static std::vector<unsigned long> HeldBy(
        const std::map<unsigned long, unsigned long>& holders, unsigned long holder)
    {
        std::vector<unsigned long> held;
        for (const auto& [handle, heldBy] : holders) {
            if (heldBy == holder)
                held.push_back(handle);
        }
        return held;
    }

    // A window takes its children, the windows it owns and its menu bar with it.
    void DestroyWindowTree(unsigned long window)
    {
        live.erase({Family::User, window});
        windowParent.erase(window);
        for (unsigned long menu : HeldBy(menuWindow, window))
            DestroyMenuTree(menu);
        for (unsigned long child : HeldBy(windowParent, window))
            DestroyWindowTree(child);
    }

    // A menu takes its submenus with it.
    void DestroyMenuTree(unsigned long menu)
    {
        live.erase({Family::User, menu});
        menuOwner.erase(menu);
        menuWindow.erase(menu);
        for (unsigned long submenu : HeldBy(menuOwner, menu))
            DestroyMenuTree(submenu);
    }

    void NoteOwnership(const Record& record)
    {
        if (record.result == 0)
            return;
        if (record.name == "AppendMenuA" && (record.Argument(1) & kMenuPopupFlag))
            menuOwner[record.Argument(2)] = record.Argument(0);
        else if (record.name == "InsertMenuA" && (record.Argument(2) & kMenuPopupFlag))
            menuOwner[record.Argument(3)] = record.Argument(0);
        else if ((record.name == "InsertMenuItemA" || record.name == "SetMenuItemInfoA") && record.Value("submenu"))
            menuOwner[record.Value("submenu")] = record.Argument(0);
        else if (record.name == "SetMenu" && record.Argument(1))
            menuWindow[record.Argument(1)] = record.Argument(0);
        else if (record.name == "CreateWindowExA" && !(record.Argument(1) & kWindowStyleChild) && record.Argument(3))
            menuWindow[record.Argument(3)] = record.result;
    }

    void CheckSelection(const Record& record)
    {
        if (record.name == "SelectObject" && record.result != 0) {
            unsigned long type = record.Value("type");
            if (type == kRegionType)
                return;  // a region is copied into the DC, never selected
            if (type == kExtendedPenType)
                type = kPenType;
            Selection& selection = selections[record.Argument(0)][type];
            if (selection.selectedBy.empty())
                selection.original = record.result;
            selection.current = record.Argument(1);
            selection.selectedBy = record.text;
        } else if (record.name == "DeleteObject") {
            const unsigned long object = record.Argument(0);
            for (const auto& [dc, byType] : selections) {
                for (const auto& [type, selection] : byType) {
                    if (selection.current == object && selection.current != selection.original)
                        Break("a GDI object was deleted while it was selected into a DC (" + selection.selectedBy + ")",
                            record);
                }
            }
        } else if (record.name == "DeleteDC") {
            for (const auto& [type, selection] : selections[record.Argument(0)]) {
                if (selection.current != selection.original)
                    Break("a DC was deleted with an object of the program's still selected (" + selection.selectedBy
                            + "), not its own",
                        record);
            }
            selections.erase(record.Argument(0));
        } else if (record.name == "ReleaseDC") {
            selections.erase(record.Argument(1));
        } else if (record.name == "EndPaint") {
            selections.erase(record.Argument(1));
        }
    }

    void CheckTray(const Record& record)
    {
        if (record.name != "Shell_NotifyIconA")
            return;
        const unsigned long kAdd = 0, kDelete = 2;
        const std::pair<unsigned long, unsigned long> icon{record.Argument(1), record.Argument(2)};
        if (record.Argument(0) == kAdd && record.result) {
            trayIcons[icon] = record;
        } else if (record.Argument(0) == kDelete) {
            if (record.Value("alive") == 0)
                Break(
                    "NIM_DELETE must name the icon's window while it exists; Windows keeps the icon otherwise", record);
            trayIcons.erase(icon);
        }
    }

    void CheckCom(const Record& record)
    {
        if ((record.name == "CoInitialize" || record.name == "CoInitializeEx") && record.result <= 1) {
            comInitializations.push_back(record);
        } else if (record.name == "CoUninitialize") {
            if (comInitializations.empty())
                Break("CoUninitialize without a CoInitialize of its own", record);
            else
                comInitializations.pop_back();
        }
    }

    // What the program left for the system to clean up.
    std::vector<Violation> LeftAtTheEnd() const
    {
        std::vector<Violation> left;
        for (const auto& [icon, added] : trayIcons)
            left.push_back(
                {"a tray icon was never deleted (NIM_DELETE with its window and id)", added.text, added.step});
        for (const Record& initialization : comInitializations)
            left.push_back({"CoInitialize without its CoUninitialize", initialization.text, initialization.step});
        for (const auto& [key, object] : live) {
            const unsigned long handle = key.second;
            if (object.kind == &kWindow) {
                if (aliveAtExit.count(handle))
                    left.push_back({"a window was left to the end of the process (DestroyWindow)", object.made.text,
                        object.made.step});
                continue;
            }
            if (object.kind == &kMenu && MenuGoesWithAWindow(handle))
                continue;
            const std::string name = object.kind->name;
            const bool vowel = std::string("aeiou").find(name.front()) != std::string::npos;
            left.push_back({(vowel ? "an " : "a ") + name + " was never released (" + object.kind->releasedBy + ")",
                object.made.text, object.made.step});
        }
        return left;
    }

    // A menu bar, or a menu inside one, dies with its window.
    bool MenuGoesWithAWindow(unsigned long menu) const
    {
        for (int depth = 0; depth < 64; ++depth) {
            if (const auto window = menuWindow.find(menu); window != menuWindow.end())
                return !aliveAtExit.count(window->second);
            const auto owner = menuOwner.find(menu);
            if (owner == menuOwner.end())
                return false;
            if (!live.count({Family::User, owner->second}))
                return true;  // its menu was destroyed, and it with it
            menu = owner->second;
        }
        return false;
    }
};

long LiveObjects::Gdi() const
{
    long total = 0;
    for (const auto& [kind, count] : gdi)
        total += count;
    return total;
}

long LiveObjects::User() const
{
    long total = 0;
    for (const auto& [kind, count] : user)
        total += count;
    return total;
}

namespace {

std::string ByKind(const std::map<std::string, long>& counts)
{
    std::string text;
    for (const auto& [kind, count] : counts)
        text += (text.empty() ? "" : ", ") + kind + " " + std::to_string(count);
    return text;
}

}  // namespace

std::string LiveObjects::GdiByKind() const
{
    return ByKind(gdi);
}

std::string LiveObjects::UserByKind() const
{
    return ByKind(user);
}

CallLogChecker::CallLogChecker()
    : state_(std::make_unique<State>())
{
}

CallLogChecker::~CallLogChecker() = default;

void CallLogChecker::Feed(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    if (!line.empty())
        state_->Feed(line);
}

std::vector<Violation> CallLogChecker::Violations() const
{
    std::vector<Violation> violations = state_->violations;
    // Whether or not the program ended: one that hangs there ends only by force.
    if (state_->quitTakenInsideAWait)
        violations.push_back({"a WM_QUIT taken inside another wait for messages was never posted again: that wait "
                              "goes on for ever",
            state_->quitTaken.text, state_->quitTaken.step});
    if (state_->ended) {
        const std::vector<Violation> left = state_->LeftAtTheEnd();
        violations.insert(violations.end(), left.begin(), left.end());
    }
    return violations;
}

bool CallLogChecker::Ended() const
{
    return state_->ended;
}

LiveObjects CallLogChecker::Live() const
{
    LiveObjects objects;
    for (const auto& [key, object] : state_->live) {
        if (object.kind->family == Family::Gdi)
            ++objects.gdi[object.kind->name];
        else if (object.kind->family == Family::User)
            ++objects.user[object.kind->name];
    }
    return objects;
}

std::vector<Violation> CheckCallLog(std::string_view log)
{
    CallLogChecker checker;
    while (!log.empty()) {
        const std::size_t end = log.find('\n');
        checker.Feed(log.substr(0, end));
        log = end == std::string_view::npos ? std::string_view() : log.substr(end + 1);
    }
    return checker.Violations();
}

std::string Describe(const Violation& violation)
{
    return violation.rule + "\n    call: " + violation.call + "\n    step: " + violation.step;
}

}  // namespace verifier
