#include "dib_image.h"
#include "image_edits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

// A result that cannot be allocated is asked for with an impossible size; under
// AddressSanitizer that request must come back empty as it does from the C library. The
// sanitizer's run-time library looks the options up by name, so the function is exported.
extern "C" [[gnu::visibility("default")]] const char* __asan_default_options();
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

namespace {

constexpr std::int32_t xResolution = 3780;  // 96 dpi
constexpr std::int32_t yResolution = 11811; // 300 dpi

BITMAPINFOHEADER headerOf(std::int32_t width, std::int32_t height, std::uint16_t bits) {
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = bits;
    h.biXPelsPerMeter = xResolution;
    h.biYPelsPerMeter = yResolution;
    return h;
}

// The bytes of the pixel at column c, stored row r (counted from the bottom row).
std::vector<std::uint8_t> pixelAt(const TDIBImage& image, int c, int r) {
    const int bytes = image.BitCount() / 8;
    const std::uint8_t* at = image.Bits + static_cast<std::size_t>(r) * image.RowStride() +
                             static_cast<std::size_t>(c) * bytes;
    return {at, at + bytes};
}

void setPixel(TDIBImage& image, int c, int r, const std::vector<std::uint8_t>& value) {
    std::memcpy(image.Bits + static_cast<std::size_t>(r) * image.RowStride() +
                    static_cast<std::size_t>(c) * value.size(),
                value.data(), value.size());
}

// Pixel values that tell every column and stored row below 4096 apart (24-bit: the low bytes
// of column and row, then their high halves), or that at least differ between neighbours and
// between a place and its mirror images (8-bit).
std::vector<std::uint8_t> patternAt(int c, int r, std::uint16_t bits) {
    if (bits == 8) {
        return {static_cast<std::uint8_t>(c * 7 + r * 13 + c * r * 5 + 1)};
    }
    return {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(r),
            static_cast<std::uint8_t>((c >> 8) << 4 | r >> 8)};
}

// A picture of the pattern with a header as the file reader leaves it; an 8-bit one gets a
// colour table with entries of its own so that copying it shows.
void makePicture(TDIBImage& image, int width, int height, std::uint16_t bits) {
    ASSERT_TRUE(image.CreateFromHeader(headerOf(width, height, bits)));
    image.Header->biSizeImage = image.ImageSize();
    auto* table = reinterpret_cast<std::uint8_t*>(image.Header) + 40;
    for (std::uint32_t i = 40; i < image.HeaderSize(); ++i) {
        table[i - 40] = static_cast<std::uint8_t>(i * 3);
    }
    std::memset(image.Bits, 0xEE, image.ImageSize());
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            setPixel(image, c, r, patternAt(c, r, bits));
        }
    }
}

std::vector<std::uint8_t> headerBytes(const TDIBImage& image) {
    const auto* at = reinterpret_cast<const std::uint8_t*>(image.Header);
    return {at, at + image.HeaderSize()};
}

// The pixel bytes row after row, without the padding at the row ends.
std::vector<std::uint8_t> pixelBytes(const TDIBImage& image) {
    std::vector<std::uint8_t> bytes;
    const std::size_t row = static_cast<std::size_t>(image.Width()) * (image.BitCount() / 8);
    for (int r = 0; r < image.Height(); ++r) {
        const std::uint8_t* at = image.Bits + static_cast<std::size_t>(r) * image.RowStride();
        bytes.insert(bytes.end(), at, at + row);
    }
    return bytes;
}

// Where the pixel at column c, stored row r of a width x height source lands, per angle code.
struct Place {
    int column;
    int row;
};

Place turnedPlace(int angleCode, int c, int r, int width, int height) {
    switch (angleCode) {
    case 0:
        return {r, width - 1 - c};
    case 1:
        return {width - 1 - c, height - 1 - r};
    default:
        return {height - 1 - r, c};
    }
}

// Counts the source pixels that are not where the mapping of `angleCode` puts them.
int misplacedPixels(const TDIBImage& source, const TDIBImage& result, int angleCode) {
    int misplaced = 0;
    for (int r = 0; r < source.Height(); ++r) {
        for (int c = 0; c < source.Width(); ++c) {
            const Place to = turnedPlace(angleCode, c, r, source.Width(), source.Height());
            misplaced += pixelAt(result, to.column, to.row) != pixelAt(source, c, r) ? 1 : 0;
        }
    }
    return misplaced;
}

