#include "io/SoundFileReader.h"

#include "app/ResourceIds.h"
#include "app/ZubrikErrors.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/ZubrikFile.h"
#include "document/LengthyOperation.h"
#include "platform/SoundFileBytes.h"
#include "platform/SoundKitGlue.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

using namespace NSZubrik;
using NSSoundFileBytes::Samples;
using NSSoundFileBytes::TBytes;
namespace fs = std::filesystem;

namespace {

NSSoundKit::SProperties Sound(uint16_t channels, int32_t bits, uint32_t rate, uint32_t frames)
{
    NSSoundKit::SProperties properties;
    properties.channels = channels;
    properties.bits = bits;
    properties.sampleRate = rate;
    properties.frames = frames;
    return properties;
}

// Writes a sound file through the program's own writer layer.
std::string Write(const std::string& path, bool riff, const NSSoundKit::SProperties& properties,
                  const std::vector<float>& samples = {})
{
    NSDiskKitUtils::CSafeFileWriter file(path, 0);
    NSSoundKit::ISoundKit& kit = riff ? static_cast<NSSoundKit::ISoundKit&>(NSRiffSoundGlue::GetKit())
                                      : NSFormSoundGlue::GetKit();
    NSSoundKitGlue::CSoundEncoder encoder(kit, file.GetMedia(), properties);
    std::vector<float> silence;
    if (samples.empty()) silence.resize(size_t(properties.frames) * properties.channels);
    encoder.WriteFrames(samples.empty() ? silence.data() : samples.data(), properties.frames);
    encoder.Finish();
    file.Commit();
    return path;
}

std::string Put(const std::string& path, const TBytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                std::streamsize(bytes.size()));
    return path;
}

int32_t AlertFor(const std::string& path)
{
    int32_t alert = 0;
    return CSoundFileReader(path).CheckProperties(alert) ? 0 : alert;
}

struct CRecordingProgress : ILengthyProgress {
    void SetText(const std::u16string& text) override { fTexts.push_back(text); }
    void SetCount(int32_t count) override { fCounts.push_back(count); }
    void SetPercent(int32_t percent) override { fPercents.push_back(percent); }
    bool StopRequested() const override { return fCounts.size() > fStopAfter; }
    std::vector<std::u16string> fTexts;
    std::vector<int32_t> fCounts;
    std::vector<int32_t> fPercents;
    size_t fStopAfter = SIZE_MAX;
};

size_t OpenDescriptors() { return size_t(std::distance(fs::directory_iterator("/proc/self/fd"), {})); }

} // namespace

TEST(SoundFileReader, KindComesFromTheFirstBytes)
{
    std::string folder = NSTestSupport::TemporaryFolder();
    EXPECT_EQ(CSoundFileReader(Write(folder + "/Named.wav", false, Sound(1, 16, 44100, 100))).GetKind(),
              u".aif;.aiff");
    EXPECT_EQ(CSoundFileReader(Write(folder + "/x.aif", true, Sound(1, 16, 44100, 100))).GetKind(),
              u".wav;.wave");

    TBytes wave = NSSoundFileBytes::Wave(1, 1, 44100, 16, 2, TBytes(20, 0));
    EXPECT_THROW(CSoundFileReader(Put(folder + "/empty.wav", {})), XUnsupportedFormat);
    EXPECT_THROW(CSoundFileReader(Put(folder + "/eleven.wav", TBytes(wave.begin(), wave.begin() + 11))),
                 XUnsupportedFormat);
    TBytes other = wave;
    other[3] = 'X';  // "RIFX"
    EXPECT_THROW(CSoundFileReader(Put(folder + "/rifx.wav", other)), XUnsupportedFormat);
    EXPECT_THROW(CSoundFileReader(folder + "/missing.wav"), XNotFound);
}

TEST(SoundFileReader, ReadsEveryDepthAndLayoutExactly)
{
    std::string folder = NSTestSupport::TemporaryFolder();
    for (bool riff : {true, false})
        for (int32_t bits : {8, 16, 24})
            for (uint16_t channels : {1, 2}) {
                SCOPED_TRACE(testing::Message() << riff << " " << bits << " " << channels);
                const uint32_t frames = 4100;  // three blocks, the last one short
                auto samples = Samples(frames * channels, bits, uint32_t(bits * channels));
                std::string path = Write(folder + "/s" + std::to_string(bits) + "_" +
                                             std::to_string(channels) + (riff ? ".wav" : ".aif"),
                                         riff, Sound(channels, bits, 48000, frames), samples);
                CSoundFileReader reader(path);
                int32_t alert = 0;
                EXPECT_TRUE(reader.CheckProperties(alert));
                auto sample = reader.Read(nullptr);
                EXPECT_EQ(sample->GetBitDepth(), bits == 24 ? 24 : 16);
                EXPECT_EQ(sample->IsStereo(), channels == 2);
                EXPECT_EQ(sample->GetSampleRate(), 48000);
                ASSERT_EQ(sample->GetFrameCount(), int32_t(frames));
                EXPECT_EQ(sample->GetLoopStart(), 0);
                EXPECT_EQ(sample->GetLoopEnd(), int32_t(frames));
                std::vector<float> back(samples.size());
                if (channels == 2)
                    sample->GetFloat24Stereo(0, int32_t(frames), back.data());
                else
                    sample->GetFloat24s(0, int32_t(frames), back.data(), 1);
                EXPECT_EQ(back, samples);
            }
}

