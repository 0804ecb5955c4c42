#include "core/krvBlockPool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

namespace dbtwin {
namespace {

struct TRecord {
    std::int64_t A;
    char Text[20];
};

// Blocks from several slabs are distinct, aligned, hold their contents while others are
// made and freed, and a freed block is handed out again before new slab space.
TEST(BlockPool, BlocksAreDistinctAlignedReusedAndReleasedWithTheLast) {
    TBlockPool pool(sizeof(TRecord), alignof(TRecord), 4);
    std::vector<TRecord*> recs;
    for (int i = 0; i < 11; ++i) {  // three slabs
        auto* r = static_cast<TRecord*>(pool.Get());
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(r) % alignof(TRecord), 0u);
        r->A = i;
        std::memset(r->Text, 'a' + i, sizeof r->Text);
        recs.push_back(r);
    }
    EXPECT_EQ(std::set<TRecord*>(recs.begin(), recs.end()).size(), recs.size());
    for (std::size_t i = 0; i < recs.size(); ++i) {
        EXPECT_EQ(recs[i]->A, static_cast<std::int64_t>(i));
        EXPECT_EQ(recs[i]->Text[sizeof recs[i]->Text - 1], static_cast<char>('a' + i));
    }
    EXPECT_EQ(pool.Live(), 11u);

    TRecord* freed = recs[5];
    pool.Put(freed);
    EXPECT_EQ(pool.Live(), 10u);
    EXPECT_EQ(pool.Get(), freed);
    EXPECT_EQ(recs[4]->A, 4);
    EXPECT_EQ(recs[6]->A, 6);

    // Freed in an order unlike the order made; the last one lets the slabs go, and the pool
    // serves again afterwards.
    std::reverse(recs.begin(), recs.begin() + 6);
    for (TRecord* r : recs) pool.Put(r);
    EXPECT_EQ(pool.Live(), 0u);
    auto* again = static_cast<TRecord*>(pool.Get());
    ASSERT_NE(again, nullptr);
    again->A = 42;
    EXPECT_EQ(pool.Live(), 1u);
    pool.Put(again);
    pool.Put(nullptr);
    EXPECT_EQ(pool.Live(), 0u);
}

TEST(BlockPool, ThreadsShareOnePool) {
    TBlockPool pool(sizeof(TRecord), alignof(TRecord), 16);
    auto work = [&pool](int seed) {
        std::vector<TRecord*> mine;
        for (int round = 0; round < 200; ++round) {
            for (int i = 0; i < 50; ++i) {
                auto* r = static_cast<TRecord*>(pool.Get());
                r->A = seed * 1000000 + round * 100 + i;
                mine.push_back(r);
            }
            for (std::size_t i = 0; i < mine.size(); ++i)
                ASSERT_EQ(mine[i]->A, seed * 1000000 + round * 100 + static_cast<int>(i));
            for (TRecord* r : mine) pool.Put(r);
            mine.clear();
        }
    };
    std::thread a(work, 1), b(work, 2);
    a.join();
    b.join();
    EXPECT_EQ(pool.Live(), 0u);
}

}  // namespace
}  // namespace dbtwin
