#include "audiodata/WaveSample.h"

#include <algorithm>

namespace NSZubrik {

// ---------------------------------------------------------------------------
// CWaveSamplePreview

CWaveSamplePreview::CWaveSamplePreview(int32_t blockCount, bool stereo) : fBlockCount(std::max(blockCount, 0)) {
    if (fBlockCount > 0) {
        fFirst = std::make_unique<SMinMax[]>(static_cast<size_t>(fBlockCount));
        if (stereo)
            fSecond = std::make_unique<SMinMax[]>(static_cast<size_t>(fBlockCount));
    }
}

const CWaveSamplePreview::SMinMax* CWaveSamplePreview::GetPairs(int32_t channel) const {
    return channel == 2 ? fSecond.get() : fFirst.get();
}

CWaveSamplePreview::SMinMax* CWaveSamplePreview::GetPairs(int32_t channel) {
    return channel == 2 ? fSecond.get() : fFirst.get();
}

// ---------------------------------------------------------------------------
// CABCWaveSample

CABCWaveSample::CABCWaveSample(int32_t sampleRate, int32_t frameCount, int32_t bitDepth, bool stereo)
    : fSampleRate(sampleRate), fFrameCount(std::max(frameCount, 0)), fBitDepth(bitDepth), fStereo(stereo),
      fLoopEnd(std::max(frameCount, 0)) {}

CABCWaveSample::~CABCWaveSample() = default;

void CABCWaveSample::SetLoop(int32_t loopMode, int32_t loopStart, int32_t loopEnd) {
    fLoopMode = loopMode;
    fLoopStart.store(loopStart, std::memory_order_relaxed);
    fLoopEnd.store(loopEnd, std::memory_order_relaxed);
    fLocatorsSet = true;
}

namespace {

using SMinMax = CWaveSamplePreview::SMinMax;

SMinMax Merge(SMinMax a, SMinMax b) {
    return {std::min(a.fMin, b.fMin), std::max(a.fMax, b.fMax)};
}

// The smallest and largest of frames values (at least one). Called with the
// constant run length for whole runs, where the loop's fixed count and plain
// comparisons (std::min/max on references would not) let it vectorise.
inline SMinMax RunMinMax(const int16_t* run, int32_t frames) {
    int16_t low = run[0];
    int16_t high = run[0];
    // From the first value on, so that a whole run is a multiple of the
    // vector width with no leftover.
    for (int32_t i = 0; i < frames; ++i) {
        const int16_t value = run[i];
        low = value < low ? value : low;
        high = value > high ? value : high;
    }
    return {low, high};
}

// Fills the pairs of one channel. Each window of 192 frames is the union of
// three consecutive 64-frame runs, so every run's min/max is computed once
// and merged into the (up to) three windows that contain it: the result is
// the same as scanning each window separately, at a third of the reads.
void BuildChannelPreview(const CABCWaveSample& sample, int32_t channel, SMinMax* pairs, int32_t blockCount) {
    constexpr int32_t kRun = CWaveSamplePreview::kBlockFrames;
    constexpr int32_t kRunsPerWindow = CWaveSamplePreview::kWindowFrames / kRun;
    constexpr int32_t kChunkRuns = 64;
    int16_t buffer[kRun * kChunkRuns];

    const int32_t frameCount = sample.GetFrameCount();
    // Runs past the last block still feed the windows of the blocks before.
    const int32_t lastFrame = std::min<int64_t>(int64_t{blockCount} * kRun + (kRunsPerWindow - 1) * kRun,
                                                frameCount);
    for (int32_t chunkStart = 0; chunkStart < lastFrame; chunkStart += kRun * kChunkRuns) {
        const int32_t chunkFrames = std::min(kRun * kChunkRuns, lastFrame - chunkStart);
        sample.GetInt16s(chunkStart, chunkFrames, buffer, channel);
        for (int32_t offset = 0; offset < chunkFrames; offset += kRun) {
            const int32_t runFrames = std::min(kRun, chunkFrames - offset);
            const int16_t* run = buffer + offset;
            const SMinMax m = runFrames == kRun ? RunMinMax(run, kRun) : RunMinMax(run, runFrames);
            const int32_t r = (chunkStart + offset) / kRun;
            for (int32_t b = std::max(r - (kRunsPerWindow - 1), 0); b <= std::min(r, blockCount - 1); ++b)
                pairs[b] = (b == r) ? m : Merge(pairs[b], m);
        }
    }
}

} // namespace

void CABCWaveSample::BuildPreview() {
    const int32_t blockCount = fFrameCount / CWaveSamplePreview::kBlockFrames;
    auto preview = std::make_unique<CWaveSamplePreview>(blockCount, fStereo);
    if (blockCount >= 1) {
        BuildChannelPreview(*this, 1, preview->GetPairs(1), blockCount);
        if (fStereo)
            BuildChannelPreview(*this, 2, preview->GetPairs(2), blockCount);
    }
    fPreview = std::move(preview);
    fPreviewValid = true;
}

// ---------------------------------------------------------------------------

std::unique_ptr<CABCWaveSample> CreateWaveSample(int32_t sampleRate, int32_t frameCount, bool stereo,
                                                 int32_t bitDepth) {
    if (bitDepth == 8 || bitDepth == 16)
        return std::make_unique<C16BitWaveSample>(sampleRate, frameCount, stereo);
    return std::make_unique<C24BitWaveSample>(sampleRate, frameCount, stereo);
}

std::unique_ptr<CABCWaveSample> CreateWaveSample(int32_t sampleRate, int32_t frameCount, bool stereo,
                                                 int32_t bitDepth, SForOverwrite) {
    if (bitDepth == 8 || bitDepth == 16)
        return std::make_unique<C16BitWaveSample>(sampleRate, frameCount, stereo, kForOverwrite);
    return std::make_unique<C24BitWaveSample>(sampleRate, frameCount, stereo, kForOverwrite);
}

} // namespace NSZubrik
