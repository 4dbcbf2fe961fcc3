#include "engine/Equalizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using NSZubrik::CEqualizerEffect;

namespace {

constexpr int kBlock = 64;

// Runs a sine through an active equalizer for about half a second and returns
// the output level relative to the input in dB, measured after settling.
double GainInDecibels(CEqualizerEffect& eq, double frequency, int rate = 44100)
{
    const int blocks = rate / 2 / kBlock;
    double phase = 0, step = 2 * M_PI * frequency / rate;
    double in = 0, out = 0;
    float left[kBlock], right[kBlock];
    for (int b = 0; b < blocks; ++b) {
        for (int i = 0; i < kBlock; ++i, phase += step)
            left[i] = right[i] = static_cast<float>(0.25 * std::sin(phase));
        double blockIn = 0;
        for (float v : left)
            blockIn += double(v) * v;
        eq.Process(left, right);
        if (b >= blocks / 2) {
            in += blockIn;
            for (float v : left)
                out += double(v) * v;
        }
    }
    return 10 * std::log10(out / in);
}

CEqualizerEffect ActiveEqualizer()
{
    CEqualizerEffect eq(44100);
    eq.SetOn(true);
    eq.SetTempoMode(true);
    return eq;
}

std::vector<float> Noise(int frames)
{
    std::vector<float> v(frames);
    uint32_t s = 12345;
    for (float& x : v) {
        s = s * 1664525u + 1013904223u;
        x = static_cast<float>(int32_t(s) / 4294967296.0);
    }
    return v;
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

TEST(Equalizer, PeakingBandGivesItsGainAtItsCentre)
{
    CEqualizerEffect flat = ActiveEqualizer();
    EXPECT_NEAR(GainInDecibels(flat, 1000), 0.0, 0.1);

    CEqualizerEffect low = ActiveEqualizer();
    low.SetLowFrequency(400);
    low.SetLowGain(12000);
    EXPECT_NEAR(GainInDecibels(low, 400), 12.0, 0.5);
    // Far from the band the level stays close to unity.
    EXPECT_NEAR(GainInDecibels(low, 8000), 0.0, 0.5);

    CEqualizerEffect high = ActiveEqualizer();
    high.SetHighFrequency(5000);
    high.SetHighGain(-12000);
    EXPECT_NEAR(GainInDecibels(high, 5000), -12.0, 0.5);
}

TEST(Equalizer, CutsAttenuateFarBeyondTheirCorner)
{
    CEqualizerEffect lowCut = ActiveEqualizer();
    lowCut.SetLoCut(1000);
    EXPECT_LT(GainInDecibels(lowCut, 100), -30.0);
    EXPECT_NEAR(GainInDecibels(lowCut, 10000), 0.0, 1.0);

    CEqualizerEffect highCut = ActiveEqualizer();
    highCut.SetHighCut(1000);
    EXPECT_LT(GainInDecibels(highCut, 10000), -30.0);
    EXPECT_NEAR(GainInDecibels(highCut, 100), 0.0, 1.0);
}

TEST(Equalizer, DeepCutWidensTheBand)
{
    // -18 dB at Q 1.0 is filtered with Q 1/9: an octave away it still cuts hard.
    CEqualizerEffect deep = ActiveEqualizer();
    deep.SetLowFrequency(1000);
    deep.SetLowGain(-18000);
    EXPECT_LT(GainInDecibels(deep, 2000), -12.0); // Q 1 would give about -5 dB
}

TEST(Equalizer, FrequenciesAboveTheLimitAreHeld)
{
    // At 22050 Hz the limit is about 10000 Hz: 15000 and 16000 both sit on it.
    auto output = [](int16_t frequency) {
        CEqualizerEffect eq(22050);
        eq.SetOn(true);
        eq.SetTempoMode(true);
        eq.SetHighFrequency(frequency);
        eq.SetHighGain(9000);
        eq.SetHighCut(frequency);
        eq.SetLoCut(12000);
        return Filtered(eq, Noise(4096));
    };
    EXPECT_EQ(output(15000), output(16000));
}

TEST(Equalizer, SmoothingGlidesTowardsTheTarget)
{
    CEqualizerEffect eq = ActiveEqualizer();
    float l[kBlock] = {}, r[kBlock] = {};
    eq.Process(l, r); // activation snaps the values
    eq.SetLowGain(10000);
    for (int n = 1; n <= 600; ++n) {
        eq.Process(l, r);
        if (n == 1 || n == 10 || n == 40) {
            EXPECT_NEAR(eq.GetCurrent(3), 10000 * (1 - std::pow(0.95, n)), 0.5) << n;
        }
    }
    EXPECT_NEAR(eq.GetCurrent(3), 10000, 0.05);
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

TEST(Equalizer, CopyKeepsSettingsAndStartsSilent)
{
    std::vector<float> input = Noise(2048);
    CEqualizerEffect original = ActiveEqualizer();
    original.SetHighGain(6000);
    original.SetLoCut(200);
    Filtered(original, input);

    CEqualizerEffect copy(original);
    EXPECT_EQ(copy.GetHighGain(), 6000);
    EXPECT_EQ(copy.GetCurrent(0), original.GetCurrent(0));
    // Silence in: the copy has no history to ring out, the original does.
    std::vector<float> silence(kBlock, 0.0f);
    EXPECT_LT(std::fabs(Filtered(copy, silence)[10]), 1e-4f);
    EXPECT_GT(std::fabs(Filtered(original, silence)[0]), 1e-4f);
}
