// What the sound libraries read from WAVE and AIFF headers themselves rather
// than through libsndfile: the declared sample depth (libsndfile rounds odd
// depths up to whole bytes, 20 bits read as 24) and the AIFF instrument with
// its loops (libsndfile neither writes it nor reports a release loop).
#pragma once

#include "platform/SoundKit.h"

namespace NSSoundHeaderPeek {

// The declared bits per sample, or 0 when the header cannot be found.
// For WAVE_FORMAT_EXTENSIBLE the valid bits count when given.
int32_t DeclaredBits(NSSoundKit::IByteReader& source, bool riff);

// The frames the header declares (WAVE: the data chunk's length over the
// frame size; AIFF: the COMM chunk's count), or 0 when not found.
uint32_t DeclaredFrames(NSSoundKit::IByteReader& source, bool riff);

// Fills the instrument and loop fields from the "INST" and "MARK" chunks of
// an AIFF file; false when the file has no instrument chunk. The sustain
// loop wins over the release loop; loops whose markers are missing or out of
// order are left out.
bool ReadAiffInstrument(NSSoundKit::IByteReader& source, NSSoundKit::SProperties& properties);

} // namespace NSSoundHeaderPeek
