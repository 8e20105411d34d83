#include "core/profile_text.h"

namespace {

// Code page 1250 in lower case: ASCII, and the capitals with diacritics
// (Š Ś Ť Ž Ź Ł Ą Ş Ż Ľ and À to Þ but ×).
unsigned char Lower(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 0x20);
    switch (c) {
    case 0x8A:
    case 0x8C:
    case 0x8D:
    case 0x8E:
    case 0x8F:
        return static_cast<unsigned char>(c + 0x10);
    case 0xA3:
        return 0xB3;
    case 0xA5:
        return 0xB9;
    case 0xAA:
        return 0xBA;
    case 0xAF:
        return 0xBF;
    case 0xBC:
        return 0xBE;
    default:
        return c >= 0xC0 && c <= 0xDE && c != 0xD7 ? static_cast<unsigned char>(c + 0x20) : c;
    }
}

std::string_view Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::string ProfileName(std::string_view name)
{
    std::string folded(Trimmed(name));
    for (char& c : folded)
        c = static_cast<char>(Lower(static_cast<unsigned char>(c)));
    return folded;
}

ProfileText::ProfileText(std::string_view text)
{
    std::map<std::string, std::string>* keys = nullptr;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.front() == '[') {
            const std::size_t close = line.find(']');
            const std::string name = ProfileName(line.substr(1, close == std::string_view::npos ? 0 : close - 1));
            // A later section of the same name is not read.
            const bool first = close != std::string_view::npos && !sections_.count(name);
            keys = first ? &sections_[name] : nullptr;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (keys && equals != std::string_view::npos)
            keys->emplace(ProfileName(line.substr(0, equals)), std::string(Trimmed(line.substr(equals + 1))));
    }
}

bool ProfileText::Holds(std::string_view section, std::string_view key, std::string_view value) const
{
    const auto keys = sections_.find(ProfileName(section));
    if (keys == sections_.end())
        return false;
    const auto found = keys->second.find(ProfileName(key));
    return found != keys->second.end() && found->second == Trimmed(value);
}

bool ProfileTextEndsWhole(std::string_view text, std::string_view before)
{
    if (!text.empty() && text.back() == '\n')
        return true;
    const std::size_t lastBreak = before.rfind('\n');
    const std::string_view lastLine = lastBreak == std::string_view::npos ? before : before.substr(lastBreak + 1);
    return !lastLine.empty() && text.size() >= lastLine.size()
        && text.substr(text.size() - lastLine.size()) == lastLine;
}

bool ReadsAsText(std::string_view text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n')
            return false;
    }
    return true;
}
