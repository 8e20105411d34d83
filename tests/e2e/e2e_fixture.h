// What every end-to-end test shares: a fresh program folder named after the
// test, the proxy values planted, and Windows' rules checked at its end.
#pragma once

#include "tests/support/driver.h"
#include "tests/support/program_model.h"
#include "tests/support/recording.h"
#include "ui/commands.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace std::chrono_literals;

// The current user's proxy values; nullptr removes a value.
inline void PlantProxy(const int* enable, const char* server)
{
    ASSERT_TRUE(WriteProxyValues(enable, server));
}

inline std::string LocalComputerName()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    GetComputerNameA(name, &size);
    return name;
}

class TamarkoTest : public ::testing::Test {
protected:
    TamarkoTest()
        : folder(::testing::UnitTest::GetInstance()->current_test_info()->name())
    {
    }

    // Starts Tamarko and waits for its main window.
    HWND Start(const std::string& arguments = "", const std::map<std::string, std::string>& environment = {})
    {
        program = e2e::StartTamarko(folder, arguments, environment);
        HWND form = e2e::WaitForTopWindow(program.Id(), "TForm1", "Tamarko");
        EXPECT_NE(form, nullptr) << "the main window did not appear";
        return form;
    }
    // Starts Tamarko and waits until it shows a connection's state.
    HWND StartFilled(const std::string& arguments = "")
    {
        HWND form = Start(arguments);
        if (form) {
            EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(MainWindow(form).statusBar) == kStateLegend; }))
                << "the window was not filled";
        }
        return form;
    }
    // Closes the main window as its "Zavřít" command does and waits for the end.
    void CloseAndWait(HWND form)
    {
        e2e::PostCommand(form, cmClose);
        EXPECT_TRUE(program.WaitForExit(20s).has_value()) << "the program did not end";
    }

    // A start that refuses to run: `message` in a box captioned "Tamarko" and
    // nothing else on screen; once it is confirmed the program ends without
    // ever showing its windows, and no INI file was written.
    void ExpectRefusedStart(const std::string& message)
    {
        const auto box = e2e::WaitForMessageBox(program.Id());
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->caption, "Tamarko");
        EXPECT_EQ(box->text, message);
        EXPECT_EQ(e2e::VisibleTopWindowClasses(program.Id()), std::set<std::string>{"#32770"}) << "nothing but the box";
        e2e::PressButton(box->window);
        const auto shown = e2e::WindowsShownUntilExit(program);
        ASSERT_TRUE(shown.has_value()) << "the program ends once the box is confirmed";
        EXPECT_EQ(shown->count("TForm1"), 0u) << "the main window is never shown";
        EXPECT_EQ(shown->count("TForm2"), 0u) << "nor the chooser";
        EXPECT_FALSE(e2e::FileExists(folder.IniPath())) << "the INI file is neither read nor written";
    }

    // A program the test left open, usable and asking nothing is closed as a
    // user closes it, so that what it leaves behind can be judged too; then
    // every recorded program of the test is held to Windows' rules.
    void TearDown() override
    {
        if (program.Running()) {
            HWND form = e2e::FindTopWindow(program.Id(), "TForm1", "Tamarko", false);
            if (form && e2e::Enabled(form) && !e2e::FindTopWindow(program.Id(), "#32770")) {
                e2e::Step("the end of the test: Zavřít");
                e2e::PostCommand(form, cmClose);
                program.WaitForExit(10s);
            }
        }
        for (const std::string& broken : e2e::BrokenRules(folder))
            ADD_FAILURE() << "Windows' rule broken in " << broken;
    }

    e2e::ProgramFolder folder;
    e2e::Process program;
};
