#include "core/exception.h"
#include "core/line_splitter.h"
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

Lines Capture(const std::string& steps)
{
    Lines lines{"previous"};
    CaptureCommandOutput(Command(steps), lines);
    lines.erase(lines.begin());
    return lines;
}

// The same child's output taken by a plain blocking read and cut into lines
// the same way, for comparison: the lines and the seconds it took.
std::pair<std::size_t, double> PlainRead(const std::string& steps)
{
    const auto start = Clock::now();
    SECURITY_ATTRIBUTES security = {sizeof security, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    CreatePipe(&read, &write, &security, 0);
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_MINIMIZE;
    startup.hStdOutput = startup.hStdError = write;
    PROCESS_INFORMATION started = {};
    std::string commandLine = Command(steps);
    CreateProcessA(
        nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NEW_CONSOLE, nullptr, nullptr, &startup, &started);
    CloseHandle(write);
    std::vector<char> buffer(65536);
    LineSplitter splitter;
    Lines lines;
    for (DWORD got = 0; ReadFile(read, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr);)
        splitter.Feed(buffer.data(), got, lines);
    splitter.Finish(lines);
    WaitForSingleObject(started.hProcess, INFINITE);
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    CloseHandle(read);
    return {lines.size(), Seconds(Clock::now() - start)};
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

    const int count = 600000;  // about 5.4 MB
    const std::string steps = std::string("n").append(std::to_string(count));
    const auto [plainLines, plainSeconds] = PlainRead(steps);
    ASSERT_EQ(static_cast<std::size_t>(count), plainLines);
    const auto start = Clock::now();
    const Lines lines = Capture(steps);
    const double captureSeconds = Seconds(Clock::now() - start);
    ASSERT_EQ(static_cast<std::size_t>(count), lines.size());
    char expected[16];
    for (int i = 0; i < count; ++i) {
        std::snprintf(expected, sizeof expected, "%07d", i);
        if (lines[i] != expected) {
            ADD_FAILURE() << "line " << i << " is '" << lines[i] << "'";
            break;
        }
    }
    std::printf("%d lines: captured in %.3f s, plain read in %.3f s\n", count, captureSeconds, plainSeconds);
    // Half the speed of a plain read at least, or the waits throttle it.
    EXPECT_LT(captureSeconds, 2 * plainSeconds);
}

TEST(CaptureCommandOutput, AMissingCommandRaisesTheSystemError)
{
    Lines lines{"kept"};
    try {
        CaptureCommandOutput("tamarko-no-such-command.exe /x", lines);
        FAIL() << "no error";
    } catch (const EOSError& e) {
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, e.Code());
        EXPECT_EQ(0u, e.Message().find("System Error.  Code: 2.\r\n")) << e.Message();
    }
    EXPECT_EQ(Lines{"kept"}, lines);
}

TEST(CaptureCommandOutput, WaitsForASilentChildWithoutSpendingCpuAndHandlesMessages)
{
    Listener listener;
    std::thread poster = listener.PostLater(700);
    const double cpuBefore = CpuSeconds();
    const auto start = Clock::now();
    const Lines lines = Capture("s3000 " + Out("done"));
    const auto end = Clock::now();
    const double cpu = CpuSeconds() - cpuBefore;
    poster.join();

    EXPECT_EQ(Lines{"done"}, lines);
    const double wall = Seconds(end - start);
    std::printf("silent child: %.3f s CPU over %.3f s (%.2f %%)\n", cpu, wall, 100 * cpu / wall);
    // Polling every millisecond costs about 4.5 % here; the waits about 1 %.
    EXPECT_LT(cpu, 0.03 * wall);
    ASSERT_GT(Listener::handledAt, listener.postedAt) << "the message was not handled";
    EXPECT_LT(Listener::handledAt, end);
    EXPECT_LT(Seconds(Listener::handledAt - listener.postedAt), 0.1) << "handled late";
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
