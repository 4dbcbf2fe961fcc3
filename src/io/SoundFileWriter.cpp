#include "io/SoundFileWriter.h"

#include <algorithm>
#include <type_traits>
#include <vector>

#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"
#include "document/LengthyOperation.h"
#include "platform/DiskKitUtils.h"
#include "platform/SoundKitGlue.h"

namespace NSZubrik {

namespace {

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
    const bool riff = type == EPlainSoundFile::kWave;
    NSSoundKit::ISoundKit& kit = riff ? static_cast<NSSoundKit::ISoundKit&>(NSRiffSoundGlue::GetKit())
                                      : static_cast<NSSoundKit::ISoundKit&>(NSFormSoundGlue::GetKit());
    const NSSoundKit::SProperties properties = Properties(wave, options);
    NSDiskKitUtils::CSafeFileWriter writer(destination, NSDiskKitUtils::MakeFourCC(riff ? "WAVE" : "AIFF"));
    NSSoundKitGlue::CSoundEncoder encoder(kit, writer.GetMedia(), properties);
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
        NSWaveMarkers::AppendChunks(writer.GetMedia(), NSWaveMarkers::MarkerChunks(options.fMarkers));
    }
    writer.Commit();
    progress.SetPercent(100);
}

} // namespace NSZubrik
