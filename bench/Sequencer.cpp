// Preview rendering speed: output frames per second of the whole engine
// (sequencer, sampler, envelope, transient shaper, equalizer) rendering a
// sliced drum loop offline at 44.1 kHz stereo, 30 seconds per iteration.
// Divided by 44100 the figure is the real-time factor. The variants switch
// stages off one by one so that their cost shows as the difference.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "engine/OfflineRenderer.h"
#include "engine/Sequencer.h"

using namespace NSZubrik;

namespace {

constexpr int32_t kRate = 44100;
constexpr int32_t kEighth = kRate / 4; // 120 BPM
constexpr int32_t kLoopFrames = 16 * kEighth; // two bars of 4/4
constexpr int32_t kRenderFrames = 30 * kRate;

// Two bars of eighths: a swept kick on the beats, noise hats between them,
// a slice on every eighth (fixed seed).
struct CDrumLoop {
    std::unique_ptr<CABCWaveSample> fWave;
    std::unique_ptr<CSliceSequence> fSlices;

    CDrumLoop()
    {
        fWave = CreateWaveSample(kRate, kLoopFrames, true, 16);
        std::mt19937 random(20261206);
        std::uniform_real_distribution<float> white(-1.0f, 1.0f);
        std::vector<float> left(kLoopFrames), right(kLoopFrames);
        for (int32_t i = 0; i < kLoopFrames; ++i) {
            int32_t step = i / kEighth, t = i % kEighth;
            float decay = std::exp(-t / (step % 2 ? 1500.0f : 4000.0f));
            float v = step % 2 ? 0.3f * white(random)
                               : 0.8f * std::sin(2 * 3.14159265f * (50.0f + 100.0f * decay) * t / kRate);
            left[i] = v * decay;
            right[i] = (v + 0.05f * white(random)) * decay;
        }
        fWave->SetFloats(0, kLoopFrames, left.data(), 1);
        fWave->SetFloats(0, kLoopFrames, right.data(), 2);
        fWave->SetLoop(CABCWaveSample::kLoopModeSet, 0, kLoopFrames);
        fSlices = std::make_unique<CSliceSequence>(*fWave);
        for (int32_t step = 0; step < 16; ++step) {
            CSlice slice(step * kEighth, 20000, CSlice::kLocked);
            slice.SetLength(kEighth * 3 / 4);
            fSlices->InsertSlice(slice);
        }
    }
};

enum EStages { kPlain, kEnvelopeOnly, kEnvelopeShaper, kAll };

void Render(benchmark::State& state, EStages stages, int32_t tempo)
{
    CDrumLoop loop;
    CZubrikSequencer sequencer(*loop.fWave);
    sequencer.SetPreviewOn(true);
    sequencer.SetBars(stages == kPlain ? 0 : 2);
    sequencer.SetPreviewTempo(tempo);
    sequencer.SetEnvelopeOn(stages != kPlain);
    sequencer.SetEnvelopeDecay(600);
    sequencer.SetShaperOn(stages >= kEnvelopeShaper);
    sequencer.SetEqualizerOn(stages == kAll);
    sequencer.SetEqualizerLowGain(6000);
    sequencer.SetEqualizerHighGain(-3000);
    sequencer.SetEqualizerHighCut(12000);
    sequencer.SetWaveSample(*loop.fWave, loop.fSlices.get());

    COfflineRenderer renderer(sequencer);
    std::vector<float> left(kRenderFrames), right(kRenderFrames);
    for (auto _ : state) {
        renderer.RenderLoop(kRenderFrames, left.data(), right.data());
        benchmark::DoNotOptimize(left.data());
    }
    state.SetItemsProcessed(state.iterations() * kRenderFrames);
}

void BM_TempoModeAllEffects(benchmark::State& state) { Render(state, kAll, 100000); }
void BM_TempoModeAllEffectsFaster(benchmark::State& state) { Render(state, kAll, 160000); }
void BM_TempoModeEnvelopeAndShaper(benchmark::State& state) { Render(state, kEnvelopeShaper, 100000); }
void BM_TempoModeEnvelopeOnly(benchmark::State& state) { Render(state, kEnvelopeOnly, 100000); }
void BM_PlainMode(benchmark::State& state) { Render(state, kPlain, 120000); }

} // namespace

BENCHMARK(BM_TempoModeAllEffects)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TempoModeAllEffectsFaster)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TempoModeEnvelopeAndShaper)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TempoModeEnvelopeOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainMode)->Unit(benchmark::kMillisecond);
