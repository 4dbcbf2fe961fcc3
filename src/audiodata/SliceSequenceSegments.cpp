// Segment building: the whole sample, frame 0 to frameCount, cut at every
// active slice and at the two locators, so that the sequencer can play the
// loop range alone; in tempo mode each segment also gets its stretch loop.
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"

namespace NSZubrik {

namespace {

// frames * sampleRate / 44100, computed in 64 bits and kept inside int32.
int32_t ScaledToRate(int64_t frames, int32_t sampleRate) {
    const int64_t scaled = frames * sampleRate / 44100;
    return static_cast<int32_t>(
        std::clamp<int64_t>(scaled, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

struct SPeak {
    int32_t fFrame = 0;
    double fMagnitude = -2.0;
};

// The loudest frame of the first channel among `count` frames going down
// from `from`, not below `floor`; the higher frame wins a tie because only
// a strictly larger magnitude replaces the best so far.
SPeak LoudestBelow(const CABCWaveSample& wave, int32_t from, int32_t count, int32_t floor) {
    SPeak best;
    for (int32_t frame = from; frame > from - count && frame >= floor; --frame) {
        const double magnitude = std::fabs(wave.GetFloat(frame, 1));
        if (magnitude > best.fMagnitude)
            best = {frame, magnitude};
    }
    return best;
}

// Two peaks near the end of a segment between which a voice that outlasts
// the segment swings, and the ratio of their levels. A segment shorter than
// three windows swings over its whole length at full level.
void SetStretchPoints(const CABCWaveSample& wave, CSegment& segment) {
    const int32_t window = ScaledToRate(400, wave.GetSampleRate());
    const int32_t maxHalf = ScaledToRate(20000, wave.GetSampleRate());
    segment.fStretchLow = segment.fStart;
    segment.fStretchHigh = segment.fEnd;
    segment.fRatio = 1.0f;
    if (window < 1 || int64_t{segment.fEnd} - segment.fStart < 3 * int64_t{window})
        return;

    const SPeak high = LoudestBelow(wave, segment.fEnd - window, window, segment.fStart);
    const int32_t half = std::min((high.fFrame - segment.fStart) / 2, maxHalf);
    const SPeak low = LoudestBelow(wave, high.fFrame - half, window, segment.fStart);
    segment.fStretchHigh = high.fFrame;
    segment.fStretchLow = low.fFrame;
    segment.fRatio = low.fMagnitude == 0.0 ? 1.0f : static_cast<float>(high.fMagnitude / low.fMagnitude);
}

class CSegmentBuilder {
public:
    CSegmentBuilder(const CABCWaveSample& wave, bool tempoMode)
        : fWave(wave), fTempoMode(tempoMode), fList(std::make_unique<CSegmentList>()) {}

    void Append(int32_t start, int32_t end) {
        CSegment segment(start, end);
        if (fTempoMode)
            SetStretchPoints(fWave, segment);
        else
            segment = CSegment(start, end, start, end, 1.0f);
        fList->Append(segment);
    }
    void Append(const CSegment& segment) { Append(segment.fStart, segment.fEnd); }

    std::unique_ptr<CSegmentList> Finish() { return std::move(fList); }

private:
    const CABCWaveSample& fWave;
    bool fTempoMode;
    std::unique_ptr<CSegmentList> fList;
};

} // namespace

std::unique_ptr<CSegmentList> CSliceSequence::BuildSegments(const CABCWaveSample& waveSample,
                                                            const CSliceSequence& sequence, bool silenceSelected,
                                                            bool tempoMode) {
    const int32_t frameCount = waveSample.GetFrameCount();
    const int32_t loopStart = waveSample.GetLoopStart();
    const int32_t loopEnd = waveSample.GetLoopEnd();
    CSegmentBuilder builder(waveSample, tempoMode);

    std::vector<const CSlice*> active;
    for (const CSlice& slice : sequence)
        if (sequence.IsActive(slice))
            active.push_back(&slice);

    if (active.empty()) {
        CSegment cur(0, frameCount);
        if (loopStart > 0) {
            builder.Append(0, loopStart);
            cur.fStart = loopStart;
        }
        if (loopEnd < frameCount) {
            builder.Append(cur.fStart, loopEnd);
            cur.fStart = loopEnd;
        }
        builder.Append(cur);
        return builder.Finish();
    }

    CSegment cur;
    for (size_t i = 0; i < active.size(); ++i) {
        const CSlice& slice = *active[i];
        const int32_t start = slice.GetPosition();
        const int32_t next = i + 1 < active.size() ? active[i + 1]->GetPosition() : frameCount;
        const int32_t end = tempoMode ? start + slice.GetLength() : next;

        // The part before the first active slice, cut at the locators.
        if (i == 0 && start > 0) {
            cur = CSegment(0, start);
            if (loopStart >= 1 && loopStart < start) {
                builder.Append(0, loopStart);
                cur.fStart = loopStart;
            }
            if (loopEnd < start) {
                builder.Append(cur.fStart, loopEnd);
                cur.fStart = loopEnd;
            }
            builder.Append(cur);
        }

        cur = CSegment(start, end);
        bool skip = slice.IsSelected() && silenceSelected && tempoMode;
        if (start < loopStart && loopStart < next) {
            if (!skip)
                builder.Append(cur.fStart, std::min(cur.fEnd, loopStart));
            cur.fStart = loopStart;
            if (loopStart >= cur.fEnd)
                skip = true;
        }
        bool endedAtLoopEnd = false;
        if (start < loopEnd && loopEnd < next) {
            if (!skip)
                builder.Append(cur.fStart, std::min(cur.fEnd, loopEnd));
            cur.fStart = loopEnd;
            endedAtLoopEnd = loopEnd >= cur.fEnd;
        }
        if (!skip && !endedAtLoopEnd)
            builder.Append(cur);
    }
    return builder.Finish();
}

std::unique_ptr<CSegmentList> CSliceSequence::CopySegments(const CSegmentList& list) {
    auto copy = std::make_unique<CSegmentList>();
    for (const CSegment& segment : list)
        copy->Append(segment);
    return copy;
}

} // namespace NSZubrik
