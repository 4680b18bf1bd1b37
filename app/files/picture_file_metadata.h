// The metadata of the program's picture files on their way in and out: read from the file a
// picture is opened from, with the picture turned upright by its EXIF orientation, and written
// into the file it is saved as before that file replaces the old one.
#pragma once

#include "dib_image.h"
#include "picture_metadata.h"

#include "platform/picture_metadata_file.h"

PictureMetadata toPictureMetadata(const platform::MetadataBlocks& blocks);
platform::MetadataBlocks toMetadataBlocks(const PictureMetadata& metadata);

// Reads the metadata of the file (name encoded for the file system) that `image` was just
// read from, and turns the picture upright by the file's EXIF orientation; the metadata then
// says orientation 1. Returns 0, or IP_NO_MEMORY (nothing read, the picture unchanged) when
// the turned picture cannot be allocated.
int LoadMetadataUpright(const char* fileName, TDIBImage& image, PictureMetadata& metadata);

// Saves the picture as SaveToFile does and, when the format holds metadata (JPEG, TIFF, PNG)
// and there is some, writes the metadata into the new file before it replaces the old one.
// Returns SaveToFile's result; IP_WRITE_FAILED when the metadata cannot be written and
// IP_CANNOT_OPEN when the new file cannot be made or put in place, the old file intact.
int SaveImageWithMetadata(const TDIBImage& image, const char* fileName,
                          TImportExportProgress progress, std::uint32_t formatBits,
                          const PictureMetadata& metadata);
