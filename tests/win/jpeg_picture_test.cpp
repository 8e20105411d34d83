#include "resources/resource.h"
#include "win32/jpeg_picture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <type_traits>

#include <jpeglib.h>

namespace {

using BitmapOwner = std::unique_ptr<std::remove_pointer_t<HBITMAP>, decltype(&DeleteObject)>;

// The test program carries the program's resource script, so this is the
// picture exactly as it ships.
std::vector<unsigned char> AboutPictureBytes()
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_ABOUT_PICTURE), RT_RCDATA);
    if (!found)
        return {};
    const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
    return {bytes, bytes + SizeofResource(nullptr, found)};
}

// Compresses samples with libjpeg itself, to make inputs of any colour space
// and scan layout.
std::vector<unsigned char> Encode(int width, int height, J_COLOR_SPACE space, int components,
    const std::vector<unsigned char>& samples, bool progressive = false, const std::vector<jpeg_scan_info>& scans = {})
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = components;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    if (!scans.empty()) {
        info.scan_info = scans.data();
        info.num_scans = static_cast<int>(scans.size());
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(samples.data()) + info.next_scanline * width * components;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<unsigned char> jpeg(buffer, buffer + size);
    std::free(buffer);
    return jpeg;
}

// Samples of a picture made of flat square tiles, one value per tile and
// channel, tiles listed row by row.
std::vector<unsigned char> Tiles(int tilesAcross, int tileSize, int components, const std::vector<unsigned>& values)
{
    const int tilesDown = static_cast<int>(values.size()) / tilesAcross;
    std::vector<unsigned char> samples;
    for (int y = 0; y < tilesDown * tileSize; ++y)
        for (int x = 0; x < tilesAcross * tileSize; ++x)
            for (int c = components - 1; c >= 0; --c)
                samples.push_back((values[(y / tileSize) * tilesAcross + x / tileSize] >> (8 * c)) & 0xFF);
    return samples;
}

// Offset of the first marker segment of this type up to the first scan, or 0.
std::size_t FindSegment(const std::vector<unsigned char>& jpeg, unsigned char marker)
{
    for (std::size_t at = 2; at + 4 <= jpeg.size() && jpeg[at] == 0xFF; at += 2 + (jpeg[at + 2] << 8 | jpeg[at + 3])) {
        if (jpeg[at + 1] == marker)
            return at;
        if (jpeg[at + 1] == 0xDA)
            break;
    }
    return 0;
}

// 0xRRGGBB of the pixel at x, y in BGR rows.
unsigned PixelAt(const unsigned char* rows, std::size_t stride, int x, int y)
{
    const unsigned char* p = rows + y * stride + x * 3;
    return p[2] << 16 | p[1] << 8 | p[0];
}

::testing::AssertionResult Near(unsigned expected, unsigned actual, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((expected >> shift) & 0xFF) - int((actual >> shift) & 0xFF)) > tolerance) {
            char text[64];
            std::snprintf(text, sizeof text, "expected #%06x, got #%06x", expected, actual);
            return ::testing::AssertionFailure() << text;
        }
    return ::testing::AssertionSuccess();
}

// The palette of tools/make_about_picture.sh, at points well inside the flat
// shapes it draws there. Change both together.
struct Sample {
    const char* what;
    int x, y;
    unsigned rgb;
};
const Sample kAboutSamples[] = {
    {"sky at the top edge", 225, 2, 0x8ec1e6},
    {"sun", 392, 76, 0xffe98a},
    {"cloud", 120, 80, 0xfbfdff},
    {"hills", 60, 190, 0x9cc28b},
    {"meadow", 225, 235, 0xe6eecd},
    {"foreground", 225, 325, 0x2f5a3c},
    {"teal node", 210, 66, 0x2a9d8f},
    {"red node", 265, 88, 0xc8553d},
    {"blue node", 205, 181, 0x3d5a80},
    {"ochre node", 40, 172, 0xe0a030},
};
constexpr int kJpegTolerance = 8;

