#include "components/launcher.h"

#include "tests/win/process_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace test;
using Lines = std::vector<std::string>;

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

Lines ReadLines(const std::string& path)
{
    std::ifstream file(path);
    Lines lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

class AppExec : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        work = std::string(temp) + "appexec-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(work.c_str(), nullptr);
        GetCurrentDirectoryA(MAX_PATH, temp);
        startDirectory = temp;
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(startDirectory.c_str());
        for (const char* name : {"marker", "info", "release"})
            DeleteFileA((work + "\\" + name).c_str());
        RemoveDirectoryA(work.c_str());
    }
    // A step of the child that names a file in our folder.
    std::string Step(char step, const char* name) const { return std::string("\"") + step + work + "\\" + name + "\""; }
    std::string Marker() const { return work + "\\marker"; }

    std::string work;
    std::string startDirectory;
    TAppExec exec;
};

std::string WinExecErrorOf(TAppExec& exec)
{
    try {
        exec.Execute();
    } catch (const EAppExecWinExec& e) {
        return e.Message();
    }
    return "(no error)";
}

TEST_F(AppExec, AWaitedRunLeavesTheExitCodeInErrNo)
{
    exec.SetWait(true);
    // 259 is what a running process reports, yet this one has ended.
    for (const std::uint32_t code : {0u, 1u, 259u, 3221225477u}) {
        exec.SetExeName(Emit() + " s50 e" + std::to_string(code));
        Watchdog watchdog("a waited run with exit code " + std::to_string(code));
        exec.Execute();
        EXPECT_EQ(code, exec.ErrNo());
    }
}

TEST_F(AppExec, AFailedStartRaisesTheTextForTheSystemError)
{
    std::ofstream(work + "\\marker") << "not a program";
    const struct {
        std::string command;
        std::uint32_t errNo;
        const char* message;
    } cases[] = {
        {"tamarko-no-such-program.exe /x", ERROR_FILE_NOT_FOUND, "Soubor nelze najít"},
        {"\"" + Marker() + "\" /x", ERROR_BAD_EXE_FORMAT, "Chyba"},
    };
    exec.SetWait(true);
    for (const auto& c : cases) {
        exec.SetExeName(c.command);
        EXPECT_EQ(c.message, WinExecErrorOf(exec)) << c.command;
        EXPECT_EQ(c.errNo, exec.ErrNo());
        EXPECT_EQ(c.message, exec.ErrorMessage());
    }
}

TEST_F(AppExec, WithoutWaitExecuteReturnsWhileTheProgramRuns)
{
    // The program cannot end before the test lets it: a launcher that waited
    // would never come back (the watchdog ends the test then).
    exec.SetExeName(Emit());
    exec.SetExeParams({Step('w', "release"), Step('f', "marker")});
    {
        Watchdog watchdog("a run without waiting");
        exec.Execute();
    }
    EXPECT_EQ(0u, exec.ErrNo());
    EXPECT_FALSE(Exists(Marker())) << "the program has not finished yet";
    std::ofstream(work + "\\release").put('\n');
    EXPECT_TRUE(WaitUntil([&] { return Exists(Marker()); })) << "the program ran to its end";
}

TEST_F(AppExec, TheLanguageAssignedLastServesEveryLauncher)
{
    TAppExec other;
    other.SetWait(true);
    other.SetExeName("tamarko-no-such-program.exe");
    const std::pair<TLangType, const char*> cases[]
        = {{ltItalian, "File non trovato"}, {ltFrench, "Fichier non trouvé"}, {ltCzech, "Soubor nelze najít"}};
    for (const auto& [language, message] : cases) {
        exec.SetLangType(language);
        EXPECT_EQ(message, WinExecErrorOf(other));
        EXPECT_EQ(message, other.ErrorMessage());
    }
    exec.SetLangType(ltItalian);
    TAppExec third;  // a new launcher sets Czech for all
    EXPECT_EQ("Soubor nelze najít", other.ErrorMessage());
}

TEST_F(AppExec, ChangeDirMovesUsAndTheProgramToExePathFirst)
{
    exec.SetWait(true);
    exec.SetExeName(Emit());
    exec.SetExeParams({Step('i', "info"), Step('f', "marker")});

    exec.SetExePath(work + "\\missing\\");
    try {
        exec.Execute();
        FAIL() << "no error";
    } catch (const EAppExecChDir& e) {
        EXPECT_EQ(0u, e.Message().find("Systémová chyba. Kód: ")) << e.Message();
        EXPECT_GT(e.Message().size(), std::string("Systémová chyba. Kód: 2.\r\n").size()) << "the system's text";
    }
    EXPECT_EQ(32u, exec.ErrNo());
    EXPECT_FALSE(Exists(Marker())) << "nothing may be started";

    exec.SetChangeDir(false);
    exec.Execute();
    EXPECT_TRUE(Exists(Marker())) << "without ChangeDir the path is not used";
    EXPECT_NE(work, ReadLines(work + "\\info").at(4));

    exec.SetChangeDir(true);
    exec.SetExePath(work + "\\");
    exec.Execute();
    EXPECT_EQ(work, ReadLines(work + "\\info").at(4)) << "the program's current directory";
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_EQ(work, current) << "ours, changed for good";
}

