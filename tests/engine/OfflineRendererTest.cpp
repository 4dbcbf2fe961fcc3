#include "engine/OfflineRenderer.h"

#include "SequencerFixture.h"
#include "app/ZubrikErrors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace NSZubrik;
using NSEngineTest::CLoop;

TEST(OfflineRenderer, RendersTheRequestedLengthAtTheOutputRate)
{
    CLoop mono({0, 3000, 9000}, 20000, 0, 20000);
    COfflineRenderer renderer(*mono.fSequencer);
    std::unique_ptr<CABCWaveSample> wave = renderer.RenderLoop(1.5);
    EXPECT_EQ(wave->GetFrameCount(), 66150);
    EXPECT_FALSE(wave->IsStereo());

    renderer.SetOutputSampleRate(22050);
    wave = renderer.RenderLoop(1.5, 24);
    EXPECT_EQ(wave->GetFrameCount(), 33075);
    EXPECT_EQ(wave->GetBitDepth(), 24);

    for (double bad : {0.0, -1.0, 1e6, std::numeric_limits<double>::quiet_NaN()})
        EXPECT_THROW(renderer.FrameCountFor(bad), XIllegalCallSequence) << bad;
}

TEST(OfflineRenderer, WaveHoldsThePlayingLoopAndLeavesTheSequencerAlone)
{
    CLoop loop({0, 3000, 9000}, 20000, 0, 20000, true);
    loop.fSequencer->SetCursor(9000);
    COfflineRenderer renderer(*loop.fSequencer);
    const int32_t frames = 30000; // the loop and a half
    std::vector<float> left(frames), right(frames);
    renderer.RenderLoop(frames, left.data(), right.data());
    std::unique_ptr<CABCWaveSample> wave = renderer.RenderLoop(frames / 44100.0);

    double energy = 0;
    for (int32_t i = 0; i < frames; ++i) {
        energy += left[i] * left[i];
        ASSERT_NEAR(wave->GetFloat(i, 1), left[i], 1.0 / 32767) << i;
        ASSERT_NEAR(wave->GetFloat(i, 2), right[i], 1.0 / 32767) << i;
    }
    EXPECT_GT(energy, 1.0);
    EXPECT_FALSE(loop.fSequencer->IsPlaying());
    EXPECT_EQ(loop.fSequencer->GetCursor(), 9000);
}

TEST(OfflineRenderer, ProgressCanStopTheRender)
{
    CLoop loop({0, 3000}, 20000, 0, 20000);
    COfflineRenderer renderer(*loop.fSequencer);
    int32_t last = 0;
    renderer.SetProgress([&](int32_t done, int32_t) { return (last = done) < 10000; });
    EXPECT_THROW(renderer.RenderLoop(1.0), XUserPressedStop);
    EXPECT_EQ(last, 12288); // reported every 4096 frames
}

// The command line writes the sink's pieces to its file: they must be the
// frames the audio output gets in its own 256-frame pieces, exactly.
TEST(OfflineRenderer, SinkPiecesAreTheFramesTheAudioOutputPlays)
{
    CLoop loop({0, 3000, 9000}, 20000, 0, 20000, true);
    COfflineRenderer renderer(*loop.fSequencer);
    const int32_t frames = 30001;
    std::vector<float> left, right;
    renderer.RenderLoop(frames, [&](const float* l, const float* r, int32_t count) {
        left.insert(left.end(), l, l + count);
        right.insert(right.end(), r, r + count);
    });
    ASSERT_EQ(int32_t(left.size()), frames);

    CZubrikSequencer output(*loop.fSequencer);
    output.StartLoop();
    std::vector<float> pieceLeft(256), pieceRight(256);
    float* const out[2] = {pieceLeft.data(), pieceRight.data()};
    for (int32_t done = 0; done < frames; done += 256) {
        output.Render(out, 256);
        for (int32_t i = 0; i < 256 && done + i < frames; ++i) {
            ASSERT_EQ(left[done + i], pieceLeft[i]) << done + i;
            ASSERT_EQ(right[done + i], pieceRight[i]) << done + i;
        }
    }
}
