// The two conditions without which the program does not start: an
// administrator's rights and a Czech Windows.
#pragma once

#include <windows.h>

#include <string>

// True when the user runs with the rights of the built-in Administrators
// group; always true outside the NT family.
bool IsAdministrator();
// True when one of the token's groups is the built-in Administrators group,
// enabled and not only for denying access.
bool GroupsHoldAdministrators(const TOKEN_GROUPS& groups);

// The English name of the system's default language, as the system gives it.
std::string SystemLanguageEnglishName();
// The program runs only where that name begins with "Cz" (Czech).
bool IsCzechLanguageName(const std::string& englishName);
