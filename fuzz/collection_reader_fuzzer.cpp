// Feeds arbitrary bytes to the collection file reader and draws every entry's picture: no
// crash, no unbounded allocation, and a failed load leaves an empty list with a reason.
#include "entry_picture.h"
#include "palette_list.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TPaletteList list;
    if (!list.Load(buffer)) {
        if (list.Count() != 0 || list.LastError == TPaletteList::None) {
            std::abort();
        }
        return 0;
    }
    for (int i = 0; i < list.Count(); ++i) {
        const QByteArray picture = list[i]->PictureBytes();
        const QSize size = pictureSize(picture);
        pictureTopLeft(picture, std::min(size.width(), 64), std::min(size.height(), 64));
    }
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    if (!list.Save(out)) {
        std::abort();
    }
    return 0;
}
