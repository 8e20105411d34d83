#include "core/line_list.h"

#include <algorithm>
#include <cstring>

namespace {

// A block holds many lines. The first is small, as most outputs are; later
// ones grow with the text, so that a big output needs few of them.
constexpr std::size_t kFirstBlockSize = 64 * 1024;
constexpr std::size_t kLargestBlockSize = 1024 * 1024;

bool EndsOrVanishes(char c)
{
    return c == '\n' || c == '\r' || c == '\0';
}

}  // namespace

void LineList::Clear()
{
    chunks_.clear();
    chunks_.shrink_to_fit();
    count_ = 0;
    blocks_.clear();
    used_ = 0;
    lineStart_ = 0;
    afterCR_ = false;
}

void LineList::Push(char* line, char* end)
{
    *end = '\0';
    if (count_ == chunks_.size() * kLinesPerChunk)
        chunks_.emplace_back(new char*[kLinesPerChunk]);
    chunks_[count_ / kLinesPerChunk][count_ % kLinesPerChunk] = line;
    ++count_;
}

void LineList::Reserve(std::size_t atLeast)
{
    const std::size_t unfinished = used_ - lineStart_;
    if (!blocks_.empty() && blocks_.back().size - used_ >= atLeast)
        return;
    std::size_t size = blocks_.empty() ? kFirstBlockSize : std::min(blocks_.back().size * 2, kLargestBlockSize);
    // A line longer than a block doubles the room it moves into: copied
    // again and again by a few bytes, it would cost time and memory that
    // grow with the square of its length.
    if (size < unfinished + atLeast)
        size = std::max(unfinished + atLeast, 2 * unfinished);
    Block block{std::unique_ptr<char[]>(new char[size]), size};
    if (unfinished > 0)
        std::memcpy(block.data.get(), blocks_.back().data.get() + lineStart_, unfinished);
    // A block that held nothing but the unfinished line has no line left in
    // it: it goes, and the line is kept once.
    if (!blocks_.empty() && lineStart_ == 0)
        blocks_.back() = std::move(block);
    else
        blocks_.push_back(std::move(block));
    lineStart_ = 0;
    used_ = unfinished;
}

std::size_t LineList::HeldBytes() const
{
    std::size_t held = 0;
    for (const Block& block : blocks_)
        held += block.size;
    return held;
}

void LineList::Add(std::string_view line)
{
    line = line.substr(0, line.find('\0'));
    // An unfinished line of output stays the last thing in the text.
    const std::size_t unfinished = blocks_.empty() ? 0 : used_ - lineStart_;
    Reserve(line.size() + 1);
    char* const text = blocks_.back().data.get();
    if (unfinished > 0)
        std::memmove(text + lineStart_ + line.size() + 1, text + lineStart_, unfinished);
    std::memcpy(text + lineStart_, line.data(), line.size());
    Push(text + lineStart_, text + lineStart_ + line.size());
    lineStart_ += line.size() + 1;
    used_ = lineStart_ + unfinished;
}

char* LineList::ReadSpace(std::size_t atLeast, std::size_t& room)
{
    Reserve(std::max<std::size_t>(atLeast, 1));
    room = blocks_.back().size - used_;
    return blocks_.back().data.get() + used_;
}

void LineList::TakeRead(std::size_t size)
{
    char* const text = blocks_.back().data.get();
    const std::size_t end = used_ + size;
    // `write` trails `read` only after a zero byte in the current line: the
    // rest of the line moves up over it. Line breaks stay where they are,
    // between the lines.
    std::size_t read = used_, write = used_;
    while (read < end) {
        if (afterCR_) {
            afterCR_ = false;
            if (text[read] == '\n') {
                write = lineStart_ = ++read;
                continue;
            }
        }
        std::size_t ordinary = read;
        while (ordinary < end && !EndsOrVanishes(text[ordinary]))
            ++ordinary;
        if (write != read)
            std::memmove(text + write, text + read, ordinary - read);
        write += ordinary - read;
        read = ordinary;
        if (read == end)
            break;
        const char c = text[read++];
        if (c == '\0')
            continue;
        // The line break's byte ends the line as a zero byte.
        Push(text + lineStart_, text + write);
        write = lineStart_ = read;
        afterCR_ = c == '\r';
    }
    used_ = write;
}

void LineList::AddOutput(const char* data, std::size_t size)
{
    while (size > 0) {
        std::size_t room = 0;
        char* space = ReadSpace(1, room);
        const std::size_t taken = std::min(room, size);
        std::memcpy(space, data, taken);
        TakeRead(taken);
        data += taken;
        size -= taken;
    }
}

void LineList::FinishOutput()
{
    if (!blocks_.empty() && used_ > lineStart_) {
        Reserve(1);  // room for the zero byte after it
        char* const text = blocks_.back().data.get();
        Push(text + lineStart_, text + used_);
        lineStart_ = ++used_;
    }
    afterCR_ = false;
}
