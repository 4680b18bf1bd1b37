// Processing files: a stored processing on disk, a 20-byte header ("HMPRESET" and its zero
// byte, three padding bytes, version 1, operation type) and the body of its repeat object.
#pragma once

#include "byte_stream.h"
#include "repeat_objects.h"

#include <memory>

namespace tintworks {

constexpr std::uint32_t processingFileVersion = 1;

// Reads a header and body. TWK_OK with the new, available object; TWK_NOT_PROCESSING for a
// wrong signature or an unknown type; TWK_FILE_READ_ERROR for a short header or a body that
// is truncated or inconsistent. `type` receives the header's type once it is known.
int readProcessing(ByteSource& source, std::int32_t& type,
                   std::unique_ptr<TRepeatBase>& processing);

bool writeProcessing(ByteSink& sink, std::int32_t type, const TRepeatBase& processing);

// Writes the file through a temporary file in the same folder that replaces it only once it
// is complete, so a failed save leaves an existing file as it was. TWK_OK or
// TWK_FILE_WRITE_ERROR.
int saveProcessingFile(const char* fileName, std::int32_t type, const TRepeatBase& processing);

// TWK_OK, TWK_FILE_READ_ERROR (cannot open or read) or TWK_NOT_PROCESSING.
int loadProcessingFile(const char* fileName, std::int32_t& type,
                       std::unique_ptr<TRepeatBase>& processing);

} // namespace tintworks
