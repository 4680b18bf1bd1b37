#include "image_file_calls.h"

#include "platform/picture_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string_view>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

int maxDifference(const Picture& a, const Picture& b) {
    int worst = 0;
    for (std::size_t i = 0; i < a.bgr.size(); ++i) {
        worst = std::max(worst, std::abs(a.bgr[i] - b.bgr[i]));
    }
    return worst;
}

} // namespace

TEST(ImageFile, LosslessFormatsRoundTripExactlyWithResolutionAndOrientation) {
    ScratchFolder folder;
    const Picture original = patternPicture(37, 23);
    const std::vector<std::pair<std::string, std::uint32_t>> cases = {
        {"a.bmp", 0},
        {"b.BMP", 0},
        {"c.png", 0},
        {"d.png", IP_PNG_INTERLACED},
        {"e.tif", IP_TIFF_UNCOMPRESSED},
        {"f.tiff", IP_TIFF_PACKBITS},
        {"g.pcx", 0},
    };
    for (const auto& [name, bits] : cases) {
        SCOPED_TRACE(name);
        ASSERT_EQ(exportPicture(original, folder.file(name), bits), IP_OK);
        int code = -1;
        const Picture back = importPicture(folder.file(name), &code);
        ASSERT_EQ(code, IP_OK);
        EXPECT_EQ(back, original);
    }
    EXPECT_EQ(folder.entries(), cases.size()) << "no temporary files are left";
}

TEST(ImageFile, JpegRoundTripsCloselyAtEveryQuality) {
    ScratchFolder folder;
    Picture smooth = patternPicture(64, 48);
    for (int y = 0; y < smooth.height; ++y) {
        for (int x = 0; x < smooth.width; ++x) {
            smooth.at(x, y)[2] = static_cast<std::uint8_t>(100 + x);
        }
    }
    std::size_t previousSize = 0;
    for (std::uint32_t step = 1; step <= 9; ++step) {
        SCOPED_TRACE(step);
        const std::string name = folder.file("q" + std::to_string(step) + ".jpg");
        ASSERT_EQ(exportPicture(smooth, name, step << IP_JPEG_QUALITY_SHIFT), IP_OK);
        int code = -1;
        const Picture back = importPicture(name, &code);
        ASSERT_EQ(code, IP_OK);
        EXPECT_EQ(back.width, smooth.width);
        EXPECT_EQ(back.xPelsPerMeter, smooth.xPelsPerMeter);
        EXPECT_EQ(back.yPelsPerMeter, smooth.yPelsPerMeter);
        EXPECT_LT(maxDifference(back, smooth), step >= 5 ? 24 : 64);
        const std::size_t size = fileBytes(name).size();
        EXPECT_GT(size, previousSize) << "higher quality, larger file";
        previousSize = size;
    }
}

TEST(ImageFile, FormatIsReadFromTheContentNotTheName) {
    ScratchFolder folder;
    const Picture original = patternPicture(5, 4);
    ASSERT_EQ(exportPicture(original, folder.file("real.png")), IP_OK);
    std::filesystem::rename(folder.file("real.png"), folder.file("misnamed.bmp"));
    EXPECT_EQ(importPicture(folder.file("misnamed.bmp")), original);
}

TEST(ImageFile, ExportChoosesTheFormatByEveryExtensionOfItInAnyCase) {
    using platform::PictureFormat;
    ScratchFolder folder;
    const Picture original = patternPicture(9, 7);
    const std::pair<std::string, PictureFormat> named[] = {
        {"a.jpg", PictureFormat::Jpeg}, {"b.JPEG", PictureFormat::Jpeg},
        {"c.jpe", PictureFormat::Jpeg}, {"d.JpE", PictureFormat::Jpeg},
        {"e.tif", PictureFormat::Tiff}, {"f.Tiff", PictureFormat::Tiff},
        {"g.bmp", PictureFormat::Bmp},  {"h.PNG", PictureFormat::Png},
        {"i.pcx", PictureFormat::Pcx}};
    for (const auto& [name, format] : named) {
        SCOPED_TRACE(name);
        ASSERT_EQ(exportPicture(original, folder.file(name)), IP_OK);
        EXPECT_EQ(platform::pictureFormatOfFile(folder.file(name).c_str()), format);
    }
    for (const char* name : {"j.jfif", "k.jp", "l.jpegs", "m", "n.", "o.tif.x"}) {
        EXPECT_EQ(exportPicture(original, folder.file(name)), IP_UNKNOWN_FORMAT) << name;
    }
    EXPECT_EQ(folder.entries(), std::size(named));
}

