#include "printed_area.h"

#include "platform/atomic_file.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

namespace {
constexpr qint64 countSize = 4;

bool onKnownSheet(const TPrintedArea& area) {
    return area.Sheet >= 0 && area.Sheet < TPageFilling::SheetCount;
}

// The bytes through a descriptor that is closed here, synced before the rename.
bool writeAll(int descriptor, const QByteArray& bytes) {
    QFile file;
    if (!file.open(descriptor, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        return false;
    }
    const bool written = file.write(bytes) == bytes.size() && file.flush() &&
                         platform::AtomicFile::sync(file.handle());
    file.close();
    return written && file.error() == QFileDevice::NoError;
}
} // namespace

bool TPageFilling::Load(QIODevice& stream) {
    Clear();
    const qint64 size = stream.bytesAvailable();
    if (size < countSize || size > countSize + qint64(ItemSize) * MaxItems ||
        (size - countSize) % ItemSize != 0) {
        return false;
    }
    if (!LoadFromStream(stream) || countSize + qint64(ItemSize) * Count() != size) {
        Clear();
        return false;
    }
    dropForeignSheets();
    return true;
}

bool TPageFilling::LoadFile(const QString& path) {
    Clear();
    // A named pipe or a device in the file's place would block or never end.
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && Load(file);
}

bool TPageFilling::SaveFile(const QString& path) const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !SaveToStream(buffer)) {
        return false;
    }
    platform::AtomicFile target(QFile::encodeName(path).toStdString());
    const int descriptor = target.open();
    return descriptor >= 0 && writeAll(target.release(), bytes) && target.commit();
}

void TPageFilling::AddArea(const TPrintedArea& area) {
    while (Count() >= MaxItems) {
        DeleteItem(0);
    }
    Add(std::make_unique<TPrintedArea>(area));
}

void TPageFilling::ClearSheet(int sheet) {
    for (int i = Count() - 1; i >= 0; --i) {
        if (Items(i)->Sheet == sheet) {
            DeleteItem(i);
        }
    }
}

int TPageFilling::CountOnSheet(int sheet) const {
    int count = 0;
    for (int i = 0; i < Count(); ++i) {
        count += Items(i)->Sheet == sheet ? 1 : 0;
    }
    return count;
}

std::unique_ptr<TPrintedArea> TPageFilling::ReadItem(QIODevice& stream) {
    auto area = std::make_unique<TPrintedArea>();
    if (!readValue(stream, area->Left) || !readValue(stream, area->Top) ||
        !readValue(stream, area->Right) || !readValue(stream, area->Bottom) ||
        !readValue(stream, area->Sheet)) {
        return nullptr;
    }
    return area;
}

bool TPageFilling::WriteItem(QIODevice& stream, const TPrintedArea& item) const {
    return writeValue(stream, item.Left) && writeValue(stream, item.Top) &&
           writeValue(stream, item.Right) && writeValue(stream, item.Bottom) &&
           writeValue(stream, item.Sheet);
}

void TPageFilling::dropForeignSheets() {
    for (int i = Count() - 1; i >= 0; --i) {
        if (!onKnownSheet(*Items(i))) {
            DeleteItem(i);
        }
    }
}
