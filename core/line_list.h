// The report as a list of lines. Reading at or past the end gives an empty
// line and writing there does nothing, which the reader's look-ahead relies on.
#pragma once

#include <string>
#include <vector>

class LineList {
public:
    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& Get(int index) const
    {
        static const std::string empty;
        return index >= 0 && index < Count() ? lines_[index] : empty;
    }
    void Set(int index, std::string line)
    {
        if (index >= 0 && index < Count())
            lines_[index] = std::move(line);
    }
    void Clear() { lines_.clear(); }
    void Add(std::string line) { lines_.push_back(std::move(line)); }
    std::vector<std::string>& Lines() { return lines_; }

private:
    std::vector<std::string> lines_;
};
