// The one writer of plain WAVE and AIFF files, shared by the sound-file
// exports and the command line: a wave sample as stored, through a temporary
// file beside the target that replaces it only when complete.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "io/WaveMarkers.h"

namespace NSTambor {
class CMedia;
}

namespace NSZubrik {

class CABCWaveSample;
class ILengthyProgress;

enum class EPlainSoundFile { kWave, kAiff };

// How a wave is laid out in the file.
struct SPieceWriteOptions {
    // 24 bits when 24 or more, else 16.
    int32_t fBitDepth = 16;
    // A forward sustain loop from fLoopStart to fLoopEnd (at most the frame
    // count); no loop when fLoopEnd is 0.
    int32_t fLoopStart = 0;
    int32_t fLoopEnd = 0;
    // Instrument data for samplers: the root key over the full key and
    // velocity range.
    bool fInstrument = true;
    uint8_t fRootKey = 60;
    // Frames written between looks at progress and Stop; 0 for blocks as
    // large as the file takes in one piece (a faster whole-file write with
    // fewer reports).
    int32_t fProgressFrames = 1024;
    // Cue points with labels (WAVE files only).
    std::vector<NSWaveMarkers::SMarker> fMarkers;
};

// Writes every frame of the wave. A sample stored at the written depth goes
// out exactly as stored; another depth is converted by the sound library.
// Reports percent done per block; a stop raises XUserAbortedExport.
void WriteSoundFile(const CABCWaveSample& wave, const SPieceWriteOptions& options, EPlainSoundFile type,
                    const std::filesystem::path& destination, ILengthyProgress& progress);
// The same file into a medium (the clipboard's WAVE form).
void WriteSoundFile(const CABCWaveSample& wave, const SPieceWriteOptions& options, EPlainSoundFile type,
                    NSTambor::CMedia& media, ILengthyProgress& progress);

// The depth of a rendered file: 16, 24, or 0 for 32-bit float.
inline constexpr int32_t kFloatBits = 0;

// Writes rendered float frames, handed over piece by piece as they are
// rendered, as a WAVE file: 16 or 24 bits clipped as the audio output clips,
// or 32-bit floats unclipped. A writer dropped before Commit leaves nothing.
class CRenderedWaveWriter {
public:
    CRenderedWaveWriter(const std::filesystem::path& file, int32_t sampleRate, bool stereo, int32_t bits,
                        int32_t frameCount);
    ~CRenderedWaveWriter();
    CRenderedWaveWriter(const CRenderedWaveWriter&) = delete;
    CRenderedWaveWriter& operator=(const CRenderedWaveWriter&) = delete;

    void Write(const float* left, const float* right, int32_t count);
    // Completes the file and moves it into place.
    void Commit();

private:
    struct SState;
    std::unique_ptr<SState> fState;
};

} // namespace NSZubrik
