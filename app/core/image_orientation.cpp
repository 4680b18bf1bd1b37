#include "image_orientation.h"

#include "image_edits.h"

#include <algorithm>
#include <array>

namespace {

constexpr int noTurn = -1;

// What undoes an orientation: a turn (Rotate's angle code, or noTurn) and then mirroring.
struct UprightSteps {
    int turn;
    bool mirrorLeftRight;
    bool mirrorTopBottom;
};

// Orientations 1 to 8. Mirrored along a diagonal is turned clockwise and then mirrored: 5 left
// to right, 7 top to bottom. Turning first leaves the picture unchanged when the turn fails.
constexpr std::array<UprightSteps, 8> uprightSteps{{
    {noTurn, false, false},
    {noTurn, true, false},
    {1, false, false},
    {noTurn, false, true},
    {0, true, false},
    {0, false, false},
    {0, false, true},
    {2, false, false},
}};

bool hasKnownDepth(const TDIBImage& image) {
    return image.BitCount() == 8 || image.BitCount() == 24;
}

std::uint8_t* storedRow(TDIBImage& image, std::int32_t row) {
    return image.Bits + static_cast<std::size_t>(row) * image.RowStride();
}

// Makes `image` hold the pixels of `turned`, which is left empty.
void takeOver(TDIBImage& image, TDIBImage& turned) {
    const platform::MemHandle handle = turned.Handle;
    platform::memUnlock(handle);
    turned.Clear(false);
    image.AttachHandle(handle);
}

} // namespace

void MirrorLeftRight(TDIBImage& image) {
    const std::size_t bytes = image.BitCount() / 8;
    const std::int32_t width = image.Width();
    for (std::int32_t r = 0; r < image.Height(); ++r) {
        std::uint8_t* row = storedRow(image, r);
        for (std::int32_t left = 0, right = width - 1; left < right; ++left, --right) {
            std::swap_ranges(row + left * bytes, row + (left + 1) * bytes, row + right * bytes);
        }
    }
}

void MirrorTopBottom(TDIBImage& image) {
    const std::size_t stride = image.RowStride();
    for (std::int32_t top = 0, bottom = image.Height() - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(storedRow(image, top), storedRow(image, top) + stride,
                         storedRow(image, bottom));
    }
}

int TurnUpright(TDIBImage& image, int orientation) {
    if (orientation < 2 || orientation > 8) {
        return 0;
    }
    if (!hasKnownDepth(image)) {
        return -1;
    }
    const UprightSteps& steps = uprightSteps[orientation - 1];
    if (steps.turn != noTurn) {
        TDIBImage turned;
        if (Rotate(image, steps.turn, nullptr, turned) != 0) {
            return -1;
        }
        takeOver(image, turned);
    }
    if (steps.mirrorLeftRight) {
        MirrorLeftRight(image);
    }
    if (steps.mirrorTopBottom) {
        MirrorTopBottom(image);
    }
    return 0;
}