TEST(SoundFileReader, LimitsAtTheirBorders)
{
    std::string folder = NSTestSupport::TemporaryFolder();
    std::string fiveMinutes = Write(folder + "/five.wav", true, Sound(1, 8, 11025, 11025 * 300));
    EXPECT_EQ(AlertFor(fiveMinutes), 0);
    EXPECT_EQ(CSoundFileReader(fiveMinutes).Read(nullptr)->GetFrameCount(), 11025 * 300);
    EXPECT_EQ(AlertFor(Write(folder + "/long.aif", false, Sound(1, 8, 11025, 11025 * 300 + 1))),
              NSAlerts::kSoundTooLong);

    for (const auto& [rate, alert] : {std::pair<uint32_t, int32_t>{11025, 0}, {11024, NSAlerts::kUnsupportedSampleRate},
                                      {1000000, 0}, {1000001, NSAlerts::kUnsupportedSampleRate}})
        EXPECT_EQ(AlertFor(Write(folder + "/" + std::to_string(rate) + ".wav", true, Sound(1, 16, rate, 10))), alert);

    std::string three = Write(folder + "/three.wav", true, Sound(3, 16, 44100, 10));
    EXPECT_EQ(AlertFor(three), NSAlerts::kUnsupportedChannels);
    EXPECT_THROW(CSoundFileReader(three).Read(nullptr), XUnsupportedFormat);

    EXPECT_THROW(LoadSoundFile(three), XUnsupportedSoundFileProperties);
    try {
        LoadSoundFile(folder + "/11024.wav");
    } catch (const XUnsupportedSoundFileProperties& error) {
        EXPECT_EQ(error.GetAlert(), NSAlerts::kUnsupportedSampleRate);
    }
}

TEST(SoundFileReader, OddDepthsAndBrokenFiles)
{
    std::string folder = NSTestSupport::TemporaryFolder();
    // 20 bits pass reading but not the checks; 32-bit whole numbers fail
    // both (floats open as 24-bit sounds, tested with the open formats).
    std::string twenty = Put(folder + "/20.wav", NSSoundFileBytes::Wave(1, 1, 44100, 20, 3, NSSoundFileBytes::Ramp(3000, 3, 4)));
    EXPECT_EQ(AlertFor(twenty), NSAlerts::kUnsupportedBitDepth);
    auto sample = CSoundFileReader(twenty).Read(nullptr);
    EXPECT_EQ(sample->GetBitDepth(), 24);
    EXPECT_EQ(sample->GetInt24(2999, 1), 3000 << 4);

    std::string path = Put(folder + "/32.wav", NSSoundFileBytes::Wave(1, 1, 44100, 32, 4, TBytes(400, 0)));
    EXPECT_EQ(AlertFor(path), NSAlerts::kUnsupportedBitDepth);
    EXPECT_THROW(CSoundFileReader(path).Read(nullptr), XUnsupportedFormat);

    std::string zero = Write(folder + "/zero.aif", false, Sound(2, 16, 44100, 0));
    EXPECT_EQ(CSoundFileReader(zero).GetInfo().frameCount, 0u);
    EXPECT_THROW(CSoundFileReader(zero).Read(nullptr), XUnsupportedFormat);
    TBytes good = NSSoundFileBytes::Wave(1, 1, 44100, 16, 2, TBytes(200, 1));
    EXPECT_ANY_THROW(CSoundFileReader(Put(folder + "/head.wav", TBytes(good.begin(), good.begin() + 30))));
    TBytes corrupt = good;
    std::fill(corrupt.begin() + 12, corrupt.begin() + 36, 0xFF);
    EXPECT_ANY_THROW(CSoundFileReader(Put(folder + "/corrupt.wav", corrupt)));
    TBytes truncated(good.begin(), good.end() - 51);  // the last frame is cut in half
    EXPECT_EQ(CSoundFileReader(Put(folder + "/cut.wav", truncated)).Read(nullptr)->GetFrameCount(), 74);
}

TEST(SoundFileReader, ProgressAndCancel)
{
    std::string path = Write(NSTestSupport::TemporaryFolder() + "/p.wav", true, Sound(2, 16, 44100, 5000));
    CRecordingProgress progress;
    CSoundFileReader(path).Read(&progress);
    EXPECT_EQ(progress.fCounts, (std::vector<int32_t> {5000, 2952, 904, 0}));
    EXPECT_EQ(progress.fPercents, (std::vector<int32_t> {0, 40, 81, 100}));

    size_t before = OpenDescriptors();
    CRecordingProgress cancelling;
    cancelling.fStopAfter = 2;
    EXPECT_THROW(CSoundFileReader(path).Read(&cancelling), XUserInterrupted);
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(SoundFileReader, LoopFilesGoToTheLoopFileReader)
{
    auto sample = CreateWaveSample(44100, 3000, false, 16);
    auto samples = Samples(3000, 16, 5);
    sample->SetFloat24s(0, 3000, samples.data(), 1);
    sample->SetLoop(CABCWaveSample::kLoopModeSet, 100, 2000);
    CSliceSequence slices(*sample);
    CZubrikFileSource source;
    source.fWaveSample = sample.get();
    source.fSlices = &slices;
    source.fParameters.fBars = 1;
    std::string path = NSTestSupport::TemporaryFolder() + "/Loop.wav";
    {
        NSDiskKitUtils::CSafeFileWriter file(path, 0);
        WriteZubrikFile(source, file.GetMedia(), nullptr, false);
        file.Commit();
    }
    CSoundFileReader reader(path);
    EXPECT_TRUE(reader.IsLoopFile());
    EXPECT_EQ(reader.GetKind(), u".zx2");
    auto back = reader.Read(nullptr);
    EXPECT_EQ(back->GetLoopStart(), 100);
    EXPECT_EQ(back->GetLoopEnd(), 2000);
    std::vector<float> values(3000);
    back->GetFloat24s(0, 3000, values.data(), 1);
    EXPECT_EQ(values, samples);
    EXPECT_THROW(LoadSoundFile(path), XUnsupportedFormat);
}
