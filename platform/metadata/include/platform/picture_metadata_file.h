// The metadata of picture files: the EXIF block, the XMP packet and the ICC colour profile,
// read from a file as raw bytes so that they can travel with the picture through corrections
// and be written into the file it is saved as.
//
// The blocks describe the picture, not the file: the EXIF block leaves out the tags that say
// how a file stores its pixels (sizes, strips, compression, resolution, which every format
// writes for itself), the thumbnail and the sub-images, and the tags the other two blocks
// carry (ICC profile, XMP packet). Its orientation is 1, as the program turns every picture
// upright on reading. JPEG, TIFF and PNG files hold the blocks; BMP and PCX files hold none.
#pragma once

#include <string>

namespace platform {

struct MetadataBlocks {
    std::string exif; // a TIFF structure ("II*\0" or "MM\0*" first); empty when there is none
    std::string xmp;  // the XMP packet, UTF-8
    std::string icc;  // the ICC profile

    bool empty() const { return exif.empty() && xmp.empty() && icc.empty(); }
    bool operator==(const MetadataBlocks&) const = default;
};

struct FileMetadata {
    MetadataBlocks blocks;
    // The EXIF orientation the file states (1 to 8; 1 when it states none or another value).
    int orientation = 1;
    // TIFF files: the image-file library turns their pixels upright by this same tag already.
    bool decodedUpright = false;

    // The orientation the decoded pixels still have, to be undone by the reader.
    int orientationToApply() const { return decodedUpright ? 1 : orientation; }
};

// The metadata of a picture file; empty blocks and orientation 1 when the file has none or
// cannot be read for it (the pixels may still be readable).
FileMetadata readPictureMetadata(const std::string& path);

// Writes the blocks into a picture file just written by the image-file library (JPEG, TIFF or
// PNG): the EXIF block with orientation 1, without a thumbnail, and with the pixel sizes of its
// Exif part made those of the file; the XMP packet as it stands; the ICC profile as the
// format's colour profile. Empty blocks leave the file's own. False, the file perhaps half
// rewritten, when the file cannot be read or written or the EXIF block is no TIFF structure.
bool writePictureMetadata(const std::string& path, const MetadataBlocks& blocks);

// Whether a file of that name holds metadata: whether its extension names JPEG, TIFF or PNG, as
// the image-file library chooses the format by it.
bool formatHoldsMetadata(const std::string& path);

} // namespace platform
