#include "document/Exporter.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"
#include "engine/Sampler.h"
#include "engine/Sequencer.h"

namespace NSZubrik {

namespace {

constexpr int32_t kBlock = CZubrikSequencer::kBlockFrames;

int32_t ClampRate(int32_t rate)
{
    return std::clamp(rate, CZubrikSampler::kMinimumOutputRate, CZubrikSampler::kMaximumOutputRate);
}

// Renders count frames into the wave from frame `at`, mixing to one channel
// when the wave is mono and the render is not.
void Store(CABCWaveSample& wave, int32_t at, int32_t count, const float* left, const float* right, bool mix)
{
    if (wave.IsStereo()) {
        wave.SetFloats(at, count, left, 1);
        wave.SetFloats(at, count, right, 2);
        return;
    }
    if (!mix) {
        wave.SetFloats(at, count, left, 1);
        return;
    }
    float mixed[kBlock * 64];
    for (int32_t done = 0; done < count;) {
        const int32_t n = std::min<int32_t>(count - done, kBlock * 64);
        for (int32_t i = 0; i < n; ++i)
            mixed[i] = 0.5f * (left[done + i] + right[done + i]);
        wave.SetFloats(at + done, n, mixed, 1);
        done += n;
    }
}

} // namespace

CExporter::CExporter(std::u16string name, const CZubrikSequencer& sequencer, bool exportSlices, bool noRingOut)
    : fName(std::move(name)),
      fSequencer(std::make_unique<CZubrikSequencer>(sequencer)),
      fExportSlices(exportSlices),
      fNoRingOut(noRingOut),
      fSampleRate(ClampRate(sequencer.GetWaveSample().GetSampleRate()))
{
    fSequencer->SetOutputSampleRate(fSampleRate);
    const int32_t loopStart = LoopStart();
    const int32_t loopEnd = loopStart + LoopFrames();
    const int32_t count = fSequencer->GetSegmentCount();
    for (int32_t index = 0; index < count; ++index) {
        const CSegment segment = fSequencer->GetSegment(index);
        if (segment.fStart >= loopStart && segment.fEnd <= loopEnd) {
            fSegmentIndices.push_back(index);
            fSegments.push_back(segment);
        }
    }
}

CExporter::~CExporter() = default;

int32_t CExporter::GetSliceCount() const { return fExportSlices ? GetExportedSliceCount() : 1; }

void CExporter::SetSampleRate(int32_t rate)
{
    fSampleRate = ClampRate(rate);
    fSequencer->SetOutputSampleRate(fSampleRate);
}

bool CExporter::IsStereo() const { return fSequencer->GetWaveSample().IsStereo() && !fMixToMono; }

int32_t CExporter::LoopStart() const { return fSequencer->GetWaveSample().GetLoopStart(); }

int32_t CExporter::LoopFrames() const
{
    const CABCWaveSample& wave = fSequencer->GetWaveSample();
    return wave.GetLoopEnd() - wave.GetLoopStart();
}

int64_t CExporter::GetLengthInTicks() const
{
    const int64_t beats = int64_t(fSequencer->GetBars()) * fSequencer->GetSignatureNumerator() + fSequencer->GetBeats();
    const int64_t denominator = fSequencer->GetSignatureDenominator();
    if (denominator == 0)
        return 0;
    return kTicksPerQuarterNote * beats * 4 / denominator;
}

int32_t CExporter::GetTempo() const { return fSequencer->GetPreviewTempo(); }

void CExporter::GetTimeSignature(int32_t& numerator, int32_t& denominator) const
{
    numerator = fSequencer->GetSignatureNumerator();
    denominator = fSequencer->GetSignatureDenominator();
}

int64_t CExporter::FramesToTicks(int64_t offset) const
{
    const int64_t length = GetLengthInTicks();
    const int32_t frames = LoopFrames();
    if (frames <= 0)
        return 0;
    const double ticks = std::trunc(double(offset) * double(length) / double(frames));
    return std::clamp<int64_t>(static_cast<int64_t>(ticks), 0, length);
}

int32_t CExporter::ToExportFrames(int64_t sourceFrames) const
{
    double x = double(sourceFrames);
    if (fSequencer->IsTempoMode())
        x = x * fSequencer->GetOriginalTempo() / fSequencer->GetPreviewTempo();
    const double frames = x * fSampleRate / ClampRate(fSequencer->GetWaveSample().GetSampleRate()) + 0.5;
    return static_cast<int32_t>(std::clamp(frames, 0.0, double(std::numeric_limits<int32_t>::max())));
}

std::vector<int32_t> CExporter::ScheduledStarts() const
{
    // Slice starts as the sequencer schedules them: on the 64-frame grid,
    // never closer than one block to the previous one.
    std::vector<int32_t> starts;
    starts.reserve(fSegments.size());
    int64_t start = 0;
    for (size_t i = 0; i < fSegments.size(); ++i) {
        const int64_t exact = ToExportFrames(int64_t(fSegments[i].fStart) - LoopStart());
        int64_t rounded = (exact + kBlock / 2) / kBlock * kBlock;
        if (i > 0)
            rounded = std::max(rounded, start + kBlock);
        start = std::min<int64_t>(rounded, std::numeric_limits<int32_t>::max() - kBlock);
        starts.push_back(static_cast<int32_t>(start));
    }
    return starts;
}

int32_t CExporter::OneSampleLength() const
{
    const int64_t length = ToExportFrames(LoopFrames());
    if (fNoRingOut || fSegments.empty())
        return static_cast<int32_t>(length);
    const int64_t end = int64_t(ScheduledStarts().back()) + fSequencer->RenderedLength(fSegments.back());
    return static_cast<int32_t>(std::min<int64_t>(std::max(length, end), std::numeric_limits<int32_t>::max()));
}

CExporter::SPiecePosition CExporter::GetSlicePosition(int32_t piece) const
{
    SPiecePosition position;
    if (!fExportSlices) {
        position.fStartTick = 0;
        position.fEndTick = FramesToTicks(LoopFrames());
        position.fLength = OneSampleLength() + fTail;
        return position;
    }
    if (piece < 0 || piece >= GetExportedSliceCount())
        throw XIllegalCallSequence();
    const CSegment& segment = fSegments[static_cast<size_t>(piece)];
    const int64_t offset = int64_t(segment.fStart) - LoopStart();
    position.fStartTick = FramesToTicks(offset);
    position.fEndTick = FramesToTicks(offset + segment.GetLength());
    position.fLength = fSequencer->RenderedLength(segment) + fTail;
    return position;
}

std::unique_ptr<CABCWaveSample> CExporter::RenderPiece(int32_t piece) const
{
    const int32_t length = std::max(GetSlicePosition(piece).fLength, 1);
    const int32_t depth = fSequencer->GetWaveSample().GetBitDepth() <= 16 ? 16 : 24;
    std::unique_ptr<CABCWaveSample> wave = CreateWaveSample(fSampleRate, length, IsStereo(), depth);
    if (fExportSlices)
        RenderSlice(piece, *wave);
    else
        RenderLoop(*wave);
    wave->SetLoop(CABCWaveSample::kLoopModeInitial, 0, length);
    wave->BuildPreview();
    return wave;
}

void CExporter::RenderSlice(int32_t slice, CABCWaveSample& wave) const
{
    CZubrikSequencer copy(*fSequencer);
    copy.ResetVoices();
    copy.StartSegmentVoice(fSegmentIndices[static_cast<size_t>(slice)]);
    float left[kBlock];
    float right[kBlock];
    float* const out[2] = {left, right};
    const bool mix = fSequencer->GetWaveSample().IsStereo();
    for (int32_t done = 0; done < wave.GetFrameCount(); done += kBlock) {
        copy.RenderBlock(out);
        Store(wave, done, std::min(kBlock, wave.GetFrameCount() - done), left, right, mix);
    }
}

void CExporter::RenderLoop(CABCWaveSample& wave) const
{
    // Each slice starts at the block where the sequencer would start it when
    // playing the loop from its start; the loop does not begin again, so the
    // last slice rings out undisturbed.
    CZubrikSequencer copy(*fSequencer);
    copy.ResetVoices();
    const std::vector<int32_t> starts = ScheduledStarts();
    size_t next = 0;
    float left[kBlock];
    float right[kBlock];
    float* const out[2] = {left, right};
    const bool mix = fSequencer->GetWaveSample().IsStereo();
    for (int32_t done = 0; done < wave.GetFrameCount(); done += kBlock) {
        while (next < starts.size() && starts[next] <= done)
            copy.StartSegmentVoice(fSegmentIndices[next++]);
        copy.RenderBlock(out);
        Store(wave, done, std::min(kBlock, wave.GetFrameCount() - done), left, right, mix);
    }
}

} // namespace NSZubrik
