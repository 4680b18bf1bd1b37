#include "upright_picture.h"

#include "dib_image.h"
#include "image_orientation.h"

std::optional<platform::MetadataBlocks> turnUpright(platform::MemHandle& picture,
                                                    const std::string& file) {
    platform::FileMetadata metadata = platform::readPictureMetadata(file);
    TDIBImage image;
    image.AttachHandle(picture);
    const int turned = TurnUpright(image, metadata.orientationToApply());
    picture = image.Handle;
    platform::memUnlock(picture);
    image.Clear(false);
    if (turned != 0) {
        return std::nullopt;
    }
    return std::move(metadata.blocks);
}
