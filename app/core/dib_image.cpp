#include "dib_image.h"

#include "image_edits.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

std::uint32_t headerSizeOf(const BITMAPINFOHEADER& header) {
    if (header.biBitCount == 24 || header.biClrUsed != 0) {
        return 40 + 4 * std::min<std::uint32_t>(header.biClrUsed, 256);
    }
    return header.biBitCount <= 8 ? 40 + 4 * (1u << header.biBitCount) : 40;
}

std::uint32_t rowStrideOf(const BITMAPINFOHEADER& header) {
    const std::int64_t bits = std::int64_t{header.biWidth} * header.biBitCount;
    return bits <= 0 ? 0 : static_cast<std::uint32_t>((bits + 31) / 32 * 4);
}

namespace {
std::uint32_t heightOf(const BITMAPINFOHEADER& header) {
    return header.biHeight < 0 ? 0u : static_cast<std::uint32_t>(header.biHeight);
}
} // namespace

TDIBImage::~TDIBImage() {
    Clear(true);
}

std::uint32_t TDIBImage::HeaderSize() const {
    return Header != nullptr ? headerSizeOf(*Header) : 0;
}
std::uint32_t TDIBImage::RowStride() const {
    return Header != nullptr ? rowStrideOf(*Header) : 0;
}
std::uint32_t TDIBImage::ImageSize() const {
    return Header != nullptr ? RowStride() * heightOf(*Header) : 0;
}
std::int32_t TDIBImage::Width() const {
    return Header != nullptr ? Header->biWidth : 0;
}
std::int32_t TDIBImage::Height() const {
    return Header != nullptr ? Header->biHeight : 0;
}
std::uint16_t TDIBImage::BitCount() const {
    return Header != nullptr ? Header->biBitCount : 0;
}

namespace {
void freeBlockAt(const void* data) {
    platform::MemHandle handle = platform::memHandle(data);
    if (handle != nullptr) {
        platform::memUnlock(handle);
        platform::memFree(handle);
    }
}
} // namespace

void TDIBImage::Clear(bool freeMemory) {
    if (freeMemory) {
        if (Handle != nullptr) {
            platform::memUnlock(Handle);
            platform::memFree(Handle);
        } else {
            freeBlockAt(Header);
            freeBlockAt(Bits);
        }
    }
    Handle = nullptr;
    Header = nullptr;
    Bits = nullptr;
}

bool TDIBImage::CreateFromHeader(const BITMAPINFOHEADER& header) {
    Clear(true);
    const std::uint64_t size =
        std::uint64_t{headerSizeOf(header)} + std::uint64_t{rowStrideOf(header)} * heightOf(header);
    // Zeroed: the padding at the end of each row is written to files and the clipboard as it
    // stands, and must not carry whatever the memory held before.
    platform::MemHandle handle = platform::memAlloc(static_cast<std::size_t>(size),
                                                    platform::MemMovable | platform::MemZeroInit);
    if (handle == nullptr) {
        return false;
    }
    Handle = handle;
    Header = static_cast<BITMAPINFOHEADER*>(platform::memLock(handle));
    std::memcpy(Header, &header, sizeof header);
    Bits = reinterpret_cast<std::uint8_t*>(Header) + headerSizeOf(header);
    return true;
}

bool TDIBImage::CreateLike(const TDIBImage& source) {
    Clear(true);
    if (source.Header == nullptr || !CreateFromHeader(*source.Header)) {
        return false;
    }
    std::memcpy(Header, source.Header, source.HeaderSize());
    return true;
}

void TDIBImage::AttachPointers(void* header, void* bits) {
    Clear(true);
    Header = static_cast<BITMAPINFOHEADER*>(header);
    Bits = static_cast<std::uint8_t*>(bits);
}

void TDIBImage::AttachHandle(platform::MemHandle handle) {
    Clear(true);
    Handle = handle;
    Header = static_cast<BITMAPINFOHEADER*>(platform::memLock(handle));
    Bits = Header != nullptr ? reinterpret_cast<std::uint8_t*>(Header) + HeaderSize() : nullptr;
}

TImageDesc TDIBImage::Describe() const {
    return TImageDesc{Width(), Height(), static_cast<std::int32_t>(RowStride()), TWK_ROWS_BOTTOM_UP,
                      3,       Bits};
}

BgrColor TDIBImage::ExtractColor(const QRect& rect) const {
    TImageRegion area{rect.left(), rect.top(), rect.left() + rect.width(),
                      rect.top() + rect.height(), nullptr};
    TExtractColorParams params{};
    params.Size = sizeof params;
    params.Image = Describe();
    params.Area = &area;
    if (TWKExtractImageColor(&params) != TWK_OK) {
        return {0, 0, 0};
    }
    return {params.Color[0], params.Color[1], params.Color[2]};
}

platform::MemHandle TDIBImage::CopyRectToHandle(const QRect& rect) const {
    TDIBImage cropped;
    if (Crop(const_cast<TDIBImage&>(*this), rect, cropped, nullptr) != 0) {
        return nullptr;
    }
    platform::MemHandle handle = cropped.Handle;
    platform::memUnlock(handle);
    cropped.Clear(false);
    return handle;
}

