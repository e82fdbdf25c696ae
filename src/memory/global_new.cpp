// Every form of the program-wide operator new and delete goes through the
// block table.  malloc and free are left alone: the GUI libraries resize
// their older blocks, which the table cannot serve.
//
// The nothrow forms never return null either: exhaustion stops the program
// inside the table.
#include <cstddef>
#include <new>

#include "memory/allocator.h"

namespace {

void* Take(std::size_t size) { return quillet::ProgramBlocks().Allocate(size); }

void* TakeAligned(std::size_t size, std::align_val_t alignment) {
    return quillet::ProgramBlocks().AllocateAligned(size, static_cast<std::size_t>(alignment));
}

void Give(void* p) noexcept { quillet::ProgramBlocks().Release(p); }

}  // namespace

void* operator new(std::size_t size) { return Take(size); }
void* operator new[](std::size_t size) { return Take(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Take(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Take(size); }

void* operator new(std::size_t size, std::align_val_t alignment) {
    return TakeAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return TakeAligned(size, alignment);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return TakeAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return TakeAligned(size, alignment);
}

void operator delete(void* p) noexcept { Give(p); }
void operator delete[](void* p) noexcept { Give(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Give(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Give(p); }
void operator delete(void* p, std::size_t) noexcept { Give(p); }
void operator delete[](void* p, std::size_t) noexcept { Give(p); }

void operator delete(void* p, std::align_val_t) noexcept { Give(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Give(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { Give(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { Give(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { Give(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { Give(p); }
