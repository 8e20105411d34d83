#include "core/line_splitter.h"

namespace {

// The first line break or zero byte from `at` on, or `size`.
std::size_t NextSpecialByte(const char* data, std::size_t at, std::size_t size)
{
    for (; at < size; ++at) {
        const char c = data[at];
        if (c == '\n' || c == '\r' || c == '\0')
            return at;
    }
    return size;
}

}  // namespace

void LineSplitter::Feed(const char* data, std::size_t size, std::vector<std::string>& lines)
{
    std::size_t at = 0;
    while (at < size) {
        const bool pairsWithCR = afterCR_ && data[at] == '\n';
        afterCR_ = false;
        if (pairsWithCR) {
            ++at;
            continue;
        }
        // Ordinary bytes go over in runs: megabytes of output arrive at once.
        const std::size_t special = NextSpecialByte(data, at, size);
        pending_.append(data + at, special - at);
        at = special;
        if (at == size)
            break;
        const char c = data[at++];
        if (c == '\0')
            continue;
        afterCR_ = c == '\r';
        lines.push_back(std::move(pending_));
        pending_.clear();
    }
}

void LineSplitter::Finish(std::vector<std::string>& lines)
{
    if (!pending_.empty())
        lines.push_back(std::move(pending_));
    pending_.clear();
    afterCR_ = false;
}
