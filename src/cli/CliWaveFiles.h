// Sound files the command line writes: a document's sound as WAVE or
// AIFF with its locators as the loop (convert, process; through the one
// sound-file writer the exports use), and rendered float
// audio as a WAVE file of 16 or 24 bits, clipped as the audio output clips,
// or of 32-bit floats, unclipped (render). Every file goes through a
// temporary file beside the target, so a stop or a failure leaves nothing
// half-written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

namespace NSZubrik {
class CABCWaveSample;
class ILengthyProgress;
}

namespace NSZubrikCli {

enum class ESoundFileKind { kWave, kAiff, kLoopFile, kOther };

// The kind an output name asks for, from its extension.
ESoundFileKind KindOfOutput(const std::filesystem::path& file);

// Every frame as stored, at the storage depth (16 or 24 bits), with the
// locators written as the sound's loop. Stop raises XUserAbortedExport.
void WriteWaveSample(const NSZubrik::CABCWaveSample& wave, const std::filesystem::path& file,
                     ESoundFileKind kind, NSZubrik::ILengthyProgress& progress);

// The depth of a rendered file: 16, 24, or 0 for 32-bit float.
inline constexpr int32_t kFloatBits = 0;

// Writes rendered frames, produced piece by piece by render(left, right,
// count), as a WAVE file. render returns false to stop (the file is then
// discarded and XUserPressedStop raised).
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

} // namespace NSZubrikCli
