// The report as a list of lines. The lines live in a few large blocks of
// text, each ended by a zero byte where its line break was, with an index of
// where each one starts: a report of megabytes is a handful of allocations
// rather than one per line, and output is read straight into the blocks and
// cut into lines where it lies. A line therefore holds no zero byte.
// Reading at or past the end gives an empty line, which the reader's
// look-ahead relies on.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

class LineList {
public:
    LineList() = default;
    LineList(LineList&&) noexcept = default;
    LineList& operator=(LineList&&) noexcept = default;

    int Count() const { return static_cast<int>(count_); }
    // Valid until the list is cleared.
    std::string_view Get(int index) const
    {
        if (index < 0 || index >= Count())
            return {};
        const char* line = At(static_cast<std::size_t>(index));
        return {line, std::strlen(line)};
    }
    // The line's bytes, to change in place (not into zero bytes).
    char* MutableData(int index)
    {
        return index >= 0 && index < Count() ? At(static_cast<std::size_t>(index)) : nullptr;
    }
    void Clear();
    // A whole line; a zero byte in it ends it there.
    void Add(std::string_view line);

    // Output as a command writes it, arriving in reads of any size: LF, CR
    // and CR LF each end a line, zero bytes vanish, and a CR LF pair split
    // between two reads still ends only one line.
    //
    // Room for the next read at the end of the text, at least `atLeast`
    // bytes; `room` says how much there is.
    char* ReadSpace(std::size_t atLeast, std::size_t& room);
    // Takes `size` bytes read into the space ReadSpace gave.
    void TakeRead(std::size_t size);
    // The same for bytes that are somewhere else.
    void AddOutput(const char* data, std::size_t size);
    // Ends the last line when the output did not end with a line break.
    void FinishOutput();

    // The bytes of text the list holds room for.
    std::size_t HeldBytes() const;

private:
    struct Block {
        std::unique_ptr<char[]> data;
        std::size_t size;
    };
    // The index, one pointer a line, comes in chunks of a fixed size, so that
    // it grows without ever being copied: a copy would hold it twice for a
    // moment.
    static constexpr std::size_t kLinesPerChunk = 4096;
    char* At(std::size_t index) const { return chunks_[index / kLinesPerChunk][index % kLinesPerChunk]; }
    // Ends the line at `end` in the last block and indexes it.
    void Push(char* line, char* end);
    // Makes `atLeast` bytes free after the text; an unfinished line moves
    // along to a new block, so that every line stays in one piece.
    void Reserve(std::size_t atLeast);

    std::vector<std::unique_ptr<char*[]>> chunks_;
    std::size_t count_ = 0;
    std::vector<Block> blocks_;
    std::size_t used_ = 0;       // bytes of the last block in use
    std::size_t lineStart_ = 0;  // where the unfinished line starts in it
    bool afterCR_ = false;       // the last byte taken was a CR that ended a line
};
