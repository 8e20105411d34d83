#include "tests/faults/sweep_plan.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <utility>

namespace faults {

namespace {

// The profile write is the one function that can also lie: it claims success
// while the disk took only part of the file.
const char kProfileWrite[] = "WritePrivateProfileStringA";
const char kAllocation[] = "malloc";
// A file opened: refused as when another program holds it.
const char kFileOpen[] = "CreateFileA";
// The phases that read a file the user keeps: the program INI file at the
// start, the settings file at the load.
const char* const kReadingPhases[] = {"start", "load"};
const char* const kRegistryWrites[] = {"RegCreateKeyExA", "RegSetValueExA"};

std::string Hex(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(value));
    return text;
}

// The log line by line, line breaks left out.
template <typename Visit> void ForEachLine(std::string_view log, Visit visit)
{
    while (!log.empty()) {
        const std::size_t end = log.find('\n');
        std::string_view line = log.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        visit(line);
        log = end == std::string_view::npos ? std::string_view() : log.substr(end + 1);
    }
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// The phase a step line names, if it names one.
std::optional<std::string> PhaseOf(std::string_view line)
{
    constexpr std::string_view kStep = "# step [";
    const std::size_t end = line.find(']');
    if (!StartsWith(line, kStep) || end == std::string_view::npos)
        return std::nullopt;
    return std::string(line.substr(kStep.size(), end - kStep.size()));
}

// "name=value" among the words of a line.
std::string ValueOf(const std::string& line, const std::string& name)
{
    const std::size_t at = line.find(" " + name + "=");
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + name.size() + 2;
    return line.substr(start, line.find(' ', start) - start);
}

std::string WithoutParameters(std::string name)
{
    const std::string longString = "std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >";
    for (std::size_t at; (at = name.find(longString)) != std::string::npos;)
        name.replace(at, longString.size(), "std::string");
    for (std::size_t at; (at = name.find("[abi:cxx11]")) != std::string::npos;)
        name.erase(at, 11);
    int depth = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '<')
            ++depth;
        else if (name[i] == '>')
            --depth;
        else if (name[i] == '(' && depth == 0 && i > 0)
            return name.substr(0, i);
    }
    return name;
}

// "main_window.cpp" of "CMakeFiles/tamarko.dir/objects.a(main_window.cpp.obj)"
// or of ".../libstdc++.a(new_op.o)".
std::string ObjectName(std::string object)
{
    const std::size_t open = object.rfind('(');
    if (open != std::string::npos && object.back() == ')')
        object = object.substr(open + 1, object.size() - open - 2);
    const std::size_t slash = object.find_last_of("/\\");
    if (slash != std::string::npos)
        object = object.substr(slash + 1);
    for (const char* suffix : {".obj", ".o"}) {
        const std::string ending = suffix;
        if (object.size() > ending.size() && object.compare(object.size() - ending.size(), ending.size(), ending) == 0)
            return object.substr(0, object.size() - ending.size());
    }
    return object;
}

}  // namespace

std::string Fault::Request() const
{
    return function + (bySite ? "@" + Hex(site) : "#" + std::to_string(n)) + (shortWrite ? ",short" : "");
}

Census ReadCensus(std::string_view log)
{
    Census census;
    std::string phase;
    std::optional<std::string> startingPhase;
    ForEachLine(log, [&](std::string_view line) {
        if (auto named = PhaseOf(line)) {
            if (*named != phase)
                startingPhase = phase = std::move(*named);
            return;
        }
        std::istringstream words{std::string(line)};
        std::string kind, function;
        words >> kind;
        if (kind == "#" && startingPhase) {
            std::string what, count;
            if (!(words >> what) || what != "counts")
                return;
            Census::Phase phase{*startingPhase, {}};
            while (words >> count) {
                const std::size_t equals = count.find('=');
                if (equals != std::string::npos)
                    phase.callsBefore[count.substr(0, equals)] = std::strtol(count.c_str() + equals + 1, nullptr, 10);
            }
            census.phases.push_back(std::move(phase));
            startingPhase.reset();
        } else if (kind == "site") {
            std::string site;
            long first = 0;
            if (!(words >> function >> site >> first))
                return;
            auto known = std::find_if(
                census.sites.begin(), census.sites.end(), [&](const auto& entry) { return entry.first == function; });
            if (known == census.sites.end())
                known = census.sites.insert(census.sites.end(), {function, {}});
            known->second.push_back({static_cast<std::uint32_t>(std::strtoul(site.c_str(), nullptr, 16)), first});
        } else if (kind == "calls") {
            long count = 0;
            if (words >> function >> count)
                census.calls[function] = count;
        }
    });
    return census;
}

