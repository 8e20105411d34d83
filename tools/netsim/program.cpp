// The sequence every run follows: journal, state, hooks, command, save.
#include "tools/netsim/program.h"

#include <optional>
#include <variant>

#include "tools/netsim/cmdline.h"
#include "tools/netsim/cp852.h"
#include "tools/netsim/ipconfig.h"
#include "tools/netsim/netsh.h"
#include "tools/netsim/statefile.h"

namespace netsim {

namespace {

constexpr int kFailure = 1;
constexpr unsigned kGatePollMs = 10;

class LockGuard {
public:
    explicit LockGuard(Host& host)
        : host_(host)
    {
        host_.Lock();
    }
    ~LockGuard() { host_.Unlock(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    Host& host_;
};

bool IsAbsolutePath(const std::string& path)
{
    return (!path.empty() && (path[0] == '\\' || path[0] == '/')) || (path.size() > 1 && path[1] == ':');
}

class Run {
public:
    Run(Tool tool, Host& host)
        : tool_(tool)
        , host_(host)
        , folder_(host.ProgramFolder())
    {
    }

    int Execute()
    {
        const std::string commandLine = host_.CommandLine();
        {
            LockGuard lock(host_);
            if (!host_.AppendToFile(folder_ + kJournalFileName, commandLine + "\r\n"))
                Error(std::string("nelze zapsat do deníku ") + kJournalFileName + ".");
        }

        // The hooks come from the state file, so it is read once before them and
        // again under the lock afterwards: another run may change it meanwhile.
        const auto hooks = LoadState(false);
        if (!hooks)
            return kFailure;
        if (hooks->sim.hang) {
            host_.PauseForever();
            return kFailure;  // only a test host comes back
        }
        // A test lets the runs through one by one, looking at the caller in
        // between; so nothing depends on how long a run takes.
        if (!hooks->sim.gate.empty()) {
            const std::string gate = InFolder(hooks->sim.gate);
            while (!host_.TakeFile(gate))
                host_.Pause(kGatePollMs);
        }
        if (hooks->sim.delayMs > 0)
            host_.Pause(hooks->sim.delayMs);

        LockGuard lock(host_);
        auto state = LoadState(true);
        if (!state)
            return kFailure;
        const int code = RunCommand(*state, SplitCommandLine(commandLine));
        return state->sim.exitCode ? static_cast<int>(*state->sim.exitCode) : code;
    }

private:
    std::string StatePath() const { return folder_ + kStateFileName; }
    // A hook's file name: beside the programs unless it is absolute.
    std::string InFolder(const std::string& name) const { return IsAbsolutePath(name) ? name : folder_ + name; }

    void Error(const std::string& message) { host_.WriteError(Utf8ToCp852("netsim: " + message + "\r\n")); }

    // A missing file is the demo machine, written out when `create` is set.
    std::optional<MachineState> LoadState(bool create)
    {
        const FileContents file = host_.ReadWholeFile(StatePath());
        if (file.status == FileContents::Status::Missing) {
            MachineState demo = DemoState();
            if (create && !host_.WriteFileAtomically(StatePath(), FormatStateFile(demo))) {
                Error(std::string("nelze vytvořit soubor ") + kStateFileName + ".");
                return std::nullopt;
            }
            return demo;
        }
        if (file.status == FileContents::Status::Unreadable) {
            Error(std::string("nelze přečíst soubor ") + kStateFileName + ".");
            return std::nullopt;
        }
        auto parsed = ParseStateFile(file.bytes);
        if (const auto* error = std::get_if<StateFileError>(&parsed)) {
            Error(std::string("chyba v souboru ") + kStateFileName + " na řádku " + std::to_string(error->line) + ": "
                + error->message + ".");
            return std::nullopt;
        }
        return std::get<MachineState>(std::move(parsed));
    }

    int RunCommand(MachineState& state, std::vector<std::string> args)
    {
        args.erase(args.begin());  // the program name
        Outcome outcome;
        if (tool_ == Tool::Ipconfig) {
            outcome = RunIpconfig(state, args);
        } else {
            auto parsed = ParseNetsh(args);
            if (auto* failed = std::get_if<Outcome>(&parsed)) {
                outcome = std::move(*failed);
            } else {
                const auto& command = std::get<NetshCommand>(parsed);
                if (command.kind == NetshCommand::Kind::ShowConfig && !state.sim.reportFile.empty())
                    return CopyReportFile(state.sim.reportFile);
                outcome = RunNetsh(state, command);
            }
        }
        if (outcome.stateChanged && !host_.WriteFileAtomically(StatePath(), FormatStateFile(state))) {
            Error(std::string("nelze uložit soubor ") + kStateFileName + "; stav se nezměnil.");
            return kFailure;
        }
        host_.WriteOutput(Utf8ToCp852(outcome.text));
        return outcome.exitCode;
    }

    // Lets tests hand a reader any report, byte for byte.
    int CopyReportFile(const std::string& name)
    {
        const std::string path = InFolder(name);
        const FileContents file = host_.ReadWholeFile(path);
        if (file.status != FileContents::Status::Ok) {
            Error("nelze přečíst soubor " + path + " (report_file).");
            return kFailure;
        }
        host_.WriteOutput(file.bytes);
        return 0;
    }

    Tool tool_;
    Host& host_;
    std::string folder_;
};

}  // namespace

int RunTool(Tool tool, Host& host)
{
    return Run(tool, host).Execute();
}

}  // namespace netsim
