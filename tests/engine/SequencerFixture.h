// A small drum loop for the sequencer and renderer checks.
#pragma once

#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "engine/Sequencer.h"
#include "support/TestSupport.h"

#include <memory>
#include <vector>

namespace NSEngineTest {

using namespace NSZubrik;

inline constexpr int kBlock = 64;

// A 44.1 kHz noise loop with locked 2000-frame slices, in tempo mode (one
// bar of 1/4) previewed at its original tempo.
struct CLoop {
    std::unique_ptr<CABCWaveSample> fWave;
    std::unique_ptr<CSliceSequence> fSlices;
    std::unique_ptr<CZubrikSequencer> fSequencer;

    CLoop(std::vector<int32_t> slices, int32_t frames, int32_t loopStart, int32_t loopEnd,
          bool stereo = false)
    {
        fWave = CreateWaveSample(44100, frames, stereo, 16);
        for (int channel = 1; channel <= (stereo ? 2 : 1); ++channel) {
            std::vector<int32_t> noise = NSTestSupport::Noise(frames, 8000, 7 + channel);
            std::vector<int16_t> values(noise.begin(), noise.end());
            fWave->SetInt16s(0, frames, values.data(), channel);
        }
        fWave->SetLoop(CABCWaveSample::kLoopModeSet, loopStart, loopEnd);
        fSlices = std::make_unique<CSliceSequence>(*fWave);
        for (int32_t position : slices) {
            CSlice slice(position, 20000, CSlice::kLocked);
            slice.SetLength(2000);
            fSlices->InsertSlice(slice);
        }
        fSequencer = std::make_unique<CZubrikSequencer>(*fWave);
        fSequencer->SetPreviewOn(true);
        fSequencer->SetSignature(1, 4);
        fSequencer->SetBars(1);
        fSequencer->SetPreviewTempo(fSequencer->GetOriginalTempo());
        fSequencer->SetWaveSample(*fWave, fSlices.get()); // cursor into the loop
    }

    // Renders block by block; returns the frames at which a voice started.
    std::vector<int64_t> EventFrames(int blocks)
    {
        std::vector<int64_t> frames;
        float left[kBlock], right[kBlock];
        float* const out[2] = {left, right};
        for (int b = 0; b < blocks; ++b) {
            int before = fSequencer->GetSampler().GetLastVoiceIndex();
            fSequencer->Render(out, kBlock);
            if (fSequencer->GetSampler().GetLastVoiceIndex() != before)
                frames.push_back(int64_t(b) * kBlock);
        }
        return frames;
    }
};

} // namespace NSEngineTest
