// The launcher's message tables, command line, working directory and the
// Windows values behind its settings.
#include "components/launcher_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Taken while the program starts, before main and before any test could have
// chosen a language.
const std::string kMessageAtStartUp = AppExecMessage(2);

// Leaves the shared table Czech again, whatever a test chose.
class AppExecMessages : public ::testing::Test {
protected:
    void TearDown() override { SetAppExecLanguage(ltCzech); }
};

TEST_F(AppExecMessages, CzechBeforeAnyLanguageIsSet)
{
    EXPECT_EQ(kMessageAtStartUp, "Soubor nelze najít");
}

// Which numbers have a text at all, in every language.
TEST_F(AppExecMessages, NumbersWithAndWithoutText)
{
    struct Case {
        std::uint32_t errNo;
        bool hasText;
    } const cases[] = {
        {0, true},
        {1, false},
        {2, true},
        {3, true},
        {4, false},
        {5, true},
        {6, true},
        {7, false},
        {8, true},
        {9, false},
        {10, true},
        {16, true},
        {17, false},
        {18, false},
        {19, true},
        {21, true},
        {22, false},
        {31, false},
        {32, true},
        {259, true},
        {2147483647u, true},
        {2147483648u, false},
        {0xFFFFFFFFu, false},
        {0xFFFFFFFEu, false},
    };
    for (TLangType language : {ltCzech, ltFrench, ltItalian}) {
        SetAppExecLanguage(language);
        for (const Case& c : cases) {
            SCOPED_TRACE("language " + std::to_string(language) + ", number " + std::to_string(c.errNo));
            EXPECT_EQ(!AppExecMessage(c.errNo).empty(), c.hasText);
        }
    }
}

