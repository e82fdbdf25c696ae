#pragma once
// Zero-filled memory blocks straight from the operating system's C library.
//
// These are the only functions the block table may use for memory: anything
// that went through operator new would come back into the table itself.
#include <cstddef>

namespace quillet::platform {

// A block as the platform hands it out.  Where the platform separates the
// owning handle from the usable address, both are kept; here they coincide.
struct MemoryBlock {
    void* handle = nullptr;
    void* address = nullptr;
};

// A zero-filled block of size bytes; a request for 0 bytes still gives a
// distinct block.  address is null when memory is exhausted.
MemoryBlock AllocateZeroedBlock(std::size_t size);

// As above, with address a multiple of alignment (a power of two).
MemoryBlock AllocateZeroedAlignedBlock(std::size_t size, std::size_t alignment);

// Resizes block to size bytes, moving it if need be; the first
// min(old, new) bytes are kept, any growth is not zero-filled.  A block with
// a null handle is allocated afresh.  On failure the result has a null
// address and block is left untouched and still owned by the caller.
// Alignment beyond the default is not kept.
MemoryBlock ResizeBlock(MemoryBlock block, std::size_t size);

// Gives block back; a null handle is ignored.
void ReleaseBlock(MemoryBlock block);

}  // namespace quillet::platform
