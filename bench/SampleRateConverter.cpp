// Sample-rate conversion of a stereo 44.1 kHz sound to 48 kHz: the
// converter (pre-filter and six-tap windowed-sinc interpolation, one per
// channel, 4096-frame reads) against a plain linear interpolation of the same
// float data in the same run. Items are output frames (both channels).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "audiodata/WaveSample.h"
#include "engine/SampleRateConverter.h"

using namespace NSZubrik;
using NSDocumentUndoableAK::CSampleRateConverter;

namespace {

constexpr int32_t kSourceFrames = 441000;  // ten seconds
constexpr int32_t kTargetFrames = 480000;
constexpr int32_t kBlock = 4096;

const CABCWaveSample& Source()
{
    static const std::unique_ptr<CABCWaveSample> wave = [] {
        auto w = CreateWaveSample(44100, kSourceFrames, true, 24);
        std::mt19937 random(7);
        std::uniform_int_distribution<int32_t> value(-4000000, 4000000);
        std::vector<int32_t> block(kSourceFrames);
        for (const int32_t channel : {1, 2}) {
            for (int32_t& v : block)
                v = value(random);
            w->SetInt24s(0, kSourceFrames, block.data(), channel);
        }
        return w;
    }();
    return *wave;
}

void Converter(benchmark::State& state)
{
    const CABCWaveSample& wave = Source();
    std::vector<float> out(kBlock);
    for (auto _ : state) {
        CSampleRateConverter left(wave, 1, 48000);
        CSampleRateConverter right(wave, 2, 48000);
        for (int32_t start = 0; start < kTargetFrames; start += kBlock) {
            const int32_t count = std::min(kBlock, kTargetFrames - start);
            left.Read(out.data(), count);
            right.Read(out.data(), count);
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * kTargetFrames);
}

// The same job done the simplest way: read the source as floats in blocks,
// interpolate linearly between neighbours.
void LinearBaseline(benchmark::State& state)
{
    const CABCWaveSample& wave = Source();
    std::vector<float> source(kBlock + 2);
    std::vector<float> out(kBlock);
    const double step = 44100.0 / 48000.0;
    for (auto _ : state) {
        for (const int32_t channel : {1, 2}) {
            int32_t loaded = -1;  // first source frame in `source`
            for (int32_t start = 0; start < kTargetFrames; start += kBlock) {
                const int32_t count = std::min(kBlock, kTargetFrames - start);
                for (int32_t o = 0; o < count; ++o) {
                    const double position = (start + o) * step;
                    const auto i = static_cast<int32_t>(position);
                    if (loaded < 0 || i + 1 >= loaded + kBlock + 2) {
                        loaded = i;
                        const int32_t n = std::min(kBlock + 2, kSourceFrames - i);
                        wave.GetFloats(i, n, source.data(), channel);
                        std::fill(source.begin() + n, source.end(), 0.0f);
                    }
                    const float f = static_cast<float>(position - i);
                    const float a = source[size_t(i - loaded)];
                    const float b = source[size_t(i - loaded + 1)];
                    out[size_t(o)] = a + (b - a) * f;
                }
                benchmark::DoNotOptimize(out.data());
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kTargetFrames);
}

} // namespace

BENCHMARK(Converter)->Unit(benchmark::kMillisecond);
BENCHMARK(LinearBaseline)->Unit(benchmark::kMillisecond);
