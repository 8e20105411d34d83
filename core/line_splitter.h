// Cuts the bytes that a console command writes into lines, as they arrive in
// reads of any size: LF, CR and CR LF each end a line, zero bytes vanish, and
// a CR LF pair split between two reads still ends only one line.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class LineSplitter {
public:
    // Appends every line completed by these bytes to `lines`.
    void Feed(const char* data, std::size_t size, std::vector<std::string>& lines);
    // Appends the last line when the output did not end with a line break.
    void Finish(std::vector<std::string>& lines);

private:
    std::string pending_;
    bool afterCR_ = false;  // the previous byte was a CR that ended a line
};
