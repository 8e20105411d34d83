// The fault sweep: one user's whole session of Tamarko, run first as it is
// and then once for each call that Windows may refuse, with that one call
// refused: the first call from every call site the session reaches, and
// allocations spread over every phase of the session. Each run is judged:
// no crash and no hang; every box of the program readable, in Czech; each
// file its old bytes or exactly those of the session without a failure; the
// proxy's two values an old or a new pair; Windows' rules kept; the session
// going on, or the program ending in order after saying why. Prints a table
// and ends with "N runs, M defects".
//
//   faults.exe [--bounded] [--allocations N] [--only FUNCTION]
//     --bounded        each function's first call site only (the test tier)
//     --allocations N  runs with an allocation refused (default 40)
//     --only FUNCTION  the runs of one function
#include "components/launcher_rules.h"
#include "core/exception.h"
#include "tests/faults/session.h"
#include "tests/faults/sweep_plan.h"
#include "tests/support/recording.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace e2e;
using namespace faults;

namespace {

const char kFolderName[] = "fault sweep";  // with a space, as real profiles have

struct Options {
    Extent extent = Extent::Full;
    int allocationRuns = 40;
    std::string only;
};

Options ReadOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--bounded") == 0)
            options.extent = Extent::Bounded;
        else if (std::strcmp(argv[i], "--allocations") == 0 && i + 1 < argc)
            options.allocationRuns = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc)
            options.only = argv[++i];
    }
    return options;
}

SessionFiles FilesOf(const ProgramFolder& folder)
{
    return {folder.File("profil.dat"), folder.IniPath(), DesktopFolder() + "\\profil.lnk"};
}

// The files a session may leave in the program's folder; anything else (a
// temporary file, say) was left behind.
bool Expected(const std::string& name)
{
    for (const char* known : {"tamarko.exe", "netsh.exe", "ipconfig.exe", "netsim-state.txt", "netsim-journal.txt",
             "profil.dat", "tamarko.ini"}) {
        if (lstrcmpiA(name.c_str(), known) == 0)
            return true;
    }
    return name.rfind("recorder-", 0) == 0;
}

std::vector<std::string> StrayFiles(const ProgramFolder& folder)
{
    std::vector<std::string> stray = FileNames(folder.File("*"));
    std::erase_if(stray, Expected);
    return stray;
}

std::string RecorderLogText(const ProgramFolder& folder)
{
    std::string text;
    for (const std::string& log : RecorderLogs(folder))
        text += ReadFileBytes(log);
    return text;
}

// A message as one line of the table, in UTF-8.
std::string OneLine(std::string line)
{
    for (std::size_t at; (at = line.find("\r\n")) != std::string::npos;)
        line.replace(at, 2, " / ");
    for (char& c : line) {
        if (c == '\n' || c == '\r' || c == '|')
            c = ' ';
    }
    return AnsiToUtf8(line.size() > 110 ? line.substr(0, 107) + "..." : line);
}

// What the session without a failure left: the bytes every run is held to.
struct Reference {
    std::string settingsFile, programIni;
    Census census;
};

// The file's bytes once no one holds it: a run that refuses an open as one
// another program holds holds the file itself for a moment.
std::string ReadWhenFree(const std::string& path)
{
    WaitUntil(
        [&] {
            const HANDLE file = CreateFileA(
                path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE)
                return GetLastError() != ERROR_SHARING_VIOLATION;
            CloseHandle(file);
            return true;
        },
        5s);
    return ReadFileBytes(path);
}

// The keys of an INI file's text, section by section, as "section/key".
std::map<std::string, std::string> IniKeys(const std::string& text)
{
    std::map<std::string, std::string> keys;
    std::string section;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[')
            section = line.substr(1, line.find(']') - 1);
        else if (line.find('=') != std::string::npos)
            keys.emplace(section + "/" + line.substr(0, line.find('=')), line.substr(line.find('=') + 1));
        start = end + 1;
    }
    return keys;
}

