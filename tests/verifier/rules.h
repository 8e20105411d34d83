// Windows' rules for the calls the recorder saw: read a log line by line,
// they say which rule the program broke, at which call and in which step of
// the test, and how many GDI and USER objects it holds at any moment.
// Plain C++: the rules are checked on Linux too.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace verifier {

struct Violation {
    std::string rule;  // which of Windows' rules, in a few words
    std::string call;  // the recorded call, as the log has it
    std::string step;  // the test's step at that call
};
std::string Describe(const Violation& violation);

// Live objects the program made and has not given back, by kind.
struct LiveObjects {
    std::map<std::string, long> gdi;   // pens, brushes, fonts, bitmaps, regions, DCs
    std::map<std::string, long> user;  // windows, menus, icons, cursors, accelerator tables
    long Gdi() const;
    long User() const;
    std::string GdiByKind() const;  // "brush 3, font 4, ..."
    std::string UserByKind() const;
};

class CallLogChecker {
public:
    CallLogChecker();
    ~CallLogChecker();
    CallLogChecker(const CallLogChecker&) = delete;
    CallLogChecker& operator=(const CallLogChecker&) = delete;

    // One line of the log, without its line break.
    void Feed(std::string_view line);
    // What was broken so far; once the program has ended ("exit"), also
    // everything it left behind.
    std::vector<Violation> Violations() const;
    // Whether the program ended by itself, so that what it left is known.
    bool Ended() const;
    LiveObjects Live() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The whole log at once.
std::vector<Violation> CheckCallLog(std::string_view log);

}  // namespace verifier
