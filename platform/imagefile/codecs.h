// The format readers and writers behind ipImportInd and ipExportInd. Readers take the file's
// bytes through a Source and fill a DibBuffer (on IP_OK, and on IP_INCOMPLETE with the part that
// could be read); writers take a DibView and write to an open file. All return IP_* codes.
#pragma once

#include "dib.h"
#include "progress.h"
#include "source.h"

#include <cstdint>
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

struct JpegWriting {
    int quality = 0;         // 1..100
    bool fullChroma = false; // colour not subsampled (4:4:4)
};
enum class TiffCompression : std::uint8_t { None, PackBits, Deflate };

// How a file was written, as far as the writers can write it so again. A JPEG file's quality is
// the one whose standard table lies nearest its first quantisation table; it has full chroma
// when it holds colour and every component is sampled as the first. Nothing when its header
// cannot be read.
std::optional<JpegWriting> jpegWritingOf(Source& file);
// The compression that writes a TIFF file's first picture so again: None, Deflate (under either
// of its two codes), PackBits for any other, so that a compressed file stays compressed.
// Nothing when it cannot be read.
std::optional<TiffCompression> tiffWritingOf(Source& file);

int writeBmp(const DibView& picture, std::FILE* file, Progress& progress);
int writePcx(const DibView& picture, std::FILE* file, Progress& progress);
int writeJpeg(const DibView& picture, std::FILE* file, JpegWriting how, Progress& progress);
struct PngWriting {
    bool interlaced = false;
    // The slow compression that gives the smallest file, rather than the fast default one.
    bool smallest = false;
};
int writePng(const DibView& picture, std::FILE* file, PngWriting how, Progress& progress);
int writeTiff(const DibView& picture, int descriptor, TiffCompression compression,
              Progress& progress);

} // namespace imagefile
