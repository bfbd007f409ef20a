// JPEG pictures through libjpeg-turbo. The library reports errors through a handler that must
// not return; ours jumps back into the step that called the library. Those steps hold nothing
// with a destructor, so that the jump skips none.

#include <csetjmp>
#include <cstdint>
#include <cstdio>
// cstdio first: the library's headers need its FILE.
#include <jerror.h>
#include <jpeglib.h>

#include "pictures/bmp_file.h"
#include "pictures/posix_picture_libraries.h"

namespace vexaframe {
namespace {

struct ErrorHandling {
    jpeg_error_mgr manager;  // first: the library knows only this part
    std::jmp_buf escape;
    bool endedEarly;
};

ErrorHandling& HandlingOf(j_common_ptr info) {
    return *reinterpret_cast<ErrorHandling*>(info->err);
}

[[noreturn]] void Escape(j_common_ptr info) {
    std::longjmp(HandlingOf(info).escape, 1);
}

// Damaged data only warns and decodes to what the library makes of it, as on Windows; data that
// ends before its end marker gives no picture there.
void NoteMessage(j_common_ptr info, int level) {
    ErrorHandling& handling = HandlingOf(info);
    if (level < 0 && handling.manager.msg_code == JWRN_JPEG_EOF) handling.endedEarly = true;
}

bool Create(jpeg_decompress_struct& info, ErrorHandling& handling) {
    if (setjmp(handling.escape) != 0) return false;
    jpeg_create_decompress(&info);
    return true;
}

// The output size, with each pixel as the bytes of a 0xAARRGGBB number.
bool ReadHeader(jpeg_decompress_struct& info, ErrorHandling& handling, std::string_view bytes) {
    if (setjmp(handling.escape) != 0) return false;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
    info.out_color_space = JCS_EXT_BGRA;
    jpeg_calc_output_dimensions(&info);
    return true;
}

bool ReadPixels(jpeg_decompress_struct& info, ErrorHandling& handling, std::uint32_t* pixels) {
    if (setjmp(handling.escape) != 0) return false;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(pixels + std::size_t{info.output_scanline} *
                                                               info.output_width);
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);  // reads on to the end marker
    return !handling.endedEarly;
}

class Decompressor {
public:
    Decompressor() {
        info_.err = jpeg_std_error(&handling_.manager);
        handling_.manager.error_exit = Escape;
        handling_.manager.emit_message = NoteMessage;
        created_ = Create(info_, handling_);
    }
    ~Decompressor() {
        if (created_) jpeg_destroy_decompress(&info_);
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    std::optional<Image> Decode(std::string_view bytes) {
        if (!created_ || !ReadHeader(info_, handling_, bytes) ||
            !bmp::IsWithinLimits(info_.output_width, info_.output_height)) {
            return std::nullopt;
        }
        Image image(static_cast<int>(info_.output_width), static_cast<int>(info_.output_height));
        if (!ReadPixels(info_, handling_, image.pixels.data())) return std::nullopt;
        return image;
    }

private:
    jpeg_decompress_struct info_{};
    ErrorHandling handling_{};
    bool created_ = false;
};

}  // namespace

std::optional<Image> DecodeJpeg(std::string_view bytes) {
    return Decompressor().Decode(bytes);
}

}  // namespace vexaframe