Firing ReadFiring(std::string_view log)
{
    Firing firing;
    std::string phase = "start";
    ForEachLine(log, [&](std::string_view line) {
        if (auto begun = PhaseOf(line))
            phase = std::move(*begun);
        else if (!firing.fired && StartsWith(line, "fault ")) {
            const std::string text(line);
            firing.fired = true;
            firing.phase = phase;
            firing.site = static_cast<std::uint32_t>(std::strtoul(ValueOf(text, "site").c_str(), nullptr, 16));
            firing.n = std::strtol(ValueOf(text, "n").c_str(), nullptr, 10);
        }
    });
    return firing;
}

namespace {

long CallsOf(const std::map<std::string, long>& calls, const std::string& function)
{
    const auto found = calls.find(function);
    return found == calls.end() ? 0 : found->second;
}

// The calls of `function` each phase makes: [first, end).
std::vector<std::pair<long, long>> PhaseCalls(const Census& census, const std::string& function)
{
    std::vector<std::pair<long, long>> ranges;
    for (std::size_t i = 0; i < census.phases.size(); ++i) {
        const long first = CallsOf(census.phases[i].callsBefore, function) + 1;
        const long end = i + 1 < census.phases.size() ? CallsOf(census.phases[i + 1].callsBefore, function) + 1
                                                      : CallsOf(census.calls, function) + 1;
        ranges.emplace_back(first, end);
    }
    return ranges;
}

}  // namespace

std::vector<Fault> PlanRuns(const Census& census, Extent extent, int allocationRuns)
{
    std::vector<Fault> runs;
    for (const auto& [function, sites] : census.sites) {
        for (const Census::Site& site : sites) {
            runs.push_back({function, true, site.site});
            if (function == kProfileWrite)
                runs.push_back({function, true, site.site, 0, true});
            if (extent == Extent::Bounded)
                break;
        }
    }

    // The profile writes one by one: a file cut at any key.
    const long profileWrites = CallsOf(census.calls, kProfileWrite);
    std::vector<long> writes;
    if (extent == Extent::Full) {
        for (long n = 2; n <= profileWrites; ++n)
            writes.push_back(n);  // the first is a call site's first call above
    } else {
        for (const auto& [first, end] : PhaseCalls(census, kProfileWrite)) {
            if (end - first > 1)
                writes.push_back(first + (end - first) / 2);
        }
    }
    for (long n : writes) {
        runs.push_back({kProfileWrite, false, 0, n});
        runs.push_back({kProfileWrite, false, 0, n, true});
    }

    // The registry writes one by one, few as they are: the proxy's second
    // value refused must bring the first back.
    for (const char* function : kRegistryWrites) {
        for (long n = 2; n <= CallsOf(census.calls, function); ++n)
            runs.push_back({function, false, 0, n});
    }

    // Every file opened, refused as one another program holds (bounded: the
    // opens of the phases that read): a file that cannot be read is not an
    // empty one. A call site's first call has its run above already.
    const auto firstOfSite = [&](const std::string& function, long n) {
        for (const auto& [named, sites] : census.sites) {
            for (const Census::Site& site : sites) {
                if (named == function && site.firstCall == n)
                    return true;
            }
        }
        return false;
    };
    const std::vector<std::pair<long, long>> opens = PhaseCalls(census, kFileOpen);
    for (std::size_t phase = 0; phase < opens.size(); ++phase) {
        const bool reading = std::any_of(std::begin(kReadingPhases), std::end(kReadingPhases),
            [&](const char* name) { return census.phases[phase].name == name; });
        if (extent == Extent::Bounded && !reading)
            continue;
        for (long n = opens[phase].first; n < opens[phase].second; ++n) {
            if (!firstOfSite(kFileOpen, n))
                runs.push_back({kFileOpen, false, 0, n});
        }
    }

    const long allocations = CallsOf(census.calls, kAllocation);
    if (allocations <= 0 || allocationRuns <= 0)
        return runs;
    if (extent == Extent::Bounded) {
        // One refusal in the middle of the session: what the user then reads.
        runs.push_back({kAllocation, false, 0, allocations / 2});
        return runs;
    }
    std::vector<long> picked;
    const long stride = std::max<long>(1, allocations / (allocationRuns + 1));
    for (long n = stride; n <= allocations && static_cast<int>(picked.size()) < allocationRuns; n += stride)
        picked.push_back(n);
    // Every phase that allocates gets at least one run.
    for (const auto& [first, end] : PhaseCalls(census, kAllocation)) {
        const bool reached = std::any_of(picked.begin(), picked.end(), [&](long n) { return n >= first && n < end; });
        if (!reached && end > first)
            picked.push_back(first + (end - first) / 2);
    }
    std::sort(picked.begin(), picked.end());
    for (long n : picked)
        runs.push_back({kAllocation, false, 0, n});
    return runs;
}

