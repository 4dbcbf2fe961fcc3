#include "audiodata/Segment.h"

namespace NSZubrik {

const CSegment* CSegmentList::GetAt(int32_t index) const {
    if (index < 0)
        return nullptr;
    for (const CSegment& segment : *this) {
        if (index-- == 0)
            return &segment;
    }
    return nullptr;
}

int32_t CSegmentList::IndexOf(int32_t frame) const {
    int32_t index = 0;
    for (const CSegment& segment : *this) {
        if (segment.Contains(frame))
            return index;
        ++index;
    }
    return -1;
}

} // namespace NSZubrik
