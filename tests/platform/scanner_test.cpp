// The scanner calls against SANE's test backend: what a session delivers from a flatbed and a
// document feeder, the checks on the device's data, cancelling, failures and a missing library.
#include "platform/packed_bitmap.h"
#include "platform/scanner.h"
#include "sane_leak_options.h"
#include "sane_test_backend.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {
// A delivered picture: its header and all its bytes, the block freed.
struct Picture {
    BITMAPINFOHEADER header{};
    std::vector<std::uint8_t> bytes;
    bool fits = false;
};

Picture take(platform::MemHandle handle) {
    Picture picture;
    const auto* data = static_cast<const std::uint8_t*>(platform::memLock(handle));
    if (data != nullptr) {
        picture.bytes.assign(data, data + platform::memSize(handle));
        std::memcpy(&picture.header, data, sizeof picture.header);
        picture.fits = platform::packedBitmapFits(data, picture.bytes.size());
    }
    platform::memFree(handle);
    return picture;
}

// Every picture one session delivers.
std::vector<Picture> scanAll(const scanner::Source& source, bool multiTransfer = true) {
    scanner::setDefaultSource(source);
    std::vector<Picture> pictures;
    if (TWAIN_OpenDefaultSource(nullptr) == 0) {
        ADD_FAILURE() << "the source did not open";
        return pictures;
    }
    TWAIN_SetMultiTransfer(multiTransfer ? 1 : 0);
    while (platform::MemHandle handle = TWAIN_AcquireNative(nullptr, 0)) {
        pictures.push_back(take(handle));
    }
    TWAIN_CloseSourceManager(nullptr);
    return pictures;
}

// The row bytes of a 24-bit picture, without padding, top row first.
std::vector<std::uint8_t> pixelsOf(const Picture& picture) {
    const BITMAPINFOHEADER& header = picture.header;
    const std::size_t stride = platform::packedRowStride(header);
    std::vector<std::uint8_t> pixels;
    for (int y = header.biHeight - 1; y >= 0; --y) {
        const std::uint8_t* row = picture.bytes.data() + sizeof header + y * stride;
        pixels.insert(pixels.end(), row, row + 3 * header.biWidth);
    }
    return pixels;
}

// 80 x 100 mm at 50 dpi, the test backend's default page.
constexpr int pageWidth = 157;
constexpr int pageHeight = 196;
} // namespace

TEST(ScannerCalls, AFlatbedGivesOneColourPictureWithTheResolutionInItsHeader) {
    SaneTestBackend backend({"test-picture \"Solid white\""});
    ASSERT_NE(TWAIN_IsAvailable(), 0);
    const std::vector<Picture> pictures = scanAll(SaneTestBackend::flatbed());
    ASSERT_EQ(pictures.size(), 1u);
    const Picture& picture = pictures[0];
    EXPECT_TRUE(picture.fits);
    EXPECT_EQ(picture.header.biBitCount, 24);
    EXPECT_EQ(picture.header.biWidth, pageWidth);
    EXPECT_EQ(picture.header.biHeight, pageHeight);
    EXPECT_EQ(picture.header.biXPelsPerMeter, 1969); // 50 dpi
    EXPECT_EQ(picture.header.biYPelsPerMeter, 1969);
    EXPECT_EQ(scanner::lastTransfer(), scanner::Transfer::NoMore);
    // White pixels, and zero bytes where the rows are padded to four bytes.
    const std::size_t stride = platform::packedRowStride(picture.header);
    ASSERT_EQ(picture.bytes.size(), sizeof(BITMAPINFOHEADER) + stride * pageHeight);
    for (std::size_t y = 0; y < pageHeight; ++y) {
        const std::uint8_t* row = picture.bytes.data() + sizeof(BITMAPINFOHEADER) + y * stride;
        for (std::size_t x = 0; x < stride; ++x) {
            ASSERT_EQ(row[x], x < 3 * pageWidth ? 255 : 0) << "row " << y << " byte " << x;
        }
    }
}

