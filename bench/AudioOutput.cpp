// The device callback's cost: CPU time of one 256-frame callback through the
// renderer, the wave player (clipping, peaks) and the sequencer, against the
// buffer's own duration (256 / 44100 s = 5805 us; the goal is under 5%, 290
// us). The loaded case is the busiest the sequencer gets in tempo mode, with
// envelope, transient shaper, equalizer and a pitch shift on: a slice on
// every 64 frames, so every render block starts one of the 8 sampler voices
// while the one before releases (a start releases every other voice with
// the shortest release, 0.1 ms, so two sound in each block). The baseline
// in the same run is plain mode (one region voice, no effects). The
// "voices" counter is the mean of voices sounding after a callback.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "engine/AudioRenderer.h"
#include "engine/Sequencer.h"
#include "engine/WavePlayer.h"

using namespace NSZubrik;

namespace {

constexpr int32_t kRate = 44100;
constexpr int32_t kLoopFrames = 1 << 15;
constexpr int32_t kSliceSpacing = 64;
constexpr int32_t kBufferFrames = 256;

// Decaying noise bursts, one per slice, in stereo (fixed seed).
struct CDenseLoop {
    std::unique_ptr<CABCWaveSample> fWave;
    std::unique_ptr<CSliceSequence> fSlices;

    CDenseLoop()
    {
        fWave = CreateWaveSample(kRate, kLoopFrames, true, 16);
        std::mt19937 random(17);
        std::uniform_real_distribution<float> white(-0.5f, 0.5f);
        std::vector<float> left(kLoopFrames), right(kLoopFrames);
        for (int32_t i = 0; i < kLoopFrames; ++i) {
            const float decay = std::exp(-float(i % 2048) / 600.0f);
            left[i] = white(random) * decay;
            right[i] = white(random) * decay;
        }
        fWave->SetFloats(0, kLoopFrames, left.data(), 1);
        fWave->SetFloats(0, kLoopFrames, right.data(), 2);
        fWave->SetLoop(CABCWaveSample::kLoopModeSet, 0, kLoopFrames);
        fSlices = std::make_unique<CSliceSequence>(*fWave);
        for (int32_t at = 0; at < kLoopFrames; at += kSliceSpacing) {
            CSlice slice(at, 20000, CSlice::kLocked);
            slice.SetLength(kSliceSpacing);
            fSlices->InsertSlice(slice);
        }
    }
};

void Callback(benchmark::State& state, bool tempoMode)
{
    CDenseLoop loop;
    CZubrikSequencer sequencer(*loop.fWave);
    sequencer.SetPreviewOn(tempoMode);
    sequencer.SetSignature(4, 4);
    sequencer.SetBars(tempoMode ? 1 : 0);
    sequencer.SetPreviewTempo(sequencer.GetOriginalTempo());
    sequencer.SetEnvelopeOn(tempoMode);
    sequencer.SetEnvelopeDecay(900);
    sequencer.SetShaperOn(tempoMode);
    sequencer.SetShaperThreshold(-200);
    sequencer.SetEqualizerOn(tempoMode);
    sequencer.SetEqualizerLowGain(6000);
    sequencer.SetEqualizerHighGain(-3000);
    sequencer.SetPitch(int16_t(tempoMode ? 700 : 0));
    sequencer.SetWaveSample(*loop.fWave, loop.fSlices.get());

    CWavePlayer player;
    CAudioRenderer renderer(player);
    renderer.SetEnabled(true);
    player.PlaySequencer(sequencer, nullptr);
    sequencer.StartLoop();
    std::vector<float> left(kBufferFrames), right(kBufferFrames);
    float* const buffers[2] = {left.data(), right.data()};
    for (int i = 0; i < 64; ++i) // past the start-up
        renderer.Render(kBufferFrames, buffers, 2);
    int64_t sounding = 0;
    for (auto _ : state) {
        renderer.Render(kBufferFrames, buffers, 2);
        benchmark::DoNotOptimize(left.data());
        for (int v = 0; v < CZubrikSampler::kVoiceCount; ++v)
            sounding += sequencer.GetSampler().GetVoice(v).fEnvelopeState != CZubrikSampler::kSilent;
    }
    state.counters["voices"] = double(sounding) / double(state.iterations());
    state.SetItemsProcessed(state.iterations() * kBufferFrames);
}

void BM_CallbackTempoModeVoiceEveryBlockAllEffects(benchmark::State& state) { Callback(state, true); }
void BM_CallbackPlainModeBaseline(benchmark::State& state) { Callback(state, false); }

} // namespace

BENCHMARK(BM_CallbackTempoModeVoiceEveryBlockAllEffects)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CallbackPlainModeBaseline)->Unit(benchmark::kMicrosecond);
