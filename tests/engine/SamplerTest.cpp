#include "engine/Sampler.h"

#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "audiodata/Segment.h"
#include "audiodata/WaveSample.h"
#include "app/ZubrikErrors.h"
#include "engine/DSPTables.h"
#include "engine/EffectPresets.h"
#include "engine/SamplerPresets.h"

using namespace NSZubrik;

namespace {

using S = CZubrikSampler;
constexpr float kScale = 1.0f / 8388608.0f;

// 24-bit sample whose left value at frame i is i (and right is -i), so that
// read positions can be told from the output; or a constant when dc != 0.
std::unique_ptr<CABCWaveSample> MakeWave(int32_t frames, bool stereo, int32_t dc = 0,
                                         int32_t rate = 44100) {
    auto wave = CreateWaveSample(rate, frames, stereo, 24);
    for (int32_t i = 0; i < frames; ++i) {
        wave->SetInt24(i, dc != 0 ? dc : i, 1);
        if (stereo) wave->SetInt24(i, dc != 0 ? dc : -i, 2);
    }
    return wave;
}

struct CBlock {
    float fLeft[64], fRight[64];
    float* fOut[2] = {fLeft, fRight};
};

CBlock RenderBlocks(S& sampler, int count) {
    CBlock block;
    for (int i = 0; i < count; ++i) sampler.Render(block.fOut);
    return block;
}

const CDSPTables& Tables() { return *CDSPTablesCache::Find(44100); }

class SamplerTest : public testing::Test {
protected:
    void Use(std::unique_ptr<CABCWaveSample> wave) {
        fWave = std::move(wave);
        fSampler.SetWaveSample(fWave.get());
    }
    const S::SVoice& Last() const { return fSampler.GetVoice(fSampler.GetLastVoiceIndex()); }

    S fSampler;
    std::unique_ptr<CABCWaveSample> fWave;
};

} // namespace

TEST_F(SamplerTest, AttackDecayReleaseShape) {
    Use(MakeWave(200000, false, 4194304));  // 0.5
    fSampler.SetEnvelopeAttack(193);
    fSampler.SetEnvelopeDecay(350);
    fSampler.StartSliceVoice(CSegment(0, 200000, 0, 200000, 1.0f));
    const S::SVoice& voice = Last();
    const float inc = Tables().Increments()[193];
    RenderBlocks(fSampler, 5);
    EXPECT_NEAR(voice.fEnvelopeLevel, inc * 5, 1e-5);
    int blocks = 5;
    for (; voice.fEnvelopeState == S::kAttack; ++blocks) RenderBlocks(fSampler, 1);
    EXPECT_EQ(blocks, static_cast<int>(std::ceil(1.0f / inc)));  // ~20.2 ms
    // Decay: the per-block multiplier of index 350 reaches 0.25 in ~100 ms.
    CBlock block = RenderBlocks(fSampler, 69);
    EXPECT_NEAR(voice.fEnvelopeLevel, std::pow(Tables().Multipliers()[350], 69), 1e-4);
    EXPECT_NEAR(block.fLeft[63], 0.5f * voice.fGain, 1e-4);
    EXPECT_EQ(block.fLeft[63], block.fRight[63]);  // mono: both sides the same
    fSampler.ReleaseAll();
    RenderBlocks(fSampler, 1);
    EXPECT_EQ(voice.fEnvelopeState, S::kRelease);
    RenderBlocks(fSampler, 1);
    EXPECT_TRUE(fSampler.IsSilent());
}

TEST_F(SamplerTest, StretchTailSwingsBetweenStretchPoints) {
    Use(MakeWave(2000, true));
    fSampler.SetEnvelopeAttack(0);
    fSampler.SetEnvelopeStretch(100);
    fSampler.StartSliceVoice(CSegment(0, 1200, 500, 1000, 0.5f));
    const S::SVoice& voice = Last();
    const float fadeLength = 1000 * 101 / 100 + 200;
    EXPECT_FLOAT_EQ(voice.fFadeStep, 1.0f / fadeLength);
    RenderBlocks(fSampler, 15);  // 960 frames read: still straight ahead
    EXPECT_FALSE(fSampler.IsStretching());
    EXPECT_EQ(fSampler.GetPlayPosition(), 960);
    CBlock block = RenderBlocks(fSampler, 2);
    // 1088 frames read: 1000 up to the high point, then 88 back down from 999.
    EXPECT_TRUE(fSampler.IsStretching());
    EXPECT_EQ(voice.fPosition, 911);
    EXPECT_EQ(voice.fDirection, S::kBackward);
    EXPECT_NEAR(voice.fFade, 1.0f - 88 / fadeLength, 1e-5);
    EXPECT_NEAR(voice.fRamp, 1.0f - 88 * 0.001f, 1e-5);
    // The last output frame is centred on source frame 910 (1089th read).
    EXPECT_LT(block.fLeft[63], block.fLeft[40]);
    EXPECT_NEAR(block.fLeft[63] / S::kVoiceGain / kScale, 910 * 0.911 * (1 - 89 / fadeLength), 1.0);
    EXPECT_NEAR(block.fRight[63], -block.fLeft[63], 1e-6);
    // Back down to 501, then 37 reads forward from 500.
    RenderBlocks(fSampler, 7);
    EXPECT_EQ(voice.fDirection, S::kForward);
    EXPECT_EQ(voice.fPosition, 537);
    EXPECT_NEAR(voice.fRamp, 1.0f - 499 * 0.001f + 37 * 0.001f, 1e-4);
    for (int i = 0; i < 200; ++i) {
        RenderBlocks(fSampler, 1);
        ASSERT_GE(voice.fPosition, 500);
        ASSERT_LT(voice.fPosition, 1000);
    }
    // The fade has reached its floor; decay at level 1.0 ends the voice.
    EXPECT_TRUE(fSampler.IsSilent());
    // Stretch 0 fades over a hundredth of the segment.
    fSampler.SetEnvelopeStretch(0);
    fSampler.StartSliceVoice(CSegment(0, 2000, 0, 2000, 1.0f));
    EXPECT_FLOAT_EQ(Last().fFadeStep, 1.0f / 20);
}

