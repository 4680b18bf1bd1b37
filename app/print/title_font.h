// The font of the titles printed below the pictures, as the settings record keeps it:
//   PrintFontName     a length byte, then up to 255 bytes of UTF-8 (cut between characters)
//   PrintFontSize     points
//   PrintFontStyle    bit 0 bold, bit 1 italic, bit 2 underlined, bit 3 struck out
//   PrintFontPitch    0 the font's own, 1 fixed, 2 variable
//   PrintFontColor    0x00BBGGRR; with the high byte 0x80 the low byte names a system colour
//                     instead: 5 window, 8 window text, 15 button face, 18 button text (the
//                     desktop's own colours); any other system colour is taken as window text
//   PrintFontCharset  the character set of the system that wrote the record; kept as it is,
//                     since Qt chooses glyphs by the text itself
#pragma once

#include <QColor>
#include <QFont>

#include <cstdint>

struct TLocalSettings;

struct TitleFont {
    QFont Font;
    QColor Colour;
};

TitleFont titleFontOf(const TLocalSettings& settings);
// Name, size, style and pitch of `font`; colour and character set stay.
void storeTitleFont(const QFont& font, TLocalSettings& settings);
// The font's height in pixels of a device with `ppiY` pixels per inch down.
int titleFontPixels(const QFont& font, int ppiY);
