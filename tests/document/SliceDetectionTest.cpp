#include "document/SliceDetection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "FakeProgressWindow.h"
#include "support/TestSupport.h"

using namespace NSZubrik;
using namespace NSZubrik::NSSliceDetection;

namespace {

using TSignal = std::vector<int16_t>;
using TFound = std::vector<std::pair<int32_t, int16_t>>;  // position, strength

TSignal Signal(size_t frames, int16_t value, const std::map<size_t, int16_t>& points = {})
{
    TSignal signal(frames, value);
    for (const auto& [frame, v] : points)
        signal[frame] = v;
    return signal;
}

// 24-bit storage gets the same top 16 bits plus low bits the pass ignores.
std::unique_ptr<CABCWaveSample> MakeSample(const TSignal& left, const TSignal* right = nullptr, int32_t bits = 16)
{
    auto sample = CreateWaveSample(44100, static_cast<int32_t>(left.size()), right != nullptr, bits);
    for (int32_t channel = 1; channel <= (right != nullptr ? 2 : 1); ++channel)
        for (size_t i = 0; i < left.size(); ++i)
            sample->SetInt24(int32_t(i), (channel == 1 ? left : *right)[i] * 256 + (bits == 24 ? i % 256 : 0), channel);
    sample->BuildPreview();
    return sample;
}

TFound Found(const CSliceSequence& sequence, bool strengths = true)
{
    TFound found;
    for (const CSlice& slice : sequence)
        found.emplace_back(slice.GetPosition(), strengths ? slice.GetStrength() : 0);
    return found;
}

TFound Analyzed(const TSignal& left, const TSignal* right = nullptr, int32_t bits = 16, bool strengths = true)
{
    auto sample = MakeSample(left, right, bits);
    CSliceSequence sequence(*sample);
    EXPECT_TRUE(sequence.Analyze());
    return Found(sequence, strengths);
}

// Kick (0), snare (1) and hat (2) with sharp attacks over a faint noise
// floor; the second half repeats the first with quieter hats.
const int32_t kPattern[8][3] = {{0, 14000, 0},     {11025, 5000, 2}, {22050, 12000, 1}, {33075, 5000, 2},
                                {44100, 14000, 0}, {55125, 2000, 2}, {66150, 12000, 1}, {77175, 2000, 2}};

TSignal DrumPattern()
{
    const auto floor = NSTestSupport::Noise(90000, 200, 3), noise = NSTestSupport::Noise(90000, 1000, 4);
    std::vector<double> mix(floor.begin(), floor.end());
    for (const auto& [frame, amplitude, kind] : kPattern)
        for (size_t i = size_t(frame); i < mix.size(); ++i) {
            const double t = double(i - size_t(frame)) / 44100.0;
            const double tone = kind == 0 ? std::cos(2 * M_PI * 55 * t) : noise[i] / 1000.0;
            mix[i] += amplitude * tone * std::exp(-(kind == 0 ? 8.0 : kind == 1 ? 20.0 : 60.0) * t);
        }
    TSignal out;
    for (double v : mix)
        out.push_back(static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0)));
    return out;
}

TEST(SliceDetectionTest, OnsetsSnapBackToAZeroCrossingOrAQuietFrame)
{
    for (size_t frames : {0, 1, 1000, 2500})  // silence: the start slice alone
        EXPECT_EQ(Analyzed(TSignal(frames, 0)), (TFound{{0, 16384}})) << frames;
    // Clicks in silence land on the quiet frame before them (2 x 20000 wraps,
    // but its 16-bit magnitude is still loud).
    EXPECT_EQ(Analyzed(Signal(50000, 0, {{5000, 20000}, {20000, -15000}, {40000, 8000}})),
              (TFound{{4999, 32767}, {19999, 32767}, {39999, 32767}}));
    // A steady 1500 keeps the level up but is too loud to count as quiet
    // (frame 0 is an onset of its own): the onset at 3002 goes back to the
    // sign change, or at most 500 frames, or to frame 0 and merges there.
    EXPECT_EQ(Analyzed(Signal(6000, 1500, {{3000, -1500}, {3001, -1200}, {3002, -12000}}), nullptr, 16, false),
              (TFound{{0, 0}, {3000, 0}}));
    EXPECT_EQ(Analyzed(Signal(6000, 1500, {{3002, 20000}}), nullptr, 16, false), (TFound{{0, 0}, {2502, 0}}));
    EXPECT_EQ(Analyzed(Signal(6000, 1500, {{350, 8000}}), nullptr, 16, false), (TFound{{0, 0}}));
}

