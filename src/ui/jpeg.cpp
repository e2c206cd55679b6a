#include "ui/jpeg.h"

#include <csetjmp>

extern "C" {
#include <jpeglib.h>
}

namespace {

// libjpeg reports fatal errors through error_exit, which must not return.
// C++ exceptions cannot unwind through libjpeg's C frames, so error_exit jumps
// back to DecodeJpeg, which raises the exception from C++ code.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char text[JMSG_LENGTH_MAX];
};

void OnFatalError(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->text);
    std::longjmp(errors->jump, 1);
}

void IgnoreMessage(j_common_ptr, int) {}

}  // namespace

TPixels DecodeJpeg(const std::string& bytes) {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnFatalError;
    errors.base.emit_message = IgnoreMessage;
    // Everything that must survive the jump back lives outside this frame's
    // automatic variables that change after setjmp.
    TPixels pixels;
    std::vector<JSAMPLE> row;

    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        throw EJpegError(L"JPEG error: " + Utf8ToWide(errors.text));
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);

    pixels.width = static_cast<int>(info.output_width);
    pixels.height = static_cast<int>(info.output_height);
    pixels.bgra.resize(static_cast<size_t>(pixels.width) * pixels.height);
    row.resize(static_cast<size_t>(info.output_width) * info.output_components);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {row.data()};
        const size_t y = info.output_scanline;
        jpeg_read_scanlines(&info, rows, 1);
        uint32_t* out = pixels.bgra.data() + y * pixels.width;
        for (int x = 0; x < pixels.width; ++x) {
            const JSAMPLE* rgb = row.data() + 3 * x;
            out[x] = (uint32_t{rgb[0]} << 16) | (uint32_t{rgb[1]} << 8) | rgb[2];
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return pixels;
}
