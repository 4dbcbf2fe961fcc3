#include "io/SoundFileWriter.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>
#include <vector>

#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"
#include "document/LengthyOperation.h"
#include "platform/DiskKitUtils.h"
#include "platform/SoundKitGlue.h"
#include "tambor/ByteBuilder.h"

namespace NSZubrik {

namespace {

// Full scale of the sound libraries' float samples.
constexpr float kLibraryScale = 8388608.0f;

// Little-endian bytes of a float sample, written in place.
inline void StoreFloat(uint8_t* at, float value)
{
    const auto bits = std::bit_cast<uint32_t>(value);
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(at, &bits, 4);
    } else {
        for (int i = 0; i < 4; ++i)
            at[i] = uint8_t(bits >> (8 * i));
    }
}

// The header of a WAVE file of 32-bit float frames (format tag 3, with the
// "fact" chunk that non-PCM data carries).
std::vector<uint8_t> FloatWaveHeader(int32_t sampleRate, int32_t channels, int32_t frameCount)
{
    const uint32_t dataBytes = uint32_t(frameCount) * uint32_t(channels) * 4;
    NSTambor::CByteBuilder header;
    header.Text("RIFF");
    header.U32LE(4 + (8 + 18) + (8 + 4) + 8 + dataBytes);
    header.Text("WAVEfmt ");
    header.U32LE(18);
    header.U16LE(3);
    header.U16LE(uint16_t(channels));
    header.U32LE(uint32_t(sampleRate));
    header.U32LE(uint32_t(sampleRate) * uint32_t(channels) * 4);
    header.U16LE(uint16_t(channels * 4));
    header.U16LE(32);
    header.U16LE(0);
    header.Text("fact");
    header.U32LE(4);
    header.U32LE(uint32_t(frameCount));
    header.Text("data");
    header.U32LE(dataBytes);
    return header.Data();
}

// Frames handed to the sound library at a time, when the caller leaves the
// size open and the library converts them.
constexpr int32_t kConvertedBlock = 2048;

NSSoundKit::SProperties Properties(const CABCWaveSample& wave, const SPieceWriteOptions& options)
{
    NSSoundKit::SProperties properties;
    properties.channels = wave.IsStereo() ? 2 : 1;
    properties.bits = options.fBitDepth >= 24 ? 24 : 16;
    properties.sampleRate = static_cast<uint32_t>(wave.GetSampleRate());
    properties.frames = static_cast<uint32_t>(wave.GetFrameCount());
    if (options.fLoopEnd > 0) {
        properties.loopKind = NSSoundKit::kLoopSustain;
        properties.loopPlay = NSSoundKit::kLoopPlayForward;
        properties.loopStart = options.fLoopStart;
        properties.loopEnd = std::min(options.fLoopEnd, wave.GetFrameCount());
    } else {
        properties.loopKind = NSSoundKit::kLoopNone;
        properties.loopPlay = 0;
        properties.loopStart = 0;
        properties.loopEnd = 0;
    }
    if (options.fInstrument) {
        properties.hasInstrument = 1;
        properties.rootKey = options.fRootKey;
        properties.keyVelocity[0] = 0;
        properties.keyVelocity[1] = 0;
        properties.keyVelocity[2] = 127;
    }
    return properties;
}

void Load(const CABCWaveSample& wave, int32_t start, int32_t count, int16_t* block)
{
    if (wave.IsStereo())
        wave.GetInt16Stereo(start, count, block);
    else
        wave.GetInt16s(start, count, block, 1);
}

void Load(const CABCWaveSample& wave, int32_t start, int32_t count, int32_t* block)
{
    if (wave.IsStereo())
        wave.GetInt24Stereo(start, count, block);
    else
        wave.GetInt24s(start, count, block, 1);
}

void Load(const CABCWaveSample& wave, int32_t start, int32_t count, float* block)
{
    if (wave.IsStereo())
        wave.GetFloat24Stereo(start, count, block);
    else
        wave.GetFloat24s(start, count, block, 1);
}

// Frames per block written. Left open, a 16-bit sound's block is as large as
// the file bridge's own block, so the library hands it to the file in one
// piece instead of having it gathered and copied; other samples are
// converted by the library piece by piece anyway.
template <typename TSample>
int32_t BlockFrames(const CABCWaveSample& wave, const SPieceWriteOptions& options)
{
    if (options.fProgressFrames > 0)
        return options.fProgressFrames;
    if (!std::is_same_v<TSample, int16_t>)
        return kConvertedBlock;
    return NSDiskKitUtils::CMediaBridge::kBlockBytes / int32_t(sizeof(int16_t) * (wave.IsStereo() ? 2 : 1));
}

template <typename TSample>
void WriteBlocks(const CABCWaveSample& wave, const SPieceWriteOptions& options,
                 NSSoundKitGlue::CSoundEncoder& encoder, ILengthyProgress& progress)
{
    const int32_t frames = wave.GetFrameCount();
    const int32_t blockFrames = BlockFrames<TSample>(wave, options);
    std::vector<TSample> block(size_t(blockFrames) * 2);
    for (int32_t done = 0; done < frames;) {
        progress.SetPercent(int32_t(int64_t(done) * 100 / frames));
        if (progress.StopRequested())
            throw XUserAbortedExport();
        const int32_t count = std::min(blockFrames, frames - done);
        Load(wave, done, count, block.data());
        encoder.WriteFrames(block.data(), uint32_t(count));
        done += count;
    }
}

} // namespace

