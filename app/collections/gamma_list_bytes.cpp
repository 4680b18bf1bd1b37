#include "gamma_list_bytes.h"

#include "extended_float.h"

#include <QtEndian>

namespace {
constexpr int extendedSize = 10;
}

QByteArray encodeGammaList(const std::vector<double>& values) {
    QByteArray bytes(4, '\0');
    qToLittleEndian<std::uint32_t>(std::uint32_t(values.size()), bytes.data());
    for (const double value : values) {
        const auto extended = toExtended(value);
        bytes.append(reinterpret_cast<const char*>(extended.data()), extendedSize);
    }
    return bytes;
}

std::optional<std::vector<double>> decodeGammaList(const QByteArray& bytes) {
    if (bytes.size() < 4) {
        return std::nullopt;
    }
    const std::uint32_t count = qFromLittleEndian<std::uint32_t>(bytes.constData());
    if (count > std::uint32_t(bytes.size() - 4) / extendedSize) {
        return std::nullopt;
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData()) + 4;
    std::vector<double> values;
    values.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        values.push_back(fromExtended(data + i * extendedSize));
    }
    return values;
}

const std::vector<double>& defaultGammaList() {
    static const std::vector<double> values = {1.40, 1.70, 2.20};
    return values;
}