TEST_F(AppExec, ACommandLineLongerThan511CharactersIsRefused)
{
    exec.SetWait(true);
    exec.SetExeName(Emit());
    for (const std::size_t length : {511u, 512u, 2000u}) {
        DeleteFileA(Marker().c_str());
        const std::string head = BuildAppExecCommandLine(Emit(), {Step('f', "marker"), "-"});
        exec.SetExeParams({Step('f', "marker"), "-" + std::string(length - head.size(), 'p')});
        ASSERT_EQ(length, BuildAppExecCommandLine(exec.ExeName(), exec.ExeParams()).size());
        const std::uint32_t errNoBefore = exec.ErrNo();
        if (length <= 511) {
            exec.Execute();
            EXPECT_TRUE(Exists(Marker()));
            continue;
        }
        EXPECT_EQ("Příkazový řádek je příliš dlouhý (" + std::to_string(length)
                + " znaků, nejvýše 511). Příkaz nebyl spuštěn.",
            WinExecErrorOf(exec));
        EXPECT_EQ(errNoBefore, exec.ErrNo());
        EXPECT_FALSE(Exists(Marker())) << "nothing may be started";
    }
}

// The priority class is not checked here: Wine starts every process at
// normal priority whatever it is asked for.
TEST_F(AppExec, TheProgramGetsItsCommandLineAndWindowState)
{
    // Spaces and an empty last line are passed on as they are.
    exec.SetExeName(Emit() + " -a  -b");
    exec.SetExeParams({Step('i', "info"), "-c -d", ""});
    exec.SetWait(true);
    const std::pair<TWindowState, const char*> cases[]
        = {{wsMinimized, "2"}, {wsMaximized, "3"}, {wsMinimizedNoActivate, "7"}, {wsNormal, "1"}};
    for (const auto& [state, showCommand] : cases) {
        exec.SetWindowState(state);
        exec.Execute();
        const Lines info = ReadLines(work + "\\info");
        ASSERT_EQ(5u, info.size());
        EXPECT_EQ(Emit() + " -a  -b " + Step('i', "info") + " -c -d ", info[0]);
        EXPECT_EQ("1", info[1]) << "STARTF_USESHOWWINDOW alone";
        EXPECT_EQ(showCommand, info[2]);
    }
}

TEST_F(AppExec, SettersNormaliseThePathAndDeriveTheShowCommand)
{
    // In order, on one launcher: a value equal to the stored one is left as it is.
    const std::pair<const char*, const char*> paths[] = {
        {"C:\\dir\\", "C:\\dir"},
        {"C:\\", "C:\\"},
        {"\\", "\\"},
        {"C:\\a\\\\", "C:\\a\\"},
        {"C:\\a\\", "C:\\a\\"},
        {"C:\\a\\\\", "C:\\a\\"},
        {"", ""},
        {"D:\\x", "D:\\x"},
    };
    for (const auto& [assigned, stored] : paths) {
        exec.SetExePath(assigned);
        EXPECT_EQ(stored, exec.ExePath()) << "after assigning " << assigned;
    }
    const std::pair<TWindowState, std::uint16_t> states[]
        = {{wsMaximized, 3}, {wsMinimized, 2}, {wsMinimized, 2}, {wsMinimizedNoActivate, 7}, {wsNormal, 1}};
    for (const auto& [state, command] : states) {
        exec.SetWindowState(state);
        EXPECT_EQ(state, exec.WindowState());
        EXPECT_EQ(command, exec.ShowWindowCommand());
    }
}

TEST_F(AppExec, WaitingCostsNoCpuAndHandlesMessagesAtOnce)
{
    Listener listener;
    exec.SetWait(true);
    exec.SetExeName(Emit() + " s2000 e5");
    std::thread poster = listener.PostLater(700);
    const double cpuBefore = CpuSeconds();
    const auto start = Clock::now();
    exec.Execute();
    const auto end = Clock::now();
    const double cpu = CpuSeconds() - cpuBefore;
    poster.join();

    EXPECT_EQ(5u, exec.ErrNo());
    const double wall = Seconds(end - start);
    std::printf("waited run: %.3f s CPU over %.3f s (%.2f %%)\n", cpu, wall, 100 * cpu / wall);
    EXPECT_GE(wall, 1.9);
    // A wait that polls without pause takes a whole core; the real one about
    // 1 %. bench.sh measures the share; this catches a busy loop on any load.
    EXPECT_LT(cpu, 0.25 * wall);
    ASSERT_GT(Listener::handledAt, listener.postedAt) << "the message was not handled";
    EXPECT_LT(Listener::handledAt, end) << "handled during the wait";
}

TEST_F(AppExec, AHandlerMayRunAnotherCommandDuringTheWait)
{
    // The outer program runs until the inner run has ended and released it,
    // so the inner run happens inside the outer wait whatever the timing.
    Listener listener;
    exec.SetWait(true);
    std::uint32_t innerErrNo = 0;
    bool outerStillRunning = false;
    Listener::onMessage = [&] {
        exec.SetExeName(Emit() + " s300 e7");
        exec.Execute();
        innerErrNo = exec.ErrNo();
        outerStillRunning = !Exists(Marker());
        std::ofstream(work + "\\release").put('\n');
    };
    exec.SetExeName(Emit() + " " + Step('w', "release") + " " + Step('f', "marker") + " e3");
    PostMessageA(listener.window, WM_APP, 0, 0);
    Watchdog watchdog("a nested run");
    exec.Execute();

    EXPECT_EQ(7u, innerErrNo) << "the inner run waited for its own program";
    EXPECT_TRUE(outerStillRunning) << "the inner run happened during the outer wait";
    EXPECT_EQ(3u, exec.ErrNo()) << "the outer run ends with its own program's code";
    EXPECT_TRUE(Exists(Marker())) << "the outer run waited for its program";
}

}  // namespace