// A program INI file that the start could not read is not written over at
// the close: it keeps every key it held, with its old value or the one the
// session writes, and gains no key but those the session writes. With
// `valuesOfTheMoment`, the keys it gains may hold what the window had when
// the program ended before the session's changes were all made.
bool KeepsTheKeysItHeld(
    const std::string& bytes, const std::string& before, const std::string& reference, bool valuesOfTheMoment)
{
    const std::map<std::string, std::string> now = IniKeys(bytes), old = IniKeys(before), written = IniKeys(reference);
    for (const auto& [key, value] : old) {
        const auto found = now.find(key);
        if (found == now.end() || (found->second != value && (!written.count(key) || written.at(key) != found->second)))
            return false;
    }
    for (const auto& [key, value] : now) {
        const auto sessions = written.find(key);
        if (!old.count(key) && (sessions == written.end() || (!valuesOfTheMoment && sessions->second != value)))
            return false;
    }
    return true;
}

// Each file either as it was or as the session without a failure writes it,
// no file of the program's own beside them, the proxy's values an old or a
// new pair. After a refusal at the start, the program INI file may also
// keep the keys it held with only the session's changes among them; after
// the program's own end before the close (a read-back that found nothing),
// which keeps the settings as any close does, with the window's values of
// that moment.
std::vector<std::string> DamagedFiles(const ProgramFolder& folder, const SessionFiles& files,
    const Reference& reference, bool refusedAtStart, bool endedByItself)
{
    std::vector<std::string> damaged;
    const struct {
        const char* what;
        const std::string& path;
        std::string before;
        const std::string& after;
    } kept[] = {
        {"the settings file", files.settingsFile, kOldSettingsFile, reference.settingsFile},
        {"the program INI file", files.programIni, kOldProgramIni, reference.programIni},
    };
    for (const auto& file : kept) {
        const std::string bytes = ReadWhenFree(file.path);
        if ((refusedAtStart || endedByItself) && &file.path == &files.programIni
            && KeepsTheKeysItHeld(bytes, file.before, file.after, endedByItself))
            continue;
        if (bytes != file.before && bytes != file.after)
            damaged.push_back(std::string(file.what) + " is neither as it was nor as the session writes it ("
                + std::to_string(bytes.size()) + " bytes)");
    }
    for (const std::string& stray : StrayFiles(folder))
        damaged.push_back("left in the program's folder: " + stray);
    const ProxyPair proxy = ReadProxy();
    if (proxy != kOldProxy && proxy != kNewProxy)
        damaged.push_back("the proxy is half set: ProxyEnable " + std::to_string(proxy.enable) + ", ProxyServer \""
            + proxy.server + "\"");
    return damaged;
}

// The launcher's own texts for a command it cannot start, as the program
// has always shown them (some of them English).
bool LauncherMessage(const std::string& text)
{
    SetAppExecLanguage(ltCzech);
    for (std::uint32_t code = 0; code <= 32; ++code) {
        const std::string message = AppExecMessage(code);
        if (!message.empty() && WithFullStop(message) == text)
            return true;
    }
    return false;
}

struct Verdict {
    std::string outcome;
    std::vector<std::string> defects;
};

bool RefusesMemory(const Fault& fault)
{
    return fault.function == "malloc" || fault.function == "calloc" || fault.function == "realloc";
}

// The text of refused memory, alone or with what follows it: the end of a
// start that cannot go on, or the close's question.
bool OutOfMemoryMessage(const std::string& text)
{
    const std::string message = "Systém nemá dost volné paměti, akci proto nelze dokončit.";
    for (const char* after : {"", "\r\n\r\nProgram bude ukončen.", "\r\n\r\nUkončit program bez uložení nastavení?"}) {
        if (text == message + after)
            return true;
    }
    return false;
}

