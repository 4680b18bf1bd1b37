// Building packed bitmaps from the frames a scanner sends: every kind of frame byte for byte,
// frames of unknown length, and device data that cannot be true.
#include "platform/packed_bitmap.h"
#include "platform/scan_frames.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

SANE_Parameters frame(SANE_Frame format, int width, int lines, int depth, int bytesPerLine,
                      bool last = true) {
    SANE_Parameters parameters{};
    parameters.format = format;
    parameters.last_frame = last ? SANE_TRUE : SANE_FALSE;
    parameters.pixels_per_line = width;
    parameters.lines = lines;
    parameters.depth = depth;
    parameters.bytes_per_line = bytesPerLine;
    return parameters;
}

// Numbered bytes: the first device line is 1, 2, 3...
Bytes counting(std::size_t size, int start = 1) {
    Bytes bytes(size);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t(start));
    return bytes;
}

// Feeds bytes in pieces of `piece` (lines arrive split anywhere).
bool feed(scanner::FrameAssembler& assembler, const Bytes& bytes, std::size_t piece) {
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        if (!assembler.add(bytes.data() + at, std::min(piece, bytes.size() - at))) {
            return false;
        }
    }
    return true;
}

Bytes bytesOf(platform::MemHandle handle) {
    const auto* data = static_cast<const std::uint8_t*>(platform::memLock(handle));
    Bytes bytes(data, data + platform::memSize(handle));
    platform::memFree(handle);
    return bytes;
}

BITMAPINFOHEADER headerOf(const Bytes& bytes) {
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes.data(), sizeof header);
    return header;
}

// The bitmap a 2 x 3 picture with RGB lines 1..6, 7..12, 13..18 must give: rows bottom first,
// blue green red, padded to 8 bytes with zeros.
const Bytes twoByThreeRows = {15, 14, 13, 18, 17, 16, 0, 0, 9, 8, 7, 12,
                              11, 10, 0,  0,  3,  2,  1, 6, 5, 4, 0, 0};
} // namespace

TEST(FrameAssembler, ColourLinesBecomeBottomUpBgrRowsInPiecesOfAnySize) {
    for (std::size_t piece : {1u, 5u, 6u, 7u, 18u}) {
        scanner::FrameAssembler assembler;
        ASSERT_EQ(assembler.beginFrame(frame(SANE_FRAME_RGB, 2, 3, 8, 6)),
                  scanner::FrameCheck::Usable);
        ASSERT_TRUE(feed(assembler, counting(18), piece));
        ASSERT_TRUE(assembler.endFrame());
        const Bytes bitmap = bytesOf(assembler.finish(300, 150));
        ASSERT_TRUE(platform::packedBitmapFits(bitmap.data(), bitmap.size()));
        const BITMAPINFOHEADER header = headerOf(bitmap);
        EXPECT_EQ(header.biSize, 40u);
        EXPECT_EQ(header.biWidth, 2);
        EXPECT_EQ(header.biHeight, 3);
        EXPECT_EQ(header.biPlanes, 1);
        EXPECT_EQ(header.biBitCount, 24);
        EXPECT_EQ(header.biSizeImage, 24u);
        EXPECT_EQ(header.biXPelsPerMeter, 11811);
        EXPECT_EQ(header.biYPelsPerMeter, 5906);
        EXPECT_EQ(Bytes(bitmap.begin() + 40, bitmap.end()), twoByThreeRows) << piece;
    }
}

TEST(FrameAssembler, ColourLinesOfEveryWidthKeepEveryPixel) {
    // Widths around the steps of the row conversion (four and two pixels at a time, and the
    // pixels left over at the end of a line).
    for (int width = 1; width <= 40; ++width) {
        const int lines = 3;
        Bytes device(std::size_t(3 * width * lines));
        for (std::size_t i = 0; i < device.size(); ++i) {
            device[i] = std::uint8_t(i * 37 + width);
        }
        scanner::FrameAssembler assembler;
        ASSERT_EQ(assembler.beginFrame(frame(SANE_FRAME_RGB, width, lines, 8, 3 * width)),
                  scanner::FrameCheck::Usable);
        ASSERT_TRUE(feed(assembler, device, 1000));
        ASSERT_TRUE(assembler.endFrame());
        const Bytes bitmap = bytesOf(assembler.finish(0, 0));
        const std::size_t stride = (3 * std::size_t(width) + 3) / 4 * 4;
        ASSERT_EQ(bitmap.size(), 40 + stride * lines);
        for (int y = 0; y < lines; ++y) {
            const std::uint8_t* row = bitmap.data() + 40 + (lines - 1 - y) * stride;
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* rgb = device.data() + 3 * (y * width + x);
                ASSERT_EQ(Bytes(row + 3 * x, row + 3 * x + 3), Bytes({rgb[2], rgb[1], rgb[0]}))
                    << "width " << width << " pixel " << x << "," << y;
            }
            for (std::size_t pad = 3 * std::size_t(width); pad < stride; ++pad) {
                ASSERT_EQ(row[pad], 0) << "width " << width;
            }
        }
    }
}