// The progress calls of one routine call, and the call (counted from 1) that asks to stop.
struct ProgressLog {
    std::vector<double> fractions;
    std::size_t stopAt = 0;
};

ProgressLog progressLog;

int32_t TWK_CALL logProgress(double fraction) {
    progressLog.fractions.push_back(fraction);
    return progressLog.fractions.size() == progressLog.stopAt ? 0 : -1;
}

void startProgressLog(std::size_t stopAt) {
    progressLog = ProgressLog{{}, stopAt};
}

// The fractions a routine reports for `rows` rows done one after another.
std::vector<double> rowFractions(int rows) {
    std::vector<double> fractions;
    for (int row = 0; row < rows; ++row) {
        fractions.push_back(static_cast<double>(row + 1) / rows);
    }
    return fractions;
}

class ImageRotate : public testing::TestWithParam<std::uint16_t> {};

INSTANTIATE_TEST_SUITE_P(Depths, ImageRotate, testing::Values(std::uint16_t{8}, std::uint16_t{24}),
                         [](const testing::TestParamInfo<std::uint16_t>& info) {
                             return std::to_string(info.param) + "Bits";
                         });

TEST_P(ImageRotate, QuarterTurnOfThreeByTwoExchangesSidesAndResolutions) {
    TDIBImage image;
    ASSERT_NO_FATAL_FAILURE(makePicture(image, 3, 2, GetParam()));
    const std::vector<std::uint8_t> before = headerBytes(image);
    TDIBImage result;
    ASSERT_EQ(Rotate(image, 0, nullptr, result), 0);
    EXPECT_EQ(headerBytes(image), before) << "the source header is restored";
    EXPECT_EQ(result.Width(), 2);
    EXPECT_EQ(result.Height(), 3);
    EXPECT_EQ(result.BitCount(), GetParam());
    EXPECT_EQ(result.Header->biXPelsPerMeter, yResolution);
    EXPECT_EQ(result.Header->biYPelsPerMeter, xResolution);
    EXPECT_EQ(result.Header->biSizeImage, result.ImageSize());
    EXPECT_EQ(misplacedPixels(image, result, 0), 0);
    // Clockwise on screen: the picture's top-left pixel (stored row 1) becomes its top-right
    // one (stored row 2, column 1), its bottom-left one the top-left.
    EXPECT_EQ(pixelAt(result, 1, 2), pixelAt(image, 0, 1));
    EXPECT_EQ(pixelAt(result, 0, 2), pixelAt(image, 0, 0));
    const std::vector<std::uint8_t> table(before.begin() + 40, before.end());
    const std::vector<std::uint8_t> resultHeader = headerBytes(result);
    EXPECT_EQ(std::vector<std::uint8_t>(resultHeader.begin() + 40, resultHeader.end()), table)
        << "the colour table comes along";
}

TEST_P(ImageRotate, FourQuarterTurnsGiveThePictureBack) {
    for (const auto& [width, height] : {std::pair{3, 2}, std::pair{131, 70}}) {
        TDIBImage image;
        ASSERT_NO_FATAL_FAILURE(makePicture(image, width, height, GetParam()));
        TDIBImage turned[4];
        ASSERT_EQ(Rotate(image, 0, nullptr, turned[0]), 0);
        for (int i = 1; i < 4; ++i) {
            ASSERT_EQ(Rotate(turned[i - 1], 0, nullptr, turned[i]), 0);
        }
        EXPECT_EQ(headerBytes(turned[3]), headerBytes(image)) << width << " x " << height;
        EXPECT_EQ(pixelBytes(turned[3]), pixelBytes(image)) << width << " x " << height;
    }
}

