// What the fault sweep knows without running anything: what a recorder's log
// says of the call sites and allocations of a session, which runs follow from
// it, which function a call site lies in, and whether a message box speaks
// Czech. Plain C++.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace faults {

// One call of one function that a run makes Windows refuse.
struct Fault {
    std::string function;
    bool bySite = true;      // the first call from `site`; else the n-th call
    std::uint32_t site = 0;  // from the program's base
    long n = 0;
    bool shortWrite = false;  // claimed written, but the disk took only half

    // The recorder's request (TAMARKO_RECORDER_FAULT).
    std::string Request() const;
    bool operator==(const Fault&) const = default;
};

// What the log of a session without failures says.
struct Census {
    struct Site {
        std::uint32_t site;
        long firstCall;
    };
    // Each function's call sites, in the order the session first reached them.
    std::vector<std::pair<std::string, std::vector<Site>>> sites;
    // The phases in order, each with the calls made before it began of the
    // functions the recorder counts at every step (allocation, profile writes).
    struct Phase {
        std::string name;
        std::map<std::string, long> callsBefore;
    };
    std::vector<Phase> phases;
    std::map<std::string, long> calls;  // of every function, in the whole session
};
// The phase of a step is named first, in brackets ("[apply] click on ...").
Census ReadCensus(std::string_view log);

// What one run's log says of its failure.
struct Firing {
    bool fired = false;
    std::string phase;  // the phase it fired in
    std::uint32_t site = 0;
    long n = 0;
};
Firing ReadFiring(std::string_view log);

// The runs: the first call from every call site of every function (a
// profile write also cut short); then calls spread over the session of the
// functions whose calls matter one by one: every registry write, every file
// opened, `allocationRuns` allocations at an even stride, with one more in
// any phase the stride misses, and every profile write (refused, and cut
// short). Bounded: each function's first call site, every registry write,
// the files opened in the phases that read one, the profile write in the
// middle of each phase that writes, and one allocation mid-session.
enum class Extent { Bounded, Full };
std::vector<Fault> PlanRuns(const Census& census, Extent extent, int allocationRuns);

// Functions of the program by address, from the linker's map.
class SymbolMap {
public:
    explicit SymbolMap(std::string_view mapText);
    // "TForm1::CloseQuery+0x1a (main_window.cpp)"; "a function of menu.cpp
    // +0x13" for one the map does not name; the address when it knows none.
    std::string Describe(std::uint32_t address) const;
    // The object file whose code holds the address ("main_window.cpp",
    // "crt2"); empty when the map knows none.
    std::string ObjectOf(std::uint32_t address) const;

private:
    struct Symbol {
        std::uint32_t address;
        std::string name;
    };
    // The code one object file brought, and its functions with a name the
    // map gives (not those of an anonymous namespace).
    struct Section {
        std::uint32_t address, size;
        std::string object;
        std::vector<Symbol> symbols;
    };
    const Section* SectionOf(std::uint32_t address) const;
    std::vector<Section> sections_;
};

// A message box of the program's that a user can read: not empty, not the
// runtime's name of a failure, in Czech (code page 1250).
bool ReadableMessage(const std::string& ansiText);

}  // namespace faults