SymbolMap::SymbolMap(std::string_view mapText)
{
    const std::size_t memoryMap = mapText.find("Linker script and memory map");
    if (memoryMap == std::string_view::npos)
        return;
    std::string pendingSection;  // a long section name puts its numbers on the next line
    Section* code = nullptr;
    ForEachLine(mapText.substr(memoryMap), [&](std::string_view line) {
        std::istringstream words{std::string(line)};
        std::string first, second, third;
        words >> first >> second >> third;
        std::string rest;
        std::getline(words >> std::ws, rest);
        std::string section;
        if (StartsWith(line, " .")) {
            section = first;
            if (second.empty()) {
                pendingSection = first;
                return;
            }
        } else if (!pendingSection.empty() && StartsWith(first, "0x") && StartsWith(second, "0x")) {
            // The numbers of the section named on the line before.
            section = std::exchange(pendingSection, {});
            rest = third + (rest.empty() ? "" : " " + rest);
            third = second;
            second = first;
        } else {
            pendingSection.clear();
            if (code && StartsWith(line, std::string(16, ' ') + "0x") && !StartsWith(second, "0x") && !second.empty()) {
                const std::string name = second + (third.empty() ? "" : " " + third) + (rest.empty() ? "" : " " + rest);
                code->symbols.push_back(
                    {static_cast<std::uint32_t>(std::strtoul(first.c_str(), nullptr, 16)), WithoutParameters(name)});
            }
            return;
        }
        const auto address = static_cast<std::uint32_t>(std::strtoul(second.c_str(), nullptr, 16));
        const auto size = static_cast<std::uint32_t>(std::strtoul(third.c_str(), nullptr, 16));
        code = nullptr;
        if (StartsWith(section, ".text") && address != 0 && size != 0 && !rest.empty()) {
            sections_.push_back({address, size, ObjectName(rest), {}});
            code = &sections_.back();
        }
    });
    std::sort(
        sections_.begin(), sections_.end(), [](const Section& a, const Section& b) { return a.address < b.address; });
}

const SymbolMap::Section* SymbolMap::SectionOf(std::uint32_t address) const
{
    auto after = std::upper_bound(sections_.begin(), sections_.end(), address,
        [](std::uint32_t value, const Section& section) { return value < section.address; });
    if (after == sections_.begin() || address >= std::prev(after)->address + std::prev(after)->size)
        return nullptr;
    return &*std::prev(after);
}

std::string SymbolMap::ObjectOf(std::uint32_t address) const
{
    const Section* section = SectionOf(address);
    return section ? section->object : std::string();
}

std::string SymbolMap::Describe(std::uint32_t address) const
{
    const Section* found = SectionOf(address);
    if (!found)
        return "0x" + Hex(address);
    const Section& section = *found;
    const Symbol* nearest = nullptr;
    for (const Symbol& symbol : section.symbols) {
        if (symbol.address <= address && (!nearest || symbol.address > nearest->address))
            nearest = &symbol;
    }
    if (!nearest)
        return "a function of " + section.object + " +0x" + Hex(address - section.address);
    return nearest->name + "+0x" + Hex(address - nearest->address) + " (" + section.object + ")";
}

bool ReadableMessage(const std::string& text)
{
    if (text.empty() || text.find("std::") != std::string::npos)
        return false;
    // The Czech letters of code page 1250, small and capital.
    static const std::string kCzechLetters = "\xE1\xE8\xEF\xE9\xEC\xED\xF2\xF3\xF8\x9A\x9D\xFA\xF9\xFD\x9E"
                                             "\xC1\xC8\xCF\xC9\xCC\xCD\xD2\xD3\xD8\x8A\x8D\xDA\xD9\xDD\x8E";
    if (text.find_first_of(kCzechLetters) != std::string::npos)
        return true;
    // Czech without a letter of its own ("Soubor ... nebyl nalezen.").
    for (const char* word : {"nebyl", "nelze", "Soubor ", "selhal", "Nelze"}) {
        if (text.find(word) != std::string::npos)
            return true;
    }
    return text.find(", ClassID: {") != std::string::npos;
}

}  // namespace faults
