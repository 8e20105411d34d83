// JPEG decoding with libjpeg. libjpeg reports errors by calling a handler that
// must not return; ours longjmps back to the one function that makes libjpeg
// calls. That function holds no object with a destructor, so the jump skips
// nothing but libjpeg's own C frames.
#include "win32/jpeg_picture.h"

#include "win32/handle.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

// jconfig.h leaves boolean and INT32 alone once windows.h has declared them.
#include <jpeglib.h>

namespace {

// Larger pictures are damaged headers, not pictures we show; refusing them
// keeps a bad header from asking for gigabytes.
constexpr std::uint64_t kMaxPixels = 16u * 1024 * 1024;

// Ordinary progressive files have about ten scans. Thousands of tiny scans
// would each pass over the whole picture and keep the decoder busy for ages.
constexpr int kMaxScans = 100;

struct ErrorTrap {
    jpeg_error_mgr manager;  // first, so libjpeg's pointer to it is ours too
    std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

// libjpeg only warns about a missing end or a bad code and goes on with grey
// blocks; such a picture is damaged, so a warning ends decoding like an error.
void OnMessage(j_common_ptr info, int level)
{
    if (level < 0)
        OnError(info);
}

void OnProgress(j_common_ptr info)
{
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans)
        OnError(info);
}

// False when libjpeg gave up. The caller destroys the decompressor either way.
bool Decompress(jpeg_decompress_struct& info, ErrorTrap& trap, jpeg_progress_mgr& progress, const unsigned char* data,
    std::size_t size, DecodedPicture& picture)
{
    if (setjmp(trap.jump))
        return false;

    jpeg_create_decompress(&info);  // may fail too, hence inside the trap
    info.progress = &progress;
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK)
        return false;
    if (std::uint64_t{info.image_width} * info.image_height > kMaxPixels)
        return false;

    // Greyscale, YCbCr and RGB convert to this; CMYK does not, and
    // jpeg_start_decompress refuses it.
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    if (info.output_components != 3)
        return false;

    const std::size_t stride = std::size_t{info.output_width} * 3;
    picture.width = static_cast<int>(info.output_width);
    picture.height = static_cast<int>(info.output_height);
    picture.bgr.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = picture.bgr.data() + info.output_scanline * stride;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

// Destroying is safe at any stage, also before creation (all fields zero).
struct DecompressorOwner {
    jpeg_decompress_struct info{};
    ~DecompressorOwner() { jpeg_destroy_decompress(&info); }
};

HBITMAP CreateTopDownDib(const DecodedPicture& picture)
{
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = picture.width;
    format.bmiHeader.biHeight = -picture.height;  // negative: first row at the top
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    OwnedBitmap bitmap(CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits)
        return nullptr;
    // DIB rows are padded to whole DWORDs; the decoded rows are not.
    const std::size_t rowBytes = std::size_t(picture.width) * 3;
    const std::size_t dibStride = (rowBytes + 3) & ~std::size_t{3};
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(static_cast<unsigned char*>(bits) + y * dibStride, picture.bgr.data() + y * rowBytes, rowBytes);
    return static_cast<HBITMAP>(bitmap.Release());
}

}  // namespace

std::optional<DecodedPicture> DecodeJpeg(const unsigned char* data, std::size_t size)
{
    if (!data || size == 0)
        return std::nullopt;

    DecompressorOwner owner;
    ErrorTrap trap{};
    owner.info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = OnError;
    trap.manager.emit_message = OnMessage;
    jpeg_progress_mgr progress{};
    progress.progress_monitor = OnProgress;

    DecodedPicture picture;
    try {
        if (!Decompress(owner.info, trap, progress, data, size, picture))
            return std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    return picture;
}

HBITMAP LoadJpegResource(HINSTANCE module, int resourceId)
{
    // Resources live as long as the module: nothing to free.
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), RT_RCDATA);
    if (!found)
        return nullptr;
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return nullptr;
    const auto picture = DecodeJpeg(static_cast<const unsigned char*>(bytes), SizeofResource(module, found));
    return picture ? CreateTopDownDib(*picture) : nullptr;
}