TEST(ScannerCalls, AFeederGivesEveryPageOnlyWithMultipleTransfers) {
    SaneTestBackend backend;
    // The test backend's feeder holds ten pages.
    const std::vector<Picture> stack = scanAll(SaneTestBackend::feeder());
    EXPECT_EQ(stack.size(), 10u);
    EXPECT_EQ(scanner::lastTransfer(), scanner::Transfer::NoMore);
    for (const Picture& page : stack) {
        EXPECT_TRUE(page.fits);
        EXPECT_EQ(page.header.biBitCount, 24);
    }
    EXPECT_EQ(scanAll(SaneTestBackend::feeder(), false).size(), 1u);
}

TEST(ScannerCalls, ThreeSingleColourFramesMakeTheSamePictureAsOneColourFrame) {
    std::vector<std::uint8_t> onePass;
    {
        SaneTestBackend backend({"test-picture \"Color pattern\""});
        const std::vector<Picture> pictures = scanAll(SaneTestBackend::flatbed());
        ASSERT_EQ(pictures.size(), 1u);
        onePass = pixelsOf(pictures[0]);
    }
    for (const char* order : {"three-pass-order \"RGB\"", "three-pass-order \"BRG\""}) {
        SaneTestBackend backend({"test-picture \"Color pattern\"", "three-pass true", order});
        const std::vector<Picture> pictures = scanAll(SaneTestBackend::flatbed());
        ASSERT_EQ(pictures.size(), 1u) << order;
        EXPECT_TRUE(pictures[0].fits);
        EXPECT_EQ(pixelsOf(pictures[0]), onePass) << order;
    }
}

TEST(ScannerCalls, AHandScannerOfUnknownLengthIsReadToItsEnd) {
    SaneTestBackend backend({"test-picture \"Solid white\"", "hand-scanner true"});
    const std::vector<Picture> pictures = scanAll(SaneTestBackend::flatbed());
    ASSERT_EQ(pictures.size(), 1u);
    const Picture& picture = pictures[0];
    EXPECT_TRUE(picture.fits);
    EXPECT_EQ(picture.header.biBitCount, 24);
    // Every line the device sent, in a block of exactly the picture's size.
    EXPECT_EQ(picture.bytes.size(),
              sizeof(BITMAPINFOHEADER) +
                  platform::packedRowStride(picture.header) * picture.header.biHeight);
    for (std::uint8_t byte : pixelsOf(picture)) {
        ASSERT_EQ(byte, 255);
    }
}

TEST(ScannerCalls, PaddingAtTheEndOfTheDevicesLinesIsLeftOut) {
    SaneTestBackend backend({"test-picture \"Solid white\"", "ppl-loss 5"});
    const std::vector<Picture> pictures = scanAll(SaneTestBackend::flatbed());
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_TRUE(pictures[0].fits);
    EXPECT_EQ(pictures[0].header.biWidth, pageWidth - 5);
    for (std::uint8_t byte : pixelsOf(pictures[0])) {
        ASSERT_EQ(byte, 255);
    }
}

TEST(ScannerCalls, AGreyPageIsDeliveredAsEightBitsWhenTheDeviceSwitchesToGrey) {
    SaneTestBackend backend;
    ScopedEnvironment shim("HUEMARK_SANE_LIBRARY", SANE_GREY_SHIM);
    ScopedEnvironment greyPage("HUEMARK_SHIM_GREY_PAGE", "2");
    const std::vector<Picture> pictures = scanAll(SaneTestBackend::feeder());
    ASSERT_GE(pictures.size(), 2u);
    EXPECT_EQ(pictures[0].header.biBitCount, 24);
    EXPECT_EQ(pictures[1].header.biBitCount, 8);
    EXPECT_EQ(pictures[1].header.biClrUsed, 256u);
    EXPECT_TRUE(pictures[1].fits);
}

TEST(ScannerCalls, StoppingTheTransferCancelsTheScanAndTheDeviceScansAgainAfterwards) {
    SaneTestBackend backend;
    int reports = 0;
    scanner::setTransferProgress([&reports](double fraction) {
        EXPECT_GE(fraction, 0.0);
        EXPECT_LE(fraction, 1.0);
        return ++reports < 2;
    });
    scanner::setDefaultSource(SaneTestBackend::flatbed());
    ASSERT_NE(TWAIN_OpenDefaultSource(nullptr), 0);
    EXPECT_EQ(TWAIN_AcquireNative(nullptr, 0), nullptr);
    EXPECT_EQ(scanner::lastTransfer(), scanner::Transfer::Cancelled);
    EXPECT_EQ(reports, 2);
    TWAIN_CloseSourceManager(nullptr);
    scanner::setTransferProgress({});
    EXPECT_EQ(scanAll(SaneTestBackend::flatbed()).size(), 1u);
}

