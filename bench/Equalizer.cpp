// Equalizer speed: frames per second through both channels with all four
// stages working (low cut, two peaking bands, high cut), against the bypass
// (switched off: only the smoother and the coefficients run each block).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "engine/Equalizer.h"

using namespace NSZubrik;

namespace {

constexpr int kBlock = 64;
constexpr int kBlocks = 1024;

std::vector<float> Noise(uint32_t seed)
{
    std::vector<float> v(kBlock * kBlocks);
    for (float& x : v) {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<float>(static_cast<int32_t>(seed)) * (0.5f / 2147483648.0f);
    }
    return v;
}

void Process(benchmark::State& state, bool on)
{
    CEqualizerEffect eq(44100);
    eq.SetOn(on);
    eq.SetTempoMode(true);
    eq.SetLoCut(80);
    eq.SetLowFrequency(200);
    eq.SetLowGain(6000);
    eq.SetHighFrequency(5000);
    eq.SetHighGain(-4000);
    eq.SetHighCut(12000);
    std::vector<float> left = Noise(1), right = Noise(2);
    for (auto _ : state) {
        for (int b = 0; b < kBlocks; ++b)
            eq.Process(&left[b * kBlock], &right[b * kBlock]);
        benchmark::DoNotOptimize(left.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBlock * kBlocks);
}

void BM_EqualizerFourStages(benchmark::State& state) { Process(state, true); }
void BM_EqualizerBypass(benchmark::State& state) { Process(state, false); }

} // namespace

BENCHMARK(BM_EqualizerFourStages);
BENCHMARK(BM_EqualizerBypass);
