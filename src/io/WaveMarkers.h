// Slice markers in WAVE files: the cue points of a "cue " chunk with their
// labels from a "LIST" chunk of type "adtl" ("labl" entries), read from any
// WAVE file and written after the chunks of one the sound library made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace NSTambor {
class CMedia;
}

namespace NSWaveMarkers {

// More cue points than this are left out: a file of thousands of markers
// is damaged or not meant for slicing.
inline constexpr size_t kMaxMarkers = 1000;
// Labels are cut to this many bytes.
inline constexpr size_t kMaxLabelLength = 255;

struct SMarker {
    // Frame of the sound's data the marker stands on.
    uint32_t fPosition = 0;
    std::string fLabel;
};

struct SMarkerList {
    // In the order of the "cue " chunk, positions as the file gives them.
    std::vector<SMarker> fMarkers;
    // Cue points not taken: beyond kMaxMarkers, or in a damaged chunk.
    size_t fLeftOut = 0;
};

// The markers of the WAVE file in media. A missing or damaged chunk gives no
// markers (a damaged one counts its declared points as left out); only the
// media's own failures throw.
SMarkerList ReadMarkers(NSTambor::CMedia& media);

// A "cue " chunk with one point per marker (identifiers 1, 2, ... in order)
// and a "LIST" "adtl" chunk with their labels, each padded to even length.
std::vector<uint8_t> MarkerChunks(const std::vector<SMarker>& markers);

// Adds chunks at the end of the whole WAVE file in media and grows the
// "RIFF" size to hold them.
void AppendChunks(NSTambor::CMedia& media, const std::vector<uint8_t>& chunks);

} // namespace NSWaveMarkers
