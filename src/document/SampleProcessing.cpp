#include "document/SampleProcessing.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/ResourceIds.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "engine/SampleRateConverter.h"

namespace NSZubrik {

namespace {

constexpr int32_t kBlock = kProcessingBlockFrames;

int32_t ChannelCount(const CABCWaveSample& wave) { return wave.IsStereo() ? 2 : 1; }

// Shows what is left and how far the work has come, then honours the stop
// button; called before every block.
void ReportBlock(ILengthyProgress& progress, int64_t left, int64_t done, int64_t total)
{
    progress.SetCount(static_cast<int32_t>(left));
    progress.SetPercent(total > 0 ? static_cast<int32_t>(done * 100 / total) : 0);
    if (progress.StopRequested())
        throw NSDocumentUndoableAK::XUserPressedStop();
}

std::unique_ptr<CABCWaveSample> NewWaveSample(const CABCWaveSample& old, int32_t sampleRate, int32_t frames,
                                              bool stereo, int32_t bitDepth, int32_t left, int32_t right)
{
    auto wave = CreateWaveSample(sampleRate, frames, stereo, bitDepth);
    wave->SetLoop(old.GetLoopMode(), left, right);
    wave->SetLocatorsSet(old.AreLocatorsSet());
    return wave;
}

std::unique_ptr<CABCWaveSample> SameFormat(const CABCWaveSample& old, bool stereo)
{
    return NewWaveSample(old, old.GetSampleRate(), old.GetFrameCount(), stereo, old.GetBitDepth(),
                         old.GetLoopStart(), old.GetLoopEnd());
}

// A sequence over the new sound with the analysis settings of the old one.
std::unique_ptr<CSliceSequence> EmptyLike(const CSliceSequence& old, const CABCWaveSample& wave)
{
    auto slices = std::make_unique<CSliceSequence>(wave);
    slices->SetSensitivity(old.GetSensitivity());
    slices->SetGateSensitivity(old.GetGateSensitivity());
    return slices;
}

// ---- Normalize ----

struct SRegionProgress {
    ILengthyProgress& fProgress;
    int64_t fLeft;       // shown in the count field
    int64_t fBase;       // the region's share of 0 ... fScale
    int64_t fShare;
    int64_t fScale;
    int64_t fLength;

