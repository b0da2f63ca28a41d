#include "web/TStringArena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

using web::TStringArena;

TEST(StringArena, AlignedAllocationsNeverRunPastTheirBlock) {
    TStringArena arena;
    // Odd sizes push the next aligned address right up to (and past) the end
    // of a block; every allocation must still fit its block in full.
    std::vector<std::pair<char*, size_t>> blocks;
    for (size_t i = 0; i < 200000; ++i) {
        const size_t size = 1 + i % 13;
        const size_t align = size_t{1} << (i % 4);
        char* p = arena.Allocate(size, align);
        ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % align, 0u);
        std::memset(p, static_cast<int>(i & 0xFF), size);
        blocks.emplace_back(p, size);
    }
    for (size_t i = 0; i < blocks.size(); ++i)
        for (size_t k = 0; k < blocks[i].second; ++k)
            ASSERT_EQ(static_cast<unsigned char>(blocks[i].first[k]), i & 0xFF) << i;
}

TEST(StringArena, ShrinkGivesBackTheEndOfTheLatestBlockOnly) {
    TStringArena arena;
    char* a = arena.Allocate(10);
    arena.Shrink(a, 10, 4);
    EXPECT_EQ(arena.Allocate(1), a + 4);
    char* b = arena.Allocate(8);
    arena.Shrink(a, 4, 1);  // not the latest: left alone
    EXPECT_EQ(arena.Allocate(1), b + 8);
}

TEST(StringArena, CopiesAndUpperCase) {
    TStringArena arena;
    std::string source = "href";
    const auto copy = arena.Copy(source);
    const auto upper = arena.UpperCase(source);
    source = "gone";
    EXPECT_EQ(copy, "href");
    EXPECT_EQ(upper, "HREF");
    const std::string_view already = "TD-Я";
    EXPECT_EQ(arena.UpperCase(already).data(), already.data());  // no copy needed
    EXPECT_EQ(arena.UpperCase("aЯb"), "AЯB");
    EXPECT_TRUE(arena.Copy("").empty());
}

TEST(StringArena, ResetKeepsOneBlockForTheNextPage) {
    TStringArena arena;
    for (int i = 0; i < 1000; ++i) arena.Allocate(1000);
    const size_t before = arena.Capacity();
    arena.Reset();
    EXPECT_GT(arena.Capacity(), 0u);
    EXPECT_LT(arena.Capacity(), before);
    const size_t kept = arena.Capacity();
    arena.Allocate(kept / 2);
    EXPECT_EQ(arena.Capacity(), kept);  // served from the kept block

    arena.Allocate(64 * 1024 * 1024);  // far larger than any block kept across pages
    arena.Reset();
    EXPECT_LE(arena.Capacity(), size_t{8} * 1024 * 1024);
}