Verdict Judge(const ProgramFolder& folder, const SessionFiles& files, const SessionRecord& record,
    const Reference& reference, const Fault& fault, const Firing& firing)
{
    Verdict verdict;
    auto defect = [&](const std::string& what) { verdict.defects.push_back(what); };
    for (const std::string& box : record.boxes) {
        if (!ReadableMessage(box) && !LauncherMessage(box))
            defect("a box the user cannot read: \"" + box + "\"");
    }
    // Memory refused says so, in the words the users' guide gives.
    if (firing.fired && RefusesMemory(fault)) {
        for (const std::string& box : record.boxes) {
            if (!OutOfMemoryMessage(box))
                defect("memory refused, and the box says: \"" + box + "\"");
        }
    }
    for (const std::string& lost : record.fields)
        defect(lost);
    if (record.hung)
        defect(record.ending);
    if (record.exitCode && *record.exitCode != 0 && *record.exitCode != 1) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%lx", static_cast<unsigned long>(*record.exitCode));
        defect(std::string("crashed (exit code ") + code + ")");
    } else if (record.ended && record.boxes.empty()) {
        defect(record.ending + " without a word");
    }
    for (const std::string& step : record.steps)
        defect("the session did not go on: " + step);

    for (const std::string& damaged : record.files)
        defect(damaged);
    for (const std::string& damaged : DamagedFiles(folder, files, reference, firing.phase == "start", record.ended)) {
        if (std::none_of(record.files.begin(), record.files.end(),
                [&](const std::string& seen) { return seen.find(damaged) != std::string::npos; }))
            defect("at the end: " + damaged);
    }
    if (FileExists(files.shortcut)) {
        const auto link = ReadShortcut(files.shortcut);
        if (!link || link->arguments != "\"" + files.settingsFile + "\"")
            defect("a damaged shortcut on the desktop");
    }
    for (const std::string& broken : BrokenRules(folder))
        defect("Windows' rule broken: " + broken);

    if (!firing.fired)
        verdict.outcome = "not reached";
    else if (record.ended)
        verdict.outcome
            = record.boxes.empty() ? record.ending : "ended after its message: " + OneLine(record.boxes.back());
    else if (!record.boxes.empty())
        verdict.outcome = "went on after: " + OneLine(record.boxes.front());
    else
        verdict.outcome = "went on; nothing to say";
    return verdict;
}

std::string Where(const Fault& fault, const SymbolMap& symbols, std::uint32_t imageBase)
{
    const std::string where
        = fault.bySite ? symbols.Describe(imageBase + fault.site) : "call " + std::to_string(fault.n);
    return where + (fault.shortWrite ? ", cut short" : "");
}

// A program that crashes ends at once, with the exception's code for its
// exit code, instead of waiting for Wine's debugger, for the life of the
// holder.
class CrashesEndAtOnce {
public:
    CrashesEndAtOnce()
    {
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAeDebug, 0, KEY_ALL_ACCESS, &key_) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        char debugger[1024] = {};
        DWORD size = sizeof debugger - 1;
        had_ = RegQueryValueExA(key_, "Debugger", nullptr, nullptr, reinterpret_cast<BYTE*>(debugger), &size)
            == ERROR_SUCCESS;
        debugger_ = debugger;
        RegSetValueExA(key_, "Debugger", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    }
    ~CrashesEndAtOnce()
    {
        if (!key_)
            return;
        if (had_)
            RegSetValueExA(key_, "Debugger", 0, REG_SZ, reinterpret_cast<const BYTE*>(debugger_.c_str()),
                static_cast<DWORD>(debugger_.size() + 1));
        RegCloseKey(key_);
    }
    CrashesEndAtOnce(const CrashesEndAtOnce&) = delete;
    CrashesEndAtOnce& operator=(const CrashesEndAtOnce&) = delete;

private:
    static constexpr const char* kAeDebug = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug";
    HKEY key_ = nullptr;
    bool had_ = false;
    std::string debugger_;
};

// The base address the linker gave the program, from its PE header.
std::uint32_t ImageBase(const std::string& exe)
{
    const std::string bytes = ReadFileBytes(exe);
    if (bytes.size() < sizeof(IMAGE_DOS_HEADER))
        return 0x400000;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
    if (static_cast<std::size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32) > bytes.size())
        return 0x400000;
    return reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes.data() + dos->e_lfanew)->OptionalHeader.ImageBase;
}

}  // namespace

