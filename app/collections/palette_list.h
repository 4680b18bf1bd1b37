// The colour collection: entries of a colour, a name and an optional small picture, kept in
// collection files ("HMPAL", versions 1 and 2 read, version 3 read and written).
#pragma once

#include "my_list.h"

#include "platform/memory_block.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

struct TPaletteColor {
    TPaletteColor() = default;
    TPaletteColor(const TPaletteColor& other);
    TPaletteColor& operator=(const TPaletteColor& other);
    ~TPaletteColor();

    std::uint32_t Reserved = 0;
    std::uint32_t Color = 0;               // 0x00BBGGRR
    std::uint32_t SecondColor = 0;         // equal to Color in entries read from version 1 files
    std::int32_t PictureSize = 0;          // bytes of the picture; 0 or less: none
    platform::MemHandle Picture = nullptr; // a packed bitmap, owned when PictureSize > 0
    std::array<std::uint8_t, 8> Extra{};
    QByteArray Name; // 8-bit text as stored; may hold line breaks

    // The name for display: UTF-8 when it is, else Latin-1.
    QString DisplayName() const;
    void SetDisplayName(const QString& name);
    // The picture's bytes (empty without one).
    QByteArray PictureBytes() const;
    // Takes a copy of a packed bitmap as the picture.
    bool SetPicture(const QByteArray& packedBitmap);
};

class TPaletteList : public TMyList<TPaletteColor> {
public:
    enum Error : std::uint8_t {
        None = 0,
        NotACollection = 1,
        BadVersion = 2,
        ReadError = 3,
        WriteError = 4
    };
    static constexpr int headerSize = 32;

    mutable std::uint8_t LastError = None;
    std::array<std::uint8_t, headerSize> Header{};

    // Clears LastError, then loads or saves; on failure LastError says why.
    bool Load(QIODevice& stream);
    bool Save(QIODevice& stream) const;
    bool LoadFile(const QString& name);
    // Writes beside the old file and replaces it only when complete.
    bool SaveFile(const QString& name) const;

protected:
    bool ReadHeader(QIODevice& stream) override;
    bool WriteHeader(QIODevice& stream) const override;
    std::unique_ptr<TPaletteColor> ReadItem(QIODevice& stream) override;
    bool WriteItem(QIODevice& stream, const TPaletteColor& item) const override;

private:
    std::uint32_t version() const;
};
