#include "document/SavedWaveSample.h"

#include <gtest/gtest.h>

#include <vector>

#include "audiodata/WaveSample.h"
#include "support/TestSupport.h"

using namespace NSZubrik;

namespace {

// A clock a second further at every look, so the progress window is due at
// once; the host records the texts it opens with and whether Stop works.
struct FastClock : IMillisecondClock {
    uint32_t now = 0;
    uint32_t Milliseconds() override { return now += 1000; }
};
struct RecordingHost : ILengthyOperationHost {
    std::vector<std::u16string> texts;
    bool anyStoppable = false;
    void OpenWindow(const std::u16string& text, const std::u16string&, bool stop, ILengthyOperationListener&) override {
        if (texts.empty() || texts.back() != text) texts.push_back(text);
        anyStoppable |= stop;
    }
    void ProcessEvents() override {}
    void Beep() override {}
};

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

            FastClock clock;
            RecordingHost host;
            NSUndoPackage::CSavedWaveSample saved(*wave, {&host, &clock});
            EXPECT_EQ(Contents(*wave), Contents(*saved.Restore({&host, &clock})));
            EXPECT_EQ(Contents(*wave), Contents(*saved.Restore())); // the saved form serves again
            EXPECT_EQ(host.texts, (std::vector<std::u16string>{u"Saving Undo information...",
                                                               u"Restoring Undo information..."}));
            EXPECT_FALSE(host.anyStoppable);
        }

    auto untouched = CreateWaveSample(22050, 0, false, 16);
    EXPECT_EQ(Contents(*untouched), Contents(*NSUndoPackage::CSavedWaveSample(*untouched).Restore()));
}

} // namespace
