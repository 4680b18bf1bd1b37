// The preset: one processing file loaded once and applied to any number of bitmaps held in
// movable memory blocks, without touching the repeat slots.
#pragma once

#include "tintworks.h"

namespace tintworks {

// Empties the preset, then loads the file into it. TWK_OK, TWK_FILE_READ_ERROR or
// TWK_NOT_PROCESSING (the preset stays empty).
int setPresetFile(const char* fileName);

// Replays the preset in place on the packed 24-bit bitmap in the block. TWK_NO_PRESET,
// TWK_INVALID_PARAMS (no block, not lockable, not 24 bits per pixel, or a header or size
// the block cannot hold), TWK_OK for a bitmap without rows (height <= 0), or the replay's
// result. The block is unlocked again on every path.
int applyPreset(TWKMemHandle bitmap);

} // namespace tintworks
