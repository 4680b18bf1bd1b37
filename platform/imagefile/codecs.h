// The format readers and writers behind ipImportInd and ipExportInd. Readers take the whole
// file's bytes and fill a DibBuffer; writers take a DibView and write to an open file. All
// return IP_* codes.
#pragma once

#include "dib.h"
#include "progress.h"

#include <cstdio>
#include <span>

namespace imagefile {

using Bytes = std::span<const std::uint8_t>;

int readBmp(Bytes file, Progress& progress, DibBuffer& out);
int readPcx(Bytes file, Progress& progress, DibBuffer& out);
int readJpeg(Bytes file, Progress& progress, DibBuffer& out);
int readPng(Bytes file, Progress& progress, DibBuffer& out);
int readTiff(Bytes file, Progress& progress, DibBuffer& out);

int writeBmp(const DibView& picture, std::FILE* file, Progress& progress);
int writePcx(const DibView& picture, std::FILE* file, Progress& progress);
// quality: 1..100
int writeJpeg(const DibView& picture, std::FILE* file, int quality, Progress& progress);
int writePng(const DibView& picture, std::FILE* file, bool interlaced, Progress& progress);
int writeTiff(const DibView& picture, int descriptor, bool packBits, Progress& progress);

} // namespace imagefile
