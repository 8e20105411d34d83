#include "win32/ini_file_update.h"

#include "core/exception.h"
#include "core/file_messages.h"
#include "core/profile_text.h"
#include "win32/code_page.h"
#include "win32/handle.h"
#include "win32/ini_file.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <set>

namespace {

// What a program may keep of a file's attributes when it replaces the file.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

// A scanner or an indexer opens a file the moment it appears or changes and
// holds it for a moment (the copy, or the file itself while the copy is put
// in its place): what that refuses is asked again, for up to half a second,
// before the update gives up. A file another program keeps open stays
// refused, and the update says so.
template <typename Attempt> bool UnlessHeldLong(Attempt attempt) noexcept
{
    constexpr int kTries = 10;
    constexpr DWORD kPauseMs = 50;
    for (int tried = 1;; ++tried) {
        if (attempt())
            return true;
        const DWORD error = GetLastError();
        // Replacing or removing a file that is open answers "access denied" (Wine).
        const bool held
            = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
        if (tried == kTries || !held)
            return false;
        Sleep(kPauseMs);
    }
}

HANDLE OpenCopy(const char* path, DWORD access, DWORD share)
{
    HANDLE file = INVALID_HANDLE_VALUE;
    UnlessHeldLong([&] {
        file = CreateFileA(path, access, share, nullptr, OPEN_EXISTING, 0, nullptr);
        return file != INVALID_HANDLE_VALUE;
    });
    return file;
}

bool DeleteCopy(const char* path) noexcept
{
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    return UnlessHeldLong([&] { return DeleteFileA(path) != FALSE; });
}

// The whole copy as it stands on the disk; false when it cannot be read.
bool ReadWholeFile(const char* path, std::string& bytes)
{
    const Handle file(OpenCopy(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE));
    if (!file)
        return false;
    const DWORD size = GetFileSize(file.Get(), nullptr);
    if (size == INVALID_FILE_SIZE)
        return false;
    bytes.assign(size, '\0');
    DWORD read = 0;
    return size == 0 || (ReadFile(file.Get(), bytes.data(), size, &read, nullptr) && read == size);
}

// What the profile functions list of a file: NUL-separated strings, asked
// with a buffer that grows until they fit. Each call is costly (Wine
// converts the whole list whatever the buffer's size), so the one buffer
// serves every list of the file and starts as large as the file: no list of
// its keys is longer.
std::vector<std::string> ProfileStrings(std::vector<char>& buffer, const std::function<DWORD(char*, DWORD)>& list)
{
    for (;;) {
        const DWORD length = list(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length + 2 < buffer.size() || buffer.size() >= (256u << 20)) {
            std::vector<std::string> strings;
            for (std::size_t at = 0; at < length && buffer[at];) {
                strings.emplace_back(buffer.data() + at);
                at += strings.back().size() + 1;
            }
            return strings;
        }
        buffer.resize(buffer.size() * 4);
    }
}

// Every key of every section, first of each name only, as a profile reader
// sees the file of `size` bytes.
std::vector<IniFileUpdate::Entry> ListedKeys(const char* file, std::size_t size)
{
    std::vector<IniFileUpdate::Entry> keys;
    std::vector<char> buffer(std::max<std::size_t>(4096, size + 4));
    const auto sections = ProfileStrings(
        buffer, [&](char* into, DWORD length) { return GetPrivateProfileSectionNamesA(into, length, file); });
    for (const std::string& section : sections) {
        std::set<std::string> seen;
        const auto lines = ProfileStrings(buffer,
            [&](char* into, DWORD length) { return GetPrivateProfileSectionA(section.c_str(), into, length, file); });
        for (const std::string& line : lines) {
            const std::size_t equals = line.find('=');
            if (equals != std::string::npos && seen.insert(ProfileName(line.substr(0, equals))).second)
                keys.push_back({section, line.substr(0, equals), line.substr(equals + 1)});
        }
    }
    return keys;
}

// A text the profile functions wrote as UTF-16 or UTF-8 (the file had such a
// mark), in the program's code page; any other as it stands.
std::string AsAnsiText(const std::string& bytes)
{
    const auto marked = [&](const char* mark, std::size_t size) { return bytes.compare(0, size, mark, size) == 0; };
    std::wstring wide;
    if (marked("\xFF\xFE", 2) || marked("\xFE\xFF", 2)) {
        const bool bigEndian = bytes[0] == '\xFE';
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto low = static_cast<unsigned char>(bytes[i + (bigEndian ? 1 : 0)]);
            const auto high = static_cast<unsigned char>(bytes[i + (bigEndian ? 0 : 1)]);
            wide += static_cast<wchar_t>(low | (high << 8));
        }
    } else if (marked("\xEF\xBB\xBF", 3)) {
        wide = ToWide(std::string_view(bytes).substr(3), CP_UTF8);
    } else {
        return bytes;
    }
    return ToAnsi(wide);
}