void WriteSoundFile(const CABCWaveSample& wave, const SPieceWriteOptions& options, EPlainSoundFile type,
                    const std::filesystem::path& destination, ILengthyProgress& progress)
{
    NSDiskKitUtils::CSafeFileWriter writer(
        destination, NSDiskKitUtils::MakeFourCC(type == EPlainSoundFile::kWave ? "WAVE" : "AIFF"));
    WriteSoundFile(wave, options, type, writer.GetMedia(), progress);
    writer.Commit();
}

void WriteSoundFile(const CABCWaveSample& wave, const SPieceWriteOptions& options, EPlainSoundFile type,
                    NSTambor::CMedia& media, ILengthyProgress& progress)
{
    const bool riff = type == EPlainSoundFile::kWave;
    NSSoundKit::ISoundKit& kit = riff ? static_cast<NSSoundKit::ISoundKit&>(NSRiffSoundGlue::GetKit())
                                      : static_cast<NSSoundKit::ISoundKit&>(NSFormSoundGlue::GetKit());
    const NSSoundKit::SProperties properties = Properties(wave, options);
    NSSoundKitGlue::CSoundEncoder encoder(kit, media, properties);
    // A sample at the written depth goes out in its own width, untouched
    // (24 bits on the 24-bit scale, which holds every stored value exactly).
    const bool stored24 = wave.GetBitDepth() > 16;
    if (properties.bits == 16 && !stored24)
        WriteBlocks<int16_t>(wave, options, encoder, progress);
    else if (properties.bits == 24 && stored24)
        WriteBlocks<int32_t>(wave, options, encoder, progress);
    else
        WriteBlocks<float>(wave, options, encoder, progress);
    encoder.Finish();
    if (!options.fMarkers.empty()) {
        if (!riff)
            throw XInvariantCorrupt();
        NSWaveMarkers::AppendChunks(media, NSWaveMarkers::MarkerChunks(options.fMarkers));
    }
    progress.SetPercent(100);
}

// ---- rendered frames

struct CRenderedWaveWriter::SState {
    SState(const std::filesystem::path& file, int32_t rate, bool stereo, int32_t bits, int32_t frames)
        : fWriter(file, NSDiskKitUtils::MakeFourCC("WAVE")), fChannels(stereo ? 2 : 1), fBits(bits)
    {
        if (bits == kFloatBits) {
            fBytes = FloatWaveHeader(rate, fChannels, frames);
            return;
        }
        NSSoundKit::SProperties properties;
        properties.channels = uint16_t(fChannels);
        properties.bits = bits;
        properties.sampleRate = uint32_t(rate);
        properties.frames = uint32_t(frames);
        fEncoder = std::make_unique<NSSoundKitGlue::CSoundEncoder>(NSRiffSoundGlue::GetKit(), fWriter.GetMedia(),
                                                                   properties);
    }

    void FlushBytes()
    {
        NSTambor::CMedia& media = fWriter.GetMedia();
        media.WriteAt(media.GetSize(), int32_t(fBytes.size()), fBytes.data());
        fBytes.clear();
    }

    NSDiskKitUtils::CSafeFileWriter fWriter;
    std::unique_ptr<NSSoundKitGlue::CSoundEncoder> fEncoder;
    int32_t fChannels;
    int32_t fBits;
    std::vector<uint8_t> fBytes;
    std::vector<float> fScratch;
};

CRenderedWaveWriter::CRenderedWaveWriter(const std::filesystem::path& file, int32_t sampleRate, bool stereo,
                                         int32_t bits, int32_t frameCount)
    : fState(std::make_unique<SState>(file, sampleRate, stereo, bits, frameCount))
{
}

CRenderedWaveWriter::~CRenderedWaveWriter() = default;

void CRenderedWaveWriter::Write(const float* left, const float* right, int32_t count)
{
    SState& s = *fState;
    if (s.fBits == kFloatBits) {
        // Unclipped: the float output exactly as rendered.
        const size_t start = s.fBytes.size();
        s.fBytes.resize(start + size_t(count) * size_t(s.fChannels) * 4);
        uint8_t* at = s.fBytes.data() + start;
        for (int32_t i = 0; i < count; ++i) {
            StoreFloat(at, left[i]);
            at += 4;
            if (s.fChannels == 2) {
                StoreFloat(at, right[i]);
                at += 4;
            }
        }
        if (s.fBytes.size() >= (1u << 20))
            s.FlushBytes();
        return;
    }
    // Clipped to -1 ... 1 as the audio output clips, then at the libraries'
    // full scale.
    s.fScratch.resize(size_t(count) * size_t(s.fChannels));
    for (int32_t i = 0; i < count; ++i) {
        s.fScratch[size_t(i * s.fChannels)] = std::clamp(left[i], -1.0f, 1.0f) * kLibraryScale;
        if (s.fChannels == 2)
            s.fScratch[size_t(i * 2 + 1)] = std::clamp(right[i], -1.0f, 1.0f) * kLibraryScale;
    }
    s.fEncoder->WriteFrames(s.fScratch.data(), uint32_t(count));
}

void CRenderedWaveWriter::Commit()
{
    SState& s = *fState;
    if (s.fEncoder)
        s.fEncoder->Finish();
    else
        s.FlushBytes();
    s.fWriter.Commit();
}

} // namespace NSZubrik
