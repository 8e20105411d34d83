#include "core/line_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines SplitInReads(const std::string& bytes, const std::vector<std::size_t>& readSizes)
{
    LineSplitter splitter;
    Lines lines;
    std::size_t at = 0;
    for (std::size_t size : readSizes) {
        size = std::min(size, bytes.size() - at);
        splitter.Feed(bytes.data() + at, size, lines);
        at += size;
    }
    splitter.Feed(bytes.data() + at, bytes.size() - at, lines);
    splitter.Finish(lines);
    return lines;
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

TEST(LineSplitter, EndsLinesAtCrLfCrAndLfAndDropsZeroBytes)
{
    for (const auto& c : kSplitCases)
        EXPECT_EQ(SplitInReads(c.bytes, {}), c.lines) << c.bytes;
}

TEST(LineSplitter, GivesTheSameLinesWhereverTheReadsSplitTheOutput)
{
    const std::string bytes = "Konfigurace\r\n    DNS:    1.2.3.4\r\n    5.6.7.8\r\n\r\nend\rx\n";
    const Lines whole = SplitInReads(bytes, {});
    ASSERT_EQ(whole, (Lines{"Konfigurace", "    DNS:    1.2.3.4", "    5.6.7.8", "", "end", "x"}));
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut)
        EXPECT_EQ(SplitInReads(bytes, {cut}), whole) << "split at " << cut;
    EXPECT_EQ(SplitInReads(bytes, std::vector<std::size_t>(bytes.size(), 1)), whole) << "byte by byte";
}

TEST(LineSplitter, DeliversAPartialLineOnlyWhenItIsComplete)
{
    LineSplitter splitter;
    Lines lines;
    splitter.Feed("abc", 3, lines);
    EXPECT_TRUE(lines.empty());
    splitter.Feed("d\r", 2, lines);
    EXPECT_EQ(lines, (Lines{"abcd"}));
    splitter.Finish(lines);
    EXPECT_EQ(lines, (Lines{"abcd"})) << "a CR already ended the line";
}

}  // namespace
