// Render speed of the slice sampler: output frames per second for one voice
// against eight at once, and for the cases that cost more per frame (a
// voice restarted every block, the stretch tail, a transposed voice).
//
// A sampler sends every voice to release when it starts the next one, and
// a released voice ends within a block or two, so eight voices sounding
// together for a long time means eight samplers over the same sample.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "audiodata/Segment.h"
#include "audiodata/WaveSample.h"
#include "engine/Sampler.h"

using namespace NSZubrik;

namespace {

constexpr int32_t kFrames = 44100 * 20;

// Noise from a fixed seed, stereo, 16 bits.
const CABCWaveSample& Wave() {
    static const std::unique_ptr<CABCWaveSample> wave = [] {
        auto sample = CreateWaveSample(44100, kFrames, true, 16);
        uint32_t state = 12345;
        std::vector<int16_t> pairs(2 * static_cast<size_t>(kFrames));
        for (int16_t& value : pairs) {
            state = state * 1664525u + 1013904223u;
            value = static_cast<int16_t>(state >> 16);
        }
        sample->SetInt16Stereo(0, kFrames, pairs.data());
        return sample;
    }();
    return *wave;
}

struct CVoiceSetup {
    int16_t fPitch = 0;
    bool fShaper = false;
    bool fStretch = false;  // play into the stretch tail
};

void StartVoice(CZubrikSampler& sampler, const CVoiceSetup& setup, int index) {
    const int32_t start = index * 44100;
    if (setup.fStretch) {
        sampler.StartSliceVoice(CSegment(start, start + 4410, start + 2000, start + 4000, 0.7f));
    } else {
        sampler.StartSliceVoice(CSegment(start, kFrames, start, kFrames, 1.0f));
    }
}

void RenderVoices(benchmark::State& state, int voices, const CVoiceSetup& setup) {
    std::vector<std::unique_ptr<CZubrikSampler>> samplers;
    for (int i = 0; i < voices; ++i) {
        auto sampler = std::make_unique<CZubrikSampler>(44100);
        sampler->SetWaveSample(&Wave());
        sampler->SetPitch(setup.fPitch);
        sampler->SetShaperOn(setup.fShaper);
        sampler->SetEnvelopeStretch(100);
        StartVoice(*sampler, setup, i);
        samplers.push_back(std::move(sampler));
    }
    float left[64];
    float right[64];
    float* out[2] = {left, right};
    int blocks = 0;
    for (auto _ : state) {
        for (auto& sampler : samplers) {
            sampler->Render(out);
        }
        benchmark::DoNotOptimize(left[0]);
        // Start again before a voice runs out of sample or its tail ends
        // (the stretched one lasts about 80 blocks).
        if (++blocks == 64) {
            blocks = 0;
            for (int i = 0; i < voices; ++i) {
                StartVoice(*samplers[i], setup, i);
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * 64);
    state.counters["voice_frames/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * 64 * voices, benchmark::Counter::kIsRate);
}

void BM_OneVoice(benchmark::State& state) {
    RenderVoices(state, 1, {});
}
BENCHMARK(BM_OneVoice);

void BM_EightVoices(benchmark::State& state) {
    RenderVoices(state, 8, {});
}
BENCHMARK(BM_EightVoices);

void BM_EightVoicesShaperStretchPitched(benchmark::State& state) {
    RenderVoices(state, 8, {.fPitch = 350, .fShaper = true, .fStretch = true});
}
BENCHMARK(BM_EightVoicesShaperStretchPitched);

// A drum loop at a fast tempo: a new slice every block, so each block renders
// the new voice and the one it released.
void BM_RestartEveryBlock(benchmark::State& state) {
    CZubrikSampler sampler(44100);
    sampler.SetWaveSample(&Wave());
    sampler.SetShaperOn(true);
    float left[64];
    float right[64];
    float* out[2] = {left, right};
    int32_t start = 0;
    for (auto _ : state) {
        sampler.StartSliceVoice(CSegment(start, start + 3000, start + 1000, start + 2900, 0.8f));
        sampler.Render(out);
        benchmark::DoNotOptimize(left[0]);
        start = (start + 2999) % (kFrames - 4000);
    }
    state.SetItemsProcessed(state.iterations() * 64);
}
BENCHMARK(BM_RestartEveryBlock);

// Playback without tempo change: one looping region voice.
void BM_LoopingRegion(benchmark::State& state) {
    CZubrikSampler sampler(48000);
    sampler.SetWaveSample(&Wave());
    sampler.StartLoopingRegionVoice(0);
    float left[64];
    float right[64];
    float* out[2] = {left, right};
    for (auto _ : state) {
        sampler.Render(out);
        benchmark::DoNotOptimize(left[0]);
    }
    state.SetItemsProcessed(state.iterations() * 64);
}
BENCHMARK(BM_LoopingRegion);

} // namespace
