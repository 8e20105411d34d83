#include "win32/system_info.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

std::string TempFolder()
{
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    return folder;
}

TEST(ExeDirectory, IsTheTestProgramsFolderWithATrailingBackslash)
{
    const std::string folder = GetExeDirectory();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ('\\', folder.back());
    const DWORD attributes = GetFileAttributesA((folder + "win_system_info.exe").c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes) << folder;
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(ProductVersion, IsTheProductVersionOfFilesThatHaveOne)
{
    const std::string folder = TempFolder();
    const std::string textFile = folder + "tamarko-no-version-" + std::to_string(GetCurrentProcessId()) + ".txt";
    std::ofstream(textFile) << "no version information here\r\n";

    const struct {
        std::string path;
        const char* expected;
    } cases[] = {
        // The file version 1.4.0.0 of the same resource must not be taken.
        {GetExeDirectory() + "win_system_info.exe", "10.2"},
        {textFile, ""},
        {folder + "tamarko-no-such-file.exe", ""},
        {folder, ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, GetProductVersionText(c.path)) << c.path;

    DeleteFileA(textFile.c_str());
}

TEST(WindowsVersion, TheTestPrefixPosesAsWindowsXP)
{
    EXPECT_EQ("WinXP", GetWindowsVersionName());
}

TEST(ColorDepth, TheScreenOfTheTestDisplay)
{
    // The private Xvfb display has 24-bit colour, which Wine reports as 32 bits
    // per pixel in one plane.
    HDC screen = GetDC(nullptr);
    EXPECT_EQ("32 bitů", GetColorDepthName(screen));
    ReleaseDC(nullptr, screen);
}

TEST(ColorDepth, AMemoryDeviceContextDescribesTheDisplayNotItsBitmap)
{
    // What the about box would get when handed a memory surface: the depth of
    // the display the surface belongs to, whatever bitmap is selected into it.
    HDC screen = GetDC(nullptr);
    const std::string screenName = GetColorDepthName(screen);
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(nullptr, memory);

    for (const WORD bits : {1, 4, 8, 16, 24, 32}) {
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colours[256];
        } info{};
        info.header.biSize = sizeof info.header;
        info.header.biWidth = 8;
        info.header.biHeight = 8;
        info.header.biPlanes = 1;
        info.header.biBitCount = bits;
        info.header.biCompression = BI_RGB;
        void* pixels = nullptr;
        HBITMAP bitmap
            = CreateDIBSection(memory, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
        ASSERT_NE(nullptr, bitmap) << bits;
        HGDIOBJ previous = SelectObject(memory, bitmap);
        ASSERT_NE(nullptr, previous) << bits;

        // The bitmap really has the depth in question while the name is asked for.
        DIBSECTION section{};
        ASSERT_EQ(static_cast<int>(sizeof section),
            GetObject(GetCurrentObject(memory, OBJ_BITMAP), sizeof section, &section));
        EXPECT_EQ(bits, section.dsBm.bmBitsPixel);
        EXPECT_EQ(screenName, GetColorDepthName(memory)) << bits << " bits per pixel";

        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
}

TEST(ColorDepth, ASurfaceWithoutColoursHasNoDepth)
{
    // A metafile records drawing and reports neither bits nor planes.
    HDC metafile = CreateMetaFileA(nullptr);
    ASSERT_NE(nullptr, metafile);
    EXPECT_EQ("není", GetColorDepthName(metafile));
    DeleteMetaFile(CloseMetaFile(metafile));
}

}  // namespace