TEST(AboutPicture, IsABaselineJfifPictureOf450By338)
{
    const auto jpeg = AboutPictureBytes();
    ASSERT_GT(jpeg.size(), 20u) << "no RCDATA resource IDR_ABOUT_PICTURE";
    EXPECT_TRUE(jpeg[0] == 0xFF && jpeg[1] == 0xD8) << "starts with SOI";
    EXPECT_TRUE(jpeg[jpeg.size() - 2] == 0xFF && jpeg.back() == 0xD9) << "ends with EOI";
    EXPECT_EQ(FindSegment(jpeg, 0xE0), 2u) << "a JFIF file opens with APP0";
    EXPECT_EQ(std::string(jpeg.begin() + 6, jpeg.begin() + 11), std::string("JFIF\0", 5));
    ASSERT_NE(FindSegment(jpeg, 0xDA), 0u) << "the headers lead to a scan";

    const std::size_t sof = FindSegment(jpeg, 0xC0);
    ASSERT_NE(sof, 0u) << "baseline frame header (SOF0)";
    for (unsigned char other : {0xC1, 0xC2, 0xC3, 0xC5, 0xC6, 0xC7, 0xC9, 0xCA, 0xCB, 0xCD, 0xCE, 0xCF})
        EXPECT_EQ(FindSegment(jpeg, other), 0u) << "frame type " << std::hex << int(other);
    EXPECT_EQ(jpeg[sof + 4], 8) << "sample precision";
    EXPECT_EQ(jpeg[sof + 5] << 8 | jpeg[sof + 6], 338);
    EXPECT_EQ(jpeg[sof + 7] << 8 | jpeg[sof + 8], 450);
    EXPECT_EQ(jpeg[sof + 9], 3) << "colour";
}

TEST(AboutPicture, DecodesAndLoadsWithTheColoursItWasDrawnWith)
{
    const auto jpeg = AboutPictureBytes();
    const auto picture = DecodeJpeg(jpeg.data(), jpeg.size());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 450);
    EXPECT_EQ(picture->height, 338);
    ASSERT_EQ(picture->bgr.size(), 450u * 338u * 3u) << "rows without padding";

    BitmapOwner bitmap(LoadJpegResource(GetModuleHandleA(nullptr), IDR_ABOUT_PICTURE), &DeleteObject);
    ASSERT_TRUE(bitmap);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectA(bitmap.get(), sizeof dib, &dib), int(sizeof dib)) << "a DIB section";
    EXPECT_EQ(dib.dsBm.bmWidth, 450);
    EXPECT_EQ(dib.dsBm.bmHeight, 338);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);
    ASSERT_NE(dib.dsBm.bmBits, nullptr);

    // The bitmap as GDI draws it, the way the about box will.
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, bitmap.get());
    for (const auto& sample : kAboutSamples) {
        SCOPED_TRACE(sample.what);
        EXPECT_TRUE(Near(sample.rgb, PixelAt(picture->bgr.data(), 450 * 3, sample.x, sample.y), kJpegTolerance));
        const COLORREF drawn = GetPixel(memory, sample.x, sample.y);
        EXPECT_TRUE(
            Near(sample.rgb, GetRValue(drawn) << 16 | GetGValue(drawn) << 8 | GetBValue(drawn), kJpegTolerance));
    }
    SelectObject(memory, previous);
    DeleteDC(memory);
}

TEST(AboutPicture, AMissingResourceGivesNoBitmap)
{
    EXPECT_EQ(LoadJpegResource(GetModuleHandleA(nullptr), IDR_ABOUT_PICTURE + 1000), nullptr);
}

