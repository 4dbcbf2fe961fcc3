#include "engine/SampleRateConverter.h"

#include <algorithm>
#include <cmath>

#include "audiodata/WaveSample.h"
#include "engine/DSPTables.h"

namespace NSDocumentUndoableAK {

using NSZubrik::CDSPTables;
using NSZubrik::CDSPTablesCache;

namespace {

constexpr int32_t kFractionMask = (1 << CSampleRateConverter::kFractionBits) - 1;
constexpr int32_t kKernelCentre = CDSPTables::kKernelSize / 2;
// The filter reads 16 frames before and 15 after each of the n + 16 frames it
// produces: a block needs n + 47 source frames, n at most 4096.
constexpr int32_t kSourceSize = CSampleRateConverter::kFilteredSize + 32;
constexpr int32_t kHistory = 16;

} // namespace

CSampleRateConverter::CSampleRateConverter(const NSZubrik::CABCWaveSample& wave, int32_t channel,
                                           int32_t targetRate)
    : fWave(wave), fChannel(channel), fTargetRate(targetRate), fRegionEnd(wave.GetFrameCount())
{
    const CDSPTables& tables = CDSPTablesCache::Acquire(targetRate);
    (void)tables;
    try {
        fKernel = CDSPTables::Kernel();
        fFiltered = std::make_unique<float[]>(kFilteredSize);
        fSource = std::make_unique<float[]>(kSourceSize);
    } catch (...) {
        CDSPTablesCache::Release(targetRate);
        throw;
    }
    PrepareFilter();
}

CSampleRateConverter::~CSampleRateConverter() { CDSPTablesCache::Release(fTargetRate); }

// The side taps sample the kernel at a spacing that widens as the ratio
// falls, so that the low-pass cuts near the lower of the two Nyquist
// frequencies. When upsampling they land on the kernel's zero crossings and
// the filter passes the signal through.
void CSampleRateConverter::PrepareFilter()
{
    const double ratio = static_cast<double>(fWave.GetSampleRate()) / static_cast<double>(fTargetRate);
    fStep = static_cast<int32_t>(std::min(524288.0 * ratio, static_cast<double>(kMaximumStep)));
    const int32_t stride = static_cast<int32_t>(std::min(256.0 / ratio, 256.0));

    fTaps[0] = fKernel[kKernelCentre];
    for (int32_t k = 1; k <= kSideTaps; ++k) {
        if (k * stride < kKernelCentre) {
            fTaps[k] = fKernel[kKernelCentre + k * stride];
            fTapCount += 1.0f;
        } else {
            fTaps[k] = kOutsideValue;
        }
    }
    float sum = std::fabs(fTaps[0]);
    float sides = 0.0f;
    for (int32_t k = 1; k <= kSideTaps; ++k)
        sides += std::fabs(fTaps[k]);
    sum += 2.0f * sides;
    for (float& tap : fTaps)
        tap /= sum;
}

void CSampleRateConverter::Read(float* out, int32_t count)
{
    while (count > 0) {
        if (fOutLeft == 0) {
            ProduceBlock();
            fOutLeft = kBlockFrames;
        }
        const int32_t take = std::min(count, fOutLeft);
        std::copy_n(fOutBlock + (kBlockFrames - fOutLeft), take, out);
        fOutLeft -= take;
        out += take;
        count -= take;
    }
}

// Source frames first ... first + count - 1 into fSource; frames outside the
// region read as a near-silent constant.
void CSampleRateConverter::FetchSource(int32_t first, int32_t count)
{
    const int32_t inStart = std::clamp(fRegionStart, first, first + count);
    const int32_t inEnd = std::clamp(fRegionEnd, inStart, first + count);
    float* const source = fSource.get();
    std::fill(source, source + (inStart - first), kOutsideValue);
    if (inEnd > inStart)
        fWave.GetFloats(inStart, inEnd - inStart, source + (inStart - first), fChannel);
    std::fill(source + (inEnd - first), source + count, kOutsideValue);
}

void CSampleRateConverter::ProduceBlock()
{
    const int32_t f0 = fFraction;
    const int64_t total = static_cast<int64_t>(f0) + static_cast<int64_t>(kBlockFrames) * fStep;
    const auto n = static_cast<int32_t>(total >> kFractionBits);
    fFraction = static_cast<int32_t>(total & kFractionMask);
    const int32_t first = fReadPos - kHistory;
    fReadPos += n;

    // Pre-filter: filtered frame j is centred on source frame first + 16 + j.
    const int32_t filteredCount = n + 16;
    FetchSource(first, filteredCount + 31);
    const auto sideTaps = static_cast<int32_t>(fTapCount) - 1;
    const float* const source = fSource.get();
    float* const filtered = fFiltered.get();
    for (int32_t j = 0; j < filteredCount; ++j) {
        const float* centre = source + kHistory + j;
        float y = fTaps[0] * centre[0];
        for (int32_t k = 1; k <= sideTaps; ++k)
            y += fTaps[k] * (centre[-k] + centre[k]);
        filtered[j] = y;
    }

    // Interpolation: output frame o lies at filtered frame (f >> 19) + 2 plus
    // the fraction, whose top eight bits choose the kernel phase.
    int64_t f = f0;
    for (float& out : fOutBlock) {
        const auto i = static_cast<int32_t>(f >> kFractionBits);
        const auto phase = static_cast<int32_t>((f >> 11) & 255);
        const float* taps = filtered + i + 5;
        float y = 0.0f;
        for (int32_t t = 0; t < CDSPTables::kKernelTaps; ++t)
            y += taps[-t] * fKernel[t * CDSPTables::kKernelPhases + phase];
        const float magnitude = std::fabs(y);
        if (magnitude > fPeak)
            fPeak = magnitude;
        out = y * fGain;
        f += fStep;
    }
}

} // namespace NSDocumentUndoableAK
