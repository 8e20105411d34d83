#include "core/linesplitter.h"

void LineSplitter::Feed(const char* data, std::size_t size, std::vector<std::string>& lines)
{
    for (std::size_t i = 0; i < size; ++i) {
        const char c = data[i];
        const bool pairsWithCR = afterCR_ && c == '\n';
        afterCR_ = false;
        if (pairsWithCR)
            continue;
        switch (c) {
        case '\0':
            break;
        case '\r':
            afterCR_ = true;
            [[fallthrough]];
        case '\n':
            lines.push_back(std::move(pending_));
            pending_.clear();
            break;
        default:
            pending_ += c;
        }
    }
}

void LineSplitter::Finish(std::vector<std::string>& lines)
{
    if (!pending_.empty())
        lines.push_back(std::move(pending_));
    pending_.clear();
    afterCR_ = false;
}