TEST(PictureFormat, EveryExtensionNamesItsFormatTheUsualOneFirst) {
    using platform::PictureFormat;
    const std::pair<PictureFormat, std::vector<std::string_view>> formats[] = {
        {PictureFormat::Bmp, {"bmp"}},
        {PictureFormat::Jpeg, {"jpg", "jpeg", "jpe"}},
        {PictureFormat::Tiff, {"tif", "tiff"}},
        {PictureFormat::Png, {"png"}},
        {PictureFormat::Pcx, {"pcx"}}};
    for (const auto& [format, extensions] : formats) {
        const auto known = platform::pictureExtensions(format);
        EXPECT_EQ(std::vector<std::string_view>(known.begin(), known.end()), extensions);
        EXPECT_EQ(platform::pictureExtension(format), extensions.front());
        for (const std::string_view extension : extensions) {
            std::string upper(extension);
            std::transform(upper.begin(), upper.end(), upper.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
            EXPECT_EQ(platform::pictureFormatOfExtension(extension), format) << extension;
            EXPECT_EQ(platform::pictureFormatOfExtension(upper), format) << upper;
        }
    }
    EXPECT_TRUE(platform::pictureExtensions(PictureFormat::Unknown).empty());
    EXPECT_STREQ(platform::pictureExtension(PictureFormat::Unknown), "");
    for (const char* other : {"", "jp", "jpgs", "tiff ", "gif", ".jpg"}) {
        EXPECT_EQ(platform::pictureFormatOfExtension(other), PictureFormat::Unknown) << other;
    }
}

TEST(ImageFile, ErrorsHaveTheirCodes) {
    ScratchFolder folder;
    int code = -1;
    importPicture(folder.file("missing.png"), &code);
    EXPECT_EQ(code, IP_FILE_NOT_FOUND);
    importPicture(folder.file(""), &code);
    EXPECT_EQ(code, IP_CANNOT_OPEN) << "a folder";
    writeFile(folder.file("text.bmp"), {'h', 'e', 'l', 'l', 'o'});
    importPicture(folder.file("text.bmp"), &code);
    EXPECT_EQ(code, IP_UNKNOWN_FORMAT);
    writeFile(folder.file("empty.png"), {});
    importPicture(folder.file("empty.png"), &code);
    EXPECT_EQ(code, IP_UNKNOWN_FORMAT);

    // Cut to a third: rows stored one after another are a third of a picture; a single TIFF
    // strip or a small deflate stream cut that early holds too little; two bytes are no JPEG.
    const Picture original = patternPicture(30, 20);
    const std::vector<std::pair<std::string, int>> cuts = {{"t.bmp", IP_INCOMPLETE},
                                                           {"t.pcx", IP_INCOMPLETE},
                                                           {"t.png", IP_DAMAGED_FILE},
                                                           {"t.tif", IP_DAMAGED_FILE},
                                                           {"t.jpg", IP_UNKNOWN_FORMAT}};
    for (const auto& [name, expected] : cuts) {
        ASSERT_EQ(exportPicture(original, folder.file(name)), IP_OK);
        std::vector<std::uint8_t> bytes = fileBytes(folder.file(name));
        bytes.resize(name == "t.jpg" ? 2 : bytes.size() / 3);
        writeFile(folder.file("cut-" + name), bytes);
        importPicture(folder.file("cut-" + name), &code);
        EXPECT_EQ(code, expected) << name;
    }

    const std::string existing = folder.file("t.bmp");
    TImportExportParams bad = importBlock(existing);
    bad.Size = 100;
    EXPECT_EQ(ipImportInd(&bad), IP_BAD_PARAMETERS);
    bad = importBlock(existing);
    bad.Flags = IP_EXPORT;
    EXPECT_EQ(ipImportInd(&bad), IP_BAD_PARAMETERS);
    bad.FileName = nullptr;
    bad.Flags = IP_IMPORT;
    EXPECT_EQ(ipImportInd(&bad), IP_BAD_PARAMETERS);
    EXPECT_EQ(ipImportInd(nullptr), IP_BAD_PARAMETERS);
    EXPECT_EQ(ipExportInd(nullptr), IP_BAD_PARAMETERS);

    EXPECT_EQ(exportPicture(original, folder.file("x.gif")), IP_UNKNOWN_FORMAT);
    EXPECT_EQ(exportPicture(original, folder.file("no/such/folder.bmp")), IP_CANNOT_OPEN);
    platform::MemHandle eightBit = blockOf(original, 8);
    TImportExportParams p{};
    p.Size = sizeof p;
    p.Flags = IP_EXPORT;
    const std::string eightName = folder.file("eight.bmp");
    p.FileName = eightName.c_str();
    p.Bitmap = eightBit;
    EXPECT_EQ(ipExportInd(&p), IP_BAD_BITMAP);
    p.Bitmap = nullptr;
    EXPECT_EQ(ipExportInd(&p), IP_BAD_BITMAP);
    platform::memFree(eightBit);
    EXPECT_FALSE(std::filesystem::exists(eightName));
}

TEST(ImageFile, PicturesBeyondOneGibibyteAreRefused) {
    ScratchFolder folder;
    // A BMP header that claims 100,000 x 100,000 pixels.
    std::vector<std::uint8_t> bmp(54, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    bmp[10] = 54;
    bmp[14] = 40;
    const std::int32_t side = 100000;
    std::memcpy(&bmp[18], &side, 4);
    std::memcpy(&bmp[22], &side, 4);
    bmp[26] = 1;
    bmp[28] = 24;
    writeFile(folder.file("huge.bmp"), bmp);
    int code = -1;
    importPicture(folder.file("huge.bmp"), &code);
    EXPECT_EQ(code, IP_TOO_LARGE);
}

namespace {
int progressCalls = 0;
int32_t IP_CALL stopAtHalf(int32_t percent, int32_t) {
    ++progressCalls;
    return percent >= 50 ? -1 : 0;
}
int32_t IP_CALL countProgress(int32_t percent, int32_t) {
    ++progressCalls;
    return percent >= 0 && percent <= 100 ? 0 : -1;
}
} // namespace

TEST(ImageFile, ProgressReportsPercentagesAndCancels) {
    ScratchFolder folder;
    const Picture original = patternPicture(40, 200);
    for (const std::string file : {"p.bmp", "p.png", "p.tif", "p.pcx", "p.jpg"}) {
        SCOPED_TRACE(file);
        const std::string name = file;
        progressCalls = 0;
        const std::string path = folder.file(name);
        ASSERT_EQ(exportPicture(original, path, 0, countProgress), IP_OK);
        EXPECT_GT(progressCalls, 10);
        progressCalls = 0;
        TImportExportParams p = importBlock(path, countProgress);
        ASSERT_EQ(ipImportInd(&p), IP_OK);
        platform::memFree(static_cast<platform::MemHandle>(p.Bitmap));
        EXPECT_GT(progressCalls, 2) << "TIFF reports once per strip";

        p = importBlock(path, stopAtHalf);
        EXPECT_EQ(ipImportInd(&p), IP_CANCELLED);
        const void* handedBack = p.Bitmap; // a packed field, copied before comparing
        EXPECT_EQ(handedBack, nullptr) << "no block is handed back";
        const std::vector<std::uint8_t> before = fileBytes(path);
        EXPECT_EQ(exportPicture(patternPicture(40, 100), path, 0, stopAtHalf), IP_CANCELLED);
        EXPECT_EQ(fileBytes(path), before) << "a cancelled save changes nothing";
    }
    EXPECT_EQ(folder.entries(), 5u);
}

TEST(ImageFile, AFailedSaveKeepsThePreviousFile) {
    ScratchFolder folder;
    const std::string name = folder.file("kept.png");
    ASSERT_EQ(exportPicture(patternPicture(8, 8), name), IP_OK);
    const std::vector<std::uint8_t> before = fileBytes(name);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{200, 200};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(exportPicture(patternPicture(300, 300), name));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), IP_WRITE_FAILED);
    EXPECT_EQ(fileBytes(name), before);
    EXPECT_EQ(folder.entries(), 1u);
}
