#include "core/exception.h"
#include "core/line_list.h"
#include "win32/command_capture.h"

#include "tests/win/process_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace test;
using Lines = std::vector<std::string>;

// emit.exe with these steps.
std::string Command(const std::string& steps)
{
    return Emit().append(" ").append(steps);
}

std::string Hex(const std::string& bytes)
{
    std::string hex;
    char pair[3];
    for (const unsigned char byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        hex += pair;
    }
    return hex;
}

// Steps of the child that write these bytes to its stdout or stderr.
std::string Out(const std::string& bytes)
{
    std::string step = "x";
    return step.append(Hex(bytes));
}
std::string Err(const std::string& bytes)
{
    std::string step = "y";
    return step.append(Hex(bytes));
}

Lines ToLines(const LineList& list)
{
    Lines lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.emplace_back(list.Get(i));
    return lines;
}

Lines Capture(const std::string& steps)
{
    LineList list;
    list.Add("previous");
    CaptureCommandOutput(Command(steps), list);
    Lines lines = ToLines(list);
    EXPECT_EQ(lines.front(), "previous") << "the list lost what it held";
    lines.erase(lines.begin());
    return lines;
}

TEST(CaptureCommandOutput, CutsTheOutputIntoLinesAsTheyCome)
{
    const std::string pause = " s150 ";
    const std::string space = " ";
    const struct {
        std::string steps;
        Lines lines;
    } cases[] = {
        {Out("ab\r\ncd\r\n"), {"ab", "cd"}},
        {Out("ab\ncd"), {"ab", "cd"}},
        {Out("ab\rcd\r"), {"ab", "cd"}},
        {Out("x\r\ry\r\n"), {"x", "", "y"}},
        {Out("\r\n\r\nx\r\n"), {"", "", "x"}},
        {Out(std::string("x\0y\n\0", 5)), {"xy"}},
        {Out("last without a break"), {"last without a break"}},
        {"", {}},
        {Err("to stderr\r\n") + space + Out("to stdout\r\n"), {"to stderr", "to stdout"}},
        // A CR LF pair that the child wrote in two goes is still one break.
        {Out("ab\r") + pause + Out("\ncd\r\n"), {"ab", "cd"}},
        {Out("a") + pause + Out("b\r") + pause + Out("\n\r") + pause + Out("\n"), {"ab", ""}},
        // 259 is also what a running child reports; this one has ended.
        {Out("x") + " e259", {"x"}},
        // The child is told to start minimised, on our pipes.
        {"d", {Command("d"), "257", "6", "32", {}}},
    };
    for (const auto& c : cases) {
        Lines lines = Capture(c.steps);
        if (c.steps == "d")
            lines.back().clear();  // the current directory is not ours to predict
        EXPECT_EQ(c.lines, lines) << c.steps;
    }
}

TEST(CaptureCommandOutput, TakesLongLinesAndLargeOutputsWhole)
{
    const Lines longLine = Capture("r100000*41 x0d0a r3*a9");
    ASSERT_EQ(2u, longLine.size());
    EXPECT_EQ(std::string(100000, 'A'), longLine[0]);
    EXPECT_EQ("\xA9\xA9\xA9", longLine[1]);

    // How fast is bench.sh's question; here every line has to arrive whole.
    const int count = 1200000;  // about 10.8 MB, far below the cap
    const Lines lines = Capture(std::string("n").append(std::to_string(count)));
    ASSERT_EQ(static_cast<std::size_t>(count), lines.size());
    char expected[16];
    for (int i = 0; i < count; ++i) {
        std::snprintf(expected, sizeof expected, "%07d", i);
        if (lines[i] != expected) {
            ADD_FAILURE() << "line " << i << " is '" << lines[i] << "'";
            break;
        }
    }
}

TEST(CaptureCommandOutput, AMissingCommandRaisesTheSystemError)
{
    LineList list;
    list.Add("kept");
    try {
        CaptureCommandOutput("tamarko-no-such-command.exe /x", list);
        FAIL() << "no error";
    } catch (const EOSError& e) {
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, e.Code());
        EXPECT_EQ(0u, e.Message().find("Systémová chyba. Kód: 2.\r\n")) << e.Message();
    }
    EXPECT_EQ(Lines{"kept"}, ToLines(list));
}