    // Pass 0 fills the first half of the region's share, pass 1 the second.
    void Report(int32_t pass, int64_t done) const
    {
        const int64_t within = fLength > 0 ? fShare * (pass * fLength + done) / (2 * fLength) : 0;
        ReportBlock(fProgress, fLeft, fBase + within, fScale);
    }
};

float RegionPeak(const CABCWaveSample& wave, const SFrameRegion& region, const SRegionProgress& progress,
                 float* buffer)
{
    float peak = 0.0f;
    for (int32_t start = region.fStart; start < region.fEnd; start += kBlock) {
        progress.Report(0, start - region.fStart);
        const int32_t count = std::min(kBlock, region.fEnd - start);
        for (int32_t channel = 1; channel <= ChannelCount(wave); ++channel) {
            wave.GetFloats(start, count, buffer, channel);
            for (int32_t i = 0; i < count; ++i)
                peak = std::max(peak, std::fabs(buffer[i]));
            if (peak >= kFullScaleLevel)
                return peak;
        }
    }
    return peak;
}

void ScaleRegion(const CABCWaveSample& wave, CABCWaveSample& result, const SFrameRegion& region, float gain,
                 const SRegionProgress& progress, float* buffer)
{
    for (int32_t start = region.fStart; start < region.fEnd; start += kBlock) {
        progress.Report(1, start - region.fStart);
        const int32_t count = std::min(kBlock, region.fEnd - start);
        for (int32_t channel = 1; channel <= ChannelCount(wave); ++channel) {
            wave.GetFloats(start, count, buffer, channel);
            for (int32_t i = 0; i < count; ++i)
                buffer[i] *= gain;
            result.SetFloats(start, count, buffer, channel);
        }
    }
}

// Unchanged frames go across as integers, so that they stay bit-exact.
void CopyRegion(const CABCWaveSample& wave, CABCWaveSample& result, const SFrameRegion& region,
                const SRegionProgress& progress, int32_t* buffer)
{
    for (int32_t start = region.fStart; start < region.fEnd; start += kBlock) {
        progress.Report(1, start - region.fStart);
        const int32_t count = std::min(kBlock, region.fEnd - start);
        for (int32_t channel = 1; channel <= ChannelCount(wave); ++channel) {
            wave.GetInt24s(start, count, buffer, channel);
            result.SetInt24s(start, count, buffer, channel);
        }
    }
}

} // namespace

std::vector<SFrameRegion> NormalizeRegions(const CABCWaveSample& wave, const CSliceSequence& slices,
                                           ENormalizeScope scope)
{
    const int32_t frames = wave.GetFrameCount();
    if (scope == ENormalizeScope::kWholeFile)
        return {{0, frames}};
    std::vector<int32_t> starts;
    for (const CSlice& slice : slices)
        if (slices.IsActive(slice))
            starts.push_back(slice.GetPosition());
    std::vector<SFrameRegion> regions;
    if (starts.empty() || starts.front() > 0)
        regions.push_back({0, starts.empty() ? frames : starts.front()});
    for (size_t i = 0; i < starts.size(); ++i)
        regions.push_back({starts[i], i + 1 < starts.size() ? starts[i + 1] : frames});
    return regions;
}

std::unique_ptr<CABCWaveSample> NormalizedWaveSample(const CABCWaveSample& wave, const CSliceSequence& slices,
                                                     ENormalizeScope scope, ILengthyProgress& progress)
{
    const std::vector<SFrameRegion> regions = NormalizeRegions(wave, slices, scope);
    auto result = SameFormat(wave, wave.IsStereo());
    std::vector<float> floats(kBlock);
    std::vector<int32_t> integers(kBlock);
    const auto regionCount = static_cast<int64_t>(regions.size());
    const int64_t scale = regionCount * 1000;
    bool changed = false;
    for (int64_t r = 0; r < regionCount; ++r) {
        const SFrameRegion& region = regions[static_cast<size_t>(r)];
        const int64_t length = region.fEnd - region.fStart;
        // Each slice counts regions still to do, the whole file its frames.
        const int64_t left = scope == ENormalizeScope::kEachSlice ? regionCount - r : length;
        const SRegionProgress regionProgress{progress, left, r * 1000, 1000, scale, length};
        progress.SetText(ProgressText(NSStrings::kNormalizingPeak));
        const float peak = RegionPeak(wave, region, regionProgress, floats.data());
        if (peak < kNormalizedLevel)
            changed = true;
        if (peak > 0.0f && peak < kNormalizedLevel) {
            progress.SetText(ProgressText(NSStrings::kNormalizingGain));
            const float gain = 1.0f / peak - kGainMargin;
            ScaleRegion(wave, *result, region, gain, regionProgress, floats.data());
        } else {
            CopyRegion(wave, *result, region, regionProgress, integers.data());
        }
    }
    if (!changed)
        return nullptr;
    result->BuildPreview();
    return result;
}

// ---- Convert to Mono ----

std::unique_ptr<CABCWaveSample> MonoWaveSample(const CABCWaveSample& wave, EMonoSource source,
                                               ILengthyProgress& progress)
{
    const int32_t frames = wave.GetFrameCount();
    auto result = SameFormat(wave, false);
    const bool mix = source == kMonoMix && wave.IsStereo();
    const int32_t channel = source == kMonoFromRight && wave.IsStereo() ? 2 : 1;
    progress.SetText(ProgressText(mix ? NSStrings::kMixingChannels : NSStrings::kExtractingChannel));
    std::vector<int32_t> first(kBlock);
    std::vector<int32_t> second(kBlock);
    for (int32_t start = 0; start < frames; start += kBlock) {
        ReportBlock(progress, frames - start, start, frames);
        const int32_t count = std::min(kBlock, frames - start);
        wave.GetInt24s(start, count, first.data(), mix ? 1 : channel);
        if (mix) {
            wave.GetInt24s(start, count, second.data(), 2);
            for (int32_t i = 0; i < count; ++i)
                first[size_t(i)] = (first[size_t(i)] + second[size_t(i)]) / 2;
        }
        result->SetInt24s(start, count, first.data(), 1);
    }
    result->BuildPreview();
    return result;
}

// ---- Convert Sample Format ----

int32_t ScaleToRate(int32_t value, int32_t newRate, int32_t oldRate)
{
    const double product = static_cast<double>(value) * static_cast<double>(newRate);
    return static_cast<int32_t>((product + static_cast<double>(oldRate - 1)) / static_cast<double>(oldRate));
}

namespace {

using TConverters = std::vector<std::unique_ptr<NSDocumentUndoableAK::CSampleRateConverter>>;

TConverters MakeConverters(const CABCWaveSample& wave, int32_t sampleRate)
{
    TConverters converters;
    for (int32_t channel = 1; channel <= ChannelCount(wave); ++channel)
        converters.push_back(
            std::make_unique<NSDocumentUndoableAK::CSampleRateConverter>(wave, channel, sampleRate));
    return converters;
}

// One pass over the new sound's frames; writes them when result is given.
// Answers the largest peak the converters saw.
float ConversionPass(TConverters& converters, CABCWaveSample* result, int32_t frames, int32_t pass,
                     ILengthyProgress& progress)
{
    std::vector<float> buffer(kBlock);
    for (int32_t start = 0; start < frames; start += kBlock) {
        ReportBlock(progress, frames - start, int64_t(pass) * frames + start, int64_t(frames) * 2);
        const int32_t count = std::min(kBlock, frames - start);
        for (size_t c = 0; c < converters.size(); ++c) {
            converters[c]->Read(buffer.data(), count);
            if (result != nullptr)
                result->SetFloats(start, count, buffer.data(), static_cast<int32_t>(c) + 1);
        }
    }
    float peak = 0.0f;
    for (const auto& converter : converters)
        peak = std::max(peak, converter->GetPeak());
    return peak;
}

void CopyThroughFloats(const CABCWaveSample& wave, CABCWaveSample& result, ILengthyProgress& progress)
{
    const int32_t frames = wave.GetFrameCount();
    std::vector<float> buffer(kBlock);
    for (int32_t start = 0; start < frames; start += kBlock) {
        ReportBlock(progress, frames - start, start, frames);
        const int32_t count = std::min(kBlock, frames - start);
        for (int32_t channel = 1; channel <= ChannelCount(wave); ++channel) {
            wave.GetFloats(start, count, buffer.data(), channel);
            result.SetFloats(start, count, buffer.data(), channel);
        }
    }
}

} // namespace

SWaveAndSlices ConvertedSampleFormat(const CABCWaveSample& wave, const CSliceSequence& slices, int32_t sampleRate,
                                     int32_t bitDepth, ILengthyProgress& progress)
{
    const int32_t oldRate = wave.GetSampleRate();
    const int32_t frames = ScaleToRate(wave.GetFrameCount(), sampleRate, oldRate);
    SWaveAndSlices result;
    result.fWave = NewWaveSample(wave, sampleRate, frames, wave.IsStereo(), bitDepth == 24 ? 24 : 16,
                                 ScaleToRate(wave.GetLoopStart(), sampleRate, oldRate),
                                 ScaleToRate(wave.GetLoopEnd(), sampleRate, oldRate));
    progress.SetText(ProgressText(NSStrings::kConvertingPass1));
    if (sampleRate == oldRate) {
        CopyThroughFloats(wave, *result.fWave, progress);
    } else {
        TConverters measure = MakeConverters(wave, sampleRate);
        const float peak = ConversionPass(measure, nullptr, frames, 0, progress);
        measure.clear();
        progress.SetText(ProgressText(NSStrings::kConvertingPass2));
        TConverters convert = MakeConverters(wave, sampleRate);
        for (auto& converter : convert)
            converter->SetPeak(peak);
        ConversionPass(convert, result.fWave.get(), frames, 1, progress);
    }
    result.fWave->BuildPreview();

    result.fSlices = EmptyLike(slices, *result.fWave);
    for (const CSlice& slice : slices) {
        CSlice moved = slice;
        moved.SetPosition(std::clamp(ScaleToRate(slice.GetPosition(), sampleRate, oldRate), 0, frames - 1));
        moved.SetLength(1);
        result.fSlices->InsertSlice(moved);
    }
    return result;
}

// ---- Crop Loop ----

SWaveAndSlices CroppedToLoop(const CABCWaveSample& wave, const CSliceSequence& slices, ILengthyProgress& progress)
{
    const int32_t left = wave.GetLoopStart();
    const int32_t right = wave.GetLoopEnd();
    SWaveAndSlices result;
    if (right <= left)
        return result;
    const int32_t frames = right - left;
    result.fWave = NewWaveSample(wave, wave.GetSampleRate(), frames, wave.IsStereo(), wave.GetBitDepth(), 0, frames);
    progress.SetText(ProgressText(NSStrings::kCroppingSample));
    std::vector<int32_t> buffer(kBlock);
    for (int32_t start = 0; start < frames; start += kBlock) {
        ReportBlock(progress, frames - start, start, frames);
        const int32_t count = std::min(kBlock, frames - start);
        for (int32_t channel = 1; channel <= ChannelCount(wave); ++channel) {
            wave.GetInt24s(left + start, count, buffer.data(), channel);
            result.fWave->SetInt24s(start, count, buffer.data(), channel);
        }
    }
    result.fWave->BuildPreview();

    result.fSlices = EmptyLike(slices, *result.fWave);
    for (const CSlice& slice : slices) {
        if (slice.GetPosition() < left || slice.GetPosition() >= right)
            continue;
        CSlice moved = slice;
        moved.SetPosition(slice.GetPosition() - left);
        result.fSlices->InsertSlice(moved);
    }
    return result;
}

// ---- Remove DC ----

std::unique_ptr<CABCWaveSample> WaveSampleWithoutDC(const CABCWaveSample& wave, ILengthyProgress& progress)
{
    const int32_t frames = wave.GetFrameCount();
    const int32_t rate = wave.GetSampleRate();
    const double a = std::exp(-2.0 * std::numbers::pi * kDCCutoffHz / rate);
    const double b = 1.0 - a;
    // Half a second, formed the way the level follower's settling time is.
    const int32_t warmUp = std::min(static_cast<int32_t>(rate * 5 * 0.1), frames);
    const int64_t total = int64_t(warmUp) + frames;
    auto result = SameFormat(wave, wave.IsStereo());
    progress.SetText(ProgressText(NSStrings::kRemovingDC));
    std::vector<float> buffer(kBlock);
    double state[2] = {0.0, 0.0};

    // Backwards from the last frame of the span to the first, so that the
    // follower ends the warm-up settled on the level at frame 0.
    for (int32_t end = warmUp; end > 0; end -= kBlock) {
        const int32_t start = std::max(0, end - kBlock);
        ReportBlock(progress, total - (warmUp - end), warmUp - end, total);
        for (int32_t channel = 1; channel <= ChannelCount(wave); ++channel) {
            wave.GetFloats(start, end - start, buffer.data(), channel);
            double& s = state[channel - 1];
            for (int32_t i = end - start - 1; i >= 0; --i)
                s = b * buffer[size_t(i)] + a * s;
        }
    }
    for (int32_t start = 0; start < frames; start += kBlock) {
        ReportBlock(progress, total - (warmUp + start), warmUp + start, total);
        const int32_t count = std::min(kBlock, frames - start);
        for (int32_t channel = 1; channel <= ChannelCount(wave); ++channel) {
            wave.GetFloats(start, count, buffer.data(), channel);
            double& s = state[channel - 1];
            for (int32_t i = 0; i < count; ++i) {
                const double x = buffer[size_t(i)];
                s = b * x + a * s;
                buffer[size_t(i)] = static_cast<float>(x - s);
            }
            result->SetFloats(start, count, buffer.data(), channel);
        }
    }
    result->BuildPreview();
    return result;
}

} // namespace NSZubrik
