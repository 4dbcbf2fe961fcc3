// The WAVE and AIFF libraries, and the reader of compressed sounds (FLAC,
// Ogg Vorbis, Opus, MP3), on top of libsndfile. libsndfile reads and
// writes through its virtual I/O, which is pointed at the byte reader or
// writer handed in; its instrument chunk carries the loop and the keys.
#include "platform/SoundKit.h"
#include "platform/SoundHeaderPeek.h"

#include <sndfile.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <new>
#include <string_view>
#include <vector>

namespace NSSoundKit {
namespace {

// Rounds to the nearest 24-bit value, halves to even as lrint does in the
// default rounding mode. Adding and taking away 1.5 * 2^52 leaves a double
// rounded to a whole number in one addition the compiler can vectorise,
// where lrint is a library call per sample.
inline int RoundToInt24(float sample)
{
    constexpr double kRoundingShift = 6755399441055744.0;
    // Clamped to the 24-bit range; not-a-number becomes silence.
    const double value = sample > -8388608.0f  ? (sample < 8388607.0f ? double(sample) : 8388607.0)
                         : sample <= -8388608.0f ? -8388608.0
                                                 : 0.0;
    return int((value + kRoundingShift) - kRoundingShift);
}

// The state behind one SNDFILE's virtual I/O.
struct SVirtualFile {
    IByteReader* reader = nullptr;
    IByteWriter* writer = nullptr;
    int64_t position = 0;
    TResult firstError = kSuccess;

