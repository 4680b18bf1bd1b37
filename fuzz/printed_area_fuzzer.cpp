// Feeds arbitrary bytes to the printed-area file reader: no crash and no unbounded allocation;
// a refused file leaves an empty list; an accepted one holds only areas of the four sheets,
// and what is written of it reads back the same.
#include "printed_area.h"

#include <QBuffer>

#include <cstdlib>

namespace {

bool sameAreas(const TPageFilling& a, const TPageFilling& b) {
    if (a.Count() != b.Count()) {
        return false;
    }
    for (int i = 0; i < a.Count(); ++i) {
        const TPrintedArea& x = *a[i];
        const TPrintedArea& y = *b[i];
        if (x.Left != y.Left || x.Top != y.Top || x.Right != y.Right || x.Bottom != y.Bottom ||
            x.Sheet != y.Sheet) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TPageFilling filling;
    if (!filling.Load(buffer)) {
        if (filling.Count() != 0) {
            std::abort();
        }
        return 0;
    }
    if (filling.Count() > TPageFilling::MaxItems) {
        std::abort();
    }
    for (int i = 0; i < filling.Count(); ++i) {
        if (filling[i]->Sheet < 0 || filling[i]->Sheet >= TPageFilling::SheetCount) {
            std::abort();
        }
    }
    QByteArray written;
    QBuffer out(&written);
    out.open(QIODevice::WriteOnly);
    if (!filling.SaveToStream(out) ||
        written.size() != 4 + qsizetype(TPageFilling::ItemSize) * filling.Count()) {
        std::abort();
    }
    out.close();
    QBuffer in(&written);
    in.open(QIODevice::ReadOnly);
    TPageFilling again;
    if (!again.Load(in) || !sameAreas(filling, again)) {
        std::abort();
    }
    return 0;
}
