#include "filter_thinning.h"

namespace tintworks {

namespace {

// Row bytes hold pixel x at bit 7 - x % 8 of byte x / 8. For byte i, the windows that start
// in it and are all set come from the byte and the top bits of the next one; the bits they
// cover reach at most two pixels into the next byte, which are carried over.
void thinRow(std::uint8_t* bytes, std::size_t count) {
    unsigned carry = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned next = i + 1 < count ? bytes[i + 1] : 0u;
        const unsigned pair = static_cast<unsigned>(bytes[i]) << 8 | next;
        const unsigned starts = pair & (pair << 1) & (pair << 2) & 0xFF00u;
        const unsigned covered = starts | starts >> 1 | starts >> 2;
        bytes[i] = static_cast<std::uint8_t>(bytes[i] & ~((covered >> 8) | carry));
        carry = covered & 0xFFu;
    }
}

} // namespace

void thinFilterLayer(BitMask& mask, const Rect& area) {
    const Rect rows = clipped(area, Rect{0, 0, mask.width(), mask.height()});
    const std::size_t rowBytes = (static_cast<std::size_t>(mask.width()) + 7) / 8;
    for (std::int32_t y = rows.top; y < rows.bottom; ++y) {
        thinRow(mask.row(y), rowBytes);
    }
}

} // namespace tintworks
