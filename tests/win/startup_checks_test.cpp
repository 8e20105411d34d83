#include "win32/startup_checks.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Owns a SID built from its sub-authorities under one authority.
struct OwnedSid {
    OwnedSid(SID_IDENTIFIER_AUTHORITY authority, std::vector<DWORD> rids)
    {
        DWORD r[8] = {};
        std::copy(rids.begin(), rids.end(), r);
        AllocateAndInitializeSid(
            &authority, static_cast<BYTE>(rids.size()), r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7], &sid);
    }
    ~OwnedSid() { FreeSid(sid); }
    OwnedSid(const OwnedSid&) = delete;
    OwnedSid& operator=(const OwnedSid&) = delete;
    PSID sid = nullptr;
};

const SID_IDENTIFIER_AUTHORITY kNt = SECURITY_NT_AUTHORITY;
const SID_IDENTIFIER_AUTHORITY kWorld = SECURITY_WORLD_SID_AUTHORITY;

// A token's group list holding these SIDs, in this order.
std::vector<unsigned char> GroupList(const std::vector<std::pair<PSID, DWORD>>& groups)
{
    std::vector<unsigned char> buffer(sizeof(TOKEN_GROUPS) + groups.size() * sizeof(SID_AND_ATTRIBUTES));
    auto* list = reinterpret_cast<TOKEN_GROUPS*>(buffer.data());
    list->GroupCount = static_cast<DWORD>(groups.size());
    for (std::size_t i = 0; i < groups.size(); ++i)
        list->Groups[i] = {groups[i].first, groups[i].second};
    return buffer;
}

bool Holds(const std::vector<std::pair<PSID, DWORD>>& groups)
{
    const auto buffer = GroupList(groups);
    return GroupsHoldAdministrators(*reinterpret_cast<const TOKEN_GROUPS*>(buffer.data()));
}

TEST(AdministratorCheck, FindsTheBuiltInAdministratorsGroupAnywhereInTheList)
{
    OwnedSid everyone(kWorld, {0});
    OwnedSid users(kNt, {32, 545});
    OwnedSid powerUsers(kNt, {32, 547});
    OwnedSid administrators(kNt, {32, 544});
    OwnedSid domainAdmins(kNt, {21, 1, 2, 3, 512});  // an administrator of a domain, not of this machine

    EXPECT_FALSE(Holds({}));
    EXPECT_FALSE(Holds({{everyone.sid, SE_GROUP_ENABLED}, {users.sid, SE_GROUP_ENABLED},
        {powerUsers.sid, SE_GROUP_ENABLED}, {domainAdmins.sid, SE_GROUP_ENABLED}}));
    EXPECT_TRUE(Holds({{everyone.sid, SE_GROUP_ENABLED}, {administrators.sid, SE_GROUP_ENABLED}}));

    // Far more groups than a 1,024-byte buffer could hold.
    std::vector<std::unique_ptr<OwnedSid>> many;
    std::vector<std::pair<PSID, DWORD>> groups;
    for (DWORD i = 0; i < 300; ++i) {
        many.push_back(std::make_unique<OwnedSid>(kNt, std::vector<DWORD>{21, 7, 8, 9, 1000 + i}));
        groups.emplace_back(many.back()->sid, SE_GROUP_ENABLED);
    }
    groups.emplace_back(administrators.sid, SE_GROUP_ENABLED);
    EXPECT_TRUE(Holds(groups));
}

// Only a group that grants counts, as in CheckTokenMembership: enabled, and
// not for denying only.
TEST(AdministratorCheck, OnlyAnEnabledGroupThatIsNotForDenyingOnlyCounts)
{
    OwnedSid administrators(kNt, {32, 544});
    OwnedSid users(kNt, {32, 545});
    const DWORD kUsual = SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED;
    const std::pair<DWORD, bool> cases[] = {
        {SE_GROUP_ENABLED, true},
        {kUsual, true},
        {kUsual | SE_GROUP_OWNER, true},
        {0, false},
        {SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT, false},  // switched off
        {SE_GROUP_USE_FOR_DENY_ONLY, false},                        // a restricted token
        {SE_GROUP_USE_FOR_DENY_ONLY | SE_GROUP_ENABLED, false},
        {SE_GROUP_USE_FOR_DENY_ONLY | kUsual, false},
    };
    for (const auto& [attributes, counts] : cases) {
        EXPECT_EQ(Holds({{users.sid, SE_GROUP_ENABLED}, {administrators.sid, attributes}}), counts)
            << "attributes 0x" << std::hex << attributes;
    }
}

TEST(AdministratorCheck, TheTestUserIsAnAdministrator)
{
    EXPECT_TRUE(IsAdministrator()) << "Wine's user belongs to the Administrators group";
}

TEST(LanguageCheck, OnlyNamesBeginningWithCzPass)
{
    const std::pair<const char*, bool> cases[] = {
        {"Czech", true},
        {"Cz", true},
        {"Czechoslovak", true},
        {"czech", false},
        {"CZECH", false},
        {"cZech", false},
        {"English", false},
        {"C", false},
        {"", false},
        {" Czech", false},
    };
    for (const auto& [name, passes] : cases)
        EXPECT_EQ(IsCzechLanguageName(name), passes) << '"' << name << '"';
    EXPECT_EQ(SystemLanguageEnglishName(), "Czech") << "the tests run under the Czech locale";
}

}  // namespace
