#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "DocumentTestSupport.h"
#include "FakeProgressWindow.h"
#include "app/ResourceIds.h"
#include "document/SampleProcessing.h"

using namespace NSZubrik;
using namespace NSDocumentTest;

namespace {

// Records the work counts; never stops.
struct CQuietProgress : ILengthyProgress {
    std::vector<int32_t> counts;
    void SetText(const std::u16string&) override {}
    void SetCount(int32_t count) override { counts.push_back(count); }
    void SetPercent(int32_t percent) override { EXPECT_TRUE(percent >= 0 && percent <= 100); }
    bool StopRequested() const override { return false; }
};

std::unique_ptr<CABCWaveSample> Wave(int32_t depth, std::vector<int32_t> first, std::vector<int32_t> second = {},
                                     int32_t rate = 44100)
{
    const auto frames = int32_t(first.size());
    auto wave = CreateWaveSample(rate, frames, !second.empty(), depth);
    wave->SetInt24s(0, frames, first.data(), 1);
    if (!second.empty())
        wave->SetInt24s(0, frames, second.data(), 2);
    wave->SetLoop(CABCWaveSample::kLoopModeSet, frames / 4, frames / 2);
    return wave;
}

std::vector<int32_t> Int24s(const CABCWaveSample& wave, int32_t channel = 1, int32_t from = 0, int32_t to = -1)
{
    std::vector<int32_t> values(static_cast<size_t>((to < 0 ? wave.GetFrameCount() : to) - from));
    wave.GetInt24s(from, int32_t(values.size()), values.data(), channel);
    return values;
}

int32_t PeakOf(const std::vector<int32_t>& v)
{
    return std::abs(*std::max_element(v.begin(), v.end(), [](int32_t a, int32_t b) { return std::abs(a) < std::abs(b); }));
}

// Noise on 16-bit steps (24-bit scale) whose largest magnitude is `peak`.
std::vector<int32_t> NoiseWithPeak(size_t frames, int32_t peak, uint32_t seed)
{
    std::vector<int32_t> values = NSTestSupport::Noise(frames, peak / 2048, seed);
    for (int32_t& v : values)
        v *= 256;
    values[frames / 3] = -peak;
    return values;
}

std::vector<int32_t> Positions(const CSliceSequence& slices)
{
    std::vector<int32_t> positions(size_t(slices.GetCount()));
    std::transform(slices.begin(), slices.end(), positions.begin(), [](const CSlice& s) { return s.GetPosition(); });
    return positions;
}

} // namespace

TEST(SampleProcessing, NormalizeBringsEachRegionPeakToFullScale)
{
    // Peak 0.5, gain 2 - 2^-16: 32767 - 0.25 rounds to full scale on 16 bits;
    // 24 bits keep the margin (8388607 - 64).
    for (const int32_t depth : {16, 24}) {
        auto wave = Wave(depth, NoiseWithPeak(10000, 8192 * 256, 1), NoiseWithPeak(10000, 16384 * 256, 2));
        CQuietProgress progress;
        auto result = NormalizedWaveSample(*wave, CSliceSequence(*wave), ENormalizeScope::kWholeFile, progress);
        EXPECT_EQ(PeakOf(Int24s(*result, 2)), depth == 16 ? 32767 * 256 : 8388543);
        EXPECT_EQ(result->GetLoopEnd(), 5000);
    }
    CQuietProgress progress;

    // Each slice: the frames before the first active slice form a region;
    // a muted slice does not start one; a full region is copied untouched.
    std::vector<int32_t> values = NoiseWithPeak(12000, 100 * 256, 4);
    values[500] = 300 * 256;
    values[1500] = -8000 * 256;
    values[7000] = 32767 * 256;
    auto wave = Wave(16, values);
    CSliceSequence slices(*wave);
    slices.InsertSlice(CSlice(1000, 10, CSlice::kLocked));
    slices.InsertSlice(CSlice(3000, 10, CSlice::kMuted));
    slices.InsertSlice(CSlice(6000, 10, CSlice::kLocked));
    EXPECT_EQ(NormalizeRegions(*wave, slices, ENormalizeScope::kEachSlice),
              (std::vector<SFrameRegion>{{0, 1000}, {1000, 6000}, {6000, 12000}}));
    progress = {};
    auto each = NormalizedWaveSample(*wave, slices, ENormalizeScope::kEachSlice, progress);
    EXPECT_EQ(PeakOf(Int24s(*each, 1, 0, 1000)), 32767 * 256);
    EXPECT_EQ(PeakOf(Int24s(*each, 1, 1000, 6000)), 32767 * 256);
    EXPECT_EQ(Int24s(*each, 1, 6000), Int24s(*wave, 1, 6000));
    EXPECT_EQ(progress.counts.front(), 3);  // regions still to do
}

TEST(SampleProcessing, ConvertToMonoMixesOnTheTwentyFourBitScale)
{
    // 3 and -4 mix to 0 on 24 bits; on 16 bits to -256 / 2 = -128, shifted back to -1.
    for (const int32_t step : {1, 256}) {
        auto wave = Wave(step == 1 ? 24 : 16, {3 * step, 100 * step}, {-4 * step, 50 * step});
        CQuietProgress progress;
        auto mix = MonoWaveSample(*wave, kMonoMix, progress);
        EXPECT_FALSE(mix->IsStereo());
        EXPECT_EQ(mix->GetInt16(0, 1), step == 1 ? 0 : -1);
        EXPECT_EQ(mix->GetInt24(1, 1), 75 * step);
        EXPECT_EQ(Int24s(*MonoWaveSample(*wave, kMonoFromRight, progress)), Int24s(*wave, 2));
    }
}