    void Note(TResult result)
    {
        if (firstError == kSuccess) firstError = result;
    }
};

sf_count_t VirtualLength(void* user)
{
    auto& file = *static_cast<SVirtualFile*>(user);
    int64_t size = 0;
    try {
        TResult result = file.reader->GetSize(size);
        if (result != kSuccess) file.Note(result);
    } catch (...) {
        file.Note(kOther);
    }
    return size;
}

sf_count_t VirtualSeek(sf_count_t offset, int whence, void* user)
{
    auto& file = *static_cast<SVirtualFile*>(user);
    int64_t base = whence == SEEK_CUR ? file.position : whence == SEEK_END ? VirtualLength(user) : 0;
    if (offset > INT64_MAX / 2 || offset < -INT64_MAX / 2 || base + offset < 0) return -1;
    file.position = base + offset;
    return file.position;
}

sf_count_t VirtualRead(void* destination, sf_count_t count, void* user)
{
    auto& file = *static_cast<SVirtualFile*>(user);
    auto* bytes = static_cast<char*>(destination);
    sf_count_t total = 0;
    try {
        while (count > 0) {
            int32_t piece = int32_t(std::min<sf_count_t>(count, 1 << 30));
            int32_t done = 0;
            TResult result = file.reader->Read(file.position, piece, bytes + total, done);
            if (result != kSuccess) {
                file.Note(result);
                break;
            }
            if (done <= 0) break;
            file.position += done;
            total += done;
            count -= done;
        }
    } catch (...) {
        file.Note(kOther);
    }
    return total;
}

sf_count_t VirtualWrite(const void* source, sf_count_t count, void* user)
{
    auto& file = *static_cast<SVirtualFile*>(user);
    if (!file.writer || count > INT32_MAX) {
        file.Note(kWriteError);
        return 0;
    }
    try {
        TResult result = file.writer->Write(file.position, int32_t(count), source);
        if (result != kSuccess) {
            file.Note(result);
            return 0;
        }
    } catch (...) {
        file.Note(kOther);
        return 0;
    }
    file.position += count;
    return count;
}

sf_count_t VirtualTell(void* user)
{
    return static_cast<SVirtualFile*>(user)->position;
}

SF_VIRTUAL_IO kVirtualIO = {VirtualLength, VirtualSeek, VirtualRead, VirtualWrite, VirtualTell};

// The code for a failure of libsndfile; a failure of the bytes below wins.
TResult FailureCode(const SVirtualFile& file, SNDFILE* sound, TResult fallback)
{
    if (file.firstError != kSuccess) return file.firstError;
    switch (sf_error(sound)) {
    case SF_ERR_NO_ERROR:
    case SF_ERR_SYSTEM: return fallback;
    case SF_ERR_UNSUPPORTED_ENCODING: return kUnsupportedFormat;
    default: return fallback == kWriteError ? kWriteError : kBadFormat;
    }
}

int32_t ContainerBits(int subtype)
{
    switch (subtype) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8: return 8;
    case SF_FORMAT_PCM_16: return 16;
    case SF_FORMAT_PCM_24: return 24;
    case SF_FORMAT_PCM_32: return 32;
    default: return 0;
    }
}

// Integer PCM reports the depth the header declares when it fits the
// container (20 bits in 3 bytes stays 20); other encodings report a depth
// that no check accepts.
int32_t ReportedBits(int subtype, int32_t declared)
{
    if (subtype == SF_FORMAT_FLOAT) return 32;
    if (subtype == SF_FORMAT_DOUBLE) return 64;
    int32_t container = ContainerBits(subtype);
    if (container == 0) return kBitsNotPCM;
    return declared > container - 8 && declared <= container ? declared : container;
}

int32_t ClampFrame(uint32_t frame)
{
    return int32_t(std::min<uint32_t>(frame, INT32_MAX));
}

void TakeInstrument(SNDFILE* sound, SProperties& properties)
{
    SF_INSTRUMENT instrument {};
    if (sf_command(sound, SFC_GET_INSTRUMENT, &instrument, sizeof instrument) != SF_TRUE) return;
    auto key = [](int value) { return uint8_t(std::clamp(value, 0, 127)); };
    properties.hasInstrument = 1;
    properties.rootKey = key(instrument.basenote);
    properties.keyVelocity[0] = key(instrument.key_lo);
    properties.keyVelocity[1] = key(instrument.velocity_lo);
    properties.keyVelocity[2] = key(instrument.key_hi);
    int count = std::clamp(instrument.loop_count, 0, 16);
    for (int i = 0; i < count; ++i) {
        const auto& loop = instrument.loops[i];
        if (loop.mode == SF_LOOP_NONE) continue;
        properties.loopKind = i == 0 ? kLoopSustain : kLoopRelease;
        properties.loopPlay = loop.mode == SF_LOOP_FORWARD ? kLoopPlayForward : kLoopPlayAlternating;
        properties.loopStart = ClampFrame(loop.start);
        properties.loopEnd = ClampFrame(loop.end);
        return;
    }
}

bool GiveInstrument(SNDFILE* sound, const SProperties& properties)
{
    bool looped = properties.loopKind != kLoopNone && properties.loopStart >= 0 &&
                  properties.loopEnd > properties.loopStart;
    if (!properties.hasInstrument && !looped) return true;
    SF_INSTRUMENT instrument {};
    instrument.gain = 1;
    instrument.basenote = char(properties.rootKey & 0x7F);
    instrument.key_lo = char(properties.keyVelocity[0] & 0x7F);
    instrument.velocity_lo = char(properties.keyVelocity[1] & 0x7F);
    instrument.key_hi = char(properties.keyVelocity[2] & 0x7F);
    instrument.velocity_hi = instrument.key_hi;
    if (looped) {
        instrument.loop_count = 1;
        instrument.loops[0].mode = properties.loopPlay == kLoopPlayAlternating ? SF_LOOP_ALTERNATING
                                                                               : SF_LOOP_FORWARD;
        instrument.loops[0].start = uint32_t(properties.loopStart);
        instrument.loops[0].end = uint32_t(properties.loopEnd);
    }
    return sf_command(sound, SFC_SET_INSTRUMENT, &instrument, sizeof instrument) == SF_TRUE;
}

void PutBE(std::vector<uint8_t>& bytes, uint32_t value, int count)
{
    for (int i = count - 1; i >= 0; --i) bytes.push_back(uint8_t(value >> (8 * i)));
}

// libsndfile keeps the instrument of an AIFF file only when reading, so the
// AIFF writer adds the marker and instrument chunks itself, after the sound
// data (chunk order is free in a FORM), and grows the FORM to hold them.
TResult AppendAiffInstrument(IByteWriter& writer, const SProperties& properties)
{
    bool looped = properties.loopKind != kLoopNone && properties.loopStart >= 0 &&
                  properties.loopEnd > properties.loopStart;
    if (!properties.hasInstrument && !looped) return kSuccess;
    std::vector<uint8_t> bytes;
    int64_t size = 0;
    if (TResult result = writer.GetSize(size); result != kSuccess) return result;
    if (size < 12) return kInvariantCorrupt;
    if (size & 1) bytes.push_back(0);
    if (looped) {
        bytes.insert(bytes.end(), {'M', 'A', 'R', 'K'});
        PutBE(bytes, 2 + 2 * 8, 4);
        PutBE(bytes, 2, 2);  // two markers: loop start (1) and end (2), unnamed
        for (uint32_t id : {1u, 2u}) {
            PutBE(bytes, id, 2);
            PutBE(bytes, uint32_t(id == 1 ? properties.loopStart : properties.loopEnd), 4);
            PutBE(bytes, 0, 2);
        }
    }
    bytes.insert(bytes.end(), {'I', 'N', 'S', 'T'});
    PutBE(bytes, 20, 4);
    // baseNote, detune, lowNote, highNote, lowVelocity, highVelocity
    for (uint8_t value : {properties.rootKey, uint8_t(0), properties.keyVelocity[0],
                          properties.keyVelocity[2], properties.keyVelocity[1], properties.keyVelocity[2]})
        bytes.push_back(value & 0x7F);
    PutBE(bytes, 0, 2);  // gain in dB
    uint32_t mode = properties.loopPlay == kLoopPlayAlternating ? 2 : 1;
    bool release = properties.loopKind == kLoopRelease;
    for (bool slot : {false, true}) {  // sustain loop, then release loop
        bool used = looped && slot == release;
        PutBE(bytes, used ? mode : 0, 2);
        PutBE(bytes, used ? 1 : 0, 2);
        PutBE(bytes, used ? 2 : 0, 2);
    }
    int64_t total = size + int64_t(bytes.size());
    if (total > INT32_MAX) return kDiskFull;
    std::vector<uint8_t> formSize;
    PutBE(formSize, uint32_t(total - 8), 4);
    if (TResult result = writer.Write(size, int32_t(bytes.size()), bytes.data()); result != kSuccess)
        return result;
    return writer.Write(4, 4, formSize.data());
}

template <typename T>
TResult Guarded(T&& body)
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (...) {
        return kOther;
    }
}

