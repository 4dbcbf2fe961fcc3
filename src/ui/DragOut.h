// Dragging slices or the loop out of the window: the files are written to a
// folder of this run's own (gone when the program quits) and offered as a
// file list, the way file managers and sequencers on Linux take drops.
#pragma once

#include <cstdint>

class QMimeData;

namespace NSZubrik {

class CZubrikDocument;

// The files for a drag that began on slice sliceIndex (-1: on no slice):
// the selected slices when that slice is selected, else the slice alone,
// else the whole loop, as WAVE files; with asMidi the loop as a MIDI file.
// Null when nothing would be written.
QMimeData* MakeDragOutData(CZubrikDocument& document, int32_t sliceIndex, bool asMidi, bool noRingOut);

} // namespace NSZubrik