// The copy's name beside the file: the same for every update of that file,
// so that a copy left by a program that was killed meanwhile is taken over
// by the next update instead of piling up.
std::string CopyNameFor(const std::string& fileName)
{
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (const char c : ProfileName(fileName))
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    char copyName[16];
    std::snprintf(copyName, sizeof copyName, "tmk%08lx.tmp", static_cast<unsigned long>(hash));
    return copyName;
}

// The copy's path, fitting wherever the file's does: the copy's name may be
// longer than the file's, and then the folder is named by its short (8.3)
// form, which Windows keeps for every folder unless told not to. Empty when
// nothing fits.
std::string CopyPathFor(const std::string& path)
{
    const std::size_t separator = path.find_last_of("\\/");
    const std::string folder = separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
    const std::string name = CopyNameFor(separator == std::string::npos ? path : path.substr(separator + 1));
    if (folder.size() + name.size() < MAX_PATH)
        return folder + name;
    char shortFolder[MAX_PATH];
    const DWORD length = GetShortPathNameA(folder.c_str(), shortFolder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || length + name.size() >= MAX_PATH)
        return std::string();
    std::string copy(shortFolder, length);
    if (copy.back() != '\\' && copy.back() != '/')
        copy += '\\';
    return copy + name;
}

}  // namespace

IniFileUpdate::IniFileUpdate(std::string path)
    : path_(std::move(path))
{
    const DWORD attributes = GetFileAttributesA(path_.c_str());
    const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
    // A read-only file is not written, as the profile functions would not
    // write it either; a folder of that name cannot be.
    if (existed && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        Fail(kFolderOfThatNameReason);
    if (existed && (attributes & FILE_ATTRIBUTE_READONLY))
        Fail(kReadOnlyFileReason);
    attributes_ = existed ? attributes & kKeptAttributes : 0;
    if (path_.size() >= MAX_PATH)
        Fail(kPathTooLongReason);
    const std::string copy = CopyPathFor(path_);
    if (copy.empty())
        Fail(kPathTooLongReason);
    if (!copy_.Take(copy.c_str()))
        FailWithLastError();
    if (existed) {
        // The copy carries the file's attributes; a hidden or system file
        // cannot be written over by a writer that does not name them.
        if (!UnlessHeldLong([&] { return CopyFileA(path_.c_str(), copy_.Name(), FALSE) != FALSE; })
            || ((attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
                && !SetFileAttributesA(copy_.Name(), FILE_ATTRIBUTE_NORMAL))
            || !ReadWholeFile(copy_.Name(), before_))
            FailWithLastError();
        // The keys of a file that is no text (random bytes, a binary file
        // given the name) mean nothing: they are not held to the check, and
        // the profile functions' rewriting may well change them.
        if (ReadsAsText(AsAnsiText(before_)))
            kept_ = ListedKeys(copy_.Name(), before_.size());
    }
}

IniFileUpdate::~IniFileUpdate() = default;

bool IniFileUpdate::Copy::Take(const char* name) noexcept
{
    lstrcpynA(name_, name, MAX_PATH);
    // A copy left by a program killed in the middle of an update. The
    // profile functions of this process remember none: every update drops
    // its copy from their memory before it ends.
    if (GetFileAttributesA(name_) == INVALID_FILE_ATTRIBUTES)
        return true;
    if (DeleteCopy(name_))
        return true;
    // Why it stays is what the update says.
    const DWORD error = GetLastError();
    const bool gone = GetFileAttributesA(name_) == INVALID_FILE_ATTRIBUTES;
    SetLastError(error);
    return gone;
}

void IniFileUpdate::Copy::Remove() noexcept
{
    if (!name_[0])
        return;
    // Dropped from the profile functions' memory too: the next update's copy
    // has the same name, and they would take it for this one.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, name_);
    DeleteCopy(name_);
    name_[0] = '\0';
}

void IniFileUpdate::Fail(const std::string& reason)
{
    copy_.Remove();
    throw Exception(CannotWriteFileMessage(path_, reason));
}

void IniFileUpdate::FailWithLastError()
{
    const DWORD error = GetLastError();
    Fail(error == ERROR_SUCCESS ? std::string() : FileErrorReason(error));
}

void IniFileUpdate::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), copy_.Name()))
        FailWithLastError();
    written_.push_back({section, key, value});
}