TEST(FrameAssembler, BytesBeyondThePixelsOfALineAreLeftOut) {
    scanner::FrameAssembler assembler;
    ASSERT_EQ(assembler.beginFrame(frame(SANE_FRAME_RGB, 2, 3, 8, 9)), scanner::FrameCheck::Usable);
    Bytes lines;
    for (int line = 0; line < 3; ++line) {
        const Bytes pixels = counting(6, 1 + 6 * line);
        lines.insert(lines.end(), pixels.begin(), pixels.end());
        lines.insert(lines.end(), {0xEE, 0xEE, 0xEE});
    }
    ASSERT_TRUE(feed(assembler, lines, 4));
    ASSERT_TRUE(assembler.endFrame());
    const Bytes bitmap = bytesOf(assembler.finish(0, 0));
    EXPECT_EQ(Bytes(bitmap.begin() + 40, bitmap.end()), twoByThreeRows);
}

TEST(FrameAssembler, ThreeSingleColourFramesInAnyOrderMakeTheColourPicture) {
    // Red samples 1,4,7..., green 2,5,8..., blue 3,6,9...: the same picture as counting RGB.
    const auto samples = [](int first) {
        Bytes bytes;
        for (int i = 0; i < 6; ++i) {
            bytes.push_back(std::uint8_t(first + 3 * i));
        }
        return bytes;
    };
    scanner::FrameAssembler assembler;
    const std::pair<SANE_Frame, int> order[] = {
        {SANE_FRAME_BLUE, 3}, {SANE_FRAME_RED, 1}, {SANE_FRAME_GREEN, 2}};
    for (const auto& [colour, first] : order) {
        ASSERT_EQ(assembler.beginFrame(frame(colour, 2, 3, 8, 2, colour == SANE_FRAME_GREEN)),
                  scanner::FrameCheck::Usable);
        EXPECT_FALSE(assembler.complete());
        ASSERT_TRUE(feed(assembler, samples(first), 3));
        ASSERT_TRUE(assembler.endFrame());
    }
    EXPECT_TRUE(assembler.complete());
    EXPECT_DOUBLE_EQ(assembler.fraction(), 1.0);
    const Bytes bitmap = bytesOf(assembler.finish(0, 0));
    EXPECT_EQ(Bytes(bitmap.begin() + 40, bitmap.end()), twoByThreeRows);
}

TEST(FrameAssembler, ASingleColourFrameAloneIsNoPicture) {
    scanner::FrameAssembler assembler;
    ASSERT_EQ(assembler.beginFrame(frame(SANE_FRAME_RED, 2, 1, 8, 2)), scanner::FrameCheck::Usable);
    ASSERT_TRUE(assembler.add(counting(2).data(), 2));
    ASSERT_TRUE(assembler.endFrame());
    EXPECT_EQ(assembler.finish(0, 0), nullptr);
    // The same colour twice, or a frame of other sides, does not belong to the picture.
    EXPECT_EQ(assembler.beginFrame(frame(SANE_FRAME_RED, 2, 1, 8, 2)),
              scanner::FrameCheck::Invalid);
    EXPECT_EQ(assembler.beginFrame(frame(SANE_FRAME_GREEN, 3, 1, 8, 3)),
              scanner::FrameCheck::Invalid);
    EXPECT_EQ(assembler.beginFrame(frame(SANE_FRAME_GREEN, 2, 2, 8, 2)),
              scanner::FrameCheck::Invalid);
}