TEST(CaptureCommandOutput, WaitsForASilentChildWithoutSpendingCpu)
{
    const double cpuBefore = CpuSeconds();
    const auto start = Clock::now();
    const Lines lines = Capture("s2000 " + Out("done"));
    const double wall = Seconds(Clock::now() - start);
    const double cpu = CpuSeconds() - cpuBefore;

    EXPECT_EQ(Lines{"done"}, lines);
    EXPECT_GE(wall, 1.9);
    std::printf("silent child: %.3f s CPU over %.3f s (%.2f %%)\n", cpu, wall, 100 * cpu / wall);
    // A wait that polls without pause takes a whole core; the real one about
    // 1 %. bench.sh measures the share; this catches a busy loop on any load.
    EXPECT_LT(cpu, 0.25 * wall);
}

TEST(CaptureCommandOutput, HandlesMessagesWhileTheChildRuns)
{
    // The child ends only once the message has been handled, so the message
    // is handled during the wait or the capture never ends.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string release = std::string(temp) + "capture-release-" + std::to_string(GetCurrentProcessId());
    DeleteFileA(release.c_str());
    Listener listener;
    Listener::onMessage
        = [&] { CloseHandle(CreateFileA(release.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)); };
    PostMessageA(listener.window, WM_APP, 0, 0);
    const Lines lines = Capture(Out("started\n") + " \"w" + release + "\" " + Out("released\n"));
    DeleteFileA(release.c_str());
    EXPECT_EQ((Lines{"started", "released"}), lines);
}

TEST(CaptureCommandOutput, OutputWithoutEndStopsAtTheCapWithItsMessage)
{
    Watchdog watchdog("a capture of endless output");
    LineList list;
    list.Add("kept");
    const std::string command = Command("z" + Hex("an endless line of output\r\n"));
    try {
        CaptureCommandOutput(command, list);
        FAIL() << "no error";
    } catch (const ECaptureTooLarge& e) {
        EXPECT_EQ(e.Message(), "Výstup příkazu „" + command + "“ je delší než 64 MiB, a proto jej nelze zpracovat.");
    }
    const Lines lines = ToLines(list);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "kept");
    // The lines taken before the cap hold at most its bytes.
    std::size_t bytes = 0;
    for (std::size_t i = 1; i < lines.size(); ++i)
        bytes += lines[i].size() + 2;
    EXPECT_LE(bytes, kMaxCapturedBytes);
}

// Run in a process of their own (see CMakeLists.txt): the end of the program,
// once seen, stays.
TEST(CaptureWhileEnding, AnEndingProgramStopsWaitingForAChildThatNeverStopsWriting)
{
    Watchdog watchdog("a capture while the program ends");
    PostQuitMessage(0);
    LineList lines;
    EXPECT_NO_THROW(CaptureCommandOutput(Command("z" + Hex("0123456789\r\n")), lines))
        << "the capture went on until its cap";
    EXPECT_LT(static_cast<std::size_t>(lines.Count()) * 12, kMaxCapturedBytes / 2)
        << "it stopped at the end's first sight";
}

TEST(OemToAnsiLine, ConvertsEveryCharacterInPlace)
{
    const std::string oem
        = "\x50\xFD\x69\x70\x6F\x6A\x65\x6E\xA1\x20\x6B\x20\x6D\xA1\x73\x74\x6E\xA1\x20\x73\xA1\x74\x69";
    const std::string ansi = "Připojení k místní síti";
    std::string ascii;
    for (int c = 1; c < 128; ++c)
        ascii += static_cast<char>(c);
    std::string longOem, longAnsi;
    while (longOem.size() < 1000) {
        longOem += oem;
        longAnsi += ansi;
    }
    longOem.resize(1000);
    longAnsi.resize(1000);

    const std::pair<std::string, std::string> cases[]
        = {{oem, ansi}, {longOem, longAnsi}, {ascii, ascii}, {"", ""}, {"\xA0\xB5\xD6", "áÁÍ"}};
    for (const auto& [from, to] : cases)
        EXPECT_EQ(to, OemToAnsiLine(from)) << from.size() << " bytes";
}

TEST(OemToAnsiLine, AgreesWithTheSystemForEveryByte)
{
    for (int byte = 1; byte < 256; ++byte) {
        const char oem = static_cast<char>(byte);
        char ansi = 0;
        OemToCharBuffA(&oem, &ansi, 1);
        EXPECT_EQ(std::string(1, ansi), OemToAnsiLine(std::string(1, oem))) << "byte " << byte;
    }
}

}  // namespace
