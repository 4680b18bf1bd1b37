// Reading and writing a 24-megapixel picture through ipImportInd and ipExportInd, against the
// same library called directly in the plainest way (x_direct: 1.0 would be as fast). Every
// figure is in megapixels per second as well.
#include "dib_picture.h"

#include "platform/image_file.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <unistd.h>

namespace {

constexpr int width = 6000;
constexpr int height = 4000;

const Picture& picture() {
    static const Picture p = patternPicture(width, height);
    return p;
}

std::string benchFile(const std::string& extension) {
    return (std::filesystem::temp_directory_path() /
            ("hm-bench-" + std::to_string(::getpid()) + extension))
        .string();
}

// --- The libraries called directly: whole picture, rows from a plain buffer; each read goes
// into a new zeroed buffer, as the library's reads go into a new zeroed block. ---

struct FreePixels {
    void operator()(std::uint8_t* p) const { std::free(p); }
};
using Pixels = std::unique_ptr<std::uint8_t, FreePixels>;

Pixels newPixels(std::size_t size) {
    return Pixels(static_cast<std::uint8_t*>(std::calloc(size, 1)));
}

void directJpegWrite(const std::string& name) {
    std::FILE* file = std::fopen(name.c_str(), "wb");
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 80, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row =
            const_cast<std::uint8_t*>(picture().at(0, static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

void directJpegRead(const std::string& name) {
    std::FILE* file = std::fopen(name.c_str(), "rb");
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    const Pixels out =
        newPixels(static_cast<std::size_t>(info.output_width) * info.output_height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row =
            out.get() + static_cast<std::size_t>(info.output_scanline) * info.output_width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
}

void directPngWrite(const std::string& name) {
    std::FILE* file = std::fopen(name.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int y = 0; y < height; ++y) {
        png_write_row(png, const_cast<png_bytep>(picture().at(0, y)));
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

void directPngRead(const std::string& name) {
    std::FILE* file = std::fopen(name.c_str(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_read_info(png, info);
    png_set_bgr(png);
    png_read_update_info(png, info);
    const Pixels out = newPixels(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        png_read_row(png, out.get() + static_cast<std::size_t>(y) * width * 3, nullptr);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
}

void directTiffWrite(const std::string& name) {
    TIFF* tiff = TIFFOpen(name.c_str(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
    std::vector<std::uint8_t> line(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* bgr = picture().at(0, y);
        for (int x = 0; x < width; ++x) {
            line[x * 3] = bgr[x * 3 + 2];
            line[x * 3 + 1] = bgr[x * 3 + 1];
            line[x * 3 + 2] = bgr[x * 3];
        }
        TIFFWriteScanline(tiff, line.data(), static_cast<std::uint32_t>(y), 0);
    }
    TIFFClose(tiff);
}

void directTiffRead(const std::string& name) {
    TIFF* tiff = TIFFOpen(name.c_str(), "r");
    const Pixels out = newPixels(static_cast<std::size_t>(width) * height * 4);
    TIFFReadRGBAImageOriented(tiff, width, height, reinterpret_cast<std::uint32_t*>(out.get()),
                              ORIENTATION_TOPLEFT, 0);
    TIFFClose(tiff);
}

// --- Through the image-file library. ---

void libraryWrite(const std::string& name) {
    static platform::MemHandle block = blockOf(picture());
    TImportExportParams p{};
    p.Size = sizeof p;
    p.Flags = IP_EXPORT | (8u << IP_JPEG_QUALITY_SHIFT);
    p.FileName = name.c_str();
    p.Bitmap = block;
    if (ipExportInd(&p) != IP_OK) {
        std::abort();
    }
}

void libraryRead(const std::string& name) {
    TImportExportParams p{};
    p.Size = sizeof p;
    p.Flags = IP_IMPORT;
    p.FileName = name.c_str();
    if (ipImportInd(&p) != IP_OK) {
        std::abort();
    }
    platform::memFree(static_cast<platform::MemHandle>(p.Bitmap));
}

double seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs the library and the direct call alternately, once each per benchmark iteration, and
// reports the rates with the ratio of their best runs (this machine's noise only ever adds
// time, and alternating keeps drift from favouring either side).
void compare(benchmark::State& state, const std::function<void()>& ours,
             const std::function<void()>& direct) {
    double bestOurs = 1e9;
    double bestDirect = 1e9;
    for (auto _ : state) {
        bestOurs = std::min(bestOurs, seconds(ours));
        state.PauseTiming();
        bestDirect = std::min(bestDirect, seconds(direct));
        state.ResumeTiming();
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["MPix/s"] =
        benchmark::Counter(iterations * width * height / 1e6, benchmark::Counter::kIsRate);
    state.counters["x_direct"] = bestDirect / bestOurs;
}

struct Format {
    std::string extension;
    std::function<void(const std::string&)> write;
    std::function<void(const std::string&)> read;
};

const Format& format(int index) {
    static const std::vector<Format> formats = {{".jpg", directJpegWrite, directJpegRead},
                                                {".png", directPngWrite, directPngRead},
                                                {".tif", directTiffWrite, directTiffRead}};
    return formats[static_cast<std::size_t>(index)];
}

void BM_Encode(benchmark::State& state) {
    const Format& f = format(static_cast<int>(state.range(0)));
    const std::string direct = benchFile("-direct" + f.extension);
    const std::string ours = benchFile(f.extension);
    compare(
        state, [&] { libraryWrite(ours); }, [&] { f.write(direct); });
    std::filesystem::remove(direct);
    std::filesystem::remove(ours);
}

void BM_Decode(benchmark::State& state) {
    const Format& f = format(static_cast<int>(state.range(0)));
    const std::string name = benchFile("-read" + f.extension);
    libraryWrite(name);
    compare(
        state, [&] { libraryRead(name); }, [&] { f.read(name); });
    std::filesystem::remove(name);
}

} // namespace

// 0 JPEG, 1 PNG, 2 TIFF
BENCHMARK(BM_Encode)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(7);
BENCHMARK(BM_Decode)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(7);

BENCHMARK_MAIN();
