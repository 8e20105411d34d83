// What the fuzz targets share: a property check that aborts, so that
// libFuzzer keeps the input as a crash and a corpus replay fails on it, and a
// reader that cuts the fuzzer's bytes into the pieces a target needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// Not assert(): the replay programs are built with NDEBUG.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition);                      \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size)
    {
    }

    // One byte, or 0 once the input is used up.
    std::uint8_t Byte()
    {
        if (rest_.empty())
            return 0;
        const auto byte = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return byte;
    }
    // Four bytes, little-endian.
    std::uint32_t Word()
    {
        std::uint32_t word = 0;
        for (int i = 0; i < 4; ++i)
            word |= static_cast<std::uint32_t>(Byte()) << (8 * i);
        return word;
    }
    std::string_view Rest() const { return rest_; }

private:
    std::string_view rest_;
};

// Pieces between the separators, empty ones included; no piece for an empty text.
inline std::vector<std::string> SplitAt(std::string_view text, char separator)
{
    std::vector<std::string> pieces;
    if (text.empty())
        return pieces;
    while (true) {
        const auto at = text.find(separator);
        pieces.emplace_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return pieces;
        text.remove_prefix(at + 1);
    }
}
