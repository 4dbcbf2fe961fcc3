// Compressed and floating-point sounds in: files that libsndfile writes
// (FLAC, Ogg Vorbis, Opus, MP3, float WAVE and AIFF) open with the frames
// libsndfile itself decodes; damaged ones fail cleanly; the notes tell.
#include <sndfile.h>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/ResourceIds.h"
#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"
#include "document/DocumentTestSupport.h"
#include "io/SoundFileReader.h"
#include "support/TestSupport.h"

using namespace NSZubrik;
namespace fs = std::filesystem;

namespace {

// Drum-like bursts: decaying tones every quarter second.
std::vector<float> Bursts(int32_t frames, int channels, float peak)
{
    std::vector<float> samples(size_t(frames) * size_t(channels));
    for (int32_t i = 0; i < frames; ++i) {
        const int32_t t = i % 11025;
        const float value = peak * std::exp(-t / 1500.0f) * std::sin(float(i) * 0.07f);
        for (int c = 0; c < channels; ++c) samples[size_t(i * channels + c)] = c == 0 ? value : -value;
    }
    return samples;
}

fs::path WriteSound(const fs::path& path, int format, int rate, int channels, const std::vector<float>& samples)
{
    SF_INFO info {};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* sound = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(sound, nullptr) << path << ": " << sf_strerror(nullptr);
    if (sound) {
        // Floats beyond full scale stay as they are in float files.
        sf_command(sound, SFC_SET_CLIPPING, nullptr, SF_FALSE);
        sf_writef_float(sound, samples.data(), sf_count_t(samples.size() / size_t(channels)));
        sf_close(sound);
    }
    return path;
}

// libsndfile's own decoding of a file, on the 24-bit scale.
std::vector<int32_t> Decoded(const fs::path& path, int64_t& frames)
{
    SF_INFO info {};
    SNDFILE* sound = sf_open(path.c_str(), SFM_READ, &info);
    EXPECT_NE(sound, nullptr) << path;
    std::vector<float> floats(size_t(info.frames) * size_t(info.channels));
    frames = sf_readf_float(sound, floats.data(), info.frames);
    sf_close(sound);
    std::vector<int32_t> values;
    for (float value : floats)
        values.push_back(int32_t(std::lrint(std::clamp(value, -1.0f, 1.0f) * 8388608.0f)));
    return values;
}

std::vector<int32_t> Stored(const CABCWaveSample& wave)
{
    std::vector<int32_t> values;
    for (int32_t i = 0; i < wave.GetFrameCount(); ++i)
        for (int32_t channel = 1; channel <= (wave.IsStereo() ? 2 : 1); ++channel)
            values.push_back(wave.GetInt24(i, channel));
    return values;
}

struct SCoded {
    const char* file;
    int format;
    int rate;
    const char* name;
    int32_t depth;
};

const SCoded kCoded[] = {
    {"a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, "FLAC", 16},
    {"b.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 48000, "FLAC", 24},
    {"c.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, "Ogg Vorbis", 24},
    {"d.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, "Ogg Opus", 24},
    {"e.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, "MP3", 24},
};

} // namespace

TEST(OpenFormats, CompressedSoundsOpenAsLibsndfileDecodesThem)
{
    const fs::path folder = NSTestSupport::TemporaryFolder();
    for (const SCoded& coded : kCoded) {
        SCOPED_TRACE(coded.file);
        // Named .wav: the kind comes from the first bytes.
        const fs::path path = WriteSound(folder / (std::string(coded.file) + ".wav"), coded.format, coded.rate, 2,
                                         Bursts(30000, 2, 0.6f));
        CSoundFileReader reader(path.string());
        EXPECT_FALSE(reader.IsLoopFile());
        EXPECT_EQ(reader.GetSourceFormatName(), coded.name);
        EXPECT_TRUE(reader.IsConverted());
        int32_t alert = 0;
        EXPECT_TRUE(reader.CheckProperties(alert)) << alert;
        const std::unique_ptr<CABCWaveSample> wave = reader.Read(nullptr);
        EXPECT_EQ(wave->GetBitDepth(), coded.depth);
        EXPECT_TRUE(wave->IsStereo());
        EXPECT_EQ(wave->GetSampleRate(), coded.rate);
        int64_t frames = 0;
        const std::vector<int32_t> expected = Decoded(path, frames);
        ASSERT_EQ(wave->GetFrameCount(), frames);
        const std::vector<int32_t> values = Stored(*wave);
        // FLAC is exact; lossy codings decode through floats the same way,
        // at most one step of 16 bits apart where libsndfile's rounding
        // goes the other way.
        const int32_t tolerance = coded.depth == 16 ? 256 : 1;
        int32_t worst = 0;
        for (size_t i = 0; i < values.size(); ++i) worst = std::max(worst, std::abs(values[i] - expected[i]));
        EXPECT_LE(worst, tolerance);
    }
}

TEST(OpenFormats, FloatSoundsOpenAs24BitWithTheOverloadsClipped)
{
    const fs::path folder = NSTestSupport::TemporaryFolder();
    std::vector<float> samples = Bursts(5000, 1, 0.5f);
    samples[10] = 1.5f;
    samples[20] = -3.0f;
    samples[30] = 0.25f;
    for (int format : {SF_FORMAT_WAV | SF_FORMAT_FLOAT, SF_FORMAT_WAV | SF_FORMAT_DOUBLE,
                       SF_FORMAT_AIFF | SF_FORMAT_FLOAT}) {
        SCOPED_TRACE(format);
        const fs::path path = WriteSound(folder / "float.snd", format, 44100, 1, samples);
        CSoundFileReader reader(path.string());
        EXPECT_EQ(reader.GetInfo().bitsPerSample, 24);
        EXPECT_EQ(reader.GetSourceFormatName().find((format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV ? "WAVE" : "AIFF"),
                  0u);
        int32_t alert = 0;
        EXPECT_TRUE(reader.CheckProperties(alert));
        const std::unique_ptr<CABCWaveSample> wave = reader.Read(nullptr);
        EXPECT_EQ(wave->GetBitDepth(), 24);
        EXPECT_EQ(reader.GetClippedCount(), 2u);
        EXPECT_EQ(wave->GetInt24(10, 1), 8388607);
        EXPECT_EQ(wave->GetInt24(20, 1), -8388608);
        EXPECT_EQ(wave->GetInt24(30, 1), 2097152);
    }

    // Opening tells what was converted and how much was clipped.
    NSDocumentTest::CRecordingPresenter presenter;
    IAlertPresenter* previous = SetAlertPresenter(&presenter);
    const fs::path path = WriteSound(folder / "loud.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 1, samples);
    LoadSoundFile(path);
    SetAlertPresenter(previous);
    ASSERT_EQ(presenter.messages.size(), 2u);
    EXPECT_NE(presenter.messages[0].find("converted from WAVE (32-bit float) to a 24-bit sound"), std::string::npos);
    EXPECT_NE(presenter.messages[1].find("2 sample values"), std::string::npos);
}

TEST(OpenFormats, DamagedCompressedFilesFailWithAnErrorNotACrash)
{
    const fs::path folder = NSTestSupport::TemporaryFolder();
    for (const SCoded& coded : kCoded) {
        const fs::path path = WriteSound(folder / coded.file, coded.format, coded.rate, 1, Bursts(20000, 1, 0.5f));
        std::ifstream in(path, std::ios::binary);
        const std::vector<char> good {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::vector<std::vector<char>> damaged = {
            std::vector<char>(good.begin(), good.begin() + std::ptrdiff_t(good.size() / 2)),
            std::vector<char>(good.begin(), good.begin() + 40), good};
        for (size_t i = 100; i < damaged[2].size(); i += 97) damaged[2][i] = char(i * 31);
        for (size_t k = 0; k < damaged.size(); ++k) {
            SCOPED_TRACE(std::string(coded.file) + " damage " + std::to_string(k));
            const fs::path bad = folder / ("bad" + std::to_string(k) + coded.file);
            std::ofstream(bad, std::ios::binary).write(damaged[k].data(), std::streamsize(damaged[k].size()));
            try {
                // A decoder may find sound in part of the file; what it
                // gives must be a whole, checked sound.
                CSoundFileReader reader(bad.string());
                int32_t alert = 0;
                if (reader.CheckProperties(alert)) {
                    EXPECT_GT(reader.Read(nullptr)->GetFrameCount(), 0);
                }
            } catch (const std::exception&) {
            }
        }
    }
}