TEST_P(ImageRotate, HalfAndThreeQuarterTurnsOfThreeByTwo) {
    TDIBImage image;
    ASSERT_NO_FATAL_FAILURE(makePicture(image, 3, 2, GetParam()));
    TDIBImage half;
    ASSERT_EQ(Rotate(image, 1, nullptr, half), 0);
    EXPECT_EQ(half.Width(), 3);
    EXPECT_EQ(half.Height(), 2);
    EXPECT_EQ(half.Header->biXPelsPerMeter, xResolution);
    EXPECT_EQ(half.Header->biYPelsPerMeter, yResolution);
    EXPECT_EQ(misplacedPixels(image, half, 1), 0);
    EXPECT_EQ(pixelAt(half, 2, 0), pixelAt(image, 0, 1)) << "top-left to bottom-right";

    TDIBImage threeQuarters;
    ASSERT_EQ(Rotate(image, 2, nullptr, threeQuarters), 0);
    EXPECT_EQ(threeQuarters.Width(), 2);
    EXPECT_EQ(threeQuarters.Height(), 3);
    EXPECT_EQ(threeQuarters.Header->biXPelsPerMeter, yResolution);
    EXPECT_EQ(threeQuarters.Header->biYPelsPerMeter, xResolution);
    EXPECT_EQ(misplacedPixels(image, threeQuarters, 2), 0);
    EXPECT_EQ(pixelAt(threeQuarters, 0, 0), pixelAt(image, 0, 1))
        << "anticlockwise: the top-left pixel becomes the bottom-left one";
}

// Sizes around the 64 x 64 tiles, the bands of 512 rows, the blocks of 4 rows by 8 or 16
// pixels done together and the rows of one pixel.
TEST_P(ImageRotate, EveryTurnPlacesEveryPixelOfPicturesOfManySizes) {
    const std::pair<int, int> sizes[] = {{131, 70}, {64, 64}, {65, 67},  {1, 130},  {200, 3},
                                         {17, 5},   {8, 4},   {33, 129}, {70, 1101}};
    for (const auto& [width, height] : sizes) {
        TDIBImage image;
        ASSERT_NO_FATAL_FAILURE(makePicture(image, width, height, GetParam()));
        for (int angleCode = 0; angleCode < 3; ++angleCode) {
            TDIBImage result;
            ASSERT_EQ(Rotate(image, angleCode, nullptr, result), 0);
            EXPECT_EQ(misplacedPixels(image, result, angleCode), 0)
                << width << " x " << height << ", angle code " << angleCode;
        }
    }
}

TEST_P(ImageRotate, ReportsEverySourceRowAndCancelFreesTheResult) {
    TDIBImage image;
    ASSERT_NO_FATAL_FAILURE(makePicture(image, 40, 1100, GetParam()));
    const std::vector<std::uint8_t> before = headerBytes(image);
    for (int angleCode = 0; angleCode < 3; ++angleCode) {
        startProgressLog(0);
        TDIBImage whole;
        ASSERT_EQ(Rotate(image, angleCode, logProgress, whole), 0);
        EXPECT_EQ(progressLog.fractions, rowFractions(1100)) << "angle code " << angleCode;

        startProgressLog(700);
        TDIBImage stopped;
        EXPECT_EQ(Rotate(image, angleCode, logProgress, stopped), -2);
        EXPECT_EQ(progressLog.fractions.size(), 700u) << "no call after the one that stops";
        EXPECT_EQ(stopped.Handle, nullptr);
        EXPECT_EQ(stopped.Bits, nullptr);
        EXPECT_EQ(headerBytes(image), before) << "the source is left as it was";
    }
}

TEST_P(ImageRotate, RefusesOtherAngleCodesAndResultsThatCannotBeHad) {
    TDIBImage image;
    ASSERT_NO_FATAL_FAILURE(makePicture(image, 3, 2, GetParam()));
    for (const int angleCode : {-1, 3}) {
        TDIBImage result;
        EXPECT_EQ(Rotate(image, angleCode, nullptr, result), -1);
        EXPECT_EQ(result.Handle, nullptr);
    }

    // A header whose pixels would need far more memory than there is; nothing is read from
    // them before the result is made.
    BITMAPINFOHEADER huge = headerOf(1 << 30, 1 << 27, GetParam());
    const BITMAPINFOHEADER before = huge;
    std::uint8_t pixels[4] = {};
    TDIBImage giant;
    giant.AttachPointers(&huge, pixels);
    for (int angleCode = 0; angleCode < 3; ++angleCode) {
        TDIBImage result;
        EXPECT_EQ(Rotate(giant, angleCode, nullptr, result), -1) << "angle code " << angleCode;
        EXPECT_EQ(result.Handle, nullptr);
    }
    giant.Clear(false);
    EXPECT_EQ(std::memcmp(&huge, &before, sizeof huge), 0) << "the header is restored";
}

