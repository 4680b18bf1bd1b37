// The gamma list as the settings and an example's state keep it: a 32-bit little-endian count,
// then each value as a 10-byte extended float.
#pragma once

#include <QByteArray>

#include <optional>
#include <vector>

QByteArray encodeGammaList(const std::vector<double>& values);
// None when the bytes announce more values than they hold, or hold no count.
std::optional<std::vector<double>> decodeGammaList(const QByteArray& bytes);

// The list a first start offers.
const std::vector<double>& defaultGammaList();
