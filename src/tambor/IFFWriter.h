// The single-level writer of the older formats: one element at a time on a
// media, big-endian sizes. Formats that do not pad odd chunks (the Standard
// MIDI File) turn the pad byte off.
#pragma once

#include "tambor/IFFWriter2.h"

namespace NSTambor {

class CIFFWriter : public CIFFWriter2 {
public:
    explicit CIFFWriter(CMedia& media, bool padOddSize = true)
        : CIFFWriter2(media, ESizeOrder::kBigEndian, padOddSize)
    {
    }
};

} // namespace NSTambor
