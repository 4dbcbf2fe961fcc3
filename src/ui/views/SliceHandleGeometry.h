// The hit area of a slice handle: half its width either side of the slice's
// line and its reach up from the bottom edge of the slice-handle strip, per
// slice state. Muted handles are smaller, locked ones taller, so that a
// crowded strip still lets the sounding slices be grabbed.
#pragma once

#include <cstdint>

#include "audiodata/SliceSequence.h"

namespace NSZubrik {

struct SHandleSize {
    int32_t fHalfWidth;
    int32_t fReach;
};

inline SHandleSize HandleSizeOf(const CSlice& slice)
{
    if (slice.IsMuted())
        return {7, 7};
    if (slice.IsLocked())
        return {7, 14};
    return {9, 9};
}

} // namespace NSZubrik