// A sample of each language: the edges of the numbering and the catch-all text.
TEST_F(AppExecMessages, TextsPerLanguage)
{
    struct Case {
        TLangType language;
        std::uint32_t errNo;
        const char* expected;
    } const cases[] = {
        {ltCzech, 0, "Systém má málo volné paměti nebo je soubor vadný"},
        {ltCzech, 2, "Soubor nelze najít"},
        {ltCzech, 3, "Cestu nelze najít"},
        {ltCzech, 10, "Špatná verze Windows"},
        {ltCzech, 8, "Pro spuštění aplikace není dost paměti"},
        {ltCzech, 16,
            "Pokus o načtení druhé instance spustitelného souboru s více datovými segmenty, které nejsou označeny jen "
            "pro čtení"},
        {ltCzech, 19,
            "Pokus o načtení komprimovaného spustitelného souboru. Soubor je třeba před načtením dekomprimovat"},
        {ltCzech, 20, "Dynamická knihovna (DLL) je vadná"},
        {ltCzech, 21, "Aplikace vyžaduje 32-bitové Windows"},
        {ltCzech, 32, "Chyba"},
        {ltCzech, 2147483647u, "Chyba"},
        {ltFrench, 0,
            "Syst\xE8"
            "me dépassé en capacité mémoire, exécutable corrompu, ou réallocations invalides"},
        {ltFrench, 2, "Fichier non trouvé"},
        {ltFrench, 8, "Mémoire insuffisante pour démarrer l'application"},
        {ltFrench, 21, "Application nécessitant des extensions 32-bit"},
        {ltFrench, 32, "Pas d'erreur"},
        {ltItalian, 2, "File non trovato"},
        {ltItalian, 3, "Path non trovato"},
        // ends in a space
        {ltItalian, 11,
            "File eseguibile invalido. Potrebbe non essere un'applicazione per Windows o c'e' un errore "
            "nell'immagine .EXE "},
        {ltItalian, 12, "Applicazione destinata ad un sistema operativo differente"},
        {ltItalian, 21, "L'Applicazione richiede l'installazione delle estensioni a 32-Bit"},
        {ltItalian, 2147483647u, "Nessun errore"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("language " + std::to_string(c.language) + ", number " + std::to_string(c.errNo));
        SetAppExecLanguage(c.language);
        EXPECT_EQ(AppExecMessage(c.errNo), c.expected);
    }
}

// The table is one for the whole program: the last language set is the one
// every caller gets, back and forth.
TEST_F(AppExecMessages, LanguageChangesWhatEveryCallerGets)
{
    SetAppExecLanguage(ltItalian);
    EXPECT_EQ(AppExecMessage(2), "File non trovato");
    EXPECT_EQ(AppExecMessage(3), "Path non trovato");
    SetAppExecLanguage(ltFrench);
    EXPECT_EQ(AppExecMessage(2), "Fichier non trouvé");
    EXPECT_EQ(AppExecMessage(40), "Pas d'erreur");
    SetAppExecLanguage(ltCzech);
    EXPECT_EQ(AppExecMessage(2), "Soubor nelze najít");
    EXPECT_EQ(AppExecMessage(40), "Chyba");
    SetAppExecLanguage(static_cast<TLangType>(3));  // not a language: no change
    EXPECT_EQ(AppExecMessage(2), "Soubor nelze najít");
}

TEST(AppExecCommandLine, ParametersAppendedUnquoted)
{
    struct Case {
        const char* exeName;
        std::vector<std::string> params;
        const char* expected;
    } const cases[] = {
        {"netsh interface ip set dns \"LAN 2\" dhcp", {}, "netsh interface ip set dns \"LAN 2\" dhcp"},
        {"prog", {"a b", "\"c\""}, "prog a b \"c\""},
        {"prog", {""}, "prog "},
        {"prog", {"", ""}, "prog  "},
        {"", {"x"}, " x"},
        {"  prog  ", {" y "}, "  prog    y "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(BuildAppExecCommandLine(c.exeName, c.params), c.expected);
    }
}

TEST(AppExecPath, OneTrailingBackslashGoes)
{
    struct Case {
        const char* value;
        const char* expected;
    } const cases[] = {
        {"", ""},
        {"C:\\dir\\", "C:\\dir"},
        {"C:\\dir\\\\", "C:\\dir\\"},
        {"C:\\dir", "C:\\dir"},
        {"C:\\", "C:\\"},
        {"z:\\", "z:\\"},
        {"\\", "\\"},
        {"\\\\", "\\"},
        {"C:\\\\", "C:\\"},
        {"C:", "C:"},
        {"CD\\", "CD"},
        {"C:/", "C:/"},
        {"\\\\server\\share\\", "\\\\server\\share"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(NormaliseExePath(c.value), c.expected);
    }
}

TEST(AppExecFlags, PriorityAndWindowState)
{
    EXPECT_EQ(PriorityClassFlag(pcHigh), 0x80u);
    EXPECT_EQ(PriorityClassFlag(pcIdle), 0x40u);
    EXPECT_EQ(PriorityClassFlag(pcNormal), 0x20u);
    EXPECT_EQ(PriorityClassFlag(pcRealtime), 0x100u);
    EXPECT_EQ(PriorityClassFlag(4), 0x20u);
    EXPECT_EQ(PriorityClassFlag(-1), 0x20u);

    EXPECT_EQ(ShowWindowCommandFor(wsNormal), 1);
    EXPECT_EQ(ShowWindowCommandFor(wsMinimized), 2);
    EXPECT_EQ(ShowWindowCommandFor(wsMaximized), 3);
    EXPECT_EQ(ShowWindowCommandFor(wsMinimizedNoActivate), 7);
}

TEST(AppExecCommandLine, TooLongMessageNamesLengthAndLimit)
{
    for (std::size_t length : {512u, 100000u}) {
        const std::string text = CommandLineTooLongMessage(length);
        SCOPED_TRACE(text);
        const std::string lengthPart = std::to_string(length) + " znaků";
        EXPECT_NE(text.find(lengthPart), std::string::npos);
        EXPECT_NE(text.find("nejvýše 511"), std::string::npos);
    }
}

}  // namespace
