#include "engine/Equalizer.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using NSZubrik::CEqualizerEffect;

namespace {

constexpr int kBlock = 64;

// Runs a sine through an active equalizer for about half a second and returns
// the output level relative to the input in dB, measured after settling.
double GainInDecibels(CEqualizerEffect& eq, double frequency)
{
    const int blocks = 44100 / 2 / kBlock;
    double phase = 0, step = 2 * M_PI * frequency / 44100;
    double in = 0, out = 0;
    float left[kBlock], right[kBlock];
    for (int b = 0; b < blocks; ++b) {
        for (int i = 0; i < kBlock; ++i, phase += step)
            left[i] = right[i] = static_cast<float>(0.25 * std::sin(phase));
        for (int i = 0; i < kBlock && b >= blocks / 2; ++i)
            in += double(left[i]) * left[i];
        eq.Process(left, right);
        for (int i = 0; i < kBlock && b >= blocks / 2; ++i)
            out += double(left[i]) * left[i];
    }
    return 10 * std::log10(out / in);
}

CEqualizerEffect ActiveEqualizer(int rate = 44100)
{
    CEqualizerEffect eq(rate);
    eq.SetOn(true);
    eq.SetTempoMode(true);
    return eq;
}

std::vector<float> Noise(int frames)
{
    std::vector<int32_t> values = NSTestSupport::Noise(size_t(frames), 30000, 3);
    return std::vector<float>(values.begin(), values.end());
}

// Processes the signal in blocks (both channels get it) and returns the left.
std::vector<float> Filtered(CEqualizerEffect& eq, std::vector<float> signal)
{
    std::vector<float> right = signal;
    for (size_t i = 0; i + kBlock <= signal.size(); i += kBlock)
        eq.Process(&signal[i], &right[i]);
    return signal;
}

} // namespace

TEST(Equalizer, BandsAndCutsShapeTheResponse)
{
    CEqualizerEffect flat = ActiveEqualizer();
    EXPECT_NEAR(GainInDecibels(flat, 1000), 0.0, 0.1);

    CEqualizerEffect low = ActiveEqualizer();
    low.SetLowFrequency(400);
    low.SetLowGain(12000);
    EXPECT_NEAR(GainInDecibels(low, 400), 12.0, 0.5);
    EXPECT_NEAR(GainInDecibels(low, 8000), 0.0, 0.5);

    // -18 dB at Q 1.0 is filtered with Q 1/9: an octave away it still cuts
    // hard (Q 1 would give about -5 dB).
    CEqualizerEffect deep = ActiveEqualizer();
    deep.SetLowFrequency(1000);
    deep.SetLowGain(-18000);
    EXPECT_LT(GainInDecibels(deep, 2000), -12.0);

    CEqualizerEffect lowCut = ActiveEqualizer();
    lowCut.SetLoCut(1000);
    EXPECT_LT(GainInDecibels(lowCut, 100), -30.0);
    EXPECT_NEAR(GainInDecibels(lowCut, 10000), 0.0, 1.0);

    CEqualizerEffect highCut = ActiveEqualizer();
    highCut.SetHighCut(1000);
    EXPECT_LT(GainInDecibels(highCut, 10000), -30.0);
}

TEST(Equalizer, WorksOnlyOnAndInTempoModeAndStartsClearedOnEachSwitch)
{
    std::vector<float> input = Noise(1024);
    CEqualizerEffect used;
    used.SetLowGain(-6000);
    used.SetTempoMode(true);
    EXPECT_EQ(Filtered(used, input), input); // off
    used.SetOn(true);
    used.SetTempoMode(false);
    EXPECT_EQ(Filtered(used, input), input); // plain mode
    used.SetTempoMode(true);
    EXPECT_NE(Filtered(used, input), input);
    used.SetTempoMode(false);
    used.SetHighCut(3000); // picked up by the snap, not by gliding
    Filtered(used, input);
    used.SetTempoMode(true);

    CEqualizerEffect fresh = ActiveEqualizer();
    fresh.SetLowGain(-6000);
    fresh.SetHighCut(3000);
    EXPECT_EQ(Filtered(used, input), Filtered(fresh, input));
}
