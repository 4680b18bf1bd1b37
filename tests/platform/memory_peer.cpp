#include "memory_peer.h"

#include <cstring>

using namespace platform;

platform::MemHandle peerAllocFilled(std::size_t size, unsigned char value) {
    MemHandle handle = memAlloc(size);
    std::memset(memLock(handle), value, size);
    memUnlock(handle);
    return handle;
}

void* peerLock(MemHandle handle) {
    return memLock(handle);
}
bool peerUnlock(MemHandle handle) {
    return memUnlock(handle);
}
MemHandle peerFree(MemHandle handle) {
    return memFree(handle);
}
std::size_t peerSize(MemHandle handle) {
    return memSize(handle);
}
