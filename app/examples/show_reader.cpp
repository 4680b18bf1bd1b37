#include "show_reader.h"

#include "show_format.h"
#include "stored_text.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstring>

namespace {
using namespace show_format;

qint64 remaining(const QIODevice& stream) {
    return stream.isSequential() ? stream.bytesAvailable() : stream.size() - stream.pos();
}

template <std::size_t N> bool readBytes(QIODevice& stream, std::array<std::uint8_t, N>& bytes) {
    return stream.read(reinterpret_cast<char*>(bytes.data()), N) == qint64(N);
}

template <typename T> bool readValue(QIODevice& stream, T& value) {
    std::array<std::uint8_t, sizeof(T)> bytes;
    if (!readBytes(stream, bytes)) {
        return false;
    }
    value = qFromLittleEndian<T>(bytes.data());
    return true;
}

// A 32-bit count of things of at least `leastBytesEach` bytes, refused when the stream cannot
// hold that many.
bool readCount(QIODevice& stream, std::uint32_t& count, int leastBytesEach) {
    return readValue(stream, count) && qint64(count) * leastBytesEach <= remaining(stream);
}

bool readString(QIODevice& stream, QByteArray& text) {
    std::uint32_t length = 0;
    if (!readCount(stream, length, 1)) {
        return false;
    }
    text = stream.read(length);
    return text.size() == qint64(length);
}

bool skipBytes(QIODevice& stream, qint64 count) {
    return stream.skip(count) == count;
}

std::unique_ptr<TShowItem> readCommand(QIODevice& stream) {
    std::array<std::uint8_t, commandBytes> record{}; // the kind byte, already read, is 0
    const qint64 rest = commandBytes - 1;
    if (stream.read(reinterpret_cast<char*>(record.data() + 1), rest) != rest) {
        return nullptr;
    }
    auto item = std::make_unique<TShowCmd>();
    item->Action = record[command::action];
    item->Target = record[command::target];
    item->X = qFromLittleEndian<std::int32_t>(record.data() + command::x);
    item->Y = qFromLittleEndian<std::int32_t>(record.data() + command::y);
    item->Window = qFromLittleEndian<std::int32_t>(record.data() + command::window);
    item->ScaleX = record[command::scaleX];
    item->ScaleY = record[command::scaleY];
    std::memcpy(item->TargetData.data(), record.data() + command::targetData,
                item->TargetData.size());
    return item;
}

// The entries of a note, as many as the example has languages: entries beyond them are read
// and dropped, missing ones are added empty while the padding allowance lasts. The allowance
// keeps a small damaged file with many languages and many empty notes from growing into an
// enormous list.
std::unique_ptr<TShowItem> readNote(QIODevice& stream, TShowItemReading& reading) {
    std::uint32_t count = 0;
    if (!readCount(stream, count, leastEntryBytes)) {
        return nullptr;
    }
    const std::uint32_t kept = std::min<std::uint32_t>(count, reading.languageCount);
    const qint64 missing = reading.languageCount - qint64(kept);
    if (missing > reading.paddingLeft) {
        return nullptr;
    }
    reading.paddingLeft -= missing;
    auto note = std::make_unique<TNoteList>();
    note->Entries.reserve(reading.languageCount);
    for (std::uint32_t i = 0; i < count; ++i) {
        TNoteItem entry;
        if (!readValue(stream, entry.Time) || !readString(stream, entry.Text)) {
            return nullptr;
        }
        if (i < kept) {
            note->Entries.push_back(std::move(entry));
        }
    }
    note->Entries.resize(reading.languageCount);
    return note;
}

std::unique_ptr<TShowItem> readDelay(QIODevice& stream) {
    std::uint32_t milliseconds = 0;
    if (!skipBytes(stream, kindAndPaddingBytes - 1) || !readValue(stream, milliseconds)) {
        return nullptr;
    }
    return std::make_unique<TShowDelay>(milliseconds);
}

// Only the name of the picture counts: a folder in front of it, a ".." or anything after a
// zero byte is dropped, so that an example can open no picture but one beside it.
QString bareFileName(const QByteArray& stored) {
    const qsizetype zero = stored.indexOf('\0');
    const QString name = displayTextOf(zero < 0 ? stored : stored.left(zero));
    const qsizetype separator = std::max(name.lastIndexOf('/'), name.lastIndexOf('\\'));
    const QString bare = name.mid(separator + 1);
    return bare == "." || bare == ".." ? QString() : bare;
}

// Joined by hand: QDir would take a name starting with ':' for a path of its own.
QString picturePath(const QString& folder, const QString& name) {
    if (name.isEmpty() || folder.isEmpty()) {
        return name;
    }
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

std::unique_ptr<TShowItem> readOpenFile(QIODevice& stream, const TShowItemReading& reading) {
    QByteArray stored;
    if (!skipBytes(stream, kindAndPaddingBytes - 1) || !readString(stream, stored)) {
        return nullptr;
    }
    return std::make_unique<TShowCmdOpenFile>(
        picturePath(reading.pictureFolder, bareFileName(stored)));
}
} // namespace

TShowLoadResult readShowPreamble(QIODevice& stream, TShowHeader& header,
                                 QByteArrayList& languages) {
    std::array<std::uint8_t, sizeof signature> start;
    if (!readBytes(stream, start) || std::memcmp(start.data(), signature, sizeof signature) != 0) {
        return TShowLoadResult::NotAnExample;
    }
    std::array<std::uint8_t, TShowHeader::size> bytes{};
    const qint64 headerRead = stream.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
    if (headerRead < 4) {
        return TShowLoadResult::Damaged;
    }
    header = TShowHeader::Decode(bytes);
    if (header.Version != TShowHeader::currentVersion) {
        return TShowLoadResult::UnknownVersion;
    }
    std::uint32_t count = 0;
    if (headerRead != qint64(bytes.size()) || !readCount(stream, count, leastStringBytes)) {
        return TShowLoadResult::Damaged;
    }
    languages.clear();
    languages.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        QByteArray name;
        if (!readString(stream, name)) {
            return TShowLoadResult::Damaged;
        }
        languages.push_back(std::move(name));
    }
    return TShowLoadResult::Loaded;
}

bool readShowStateBlock(QIODevice& stream, QByteArray& stateBlock) {
    return readString(stream, stateBlock);
}

std::unique_ptr<TShowItem> readShowItem(QIODevice& stream, TShowItemReading& reading) {
    std::uint8_t kind = 0;
    if (!readValue(stream, kind)) {
        return nullptr;
    }
    switch (TShowKind(kind)) {
    case TShowKind::Command:
        return readCommand(stream);
    case TShowKind::Note:
        return readNote(stream, reading);
    case TShowKind::Delay:
        return readDelay(stream);
    case TShowKind::OpenFile:
        return readOpenFile(stream, reading);
    }
    return nullptr; // an unknown kind: its length is unknown, so nothing after it can be read
}
