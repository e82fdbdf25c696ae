#include "memory/allocator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <new>
#include <numeric>
#include <random>
#include <string>
#include <thread>
#include <vector>

#if defined(__has_feature)
#define QUILLET_CLANG_ASAN __has_feature(address_sanitizer)
#else
#define QUILLET_CLANG_ASAN 0
#endif

namespace quillet {
namespace {

// The platform's blocks, with exhaustion and refused resizes (of blocks and
// table storage alike) on demand, and a count of what came back.
struct TestSource : PlatformBlockSource {
    int blocksLeft = INT_MAX, released = 0;
    bool refuseResize = false;
    platform::MemoryBlock Allocate(std::size_t n) {
        return blocksLeft-- > 0 ? PlatformBlockSource::Allocate(n) : platform::MemoryBlock{};
    }
    platform::MemoryBlock Resize(platform::MemoryBlock b, std::size_t n) {
        return refuseResize ? platform::MemoryBlock{} : PlatformBlockSource::Resize(b, n);
    }
    void Release(platform::MemoryBlock b) { released += b.handle != nullptr, PlatformBlockSource::Release(b); }
};
using TestTable = BlockTable<TestSource>;

// Keeps the optimiser from dropping a new/delete pair whose result is unused.
void Escape(void* p) { asm volatile("" : : "g"(p) : "memory"); }

bool AllZero(const void* p, std::size_t n) {
    return std::count(static_cast<const char*>(p), static_cast<const char*>(p) + n, 0) == std::ptrdiff_t(n);
}

// Released in random order, with the table's storage moving in steps of 256
// entries both ways: the survivors stay live and unmixed, and all comes back.
TEST(BlockTableTest, ReleasingInAnyOrderEmptiesTheTableAndKeepsTheRest) {
    const int count = 600;
    std::vector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    TestTable table;
    std::vector<int*> blocks;
    auto capacityFits = [&](int live) { return table.Capacity() == std::size_t(live + 255) / 256 * 256; };
    for (int i = 0; i < count; ++i) {
        *blocks.emplace_back(static_cast<int*>(table.Allocate(sizeof(int) + i))) = i;
        ASSERT_TRUE(capacityFits(i + 1)) << i + 1 << " live, capacity " << table.Capacity();
    }
    for (int n = 0; n < count; ++n) {
        for (int k = n; n % 150 == 0 && k < count; ++k) ASSERT_EQ(*blocks[order[k]], order[k]);
        table.Release(blocks[order[n]]);
        table.Release(blocks[order[n]]);  // a second release, and a foreign one, are ignored
        table.Release(&n);
        ASSERT_EQ(table.LastIndex(), count - 2 - n);
        ASSERT_TRUE(capacityFits(count - 1 - n)) << count - 1 - n << " live, capacity " << table.Capacity();
    }
    EXPECT_EQ(table.source().released, count + 1);  // the blocks and the storage
}

TEST(BlockTableTest, BlocksAreZeroFilledEvenWhenMemoryIsReused) {
    TestTable table;
    for (std::size_t size : {1u, 24u, 4096u, 1u << 20}) {
        for (std::size_t alignment : {1u, 64u, 4096u, 1u}) {
            void* p = alignment > 1 ? table.AllocateAligned(size, alignment) : table.Allocate(size);
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % alignment, 0u);
            EXPECT_TRUE(AllZero(p, size)) << size;
            std::fill_n(static_cast<char*>(p), size, '\xA5');
            table.Release(p);
        }
    }
}

// Growing, a refused resize, shrinking, even to 0 bytes: the newest block
// stays live with its contents.
TEST(BlockTableTest, ResizingTheNewestKeepsItsContents) {
    TestTable table;
    EXPECT_EQ(table.Resize(&table, 10), nullptr);  // nothing live yet
    void* older = table.Allocate(16);
    char* p = static_cast<char*>(table.Resize(nullptr, 100));
    std::iota(p, p + 100, char{1});
    const std::vector<char> expected(p, p + 100);
    p = static_cast<char*>(table.Resize(p, 1 << 20));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), p));
    table.source().refuseResize = true;
    EXPECT_EQ(table.Resize(p, 1 << 21), nullptr);
    table.source().refuseResize = false;
    p = static_cast<char*>(table.Resize(p, 10));
    EXPECT_TRUE(std::equal(p, p + 10, expected.begin()));
    p = static_cast<char*>(table.Resize(p, 0));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(table.LastIndex(), 1);
    table.Release(p), table.Release(older);
    EXPECT_EQ(table.source().released, 2 + 1);  // the blocks and the storage
}

