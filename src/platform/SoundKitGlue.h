// The program's side of the WAVE and AIFF libraries: the library objects,
// their result codes turned into exceptions, media shown to the libraries as
// byte readers and writers, and throwing wrappers around sound readers and
// writers.
#pragma once

#include "platform/SoundKit.h"
#include "tambor/Media.h"

#include <memory>

namespace NSSoundKitGlue {

// Throws the exception that belongs to a result code other than success.
void Check(NSSoundKit::TResult result);

// The code that hands the exception in flight back to a library; called
// from inside a catch block.
NSSoundKit::TResult CurrentExceptionCode() noexcept;

// A media read by a sound library. Reads stop at the media's end.
class CMediaByteReader : public NSSoundKit::IByteReader {
public:
    explicit CMediaByteReader(NSTambor::CMedia& media) : fMedia(media) {}
    NSSoundKit::TResult GetSize(int64_t& size) override;
    NSSoundKit::TResult Read(int64_t position, int32_t count, void* destination,
                             int32_t& done) override;

protected:
    NSTambor::CMedia& fMedia;
};

// A media written by a sound library.
class CMediaByteWriter : public NSSoundKit::IByteWriter {
public:
    explicit CMediaByteWriter(NSTambor::CMedia& media) : fReader(media), fMedia(media) {}
    NSSoundKit::TResult GetSize(int64_t& size) override { return fReader.GetSize(size); }
    NSSoundKit::TResult Read(int64_t position, int32_t count, void* destination,
                             int32_t& done) override
    {
        return fReader.Read(position, count, destination, done);
    }
    NSSoundKit::TResult Write(int64_t position, int32_t count, const void* source) override;

private:
    CMediaByteReader fReader;
    NSTambor::CMedia& fMedia;
};

// A sound reader of a library over a media (not owned, kept open by the
// caller while this object lives).
class CSoundDecoder {
public:
    CSoundDecoder(NSSoundKit::ISoundKit& kit, NSTambor::CMedia& media);
    const NSSoundKit::SProperties& GetProperties() const { return fProperties; }
    // Frames as floats with full scale +-2^23, interleaved when stereo.
    void ReadFrames(uint32_t firstFrame, float* buffer, uint32_t count);
    // The same frames as whole numbers at full scale +-2^23.
    void ReadFrames(uint32_t firstFrame, int32_t* buffer, uint32_t count);
    // Their top 16 bits: exact for sounds of 16 bits or fewer.
    void ReadFrames(uint32_t firstFrame, int16_t* buffer, uint32_t count);
    // Sample values clipped to full scale so far (floating-point sources).
    uint64_t GetClippedCount() const;

private:
    CMediaByteReader fBytes;
    NSSoundKit::SProperties fProperties;
    std::unique_ptr<NSSoundKit::ISoundReader> fReader;
};

// A sound writer of a library into a media (not owned).
class CSoundEncoder {
public:
    CSoundEncoder(NSSoundKit::ISoundKit& kit, NSTambor::CMedia& media,
                  const NSSoundKit::SProperties& properties);
    void WriteFrames(const float* buffer, uint32_t count);
    void WriteFrames(const int32_t* buffer, uint32_t count);
    // Whole numbers at full scale 2^15.
    void WriteFrames(const int16_t* buffer, uint32_t count);
    // Completes the headers; the media then holds the whole file.
    void Finish();

private:
    CMediaByteWriter fBytes;
    std::unique_ptr<NSSoundKit::ISoundWriter> fWriter;
};

} // namespace NSSoundKitGlue

namespace NSRiffSoundGlue {
using CCMediaByteReader = NSSoundKitGlue::CMediaByteReader;
using CCMediaByteWriter = NSSoundKitGlue::CMediaByteWriter;
// The WAVE library, created on first use.
NSSoundKit::IRiffSoundKit& GetKit();
void ReleaseKit();
} // namespace NSRiffSoundGlue

namespace NSFormSoundGlue {
using CCMediaByteReader = NSSoundKitGlue::CMediaByteReader;
using CCMediaByteWriter = NSSoundKitGlue::CMediaByteWriter;
// The AIFF library, created on first use.
NSSoundKit::IFormSoundKit& GetKit();
void ReleaseKit();
} // namespace NSFormSoundGlue

namespace NSCodedSoundGlue {
// The library of compressed sounds (FLAC, Ogg Vorbis, Opus, MP3), created on
// first use.
NSSoundKit::ICodedSoundKit& GetKit();
void ReleaseKit();
} // namespace NSCodedSoundGlue
