#include "show_header.h"

#include "stored_text.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {
constexpr int titleOffset = 21;

// The UTF-8 bytes of `text`, at most `limit` of them and never part of a character.
QByteArray cutUtf8(const QByteArray& text, int limit) {
    int length = std::min<int>(text.size(), limit);
    while (length > 0 && length < text.size() &&
           (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        --length;
    }
    return text.left(length);
}
} // namespace

TShowWindowState TShowHeader::MainWindowState() const {
    switch (WindowState) {
    case std::uint8_t(TShowWindowState::Minimised):
        return TShowWindowState::Minimised;
    case std::uint8_t(TShowWindowState::Maximised):
        return TShowWindowState::Maximised;
    default:
        return TShowWindowState::Normal;
    }
}

QString TShowHeader::DisplayTitle() const {
    return displayTextOf(Title);
}

void TShowHeader::SetDisplayTitle(const QString& title) {
    const QByteArray stored = storedTextOf(title);
    const qsizetype zero = stored.indexOf('\0'); // the file ends the title there
    Title = cutUtf8(zero < 0 ? stored : stored.left(zero), titleBytes);
}

std::array<std::uint8_t, TShowHeader::size> TShowHeader::Encode() const {
    std::array<std::uint8_t, size> bytes{};
    qToLittleEndian(Version, bytes.data());
    qToLittleEndian(ScreenWidth, bytes.data() + 4);
    qToLittleEndian(ScreenHeight, bytes.data() + 8);
    qToLittleEndian(LayoutX, bytes.data() + 12);
    qToLittleEndian(LayoutY, bytes.data() + 16);
    bytes[20] = WindowState;
    const QByteArray title = Title.left(titleBytes);
    std::memcpy(bytes.data() + titleOffset, title.constData(), title.size());
    return bytes;
}

TShowHeader TShowHeader::Decode(const std::array<std::uint8_t, size>& bytes) {
    TShowHeader header;
    header.Version = qFromLittleEndian<std::uint32_t>(bytes.data());
    header.ScreenWidth = qFromLittleEndian<std::int32_t>(bytes.data() + 4);
    header.ScreenHeight = qFromLittleEndian<std::int32_t>(bytes.data() + 8);
    header.LayoutX = qFromLittleEndian<std::int32_t>(bytes.data() + 12);
    header.LayoutY = qFromLittleEndian<std::int32_t>(bytes.data() + 16);
    header.WindowState = bytes[20];
    const auto* title = reinterpret_cast<const char*>(bytes.data() + titleOffset);
    header.Title = QByteArray(title, qstrnlen(title, titleBytes));
    return header;
}
