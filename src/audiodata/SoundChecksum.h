// The checksum a loop file keeps of its sound: the MD5 of the sample values
// as the decoder gives them back, frame after frame (left then right when
// stereo), each value little-endian in two bytes (16-bit sounds) or three
// (24-bit sounds), the layout flac's tools digest.
#pragma once

#include "tambor/MD5.h"

namespace NSZubrik {

class CABCWaveSample;

using TSoundChecksum = NSTambor::CMD5::TDigest;

TSoundChecksum SoundChecksum(const CABCWaveSample& wave);

// Whether a loop file carries a checksum and whether its sound matches it.
enum class EChecksumState { kAbsent, kMatches, kDiffers };

} // namespace NSZubrik
