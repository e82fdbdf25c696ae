#include "app/allocator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
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

// What a scripted block source should refuse, and what it saw.
struct Script {
    int blocksLeft = INT_MAX;  // block allocations before exhaustion
    bool refuseResize = false;  // block and table-storage resizes alike
    int released = 0;
};

struct ScriptedSource {
    Script* script;

    platform::MemoryBlock Allocate(std::size_t size) {
        if (script->blocksLeft-- <= 0) return {};
        return platform::AllocateZeroedBlock(size);
    }
    platform::MemoryBlock AllocateAligned(std::size_t size, std::size_t alignment) {
        if (script->blocksLeft-- <= 0) return {};
        return platform::AllocateZeroedAlignedBlock(size, alignment);
    }
    platform::MemoryBlock Resize(platform::MemoryBlock block, std::size_t size) {
        if (script->refuseResize) return {};
        return platform::ResizeBlock(block, size);
    }
    void Release(platform::MemoryBlock block) {
        if (block.handle != nullptr) ++script->released;
        platform::ReleaseBlock(block);
    }
};

using ScriptedTable = BlockTable<ScriptedSource>;

// Keeps the optimiser from dropping a new/delete pair whose result is unused.
void Escape(void* p) { asm volatile("" : : "g"(p) : "memory"); }

bool AllZero(const void* p, std::size_t n) {
    const auto* bytes = static_cast<const unsigned char*>(p);
    return std::all_of(bytes, bytes + n, [](unsigned char b) { return b == 0; });
}

void Tag(void* p, int value) { std::memcpy(p, &value, sizeof value); }
int TagOf(const void* p) {
    int value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

TEST(BlockTableTest, ReleasingInAnyOrderEmptiesTheTableAndKeepsTheRest) {
    std::mt19937 random(7);
    std::vector<std::vector<int>> orders(3, std::vector<int>(300));
    for (auto& order : orders) std::iota(order.begin(), order.end(), 0);
    std::reverse(orders[1].begin(), orders[1].end());
    std::shuffle(orders[2].begin(), orders[2].end(), random);

    for (const auto& order : orders) {
        Script script;
        ScriptedTable table(ScriptedSource{&script});
        std::vector<void*> blocks;
        for (int i = 0; i < 300; ++i) {
            blocks.push_back(table.Allocate(sizeof(int) + static_cast<std::size_t>(i)));
            Tag(blocks.back(), i);
        }
        EXPECT_EQ(table.LastIndex(), 299);

        for (int n = 0; n < 300; ++n) {
            table.Release(blocks[static_cast<std::size_t>(order[static_cast<std::size_t>(n)])]);
            EXPECT_EQ(table.LastIndex(), 298 - n);
            if (n == 150) {
                // Moving entries down must not lose or mix up the survivors:
                // each one can still be released exactly once.
                for (int k = 151; k < 300; ++k) {
                    const int survivor = order[static_cast<std::size_t>(k)];
                    EXPECT_EQ(TagOf(blocks[static_cast<std::size_t>(survivor)]), survivor);
                }
            }
        }
        EXPECT_EQ(table.LastIndex(), -1);
        EXPECT_EQ(table.Capacity(), 0u);
        EXPECT_EQ(script.released, 300 + 1);  // the blocks and the storage
    }
}

TEST(BlockTableTest, UnknownAndRepeatedReleasesChangeNothing) {
    Script script;
    ScriptedTable table(ScriptedSource{&script});
    void* kept = table.Allocate(8);
    void* gone = table.Allocate(8);
    table.Release(gone);
    const int releasedOnce = script.released;

    int onStack = 0;
    table.Release(gone);
    table.Release(&onStack);
    table.Release(nullptr);
    EXPECT_EQ(script.released, releasedOnce);  // no second free
    EXPECT_EQ(table.LastIndex(), 0);

    table.Release(kept);
    EXPECT_EQ(table.LastIndex(), -1);
}

TEST(BlockTableTest, CapacityMovesInStepsOf256) {
    Script script;
    ScriptedTable table(ScriptedSource{&script});
    EXPECT_EQ(table.Capacity(), 0u);
    std::vector<void*> blocks;
    auto capacityAfterAllocating = [&](std::size_t count) {
        while (blocks.size() < count) blocks.push_back(table.Allocate(1));
        return table.Capacity();
    };
    auto capacityAfterReleasingTo = [&](std::size_t count) {
        while (blocks.size() > count) {
            table.Release(blocks.back());
            blocks.pop_back();
        }
        return table.Capacity();
    };

    EXPECT_EQ(capacityAfterAllocating(1), 256u);
    EXPECT_EQ(capacityAfterAllocating(256), 256u);
    EXPECT_EQ(capacityAfterAllocating(257), 512u);
    EXPECT_EQ(capacityAfterAllocating(512), 512u);
    EXPECT_EQ(capacityAfterAllocating(513), 768u);

    EXPECT_EQ(capacityAfterReleasingTo(512), 512u);
    EXPECT_EQ(capacityAfterReleasingTo(257), 512u);
    EXPECT_EQ(capacityAfterReleasingTo(256), 256u);
    EXPECT_EQ(capacityAfterReleasingTo(1), 256u);
    EXPECT_EQ(capacityAfterReleasingTo(0), 0u);

    // Released from the middle, the shrink follows the count all the same.
    capacityAfterAllocating(257);
    table.Release(blocks.front());
    blocks.erase(blocks.begin());
    EXPECT_EQ(table.Capacity(), 256u);
    capacityAfterReleasingTo(0);
}

TEST(BlockTableTest, BlocksAreZeroFilledEvenWhenMemoryIsReused) {
    ProgramBlockTable table;
    for (std::size_t size : {1u, 24u, 4096u, 1u << 20}) {
        for (int round = 0; round < 2; ++round) {
            void* p = table.Allocate(size);
            EXPECT_TRUE(AllZero(p, size)) << size;
            std::memset(p, 0xA5, size);
            table.Release(p);
        }
    }
    for (std::size_t alignment : {32u, 64u, 4096u}) {
        void* p = table.AllocateAligned(100, alignment);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % alignment, 0u);
        EXPECT_TRUE(AllZero(p, 100));
        table.Release(p);
    }
    EXPECT_EQ(table.LastIndex(), -1);
}

