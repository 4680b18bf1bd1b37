#include "title_font.h"

#include "settings_records.h"

#include <QApplication>
#include <QFontInfo>
#include <QPalette>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
enum StyleBit : std::uint8_t { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };
enum Pitch : std::uint8_t { DefaultPitch = 0, FixedPitch = 1 };
constexpr std::uint32_t systemColourFlag = 0x80000000u;
constexpr int smallestSize = 1;
constexpr int largestSize = 1638; // what a font dialog offers at most
constexpr int maxNameBytes = 255;

QColor systemColour(std::uint32_t index) {
    const QPalette palette = QApplication::palette();
    switch (index) {
    case 5:
        return palette.color(QPalette::Base);
    case 15:
        return palette.color(QPalette::Button);
    case 18:
        return palette.color(QPalette::ButtonText);
    default:
        return palette.color(QPalette::WindowText);
    }
}

QColor colourOf(std::uint32_t stored) {
    if ((stored & 0xFF000000u) == systemColourFlag) {
        return systemColour(stored & 0xFFu);
    }
    return QColor(stored & 0xFF, (stored >> 8) & 0xFF, (stored >> 16) & 0xFF);
}

QString nameOf(const std::uint8_t (&stored)[256]) {
    return QString::fromUtf8(reinterpret_cast<const char*>(stored + 1), stored[0]);
}

// At most 255 bytes of UTF-8, never ending inside a character.
void storeName(const QString& name, std::uint8_t (&stored)[256]) {
    const QByteArray utf8 = name.toUtf8();
    int length = std::min<int>(int(utf8.size()), maxNameBytes);
    while (length > 0 && length < utf8.size() && (std::uint8_t(utf8[length]) & 0xC0) == 0x80) {
        --length;
    }
    stored[0] = std::uint8_t(length);
    std::memcpy(stored + 1, utf8.constData(), std::size_t(length));
}
} // namespace

TitleFont titleFontOf(const TLocalSettings& settings) {
    QFont font(nameOf(settings.PrintFontName));
    font.setPointSize(std::clamp(settings.PrintFontSize, smallestSize, largestSize));
    const std::uint8_t style = settings.PrintFontStyle;
    font.setBold((style & Bold) != 0);
    font.setItalic((style & Italic) != 0);
    font.setUnderline((style & Underline) != 0);
    font.setStrikeOut((style & StrikeOut) != 0);
    if (settings.PrintFontPitch == FixedPitch) {
        font.setFixedPitch(true);
        font.setStyleHint(QFont::TypeWriter);
    }
    return {font, colourOf(settings.PrintFontColor)};
}

void storeTitleFont(const QFont& font, TLocalSettings& settings) {
    storeName(font.family(), settings.PrintFontName);
    const int points =
        font.pointSize() > 0 ? font.pointSize() : int(std::lround(font.pointSizeF()));
    settings.PrintFontSize = std::clamp(points, smallestSize, largestSize);
    settings.PrintFontStyle =
        std::uint8_t((font.bold() ? Bold : 0) | (font.italic() ? Italic : 0) |
                     (font.underline() ? Underline : 0) | (font.strikeOut() ? StrikeOut : 0));
    if (QFontInfo(font).fixedPitch()) {
        settings.PrintFontPitch = FixedPitch;
    } else if (settings.PrintFontPitch == FixedPitch) {
        settings.PrintFontPitch = DefaultPitch;
    }
}

int titleFontPixels(const QFont& font, int ppiY) {
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : smallestSize;
    return std::max(1, int(std::lround(points * ppiY / 72.0)));
}
