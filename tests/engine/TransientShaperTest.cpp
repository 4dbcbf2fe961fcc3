#include "engine/TransientShaper.h"

#include <gtest/gtest.h>

#include "engine/DSPTables.h"

using NSZubrik::CDSPTables;
using NSZubrik::CTransientShaper;
using NSZubrik::SShaperEnvelope;

TEST(TransientShaper, EnvelopeOnAStep) {
    const CDSPTables tables(44100);
    CTransientShaper shaper;
    shaper.SetOn(true);
    shaper.SetThreshold(0);
    shaper.SetRatio(127);
    SShaperEnvelope envelope;
    shaper.Start(envelope);  // Attack 193: rises from 0 over ~20 ms
    EXPECT_NEAR(shaper.Factor(envelope, false), 1.0f / 0.021f, 1e-3);
    float previous = shaper.Factor(envelope, false);
    int blocks = 0;
    while (envelope.fState == SShaperEnvelope::kAttack) {
        shaper.Advance(envelope, tables);
        const float factor = shaper.Factor(envelope, false);
        ASSERT_LT(factor, previous);
        previous = factor;
        ++blocks;
    }
    EXPECT_EQ(blocks, 14);  // ~20.2 ms
    EXPECT_NEAR(previous, 1.0f / 2.001f, 1e-4);
    shaper.Advance(envelope, tables);
    EXPECT_FLOAT_EQ(envelope.fLevel, tables.Multipliers()[350]);
    EXPECT_GT(shaper.Factor(envelope, false), previous);

    // Attack 0 starts damped at level 1.0; Release 1023 holds it there.
    shaper.SetAttack(0);
    shaper.SetRelease(1023);
    shaper.Start(envelope);
    for (int i = 0; i < 100; ++i) shaper.Advance(envelope, tables);
    EXPECT_EQ(envelope.fLevel, 1.0f);
}

TEST(TransientShaper, MeterTakesAndResets) {
    CTransientShaper shaper;
    shaper.SetOn(true);
    shaper.SetThreshold(0);
    shaper.SetRatio(127);
    SShaperEnvelope envelope;
    envelope.fLevel = 1.0f;
    const float low = shaper.Factor(envelope, true);
    envelope.fLevel = 0.0f;
    const float high = shaper.Factor(envelope, true);
    EXPECT_EQ(shaper.TakeMinimumFactor(), low);
    EXPECT_EQ(shaper.TakeMinimumFactor(), 1.0f);
    EXPECT_EQ(shaper.TakeMaximumFactor(), high);
    EXPECT_EQ(shaper.TakeMaximumFactor(), 1.0f);
}