TEST(BlockTableTest, ResizingTheNewestKeepsItsContents) {
    ProgramBlockTable table;
    EXPECT_EQ(table.Resize(&table, 10), nullptr);  // nothing live yet

    void* older = table.Allocate(16);
    char* p = static_cast<char*>(table.Resize(nullptr, 100));
    EXPECT_EQ(table.LastIndex(), 1);
    std::iota(p, p + 100, char{1});

    char* grown = static_cast<char*>(table.Resize(p, 1 << 20));
    std::vector<char> expected(100);
    std::iota(expected.begin(), expected.end(), char{1});
    EXPECT_EQ(std::memcmp(grown, expected.data(), 100), 0);

    char* shrunk = static_cast<char*>(table.Resize(grown, 10));
    EXPECT_EQ(std::memcmp(shrunk, expected.data(), 10), 0);

    // Even 0 bytes leave a live block, not one the platform already freed.
    void* empty = table.Resize(shrunk, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(table.LastIndex(), 1);
    table.Release(empty);
    table.Release(older);
    EXPECT_EQ(table.LastIndex(), -1);
}

TEST(BlockTableTest, RefusedResizeKeepsTheOldBlockLive) {
    Script script;
    ScriptedTable table(ScriptedSource{&script});
    char* p = static_cast<char*>(table.Allocate(4));
    std::memcpy(p, "abc", 4);
    script.refuseResize = true;
    EXPECT_EQ(table.Resize(p, 1 << 20), nullptr);
    EXPECT_STREQ(p, "abc");
    EXPECT_EQ(table.LastIndex(), 0);
    script.refuseResize = false;
    p = static_cast<char*>(table.Resize(p, 8));
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p, "abc");
    table.Release(p);
    EXPECT_EQ(table.LastIndex(), -1);
}

TEST(BlockTableDeathTest, ResizingAnOlderBlockStopsTheProgram) {
    ProgramBlockTable table;
    void* older = table.Allocate(8);
    table.Allocate(8);
    EXPECT_EXIT(table.Resize(older, 16), ::testing::ExitedWithCode(1), "Out of memory");
}