TEST(ImageRotateDepths, OnlyEightAndTwentyFourBitPicturesAreTurned) {
    for (const std::uint16_t bits : {std::uint16_t{1}, std::uint16_t{4}, std::uint16_t{32}}) {
        TDIBImage image;
        ASSERT_TRUE(image.CreateFromHeader(headerOf(3, 2, bits)));
        TDIBImage result;
        EXPECT_EQ(Rotate(image, 0, nullptr, result), -1) << bits << " bits";
        EXPECT_EQ(result.Handle, nullptr);
    }
}

// --- Grey ---

// round(0.3 red + 0.59 green + 0.11 blue) in doubles, computed as
// (30 red + 59 green + 11 blue) / 100: the sum is an exact integer and the one division is
// correctly rounded, so a sum that lies halfway stays halfway, and nearbyint takes it to the
// even neighbour.
std::uint8_t expectedGrey(int blue, int green, int red) {
    return static_cast<std::uint8_t>(
        std::nearbyint((30.0 * red + 59.0 * green + 11.0 * blue) / 100.0));
}

// A 4096 x 4096 picture holding every colour once: pixel number i (stored rows from the
// bottom) is blue i & 255, green (i >> 8) & 255, red i >> 16.
void makeEveryColour(TDIBImage& image) {
    ASSERT_TRUE(image.CreateFromHeader(headerOf(4096, 4096, 24)));
    for (std::uint32_t i = 0; i < (1u << 24); ++i) {
        std::uint8_t* at = image.Bits + static_cast<std::size_t>(i) * 3;
        at[0] = static_cast<std::uint8_t>(i);
        at[1] = static_cast<std::uint8_t>(i >> 8);
        at[2] = static_cast<std::uint8_t>(i >> 16);
    }
}

// The colours whose grey in `image` is not the expected grey of colour i in all three
// channels; the first one in `first`.
int wrongGreys(const TDIBImage& image, std::string& first) {
    int wrong = 0;
    for (std::uint32_t i = 0; i < (1u << 24); ++i) {
        const std::uint8_t* at = image.Bits + static_cast<std::size_t>(i) * 3;
        const std::uint8_t grey = expectedGrey(i & 255, (i >> 8) & 255, i >> 16);
        if (at[0] != grey || at[1] != grey || at[2] != grey) {
            if (wrong++ == 0) {
                first = "colour " + std::to_string(i) + " gave " + std::to_string(at[0]) + " for " +
                        std::to_string(grey);
            }
        }
    }
    return wrong;
}

TEST(ImageGrey, EveryColourBecomesItsRoundedWeightedSum) {
    TDIBImage colours;
    ASSERT_NO_FATAL_FAILURE(makeEveryColour(colours));
    TDIBImage dest;
    ASSERT_TRUE(dest.CreateLike(colours));
    const std::vector<std::uint8_t> everyPixel(4096 * 512, 0xFF);
    std::string first;
    ASSERT_TRUE(ConvertToGrey(colours, dest, nullptr, nullptr));
    EXPECT_EQ(wrongGreys(dest, first), 0) << "into another picture; " << first;
    ASSERT_TRUE(ConvertToGrey(colours, dest, everyPixel.data(), nullptr));
    EXPECT_EQ(wrongGreys(dest, first), 0) << "through a mask of every pixel; " << first;
    ASSERT_TRUE(ConvertToGrey(colours, colours, nullptr, nullptr));
    EXPECT_EQ(wrongGreys(colours, first), 0) << "in place; " << first;
}

TEST(ImageGrey, PrimariesAndHalvesByHand) {
    struct Case {
        std::uint8_t blue, green, red, grey;
    };
    const Case cases[] = {
        {0, 0, 255, 76},  // 76.5 goes to the even 76
        {0, 255, 0, 150}, // 150.45
        {255, 0, 0, 28},  // 28.05
        {0, 0, 5, 2},     // 1.5 goes to the even 2
        {0, 0, 15, 4},    // 4.5 goes to the even 4
        {255, 255, 255, 255}, {0, 0, 0, 0},
    };
    TDIBImage image;
    ASSERT_TRUE(image.CreateFromHeader(headerOf(std::size(cases), 1, 24)));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        setPixel(image, static_cast<int>(i), 0, {cases[i].blue, cases[i].green, cases[i].red});
    }
    ASSERT_TRUE(ConvertToGrey(image, image, nullptr, nullptr));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::uint8_t g = cases[i].grey;
        EXPECT_EQ(pixelAt(image, static_cast<int>(i), 0), (std::vector<std::uint8_t>{g, g, g}))
            << "case " << i;
    }
}

