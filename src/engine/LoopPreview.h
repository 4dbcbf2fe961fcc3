// The preview of a loop file in the open dialog: the file's sound with a
// sequencer of its own, played through the wave player's loop-preview mode
// (CWavePlayer::PlayLoopPreview) while the dialog shows the file.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/Sequencer.h"
#include "engine/WavePlayer.h"

namespace NSZubrik {

class CABCWaveSample;
class CSliceSequence;

class CLoopPreview : public ILoopPreview {
public:
    // Takes the sound and its slices over (slices may be null: the loop is
    // cut at the locators only); the sequencer is set up from them.
    CLoopPreview(std::unique_ptr<CABCWaveSample> wave, std::unique_ptr<CSliceSequence> slices);
    ~CLoopPreview() override;
    CLoopPreview(const CLoopPreview&) = delete;
    CLoopPreview& operator=(const CLoopPreview&) = delete;

    // For the file's settings (tempo, bars, effects) before Start.
    CZubrikSequencer& GetSequencer() { return *fSequencer; }
    // GUI thread: the loop starts from its first segment at the next piece
    // (a preview that was stopped goes on where it was: the open dialog
    // makes a new one for each file it shows).
    void Start();
    // GUI thread: silent from the next piece on; the sequencer is no longer
    // rendered.
    void Stop() override;
    bool IsActive() const { return fActive.load(std::memory_order_acquire); }

    // Audio thread: pieces of at most 64 frames; with right null one mixed
    // channel, (left + right) × 0.5.
    void Render(float* left, float* right, int32_t frameCount) noexcept override;

private:
    std::unique_ptr<CABCWaveSample> fWave;
    std::unique_ptr<CSliceSequence> fSlices;
    std::unique_ptr<CZubrikSequencer> fSequencer;
    std::atomic<bool> fActive{false};
    float fLeft[CZubrikSequencer::kBlockFrames] = {};
    float fRight[CZubrikSequencer::kBlockFrames] = {};
};

} // namespace NSZubrik
