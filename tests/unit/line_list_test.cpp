#include "core/line_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines ToLines(const LineList& list)
{
    Lines lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.emplace_back(list.Get(i));
    return lines;
}

// The output fed as a pipe delivers it, each read straight into the list's
// own space, the way the capture reads.
Lines SplitInReads(const std::string& bytes, const std::vector<std::size_t>& readSizes)
{
    LineList list;
    std::size_t at = 0;
    auto feed = [&](std::size_t size) {
        std::size_t room = 0;
        char* space = list.ReadSpace(size, room);
        EXPECT_GE(room, size);
        std::memcpy(space, bytes.data() + at, size);
        list.TakeRead(size);
        at += size;
    };
    for (std::size_t size : readSizes)
        feed(std::min(size, bytes.size() - at));
    feed(bytes.size() - at);
    list.FinishOutput();
    return ToLines(list);
}

struct SplitCase {
    std::string bytes;
    Lines lines;
};

const SplitCase kSplitCases[] = {
    {"x\r\ny\r\n", {"x", "y"}},
    {"x\ny", {"x", "y"}},
    {"x\r\ry\r\n", {"x", "", "y"}},
    {"\r\n\r\nx\r\n", {"", "", "x"}},
    {std::string("x\0y\n", 4), {"xy"}},
    {std::string("x\r\0\ny", 5), {"x", "", "y"}},  // the zero byte breaks the pair
    {"x\n\ry", {"x", "", "y"}},                    // LF CR is two breaks
    {"", {}},
    {"no break at all", {"no break at all"}},
    {"\xFF\x80\x01 bytes\r\n", {"\xFF\x80\x01 bytes"}},
};

TEST(LineList, OutputEndsLinesAtCrLfCrAndLfAndDropsZeroBytes)
{
    for (const auto& c : kSplitCases)
        EXPECT_EQ(SplitInReads(c.bytes, {}), c.lines) << c.bytes;
}

TEST(LineList, OutputGivesTheSameLinesWhereverTheReadsSplitIt)
{
    const std::string bytes = "Konfigurace\r\n    DNS:    1.2.3.4\r\n    5.6.7.8\r\n\r\nend\rx\n";
    const Lines whole = SplitInReads(bytes, {});
    ASSERT_EQ(whole, (Lines{"Konfigurace", "    DNS:    1.2.3.4", "    5.6.7.8", "", "end", "x"}));
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut)
        EXPECT_EQ(SplitInReads(bytes, {cut}), whole) << "split at " << cut;
    EXPECT_EQ(SplitInReads(bytes, std::vector<std::size_t>(bytes.size(), 1)), whole) << "byte by byte";
}

TEST(LineList, OutputDeliversAPartialLineOnlyWhenItIsComplete)
{
    LineList list;
    list.AddOutput("abc", 3);
    EXPECT_EQ(list.Count(), 0);
    list.AddOutput("d\r", 2);
    EXPECT_EQ(ToLines(list), (Lines{"abcd"}));
    list.FinishOutput();
    EXPECT_EQ(ToLines(list), (Lines{"abcd"})) << "a CR already ended the line";
}

// Output of megabytes spreads over several blocks of text: no line is cut
// where one block ends, zero bytes still vanish, and lines taken earlier stay
// readable while later ones arrive.
TEST(LineList, LinesStayWholeAcrossBlocks)
{
    LineList list;
    Lines expected;
    std::string output;
    for (int i = 0; i < 40000; ++i) {
        std::string line = "line " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 97), '.');
        expected.push_back(line);
        if (i % 1000 == 7)
            line.insert(3, 1, '\0');  // vanishes
        output += line + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
    }
    expected.push_back(std::string(300000, 'L'));  // longer than the first block
    output += expected.back();
    const std::string_view first = [&] {
        list.AddOutput(output.data(), 5000);
        return list.Get(0);
    }();
    for (std::size_t at = 5000; at < output.size(); at += 65536)
        list.AddOutput(output.data() + at, std::min<std::size_t>(65536, output.size() - at));
    list.FinishOutput();
    EXPECT_EQ(first, "line 0") << "an early line moved";
    EXPECT_EQ(ToLines(list), expected);
}

// An unbroken line of megabytes, fed the way the capture reads (the room of
// one read at a time) and in small pieces: the list holds it in room of a
// small multiple of its length, at every moment and however long it is.
TEST(LineList, AnUnbrokenLineOfMegabytesIsHeldInRoomOfASmallMultiple)
{
    for (const std::size_t megabytes : {2u, 6u, 12u}) {
        for (const bool capture : {true, false}) {
            const std::size_t size = megabytes << 20;
            const std::string piece(1024, 'x');
            LineList list;
            list.Add("before");
            std::size_t fed = 0, peak = 0;
            while (fed < size) {
                if (capture) {
                    std::size_t room = 0;
                    char* space = list.ReadSpace(4096, room);
                    const std::size_t read = std::min({room, size - fed, std::size_t{1} << 20});
                    std::memset(space, 'x', read);
                    list.TakeRead(read);
                    fed += read;
                } else {
                    list.AddOutput(piece.data(), piece.size());
                    fed += piece.size();
                }
                peak = std::max(peak, list.HeldBytes());
            }
            list.FinishOutput();
            ASSERT_EQ(list.Count(), 2) << megabytes << " MiB";
            EXPECT_EQ(list.Get(1).size(), size);
            EXPECT_EQ(list.Get(0), "before");
            EXPECT_LE(peak, 3 * size) << megabytes << " MiB, " << (capture ? "as captured" : "in pieces");
        }
    }
}

TEST(LineList, ReadingPastTheEndGivesEmptyLines)
{
    LineList list;
    list.Add("one");
    list.Add("");
    list.Add(std::string("t\0o", 3));  // lines hold no zero byte: it ends them
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Get(0), "one");
    EXPECT_EQ(list.Get(1), "");
    EXPECT_EQ(list.Get(2), "t");
    EXPECT_EQ(list.Get(3), "");
    EXPECT_EQ(list.Get(-1), "");
    EXPECT_EQ(list.MutableData(3), nullptr);
    list.MutableData(0)[0] = 'O';
    EXPECT_EQ(list.Get(0), "One");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Get(0), "");
}

// The capture appends to whatever the list held; a whole line added while
// output is half read comes before the unfinished line.
TEST(LineList, WholeLinesAndOutputMix)
{
    LineList list;
    list.Add("kept");
    list.AddOutput("ab\r\ncd", 6);
    list.Add("added");
    list.AddOutput("e\n", 2);
    list.FinishOutput();
    EXPECT_EQ(ToLines(list), (Lines{"kept", "ab", "added", "cde"}));
}

}  // namespace