bool TDIBImage::CopyRectFrom(const TDIBImage& source, const QRect& rect,
                             const QPoint& destination) {
    if (BitCount() != 24 || source.BitCount() != 24) {
        return false;
    }
    // Clip to the source, then to this picture at the destination.
    QRect from = rect.intersected(QRect(0, 0, source.Width(), source.Height()));
    const QPoint shift = destination - rect.topLeft();
    from = from.intersected(QRect(0, 0, Width(), Height()).translated(-shift));
    for (int y = from.top(); y <= from.bottom(); ++y) {
        const std::uint8_t* src =
            source.Bits + static_cast<std::size_t>(source.Height() - 1 - y) * source.RowStride() +
            static_cast<std::size_t>(from.left()) * 3;
        const int toY = y + shift.y();
        std::uint8_t* dst = Bits + static_cast<std::size_t>(Height() - 1 - toY) * RowStride() +
                            static_cast<std::size_t>(from.left() + shift.x()) * 3;
        std::memmove(dst, src, static_cast<std::size_t>(from.width()) * 3);
    }
    return true;
}

namespace {
// The colour table entries the header size counts, as Qt colours.
QList<QRgb> colourTableOf(const TDIBImage& image) {
    const auto* table = reinterpret_cast<const std::uint8_t*>(image.Header) + 40;
    QList<QRgb> colours((image.HeaderSize() - 40) / 4);
    for (qsizetype i = 0; i < colours.size(); ++i) {
        colours[i] = qRgb(table[4 * i + 2], table[4 * i + 1], table[4 * i]);
    }
    return colours;
}

// A 24- or 8-bit picture as red, green, blue with the top row first. 8-bit pixels take their
// colour table entry; Qt pads a short table with black, so an index beyond it shows black
// instead of reading past the table.
QImage rgbPictureOf(const TDIBImage& image) {
    const bool indexed = image.BitCount() == 8;
    QImage stored(static_cast<const uchar*>(image.Bits), image.Width(), image.Height(),
                  static_cast<qsizetype>(image.RowStride()),
                  indexed ? QImage::Format_Indexed8 : QImage::Format_BGR888);
    if (indexed) {
        stored.setColorTable(colourTableOf(image));
    }
    return stored.mirrored().convertToFormat(QImage::Format_RGB888);
}

// Where a picture starts along a side on which it leaves `spare` pixels: align 0 at the start,
// 1 at the end, 2 centred (the free space halved, rounded towards zero).
int alignedStart(int spare, int align) {
    return align == 0 ? 0 : align == 1 ? spare : spare / 2;
}
} // namespace

QImage TDIBImage::MakeThumbnail(const BITMAPINFOHEADER* header, const std::uint8_t* bits,
                                QSize size, int horizontalAlign, int verticalAlign,
                                bool keepProportions) {
    if (header == nullptr || bits == nullptr || header->biWidth <= 0 || header->biHeight <= 0 ||
        size.isEmpty()) {
        return {};
    }
    QSize scaled = size;
    if (keepProportions) {
        const double ratio = std::min(static_cast<double>(size.width()) / header->biWidth,
                                      static_cast<double>(size.height()) / header->biHeight);
        scaled = QSize(std::max(1, static_cast<int>(std::lround(header->biWidth * ratio))),
                       std::max(1, static_cast<int>(std::lround(header->biHeight * ratio))));
    }
    TDIBImage source;
    source.AttachPointers(const_cast<BITMAPINFOHEADER*>(header), const_cast<std::uint8_t*>(bits));
    TDIBImage resampled;
    const int result = Resize(source, scaled.width(), scaled.height(), nullptr, resampled);
    source.Clear(false);
    if (result != 0) {
        return {};
    }
    QImage thumbnail(size, QImage::Format_RGB888);
    thumbnail.fill(Qt::white);
    QPainter painter(&thumbnail);
    painter.drawImage(QPoint(alignedStart(size.width() - scaled.width(), horizontalAlign),
                             alignedStart(size.height() - scaled.height(), verticalAlign)),
                      rgbPictureOf(resampled));
    painter.end();
    return thumbnail;
}

namespace {
int programCode(int libraryCode) {
    return libraryCode == IP_CANCELLED ? -1 : libraryCode;
}
} // namespace

int TDIBImage::LoadFromFile(const char* fileName, TImportExportProgress progress) {
    TImportExportParams params{};
    params.Size = sizeof params;
    params.Flags = IP_IMPORT;
    params.Progress = progress;
    params.FileName = fileName;
    const int result = ipImportInd(&params);
    if (result == IP_OK || result == IP_INCOMPLETE) {
        AttachHandle(static_cast<platform::MemHandle>(params.Bitmap));
    }
    return programCode(result);
}

int TDIBImage::SaveToFile(const char* fileName, TImportExportProgress progress,
                          std::uint32_t formatBits) const {
    TImportExportParams params{};
    params.Size = sizeof params;
    params.Flags = IP_EXPORT | formatBits;
    params.Progress = progress;
    params.FileName = fileName;
    params.Bitmap = Handle;
    return programCode(ipExportInd(&params));
}
