// LineList fed output the way a pipe delivers it: in reads whose sizes the
// input chooses. The lines must not depend on where the reads fall, and must
// match a split written here independently from the rules in its header.
//
// Input: one byte n, then n % 8 read sizes of one byte each (0 is an empty
// read), then the output bytes themselves.
#include "core/line_list.h"
#include "fuzz/fuzz_check.h"

#include <memory>

namespace {

using Lines = std::vector<std::string>;

std::string WithoutZeroBytes(std::string_view text)
{
    std::string kept;
    for (const char c : text) {
        if (c != '\0')
            kept += c;
    }
    return kept;
}

// Cuts at CR LF, lone CR and lone LF in the raw bytes, then drops the zero
// bytes of each piece; a last piece with nothing left is no line.
Lines ReferenceSplit(std::string_view bytes)
{
    Lines lines;
    while (true) {
        const auto lineBreak = bytes.find_first_of("\r\n");
        if (lineBreak == std::string_view::npos) {
            std::string last = WithoutZeroBytes(bytes);
            if (!last.empty())
                lines.push_back(std::move(last));
            return lines;
        }
        lines.push_back(WithoutZeroBytes(bytes.substr(0, lineBreak)));
        const bool crLf = bytes[lineBreak] == '\r' && lineBreak + 1 < bytes.size() && bytes[lineBreak + 1] == '\n';
        bytes.remove_prefix(lineBreak + (crLf ? 2 : 1));
    }
}

// Each read lands in the list's own space, as the capture reads, after a
// copy through a buffer of its own exact size, so the sanitizer catches a
// look past the end of a read.
void FeedRead(LineList& list, std::string_view read)
{
    std::unique_ptr<char[]> buffer(new char[read.size()]);
    std::copy(read.begin(), read.end(), buffer.get());
    std::size_t room = 0;
    char* space = list.ReadSpace(read.size(), room);
    FUZZ_CHECK(room >= read.size());
    std::copy(buffer.get(), buffer.get() + read.size(), space);
    list.TakeRead(read.size());
}

Lines SplitInReads(std::string_view output, const std::vector<std::size_t>& readSizes)
{
    LineList list;
    bool progress = false;
    for (std::size_t i = 0; !readSizes.empty() && !output.empty(); ++i) {
        const std::size_t size = std::min(readSizes[i % readSizes.size()], output.size());
        FeedRead(list, output.substr(0, size));
        output.remove_prefix(size);
        progress = progress || size > 0;
        // Sizes that are all zero would never finish.
        if ((i + 1) % readSizes.size() == 0) {
            if (!progress)
                break;
            progress = false;
        }
    }
    FeedRead(list, output);
    list.FinishOutput();
    Lines lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.emplace_back(list.Get(i));
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    std::vector<std::size_t> readSizes(input.Byte() % 8);
    for (auto& readSize : readSizes)
        readSize = input.Byte();
    const std::string_view output = input.Rest();

    const Lines oneRead = SplitInReads(output, {});
    FUZZ_CHECK(SplitInReads(output, readSizes) == oneRead);
    if (output.size() <= 4096)
        FUZZ_CHECK(SplitInReads(output, {1}) == oneRead);
    FUZZ_CHECK(oneRead == ReferenceSplit(output));
    for (const auto& line : oneRead)
        FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    return 0;
}