class CSoundReader final : public ISoundReader {
public:
    CSoundReader(std::unique_ptr<SVirtualFile> file, SNDFILE* sound, int channels, bool floatingPoint)
        : fFile(std::move(file)), fSound(sound), fChannels(channels), fFloatingPoint(floatingPoint)
    {
    }
    ~CSoundReader() override { sf_close(fSound); }

    TResult ReadFrames(uint32_t firstFrame, float* buffer, uint32_t count) override
    {
        if (fFloatingPoint)
            return ReadClipped(firstFrame, buffer, count, [](int value) { return float(value); });
        return ReadConverted(firstFrame, buffer, count, [](int value) { return float(value >> 8); });
    }

    TResult ReadFramesInt24(uint32_t firstFrame, int32_t* buffer, uint32_t count) override
    {
        if (fFloatingPoint)
            return ReadClipped(firstFrame, buffer, count, [](int value) { return int32_t(value); });
        return ReadConverted(firstFrame, buffer, count, [](int value) { return int32_t(value >> 8); });
    }

    uint64_t GetClippedCount() const override { return fClipped; }

    // libsndfile reads 16-bit data straight into the buffer (swapped only
    // where the byte orders differ) and puts narrower depths at the top of
    // each value, so no scratch buffer or conversion pass is needed.
    TResult ReadFramesInt16(uint32_t firstFrame, int16_t* buffer, uint32_t count) override
    {
        if (fFloatingPoint)
            return ReadClipped(firstFrame, buffer, count, [](int value) { return int16_t(value >> 8); });
        return Guarded([&] {
            if (count == 0) return kSuccess;
            if (!buffer) return kInvalidArgument;
            if (TResult sought = SeekTo(firstFrame); sought != kSuccess) return sought;
            return Advance(sf_readf_short(fSound, buffer, count), count);
        });
    }

private:
    TResult SeekTo(uint32_t firstFrame)
    {
        if (firstFrame != fNextFrame) {
            if (sf_seek(fSound, firstFrame, SEEK_SET) != sf_count_t(firstFrame))
                return FailureCode(*fFile, fSound, kReadError);
            fNextFrame = firstFrame;
        }
        return kSuccess;
    }

