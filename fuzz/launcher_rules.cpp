// The launcher's rules: message lookup for any error number in any
// language, the command line it builds and its working-directory rule.
//
// Input: a language byte, a 32-bit error number (little-endian), a priority
// byte, then lines (LF): the program's path and its parameter lines; every
// line is also tried as a working directory.
#include "components/launcher_rules.h"
#include "fuzz/fuzz_check.h"

#include <algorithm>
#include <iterator>

namespace {

// Error numbers with a text of their own; from 32 up they share the last.
bool HasOwnText(std::int32_t errNo)
{
    const std::int32_t numbers[] = {0, 2, 3, 5, 6, 8, 10, 11, 12, 13, 14, 15, 16, 19, 20, 21};
    return std::find(std::begin(numbers), std::end(numbers), errNo) != std::end(numbers);
}

// The text for "file not found" (2) in each language, code page 1250 bytes.
const char* FileNotFound(TLangType language)
{
    switch (language) {
    case ltFrench:
        return "Fichier non trouv\xE9";
    case ltItalian:
        return "File non trovato";
    case ltCzech:
    default:
        return "Soubor nelze naj\xEDt";
    }
}

// The table is shared by every launcher and outlives one input; Czech until
// a language is assigned.
TLangType g_language = ltCzech;

bool IsRoot(const std::string& path)
{
    return path == "\\" || (path.size() == 3 && path[1] == ':' && path[2] == '\\');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    // 3 is beyond the enumeration but within its range of values: it must
    // leave the texts as they are.
    const auto language = static_cast<TLangType>(input.Byte() % 4);
    const std::uint32_t errNo = input.Word();
    const int priority = static_cast<std::int8_t>(input.Byte());
    const auto lines = SplitAt(input.Rest(), '\n');

    SetAppExecLanguage(language);
    if (language == ltFrench || language == ltCzech || language == ltItalian)
        g_language = language;
    FUZZ_CHECK(AppExecMessage(2) == FileNotFound(g_language));

    const auto signedErrNo = static_cast<std::int32_t>(errNo);
    const std::string message = AppExecMessage(errNo);
    if (signedErrNo >= 32)
        FUZZ_CHECK(message == AppExecMessage(32) && !message.empty());
    else
        FUZZ_CHECK(message.empty() != HasOwnText(signedErrNo));

    const std::uint32_t flag = PriorityClassFlag(priority);
    FUZZ_CHECK(flag == 0x20 || flag == 0x40 || flag == 0x80 || flag == 0x100);
    const std::uint16_t show = ShowWindowCommandFor(static_cast<TWindowState>(priority & 3));
    FUZZ_CHECK((show >= 1 && show <= 3) || show == 7);

    if (!lines.empty()) {
        const std::vector<std::string> params(lines.begin() + 1, lines.end());
        const std::string commandLine = BuildAppExecCommandLine(lines[0], params);
        std::string expected = lines[0];
        for (const auto& param : params)
            expected += ' ' + param;
        FUZZ_CHECK(commandLine == expected);
        FUZZ_CHECK(CommandLineTooLongMessage(commandLine.size()).find(std::to_string(commandLine.size()))
            != std::string::npos);
    }

    for (const auto& path : lines) {
        const std::string normalised = NormaliseExePath(path);
        if (!path.empty() && path.back() == '\\' && !IsRoot(path))
            FUZZ_CHECK(normalised + '\\' == path);
        else
            FUZZ_CHECK(normalised == path);
    }
    return 0;
}
