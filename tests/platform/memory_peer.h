// Memory-block calls made from inside another shared library.
#pragma once

#include "platform/memory_block.h"

#define PEER_API __attribute__((visibility("default")))

PEER_API platform::MemHandle peerAllocFilled(std::size_t size, unsigned char value);
PEER_API void* peerLock(platform::MemHandle handle);
PEER_API bool peerUnlock(platform::MemHandle handle);
PEER_API platform::MemHandle peerFree(platform::MemHandle handle);
PEER_API std::size_t peerSize(platform::MemHandle handle);
