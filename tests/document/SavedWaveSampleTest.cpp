#include "document/SavedWaveSample.h"

#include <gtest/gtest.h>

#include <vector>

#include "audiodata/WaveSample.h"
#include "support/TestSupport.h"

using namespace NSZubrik;

namespace {

// Everything a wave holds, the samples compared on the 24-bit scale.
auto Contents(const CABCWaveSample& w) {
    std::vector<int32_t> v{w.GetBitDepth(), w.IsStereo(), w.GetFrameCount(), w.GetSampleRate(), w.GetLoopMode(),
                           w.GetLoopStart(), w.GetLoopEnd(), w.AreLocatorsSet(), w.IsPreviewValid()};
    for (int32_t channel = 1; channel <= (w.IsStereo() ? 2 : 1); ++channel)
        for (int32_t i = 0; i < w.GetFrameCount(); ++i)
            v.push_back(w.GetInt24(i, channel));
    return v;
}

TEST(SavedWaveSampleTest, RestoresEverySampleAndSettingExactly) {
    for (int32_t depth : {16, 24})
        for (bool stereo : {false, true}) {
            SCOPED_TRACE(testing::Message() << depth << (stereo ? " stereo" : " mono"));
            auto wave = CreateWaveSample(48000, 10007, stereo, depth);
            const int32_t top = 8388607; // full-scale noise, extremes first (16-bit keeps the top bits)
            for (int32_t channel = 1; channel <= (stereo ? 2 : 1); ++channel) {
                std::vector<int32_t> values = NSTestSupport::Noise(10007, top, 7u + channel);
                values[0] = top;
                values[1] = -top - 1;
                wave->SetInt24s(0, 10007, values.data(), channel);
            }
            wave->SetLoop(2, 17, 10002);
            wave->BuildPreview();
            NSUndoPackage::CSavedWaveSample saved(*wave);
            EXPECT_EQ(Contents(*wave), Contents(*saved.Restore()));
            EXPECT_EQ(Contents(*wave), Contents(*saved.Restore())); // the saved form serves again
        }

    auto untouched = CreateWaveSample(22050, 0, false, 16);
    EXPECT_EQ(Contents(*untouched), Contents(*NSUndoPackage::CSavedWaveSample(*untouched).Restore()));
}

} // namespace
