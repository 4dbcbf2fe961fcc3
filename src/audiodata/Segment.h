// Playback segments: the pieces of the wave sample, cut at the active slices
// and the loop locators, that the preview sequencer plays one after another.
#pragma once

#include <cstdint>

#include "tambor/LinkedList.h"

namespace NSZubrik {

// One piece of the sound, [fStart, fEnd) in frames, with its stretch loop:
// a voice that outlasts the piece swings between fStretchLow and
// fStretchHigh, lowering its level towards fRatio on the backward leg.
struct CSegment {
    int32_t fStart = 0;
    int32_t fEnd = 0;
    int32_t fStretchLow = 0;
    int32_t fStretchHigh = 0;
    float fRatio = 0.0f;

    CSegment() = default;
    CSegment(int32_t start, int32_t end) : fStart(start), fEnd(end) {}
    CSegment(int32_t start, int32_t end, int32_t stretchLow, int32_t stretchHigh, float ratio)
        : fStart(start), fEnd(end), fStretchLow(stretchLow), fStretchHigh(stretchHigh), fRatio(ratio) {}

    int32_t GetLength() const { return fEnd - fStart; }
    bool Contains(int32_t frame) const { return frame >= fStart && frame < fEnd; }
    bool operator==(const CSegment&) const = default;
};

// The segments of one sample in playing order: appended at the tail,
// iterated from the head; the list owns its nodes.
class CSegmentList : public NSTambor::CLinkedList<CSegment> {
public:
    // The segment at a position in playing order (walks the list), null
    // when the index is out of range.
    const CSegment* GetAt(int32_t index) const;
    // Index of the first segment that contains the frame, or -1.
    int32_t IndexOf(int32_t frame) const;
};

} // namespace NSZubrik