    // Moves past the frames read; fewer than asked is a read error.
    TResult Advance(sf_count_t done, uint32_t count)
    {
        if (done > 0) fNextFrame += uint32_t(done);
        if (done != sf_count_t(count)) return FailureCode(*fFile, fSound, kReadError);
        return kSuccess;
    }

    template <typename TSample, typename TConvert>
    TResult ReadConverted(uint32_t firstFrame, TSample* buffer, uint32_t count, TConvert convert)
    {
        return Guarded([&] {
            if (count == 0) return kSuccess;
            if (!buffer) return kInvalidArgument;
            if (TResult sought = SeekTo(firstFrame); sought != kSuccess) return sought;
            size_t samples = size_t(count) * size_t(fChannels);
            if (fScratch.size() < samples) fScratch.resize(samples);
            if (TResult read = Advance(sf_readf_int(fSound, fScratch.data(), count), count); read != kSuccess)
                return read;
            // libsndfile left-aligns every depth in 32 bits; the shift brings
            // full scale to 2^23, which a float holds exactly.
            for (size_t i = 0; i < samples; ++i) buffer[i] = convert(fScratch[i]);
            return kSuccess;
        });
    }

    // Floating-point frames as libsndfile decodes them (full scale 1.0),
    // each value beyond full scale clipped and counted, then rounded to the
    // 24-bit scale before convert narrows it further.
    template <typename TSample, typename TConvert>
    TResult ReadClipped(uint32_t firstFrame, TSample* buffer, uint32_t count, TConvert convert)
    {
        return Guarded([&] {
            if (count == 0) return kSuccess;
            if (!buffer) return kInvalidArgument;
            if (TResult sought = SeekTo(firstFrame); sought != kSuccess) return sought;
            size_t samples = size_t(count) * size_t(fChannels);
            if (fFloats.size() < samples) fFloats.resize(samples);
            if (TResult read = Advance(sf_readf_float(fSound, fFloats.data(), count), count); read != kSuccess)
                return read;
            for (size_t i = 0; i < samples; ++i) {
                float value = fFloats[i];
                if (!(value >= -1.0f && value <= 1.0f)) {
                    ++fClipped;
                    value = value > 1.0f ? 1.0f : value < -1.0f ? -1.0f : 0.0f;
                }
                buffer[i] = convert(RoundToInt24(value * 8388608.0f));
            }
            return kSuccess;
        });
    }

    std::unique_ptr<SVirtualFile> fFile;
    SNDFILE* fSound;
    int fChannels;
    bool fFloatingPoint;
    uint32_t fNextFrame = 0;
    uint64_t fClipped = 0;
    std::vector<int> fScratch;
    std::vector<float> fFloats;
};

class CSoundWriter final : public ISoundWriter {
public:
    CSoundWriter(std::unique_ptr<SVirtualFile> file, SNDFILE* sound, int channels,
                 const SProperties* aiffInstrument)
        : fFile(std::move(file)), fSound(sound), fChannels(channels),
          fAiffInstrument(aiffInstrument != nullptr)
    {
        if (aiffInstrument) fProperties = *aiffInstrument;
    }
    ~CSoundWriter() override
    {
        if (fSound) sf_close(fSound);
    }

    TResult WriteFrames(const float* buffer, uint32_t count) override
    {
        return WriteConverted(buffer, count, [](float sample) { return RoundToInt24(sample) * 256; });
    }

    TResult WriteFramesInt24(const int32_t* buffer, uint32_t count) override
    {
        return WriteConverted(buffer, count,
                              [](int32_t sample) { return std::clamp(sample, -8388608, 8388607) * 256; });
    }

    // libsndfile writes 16-bit values of a 16-bit sound straight from the
    // buffer (swapped only where the byte orders differ).
    TResult WriteFramesInt16(const int16_t* buffer, uint32_t count) override
    {
        return Guarded([&] {
            if (!fSound) return kIllegalCallSequence;
            if (count == 0) return kSuccess;
            if (!buffer) return kInvalidArgument;
            if (sf_writef_short(fSound, buffer, count) != sf_count_t(count))
                return FailureCode(*fFile, fSound, kWriteError);
            return fFile->firstError;
        });
    }

