// Building example files byte by byte for the tests, and reading and writing them.
#pragma once

#include "show_list.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QtEndian>

#include <cstdint>
#include <initializer_list>

namespace example_bytes {

inline QByteArray u32(std::uint32_t value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// A stored string: its 32-bit length, then its bytes.
inline QByteArray str(const QByteArray& text) {
    return u32(std::uint32_t(text.size())) + text;
}

// Signature and header: version, screen 1280 x 1024, layout references 600 and 120, main
// window maximised, the title.
inline QByteArray preamble(std::uint32_t version = 5, const QByteArray& title = "Title") {
    QByteArray header = "HMSHOW" + u32(version) + u32(1280) + u32(1024) + u32(600) + u32(120);
    header += '\x02';
    header += title;
    header += QByteArray(71 - title.size(), '\0');
    return header;
}

inline QByteArray languages(std::initializer_list<QByteArray> names) {
    QByteArray bytes = u32(std::uint32_t(names.size()));
    for (const QByteArray& name : names) {
        bytes += str(name);
    }
    return bytes;
}

inline QByteArray delay(std::uint32_t milliseconds) {
    return QByteArray("\x02\0\0\0", 4) + u32(milliseconds);
}

inline QByteArray openFile(const QByteArray& name) {
    return QByteArray("\x03\0\0\0", 4) + str(name);
}

// A note with the given entries, each (time, text).
inline QByteArray note(std::initializer_list<std::pair<std::uint32_t, QByteArray>> entries) {
    QByteArray bytes = "\x01" + u32(std::uint32_t(entries.size()));
    for (const auto& [time, text] : entries) {
        bytes += u32(time) + str(text);
    }
    return bytes;
}

// A whole file: preamble, languages, an empty state block, the items.
inline QByteArray file(const QByteArray& languageBytes, std::uint32_t itemCount,
                       const QByteArray& items) {
    return preamble() + languageBytes + u32(0) + u32(itemCount) + items;
}

inline TShowLoadResult load(TShowList& list, QByteArray bytes, const QString& folder = {}) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return list.Load(buffer, folder);
}

inline QByteArray save(const TShowList& list) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return list.Save(buffer) ? buffer.data() : QByteArray();
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace example_bytes
