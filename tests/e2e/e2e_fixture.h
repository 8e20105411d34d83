// What every end-to-end test shares: a fresh program folder named after the
// test, and the texts the program shows.
#pragma once

#include "tests/support/driver.h"
#include "ui/commands.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

class TamarkoTest : public ::testing::Test {
protected:
    TamarkoTest() : folder(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

    // Starts Tamarko and waits for its main window.
    HWND Start(const std::string& arguments = "", const std::map<std::string, std::string>& environment = {})
    {
        program = e2e::StartTamarko(folder, arguments, environment);
        HWND form = e2e::WaitForTopWindow(program.Id(), "TForm1", "Tamarko");
        EXPECT_NE(form, nullptr) << "the main window did not appear";
        return form;
    }
    // Closes the main window as its "Zavřít" command does and waits for the end.
    void CloseAndWait(HWND form)
    {
        e2e::PostCommand(form, cmClose);
        EXPECT_TRUE(program.WaitForExit(10s).has_value()) << "the program did not end";
    }

    e2e::ProgramFolder folder;
    e2e::Process program;
};

inline const char kPlacementSection[] = "Nastavení";
