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

    // One block of 64 frames at 44.1 kHz lasts 1.4512 ms.
    const double blockMs = 64000.0 / 44100.0;
    for (int i : {0, 21, 193, 350, 1022}) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(tables.Increments()[i], blockMs / ms[i], 1e-5 * blockMs / ms[i]);
        // Falling to 0.25 takes ms[i], i.e. ms[i] / blockMs blocks.
        const double blocks = ms[i] / blockMs;
        EXPECT_NEAR(std::pow(static_cast<double>(tables.Multipliers()[i]), blocks), 0.25, 1e-3);
    }
    EXPECT_EQ(tables.Multipliers()[1023], 1.0f);
    EXPECT_LT(tables.Multipliers()[1022], 1.0f);
}

TEST(DSPTables, PitchTable) {
    const int32_t* pitch = CDSPTables::PitchTable();
    EXPECT_EQ(pitch[12900], 16384);
    EXPECT_EQ(pitch[12900 + 1200], 32768);
    EXPECT_EQ(pitch[12900 - 1200], 8192);
    EXPECT_EQ(pitch[12900 + 100], static_cast<int32_t>(16384 * std::pow(2.0, 1.0 / 12) + 0.5));
    EXPECT_EQ(pitch[19199], static_cast<int32_t>(16384 * std::pow(2.0, 6299.0 / 1200) + 0.5));
    for (int i = 1; i < CDSPTables::kPitchTableSize; ++i) {
        ASSERT_GE(pitch[i], pitch[i - 1]) << i;
    }
}

TEST(DSPTables, KernelShapeAndPhaseSums) {
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
    // Phase 128: the raw windowed sinc plus a sixth of what its six taps
    // miss from 1.
    auto raw = [](int k) {
        const int j = k - 768;
        if (j == 0) return 1.0;
        const double x = j * M_PI / 256;
        return std::sin(x) / x * (0.54 - 0.46 * std::cos(M_PI + j * 2 * M_PI / 1536));
    };
    double rawSum = 0.0;
    for (int t = 0; t < 6; ++t) {
        rawSum += raw(128 + 256 * t);
    }
    for (int t = 0; t < 6; ++t) {
        EXPECT_NEAR(kernel[128 + 256 * t], raw(128 + 256 * t) + (1.0 - rawSum) / 6, 1e-6) << t;
    }
}

TEST(DSPTablesCache, ReferenceCounting) {
    constexpr int32_t rate = 12345;
    ASSERT_EQ(CDSPTablesCache::Find(rate), nullptr);
    const CDSPTables& first = CDSPTablesCache::Acquire(rate);
    const CDSPTables& second = CDSPTablesCache::Acquire(rate);
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(first.GetSampleRate(), rate);
    EXPECT_EQ(CDSPTablesCache::ReferenceCount(rate), 2);
    // Other rates come and go without moving this entry.
    for (int32_t other = 20000; other < 20010; ++other) CDSPTablesCache::Acquire(other);
    for (int32_t other = 20000; other < 20010; ++other) CDSPTablesCache::Release(other);
    EXPECT_EQ(CDSPTablesCache::Find(20005), nullptr);
    EXPECT_EQ(CDSPTablesCache::Find(rate), &first);
    CDSPTablesCache::Release(rate);
    EXPECT_EQ(CDSPTablesCache::Find(rate), &first);
    CDSPTablesCache::Release(rate);
    EXPECT_EQ(CDSPTablesCache::Find(rate), nullptr);
    CDSPTablesCache::Release(rate);  // unknown rate: nothing happens
    EXPECT_EQ(CDSPTablesCache::ReferenceCount(rate), 0);
}
