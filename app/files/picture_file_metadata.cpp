#include "picture_file_metadata.h"

#include "image_orientation.h"

#include "platform/staged_picture_file.h"

namespace {

QByteArray bytesOf(const std::string& block) {
    return QByteArray(block.data(), static_cast<qsizetype>(block.size()));
}

std::string blockOf(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

PictureMetadata toPictureMetadata(const platform::MetadataBlocks& blocks) {
    return {bytesOf(blocks.exif), bytesOf(blocks.xmp), bytesOf(blocks.icc)};
}

platform::MetadataBlocks toMetadataBlocks(const PictureMetadata& metadata) {
    return {blockOf(metadata.Exif), blockOf(metadata.Xmp), blockOf(metadata.Icc)};
}

int LoadMetadataUpright(const char* fileName, TDIBImage& image, PictureMetadata& metadata) {
    const platform::FileMetadata read = platform::readPictureMetadata(fileName);
    if (TurnUpright(image, read.orientationToApply()) != 0) {
        return IP_NO_MEMORY;
    }
    metadata = toPictureMetadata(read.blocks);
    return 0;
}

int SaveImageWithMetadata(const TDIBImage& image, const char* fileName,
                          TImportExportProgress progress, std::uint32_t formatBits,
                          const PictureMetadata& metadata) {
    if (metadata.IsEmpty() || !platform::formatHoldsMetadata(fileName)) {
        return image.SaveToFile(fileName, progress, formatBits);
    }
    platform::StagedPictureFile staged(fileName);
    if (!staged.create()) {
        return IP_CANNOT_OPEN;
    }
    if (const int saved = image.SaveToFile(staged.path().c_str(), progress, formatBits);
        saved != 0) {
        return saved;
    }
    if (!platform::writePictureMetadata(staged.path(), toMetadataBlocks(metadata))) {
        return IP_WRITE_FAILED;
    }
    return staged.commit() ? 0 : IP_CANNOT_OPEN;
}