TEST(ScannerCalls, AnErrorWhileReadingIsAFailedTransfer) {
    SaneTestBackend backend({"read-status-code \"SANE_STATUS_IO_ERROR\""});
    EXPECT_TRUE(scanAll(SaneTestBackend::flatbed()).empty());
    EXPECT_EQ(scanner::lastTransfer(), scanner::Transfer::Failed);
}

TEST(ScannerCalls, AnUnknownDeviceDoesNotOpen) {
    SaneTestBackend backend;
    scanner::setDefaultSource({"nosuchbackend:0", "", "", ""});
    EXPECT_EQ(TWAIN_OpenDefaultSource(nullptr), 0);
    EXPECT_EQ(TWAIN_AcquireNative(nullptr, 0), nullptr);
    EXPECT_EQ(scanner::lastTransfer(), scanner::Transfer::Failed);
}

TEST(ScannerCalls, WithoutAChoiceTheFirstDeviceOpens) {
    SaneTestBackend backend;
    EXPECT_NE(TWAIN_IsAvailable(), 0);
    EXPECT_EQ(scanAll({}).size(), 1u);
}

TEST(ScannerCalls, WithoutTheSaneLibraryNothingIsAvailable) {
    SaneTestBackend backend;
    ScopedEnvironment missing("HUEMARK_SANE_LIBRARY", "/nonexistent/libsane.so.1");
    scanner::setSourceChooser([](const std::vector<scanner::Source>&, int) {
        ADD_FAILURE() << "no chooser without the library";
        return -1;
    });
    EXPECT_EQ(TWAIN_IsAvailable(), 0);
    EXPECT_EQ(TWAIN_SelectImageSource(nullptr), 0);
    EXPECT_EQ(TWAIN_OpenDefaultSource(nullptr), 0);
    EXPECT_EQ(TWAIN_AcquireNative(nullptr, 0), nullptr);
    scanner::setSourceChooser({});
}

TEST(ScannerCalls, TheChooserSeesEveryFeedOfEveryDeviceAndItsChoiceIsKept) {
    SaneTestBackend backend;
    std::vector<scanner::Source> offered;
    int currentSeen = -2;
    int answer = -1;
    scanner::setSourceChooser([&](const std::vector<scanner::Source>& sources, int current) {
        offered = sources;
        currentSeen = current;
        return answer;
    });
    scanner::setDefaultSource(SaneTestBackend::flatbed());
    EXPECT_EQ(TWAIN_SelectImageSource(nullptr), 0); // cancelled: the choice stays
    EXPECT_EQ(scanner::defaultSource(), SaneTestBackend::flatbed());
    ASSERT_EQ(offered.size(), 4u); // two test devices, each with flatbed and feeder
    ASSERT_GE(currentSeen, 0);
    EXPECT_EQ(offered[currentSeen].device, "test:0");
    EXPECT_EQ(offered[currentSeen].feed, "Flatbed");
    for (const scanner::Source& source : offered) {
        EXPECT_EQ(source.vendor, "Noname");
        EXPECT_EQ(scanner::isDocumentFeeder(source.feed), source.feed != "Flatbed");
    }
    answer = 3;
    EXPECT_NE(TWAIN_SelectImageSource(nullptr), 0);
    EXPECT_EQ(scanner::defaultSource(), offered[3]);
    EXPECT_EQ(offered[3].device, "test:1");
    scanner::setSourceChooser({});
}

TEST(ScannerCalls, FeederNamesAreRecognised) {
    for (const char* feed : {"ADF", "ADF Duplex", "Automatic Document Feeder", "adf front"}) {
        EXPECT_TRUE(scanner::isDocumentFeeder(feed)) << feed;
    }
    for (const char* feed : {"Flatbed", "Transparency Adapter", "Document Table", ""}) {
        EXPECT_FALSE(scanner::isDocumentFeeder(feed)) << feed;
    }
}
