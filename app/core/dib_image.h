// TDIBImage: every picture the program holds, as one packed device-independent bitmap (the
// 40-byte header, a colour table and bottom-up rows padded to 4 bytes) in one movable memory
// block. The same block goes to the image-file library, the clipboard and, through pointers
// into it, to the colour engine.
#pragma once

#include "platform/image_file.h"
#include "platform/memory_block.h"
#include "platform/packed_bitmap.h"
#include "tintworks.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>
#include <cstdint>

// Blue, green, red.
using BgrColor = std::array<std::uint8_t, 3>;

class TDIBImage {
public:
    TDIBImage() = default;
    ~TDIBImage();
    TDIBImage(const TDIBImage&) = delete;
    TDIBImage& operator=(const TDIBImage&) = delete;

    // Sizes from the header; 0 while the image is empty.
    std::uint32_t HeaderSize() const; // 40 + the colour table
    std::uint32_t RowStride() const;  // ((width * bit count + 31) div 32) * 4
    std::uint32_t ImageSize() const;  // row stride * height
    std::int32_t Width() const;
    std::int32_t Height() const;
    std::uint16_t BitCount() const;

    // Forgets the memory; with freeMemory, frees it too (the one block, or with attached
    // pointers the two blocks they start). Corrected keeps its value.
    void Clear(bool freeMemory);
    // A new block for this header with its colour table and rows left unwritten; false (and
    // empty) when memory is short.
    bool CreateFromHeader(const BITMAPINFOHEADER& header);
    // A block like the source's, with its header and colour table; rows unwritten.
    bool CreateLike(const TDIBImage& source);
    // Uses memory owned elsewhere, for as long as the caller says (detach with Clear(false)).
    void AttachPointers(void* header, void* bits);
    // Takes a block holding a packed bitmap as its own.
    void AttachHandle(platform::MemHandle handle);

    // The engine's representative colour of a rectangle; 0,0,0 when the engine refuses.
    BgrColor ExtractColor(const QRect& rect) const;
    // The rectangle cropped into a new block that the caller owns; null on failure.
    platform::MemHandle CopyRectToHandle(const QRect& rect) const;
    // Copies a rectangle of another 24-bit image to `destination`; false (nothing copied)
    // unless both are 24-bit. The rectangle is clipped to both pictures.
    bool CopyRectFrom(const TDIBImage& source, const QRect& rect, const QPoint& destination);
    // The packed 24- or 8-bit bitmap (8-bit through its colour table, black for an index
    // beyond it) scaled (nearest neighbour) onto a white image of `size`, aligned 0 left/top,
    // 1 right/bottom, 2 centred; null when the picture cannot be resampled (other depths).
    static QImage MakeThumbnail(const BITMAPINFOHEADER* header, const std::uint8_t* bits,
                                QSize size, int horizontalAlign, int verticalAlign,
                                bool keepProportions);

    // Through the image-file library: 0, -1 when cancelled, else the library's code. With
    // IP_INCOMPLETE the image holds the part of the picture that could be read.
    int LoadFromFile(const char* fileName, TImportExportProgress progress);
    int SaveToFile(const char* fileName, TImportExportProgress progress,
                   std::uint32_t formatBits) const;

    // The image description at the head of every engine record: bottom-up, 3 bytes per pixel.
    TImageDesc Describe() const;

    platform::MemHandle Handle = nullptr;
    BITMAPINFOHEADER* Header = nullptr;
    std::uint8_t* Bits = nullptr;
    bool Corrected = false;
};

// Header size, stride and pixel area of a header, by the rules of packed bitmaps.
std::uint32_t headerSizeOf(const BITMAPINFOHEADER& header);
std::uint32_t rowStrideOf(const BITMAPINFOHEADER& header);
