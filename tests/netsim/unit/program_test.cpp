// A whole run against a recording host: the journal comes first, then the
// hooks, then the command; the state file is saved only when it changed and
// stays untouched when anything fails.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tools/netsim/cp852.h"
#include "tools/netsim/ipconfig.h"
#include "tools/netsim/program.h"
#include "tools/netsim/statefile.h"

namespace {

using netsim::FileContents;
using netsim::Tool;

constexpr char kFolder[] = "C:\\Tamarko\\";
const std::string kStatePath = std::string(kFolder) + "netsim-state.txt";
const std::string kJournalPath = std::string(kFolder) + "netsim-journal.txt";

class RecordingHost : public netsim::Host {
public:
    std::string commandLine;
    std::map<std::string, std::string> files;
    std::vector<std::string> events;  // in order: "journal", "pause 250", "forever", "write <path>", "lock"...
    std::string out, err;
    bool failWrites = false;
    int lockDepth = 0;

    std::string CommandLine() override { return commandLine; }
    std::string ProgramFolder() override { return kFolder; }
    FileContents ReadWholeFile(const std::string& path) override
    {
        const auto it = files.find(path);
        if (it == files.end())
            return {FileContents::Status::Missing, {}};
        return {FileContents::Status::Ok, it->second};
    }
    bool AppendToFile(const std::string& path, std::string_view bytes) override
    {
        events.push_back(lockDepth ? "locked append " + path : "append " + path);
        files[path] += bytes;
        return true;
    }
    bool WriteFileAtomically(const std::string& path, std::string_view bytes) override
    {
        events.push_back(lockDepth ? "locked write " + path : "write " + path);
        if (failWrites)
            return false;
        files[path] = bytes;
        return true;
    }
    void Lock() override { ++lockDepth; }
    void Unlock() override { --lockDepth; }
    bool TakeFile(const std::string& path) override
    {
        // The gate opens after a few looks, as if a test opened it then.
        if (++looks_[path] < 3)
            return false;
        events.push_back("take " + path);
        return true;
    }
    void Pause(unsigned ms) override { events.push_back("pause " + std::to_string(ms)); }
    void PauseForever() override { events.push_back("forever"); }
    void WriteOutput(std::string_view bytes) override { out += bytes; }
    void WriteError(std::string_view bytes) override { err += bytes; }

private:
    std::map<std::string, int> looks_;
};

std::string Help()
{
    netsim::MachineState none;
    return netsim::RunIpconfig(none, {"/?"}).text;
}

std::string StateWith(const std::string& simulatorLines)
{
    return "[netsim]\n" + simulatorLines
        + "[connection]\nname = Připojení k místní síti\ndhcp = no\nip = 192.168.1.10\nmask = 255.255.255.0\n";
}

TEST(Program, JournalComesFirstAndHoldsTheCommandLineAsGiven)
{
    RecordingHost host;
    host.files[kStatePath] = StateWith("delay_ms = 250\n");
    host.files[kJournalPath] = "earlier\r\n";
    host.commandLine = "netsh  interface ip set address \"Neznámé\" dhcp";
    EXPECT_EQ(netsim::RunTool(Tool::Netsh, host), 1);
    EXPECT_EQ(host.files[kJournalPath], "earlier\r\n" + host.commandLine + "\r\n");
    ASSERT_GE(host.events.size(), 2u);
    EXPECT_EQ(host.events[0], "locked append " + kJournalPath);
    EXPECT_EQ(host.events[1], "pause 250");
    EXPECT_EQ(host.lockDepth, 0);
    EXPECT_EQ(host.out, netsim::Utf8ToCp852("Rozhraní \"Neznámé\" nebylo nalezeno.\r\n"));
    EXPECT_EQ(host.files[kStatePath], StateWith("delay_ms = 250\n")) << "a failed command saves nothing";
}

TEST(Program, HooksShapeEveryRun)
{
    const struct {
        const char* what;
        Tool tool;
        std::string simulator;
        const char* commandLine;
        int exitCode;
        std::vector<std::string> events;
        std::string out;
        std::string err = {};
    } cases[] = {
        {"exit code overrides failure", Tool::Netsh, "exit_code = 7\n", "netsh interface ip show config \"Nic\"", 7,
            {"locked append " + kJournalPath}, netsim::Utf8ToCp852("Rozhraní \"Nic\" nebylo nalezeno.\r\n")},
        {"exit code overrides success", Tool::Ipconfig, "exit_code = -3\n", "ipconfig /?", -3,
            {"locked append " + kJournalPath}, netsim::Utf8ToCp852(Help())},
        {"hang after the journal", Tool::Ipconfig, "hang = yes\ndelay_ms = 5\n", "ipconfig /renew", 1,
            {"locked append " + kJournalPath, "forever"}, ""},
        {"a gate lets the run through once it is opened", Tool::Ipconfig, "gate = brána.txt\ndelay_ms = 5\n",
            "ipconfig /?", 0,
            {"locked append " + kJournalPath, "pause 10", "pause 10", "take C:\\Tamarko\\brána.txt", "pause 5"},
            netsim::Utf8ToCp852(Help())},
        {"report file replaces the report", Tool::Netsh, "report_file = fake.txt\n", "netsh interface ip show config",
            0, {"locked append " + kJournalPath}, "raw\xFF\n"},
        {"report file by absolute path", Tool::Netsh, "report_file = D:\\x\\fake.txt\n",
            "netsh interface ip show config \"Připojení k místní síti\"", 0, {"locked append " + kJournalPath},
            "other"},
        {"report file missing", Tool::Netsh, "report_file = none.txt\n", "netsh interface ip show config", 1,
            {"locked append " + kJournalPath}, "", "nelze přečíst soubor C:\\Tamarko\\none.txt"},
        {"report file leaves other commands alone", Tool::Netsh, "report_file = fake.txt\n",
            "netsh interface ip set dns \"Připojení k místní síti\" static none", 0,
            {"locked append " + kJournalPath, "locked write " + kStatePath}, "OK.\r\n"},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        host.files[kStatePath] = StateWith(c.simulator);
        host.files[std::string(kFolder) + "fake.txt"] = "raw\xFF\n";
        host.files["D:\\x\\fake.txt"] = "other";
        host.commandLine = c.commandLine;
        EXPECT_EQ(netsim::RunTool(c.tool, host), c.exitCode) << c.what;
        EXPECT_EQ(host.events, c.events) << c.what;
        EXPECT_EQ(host.out, c.out) << c.what;
        EXPECT_EQ(host.err.empty(), c.err.empty()) << c.what << ": " << host.err;
        if (!c.err.empty()) {
            EXPECT_NE(host.err.find(netsim::Utf8ToCp852(c.err)), std::string::npos) << c.what << ": " << host.err;
        }
    }
}

TEST(Program, MissingStateBecomesTheDemoMachine)
{
    RecordingHost host;
    host.commandLine = "netsh interface ip show config";
    EXPECT_EQ(netsim::RunTool(Tool::Netsh, host), 0);
    ASSERT_EQ(host.files.count(kStatePath), 1u);
    EXPECT_EQ(host.files[kStatePath], netsim::FormatStateFile(netsim::DemoState()));
    EXPECT_NE(
        host.out.find(netsim::Utf8ToCp852("Konfigurace rozhraní \"Připojení k místní síti\"\r\n")), std::string::npos);
}

TEST(Program, ChangesAreSavedAndFailuresLeaveTheFileAlone)
{
    RecordingHost host;
    host.files[kStatePath] = StateWith("");
    host.commandLine = "netsh interface ip add dns \"Připojení k místní síti\" 8.8.8.8";
    EXPECT_EQ(netsim::RunTool(Tool::Netsh, host), 0);
    EXPECT_NE(host.files[kStatePath].find("dns = 8.8.8.8\r\n"), std::string::npos) << host.files[kStatePath];

    RecordingHost readOnly;
    readOnly.files[kStatePath] = StateWith("");
    readOnly.failWrites = true;
    readOnly.commandLine = host.commandLine;
    EXPECT_EQ(netsim::RunTool(Tool::Netsh, readOnly), 1);
    EXPECT_EQ(readOnly.files[kStatePath], StateWith(""));
    EXPECT_EQ(readOnly.out, "") << "no OK when the change was lost";
    EXPECT_NE(readOnly.err.find("nelze ulo"), std::string::npos);
}

TEST(Program, MalformedStateIsReportedNotUsed)
{
    RecordingHost host;
    const std::string broken = StateWith("delay_ms = soon\n");
    host.files[kStatePath] = broken;
    host.commandLine = "ipconfig /release";
    EXPECT_EQ(netsim::RunTool(Tool::Ipconfig, host), 1);
    EXPECT_EQ(host.files[kStatePath], broken);
    EXPECT_EQ(host.out, "");
    EXPECT_EQ(host.err,
        netsim::Utf8ToCp852("netsim: chyba v souboru netsim-state.txt na řádku 2: neplatné číslo \"soon\".\r\n"));
    EXPECT_EQ(host.files[kJournalPath], "ipconfig /release\r\n") << "the journal is written even then";
}

}  // namespace
