#include "correction_probe.h"

#include "tintworks.h"

#include <cstdint>

std::vector<Rgb> correctedColors(const std::vector<Rgb>& colors) {
    std::vector<std::uint8_t> row;
    for (const Rgb& color : colors) {
        row.insert(row.end(), {color[2], color[1], color[0]});
    }
    const auto width = static_cast<std::int32_t>(colors.size());
    TRepeatParams repeat{};
    repeat.Size = sizeof repeat;
    repeat.Image = TImageDesc{width, 1, width * 3, TWK_ROWS_TOP_DOWN, 3, row.data()};
    repeat.Dest = row.data();
    if (colors.empty() ||
        TWKDoRepeatedImageOperation(TWK_OP_IMAGE_CORRECTION, &repeat, nullptr) != TWK_OK) {
        return {};
    }
    std::vector<Rgb> corrected;
    for (std::size_t i = 0; i < row.size(); i += 3) {
        corrected.push_back({row[i + 2], row[i + 1], row[i]});
    }
    return corrected;
}

std::vector<Rgb> correctionCurves() {
    std::vector<Rgb> greys;
    for (int level = 0; level < 256; ++level) {
        const auto v = static_cast<std::uint8_t>(level);
        greys.push_back({v, v, v});
    }
    return correctedColors(greys);
}