    TResult Finish() override
    {
        if (!fSound) return kIllegalCallSequence;
        SNDFILE* sound = fSound;
        fSound = nullptr;
        int closed = sf_close(sound);
        if (fFile->firstError != kSuccess) return fFile->firstError;
        if (closed != 0) return kWriteError;
        return fAiffInstrument ? Guarded([&] { return AppendAiffInstrument(*fFile->writer, fProperties); })
                               : kSuccess;
    }

private:
    template <typename TSample, typename TConvert>
    TResult WriteConverted(const TSample* buffer, uint32_t count, TConvert convert)
    {
        return Guarded([&] {
            if (!fSound) return kIllegalCallSequence;
            if (count == 0) return kSuccess;
            if (!buffer) return kInvalidArgument;
            size_t samples = size_t(count) * size_t(fChannels);
            if (fScratch.size() < samples) fScratch.resize(samples);
            for (size_t i = 0; i < samples; ++i) fScratch[i] = convert(buffer[i]);
            if (sf_writef_int(fSound, fScratch.data(), count) != sf_count_t(count))
                return FailureCode(*fFile, fSound, kWriteError);
            return fFile->firstError;
        });
    }

    std::unique_ptr<SVirtualFile> fFile;
    SNDFILE* fSound;
    int fChannels;
    bool fAiffInstrument;
    SProperties fProperties;
    std::vector<int> fScratch;
};

enum class EKitKind { kRiff, kForm, kCoded };

// What a kit accepts and how it reports it: the source format of a major
// format and coding, or false when the kit does not read it.
bool SourceOf(EKitKind kind, int major, int subtype, ESourceFormat& source)
{
    switch (kind) {
    case EKitKind::kRiff:
        source = ESourceFormat::kWave;
        return major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX;
    case EKitKind::kForm:
        source = ESourceFormat::kAiff;
        return major == SF_FORMAT_AIFF;
    case EKitKind::kCoded:
        break;
    }
    if (major == SF_FORMAT_FLAC) source = ESourceFormat::kFlac;
    else if (major == SF_FORMAT_OGG && subtype == SF_FORMAT_OPUS) source = ESourceFormat::kOpus;
    else if (major == SF_FORMAT_OGG && subtype == SF_FORMAT_VORBIS) source = ESourceFormat::kVorbis;
    else if (major == SF_FORMAT_MPEG) source = ESourceFormat::kMpeg;
    else return false;
    return true;
}

bool IsFloatingPoint(int subtype)
{
    switch (subtype) {
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
    case SF_FORMAT_VORBIS:
    case SF_FORMAT_OPUS:
    case SF_FORMAT_MPEG_LAYER_I:
    case SF_FORMAT_MPEG_LAYER_II:
    case SF_FORMAT_MPEG_LAYER_III: return true;
    default: return false;
    }
}

class CSoundKit {
public:
    explicit CSoundKit(EKitKind kind) : fKind(kind), fRiff(kind == EKitKind::kRiff) {}

    TResult NewReader(IByteReader& source, SProperties& properties,
                      std::unique_ptr<ISoundReader>& reader)
    {
        return Guarded([&] {
            auto file = std::make_unique<SVirtualFile>();
            file->reader = &source;
            SF_INFO info {};
            SNDFILE* sound = sf_open_virtual(&kVirtualIO, SFM_READ, &info, file.get());
            if (!sound) return FailureCode(*file, nullptr, kReadError);
            int major = info.format & SF_FORMAT_TYPEMASK;
            int subtype = info.format & SF_FORMAT_SUBMASK;
            SProperties found;
            bool expected = SourceOf(fKind, major, subtype, found.source);
            if (!expected || info.channels <= 0 || info.channels > UINT16_MAX ||
                info.frames < 0 || info.frames > sf_count_t(UINT32_MAX) || info.samplerate <= 0) {
                sf_close(sound);
                return expected ? kBadFormat : kUnsupportedFormat;
            }
            found.channels = uint16_t(info.channels);
            found.sampleRate = uint32_t(info.samplerate);
            found.frames = uint32_t(info.frames);
            found.floatingPoint = IsFloatingPoint(subtype);
            if (fKind == EKitKind::kCoded) {
                // FLAC keeps its integer depth; lossy codings decode at 24 bits.
                found.bits = found.floatingPoint ? 24 : ContainerBits(subtype);
                TakeInstrument(sound, found);
            } else {
                found.bits = ReportedBits(subtype, NSSoundHeaderPeek::DeclaredBits(source, fRiff));
                if (fRiff)
                    TakeInstrument(sound, found);
                else
                    NSSoundHeaderPeek::ReadAiffInstrument(source, found);
            }
            try {
                reader = std::make_unique<CSoundReader>(std::move(file), sound, info.channels, found.floatingPoint);
            } catch (...) {
                sf_close(sound);
                throw;
            }
            properties = found;
            return kSuccess;
        });
    }

