#include "cli/CliWaveFiles.h"

#include "tambor/ByteBuilder.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstring>
#include <type_traits>

#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"
#include "document/LengthyOperation.h"
#include "platform/DiskKitUtils.h"
#include "io/SoundFileWriter.h"
#include "platform/SoundKitGlue.h"

namespace NSZubrikCli {

using namespace NSZubrik;

namespace {

// Full scale of the sound libraries' float samples.
constexpr float kLibraryScale = 8388608.0f;

std::string LowerExtension(const std::filesystem::path& file)
{
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

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

// Shows the frames left beside the percent the sound-file writer reports.
class CFramesLeftProgress final : public ILengthyProgress {
public:
    CFramesLeftProgress(ILengthyProgress& progress, int32_t frames) : fProgress(progress), fFrames(frames) {}
    void SetText(const std::u16string& text) override { fProgress.SetText(text); }
    void SetCount(int32_t count) override { fProgress.SetCount(count); }
    void SetPercent(int32_t percent) override
    {
        fProgress.SetCount(int32_t(int64_t(fFrames) * (100 - percent) / 100));
        fProgress.SetPercent(percent);
    }
    bool StopRequested() const override { return fProgress.StopRequested(); }

private:
    ILengthyProgress& fProgress;
    int32_t fFrames;
};

} // namespace

ESoundFileKind KindOfOutput(const std::filesystem::path& file)
{
    const std::string extension = LowerExtension(file);
    if (extension == ".wav" || extension == ".wave")
        return ESoundFileKind::kWave;
    if (extension == ".aif" || extension == ".aiff")
        return ESoundFileKind::kAiff;
    if (extension == ".zx2")
        return ESoundFileKind::kLoopFile;
    return ESoundFileKind::kOther;
}

void WriteWaveSample(const CABCWaveSample& wave, const std::filesystem::path& file, ESoundFileKind kind,
                     ILengthyProgress& progress)
{
    // Every frame as stored; the locators travel as the sound's main loop,
    // which the sound-file reader takes back as the locators.
    SPieceWriteOptions options;
    options.fBitDepth = wave.GetBitDepth() > 16 ? 24 : 16;
    options.fLoopStart = wave.GetLoopStart();
    options.fLoopEnd = wave.GetLoopEnd();
    options.fInstrument = false;
    options.fProgressFrames = 0;
    CFramesLeftProgress framesLeft(progress, wave.GetFrameCount());
    WriteSoundFile(wave, options, kind == ESoundFileKind::kWave ? EPlainSoundFile::kWave : EPlainSoundFile::kAiff,
                   file, framesLeft);
}

// ------------------------------------------------------------------ rendered

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

} // namespace NSZubrikCli
