// Each of Windows' rules on a small log that breaks it and on the same log
// done right, as the recorder writes them.
#include "tests/verifier/rules.h"

#include <gtest/gtest.h>

namespace {

using verifier::CheckCallLog;

struct RuleCase {
    const char* rule;  // part of the broken rule's text
    const char* broken;
    const char* kept;
};

const RuleCase kRuleCases[] = {
    {"NIM_DELETE must name the icon's window while it exists",
        "Shell_NotifyIconA 0 2006c 1 = 1 alive=1\nDestroyWindow 2006c = 1\nShell_NotifyIconA 2 0 1 = 0 alive=0\n",
        "Shell_NotifyIconA 0 2006c 1 = 1 alive=1\nShell_NotifyIconA 2 2006c 1 = 1 alive=1\nDestroyWindow 2006c = 1\n"
        "exit\n"},
    {"tray icon was never deleted", "Shell_NotifyIconA 0 2006c 1 = 1 alive=1\nexit\n",
        "Shell_NotifyIconA 0 2006c 1 = 1 alive=1\nShell_NotifyIconA 2 2006c 1 = 1 alive=1\nexit\n"},
    {"a brush was never released (DeleteObject)", "CreateSolidBrush ff = 1100133\nexit\n",
        "CreateSolidBrush ff = 1100133\nDeleteObject 1100133 = 1 type=2\nexit\n"},
    {"deleted while it was selected into a DC",
        "CreateFontA 0 = 170a006a\nSelectObject 241006d 170a006a = 18a0001 type=6\nDeleteObject 170a006a = 1 type=6\n",
        "CreateFontA 0 = 170a006a\nSelectObject 241006d 170a006a = 18a0001 type=6\n"
        "SelectObject 241006d 18a0001 = 170a006a type=6\nDeleteObject 170a006a = 1 type=6\n"},
    {"a DC was deleted with an object of the program's still selected",
        "CreateCompatibleDC 0 = 241006d\nSelectObject 241006d 170a006a = 18a0001 type=6\nDeleteDC 241006d = 1\n",
        "CreateCompatibleDC 0 = 241006d\nSelectObject 241006d 170a006a = 18a0001 type=6\n"
        "SelectObject 241006d 18a0001 = 170a006a type=6\nDeleteDC 241006d = 1\n"},
    {"a window DC was never released (ReleaseDC)", "GetDC 2006c = 3e0100\nexit\n",
        "GetDC 2006c = 3e0100\nReleaseDC 2006c 3e0100 = 1\nexit\n"},
    {"a paint DC was never released (EndPaint)", "BeginPaint 2006c 7fe0 = 3e0100\nexit\n",
        "BeginPaint 2006c 7fe0 = 3e0100\nEndPaint 2006c 3e0100 = 1\nexit\n"},
    {"a menu was never released (DestroyMenu)",
        "CreatePopupMenu = 3011c\nCreateWindowExA 0 cf0000 0 0 = 2006c class=TForm1\nDestroyWindow 2006c = 1\nexit\n",
        "CreateMenu = 3011e\nCreatePopupMenu = 3011c\nAppendMenuA 3011e 10 3011c 0 = 1\n"
        "CreateWindowExA 0 cf0000 0 3011e = 2006c class=TForm1\nexit\n"},
    {"an icon was never released (DestroyIcon)",
        "LoadImageA 400000 64 1 10 10 8000 = 20188\nCopyIcon 20188 = 20132\nexit\n",
        "LoadImageA 400000 64 1 10 10 8000 = 20188\nCopyIcon 20188 = 20132\nDestroyIcon 20132 = 1\nexit\n"},
    {"an accelerator table was never released", "CreateAcceleratorTableA 7cde94 4 = 4010c\nexit\n",
        "CreateAcceleratorTableA 7cde94 4 = 4010c\nDestroyAcceleratorTable 4010c = 1\nexit\n"},
    {"a window was left to the end of the process",
        "CreateWindowExA 80 80000000 0 0 = 20134 class=TMultiInstanceWindow\nalive-window 20134\nexit\n",
        "CreateWindowExA 80 80000000 0 0 = 20134 class=TMultiInstanceWindow\nexit\n"},
    {"a kernel handle was never released (CloseHandle)",
        "CreateProcessA 10 = 1 process=b4 thread=b8\nCloseHandle b8 = 1\nexit\n",
        "CreateProcessA 10 = 1 process=b4 thread=b8\nCloseHandle b8 = 1\nCloseHandle b4 = 1\nexit\n"},
    {"a registry key was never released (RegCloseKey)", "RegOpenKeyExA 80000001 = 0 key=9c\nexit\n",
        "RegOpenKeyExA 80000001 = 0 key=9c\nRegCloseKey 9c = 0\nexit\n"},
    {"CoInitialize without its CoUninitialize", "CoInitialize 0 = 0\nexit\n",
        "CoInitialize 0 = 0\nCoUninitialize = 0\nexit\n"},
    {"CoUninitialize without a CoInitialize", "CoInitialize 0 = 80004005\nCoUninitialize = 0\nexit\n",
        "CoInitialize 0 = 1\nCoUninitialize = 0\nexit\n"},
    {"was not posted again before a loop waited",
        "PeekMessageA took WM_QUIT\nGetMessageA waits after a WM_QUIT was taken\n",
        "PeekMessageA took WM_QUIT\nPostQuitMessage 0 = 0\n"},
    {"a heap block was written past its end", "free 7a0b10 = 0 heap block damaged\nexit\n", "exit\n"},
    {"inside another wait for messages was never posted again", "PeekMessageA took WM_QUIT inside a wait\n",
        "PeekMessageA took WM_QUIT inside a wait\nPostQuitMessage 0 = 0\nGetMessageA took WM_QUIT\n"},
};

TEST(VerifierRules, EachRuleBreaksOnItsFaultAndOnlyThere)
{
    for (const RuleCase& c : kRuleCases) {
        const auto broken = CheckCallLog(c.broken);
        ASSERT_EQ(broken.size(), 1u) << c.rule;
        EXPECT_NE(broken.front().rule.find(c.rule), std::string::npos) << broken.front().rule;
        EXPECT_TRUE(CheckCallLog(c.kept).empty()) << c.rule << ": " << verifier::Describe(CheckCallLog(c.kept).front());
    }
}

// What a program left is judged only when it ended by itself, and a broken
// rule names the step of the test in which its call came.
TEST(VerifierRules, LeftOversCountOnlyAtAnEndAndViolationsNameTheirStep)
{
    EXPECT_TRUE(CheckCallLog("CreateSolidBrush ff = 1100133\n").empty()) << "killed: nothing is left to judge";
    const auto broken = CheckCallLog("# step click on BUTTON \"OK\"\nCreateSolidBrush ff = 1100133\n"
                                     "# step command 1003\nexit\n");
    ASSERT_EQ(broken.size(), 1u);
    EXPECT_EQ(broken.front().step, "click on BUTTON \"OK\"");
    EXPECT_EQ(broken.front().call, "CreateSolidBrush ff = 1100133");
}

TEST(VerifierRules, LiveObjectsAreCountedByKind)
{
    verifier::CallLogChecker checker;
    for (const char* line : {"CreateSolidBrush ff = 11", "CreateSolidBrush 0 = 12", "CreateFontA 0 = 13",
             "DeleteObject 11 = 1 type=2", "CreatePopupMenu = 3011c", "CreateWindowExA 0 0 0 0 = 2006c class=X",
             "CreateWindowExA 0 40000000 2006c 64 = 2006e class=BUTTON", "DestroyWindow 2006c = 1"})
        checker.Feed(line);
    const verifier::LiveObjects live = checker.Live();
    EXPECT_EQ(live.Gdi(), 2);
    EXPECT_EQ(live.GdiByKind(), "brush 1, font 1");
    EXPECT_EQ(live.User(), 1) << "the button went with its window";
    EXPECT_EQ(live.UserByKind(), "menu 1");
}

}  // namespace
