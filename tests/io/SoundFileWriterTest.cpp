#include "io/SoundFileWriter.h"

#include "SamplerExportFixture.h"
#include "TestSupport.h"
#include "audiodata/WaveSample.h"
#include "io/SoundFileReader.h"

#include <gtest/gtest.h>

using namespace NSZubrik;

// Every pairing of stored and written depth, in both file types, read back
// by the sound-file reader: equal depths come back exactly, 16 bits widen
// exactly, 24 bits narrow to the nearest 16-bit step; the loop comes back as
// the locators.
TEST(SoundFileWriter, DepthsAndLoopSurviveTheRoundTrip)
{
    const std::filesystem::path folder = NSTestSupport::TemporaryFolder();
    const int32_t frames = 5000;
    for (int32_t stored : {16, 24}) {
        std::unique_ptr<CABCWaveSample> wave = CreateWaveSample(44100, frames, false, stored);
        std::vector<int32_t> values(frames);
        for (int32_t i = 0; i < frames; ++i)
            values[size_t(i)] = ((i * 7919) % 65535 - 32767) * (stored == 24 ? 256 : 1) + (stored == 24 ? i % 256 : 0);
        wave->SetInt24s(0, frames, values.data(), 1);
        wave->GetInt24s(0, frames, values.data(), 1);
        for (int32_t written : {16, 24})
            for (EPlainSoundFile type : {EPlainSoundFile::kWave, EPlainSoundFile::kAiff}) {
                SPieceWriteOptions options;
                options.fBitDepth = written;
                options.fLoopStart = 100;
                options.fLoopEnd = 4000;
                options.fInstrument = false;
                options.fProgressFrames = written == 16 ? 0 : 1024;
                const std::filesystem::path file =
                    folder / (std::to_string(stored) + "-" + std::to_string(written) +
                              (type == EPlainSoundFile::kWave ? ".wav" : ".aif"));
                NSSamplerExportTest::CProgress progress;
                WriteSoundFile(*wave, options, type, file, progress);
                std::unique_ptr<CABCWaveSample> back = LoadSoundFile(file);
                ASSERT_EQ(back->GetFrameCount(), frames) << file;
                EXPECT_EQ(back->GetBitDepth(), written) << file;
                EXPECT_EQ(back->GetLoopStart(), 100) << file;
                EXPECT_EQ(back->GetLoopEnd(), 4000) << file;
                std::vector<int32_t> read(frames);
                back->GetInt24s(0, frames, read.data(), 1);
                for (int32_t i = 0; i < frames; ++i) {
                    const int32_t expected = values[size_t(i)];
                    if (written == 24 || stored == 16)
                        ASSERT_EQ(read[size_t(i)], expected) << file << " frame " << i;
                    else
                        ASSERT_NEAR(read[size_t(i)], expected, 256) << file << " frame " << i;
                }
            }
    }
}
