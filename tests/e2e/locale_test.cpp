// Tamarko on a Windows whose language is not Czech. This program runs under
// an English locale, and the Tamarko it starts inherits it.
#include "tests/e2e/e2e_fixture.h"

using namespace e2e;

TEST_F(TamarkoTest, NonCzechWindowsIsRefusedWithItsMessage)
{
    char language[64] = {};
    GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SENGLANGUAGE, language, sizeof language);
    ASSERT_STRNE(language, "Czech") << "this test must run under a non-Czech locale";

    program = StartTamarko(folder);
    const auto box = WaitForMessageBox(program.Id());
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, "Tamarko");
    EXPECT_EQ(box->text,
        "Tento program může být spuštěn pouze na české verzi Windows 2000/XP.\r\n"
        "Vaše lokalizace Windows není česká, proto bude program ukončen.\r\n\r\n"
        "Ukončit program.");
    EXPECT_EQ(VisibleTopWindowClasses(program.Id()), std::set<std::string>{"#32770"}) << "nothing but the box";
    PressButton(box->window);
    const auto shown = WindowsShownUntilExit(program);
    ASSERT_TRUE(shown.has_value()) << "the program ends once the box is confirmed";
    EXPECT_EQ(shown->count("TForm1"), 0u) << "the main window is never shown";
    EXPECT_EQ(shown->count("TForm2"), 0u) << "nor the chooser";
    EXPECT_FALSE(FileExists(folder.IniPath())) << "the INI file is neither read nor written";
}
