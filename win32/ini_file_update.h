// Changes keys of an INI file so that the file is replaced whole or not at
// all. The keys are written with the profile functions, with their semantics
// and bytes, into a copy beside the file that starts as the file itself (keys
// and sections nobody here knows survive). The copy is then read back: a full
// disk cuts a file short while Wine's profile functions report success, so
// every key must stand there as written, every other key as it was, and the
// file must end whole. Only then is it flushed to the disk and put in place
// of the file in one step. On any failure the file stays as it was, the copy
// goes, and "Do souboru <file> nelze zapisovat: <reason>." is raised. The
// copy's name belongs to its file: one left by a program killed in the middle
// goes with the next update.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class IniFileUpdate {
public:
    // Makes the copy; `path` is absolute.
    explicit IniFileUpdate(std::string path);
    // Removes the copy unless it has been put in place.
    ~IniFileUpdate();
    IniFileUpdate(const IniFileUpdate&) = delete;
    IniFileUpdate& operator=(const IniFileUpdate&) = delete;

    const std::string& Path() const { return path_; }

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

    // Checks the copy and puts it in place of the file.
    void Commit();

    // A key of the file: what was written, or what it held before.
    struct Entry {
        std::string section, key, value;
    };

private:
    // The copy beside the file: removed with its holder, also when the
    // update fails while it is being made, unless it has been put in place.
    // Its name needs no allocation, which may be what fails.
    class Copy {
    public:
        Copy() = default;
        ~Copy() { Remove(); }
        Copy(const Copy&) = delete;
        Copy& operator=(const Copy&) = delete;
        // Takes the name (shorter than MAX_PATH) and clears the way: false
        // when a file of that name stays.
        bool Take(const char* name) noexcept;
        const char* Name() const { return name_; }
        void Remove() noexcept;
        // Put in place: there is nothing left to remove.
        void Forget() { name_[0] = '\0'; }

    private:
        char name_[MAX_PATH] = {};
    };

    [[noreturn]] void Fail(const std::string& reason);
    // The reason is the last error's.
    [[noreturn]] void FailWithLastError();

    std::string path_;
    Copy copy_;
    std::string before_;       // the file as it was
    std::vector<Entry> kept_;  // its keys, as the profile functions list them
    unsigned long attributes_ = 0;
    std::vector<Entry> written_;
};
