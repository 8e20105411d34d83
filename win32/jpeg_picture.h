// JPEG pictures decoded with libjpeg: into memory, and from a program resource
// into a bitmap that a window can draw.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <vector>

struct DecodedPicture {
    int width = 0, height = 0;
    std::vector<unsigned char> bgr;  // rows top-down, 3 bytes per pixel, no padding
};

// Nothing when the data is not a whole, undamaged JPEG in a colour space we
// show (greyscale, YCbCr or RGB; CMYK is refused).
std::optional<DecodedPicture> DecodeJpeg(const unsigned char* data, std::size_t size);

// The RCDATA resource as a 24-bit top-down DIB section, or nullptr. The caller
// owns the bitmap.
HBITMAP LoadJpegResource(HINSTANCE module, int resourceId);
