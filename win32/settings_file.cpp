// Reading and writing the settings file key by key through the profile
// functions.
#include "win32/settings_file.h"

#include "core/profile_values.h"
#include "win32/ini_file.h"
#include "win32/ini_file_update.h"
#include "win32/program_path.h"

#include <windows.h>

namespace {

const char kSection[] = "Nastavení";

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

// Texts are meant to come back exactly as typed, but the profile functions
// lose some of them:
// - blanks around a value are trimmed (by Wine when writing, by Windows when
//   reading), and one pair of single or double quotes enclosing a value is
//   dropped when reading. Such a text is written inside one more pair of
//   double quotes, which the reader takes off again; since the reader
//   removes exactly one pair, this holds for texts that are themselves
//   quoted. Every other text is written bare, as typed.
// - a line break cannot be stored: the reader would take the text after it
//   for a key or section of its own. The text ends at the first one, where a
//   single-line field cuts a pasted text too.
std::string StorableText(const std::string& text)
{
    const std::string line = text.substr(0, text.find_first_of("\r\n"));
    if (line.empty())
        return line;
    const char first = line.front();
    const char last = line.back();
    if (IsBlank(first) || IsBlank(last) || IsQuote(first) || IsQuote(last))
        return '"' + line + '"';
    return line;
}

// The profile functions look for a name without a folder in the Windows
// folder, while the existence check and the user mean the current one: the
// name is made absolute before the profile functions see it.
std::string ProfilePath(const std::string& path)
{
    return FullPath(path);
}

}  // namespace

bool SettingsFileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<FieldValues> ReadSettingsIfAny(const std::string& path)
{
    const IniFile file(ProfilePath(path));
    // No value can hold a line break: this default marks a missing key, and
    // each key is read once.
    static const char kMissing[] = "\n";
    FieldValues values;
    bool anyKey = false;
    for (const FieldSpec& spec : kFields) {
        const std::string read = file.ReadString(kSection, spec.settingsKey, kMissing);
        const bool found = read != kMissing;
        anyKey = anyKey || found;
        if (spec.kind == FieldKind::Text)
            values.SetText(spec.field, found ? read : std::string());
        else
            values.SetChecked(spec.field, ProfileInteger(found ? read : "", spec.checkedByDefault ? 1 : 0) != 0);
    }
    if (!anyKey)
        return std::nullopt;
    return values;
}

FieldValues ReadSettingsFile(const std::string& path)
{
    return ReadSettingsIfAny(path).value_or(FieldValues{});
}

// A key found twice in the section is read and replaced at its first place
// only; the later copies are left as they are, so what is written is what is
// read back.
void WriteSettingsFile(const std::string& path, const FieldValues& values)
{
    IniFileUpdate file(ProfilePath(path));
    for (const FieldSpec& spec : kFields) {
        if (spec.kind == FieldKind::Text)
            file.WriteString(kSection, spec.settingsKey, StorableText(values.Text(spec.field)));
        else
            file.WriteBool(kSection, spec.settingsKey, values.Checked(spec.field));
    }
    file.Commit();
}
