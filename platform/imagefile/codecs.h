// The format readers and writers behind ipImportInd and ipExportInd. Readers take the file's
// bytes through a Source and fill a DibBuffer (on IP_OK, and on IP_INCOMPLETE with the part that
// could be read); writers take a DibView and write to an open file. All return IP_* codes.
#pragma once

#include "dib.h"
#include "progress.h"
#include "source.h"

#include <cstdio>
#include <optional>
#include <span>

namespace imagefile {

using Bytes = std::span<const std::uint8_t>;

// Whether a reader's result delivers a picture.
inline bool deliversPicture(int result) {
    return result == IP_OK || result == IP_INCOMPLETE;
}

int readBmp(Source& file, Progress& progress, DibBuffer& out);
int readPcx(Source& file, Progress& progress, DibBuffer& out);
int readJpeg(Source& file, Progress& progress, DibBuffer& out);
int readPng(Source& file, Progress& progress, DibBuffer& out);
int readTiff(Source& file, Progress& progress, DibBuffer& out);

// How a file was written, as far as the writers can write it so again. The quality (1..100)
// whose standard table lies nearest a JPEG file's first quantisation table; 0 when its header
// cannot be read.
int jpegQualityOf(Source& file);
// Whether a TIFF file's first picture is stored compressed; nothing when it cannot be read.
std::optional<bool> tiffIsCompressed(Source& file);

int writeBmp(const DibView& picture, std::FILE* file, Progress& progress);
int writePcx(const DibView& picture, std::FILE* file, Progress& progress);
// quality: 1..100
int writeJpeg(const DibView& picture, std::FILE* file, int quality, Progress& progress);
struct PngWriting {
    bool interlaced = false;
    // The slow compression that gives the smallest file, rather than the fast default one.
    bool smallest = false;
};
int writePng(const DibView& picture, std::FILE* file, PngWriting how, Progress& progress);
int writeTiff(const DibView& picture, int descriptor, bool packBits, Progress& progress);

} // namespace imagefile
