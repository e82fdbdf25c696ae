#include "platform/memory_blocks.h"

#include <cstdlib>
#include <cstring>

namespace quillet::platform {

namespace {

// calloc and realloc may answer a request for 0 bytes with null (which would
// read as exhaustion) and realloc(p, 0) frees p outright; a 1-byte block
// gives the same contract without either surprise.
std::size_t AtLeastOne(std::size_t size) { return size == 0 ? 1 : size; }

MemoryBlock FromPointer(void* p) { return MemoryBlock{p, p}; }

}  // namespace

MemoryBlock AllocateZeroedBlock(std::size_t size) {
    return FromPointer(std::calloc(1, AtLeastOne(size)));
}

MemoryBlock AllocateZeroedAlignedBlock(std::size_t size, std::size_t alignment) {
    // posix_memalign wants at least pointer alignment.
    if (alignment < sizeof(void*)) alignment = sizeof(void*);
    size = AtLeastOne(size);
    void* p = nullptr;
    if (posix_memalign(&p, alignment, size) != 0) return MemoryBlock{};
    std::memset(p, 0, size);
    return FromPointer(p);
}

MemoryBlock ResizeBlock(MemoryBlock block, std::size_t size) {
    return FromPointer(std::realloc(block.handle, AtLeastOne(size)));
}

void ReleaseBlock(MemoryBlock block) { std::free(block.handle); }

}  // namespace quillet::platform
