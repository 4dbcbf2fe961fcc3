// Delivers one channel of a wave sample at another sample rate.
//
// Each output block first runs the source through a short symmetric low-pass
// whose width follows the conversion ratio (so that downsampling does not
// alias), then interpolates the filtered frames with the sampler's six-tap
// windowed-sinc kernel. The converter records the peak of everything it
// produces; a caller that runs a first pass to find that peak can hand it to
// the converters of a second pass, which then scale their output by its
// inverse so that the result fills, and stays inside, full scale.
#pragma once

#include <cstdint>
#include <memory>

namespace NSZubrik {
class CABCWaveSample;
}

namespace NSDocumentUndoableAK {

class CSampleRateConverter {
public:
    static constexpr int32_t kBlockFrames = 64;
    static constexpr int32_t kFractionBits = 19;
    static constexpr int32_t kMaximumStep = 0x2000000;  // 64 source frames per output frame
    static constexpr int32_t kSideTaps = 15;
    static constexpr int32_t kFilteredSize = 4112;
    // Source frames that stand for silence outside the region, kept off zero.
    static constexpr float kOutsideValue = 0.000001f;

    // channel: 1 or 2. Acquires the DSP tables of the target rate.
    CSampleRateConverter(const NSZubrik::CABCWaveSample& wave, int32_t channel, int32_t targetRate);
    ~CSampleRateConverter();
    CSampleRateConverter(const CSampleRateConverter&) = delete;
    CSampleRateConverter& operator=(const CSampleRateConverter&) = delete;

    // Writes the next count output frames.
    void Read(float* out, int32_t count);
    // The largest magnitude produced so far (before the gain), at least 0.1.
    float GetPeak() const { return fPeak; }
    // Every later output value is divided by this peak.
    void SetPeak(float peak) { fGain = 1.0f / peak; }

    int32_t GetStep() const { return fStep; }
    // 1 + the number of side taps the pre-filter uses.
    float GetTapCount() const { return fTapCount; }
    const float* GetTaps() const { return fTaps; }

private:
    void PrepareFilter();
    void ProduceBlock();
    void FetchSource(int32_t first, int32_t count);

    const NSZubrik::CABCWaveSample& fWave;
    int32_t fChannel;
    int32_t fTargetRate;
    const float* fKernel = nullptr;
    int32_t fRegionStart = 0;
    int32_t fRegionEnd;
    float fOutBlock[kBlockFrames] = {};
    int32_t fOutLeft = 0;
    float fTapCount = 1.0f;
    float fTaps[kSideTaps + 1] = {};
    std::unique_ptr<float[]> fFiltered;
    // The source frames one block's filter reads, in order; sized for the
    // largest step.
    std::unique_ptr<float[]> fSource;
    int32_t fReadPos = -3;
    int32_t fFraction = 0;
    int32_t fStep = 0;
    float fPeak = 0.1f;
    float fGain = 1.0f;
};

} // namespace NSDocumentUndoableAK