TEST(BlockTableDeathTest, ExhaustionStopsTheProgram) {
    Script script;
    script.blocksLeft = 3;
    ScriptedTable table(ScriptedSource{&script});
    EXPECT_EXIT(
        for (int i = 0; i < 4; ++i) table.Allocate(8),
        ::testing::ExitedWithCode(1), "Out of memory");
    script.blocksLeft = 0;  // the loop above ran in a child process
    EXPECT_EXIT(table.AllocateAligned(8, 64), ::testing::ExitedWithCode(1), "Out of memory");
}

TEST(BlockTableDeathTest, RefusedTableGrowthStopsTheProgram) {
    Script script;
    ScriptedTable table(ScriptedSource{&script});
    for (int i = 0; i < 256; ++i) table.Allocate(1);
    script.refuseResize = true;
    EXPECT_EXIT(table.Allocate(1), ::testing::ExitedWithCode(1), "Out of memory");
}

TEST(GlobalNewDeathTest, ExhaustionStopsEvenTheNothrowForms) {
#if defined(__SANITIZE_ADDRESS__) || QUILLET_CLANG_ASAN
    GTEST_SKIP() << "the address sanitizer aborts oversized requests itself";
#endif
    // Not a constant, or the compiler refuses the array form outright.
    volatile std::size_t hugeSize = SIZE_MAX / 2;
    const std::size_t huge = hugeSize;
    EXPECT_EXIT(Escape(::operator new(huge, std::nothrow)), ::testing::ExitedWithCode(1),
                "Out of memory");
    EXPECT_EXIT(Escape(new (std::nothrow) char[huge]), ::testing::ExitedWithCode(1),
                "Out of memory");
    EXPECT_EXIT(Escape(::operator new(huge, std::align_val_t{64})),
                ::testing::ExitedWithCode(1), "Out of memory");
}

TEST(GlobalNewTest, EveryFormGoesThroughTheProgramTable) {
    ProgramBlockTable& blocks = ProgramBlocks();
    const std::size_t before = blocks.LiveCount();

    int* one = new int;
    Escape(one);
    EXPECT_EQ(blocks.LiveCount(), before + 1);
    int* many = new int[1000];
    Escape(many);
    EXPECT_TRUE(AllZero(many, 1000 * sizeof(int)));
    auto* quiet = new (std::nothrow) double;
    Escape(quiet);
    EXPECT_EQ(blocks.LiveCount(), before + 3);

    struct alignas(256) Wide {
        unsigned char bytes[300];
    };
    Wide* wide = new Wide;
    Escape(wide);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(wide) % 256, 0u);
    EXPECT_TRUE(AllZero(wide, sizeof *wide));
    Wide* wides = new (std::nothrow) Wide[3];
    Escape(wides);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(wides) % 256, 0u);
    EXPECT_EQ(blocks.LiveCount(), before + 5);

    void* a = ::operator new(0);
    void* b = ::operator new[](0);
    ASSERT_NE(a, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(blocks.LiveCount(), before + 7);

#if defined(__cpp_sized_deallocation)
    ::operator delete(a, std::size_t{0});
#else
    ::operator delete(a);
#endif
    ::operator delete[](b, std::nothrow);
    delete[] wides;
    delete wide;
    delete quiet;
    delete[] many;
    delete one;
    EXPECT_EQ(blocks.LiveCount(), before);
}

TEST(GlobalNewTest, ThreadsAllocatingTogetherLeaveTheTableIntact) {
    const std::size_t before = ProgramBlocks().LiveCount();
    auto hammer = [](unsigned seed) {
        std::mt19937 random(seed);
        std::vector<std::string*> live;
        const char mark = static_cast<char>('a' + seed);
        for (int i = 0; i < 60000; ++i) {
            if (live.size() < 64 && (live.empty() || random() % 3 != 0)) {
                live.push_back(new std::string(20 + random() % 200, mark));
                continue;
            }
            const std::size_t victim = random() % live.size();
            std::string* s = live[victim];
            // Another thread's block handed out twice would show here.
            if (s->find_first_not_of(mark) != std::string::npos) std::abort();
            delete s;
            live[victim] = live.back();
            live.pop_back();
        }
        for (std::string* s : live) delete s;
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
