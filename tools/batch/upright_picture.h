// Pictures as the batch tool reads them: upright by the EXIF orientation of their file, as the
// program shows them, so that rectangles given in pixels and the results agree with what the
// user sees there.
#pragma once

#include "platform/memory_block.h"
#include "platform/picture_metadata_file.h"

#include <optional>
#include <string>

// Turns `picture` (an unlocked packed 24-bit bitmap block just read from `file`) upright by
// the file's EXIF orientation; the block may be replaced by another. Returns the file's
// metadata, which then says orientation 1; nothing, the picture unchanged, when memory for the
// turned picture is short.
std::optional<platform::MetadataBlocks> turnUpright(platform::MemHandle& picture,
                                                    const std::string& file);
