#pragma once
// The block table: every block the program takes from operator new is
// recorded here, oldest first, so that the program alone decides what lives.
//
// The table is gap-free: releasing a block moves the later entries down, and
// the table's own memory grows and shrinks in steps of 256 entries.  Only
// the newest block can be resized.  Exhaustion is never reported to the
// caller: the program stops with "Out of memory" instead.
#include <cstddef>
#include <cstring>
#include <atomic>
#include <mutex>
#include <thread>

#include "platform/memory_blocks.h"

namespace quillet {

// Shows "Out of memory" captioned "ERROR" and ends the process with status 1.
// Showing the box needs memory itself, so a second entry (a failure while the
// box is up, or another thread failing meanwhile) writes the text to standard
// error and ends at once.
[[noreturn]] void StopOutOfMemory();

// Where the table takes its blocks and its own storage from.  Test doubles
// provide the same four members.
struct PlatformBlockSource {
    platform::MemoryBlock Allocate(std::size_t size) {
        return platform::AllocateZeroedBlock(size);
    }
    platform::MemoryBlock AllocateAligned(std::size_t size, std::size_t alignment) {
        return platform::AllocateZeroedAlignedBlock(size, alignment);
    }
    platform::MemoryBlock Resize(platform::MemoryBlock block, std::size_t size) {
        return platform::ResizeBlock(block, size);
    }
    void Release(platform::MemoryBlock block) { platform::ReleaseBlock(block); }
};

// The table's lock.  It must be ready before any constructor runs, and not
// every C++ runtime can build a std::mutex as a constant; an atomic flag
// always can.  Holders keep it for a few instructions, so a waiter yields
// rather than sleeps.
class TableLock {
public:
    constexpr TableLock() = default;
    void lock() {
        while (flag_.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
    }
    void unlock() { flag_.clear(std::memory_order_release); }

private:
    std::atomic_flag flag_ = ATOMIC_FLAG_INIT;
};

template <class Source>
class BlockTable {
public:
    static constexpr std::ptrdiff_t kStep = 256;

    // constexpr so that the program-wide table is ready before any static
    // constructor runs: operator new is called long before that.
    constexpr BlockTable() = default;
    explicit BlockTable(Source source) : source_(source) {}
    BlockTable(const BlockTable&) = delete;
    BlockTable& operator=(const BlockTable&) = delete;

    // Gives back what is still live.  The program-wide table is never
    // destroyed; this serves tables with a shorter life.
    ~BlockTable() {
        for (std::ptrdiff_t i = 0; i <= last_; ++i) source_.Release(entries_[i]);
        source_.Release(storage_);
    }

    // A zero-filled block of size bytes; never null.
    void* Allocate(std::size_t size) { return Enter(source_.Allocate(size)); }

    // As Allocate, at a multiple of alignment (a power of two).
    void* AllocateAligned(std::size_t size, std::size_t alignment) {
        return Enter(source_.AllocateAligned(size, alignment));
    }

    // Releases the block at address; an address the table does not hold
    // (null, foreign, or already released) is ignored.
    void Release(void* address) {
        if (address == nullptr) return;
        platform::MemoryBlock victim;
        {
            std::lock_guard<TableLock> guard(lock_);
            // Newest first: most blocks die young, so the search is short.
            std::ptrdiff_t i = last_;
            while (i >= 0 && entries_[i].address != address) --i;
            if (i < 0) return;
            victim = entries_[i];
            std::memmove(entries_ + i, entries_ + i + 1,
                         static_cast<std::size_t>(last_ - i) * sizeof(Entry));
            // A failed shrink keeps the larger storage, which is harmless.
            if (last_ % kStep == 0) ResizeStorage(last_);
            --last_;
        }
        source_.Release(victim);
    }

    // Resizes the newest block, keeping its contents up to the smaller size.
    // A null address allocates; with no live block the answer is null; any
    // block but the newest is a fatal stop.  If the platform cannot resize,
    // the answer is null and the old block stays live and unchanged.
    void* Resize(void* address, std::size_t size) {
        if (address == nullptr) return Allocate(size);
        std::unique_lock<TableLock> guard(lock_);
        if (last_ < 0) return nullptr;
        Entry& newest = entries_[last_];
        if (newest.address != address) {
            guard.unlock();
            StopOutOfMemory();
        }
        const platform::MemoryBlock moved = source_.Resize(newest, size);
        if (moved.address == nullptr) return nullptr;
        newest = moved;
        return moved.address;
    }

    // -1 when the table is empty.
    std::ptrdiff_t LastIndex() const {
        std::lock_guard<TableLock> guard(lock_);
        return last_;
    }
    std::size_t LiveCount() const { return static_cast<std::size_t>(LastIndex() + 1); }
    // Entries the table's storage has room for.
    std::size_t Capacity() const {
        std::lock_guard<TableLock> guard(lock_);
        return capacity_;
    }

    Source& source() { return source_; }

private:
    using Entry = platform::MemoryBlock;

    void* Enter(platform::MemoryBlock block) {
        if (block.address == nullptr) StopOutOfMemory();
        {
            std::unique_lock<TableLock> guard(lock_);
            const std::ptrdiff_t next = last_ + 1;
            if (next % kStep == 0 && !ResizeStorage(static_cast<std::size_t>(next + kStep))) {
                // The box must not wait on a lock that its own allocations need.
                guard.unlock();
                source_.Release(block);
                StopOutOfMemory();
            }
            entries_[next] = block;
            last_ = next;
        }
        return block.address;
    }

    // false when the platform refuses; the storage is then as it was.
    bool ResizeStorage(std::size_t entries) {
        if (entries == 0) {
            source_.Release(storage_);
            storage_ = Entry{};
            entries_ = nullptr;
            capacity_ = 0;
            return true;
        }
        const platform::MemoryBlock moved = source_.Resize(storage_, entries * sizeof(Entry));
        if (moved.address == nullptr) return false;
        storage_ = moved;
        entries_ = static_cast<Entry*>(moved.address);
        capacity_ = entries;
        return true;
    }

    Source source_{};
    platform::MemoryBlock storage_{};
    Entry* entries_ = nullptr;
    std::ptrdiff_t last_ = -1;
    std::size_t capacity_ = 0;
    mutable TableLock lock_;
};

using ProgramBlockTable = BlockTable<PlatformBlockSource>;

// The table behind every operator new of the program.
ProgramBlockTable& ProgramBlocks();

}  // namespace quillet