TEST_F(SamplerTest, PitchAndRatesSetTheStep) {
    Use(MakeWave(100000, true, 0, 22050));
    const CSegment segment(0, 100000, 0, 100000, 1.0f);
    auto advance = [&](int16_t pitch) {
        fSampler.SetPitch(pitch);
        fSampler.StartSliceVoice(segment);
        RenderBlocks(fSampler, 4);
        return fSampler.GetPlayPosition();
    };
    EXPECT_EQ(advance(0), 128);  // half the rate: 32 source frames per block
    EXPECT_EQ(advance(1200), 256);
    EXPECT_EQ(advance(-1200), 64);
    EXPECT_EQ(advance(7000), advance(6299));  // held at the table's top
    // The largest step reads 64 source frames per output frame.
    fSampler.SetOutputSampleRate(11025);
    Use(MakeWave(100000, true, 0, 192000));
    EXPECT_EQ(advance(6000), 4 * 64 * 64);
    EXPECT_EQ(CDSPTablesCache::ReferenceCount(44100), 0);
    EXPECT_EQ(CDSPTablesCache::ReferenceCount(11025), 1);
    // Near the end of the sample the read-ahead stays inside it.
    fSampler.SetPitch(0);
    fSampler.StartSliceVoice(CSegment(90000, 100000, 95000, 100000, 0.8f));
    RenderBlocks(fSampler, 50);
    EXPECT_LT(fSampler.GetPlayPosition(), 100000);
}

TEST_F(SamplerTest, RenderedLengthMatchesPlayback) {
    Use(MakeWave(400000, true, 4194304));
    auto played = [&](const CSegment& segment) {
        fSampler.StartSliceVoice(segment);
        int blocks = 0;
        while (!fSampler.IsSilent()) RenderBlocks(fSampler, 1), ++blocks;
        return blocks * 64;
    };
    const CSegment whole(0, 100000, 0, 100000, 1.0f);
    fSampler.SetEnvelopeOn(false);
    EXPECT_NEAR(fSampler.RenderedLength(whole), 101000, 1);
    fSampler.SetPitch(1200);
    EXPECT_NEAR(fSampler.RenderedLength(whole), 50500, 1);
    EXPECT_NEAR(played(whole), 50500, 128);
    fSampler.SetPitch(0);
    fSampler.SetEnvelopeOn(true);
    fSampler.SetEnvelopeDecay(406);
    const double decayFrames = std::log(6.25e-5) / std::log(Tables().Multipliers()[406]) * 64;
    const double attackFrames = 64 / Tables().Increments()[21];
    EXPECT_NEAR(fSampler.RenderedLength(whole), decayFrames + attackFrames, 1);
    EXPECT_NEAR(played(whole), decayFrames + attackFrames, 128);
    fSampler.SetEnvelopeDecay(1023);
    EXPECT_NEAR(fSampler.RenderedLength(CSegment(0, 5000, 3000, 4000, 0.5f)), 4000 + 4000 * 41 / 100 + 1000, 1);
}

TEST_F(SamplerTest, PresetsApplyOnlyToTheirEffect) {
    ApplyEnvelopePreset(*ParseEffectPreset(kEnvelopePresetTexts[0], EnvelopePresetFormat()), fSampler);
    const CEffectPreset shaper = *ParseEffectPreset(kTransientShaperPresetTexts[0], TransientShaperPresetFormat());
    ApplyTransientShaperPreset(shaper, fSampler);
    EXPECT_EQ(fSampler.GetShaperRatio(), shaper.Value(TransientShaperPresetFormat(), "Ratio"));
    EXPECT_THROW(ApplyEnvelopePreset(shaper, fSampler), XIllegalCallSequence);
}
