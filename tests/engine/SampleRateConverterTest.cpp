#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "audiodata/WaveSample.h"
#include "engine/SampleRateConverter.h"

using NSDocumentUndoableAK::CSampleRateConverter;
using namespace NSZubrik;

namespace {

std::unique_ptr<CABCWaveSample> Sine(int32_t rate, int32_t frames, double hz, double amplitude)
{
    auto wave = CreateWaveSample(rate, frames, false, 24);
    for (int32_t i = 0; i < frames; ++i)
        wave->SetFloat(i, amplitude * std::sin(2.0 * std::numbers::pi * hz * i / rate), 1);
    return wave;
}

// Uneven reads exercise the hand-out of partial blocks.
std::vector<float> Convert(CSampleRateConverter& converter, int32_t frames)
{
    std::vector<float> out(static_cast<size_t>(frames));
    for (int32_t done = 0, count = 0; done < frames; done += count) {
        count = std::min(frames - done, 1000 + done % 77);
        converter.Read(out.data() + done, count);
    }
    return out;
}

float Peak(const std::vector<float>& values, size_t from = 0)
{
    float peak = 0.0f;
    for (size_t i = from; i < values.size(); ++i)
        peak = std::max(peak, std::fabs(values[i]));
    return peak;
}

} // namespace

TEST(SampleRateConverter, SineKeepsFrequencyAndAmplitude)
{
    // Halving the rate passes the tone through a softer pre-filter.
    struct SCase {
        int32_t from, to;
        double minimumGain;
    };
    for (const SCase c : {SCase{44100, 44100, 0.9999}, SCase{44100, 48000, 0.99}, SCase{48000, 96000, 0.99},
                          SCase{44100, 22050, 0.75}}) {
        SCOPED_TRACE(c.to);
        const double hz = 1000.0, amplitude = 0.5;
        const int32_t frames = c.from / 4;
        auto wave = Sine(c.from, frames, hz, amplitude);
        CSampleRateConverter converter(*wave, 1, c.to);
        const auto outFrames = int32_t(int64_t(frames) * c.to / c.from);
        const std::vector<float> out = Convert(converter, outFrames);
        const double gain = Peak(out, 100) / amplitude;
        EXPECT_GE(gain, c.minimumGain);
        EXPECT_LE(gain, 1.01);
        // Output frame o lies at source frame o * from / to - 1.
        EXPECT_TRUE(c.from > c.to || std::fabs(out[0]) < 1e-4f) << out[0];
        for (int32_t o = 100; o < outFrames - 100; ++o) {
            const double position = double(o) * c.from / c.to - 1.0;
            const double expected = gain * amplitude * std::sin(2.0 * std::numbers::pi * hz * position / c.from);
            ASSERT_NEAR(out[size_t(o)], expected, amplitude * 0.01) << o;
        }
    }
}

TEST(SampleRateConverter, SecondPassScaledByThePeakStaysWithinFullScale)
{
    // A full-scale square overshoots once filtered: the peak exceeds 1.
    auto wave = CreateWaveSample(44100, 20000, false, 16);
    for (int32_t i = 0; i < 20000; ++i)
        wave->SetFloat(i, (i / 50) % 2 ? 1.0 : -1.0, 1);
    const int32_t frames = 20000 * 48000 / 44100;
    CSampleRateConverter measure(*wave, 1, 48000);
    Convert(measure, frames);
    EXPECT_GT(measure.GetPeak(), 1.0f);
    CSampleRateConverter convert(*wave, 1, 48000);
    convert.SetPeak(measure.GetPeak());
    const std::vector<float> out = Convert(convert, frames);
    EXPECT_LE(Peak(out), 1.0f + 1e-6f);
    EXPECT_GE(Peak(out), 0.9999f);

    // Silence, read far past the end, stays near zero; the peak keeps its floor.
    auto silence = CreateWaveSample(22050, 300, false, 16);
    CSampleRateConverter silent(*silence, 1, 44100);
    EXPECT_LE(Peak(Convert(silent, 5000)), 1e-5f);
    EXPECT_FLOAT_EQ(silent.GetPeak(), 0.1f);
}
