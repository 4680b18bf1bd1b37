// The two settings records, byte for byte as they are stored, and everything the program keeps
// between sessions.
#pragma once

#include "settings_store.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>

#pragma pack(push, 1)
// The configuration record ("ConfigSettings", 104 bytes).
struct TConfigSettings {
    std::uint8_t CreateNewWindow;
    std::uint8_t Unused1[3];
    std::uint8_t ReferenceColour[3]; // red, green, blue
    std::uint8_t ColourMode;         // 0 colour, 1 colour and brightness, 2 brightness
    std::uint8_t Operation;          // 0..5
    std::uint8_t Unused2[3];
    std::int32_t LayerRange;
    std::uint8_t Auto;
    std::uint8_t Unused3[3];
    std::int32_t FilterRange;
    std::int32_t FilterPasses;
    std::uint8_t Kept[12]; // read and written by no window; stored as they are
    std::int32_t ResizeUnit;
    std::uint8_t KeepProportions;
    std::uint8_t Unused4[3];
    std::int32_t ResolutionSource;
    std::uint8_t PromptToSave;
    std::uint8_t SaveCollection;
    std::uint8_t AdjustSize;
    std::uint8_t Padding;
    std::int32_t ProgressDelay; // seconds, 0..59
    std::uint8_t WindowPlacement[44];
};

// The "LocalSettings" record (340 bytes).
struct TLocalSettings {
    std::int32_t OpenFilterIndex;
    std::int32_t SaveFilterIndex;
    std::int32_t PrintFontCharset;
    std::uint32_t PrintFontColor;
    std::uint8_t PrintFontName[256]; // a length byte, then the characters
    std::uint8_t PrintFontPitch;
    std::uint8_t Padding1[3];
    std::int32_t PrintFontSize;
    std::uint8_t PrintFontStyle;
    std::uint8_t Padding2[3];
    std::int32_t Copies;
    std::uint8_t PrintUnit; // 0 millimetres, 1 inches
    std::uint8_t Padding3[3];
    std::uint8_t Reserved[16];
    std::int32_t NextTip;
    std::uint8_t DisplayTips;
    std::uint8_t Padding4[3];
    std::int32_t JpegQuality; // 1..9
    std::uint8_t DisplayJPEGOptions;
    std::uint8_t Padding5[3];
    std::int32_t TiffCompression;
    std::uint8_t DisplayTIFFOptions;
    std::uint8_t Padding6[3];
    std::uint8_t PngInterlaced;
    std::uint8_t DisplayPNGOptions;
    std::uint8_t Padding7[2];
    std::int32_t Speed; // example playback, 1..20
};
#pragma pack(pop)
static_assert(sizeof(TConfigSettings) == 104);
static_assert(sizeof(TLocalSettings) == 340);

TLocalSettings defaultLocalSettings();
// The configuration a first start works with, before anything is stored: results in new
// windows, layer and filter ranges of 5 % and 5 filter passes, ask before closing changed
// pictures, the progress box after one second, a neutral grey reference colour.
TConfigSettings defaultConfigSettings();

// The configuration block: a 32-bit length and the 6 characters "HMCONF", the 32-bit record
// size, the record. Bytes a newer block holds beyond the 104 known ones travel in `extra`.
QByteArray encodeConfigBlock(const TConfigSettings& record, const QByteArray& extra);
// False, and nothing changed, unless the block starts with "HMCONF". A shorter record only
// overwrites the bytes it has; a longer one never writes past the record.
bool decodeConfigBlock(const QByteArray& block, TConfigSettings& record, QByteArray& extra);

constexpr int maxRecentFiles = 7;

// Everything the program keeps between sessions.
struct PersistedSettings {
    QString languageFileName; // empty: by the system language
    QString helpFileName;
    QString imageDirectory;
    QString processingDirectory;
    QString paletteFileName;
    QString paletteDirectory;
    TConfigSettings config = defaultConfigSettings();
    QByteArray configExtra;
    TLocalSettings local = defaultLocalSettings();
    QByteArray gammas; // opaque here
    QStringList recentFiles;
    // The memory each image window's undo steps may take, in megabytes.
    int undoMegabytes = 300;
    std::size_t undoBudgetBytes() const { return std::size_t(std::max(undoMegabytes, 0)) << 20; }
    // Whether Save asks before it writes over the file a picture was opened from.
    bool askBeforeReplacingOriginals = true;

    // Reads what is stored; what is missing keeps its current value.
    void load(const SettingsStore& store);
    // What the program writes when it closes.
    void save(SettingsStore& store) const;
    // The language and help file names, written when the options window is closed with OK.
    void saveFileChoices(SettingsStore& store) const;
};
