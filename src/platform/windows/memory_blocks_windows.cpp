#include "platform/memory_blocks.h"

#include <cstdint>
#include <windows.h>

namespace quillet::platform {

// Blocks of the Windows global memory, as the block table was made for: a
// fixed block's handle is what GlobalAlloc returns, its address what
// GlobalLock gives.  GlobalAlloc may answer a request for 0 bytes with a
// discarded block that has no address, hence at least one byte.

namespace {
SIZE_T AtLeastOne(std::size_t size) { return size == 0 ? 1 : size; }

void* Lock(HGLOBAL handle) { return handle ? GlobalLock(handle) : nullptr; }
}  // namespace

MemoryBlock AllocateZeroedBlock(std::size_t size) {
    const HGLOBAL handle = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, AtLeastOne(size));
    return MemoryBlock{handle, Lock(handle)};
}

MemoryBlock AllocateZeroedAlignedBlock(std::size_t size, std::size_t alignment) {
    // Global memory is aligned for any fundamental type only; a larger
    // alignment takes the block's first aligned address.
    if (alignment <= MEMORY_ALLOCATION_ALIGNMENT) return AllocateZeroedBlock(size);
    const HGLOBAL handle = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, AtLeastOne(size) + alignment - 1);
    auto* base = static_cast<char*>(Lock(handle));
    if (base == nullptr) {
        if (handle) GlobalFree(handle);
        return MemoryBlock{};
    }
    const auto at = reinterpret_cast<std::uintptr_t>(base);
    const std::uintptr_t aligned = (at + alignment - 1) & ~static_cast<std::uintptr_t>(alignment - 1);
    return MemoryBlock{handle, base + (aligned - at)};
}

MemoryBlock ResizeBlock(MemoryBlock block, std::size_t size) {
    if (block.handle == nullptr) return AllocateZeroedBlock(size);
    GlobalUnlock(block.handle);
    const HGLOBAL handle = GlobalReAlloc(block.handle, AtLeastOne(size), GMEM_MOVEABLE);
    if (handle == nullptr) {
        // The old block stays the caller's, locked as it was.
        GlobalLock(block.handle);
        return MemoryBlock{};
    }
    return MemoryBlock{handle, Lock(handle)};
}

void ReleaseBlock(MemoryBlock block) {
    if (block.handle == nullptr) return;
    GlobalUnlock(block.handle);
    GlobalFree(block.handle);
}

}  // namespace quillet::platform
