// Movable memory blocks: the exchange form of images and record arrays between the
// program, the engine library and the image-file, scanner and clipboard code.
//
// A handle names a block whose data may move while it is unlocked (memReAlloc). The
// handle itself is the address of a small control record allocated from the C heap, so
// any module of the process can lock, size or free a block made by another one: there
// is no per-module table of handles. All functions are safe to call with a null handle.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

struct MemoryBlock;
using MemHandle = MemoryBlock*;

enum MemFlags : unsigned {
    MemMovable = 0,  // every block is movable; kept for readability at call sites
    MemZeroInit = 1, // fill the new data with zero bytes
};

// Allocates a block of `size` bytes (0 is allowed). Returns null when memory is short;
// never throws.
MemHandle memAlloc(std::size_t size, unsigned flags = MemMovable);

// Changes the size of an unlocked block, keeping min(old, new) bytes; with MemZeroInit
// the added bytes are zero. Returns the same handle, or null (block unchanged) when the
// handle is null or locked, or memory is short.
MemHandle memReAlloc(MemHandle handle, std::size_t size, unsigned flags = MemMovable);

// Locks the block and returns its data address, stable until the matching unlock.
// Locks nest. Returns null for a null handle.
void* memLock(MemHandle handle);

// Undoes one lock. Returns true while the block is still locked afterwards, false when
// it is now unlocked (also for a null handle or a block that was not locked).
bool memUnlock(MemHandle handle);

// Frees the block whatever its lock count. Returns null on success, the handle itself
// when it was not a valid block.
MemHandle memFree(MemHandle handle);

// The size in bytes that was asked for, 0 for a null handle.
std::size_t memSize(MemHandle handle);

// The number of outstanding locks, 0 for a null handle.
unsigned memLockCount(MemHandle handle);

// The handle of the block whose data starts at `data`. `data` must be null or an address
// that memLock returned for a block that is still allocated (it may have been unlocked
// since); null for a null address or when the block's control record no longer names it.
MemHandle memHandle(const void* data);

} // namespace platform
