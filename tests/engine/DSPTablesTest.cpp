#include "engine/DSPTables.h"

#include <cmath>

#include <gtest/gtest.h>

using NSZubrik::CDSPTables;
using NSZubrik::CDSPTablesCache;

TEST(DSPTables, TimeTablesAtKnownIndexes) {
    const CDSPTables tables(44100);
    const float* ms = tables.Milliseconds();
    EXPECT_NEAR(ms[0], 0.1, 1e-6);
    EXPECT_NEAR(ms[193], 20.2, 0.05);
    EXPECT_NEAR(ms[350], 100.1, 0.05);
    EXPECT_NEAR(ms[1023] / 1000.0, 54.6, 0.05);

    // One block of 64 frames at 44.1 kHz lasts 1.4512 ms; falling to 0.25
    // takes ms[i].
    const double blockMs = 64000.0 / 44100.0;
    for (int i : {0, 350, 1022}) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(tables.Increments()[i], blockMs / ms[i], 1e-5 * blockMs / ms[i]);
        EXPECT_NEAR(std::pow(static_cast<double>(tables.Multipliers()[i]), ms[i] / blockMs), 0.25, 1e-3);
    }
    EXPECT_EQ(tables.Multipliers()[1023], 1.0f);
}

TEST(DSPTables, KernelPhasesSumToOne) {
    const float* kernel = CDSPTables::Kernel();
    for (int phase = 0; phase < 256; ++phase) {
        double sum = 0.0;
        for (int t = 0; t < 6; ++t) {
            sum += kernel[t * 256 + phase];
        }
        ASSERT_NEAR(sum, 1.0, 1e-6) << phase;
    }
    // Phase 0 hits the sinc's zero crossings: only the centre tap counts.
    EXPECT_NEAR(kernel[768], 1.0f, 1e-6);
    for (int t : {0, 1, 2, 4, 5}) {
        EXPECT_NEAR(kernel[t * 256], 0.0f, 1e-6) << t;
    }
}

TEST(DSPTablesCache, ReferenceCounting) {
    constexpr int32_t rate = 12345;
    ASSERT_EQ(CDSPTablesCache::Find(rate), nullptr);
    const CDSPTables& first = CDSPTablesCache::Acquire(rate);
    EXPECT_EQ(&CDSPTablesCache::Acquire(rate), &first);
    EXPECT_EQ(CDSPTablesCache::ReferenceCount(rate), 2);
    // Other rates come and go without moving this entry.
    for (int32_t other = 20000; other < 20010; ++other) CDSPTablesCache::Acquire(other);
    for (int32_t other = 20000; other < 20010; ++other) CDSPTablesCache::Release(other);
    EXPECT_EQ(CDSPTablesCache::Find(20005), nullptr);
    CDSPTablesCache::Release(rate);
    EXPECT_EQ(CDSPTablesCache::Find(rate), &first);
    CDSPTablesCache::Release(rate);
    EXPECT_EQ(CDSPTablesCache::Find(rate), nullptr);
    CDSPTablesCache::Release(rate);  // unknown rate: nothing happens
    EXPECT_EQ(CDSPTablesCache::ReferenceCount(rate), 0);
}
