#include "document/SliceDetection.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>

#include "app/ResourceIds.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/LengthyOperation.h"

namespace NSZubrik {

namespace NSSliceDetection {

namespace {

// Levels and differences of the pass live in 16 bits and wrap, so that every
// build finds the same slices bit for bit: 2 x 16384 is -32768, and the
// magnitude of -32768 is still -32768 (quieter than anything).
inline int16_t Wrap16(int32_t value)
{
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(value)));
}

inline int16_t Magnitude16(int16_t value)
{
    return Wrap16(value < 0 ? -static_cast<int32_t>(value) : value);
}

// The two channels of a stereo frame as one value: the exact sum, halved
// toward zero, so it cannot leave 16 bits.
inline int16_t Mix(int16_t first, int16_t second)
{
    return static_cast<int16_t>((static_cast<int32_t>(first) + second) / 2);
}

// The tracking level falls by 32552/32768 (about 0.66 %) per quiet frame;
// below about 151 the "+ 1" holds it where it is.
inline int16_t DecayLevel(int16_t level)
{
    return Wrap16(((static_cast<int32_t>(level) * 32552) >> 15) + 1);
}

// How far an onset rises above the quiet level before it, times 1024.
int16_t Strength(int16_t peak, int16_t refLevel)
{
    const int32_t p = peak == 0 ? 1 : peak;
    const int32_t r = refLevel == 0 ? 1 : refLevel;
    return static_cast<int16_t>(std::clamp<int32_t>(p * 1024 / r, 1, 32767));
}

// Measuring-window lengths: 300 frames, extended by 200, 100, 50, ... while
// the peak keeps arriving late in the window.
constexpr int32_t kFirstWindowEnd = 300;
constexpr int32_t kFirstWindowStep = 200;
constexpr int16_t kStartLevel = 100;

struct CPassState {
    int16_t previous = 0;
    int16_t level = kStartLevel;
    int16_t minLevel = kStartLevel;
    bool inTransient = false;
    int16_t peak = 0;
    int32_t peakIndex = 0;
    int32_t windowCounter = 0;
    int32_t windowEnd = kFirstWindowEnd;
    int32_t windowStep = kFirstWindowStep;
    int16_t refLevel = 0;
};

// Runs the per-frame rules over s[from, to) and stops at the first onset:
// returns its index (with d in onsetDifference, previous already advanced)
// or `to` when the run holds none. The state is worked on in a local copy so
// that it stays in registers through the hot loop.
int32_t ScanUntilOnset(CPassState& state, const int16_t* s, int32_t from, int32_t to,
                       int16_t& onsetDifference)
{
    CPassState t = state;
    int32_t k = from;
    for (; k < to; ++k) {
        const int16_t value = s[k];
        const int16_t d = Magnitude16(Wrap16(2 * static_cast<int32_t>(value) - t.previous));
        t.previous = value;
        if (!t.inTransient) {
            if (d > t.level) {
                if ((d >> 2) > t.minLevel) {
                    onsetDifference = d;
                    break;
                }
                t.level = d;
            } else {
                t.level = DecayLevel(t.level);
                if (t.level < t.minLevel)
                    t.minLevel = t.level;
            }
            continue;
        }
        t.level = t.peak;
        if (d > t.peak) {
            t.peakIndex = t.windowCounter;
            t.peak = d;
        }
        if (++t.windowCounter == t.windowEnd) {
            if (t.peakIndex > t.windowEnd - t.windowStep) {
                t.windowEnd += t.windowStep;
                t.windowStep >>= 1;
            } else {
                t.level = t.peak;
                t.minLevel = t.peak;
                t.inTransient = false;
                t.windowEnd = kFirstWindowEnd;
                t.windowStep = kFirstWindowStep;
            }
        }
    }
    state = t;
    return k;
}

// One analysis pass over a sample into a sequence. Every candidate slice is
// held back until the next onset (or the end) has measured its strength.
class CAnalysisPass {
public:
    CAnalysisPass(CSliceSequence& sequence, ILengthyProgress& progress)
        : fSequence(sequence), fSample(sequence.GetWaveSample()), fProgress(progress),
          fCandidate(0, 0, CSlice::kNormal)
    {
    }

    // False when the user stopped the pass; what was found stands.
    bool Run()
    {
        const int32_t frameCount = fSample.GetFrameCount();
        for (int32_t i = 0; i < frameCount; i += kChunkFrames) {
            ReportProgress(i, frameCount);
            if (i != 0 && fProgress.StopRequested()) {
                // The pending candidate has no measured strength yet: drop it.
                fSequence.EnsureStartSlice(fZeroCount == 1);
                return false;
            }
            const int32_t count = std::min(frameCount - i, kChunkFrames);
            ReadChunk(i, count);
            ScanChunk(i, count);
        }
        InsertCandidate();
        // The slice at frame 0 that stood in before the first onset goes,
        // unless a real onset landed there too.
        fSequence.EnsureStartSlice(fZeroCount == 1);
        return true;
    }

private:
    void ReportProgress(int32_t i, int32_t frameCount)
    {
        fProgress.SetCount(frameCount - i);
        fProgress.SetPercent(static_cast<int32_t>(static_cast<int64_t>(i) * 100 / frameCount));
    }

