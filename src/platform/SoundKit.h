// RiffSoundKit (WAVE) and FormSoundKit (AIFF): the sound-file libraries.
// Both offer the same operations: a sound reader over a byte reader and a
// sound writer over a byte writer. Samples cross as 32-bit floats whose full
// scale is +-2^23, interleaved when stereo. Every call answers with a result
// code of the libraries' space (991 = success).
#pragma once

#include <cstdint>
#include <memory>

namespace NSSoundKit {

using TResult = int32_t;

inline constexpr TResult kSuccess = 991;
inline constexpr TResult kOutOfMemory = 992;
inline constexpr TResult kInvalidArgument = 993;
inline constexpr TResult kInvariantCorrupt = 994;
inline constexpr TResult kIllegalCallSequence = 995;
inline constexpr TResult kLogicError = 996;
inline constexpr TResult kReadError = 997;
inline constexpr TResult kWriteError = 998;
inline constexpr TResult kBadFormat = 999;
inline constexpr TResult kDiskFull = 1000;
inline constexpr TResult kUnsupportedFormat = 1001;
inline constexpr TResult kOther = 1002;

inline constexpr int32_t kLoopNone = 42;
// A loop that only plays on release (the AIFF release loop with no
// sustain loop before it).
inline constexpr int32_t kLoopRelease = 43;
// The sound's main loop: the WAVE sampler loop or the AIFF sustain loop.
inline constexpr int32_t kLoopSustain = 44;

inline constexpr int32_t kLoopPlayForward = 99;
// Back and forth, or backwards.
inline constexpr int32_t kLoopPlayAlternating = 100;

// Depth reported for encodings that are not integer PCM (ADPCM, mu-law, ...).
inline constexpr int32_t kBitsNotPCM = 0;

// The container and coding a sound was read from.
enum class ESourceFormat : uint8_t { kWave, kAiff, kFlac, kVorbis, kOpus, kMpeg };

// The properties of a sound, as read or to be written.
struct SProperties {
    uint16_t channels = 0;
    int32_t bits = 0;  // as the file declares it; 32/64 for floating point
    uint32_t sampleRate = 0;
    uint32_t frames = 0;
    int32_t loopKind = kLoopNone;
    int32_t loopPlay = 0;
    int32_t loopStart = 0;  // first frame of the loop
    int32_t loopEnd = 0;    // frame after the loop
    uint8_t hasInstrument = 0;
    uint8_t rootKey = 60;
    // Lowest key, lowest velocity, and the highest key and velocity.
    uint8_t keyVelocity[3] = {0, 0, 127};
    // Where the frames came from, as read; ignored by writers.
    ESourceFormat source = ESourceFormat::kWave;
    // The frames are decoded through floating point (float or double PCM,
    // or a lossy coding): values beyond full scale are clipped and counted.
    bool floatingPoint = false;
};

// The bytes a reader decodes. Positions are byte offsets.
class IByteReader {
public:
    virtual ~IByteReader() = default;
    virtual TResult GetSize(int64_t& size) = 0;
    // Reads up to count bytes; done tells how many (fewer only at the end).
    virtual TResult Read(int64_t position, int32_t count, void* destination,
                         int32_t& done) = 0;
};

// The bytes a writer produces. A writer may read back what it wrote.
class IByteWriter : public IByteReader {
public:
    virtual TResult Write(int64_t position, int32_t count, const void* source) = 0;
};

class ISoundReader {
public:
    virtual ~ISoundReader() = default;
    // Reads count frames from firstFrame on; fewer than asked is a read error.
    virtual TResult ReadFrames(uint32_t firstFrame, float* buffer, uint32_t count) = 0;
    // The same frames as whole numbers at the same full scale.
    virtual TResult ReadFramesInt24(uint32_t firstFrame, int32_t* buffer, uint32_t count) = 0;
    // The top 16 bits of each sample (full scale 2^15): every value of a
    // sound of 16 bits or fewer exactly, with no widening on the way.
    virtual TResult ReadFramesInt16(uint32_t firstFrame, int16_t* buffer, uint32_t count) = 0;
    // How many sample values read so far lay beyond full scale and were
    // clipped to it (only floating-point sources can hold such values).
    virtual uint64_t GetClippedCount() const { return 0; }
};

class ISoundWriter {
public:
    virtual ~ISoundWriter() = default;
    virtual TResult WriteFrames(const float* buffer, uint32_t count) = 0;
    // Whole numbers at the same full scale, clamped to it.
    virtual TResult WriteFramesInt24(const int32_t* buffer, uint32_t count) = 0;
    // Whole numbers at full scale 2^15; a 16-bit sound takes them as they are.
    virtual TResult WriteFramesInt16(const int16_t* buffer, uint32_t count) = 0;
    // Completes the file's headers; no frames may follow.
    virtual TResult Finish() = 0;
};

class ISoundKit {
public:
    virtual ~ISoundKit() = default;
    // The reader keeps using source until it is destroyed.
    virtual TResult NewReader(IByteReader& source, SProperties& properties,
                              std::unique_ptr<ISoundReader>& reader) = 0;
    virtual TResult NewWriter(IByteWriter& destination, const SProperties& properties,
                              std::unique_ptr<ISoundWriter>& writer) = 0;
};

class IRiffSoundKit : public ISoundKit {};
class IFormSoundKit : public ISoundKit {};
// Compressed sounds, read only: FLAC, Ogg Vorbis, Ogg Opus and MP3.
class ICodedSoundKit : public ISoundKit {};

// The factories: interfaceName must be "IRiffSoundKit" / "IFormSoundKit" /
// "ICodedSoundKit".
TResult RiffSoundKit_Create(const char* interfaceName, IRiffSoundKit*& kit);
TResult FormSoundKit_Create(const char* interfaceName, IFormSoundKit*& kit);
TResult CodedSoundKit_Create(const char* interfaceName, ICodedSoundKit*& kit);

} // namespace NSSoundKit
