// JPEG files through libjpeg-turbo: baseline and progressive, colour, greyscale and CMYK on
// reading; baseline colour at a chosen quality on writing.
#include "codecs.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace imagefile {

namespace {

// libjpeg reports fatal errors by calling error_exit, which must not return: it jumps back to
// the call that set `escape`. Only C frames of libjpeg lie in between, and the functions that
// set it keep no object with a destructor alive across the jump.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf escape;
};

void leave(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1);
}

void quiet(j_common_ptr, int) {}

void installErrors(jpeg_common_struct& info, ErrorManager& errors) {
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = leave;
    errors.base.emit_message = quiet; // warnings (such as a premature end) do not stop the read
}

std::int32_t pelsPerMeter(std::uint8_t unit, std::uint16_t density) {
    if (unit == 1) {
        return pelsPerMeterFromInch(density);
    }
    if (unit == 2) {
        return pelsPerMeterFromCentimetre(density);
    }
    return 0;
}

// Adobe files store CMYK inverted; the product of each colour with black gives the channel.
void cmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x) {
        const unsigned c = inverted ? cmyk[0] : 255u - cmyk[0];
        const unsigned m = inverted ? cmyk[1] : 255u - cmyk[1];
        const unsigned y = inverted ? cmyk[2] : 255u - cmyk[2];
        const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
        bgr[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
        bgr[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        bgr[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
        cmyk += 4;
        bgr += 3;
    }
}

void greyToBgr(const std::uint8_t* grey, std::uint8_t* bgr, JDIMENSION width) {
    for (JDIMENSION x = 0; x < width; ++x) {
        bgr[x * 3] = bgr[x * 3 + 1] = bgr[x * 3 + 2] = grey[x];
    }
}

int decode(jpeg_decompress_struct& info, Progress& progress, DibBuffer& out,
           std::vector<std::uint8_t>& line) {
    const J_COLOR_SPACE source = info.jpeg_color_space;
    const bool cmyk = source == JCS_CMYK || source == JCS_YCCK;
    info.out_color_space =
        cmyk ? JCS_CMYK : (source == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_EXT_BGR);
    if (const int created = out.create(info.image_width, info.image_height); created != IP_OK) {
        return created;
    }
    out.setResolution(pelsPerMeter(info.density_unit, info.X_density),
                      pelsPerMeter(info.density_unit, info.Y_density));
    jpeg_start_decompress(&info);
    line.resize(static_cast<std::size_t>(info.output_width) * info.output_components);
    while (info.output_scanline < info.output_height) {
        const auto y = static_cast<std::int32_t>(info.output_scanline);
        std::uint8_t* row = out.row(y);
        JSAMPROW target = info.out_color_space == JCS_EXT_BGR ? row : line.data();
        jpeg_read_scanlines(&info, &target, 1);
        if (info.out_color_space == JCS_CMYK) {
            cmykToBgr(line.data(), row, info.output_width, info.saw_Adobe_marker);
        } else if (info.out_color_space == JCS_GRAYSCALE) {
            greyToBgr(line.data(), row, info.output_width);
        }
        if (!progress.report(y + 1, info.output_height)) {
            return IP_CANCELLED;
        }
    }
    jpeg_finish_decompress(&info);
    return IP_OK;
}

UINT16 densityOf(std::int32_t pelsPerMeter) {
    return static_cast<UINT16>(std::clamp(std::lround(dotsPerInch(pelsPerMeter)), 1L, 65535L));
}

} // namespace

int readJpeg(Bytes file, Progress& progress, DibBuffer& out) {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    std::vector<std::uint8_t> line;
    installErrors(*reinterpret_cast<jpeg_common_struct*>(&info), errors);
    if (setjmp(errors.escape) != 0) {
        jpeg_destroy_decompress(&info);
        return IP_DAMAGED_FILE;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    if (info.data_precision != 8) {
        jpeg_destroy_decompress(&info);
        return IP_UNSUPPORTED;
    }
    const int result = decode(info, progress, out, line);
    jpeg_destroy_decompress(&info);
    return result;
}

int writeJpeg(const DibView& picture, std::FILE* file, int quality, Progress& progress) {
    jpeg_compress_struct info{};
    ErrorManager errors{};
    installErrors(*reinterpret_cast<jpeg_common_struct*>(&info), errors);
    if (setjmp(errors.escape) != 0) {
        jpeg_destroy_compress(&info);
        return IP_WRITE_FAILED;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(picture.width());
    info.image_height = static_cast<JDIMENSION>(picture.height());
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (picture.xPelsPerMeter() > 0 && picture.yPelsPerMeter() > 0) {
        info.density_unit = 1;
        info.X_density = densityOf(picture.xPelsPerMeter());
        info.Y_density = densityOf(picture.yPelsPerMeter());
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        const auto y = static_cast<std::int32_t>(info.next_scanline);
        JSAMPROW row = const_cast<std::uint8_t*>(picture.row(y));
        jpeg_write_scanlines(&info, &row, 1);
        if (!progress.report(y + 1, info.image_height)) {
            jpeg_destroy_compress(&info);
            return IP_CANCELLED;
        }
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::ferror(file) ? IP_WRITE_FAILED : IP_OK;
}

} // namespace imagefile