TEST(SampleProcessing, ConvertSampleFormatScalesFramesLocatorsAndSlices)
{
    auto wave = Wave(16, NoiseWithPeak(44100, 30000 * 256, 5), NoiseWithPeak(44100, 3000 * 256, 6));
    wave->SetLoop(CABCWaveSample::kLoopModeSet, 3, 44099);
    CSliceSequence slices(*wave);
    slices.SetSensitivity(42);
    for (const int32_t at : {1, 20000, 44099})
        slices.InsertSlice(CSlice(at, 100, CSlice::kMuted, true));
    CQuietProgress progress;
    SWaveAndSlices result = ConvertedSampleFormat(*wave, slices, 22050, 24, progress);
    const CABCWaveSample& converted = *result.fWave;
    EXPECT_EQ(std::vector({converted.GetFrameCount(), converted.GetBitDepth(), converted.GetLoopStart(),
                           converted.GetLoopEnd()}),
              std::vector({22050, 24, 2, 22050}));
    // The second pass divides by the first pass's peak: full scale, not over.
    EXPECT_NEAR(std::max(PeakOf(Int24s(*result.fWave, 1)), PeakOf(Int24s(*result.fWave, 2))), 8388607, 2);
    // 1 -> ceil(0.5) = 1; 44099 -> 22050, clamped to the last frame.
    EXPECT_EQ(Positions(*result.fSlices), (std::vector<int32_t>{1, 10000, 22049}));
    EXPECT_TRUE(result.fSlices->GetSensitivity() == 42 && result.fSlices->GetSlice(0).IsSelected());
}

TEST(SampleProcessing, CropKeepsTheLoopAndTheSlicesInside)
{
    auto wave = Wave(24, NSTestSupport::Noise(8000, 1 << 22, 7), NSTestSupport::Noise(8000, 1 << 22, 8));
    wave->SetLoop(CABCWaveSample::kLoopModeSet, 1000, 5000);
    CSliceSequence slices(*wave);
    for (const int32_t at : {500, 1000, 3000, 4999, 5000})
        slices.InsertSlice(CSlice(at, 100, CSlice::kLocked));
    CQuietProgress progress;
    SWaveAndSlices result = CroppedToLoop(*wave, slices, progress);
    EXPECT_EQ(result.fWave->GetLoopEnd(), 4000);
    EXPECT_EQ(Int24s(*result.fWave, 2), Int24s(*wave, 2, 1000, 5000));
    EXPECT_EQ(Positions(*result.fSlices), (std::vector<int32_t>{0, 2000, 3999}));
}

class SampleProcessingDocument : public DocumentFixture {
protected:
    std::vector<std::vector<int32_t>> State() const
    {
        const CABCWaveSample& wave = fDocument->GetWaveSample();
        return {Int24s(wave, 1), wave.IsStereo() ? Int24s(wave, 2) : std::vector<int32_t>{},
                Positions(fDocument->GetSliceSequence()), {wave.GetSampleRate()}};
    }
};

TEST_F(SampleProcessingDocument, EachCommandIsOneStepThatUndoRestoresExactly)
{
    CZubrikDocument& document = Make(DrumLoop(88200, 8, true, 0, 24));
    document.SetLoop(11025, 55125);
    CSampleProcessor processor(document, fServices.lengthy);
    const std::vector<std::pair<int32_t, std::function<bool()>>> commands{
        {NSStrings::kNormalize, [&] { return processor.Normalize(ENormalizeScope::kEachSlice); }},
        {NSStrings::kConvertToMono, [&] { return processor.ConvertToMono(kMonoMix); }},
        {NSStrings::kConvertSampleFormat, [&] { return processor.ConvertSampleFormat(22050, 16); }},
        {NSStrings::kCropLoop, [&] { return processor.CropLoop(); }},
        {NSStrings::kRemoveDC, [&] { return processor.RemoveDC(); }},
    };
    for (const auto& [name, run] : commands) {
        SCOPED_TRACE(name);
        const auto before = State();
        const int32_t position = document.GetUndoHistory().GetPosition();
        ASSERT_TRUE(run());
        EXPECT_EQ(document.GetUndoHistory().GetPosition(), position + 1);
        EXPECT_EQ(document.GetUndoName(), Name(name));
        const auto after = State();
        EXPECT_NE(after, before);
        document.Undo();
        EXPECT_EQ(State(), before);
        document.Redo();
        EXPECT_EQ(State(), after);
    }
    EXPECT_EQ(document.GetWaveSample().GetFrameCount(), 22050);
}

TEST_F(SampleProcessingDocument, CancelNothingToDoAndStopRecordNothing)
{
    CZubrikDocument& document = Make();
    CSampleProcessor processor(document, fServices.lengthy);
    fAlerts.answer = 0;  // "Cancel"
    EXPECT_FALSE(processor.Normalize());
    fAlerts.answer.reset();  // "Whole File"
    ASSERT_TRUE(processor.Normalize());
    const auto before = State();
    const int32_t position = document.GetUndoHistory().GetPosition();
    fAlerts.messages.clear();
    EXPECT_FALSE(processor.Normalize(ENormalizeScope::kWholeFile));
    ASSERT_EQ(fAlerts.messages.size(), 1u);
    EXPECT_NE(fAlerts.messages[0].find("already normalized"), std::string::npos);

    // Stopped on its second block (warm-up and main pass are counted).
    CFakeProgressWindow window;
    window.tick = 2000;
    window.stopAtCount = 88200 + 22050 - 4096;
    EXPECT_FALSE(CSampleProcessor(document, window.Services()).RemoveDC());
    EXPECT_EQ(window.count, window.stopAtCount);
    EXPECT_EQ(State(), before);
    EXPECT_EQ(document.GetUndoHistory().GetPosition(), position);
    EXPECT_EQ(fAlerts.messages.size(), 1u);
}
