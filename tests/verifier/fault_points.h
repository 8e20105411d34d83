// Windows saying no, on request: every function of the program's that Windows
// may refuse (no memory, no GDI or USER objects, a full disk, a busy shell)
// is a fault point. The recorder counts each point's calls and notes each
// call site the program calls it from; the test asks for one call to fail
//   TAMARKO_RECORDER_FAULT=<function>@<site>   the first call from that site
//                                              (hexadecimal, from the
//                                              program's base)
//   TAMARKO_RECORDER_FAULT=<function>#<n>      the n-th call, from anywhere
// optionally followed by ",error=<hex>" (the last error it leaves, or the
// common dialog's error) or ",short" (a profile write that claims success
// while the disk took only part of the file, as Wine's does on a full disk).
// The log gets "site <function> <site> <n>" for each new call site,
// "fault <function> site=<site> n=<n>" when the asked call fails, and
// "calls <function> <n>" for every point at the end.
#pragma once

#include <windows.h>

#include <cstdint>
#include <type_traits>
#include <utility>

namespace verifier {

class FaultPoint {
public:
    FaultPoint(const char* name, ULONG_PTR failure, DWORD error);

    const char* Name() const { return name_; }
    // Counts a call from `returnAddress`; true when this call is to fail.
    bool Fails(void* returnAddress);
    // True once for the call that was let through to leave a short file.
    bool TakeShortWrite() { return std::exchange(failsShort_, false); }
    // The value it returns and the last error it leaves when it fails.
    template <typename R> R Failure() const
    {
        if constexpr (std::is_pointer_v<R>)
            return reinterpret_cast<R>(failure_);
        else
            return static_cast<R>(failure_);
    }
    DWORD Error() const { return error_; }
    long Calls() const { return calls_; }

private:
    static constexpr int kMostSites = 64;
    const char* name_;
    ULONG_PTR failure_;
    DWORD error_;
    long calls_ = 0;
    std::uintptr_t sites_[kMostSites] = {};
    int siteCount_ = 0;
    bool failsShort_ = false;
};

// The point of that function; every function the recorder can fail has one.
FaultPoint& FaultPointOf(const char* function);
// The same, or nullptr for a function Windows does not refuse.
FaultPoint* FindFaultPoint(const char* function);
// Reads the request from the environment; `program` is the module whose
// call sites are counted from its base.
void ReadFaultRequest(HMODULE program);
// "calls" lines for the end of the log.
void WriteFaultCounts();

}  // namespace verifier
