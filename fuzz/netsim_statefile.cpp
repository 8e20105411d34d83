// The stand-ins' state file: whatever it parses to must survive being
// written out and read back unchanged, and a refusal must name a line of
// the file.
//
// Input: the file's bytes.
#include "fuzz/fuzz_check.h"
#include "tools/netsim/statefile.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = netsim::ParseStateFile(text);

    if (const auto* error = std::get_if<netsim::StateFileError>(&parsed)) {
        const auto lineCount = std::count(text.begin(), text.end(), '\n') + 1;
        FUZZ_CHECK(error->line >= 1 && error->line <= lineCount);
        FUZZ_CHECK(!error->message.empty());
        return 0;
    }

    const auto& state = std::get<netsim::MachineState>(parsed);
    const std::string written = netsim::FormatStateFile(state);
    const auto reread = netsim::ParseStateFile(written);
    if (const auto* error = std::get_if<netsim::StateFileError>(&reread)) {
        std::fprintf(stderr, "the written file is refused at line %d: %s\n", error->line, error->message.c_str());
        FUZZ_CHECK(!"a written state file is read back");
    }
    FUZZ_CHECK(std::get<netsim::MachineState>(reread) == state);
    FUZZ_CHECK(netsim::FormatStateFile(std::get<netsim::MachineState>(reread)) == written);
    return 0;
}
