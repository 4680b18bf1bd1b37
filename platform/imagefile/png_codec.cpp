// PNG files through libpng: every colour type and bit depth on reading (palette and grey
// expanded, 16-bit samples scaled to 8, alpha composed onto white), interlaced or not;
// 8-bit RGB, interlaced or not, on writing.
#include "codecs.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

#include <png.h>

namespace imagefile {

namespace {

struct MemoryInput {
    Bytes bytes;
    std::size_t position = 0;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t size) {
    auto* input = static_cast<MemoryInput*>(png_get_io_ptr(png));
    if (size > input->bytes.size() - input->position) {
        png_error(png, "truncated");
    }
    std::memcpy(out, input->bytes.data() + input->position, size);
    input->position += size;
}

void quietWarning(png_structp, png_const_charp) {}
void failRead(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

// A + (255 - a) white: the colour seen on a white page.
std::uint8_t onWhite(unsigned value, unsigned alpha) {
    return static_cast<std::uint8_t>((value * alpha + 255u * (255u - alpha) + 127u) / 255u);
}

// Sets the transformations that turn any PNG into 8-bit BGR or BGRA rows; true for BGRA.
bool requestBgr(png_structp png, png_infop info) {
    const png_byte type = png_get_color_type(png, info);
    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    // Plain 8-bit RGB needs only the byte order; the rest only where the picture needs it.
    if (type == PNG_COLOR_TYPE_PALETTE || png_get_bit_depth(png, info) < 8 || transparency) {
        png_set_expand(png);
    }
    if (png_get_bit_depth(png, info) == 16) {
        png_set_scale_16(png);
    }
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    png_set_bgr(png);
    return (type & PNG_COLOR_MASK_ALPHA) != 0 || transparency;
}

int decode(png_structp png, png_infop info, Progress& progress, DibBuffer& out,
           std::vector<std::uint8_t>& pixels, std::vector<png_bytep>& rows) {
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    // Checked before libpng sizes its row buffers from the header.
    if (const int size = checkPictureSize(width, height); size != IP_OK) {
        return size;
    }
    const bool alpha = requestBgr(png, info);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (const int created = out.create(width, height); created != IP_OK) {
        return created;
    }
    png_uint_32 unitX = 0, unitY = 0;
    int unit = 0;
    if (png_get_pHYs(png, info, &unitX, &unitY, &unit) != 0 && unit == PNG_RESOLUTION_METER) {
        out.setResolution(static_cast<std::int32_t>(std::min<png_uint_32>(unitX, INT32_MAX)),
                          static_cast<std::int32_t>(std::min<png_uint_32>(unitY, INT32_MAX)));
    }
    // With alpha the rows are read as BGRA into a buffer of their own and composed after.
    const std::size_t channels = alpha ? 4 : 3;
    if (alpha) {
        pixels.resize(static_cast<std::size_t>(width) * height * 4);
    }
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) {
        rows[y] = alpha ? pixels.data() + static_cast<std::size_t>(y) * width * channels
                        : out.row(static_cast<std::int32_t>(y));
    }
    const std::int64_t steps = std::int64_t{passes} * height;
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, rows[y], nullptr);
            if (!progress.report(std::int64_t{pass} * height + y + 1, steps)) {
                return IP_CANCELLED;
            }
        }
    }
    if (alpha) {
        for (png_uint_32 y = 0; y < height; ++y) {
            const std::uint8_t* src = rows[y];
            std::uint8_t* dst = out.row(static_cast<std::int32_t>(y));
            for (png_uint_32 x = 0; x < width; ++x, src += 4, dst += 3) {
                dst[0] = onWhite(src[0], src[3]);
                dst[1] = onWhite(src[1], src[3]);
                dst[2] = onWhite(src[2], src[3]);
            }
        }
    }
    return IP_OK;
}

} // namespace

int readPng(Bytes file, Progress& progress, DibBuffer& out) {
    if (file.size() < 8 || png_sig_cmp(file.data(), 0, 8) != 0) {
        return IP_DAMAGED_FILE;
    }
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, failRead, quietWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return IP_NO_MEMORY;
    }
    MemoryInput input{file};
    std::vector<std::uint8_t> pixels;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_read_struct(&png, &info, nullptr);
        return IP_DAMAGED_FILE;
    }
    png_set_read_fn(png, &input, readFromMemory);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Random mutations rarely keep checksums right; let the fuzzer past them.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#endif
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    const int result = decode(png, info, progress, out, pixels, rows);
    png_destroy_read_struct(&png, &info, nullptr);
    return result;
}

namespace {
void failWrite(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
} // namespace

int writePng(const DibView& picture, std::FILE* file, bool interlaced, Progress& progress) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, failWrite, quietWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return IP_NO_MEMORY;
    }
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return IP_WRITE_FAILED;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width()),
                 static_cast<png_uint_32>(picture.height()), 8, PNG_COLOR_TYPE_RGB,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (picture.xPelsPerMeter() > 0 && picture.yPelsPerMeter() > 0) {
        png_set_pHYs(png, info, static_cast<png_uint_32>(picture.xPelsPerMeter()),
                     static_cast<png_uint_32>(picture.yPelsPerMeter()), PNG_RESOLUTION_METER);
    }
    png_write_info(png, info);
    png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    const std::int64_t steps = std::int64_t{passes} * picture.height();
    for (int pass = 0; pass < passes; ++pass) {
        for (std::int32_t y = 0; y < picture.height(); ++y) {
            png_write_row(png, const_cast<png_bytep>(picture.row(y)));
            if (!progress.report(std::int64_t{pass} * picture.height() + y + 1, steps)) {
                png_destroy_write_struct(&png, &info);
                return IP_CANCELLED;
            }
        }
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::ferror(file) ? IP_WRITE_FAILED : IP_OK;
}

} // namespace imagefile
