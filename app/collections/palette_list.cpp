#include "palette_list.h"

#include "stored_text.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <cstring>

namespace {
constexpr char signature[] = "HMPAL";

// Bytes the stream still holds; a length beyond them is damage, found before allocating.
qint64 remaining(const QIODevice& stream) {
    return stream.isSequential() ? stream.bytesAvailable() : stream.size() - stream.pos();
}

platform::MemHandle copyBlock(platform::MemHandle source, std::int32_t size) {
    if (source == nullptr || size <= 0) {
        return nullptr;
    }
    platform::MemHandle copy = platform::memAlloc(size);
    if (copy == nullptr) {
        return nullptr;
    }
    std::memcpy(platform::memLock(copy), platform::memLock(source), size);
    platform::memUnlock(copy);
    platform::memUnlock(source);
    return copy;
}
} // namespace

TPaletteColor::TPaletteColor(const TPaletteColor& other)
    : Reserved(other.Reserved), Color(other.Color), SecondColor(other.SecondColor),
      PictureSize(other.PictureSize), Picture(copyBlock(other.Picture, other.PictureSize)),
      Extra(other.Extra), Name(other.Name) {
    if (Picture == nullptr) {
        PictureSize = 0; // a picture that could not be copied is dropped, not shared
    }
}

TPaletteColor& TPaletteColor::operator=(const TPaletteColor& other) {
    if (this != &other) {
        TPaletteColor copy(other);
        std::swap(Reserved, copy.Reserved);
        std::swap(Color, copy.Color);
        std::swap(SecondColor, copy.SecondColor);
        std::swap(PictureSize, copy.PictureSize);
        std::swap(Picture, copy.Picture);
        std::swap(Extra, copy.Extra);
        std::swap(Name, copy.Name);
    }
    return *this;
}

TPaletteColor::~TPaletteColor() {
    if (PictureSize > 0) {
        platform::memFree(Picture);
    }
}

QString TPaletteColor::DisplayName() const {
    return displayTextOf(Name);
}

void TPaletteColor::SetDisplayName(const QString& name) {
    Name = storedTextOf(name);
}

QByteArray TPaletteColor::PictureBytes() const {
    if (PictureSize <= 0 || Picture == nullptr) {
        return {};
    }
    QByteArray bytes(static_cast<const char*>(platform::memLock(Picture)), PictureSize);
    platform::memUnlock(Picture);
    return bytes;
}

bool TPaletteColor::SetPicture(const QByteArray& packedBitmap) {
    if (PictureSize > 0) {
        platform::memFree(Picture);
    }
    Picture = nullptr;
    PictureSize = 0;
    if (packedBitmap.isEmpty()) {
        return true;
    }
    Picture = platform::memAlloc(packedBitmap.size());
    if (Picture == nullptr) {
        return false;
    }
    std::memcpy(platform::memLock(Picture), packedBitmap.constData(), packedBitmap.size());
    platform::memUnlock(Picture);
    PictureSize = static_cast<std::int32_t>(packedBitmap.size());
    return true;
}

std::uint32_t TPaletteList::version() const {
    return qFromLittleEndian<std::uint32_t>(Header.data() + 8);
}

bool TPaletteList::ReadHeader(QIODevice& stream) {
    if (stream.read(reinterpret_cast<char*>(Header.data()), headerSize) != headerSize) {
        LastError = ReadError;
        return false;
    }
    if (std::memcmp(Header.data(), signature, 5) != 0) {
        LastError = NotACollection;
        return false;
    }
    if (version() < 1 || version() > 3) {
        LastError = BadVersion;
        return false;
    }
    return true;
}

bool TPaletteList::WriteHeader(QIODevice& stream) const {
    std::array<std::uint8_t, headerSize> header{};
    std::memcpy(header.data(), signature, 5);
    qToLittleEndian<std::uint32_t>(3, header.data() + 8);
    if (stream.write(reinterpret_cast<const char*>(header.data()), headerSize) != headerSize) {
        LastError = WriteError;
        return false;
    }
    return true;
}

std::unique_ptr<TPaletteColor> TPaletteList::ReadItem(QIODevice& stream) {
    auto entry = std::make_unique<TPaletteColor>();
    const auto fail = [this] {
        LastError = ReadError;
        return nullptr;
    };
    std::uint32_t ignored = 0;
    if (!readValue(stream, entry->Reserved) || !readValue(stream, entry->Color)) {
        return fail();
    }
    if (version() == 1) {
        if (!readValue(stream, ignored) || !readValue(stream, ignored)) {
            return fail();
        }
        entry->SecondColor = entry->Color;
    } else {
        std::uint32_t handleValue = 0; // a stored handle means nothing
        if (!readValue(stream, entry->SecondColor) || !readValue(stream, entry->PictureSize) ||
            !readValue(stream, handleValue) ||
            stream.read(reinterpret_cast<char*>(entry->Extra.data()), 8) != 8) {
            return fail();
        }
    }
    std::uint32_t nameLength = 0;
    if (!readValue(stream, nameLength) || nameLength > remaining(stream)) {
        return fail();
    }
    entry->Name = stream.read(nameLength);
    if (entry->Name.size() != qint64(nameLength)) {
        return fail();
    }
    const std::int32_t pictureSize = entry->PictureSize;
    entry->PictureSize = 0; // nothing owned yet
    if (version() == 3 && pictureSize > 0) {
        if (pictureSize > remaining(stream)) {
            return fail();
        }
        const QByteArray picture = stream.read(pictureSize);
        if (picture.size() != pictureSize || !entry->SetPicture(picture)) {
            return fail();
        }
    }
    return entry;
}

bool TPaletteList::WriteItem(QIODevice& stream, const TPaletteColor& item) const {
    const std::int32_t pictureSize = item.PictureSize > 0 ? item.PictureSize : 0;
    const QByteArray picture = item.PictureBytes();
    const std::uint32_t handleValue = 0;
    const bool written = writeValue(stream, item.Reserved) && writeValue(stream, item.Color) &&
                         writeValue(stream, item.SecondColor) && writeValue(stream, pictureSize) &&
                         writeValue(stream, handleValue) &&
                         stream.write(reinterpret_cast<const char*>(item.Extra.data()), 8) == 8 &&
                         writeValue(stream, static_cast<std::uint32_t>(item.Name.size())) &&
                         stream.write(item.Name) == item.Name.size() &&
                         stream.write(picture) == picture.size();
    if (!written) {
        LastError = WriteError;
    }
    return written;
}

bool TPaletteList::Load(QIODevice& stream) {
    LastError = None;
    if (LoadFromStream(stream)) {
        return true;
    }
    if (LastError == None) {
        LastError = ReadError; // the count itself could not be read
    }
    return false;
}

bool TPaletteList::Save(QIODevice& stream) const {
    LastError = None;
    if (SaveToStream(stream)) {
        return true;
    }
    if (LastError == None) {
        LastError = WriteError;
    }
    return false;
}

bool TPaletteList::LoadFile(const QString& name) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        Clear();
        LastError = ReadError;
        return false;
    }
    return Load(file);
}

bool TPaletteList::SaveFile(const QString& name) const {
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        LastError = WriteError;
        return false;
    }
    if (!Save(file)) {
        return false;
    }
    if (!file.commit()) {
        LastError = WriteError;
        return false;
    }
    return true;
}
