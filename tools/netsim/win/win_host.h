// The Windows side of a netsh/ipconfig stand-in run: files beside the
// executable, the console, Sleep, and a mutex shared by all runs from the
// same folder.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "tools/netsim/program.h"

namespace netsim {

class WinHost final : public Host {
public:
    WinHost();
    ~WinHost() override;
    WinHost(const WinHost&) = delete;
    WinHost& operator=(const WinHost&) = delete;

    std::string CommandLine() override;
    std::string ProgramFolder() override;
    FileContents ReadWholeFile(const std::string& path) override;
    bool AppendToFile(const std::string& path, std::string_view bytes) override;
    bool WriteFileAtomically(const std::string& path, std::string_view bytes) override;
    void Lock() override;
    void Unlock() override;
    bool TakeFile(const std::string& path) override;
    void Pause(unsigned milliseconds) override;
    void PauseForever() override;
    void WriteOutput(std::string_view bytes) override;
    void WriteError(std::string_view bytes) override;

private:
    std::wstring folder_;  // with a trailing backslash
    HANDLE mutex_ = nullptr;
};

}  // namespace netsim