    void ReadChunk(int32_t start, int32_t count)
    {
        fSample.GetInt16s(start, count, fMixed, 1);
        if (!fSample.IsStereo())
            return;
        fSample.GetInt16s(start, count, fSecond, 2);
        for (int32_t k = 0; k < count; ++k)
            fMixed[k] = Mix(fMixed[k], fSecond[k]);
    }

    void ScanChunk(int32_t start, int32_t count)
    {
        int32_t k = 0;
        while (k < count) {
            int16_t d = 0;
            k = ScanUntilOnset(fState, fMixed, k, count, d);
            if (k == count)
                break;
            Onset(start + k, d);
            ++k;  // the onset frame is not measured
        }
    }

    void Onset(int32_t frame, int16_t d)
    {
        const int32_t position = SnapBackToZeroCrossing(fSample, frame);
        InsertCandidate();
        fCandidate = CSlice(position, 0, CSlice::kNormal);
        fState.refLevel = fState.minLevel;
        fState.peak = d;
        fState.peakIndex = 0;
        fState.windowCounter = 0;
        fState.inTransient = true;
    }

    void InsertCandidate()
    {
        fCandidate.SetStrength(Strength(fState.peak, fState.refLevel));
        fSequence.InsertSlice(fCandidate);
        if (fCandidate.GetPosition() == 0)
            ++fZeroCount;
    }

    CSliceSequence& fSequence;
    const CABCWaveSample& fSample;
    ILengthyProgress& fProgress;
    CPassState fState;
    CSlice fCandidate;
    int32_t fZeroCount = 0;
    int16_t fMixed[kChunkFrames];
    int16_t fSecond[kChunkFrames];
};

// The value of a block in the gate's level: mono takes the larger magnitude
// of its minimum and maximum; stereo adds the two channels' extremes (signs
// kept, so opposite channels cancel). Both wrap to 16 bits like the pass.
inline int16_t MonoBlockValue(CWaveSamplePreview::SMinMax pair)
{
    return Wrap16(std::max(std::abs(static_cast<int32_t>(pair.fMin)), std::abs(static_cast<int32_t>(pair.fMax))));
}

inline int32_t Extreme(CWaveSamplePreview::SMinMax pair)
{
    return std::abs(static_cast<int32_t>(pair.fMin)) >= std::abs(static_cast<int32_t>(pair.fMax)) ? pair.fMin
                                                                                                  : pair.fMax;
}

inline int16_t StereoBlockValue(CWaveSamplePreview::SMinMax first, CWaveSamplePreview::SMinMax second)
{
    return Magnitude16(Wrap16(Extreme(first) + Extreme(second)));
}

} // namespace

int32_t LowestSensitivityShowing(int16_t strength, bool locked)
{
    int32_t sensitivity = 0;
    while (!locked && sensitivity < CSliceSequence::kMaximumSensitivity && strength <= ThresholdForSensitivity(sensitivity))
        ++sensitivity;
    return sensitivity;
}

int16_t ThresholdForSensitivity(int32_t sensitivity)
{
    const int64_t product = static_cast<int64_t>(sensitivity) * 32767;
    // Division rounded up; for a negative product truncation already is.
    const int64_t step = product > 0 ? (product + 98) / 99 : product / 99;
    return static_cast<int16_t>(32767 - step);
}

float GateFloor(int32_t gateSensitivity)
{
    return std::pow(0.002f, 1.0f - static_cast<float>(gateSensitivity) * 0.001001001f);
}

int16_t MixedValue(const CABCWaveSample& waveSample, int32_t frame)
{
    const int16_t first = waveSample.GetInt16(frame, 1);
    return waveSample.IsStereo() ? Mix(first, waveSample.GetInt16(frame, 2)) : first;
}

int32_t SnapBackToZeroCrossing(const CABCWaveSample& waveSample, int32_t onset)
{
    const int32_t limit = std::max(onset - kSnapReach, 0);
    int32_t v = MixedValue(waveSample, onset);
    if (onset <= limit)
        return onset;
    int32_t p = onset;
    for (;;) {
        const int32_t w = MixedValue(waveSample, p - 1);
        if ((v > 0 && w < 0) || (v < 0 && w > 0))
            return p;
        if (std::abs(v) < kSnapQuiet)
            return p;
        --p;
        v = w;
        if (p <= limit)
            return p;
    }
}

