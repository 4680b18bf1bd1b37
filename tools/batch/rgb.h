// Colours as the batch tool reports them: red, green, blue, whatever the engine's byte order.
#pragma once

#include <array>
#include <cstdint>
#include <string>

using Rgb = std::array<std::uint8_t, 3>;

// "150,128,112".
inline std::string rgbText(const Rgb& color) {
    return std::to_string(color[0]) + "," + std::to_string(color[1]) + "," +
           std::to_string(color[2]);
}
