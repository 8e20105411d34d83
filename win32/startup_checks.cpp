// The administrator check through the token's groups, and the language
// check.
#include "win32/startup_checks.h"

#include "win32/handle.h"

#include <vector>

namespace {

// The token of the calling thread when it impersonates, else the process's.
HANDLE OpenQueryToken()
{
    HANDLE token = nullptr;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token))
        return token;
    if (GetLastError() == ERROR_NO_TOKEN && OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return token;
    return nullptr;
}

class Sid {
public:
    Sid()
    {
        SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
        AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &sid_);
    }
    ~Sid()
    {
        if (sid_)
            FreeSid(sid_);
    }
    Sid(const Sid&) = delete;
    Sid& operator=(const Sid&) = delete;
    PSID Get() const { return sid_; }

private:
    PSID sid_ = nullptr;
};

}  // namespace

bool GroupsHoldAdministrators(const TOKEN_GROUPS& groups)
{
    const Sid administrators;
    if (!administrators.Get())
        return false;
    for (DWORD i = 0; i < groups.GroupCount; ++i) {
        // A group the token may only use to deny access ("Run as" with the
        // computer protected, a filtered administrator) or one switched off
        // grants nothing: every change would fail.
        const DWORD attributes = groups.Groups[i].Attributes;
        const bool grants = (attributes & SE_GROUP_ENABLED) && !(attributes & SE_GROUP_USE_FOR_DENY_ONLY);
        if (grants && EqualSid(administrators.Get(), groups.Groups[i].Sid))
            return true;
    }
    return false;
}

bool IsAdministrator()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExA(&version) && version.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return true;

    const Handle token(OpenQueryToken());
    if (!token)
        return false;
    // The group list is as long as the user's memberships: ask its size first
    // rather than refusing an administrator who belongs to many groups.
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenGroups, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size ? size : 1);
    const bool read = size && GetTokenInformation(token.Get(), TokenGroups, buffer.data(), size, &size);
    return read && GroupsHoldAdministrators(*reinterpret_cast<const TOKEN_GROUPS*>(buffer.data()));
}

std::string SystemLanguageEnglishName()
{
    char name[128] = {};
    if (!GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SENGLANGUAGE, name, sizeof name))
        return {};
    return name;
}

bool IsCzechLanguageName(const std::string& englishName)
{
    return englishName.compare(0, 2, "Cz") == 0;
}
