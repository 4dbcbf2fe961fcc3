// Renders the loop the way the preview plays it, without a sound card: a
// private copy of a sequencer starts the loop at the loop's first segment and
// is rendered block by block into memory or piece by piece to a sink. Used by the command line's render
// job, by checks of the engine and by the benchmarks.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "engine/Sequencer.h"

namespace NSZubrik {

class CABCWaveSample;

class COfflineRenderer {
public:
    // Called now and then with the frames done and the frames in all;
    // returning false stops the render with XUserPressedStop.
    using TProgress = std::function<bool(int32_t framesDone, int32_t frameCount)>;

    // The sequencer is copied for every render, so it may go on playing; it
    // must outlive the renderer.
    explicit COfflineRenderer(const CZubrikSequencer& sequencer);

    // Renders at this rate instead of the sequencer's output rate.
    void SetOutputSampleRate(int32_t rate) { fOutputRate = rate; }
    int32_t GetOutputSampleRate() const;
    void SetProgress(TProgress progress) { fProgress = std::move(progress); }

    // Frames that a number of seconds takes at the output rate, rounded to
    // the nearest frame. Throws XIllegalCallSequence for a length that is
    // not positive or does not fit a wave sample.
    int32_t FrameCountFor(double seconds) const;

    // Renders that many seconds of the playing loop into a new wave sample
    // at the output rate: stereo when the sequencer's wave is stereo, with
    // 16-bit storage for depths up to 16 and 24-bit storage above.
    std::unique_ptr<CABCWaveSample> RenderLoop(double seconds, int32_t bitDepth = 16) const;

    // Renders frameCount frames of the playing loop into two float buffers;
    // a mono wave gives identical channels.
    void RenderLoop(int32_t frameCount, float* left, float* right) const;

    // Renders frameCount frames of the playing loop piece by piece, handing
    // each piece to sink as it is done, so a long render need not fit in
    // memory; a mono wave gives identical channels.
    using TPieceSink = std::function<void(const float* left, const float* right, int32_t count)>;
    void RenderLoop(int32_t frameCount, const TPieceSink& sink) const;

private:
    static constexpr int32_t kPieceFrames = 4096;

    std::unique_ptr<CZubrikSequencer> StartedCopy() const;
    void Report(int32_t done, int32_t total) const;

    const CZubrikSequencer& fSequencer;
    int32_t fOutputRate = 0; // 0: the sequencer's
    TProgress fProgress;
};

} // namespace NSZubrik