TEST(DecodeJpeg, RefusesDamagedData)
{
    const auto good = AboutPictureBytes();
    ASSERT_GT(good.size(), 1000u);
    const auto cut
        = [&](std::size_t length) { return std::vector<unsigned char>(good.begin(), good.begin() + length); };
    // Where the first scan's entropy-coded data starts.
    const std::size_t sos = FindSegment(good, 0xDA);
    const std::size_t scanData = sos + 2 + (good[sos + 2] << 8 | good[sos + 3]);

    std::vector<unsigned char> noisyScan = good;
    std::mt19937 noise(7);
    for (std::size_t i = scanData + 500; i < noisyScan.size() - 2; ++i)
        noisyScan[i] = static_cast<unsigned char>(noise());

    // One valid band of 43691 x 8 pixels under a frame header claiming a
    // height of 32768: 43691 x 32768 x 3 bytes wraps to 32 KiB in 32 bits,
    // and the band's first row alone is 128 KiB.
    auto giant = Encode(43691, 8, JCS_GRAYSCALE, 1, std::vector<unsigned char>(43691 * 8, 128));
    const std::size_t sof = FindSegment(giant, 0xC0);
    giant[sof + 5] = 0x80, giant[sof + 6] = 0x00;
    auto zeroWidth = giant;
    zeroWidth[sof + 7] = zeroWidth[sof + 8] = 0;

    const struct {
        const char* what;
        std::vector<unsigned char> bytes;
    } cases[] = {
        {"empty", {}},
        {"SOI only", cut(2)},
        {"cut inside the first header", cut(20)},
        {"cut inside the tables", cut(200)},
        {"headers without scan data", cut(scanData)},
        {"cut early in the scan", cut(scanData + 40)},
        {"half", cut(good.size() / 2)},
        {"cut near the end", cut(good.size() - 100)},
        {"only EOI missing", cut(good.size() - 2)},
        {"scan data replaced by noise", noisyScan},
        {"PNG",
            {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 1, 0xC2, 0, 0, 1, 0x52,
                8, 2, 0, 0, 0, 0x12, 0x34, 0x56, 0x78}},
        {"frame header claiming a giant picture", giant},
        {"frame header claiming width 0", zeroWidth},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(DecodeJpeg(c.bytes.data(), c.bytes.size())) << c.what;
    EXPECT_FALSE(DecodeJpeg(nullptr, 100));
}

TEST(DecodeJpeg, RefusesRandomBytes)
{
    std::mt19937 random(2024);
    for (int round = 0; round < 300; ++round) {
        std::vector<unsigned char> bytes(1 + random() % 3000);
        for (auto& b : bytes)
            b = static_cast<unsigned char>(random());
        // Half start like a JPEG, to get past the first check.
        if (round % 2 && bytes.size() > 3)
            bytes[0] = 0xFF, bytes[1] = 0xD8, bytes[2] = 0xFF;
        EXPECT_FALSE(DecodeJpeg(bytes.data(), bytes.size())) << "round " << round;
    }
}

TEST(DecodeJpeg, GreyscaleBecomesGreyPixels)
{
    const std::vector<unsigned> levels = {30, 220, 128, 70};
    const auto jpeg = Encode(16, 16, JCS_GRAYSCALE, 1, Tiles(2, 8, 1, levels));
    const auto picture = DecodeJpeg(jpeg.data(), jpeg.size());
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->width, 16);
    ASSERT_EQ(picture->height, 16);
    ASSERT_EQ(picture->bgr.size(), 16u * 16u * 3u);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const unsigned level = levels[(y / 8) * 2 + x / 8];
            ASSERT_TRUE(Near(level * 0x010101, PixelAt(picture->bgr.data(), 16 * 3, x, y), 2)) << x << "," << y;
        }
}

// A greyscale progressive scan script: the DC scan, then every AC
// coefficient alone, optionally in two passes of successive approximation.
std::vector<jpeg_scan_info> OneCoefficientPerScan(bool twoPasses)
{
    std::vector<jpeg_scan_info> scans = {{1, {0}, 0, 0, 0, 0}};
    for (int k = 1; k < 64; ++k) {
        if (twoPasses) {
            scans.push_back({1, {0}, k, k, 0, 1});
            scans.push_back({1, {0}, k, k, 1, 0});
        } else {
            scans.push_back({1, {0}, k, k, 0, 0});
        }
    }
    return scans;
}

TEST(DecodeJpeg, ColourSpacesAndScanLayouts)
{
    // Red, green, blue and white quadrants, each as large as a chroma block
    // after subsampling, so that colours stay flat.
    const std::vector<unsigned> quadrants = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    const auto rgb = Tiles(2, 16, 3, quadrants);
    const auto grey = Tiles(1, 8, 1, {128});
    const auto cmyk = Tiles(1, 8, 4, {0x10203040});

    const struct {
        const char* what;
        std::vector<unsigned char> jpeg;
        bool shown;
    } cases[] = {
        {"sequential colour", Encode(32, 32, JCS_RGB, 3, rgb), true},
        {"progressive colour", Encode(32, 32, JCS_RGB, 3, rgb, true), true},
        {"64 scans", Encode(8, 8, JCS_GRAYSCALE, 1, grey, false, OneCoefficientPerScan(false)), true},
        {"127 scans", Encode(8, 8, JCS_GRAYSCALE, 1, grey, false, OneCoefficientPerScan(true)), false},
        {"CMYK", Encode(8, 8, JCS_CMYK, 4, cmyk), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto picture = DecodeJpeg(c.jpeg.data(), c.jpeg.size());
        ASSERT_EQ(picture.has_value(), c.shown);
        if (picture && picture->width == 32) {
            for (int q = 0; q < 4; ++q)
                EXPECT_TRUE(Near(quadrants[q], PixelAt(picture->bgr.data(), 32 * 3, q % 2 * 16 + 8, q / 2 * 16 + 8), 6))
                    << "quadrant " << q;
        } else if (picture) {
            EXPECT_TRUE(Near(0x808080, PixelAt(picture->bgr.data(), 8 * 3, 4, 4), 2));
        }
    }
}

}  // namespace