TEST(FrameAssembler, GreyBecomesEightBitsWithAGreyColourTable) {
    scanner::FrameAssembler assembler;
    ASSERT_EQ(assembler.beginFrame(frame(SANE_FRAME_GRAY, 3, 2, 8, 3)),
              scanner::FrameCheck::Usable);
    ASSERT_TRUE(feed(assembler, counting(6), 6));
    ASSERT_TRUE(assembler.endFrame());
    const Bytes bitmap = bytesOf(assembler.finish(72, 72));
    ASSERT_TRUE(platform::packedBitmapFits(bitmap.data(), bitmap.size()));
    const BITMAPINFOHEADER header = headerOf(bitmap);
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(header.biClrUsed, 256u);
    ASSERT_EQ(bitmap.size(), 40u + 1024u + 8u);
    for (int i = 0; i < 256; ++i) {
        const Bytes entry(bitmap.begin() + 40 + 4 * i, bitmap.begin() + 44 + 4 * i);
        ASSERT_EQ(entry, Bytes({std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0}));
    }
    EXPECT_EQ(Bytes(bitmap.begin() + 1064, bitmap.end()), Bytes({4, 5, 6, 0, 1, 2, 3, 0}));
}

TEST(FrameAssembler, LineArtBecomesOneBitWithWhiteForZeroAndBlackForOne) {
    scanner::FrameAssembler assembler;
    ASSERT_EQ(assembler.beginFrame(frame(SANE_FRAME_GRAY, 10, 1, 1, 2)),
              scanner::FrameCheck::Usable);
    ASSERT_TRUE(feed(assembler, {0xA5, 0xC0}, 2));
    ASSERT_TRUE(assembler.endFrame());
    const Bytes bitmap = bytesOf(assembler.finish(0, 0));
    ASSERT_TRUE(platform::packedBitmapFits(bitmap.data(), bitmap.size()));
    EXPECT_EQ(headerOf(bitmap).biBitCount, 1);
    EXPECT_EQ(Bytes(bitmap.begin() + 40, bitmap.end()),
              Bytes({255, 255, 255, 0, 0, 0, 0, 0, 0xA5, 0xC0, 0, 0}));
}

TEST(FrameAssembler, AFrameOfUnknownLengthTakesTheLinesThatCome) {
    for (int lines : {1, 3, 64, 65, 200}) {
        scanner::FrameAssembler assembler;
        ASSERT_EQ(assembler.beginFrame(frame(SANE_FRAME_RGB, 1, -1, 8, 3)),
                  scanner::FrameCheck::Usable);
        Bytes bytes;
        for (int line = 0; line < lines; ++line) {
            bytes.insert(bytes.end(), {std::uint8_t(line), 0, 0});
        }
        ASSERT_TRUE(feed(assembler, bytes, 7));
        EXPECT_LT(assembler.fraction(), 0.01);
        ASSERT_TRUE(assembler.endFrame());
        const Bytes bitmap = bytesOf(assembler.finish(0, 0));
        ASSERT_TRUE(platform::packedBitmapFits(bitmap.data(), bitmap.size()));
        EXPECT_EQ(headerOf(bitmap).biHeight, lines);
        ASSERT_EQ(bitmap.size(), 40u + 4u * lines);
        // The first line read is the top row, so it is stored last.
        for (int row = 0; row < lines; ++row) {
            ASSERT_EQ(bitmap[40 + 4 * row + 2], std::uint8_t(lines - 1 - row)) << lines;
        }
    }
}

TEST(FrameAssembler, AFrameOfUnknownLengthStopsAtTheLargestSide) {
    scanner::FrameAssembler assembler;
    ASSERT_EQ(assembler.beginFrame(frame(SANE_FRAME_GRAY, 1, -1, 8, 1)),
              scanner::FrameCheck::Usable);
    const Bytes rows(scanner::maxSide, 7);
    ASSERT_TRUE(assembler.add(rows.data(), rows.size()));
    const std::uint8_t oneMore = 7;
    EXPECT_FALSE(assembler.add(&oneMore, 1));
}

TEST(FrameAssembler, AFrameMustDeliverExactlyItsLines) {
    {
        scanner::FrameAssembler assembler;
        ASSERT_EQ(assembler.beginFrame(frame(SANE_FRAME_RGB, 2, 3, 8, 6)),
                  scanner::FrameCheck::Usable);
        EXPECT_FALSE(feed(assembler, counting(24), 24)); // a fourth line
    }
    {
        scanner::FrameAssembler assembler;
        ASSERT_EQ(assembler.beginFrame(frame(SANE_FRAME_RGB, 2, 3, 8, 6)),
                  scanner::FrameCheck::Usable);
        ASSERT_TRUE(feed(assembler, counting(12), 12)); // two lines of three
        EXPECT_FALSE(assembler.endFrame());
        EXPECT_EQ(assembler.finish(0, 0), nullptr);
    }
    {
        scanner::FrameAssembler assembler;
        ASSERT_EQ(assembler.beginFrame(frame(SANE_FRAME_RGB, 2, -1, 8, 6)),
                  scanner::FrameCheck::Usable);
        ASSERT_TRUE(feed(assembler, counting(9), 9)); // a line and a half
        EXPECT_FALSE(assembler.endFrame());
    }
}