int main(int argc, char** argv)
{
    const Options options = ReadOptions(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const CrashesEndAtOnce crashes;

    // The session as it is: its files are what every run is held to, its
    // log says where the calls come from.
    Reference reference;
    {
        ProgramFolder folder(kFolderName);
        const SessionFiles files = FilesOf(folder);
        PrepareSession(folder, files);
        const SessionRecord record = RunSession(folder, files, std::nullopt);
        std::vector<std::string> broken = BrokenRules(folder);
        if (!record.boxes.empty() || !record.steps.empty() || record.ended || record.hung
            || record.exitCode.value_or(1) != 0 || !broken.empty() || ReadProxy() != kNewProxy) {
            std::printf("faults: the session without a failure did not come off:\n");
            for (const std::string& box : record.boxes)
                std::printf("  box: %s\n", OneLine(box).c_str());
            for (const std::string& step : record.steps)
                std::printf("  phase: %s\n", step.c_str());
            for (const std::string& rule : broken)
                std::printf("  rule: %s\n", rule.c_str());
            std::printf("  ending: %s\n", record.ending.c_str());
            return 2;
        }
        reference.settingsFile = ReadFileBytes(files.settingsFile);
        reference.programIni = ReadFileBytes(files.programIni);
        reference.census = ReadCensus(RecorderLogText(folder));
    }

    const SymbolMap symbols(ReadFileBytes(ShipDir() + "\\tamarko.map"));
    const std::uint32_t imageBase = ImageBase(ShipDir() + "\\tamarko.exe");
    std::vector<Fault> runs = PlanRuns(reference.census, options.extent, options.allocationRuns);
    if (!options.only.empty())
        std::erase_if(runs, [&](const Fault& fault) { return fault.function != options.only; });
    // The C runtime's start-up runs before the program's first line, and
    // stops the process on a refused allocation there: not the program's
    // to handle, and left out.
    const auto runtimeStart = std::erase_if(
        runs, [&](const Fault& f) { return f.bySite && symbols.ObjectOf(imageBase + f.site) == "crt2"; });

    std::printf("| # | Function | Call site or n | Step | Outcome |\n|---|---|---|---|---|\n");
    int defects = 0;
    std::vector<std::string> details;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Fault& fault = runs[i];
        ProgramFolder folder(kFolderName);
        const SessionFiles files = FilesOf(folder);
        PrepareSession(folder, files);
        const SessionRecord record = RunSession(folder, files, fault, [&](const SessionRecord& sofar) {
            return DamagedFiles(
                folder, files, reference, ReadFiring(RecorderLogText(folder)).phase == "start", sofar.ended);
        });
        const Firing firing = ReadFiring(RecorderLogText(folder));
        const Verdict verdict = Judge(folder, files, record, reference, fault, firing);
        const bool defective = !verdict.defects.empty();
        std::printf("| %zu | %s | %s | %s | %s%s |\n", i + 1, fault.function.c_str(),
            Where(fault, symbols, imageBase).c_str(), firing.fired ? firing.phase.c_str() : "-",
            defective ? "**DEFECT** " : "",
            defective ? OneLine(verdict.defects.front()).c_str() : verdict.outcome.c_str());
        if (defective) {
            ++defects;
            // The run's logs are kept for reading: the next run empties the folder.
            const std::string kept = folder.Path() + "-defect-" + std::to_string(i + 1) + ".log";
            WriteFileBytes(kept, RecorderLogText(folder));
            std::string detail = "run " + std::to_string(i + 1) + " (TAMARKO_RECORDER_FAULT=" + fault.Request() + "):";
            for (const std::string& what : verdict.defects)
                detail += "\n  " + AnsiToUtf8(what);
            for (const std::string& box : record.boxes)
                detail += "\n  box: " + OneLine(box);
            detail += "\n  log: " + kept;
            details.push_back(detail);
        }
    }
    for (const std::string& detail : details)
        std::printf("\n%s\n", detail.c_str());
    if (runtimeStart > 0)
        std::printf(
            "\nLeft out: %zu call sites in the C runtime's start-up (crt2.o), before the program's first line.\n",
            static_cast<std::size_t>(runtimeStart));
    std::printf("\n%zu runs, %d defects\n", runs.size(), defects);
    return defects == 0 ? 0 : 1;
}
