// The fixed part of an example file after its signature: the version, the screen and the main
// window's layout when recording began (the player rescales window-relative points by them),
// the main window's state and the example's title. 92 bytes, little-endian.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

enum class TShowWindowState : std::uint8_t { Normal = 0, Minimised = 1, Maximised = 2 };

struct TShowHeader {
    static constexpr int size = 92;
    static constexpr std::uint32_t currentVersion = 5;
    static constexpr int titleBytes = 70; // without the terminating zero

    std::uint32_t Version = 0;
    std::int32_t ScreenWidth = 0;
    std::int32_t ScreenHeight = 0;
    std::int32_t LayoutX = 0; // left of the tool bar's example mark
    std::int32_t LayoutY = 0; // height of the bottom panel
    std::uint8_t WindowState = 0;
    QByteArray Title; // at most titleBytes, no zero byte

    // The stored state as one of the three, an unknown value as Normal.
    TShowWindowState MainWindowState() const;
    QString DisplayTitle() const;
    // Stored as UTF-8, cut to titleBytes without splitting a character.
    void SetDisplayTitle(const QString& title);

    std::array<std::uint8_t, size> Encode() const;
    static TShowHeader Decode(const std::array<std::uint8_t, size>& bytes);

    bool operator==(const TShowHeader&) const = default;
};
