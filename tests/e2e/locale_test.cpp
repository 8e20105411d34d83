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
    ExpectRefusedStart("Tento program může být spuštěn pouze na české verzi Windows 2000/XP.\r\n"
                       "Vaše lokalizace Windows není česká, proto bude program ukončen.\r\n\r\n"
                       "Ukončit program.");
}
