#include "win32/late_binding.h"

#include <gtest/gtest.h>

#include <commdlg.h>

namespace {

// comdlg32.dll is linked into nothing here: only the lookup loads it.
TEST(LateFunction, LoadsTheSystemDllWhenItsFunctionIsFirstAskedFor)
{
    ASSERT_EQ(GetModuleHandleA("comdlg32.dll"), nullptr) << "loaded before anything asked";
    const auto open = LateFunction<decltype(&GetOpenFileNameA)>("comdlg32.dll", "GetOpenFileNameA");
    EXPECT_NE(open, nullptr);
    const HMODULE loaded = GetModuleHandleA("comdlg32.dll");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(LateFunction("comdlg32.dll", "GetSaveFileNameA"), GetProcAddress(loaded, "GetSaveFileNameA"));
}

TEST(LateFunction, GivesNothingForAMissingDllOrFunction)
{
    EXPECT_EQ(LateFunction("tamarko-no-such-library.dll", "Anything"), nullptr);
    EXPECT_EQ(LateFunction("version.dll", "TamarkoNoSuchFunction"), nullptr);
}

}  // namespace
