#include "show_writer.h"

#include "show_format.h"
#include "stored_text.h"

#include <QFileInfo>
#include <QtEndian>

#include <array>
#include <cstring>

namespace {
using namespace show_format;

bool writeBytes(QIODevice& stream, const void* bytes, qint64 count) {
    return stream.write(static_cast<const char*>(bytes), count) == count;
}

template <typename T> bool writeValue(QIODevice& stream, T value) {
    std::array<std::uint8_t, sizeof(T)> bytes;
    qToLittleEndian(value, bytes.data());
    return writeBytes(stream, bytes.data(), bytes.size());
}

bool writeString(QIODevice& stream, const QByteArray& text) {
    return writeValue(stream, std::uint32_t(text.size())) &&
           writeBytes(stream, text.constData(), text.size());
}

bool writeKindAndPadding(QIODevice& stream, TShowKind kind) {
    const std::array<std::uint8_t, kindAndPaddingBytes> bytes{std::uint8_t(kind)};
    return writeBytes(stream, bytes.data(), bytes.size());
}

bool writeCommand(QIODevice& stream, const TShowCmd& item) {
    std::array<std::uint8_t, commandBytes> record{};
    record[0] = std::uint8_t(TShowKind::Command);
    record[command::action] = item.Action;
    record[command::target] = item.Target;
    qToLittleEndian(item.X, record.data() + command::x);
    qToLittleEndian(item.Y, record.data() + command::y);
    qToLittleEndian(item.Window, record.data() + command::window);
    record[command::scaleX] = item.ScaleX;
    record[command::scaleY] = item.ScaleY;
    std::memcpy(record.data() + command::targetData, item.TargetData.data(),
                item.TargetData.size());
    return writeBytes(stream, record.data(), record.size());
}

bool writeNote(QIODevice& stream, const TNoteList& note, int languageCount) {
    if (!writeValue(stream, std::uint8_t(TShowKind::Note)) ||
        !writeValue(stream, std::uint32_t(languageCount))) {
        return false;
    }
    const TNoteItem empty;
    for (int i = 0; i < languageCount; ++i) {
        const TNoteItem& entry = std::size_t(i) < note.Entries.size() ? note.Entries[i] : empty;
        if (!writeValue(stream, entry.Time) || !writeString(stream, entry.Text)) {
            return false;
        }
    }
    return true;
}

bool writeDelay(QIODevice& stream, const TShowDelay& delay) {
    return writeKindAndPadding(stream, TShowKind::Delay) && writeValue(stream, delay.Milliseconds);
}

bool writeOpenFile(QIODevice& stream, const TShowCmdOpenFile& item) {
    const QString bareName = item.Path.isEmpty() ? QString() : QFileInfo(item.Path).fileName();
    return writeKindAndPadding(stream, TShowKind::OpenFile) &&
           writeString(stream, storedTextOf(bareName));
}
} // namespace

bool writeShowPreamble(QIODevice& stream, const TShowHeader& header,
                       const QByteArrayList& languages) {
    TShowHeader current = header;
    current.Version = TShowHeader::currentVersion;
    const auto bytes = current.Encode();
    if (!writeBytes(stream, signature, sizeof signature) ||
        !writeBytes(stream, bytes.data(), bytes.size()) ||
        !writeValue(stream, std::uint32_t(languages.size()))) {
        return false;
    }
    for (const QByteArray& name : languages) {
        if (!writeString(stream, name)) {
            return false;
        }
    }
    return true;
}

bool writeShowStateBlock(QIODevice& stream, const QByteArray& stateBlock) {
    return writeString(stream, stateBlock);
}

bool writeShowItem(QIODevice& stream, const TShowItem& item, int languageCount) {
    if (const auto* command = showItemAs<TShowCmd>(&item)) {
        return writeCommand(stream, *command);
    }
    if (const auto* note = showItemAs<TNoteList>(&item)) {
        return writeNote(stream, *note, languageCount);
    }
    if (const auto* delay = showItemAs<TShowDelay>(&item)) {
        return writeDelay(stream, *delay);
    }
    if (const auto* openFile = showItemAs<TShowCmdOpenFile>(&item)) {
        return writeOpenFile(stream, *openFile);
    }
    return false;
}