TEST(AllocatorDeathTest, MisuseAndExhaustionStopTheProgram) {
    TestTable table;
    void* older = table.Allocate(8);
    while (table.LastIndex() < 255) table.Allocate(1);
    EXPECT_EXIT(table.Resize(older, 16), testing::ExitedWithCode(1), "Out of memory");
    table.source().refuseResize = true;  // the table's own storage cannot grow
    EXPECT_EXIT(table.Allocate(1), testing::ExitedWithCode(1), "Out of memory");
    table.source().refuseResize = false;
    table.source().blocksLeft = 0;
    EXPECT_EXIT(table.Allocate(1), testing::ExitedWithCode(1), "Out of memory");
    // Exhaustion stops even the nothrow forms of the program's operator new.
#if defined(__SANITIZE_ADDRESS__) || QUILLET_CLANG_ASAN
    GTEST_SKIP() << "the address sanitizer aborts oversized requests itself";
#endif
    volatile std::size_t huge = SIZE_MAX / 2;  // not a constant the compiler could refuse
    EXPECT_EXIT(Escape(::operator new(huge, std::nothrow)), testing::ExitedWithCode(1), "Out of memory");
    EXPECT_EXIT(Escape(new (std::nothrow) char[huge]), testing::ExitedWithCode(1), "Out of memory");
    EXPECT_EXIT(Escape(::operator new(huge, std::align_val_t{64})), testing::ExitedWithCode(1), "Out of memory");
}

TEST(GlobalNewTest, EveryFormGoesThroughTheProgramTable) {
    const std::size_t before = ProgramBlocks().LiveCount();
    struct alignas(256) Wide { unsigned char bytes[300]; };
    int* one = new int;
    int* many = new int[1000];
    double* quiet = new (std::nothrow) double;
    Wide* wide = new Wide;
    Wide* wides = new (std::nothrow) Wide[3];
    void* empty = ::operator new[](0);
    for (void* p : std::initializer_list<void*>{one, many, quiet, wide, wides, empty}) Escape(p);
    EXPECT_EQ(ProgramBlocks().LiveCount(), before + 6);
    EXPECT_TRUE(AllZero(many, 1000 * sizeof(int)));
    EXPECT_EQ((reinterpret_cast<std::uintptr_t>(wide) | reinterpret_cast<std::uintptr_t>(wides)) % 256, 0u);
    ::operator delete[](empty, std::nothrow);
    delete one, delete[] many, delete quiet, delete wide, delete[] wides;
    EXPECT_EQ(ProgramBlocks().LiveCount(), before);
}

// Four threads sharing the program table: without its lock, entries are
// lost or doubled, or one block goes to two threads.
TEST(GlobalNewTest, ThreadsAllocatingTogetherLeaveTheTableIntact) {
    const std::size_t before = ProgramBlocks().LiveCount();
    auto hammer = [](unsigned seed) {
        std::mt19937 random(seed);
        const char mark = static_cast<char>('a' + seed);
        std::vector<std::unique_ptr<std::string>> slots(64);
        for (int i = 0; i < 60000; ++i) {
            auto& slot = slots[random() % slots.size()];
            if (slot && slot->find_first_not_of(mark) != std::string::npos) std::abort();
            slot = random() % 3 ? std::make_unique<std::string>(20 + random() % 200, mark) : nullptr;
        }
    };
    {
        std::vector<std::thread> threads;
        for (unsigned t = 0; t < 4; ++t) threads.emplace_back(hammer, t);
        for (std::thread& thread : threads) thread.join();
    }
    EXPECT_EQ(ProgramBlocks().LiveCount(), before);
}

}  // namespace
}  // namespace quillet