TEST(SliceDetectionTest, StereoAddsChannelsExactlyThenHalvesTowardZero)
{
    const TSignal left{-3, -32768, 7}, right{0, -32768, -8};
    EXPECT_EQ(MixedValue(*MakeSample(left, &right), 0), -1);
    // The sum leaves 16 bits for 5000 frames: the level tracked there, and so
    // the click's strength, follows the true mix of 20000.
    TSignal loud = Signal(8000, 0, {{5400, 5000}});
    std::fill(loud.begin(), loud.begin() + 5000, 20000);
    const TFound mono = Analyzed(loud);
    EXPECT_EQ(mono.back().first, 5399);
    EXPECT_EQ(Analyzed(loud, &loud), mono);
    EXPECT_EQ(Analyzed(loud, &loud, 24), mono);
}

TEST(SliceDetectionTest, DrumHitsFoundAtTheirFramesAndRankedByLoudness)
{
    const TSignal signal = DrumPattern();
    auto sample = MakeSample(signal);
    CSliceSequence sequence(*sample);
    ASSERT_TRUE(sequence.Analyze());
    ASSERT_EQ(sequence.GetCount(), 8);
    for (int32_t h = 0; h < 8; ++h) {
        // A soft noisy hit may take a few frames to stand out; the snap then
        // leaves the slice just after a sign change or on a quiet frame.
        const int32_t p = sequence.GetSlice(h).GetPosition(), v = signal[size_t(p)], w = signal[size_t(std::max(p, 1) - 1)];
        EXPECT_TRUE(p >= kPattern[h][0] - 2 && p <= kPattern[h][0] + 32) << h;
        EXPECT_TRUE(p == 0 || std::abs(v) < kSnapQuiet || v * w < 0) << h;
    }
    EXPECT_GT(sequence.GetSlice(1).GetStrength(), sequence.GetSlice(5).GetStrength());  // softer hat
    EXPECT_GT(sequence.GetSlice(3).GetStrength(), sequence.GetSlice(7).GetStrength());
    EXPECT_EQ(Analyzed(signal, &signal, 24), Found(sequence));
}

TEST(SliceDetectionTest, ReAnalyzeMergesNearbyOnsetsAndUnmutes)
{
    auto sample = MakeSample(DrumPattern());
    CSliceSequence sequence(*sample);
    sequence.Analyze();
    TFound expected = Found(sequence, false);
    sequence.SetSensitivity(60);
    sequence.GetSlice(1).SetState(CSlice::kMuted);
    sequence.GetSlice(2).SetState(CSlice::kLocked);
    CSlice near = sequence.GetSlice(4), far = sequence.GetSlice(6);
    near.SetPosition(near.GetPosition() + 64);  // the tolerance at 44.1 kHz
    far.SetPosition(far.GetPosition() + 65);
    for (int32_t h : {7, 6, 4})
        sequence.RemoveSlice(h);
    for (const CSlice& slice : {near, far, CSlice(50000, 0, CSlice::kLocked)})
        sequence.InsertSlice(slice);
    ASSERT_TRUE(sequence.ReAnalyze());
    expected[4].first += 64;
    expected.insert(expected.begin() + 5, {50000, 0});
    expected.insert(expected.begin() + 8, {far.GetPosition(), 0});
    EXPECT_EQ(Found(sequence, false), expected);
    EXPECT_TRUE(sequence.GetSlice(1).IsNormal() && sequence.GetSlice(2).IsLocked());
    EXPECT_EQ(sequence.GetSensitivity(), 60);
    EXPECT_EQ(MergeTolerance(96000), 139);
}

TEST(SliceDetectionTest, StopKeepsWhatWasFoundBeforeTheMark)
{
    auto sample = MakeSample(Signal(10000, 0, {{1500, 9000}, {3000, 9000}, {4500, 9000}, {6000, 9000}, {7500, 9000}}));
    for (int32_t stopAt : {-1, 5000}) {
        CFakeProgressWindow window;
        window.tick = 600;
        window.stopAtCount = 10000 - stopAt;
        const auto previous = SetDefaultLengthyOperationServices(window.Services());
        CSliceSequence sequence(*sample);
        EXPECT_EQ(sequence.Analyze(), stopAt < 0);
        SetDefaultLengthyOperationServices(previous);
        EXPECT_EQ(window.texts.front(), u"Finding slices (frames left):");
        EXPECT_FALSE(window.open);
        // Stopped at 5000, the onset at 4500 still waited for its strength.
        const TFound all{{1499, 0}, {2999, 0}, {4499, 0}, {5999, 0}, {7499, 0}};
        EXPECT_EQ(Found(sequence, false), TFound(all.begin(), all.begin() + (stopAt < 0 ? 5 : 2)));
    }
}

} // namespace