// A 19 x 3 picture (mask rows of 3 bytes) whose mask takes, in the top row, pixels 0, 7, 8
// and 18; none of the middle row; all of the bottom row.
TEST(ImageGrey, MaskGreysItsPixelsAndCopiesTheOthers) {
    TDIBImage image;
    ASSERT_NO_FATAL_FAILURE(makePicture(image, 19, 3, 24));
    const std::uint8_t mask[] = {0x81, 0x80, 0x20, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xE0};
    const auto inside = [](int x, int pictureRow) {
        return pictureRow == 2 || (pictureRow == 0 && (x == 0 || x == 7 || x == 8 || x == 18));
    };
    TDIBImage source;
    ASSERT_TRUE(source.CreateLike(image));
    std::memcpy(source.Bits, image.Bits, image.ImageSize());

    TDIBImage dest;
    ASSERT_TRUE(dest.CreateLike(image));
    std::memset(dest.Bits, 0x5A, dest.ImageSize());
    ASSERT_TRUE(ConvertToGrey(image, dest, mask, nullptr));
    ASSERT_TRUE(ConvertToGrey(image, image, mask, nullptr));
    for (int pictureRow = 0; pictureRow < 3; ++pictureRow) {
        const int r = 2 - pictureRow;
        for (int x = 0; x < 19; ++x) {
            const std::vector<std::uint8_t> was = pixelAt(source, x, r);
            const std::uint8_t g = expectedGrey(was[0], was[1], was[2]);
            const std::vector<std::uint8_t> expected =
                inside(x, pictureRow) ? std::vector<std::uint8_t>{g, g, g} : was;
            EXPECT_EQ(pixelAt(dest, x, r), expected) << "x " << x << ", picture row " << pictureRow;
            EXPECT_EQ(pixelAt(image, x, r), expected)
                << "in place; x " << x << ", picture row " << pictureRow;
        }
    }
}

TEST(ImageGrey, RowsGoFromTheTopDownAndStopWhenAsked) {
    TDIBImage image;
    ASSERT_NO_FATAL_FAILURE(makePicture(image, 40, 5, 24));
    TDIBImage dest;
    ASSERT_TRUE(dest.CreateLike(image));
    startProgressLog(0);
    ASSERT_TRUE(ConvertToGrey(image, dest, nullptr, logProgress));
    EXPECT_EQ(progressLog.fractions, rowFractions(5));

    std::memset(dest.Bits, 0x5A, dest.ImageSize());
    startProgressLog(2);
    EXPECT_FALSE(ConvertToGrey(image, dest, nullptr, logProgress));
    EXPECT_EQ(progressLog.fractions.size(), 2u);
    for (int r = 0; r < 5; ++r) {
        const bool done = r >= 3; // the top two picture rows are stored rows 4 and 3
        for (int x = 0; x < 40; ++x) {
            const std::vector<std::uint8_t> was = pixelAt(image, x, r);
            const std::uint8_t g = expectedGrey(was[0], was[1], was[2]);
            const std::vector<std::uint8_t> expected =
                done ? std::vector<std::uint8_t>{g, g, g} : std::vector<std::uint8_t>(3, 0x5A);
            EXPECT_EQ(pixelAt(dest, x, r), expected) << "x " << x << ", stored row " << r;
        }
    }
}

TEST(ImageGrey, LeavesAloneWhatIsNotTwoTwentyFourBitPicturesOfOneSize) {
    TDIBImage eightBits;
    ASSERT_NO_FATAL_FAILURE(makePicture(eightBits, 20, 2, 8));
    const std::vector<std::uint8_t> before = pixelBytes(eightBits);
    EXPECT_FALSE(ConvertToGrey(eightBits, eightBits, nullptr, nullptr));
    EXPECT_EQ(pixelBytes(eightBits), before);

    TDIBImage image;
    ASSERT_NO_FATAL_FAILURE(makePicture(image, 20, 2, 24));
    TDIBImage smaller;
    ASSERT_NO_FATAL_FAILURE(makePicture(smaller, 20, 1, 24));
    const std::vector<std::uint8_t> smallerBefore = pixelBytes(smaller);
    EXPECT_FALSE(ConvertToGrey(image, smaller, nullptr, nullptr));
    EXPECT_EQ(pixelBytes(smaller), smallerBefore);
}

