#include "platform/memory_block.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <sys/mman.h>

namespace platform {

namespace {

constexpr std::uint32_t blockMagic = 0x4B4C424D; // "MBLK"

// The data area is preceded by a prefix that points back at the control record, which
// lets memHandle find the handle of a locked address without any lookup table. The
// prefix keeps the data aligned as malloc would.
struct alignas(std::max_align_t) DataPrefix {
    MemoryBlock* owner;
};

} // namespace

struct MemoryBlock {
    std::uint32_t magic;
    unsigned lockCount;
    std::size_t size;
    DataPrefix* storage;
};

namespace {

bool isValid(const MemoryBlock* block) {
    return block != nullptr && block->magic == blockMagic;
}

std::byte* dataOf(DataPrefix* storage) {
    return reinterpret_cast<std::byte*>(storage + 1);
}

constexpr std::size_t hugePage = std::size_t{2} << 20;

// A picture-sized block is written whole soon after it is made (a copy of a picture, a decoded
// file); asking the kernel for huge pages makes that first write take one fault every 2 MB
// instead of one every 4 KB, which otherwise costs several times the copy itself. Only the
// whole huge pages inside the block are asked for; the kernel may decline.
void preferHugePages(void* storage, std::size_t size) {
    if (size < 2 * hugePage) {
        return;
    }
    const auto start = reinterpret_cast<std::uintptr_t>(storage);
    const std::uintptr_t first = (start + hugePage - 1) & ~(std::uintptr_t{hugePage} - 1);
    const std::uintptr_t end = (start + size) & ~(std::uintptr_t{hugePage} - 1);
    if (end > first) {
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    }
}

// Zero-filled storage comes from calloc, which large blocks get as untouched zero pages.
DataPrefix* allocateStorage(std::size_t size, bool zeroed) {
    if (size > SIZE_MAX - sizeof(DataPrefix)) {
        return nullptr;
    }
    void* storage =
        zeroed ? std::calloc(1, sizeof(DataPrefix) + size) : std::malloc(sizeof(DataPrefix) + size);
    if (storage != nullptr) {
        preferHugePages(storage, sizeof(DataPrefix) + size);
    }
    return static_cast<DataPrefix*>(storage);
}

} // namespace

MemHandle memAlloc(std::size_t size, unsigned flags) {
    auto* block = static_cast<MemoryBlock*>(std::malloc(sizeof(MemoryBlock)));
    if (block == nullptr) {
        return nullptr;
    }
    DataPrefix* storage = allocateStorage(size, (flags & MemZeroInit) != 0);
    if (storage == nullptr) {
        std::free(block);
        return nullptr;
    }
    storage->owner = block;
    *block = MemoryBlock{blockMagic, 0, size, storage};
    return block;
}

MemHandle memReAlloc(MemHandle handle, std::size_t size, unsigned flags) {
    if (!isValid(handle) || handle->lockCount != 0) {
        return nullptr;
    }
    if (size > SIZE_MAX - sizeof(DataPrefix)) {
        return nullptr;
    }
    void* moved = std::realloc(handle->storage, sizeof(DataPrefix) + size);
    if (moved == nullptr) {
        return nullptr;
    }
    handle->storage = static_cast<DataPrefix*>(moved);
    if ((flags & MemZeroInit) != 0 && size > handle->size) {
        std::memset(dataOf(handle->storage) + handle->size, 0, size - handle->size);
    }
    handle->size = size;
    return handle;
}

void* memLock(MemHandle handle) {
    if (!isValid(handle)) {
        return nullptr;
    }
    ++handle->lockCount;
    return dataOf(handle->storage);
}

bool memUnlock(MemHandle handle) {
    if (!isValid(handle) || handle->lockCount == 0) {
        return false;
    }
    --handle->lockCount;
    return handle->lockCount != 0;
}

MemHandle memFree(MemHandle handle) {
    if (!isValid(handle)) {
        return handle;
    }
    handle->magic = 0;
    std::free(handle->storage);
    std::free(handle);
    return nullptr;
}

std::size_t memSize(MemHandle handle) {
    return isValid(handle) ? handle->size : 0;
}

unsigned memLockCount(MemHandle handle) {
    return isValid(handle) ? handle->lockCount : 0;
}

MemHandle memHandle(const void* data) {
    if (data == nullptr) {
        return nullptr;
    }
    const auto* prefix = reinterpret_cast<const DataPrefix*>(data) - 1;
    MemoryBlock* owner = prefix->owner;
    if (!isValid(owner) || owner->storage != prefix) {
        return nullptr;
    }
    return owner;
}

} // namespace platform