float BlockLevel(const CABCWaveSample& waveSample, int32_t start, int32_t count)
{
    // A sound without its preview would read as silence everywhere and give
    // every gated slice the same length; whoever brings a sound in builds it.
    assert(waveSample.IsPreviewValid());
    const CWaveSamplePreview* preview = waveSample.GetPreview();
    if (preview == nullptr)
        return 0.0f;
    const int32_t first = start / CWaveSamplePreview::kBlockFrames;
    const int32_t last = std::min((start + count) / CWaveSamplePreview::kBlockFrames, preview->GetBlockCount());
    int16_t loudest = 0;
    const CWaveSamplePreview::SMinMax* left = preview->GetPairs(1);
    if (preview->IsStereo()) {
        const CWaveSamplePreview::SMinMax* right = preview->GetPairs(2);
        for (int32_t b = first; b < last; ++b)
            loudest = std::max(loudest, StereoBlockValue(left[b], right[b]));
    } else {
        for (int32_t b = first; b < last; ++b)
            loudest = std::max(loudest, MonoBlockValue(left[b]));
    }
    return static_cast<float>(loudest) * (1.0f / 32768.0f);
}

int32_t DecaySearch(const CABCWaveSample& waveSample, int32_t start, int32_t span, float floor)
{
    // A long first look lets the attack through; then 128-frame steps.
    constexpr int32_t kFirstStep = 1024;
    constexpr int32_t kLaterStep = 128;
    float envelope = 1.0f;
    int32_t step = kFirstStep;
    int32_t covered = 0;
    while (covered < span) {
        const int32_t n = std::min(span - covered, step);
        const float level = BlockLevel(waveSample, start + covered, n);
        covered += n;
        step = kLaterStep;
        if (level <= envelope) {
            envelope *= 0.9f;
            if (envelope < floor)
                break;
        } else {
            envelope = level;
        }
    }
    return covered;
}

int32_t MergeTolerance(int32_t sampleRate)
{
    return static_cast<int32_t>(int64_t{64} * sampleRate / 44100);
}

} // namespace NSSliceDetection

using namespace NSSliceDetection;

namespace {

// Without a gate a slice sounds until the next active one.
int32_t GatedLength(const CABCWaveSample& waveSample, int32_t gateSensitivity, int32_t start, int32_t span,
                    float floor)
{
    return gateSensitivity > 0 ? DecaySearch(waveSample, start, span, floor) : span;
}

} // namespace

void CSliceSequence::SetSensitivity(int32_t sensitivity)
{
    fSensitivity = sensitivity;
    fThreshold = ThresholdForSensitivity(sensitivity);
    UpdateLengths();
}

void CSliceSequence::SetGateSensitivity(int32_t gateSensitivity)
{
    fGateSensitivity = gateSensitivity;
    UpdateLengths();
}

bool CSliceSequence::Analyze()
{
    CZubrikLengthyOperation operation(ProgressText(NSStrings::kFindingSlices), ProgressText(NSStrings::kCancel),
                                      true);
    CAnalysisPass pass(*this, operation);
    const bool completed = pass.Run();
    UpdateLengths();
    operation.Finish();
    return completed;
}

bool CSliceSequence::ReAnalyze()
{
    CSliceSequence fresh(*fWaveSample);
    const bool completed = fresh.Analyze();
    const int64_t tolerance = MergeTolerance(fWaveSample->GetSampleRate());
    for (CSlice slice : fresh) {
        // A new onset close to a slice the user already has is the same
        // onset: merge onto it rather than add a near-duplicate.
        const CSlice* nearest = FindNearestSlice(slice.GetPosition());
        if (nearest != nullptr &&
            std::abs(int64_t{nearest->GetPosition()} - slice.GetPosition()) <= tolerance)
            slice.SetPosition(nearest->GetPosition());
        InsertSlice(slice);
    }
    UpdateLengths();
    return completed;
}

void CSliceSequence::UpdateLengths()
{
    const float floor = GateFloor(fGateSensitivity);
    CSlice* current = nullptr;
    for (CSlice& slice : fSlices) {
        if (!IsActive(slice)) {
            // Hidden and muted slices neither sound nor end the span of
            // the active slice before them.
            slice.SetLength(1);
            continue;
        }
        if (current != nullptr)
            current->SetLength(GatedLength(*fWaveSample, fGateSensitivity, current->GetPosition(),
                                           slice.GetPosition() - current->GetPosition(), floor));
        current = &slice;
    }
    if (current != nullptr)
        current->SetLength(GatedLength(*fWaveSample, fGateSensitivity, current->GetPosition(),
                                       fWaveSample->GetFrameCount() - current->GetPosition(), floor));
}

} // namespace NSZubrik