void IniFileUpdate::WriteInteger(const std::string& section, const std::string& key, int value)
{
    WriteString(section, key, std::to_string(value));
}

void IniFileUpdate::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

void IniFileUpdate::Commit()
{
    // What the disk took, not what the profile functions remember.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, copy_.Name());
    std::string bytes;
    if (!ReadWholeFile(copy_.Name(), bytes))
        FailWithLastError();
    const std::string text = AsAnsiText(bytes);
    if (!ProfileTextEndsWhole(text, AsAnsiText(before_)))
        Fail(kNotWrittenWholeReason);
    const ProfileText written(text);
    for (const Entry& key : written_) {
        if (!written.Holds(key.section, key.key, key.value))
            Fail(kNotWrittenWholeReason);
    }
    // Everything else it held is there too: a write read back a file that an
    // earlier one had cut short, and went on from there. The bytes show most
    // keys; one they do not show as it was is looked up by the profile
    // functions themselves (their memory of the copy was dropped above, so
    // they read the disk), which listed the keys before and whose rules may
    // parse some text otherwise.
    std::set<std::pair<std::string, std::string>> wrote;
    for (const Entry& key : written_)
        wrote.emplace(ProfileName(key.section), ProfileName(key.key));
    std::vector<const Entry*> unseen;
    for (const Entry& key : kept_) {
        if (!written.Holds(key.section, key.key, key.value)
            && !wrote.count({ProfileName(key.section), ProfileName(key.key)}))
            unseen.push_back(&key);
    }
    if (!unseen.empty()) {
        std::map<std::pair<std::string, std::string>, std::string> now;
        for (const Entry& key : ListedKeys(copy_.Name(), bytes.size()))
            now.emplace(std::make_pair(ProfileName(key.section), ProfileName(key.key)), key.value);
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, copy_.Name());
        for (const Entry* key : unseen) {
            const auto found = now.find({ProfileName(key->section), ProfileName(key->key)});
            if (found == now.end() || found->second != key->value)
                Fail(kNotWrittenWholeReason);
        }
    }
    Handle file(OpenCopy(copy_.Name(), GENERIC_WRITE, 0));
    const bool flushed = file && FlushFileBuffers(file.Get());
    const DWORD flushError = GetLastError();
    file.Reset();
    if (!flushed) {
        SetLastError(flushError);
        FailWithLastError();
    }
    if (!UnlessHeldLong([&] {
            return MoveFileExA(copy_.Name(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                != FALSE;
        }))
        FailWithLastError();
    copy_.Forget();
    // A new file has its archive bit already.
    if (attributes_ & ~FILE_ATTRIBUTE_ARCHIVE)
        SetFileAttributesA(path_.c_str(), attributes_);
}