TEST(FrameAssembler, FramesItCannotTakeAreToldFromImpossibleOnes) {
    using scanner::FrameCheck;
    const struct {
        SANE_Parameters parameters;
        FrameCheck expected;
    } cases[] = {
        {frame(SANE_FRAME_RGB, 10, 10, 16, 60), FrameCheck::Unsupported},
        {frame(SANE_FRAME_GRAY, 10, 10, 16, 20), FrameCheck::Unsupported},
        {frame(SANE_FRAME_RGB, 10, 10, 1, 4), FrameCheck::Unsupported},
        {frame(SANE_Frame(0x0B), 10, 10, 8, 30), FrameCheck::Unsupported}, // JPEG
        {frame(SANE_FRAME_RGB, 10, 10, 8, 29), FrameCheck::Invalid},       // line too short
        {frame(SANE_FRAME_GRAY, 10, 10, 1, 1), FrameCheck::Invalid},
        {frame(SANE_FRAME_RGB, 0, 10, 8, 0), FrameCheck::Invalid},
        {frame(SANE_FRAME_RGB, 65536, 1, 8, 196608), FrameCheck::Invalid},
        {frame(SANE_FRAME_RGB, 10, 0, 8, 30), FrameCheck::Invalid},
        {frame(SANE_FRAME_RGB, 10, -2, 8, 30), FrameCheck::Invalid},
        {frame(SANE_FRAME_RGB, 10, 65536, 8, 30), FrameCheck::Invalid},
        {frame(SANE_FRAME_RGB, 10, 10, 8, 100000), FrameCheck::Invalid}, // absurd padding
        {frame(SANE_FRAME_RGB, 10, 10, 12, 60), FrameCheck::Invalid},
        {frame(SANE_FRAME_RGB, 10, 10, 8, -1), FrameCheck::Invalid},
    };
    for (const auto& [parameters, expected] : cases) {
        scanner::FrameAssembler assembler;
        EXPECT_EQ(assembler.beginFrame(parameters), expected)
            << parameters.format << " " << parameters.pixels_per_line << "x" << parameters.lines
            << " depth " << parameters.depth << " line " << parameters.bytes_per_line;
        EXPECT_FALSE(assembler.outOfMemory());
    }
}

TEST(FrameAssembler, APictureBeyondTheMemoryLimitIsRefusedBeforeItIsRead) {
    scanner::FrameAssembler assembler;
    EXPECT_EQ(assembler.beginFrame(frame(SANE_FRAME_RGB, 65535, 65535, 8, 3 * 65535)),
              scanner::FrameCheck::Invalid);
    EXPECT_TRUE(assembler.outOfMemory());
}

TEST(FrameAssembler, TheFractionGrowsWithTheLines) {
    scanner::FrameAssembler assembler;
    ASSERT_EQ(assembler.beginFrame(frame(SANE_FRAME_GRAY, 4, 4, 8, 4)),
              scanner::FrameCheck::Usable);
    EXPECT_DOUBLE_EQ(assembler.fraction(), 0.0);
    ASSERT_TRUE(feed(assembler, counting(6), 6));
    EXPECT_DOUBLE_EQ(assembler.fraction(), 1.5 / 4);
    ASSERT_TRUE(feed(assembler, counting(10), 10));
    EXPECT_DOUBLE_EQ(assembler.fraction(), 1.0);
}

TEST(FrameAssembler, ResolutionsBecomePixelsPerMetre) {
    EXPECT_EQ(scanner::pixelsPerMetre(50), 1969);
    EXPECT_EQ(scanner::pixelsPerMetre(72), 2835);
    EXPECT_EQ(scanner::pixelsPerMetre(600), 23622);
    EXPECT_EQ(scanner::pixelsPerMetre(0), 0);
    EXPECT_EQ(scanner::pixelsPerMetre(-5), 0);
}