    TResult NewWriter(IByteWriter& destination, const SProperties& properties,
                      std::unique_ptr<ISoundWriter>& writer)
    {
        return Guarded([&] {
            if (fKind == EKitKind::kCoded) return kUnsupportedFormat;
            int subtype = SubtypeFor(properties.bits);
            if (subtype == 0) return kUnsupportedFormat;
            if (properties.channels == 0 || properties.sampleRate == 0 ||
                properties.sampleRate > INT_MAX)
                return kInvalidArgument;
            SF_INFO info {};
            info.channels = properties.channels;
            info.samplerate = int(properties.sampleRate);
            info.format = (fRiff ? SF_FORMAT_WAV : SF_FORMAT_AIFF) | subtype;
            if (!sf_format_check(&info)) return kUnsupportedFormat;
            auto file = std::make_unique<SVirtualFile>();
            file->reader = &destination;
            file->writer = &destination;
            SNDFILE* sound = sf_open_virtual(&kVirtualIO, SFM_WRITE, &info, file.get());
            if (!sound) return FailureCode(*file, nullptr, kWriteError);
            if (fRiff && !GiveInstrument(sound, properties)) {
                sf_close(sound);
                return kInvalidArgument;
            }
            try {
                writer = std::make_unique<CSoundWriter>(std::move(file), sound, info.channels,
                                                        fRiff ? nullptr : &properties);
            } catch (...) {
                sf_close(sound);
                throw;
            }
            return kSuccess;
        });
    }

private:
    int SubtypeFor(int32_t bits) const
    {
        switch (bits) {
        case 8: return fRiff ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_S8;
        case 16: return SF_FORMAT_PCM_16;
        case 24: return SF_FORMAT_PCM_24;
        case 32: return SF_FORMAT_PCM_32;
        default: return 0;
        }
    }

    EKitKind fKind;
    bool fRiff;
};

template <typename TInterface>
class CKit final : public TInterface {
public:
    explicit CKit(EKitKind kind) : fKit(kind) {}
    TResult NewReader(IByteReader& source, SProperties& properties,
                      std::unique_ptr<ISoundReader>& reader) override
    {
        return fKit.NewReader(source, properties, reader);
    }
    TResult NewWriter(IByteWriter& destination, const SProperties& properties,
                      std::unique_ptr<ISoundWriter>& writer) override
    {
        return fKit.NewWriter(destination, properties, writer);
    }

private:
    CSoundKit fKit;
};

template <typename TInterface>
TResult CreateKit(const char* interfaceName, std::string_view expected, EKitKind kind,
                  TInterface*& kit)
{
    kit = nullptr;
    if (!interfaceName || std::string_view(interfaceName) != expected) return kInvalidArgument;
    kit = new (std::nothrow) CKit<TInterface>(kind);
    return kit ? kSuccess : kOutOfMemory;
}

} // namespace

TResult RiffSoundKit_Create(const char* interfaceName, IRiffSoundKit*& kit)
{
    return CreateKit(interfaceName, "IRiffSoundKit", EKitKind::kRiff, kit);
}

TResult FormSoundKit_Create(const char* interfaceName, IFormSoundKit*& kit)
{
    return CreateKit(interfaceName, "IFormSoundKit", EKitKind::kForm, kit);
}

TResult CodedSoundKit_Create(const char* interfaceName, ICodedSoundKit*& kit)
{
    return CreateKit(interfaceName, "ICodedSoundKit", EKitKind::kCoded, kit);
}

} // namespace NSSoundKit
