// One run of netsh.exe or ipconfig.exe, from the command line to the exit
// code, against a Host that does the system's part (files, console, sleep).
// Keeping the sequence here lets it be tested without Windows.
#pragma once

#include <string>
#include <string_view>

namespace netsim {

inline constexpr char kStateFileName[] = "netsim-state.txt";
inline constexpr char kJournalFileName[] = "netsim-journal.txt";

struct FileContents {
    enum class Status { Ok, Missing, Unreadable };
    Status status = Status::Missing;
    std::string bytes;
};

class Host {
public:
    virtual ~Host() = default;

    // The command line exactly as the process received it, in UTF-8.
    virtual std::string CommandLine() = 0;
    // The folder of the running program, ending in a path separator (UTF-8).
    virtual std::string ProgramFolder() = 0;

    virtual FileContents ReadWholeFile(const std::string& path) = 0;
    virtual bool AppendToFile(const std::string& path, std::string_view bytes) = 0;
    // All or nothing: a reader sees either the old or the new contents.
    virtual bool WriteFileAtomically(const std::string& path, std::string_view bytes) = 0;

    // Serialises journal appends and state updates between concurrent runs.
    virtual void Lock() = 0;
    virtual void Unlock() = 0;

    // Removes the file; true when it was there to remove. Of runs that race
    // for one file, one takes it.
    virtual bool TakeFile(const std::string& path) = 0;

    virtual void Pause(unsigned milliseconds) = 0;
    // Does not come back on a real system.
    virtual void PauseForever() = 0;

    virtual void WriteOutput(std::string_view bytes) = 0;
    virtual void WriteError(std::string_view bytes) = 0;
};

enum class Tool { Netsh, Ipconfig };

// Returns the process exit code.
int RunTool(Tool tool, Host& host);

}  // namespace netsim