// --- Resize ---

// The source column (or stored row) that each result column (or stored row) shows, read
// from a resized picture whose source pixels carry their column and stored row.
std::vector<int> sourceColumns(const TDIBImage& result) {
    std::vector<int> columns;
    for (int x = 0; x < result.Width(); ++x) {
        columns.push_back(pixelAt(result, x, 0)[0]);
    }
    return columns;
}

std::vector<int> sourceRows(const TDIBImage& result) {
    std::vector<int> rows;
    for (int r = 0; r < result.Height(); ++r) {
        rows.push_back(pixelAt(result, 0, r)[1]);
    }
    return rows;
}

// Result stored row r takes source stored row round(r / sy), both counted from the bottom.
// 10 rows to 3 (sy = 0.3) takes stored rows 0, 3 (3.33) and 7 (6.67); taking picture rows
// 0, 3 and 7 from the top instead would show stored rows 2, 6 and 9. 7 rows to 3 takes 0, 2
// (2.33), 5 (4.67) against 1, 4, 6; 4 rows to 10 (sy = 2.5) takes 0, 0, 1, 1, 2, 2, 2, 3, 3
// and 3 for the 4 that 3.6 rounds to, against 0, 0, 0, 1, 1, 1, 2, 2, 3, 3 from the top.
TEST(ImageResize, NonIntegerRatiosTakeRowsInStoredOrder) {
    struct Case {
        int from;
        int to;
        std::vector<int> rows;
    };
    const Case cases[] = {
        {10, 3, {0, 3, 7}},
        {7, 3, {0, 2, 5}},
        {4, 10, {0, 0, 1, 1, 2, 2, 2, 3, 3, 3}},
    };
    for (const Case& c : cases) {
        TDIBImage image;
        ASSERT_NO_FATAL_FAILURE(makePicture(image, 2, c.from, 24));
        TDIBImage result;
        ASSERT_EQ(Resize(image, 2, c.to, nullptr, result), 0);
        EXPECT_EQ(sourceRows(result), c.rows) << c.from << " rows to " << c.to;
    }
}

// sx = 2: x / 2 is a half for every odd x and goes to the even neighbour, and the last column
// (9.5, rounded to 10) is kept inside the picture.
TEST(ImageResize, DoublingTakesEvenNeighboursAtHalves) {
    TDIBImage image;
    ASSERT_NO_FATAL_FAILURE(makePicture(image, 10, 10, 24));
    TDIBImage result;
    ASSERT_EQ(Resize(image, 20, 20, nullptr, result), 0);
    EXPECT_EQ(sourceColumns(result),
              (std::vector<int>{0, 0, 1, 2, 2, 2, 3, 4, 4, 4, 5, 6, 6, 6, 7, 8, 8, 8, 9, 9}));
    EXPECT_EQ(sourceRows(result), sourceColumns(result));
    EXPECT_EQ(result.Header->biXPelsPerMeter, xResolution);
    EXPECT_EQ(result.Header->biYPelsPerMeter, yResolution);
}

// 3 to 7 (s = 2.33): x / s is 0, 0.43, 0.86, 1.29, 1.71, 2.14 and 2.57, whose rounding 3 for
// the last one is past the picture and is kept at 2; likewise for the rows, and for 8-bit
// pictures.
TEST(ImageResize, EnlargingMoreThanTwofoldStaysInsideThePicture) {
    const std::vector<int> expected = {0, 0, 1, 1, 2, 2, 2};
    TDIBImage image;
    ASSERT_NO_FATAL_FAILURE(makePicture(image, 3, 3, 24));
    TDIBImage result;
    ASSERT_EQ(Resize(image, 7, 7, nullptr, result), 0);
    EXPECT_EQ(sourceColumns(result), expected);
    EXPECT_EQ(sourceRows(result), expected);

    TDIBImage eightBits;
    ASSERT_NO_FATAL_FAILURE(makePicture(eightBits, 3, 3, 8));
    TDIBImage eightBitResult;
    ASSERT_EQ(Resize(eightBits, 7, 7, nullptr, eightBitResult), 0);
    for (int r = 0; r < 7; ++r) {
        for (int x = 0; x < 7; ++x) {
            EXPECT_EQ(pixelAt(eightBitResult, x, r), patternAt(expected[x], expected[r], 8))
                << "x " << x << ", stored row " << r;
        }
    }
}

} // namespace
