// The codec's drivers for a whole wave sample: the encoder behind the loop
// file's sample-data chunk and the decoder that reads it back, both in
// blocks so that progress is reported and Stop is honoured between them.
#pragma once

#include <cstdint>

namespace NSTambor {
class CMedia;
}

namespace NSZubrik {

class CABCWaveSample;
class CZBX2DecompressCallback;
class ILengthyProgress;

inline constexpr int32_t kEncodeBlockFrames = 1000;
inline constexpr int32_t kDecodeBlockFrames = 4096;

// Codes every frame of the wave (one or two channels, 16 or 24 bits) at the
// media's position and flushes the stream. With a progress object, each
// block first reports the frames left and the percentage done; Stop there
// fails with XZBX2UserAborted.
void EncodeWaveSample(NSTambor::CMedia& media, const CABCWaveSample& wave,
                      ILengthyProgress* progress);

// Decodes frameCount frames of channelCount channels from the media into the
// wave from frame 0, at the wave's depth. The callback hears the frames done
// before each block and the total at the end; true from it fails with
// XZBX2UserAborted. A damaged or short stream fails with XBadFormat.
void DecodeWaveSample(NSTambor::CMedia& media, CABCWaveSample& wave, int32_t channelCount,
                      int32_t frameCount, CZBX2DecompressCallback& callback);

} // namespace NSZubrik
