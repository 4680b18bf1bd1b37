// Files that change or lie while they are read: a picture truncated by another program in the
// middle of the read, and tiny files whose headers claim huge pictures.
#include "image_file_calls.h"
#include "memory_budget.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

constexpr std::uint64_t refusalBudget = std::uint64_t{256} << 20;

template <typename T> void put(std::vector<std::uint8_t>& out, T value) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
    out.insert(out.end(), p, p + sizeof value);
}

// A v3 BMP header for a picture of the given size, depth and compression, data following.
std::vector<std::uint8_t> bmpHeader(std::int32_t width, std::int32_t height, std::uint16_t bits,
                                    std::uint32_t compression, std::uint32_t paletteEntries) {
    std::vector<std::uint8_t> h{'B', 'M'};
    put(h, std::uint32_t{0});
    put(h, std::uint32_t{0});
    put(h, 14 + 40 + 4 * paletteEntries);
    for (std::uint32_t v :
         {40u, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)}) {
        put(h, v);
    }
    put(h, std::uint16_t{1});
    put(h, bits);
    for (std::uint32_t v : {compression, 0u, 2835u, 2835u, paletteEntries, 0u}) {
        put(h, v);
    }
    h.resize(h.size() + 4 * paletteEntries, 0x80);
    return h;
}

// Another thread of the test truncates the file while the library is reading it: the progress
// callback hands over at the first report and waits until the file is cut.
struct Truncator {
    std::string name;
    std::uint64_t keep = 0;
    std::mutex mutex;
    std::condition_variable changed;
    bool asked = false;
    bool done = false;
};
Truncator* truncator = nullptr;

int32_t IP_CALL cutFileOnce(int32_t, int32_t) {
    std::unique_lock lock(truncator->mutex);
    if (!truncator->asked) {
        truncator->asked = true;
        truncator->changed.notify_all();
        truncator->changed.wait(lock, [] { return truncator->done; });
    }
    return 0;
}

} // namespace

TEST(DamagedPictures, AFileCutWhileItIsReadIsIncompleteNotACrash) {
    ScratchFolder folder;
    Truncator cut;
    cut.name = folder.file("shrinking.bmp");
    const Picture original = patternPicture(2000, 1500);
    ASSERT_EQ(exportPicture(original, cut.name), IP_OK);
    cut.keep = std::filesystem::file_size(cut.name) / 2;
    truncator = &cut;
    std::thread other([&] {
        std::unique_lock lock(cut.mutex);
        cut.changed.wait(lock, [&] { return cut.asked; });
        std::filesystem::resize_file(cut.name, cut.keep);
        cut.done = true;
        cut.changed.notify_all();
    });
    TImportExportParams p = importBlock(cut.name, cutFileOnce);
    const int result = ipImportInd(&p);
    other.join();
    truncator = nullptr;
    ASSERT_EQ(result, IP_INCOMPLETE);
    const Picture read = pictureOf(static_cast<platform::MemHandle>(p.Bitmap));
    platform::memFree(static_cast<platform::MemHandle>(p.Bitmap));
    EXPECT_EQ(0, std::memcmp(read.at(0, 1499), original.at(0, 1499), 2000 * 3))
        << "the bottom row was stored first and is there";
    EXPECT_EQ(read.at(0, 0)[0] | read.at(0, 0)[1] | read.at(0, 0)[2], 0) << "the top is missing";
}

TEST(DamagedPictures, TinyBmpAndPcxFilesClaimingHugePicturesCostNoMemory) {
    if (!test_support::addressSpaceLimitsWork()) {
        GTEST_SKIP() << "address-space limits do not work under the sanitizer";
    }
    ScratchFolder folder;
    // A kilobyte of RLE8 end-of-line codes for a 18,000 x 18,000 picture, cut off.
    std::vector<std::uint8_t> rle = bmpHeader(18000, 18000, 8, 1, 256);
    for (int i = 0; i < 500; ++i) {
        rle.insert(rle.end(), {0, 0});
    }
    writeFile(folder.file("runs.bmp"), rle);
    EXPECT_EQ(importCodeWithin(refusalBudget, folder.file("runs.bmp")), IP_DAMAGED_FILE);

    // Uncompressed rows for the same size, a few hundred of them.
    std::vector<std::uint8_t> rows = bmpHeader(18000, 18000, 8, 0, 256);
    rows.resize(rows.size() + 18000 * 300, 1);
    writeFile(folder.file("rows.bmp"), rows);
    EXPECT_EQ(importCodeWithin(refusalBudget, folder.file("rows.bmp")), IP_DAMAGED_FILE);

    // A PCX header for 18,000 x 18,000 with a kilobyte of runs.
    std::vector<std::uint8_t> pcx(128, 0);
    pcx[0] = 10;
    pcx[1] = 5;
    pcx[2] = 1;
    pcx[3] = 8;
    const std::uint16_t last = 17999, bytesPerLine = 18000;
    std::memcpy(&pcx[8], &last, 2);
    std::memcpy(&pcx[10], &last, 2);
    pcx[65] = 1;
    std::memcpy(&pcx[66], &bytesPerLine, 2);
    pcx.resize(pcx.size() + 1024, 0xFF);
    writeFile(folder.file("runs.pcx"), pcx);
    EXPECT_EQ(importCodeWithin(refusalBudget, folder.file("runs.pcx")), IP_DAMAGED_FILE);
}

TEST(DamagedPictures, AnOpenedBmpPeaksBelowOneAndAHalfTimesItsSize) {
    if (!test_support::addressSpaceLimitsWork()) {
        GTEST_SKIP() << "address-space limits do not work under the sanitizer";
    }
    ScratchFolder folder;
    const std::string name = folder.file("large.bmp");
    ASSERT_EQ(exportPicture(patternPicture(3000, 2000), name), IP_OK);
    const std::uint64_t size = stride24(3000) * std::uint64_t{2000};
    EXPECT_EQ(importCodeWithin(size * 3 / 2, name), IP_OK) << "the file is not read whole";
}
