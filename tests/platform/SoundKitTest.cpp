#include "platform/SoundKitGlue.h"
#include "platform/DiskKitUtils.h"

#include "app/ZubrikErrors.h"
#include "platform/SoundFileBytes.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

using namespace NSSoundKit;
using namespace NSSoundKitGlue;
using NSSoundFileBytes::Samples;
using NSSoundFileBytes::TBytes;

namespace {

ISoundKit& Kit(bool riff)
{
    if (riff) return NSRiffSoundGlue::GetKit();
    return NSFormSoundGlue::GetKit();
}

SProperties Plain(uint16_t channels, int32_t bits, uint32_t rate, uint32_t frames)
{
    SProperties properties;
    properties.channels = channels;
    properties.bits = bits;
    properties.sampleRate = rate;
    properties.frames = frames;
    return properties;
}

void Encode(bool riff, NSTambor::CMedia& media, const SProperties& properties,
            const std::vector<float>& samples)
{
    CSoundEncoder encoder(Kit(riff), media, properties);
    encoder.WriteFrames(samples.data(), properties.frames);
    encoder.Finish();
}

NSTambor::COwnedMemoryMedia MediaOf(const TBytes& bytes)
{
    return NSTambor::COwnedMemoryMedia(int32_t(bytes.size()), bytes.data());
}

} // namespace

TEST(SoundKit, PcmRoundTripsExactly)
{
    for (bool riff : {true, false})
        for (int32_t bits : {8, 16, 24})
            for (uint16_t channels : {1, 2}) {
                SCOPED_TRACE(testing::Message() << (riff ? "WAVE " : "AIFF ") << bits << "-bit "
                                                << channels << " channels");
                const uint32_t frames = 5000;  // more than one libsndfile buffer
                auto samples = Samples(frames * channels, bits, uint32_t(bits + channels));
                NSTambor::COwnedMemoryMedia media(0);
                Encode(riff, media, Plain(channels, bits, 44100, frames), samples);

                CSoundDecoder decoder(Kit(riff), media);
                const SProperties& read = decoder.GetProperties();
                EXPECT_EQ(read.channels, channels);
                EXPECT_EQ(read.bits, bits);
                EXPECT_EQ(read.sampleRate, 44100u);
                EXPECT_EQ(read.frames, frames);
                EXPECT_EQ(read.loopKind, kLoopNone);
                std::vector<float> back(samples.size());
                decoder.ReadFrames(0, back.data(), 3000);
                decoder.ReadFrames(3000, back.data() + 3000 * channels, frames - 3000);
                EXPECT_EQ(back, samples);
                std::vector<float> again(channels);
                decoder.ReadFrames(17, again.data(), 1);  // a jump back
                EXPECT_EQ(again[0], samples[17 * channels]);
                EXPECT_THROW(decoder.ReadFrames(frames - 1, back.data(), 2), NSZubrik::XRead);
            }
}

// The 16-bit frames pass as they are for 16-bit sounds, at the top of the
// value for 8-bit ones, and agree with the float view either way; a 24-bit
// sound written from them holds them shifted up by 8 bits.
TEST(SoundKit, SixteenBitFramesRoundTrip)
{
    for (bool riff : {true, false})
        for (int32_t bits : {8, 16, 24})
            for (uint16_t channels : {1, 2}) {
                SCOPED_TRACE(testing::Message() << (riff ? "WAVE " : "AIFF ") << bits << "-bit "
                                                << channels << " channels");
                const uint32_t frames = 5000;
                const auto samples = Samples(frames * channels, std::min(bits, 16), 7);
                std::vector<int16_t> values(samples.size());
                for (size_t i = 0; i < values.size(); ++i)
                    values[i] = int16_t(samples[i] / 256.0f);
                NSTambor::COwnedMemoryMedia media(0);
                CSoundEncoder encoder(Kit(riff), media, Plain(channels, bits, 44100, frames));
                encoder.WriteFrames(values.data(), 1234);
                encoder.WriteFrames(values.data() + 1234 * channels, frames - 1234);
                encoder.Finish();

                CSoundDecoder decoder(Kit(riff), media);
                std::vector<float> floats(values.size());
                decoder.ReadFrames(0, floats.data(), frames);
                std::vector<int16_t> back(values.size());
                decoder.ReadFrames(0, back.data(), frames);  // a jump back to the start
                EXPECT_EQ(back, values);
                for (size_t i = 0; i < values.size(); ++i)
                    ASSERT_EQ(floats[i], values[i] * 256.0f) << i;
                EXPECT_THROW(decoder.ReadFrames(frames - 1, back.data(), 2), NSZubrik::XRead);
            }
}

TEST(SoundKit, LoopAndInstrumentRoundTrip)
{
    for (bool riff : {true, false}) {
        SCOPED_TRACE(riff ? "WAVE" : "AIFF");
        SProperties properties = Plain(1, 16, 22050, 8000);
        properties.loopKind = kLoopSustain;
        properties.loopPlay = kLoopPlayForward;
        properties.loopStart = 1000;
        properties.loopEnd = 5000;
        properties.hasInstrument = 1;
        properties.rootKey = 48;
        properties.keyVelocity[0] = 36;
        properties.keyVelocity[1] = 10;
        properties.keyVelocity[2] = 100;
        NSTambor::COwnedMemoryMedia media(0);
        Encode(riff, media, properties, Samples(8000, 16, 3));

        CSoundDecoder decoder(Kit(riff), media);
        const SProperties& read = decoder.GetProperties();
        EXPECT_EQ(read.loopKind, kLoopSustain);
        EXPECT_EQ(read.loopPlay, kLoopPlayForward);
        EXPECT_EQ(read.loopStart, 1000);
        EXPECT_EQ(read.loopEnd, 5000);
        EXPECT_EQ(read.hasInstrument, 1);
        EXPECT_EQ(read.rootKey, 48);
        if (!riff) {  // the WAVE sampler chunk has no key or velocity range
            EXPECT_EQ(read.keyVelocity[0], 36);
            EXPECT_EQ(read.keyVelocity[1], 10);
            EXPECT_EQ(read.keyVelocity[2], 100);
        }
    }
    // An AIFF release loop that plays back and forth keeps its kind and mode.
    SProperties release = Plain(2, 24, 48000, 300);
    release.loopKind = kLoopRelease;
    release.loopPlay = kLoopPlayAlternating;
    release.loopStart = 10;
    release.loopEnd = 299;
    NSTambor::COwnedMemoryMedia media(0);
    Encode(false, media, release, Samples(600, 24, 4));
    const SProperties read = CSoundDecoder(NSFormSoundGlue::GetKit(), media).GetProperties();
    EXPECT_EQ(read.loopKind, kLoopRelease);
    EXPECT_EQ(read.loopPlay, kLoopPlayAlternating);
    EXPECT_EQ(read.loopEnd, 299);
}

TEST(SoundKit, DepthsAreReportedAsDeclared)
{
    // 20 bits in three bytes: libsndfile reads it as 24, the header says 20.
    auto twenty = MediaOf(NSSoundFileBytes::Wave(1, 1, 44100, 20, 3, NSSoundFileBytes::Ramp(100, 3, 4)));
    CSoundDecoder decoder(NSRiffSoundGlue::GetKit(), twenty);
    EXPECT_EQ(decoder.GetProperties().bits, 20);
    float first[2] = {};
    decoder.ReadFrames(0, first, 2);
    EXPECT_EQ(first[0], 16.0f);
    EXPECT_EQ(first[1], 32.0f);

    auto twentyAiff = MediaOf(NSSoundFileBytes::Aiff(1, 48000, 20, 10, TBytes(30, 0)));
    EXPECT_EQ(CSoundDecoder(NSFormSoundGlue::GetKit(), twentyAiff).GetProperties().bits, 20);

    auto floats = MediaOf(NSSoundFileBytes::Wave(3, 1, 44100, 32, 4, TBytes(400, 0)));
    EXPECT_EQ(CSoundDecoder(NSRiffSoundGlue::GetKit(), floats).GetProperties().bits, 32);

    auto thirtyTwo = MediaOf(NSSoundFileBytes::Wave(1, 2, 44100, 32, 4, TBytes(800, 0)));
    EXPECT_EQ(CSoundDecoder(NSRiffSoundGlue::GetKit(), thirtyTwo).GetProperties().bits, 32);

    auto muLaw = MediaOf(NSSoundFileBytes::Wave(7, 1, 8000, 8, 1, TBytes(100, 0)));
    EXPECT_EQ(CSoundDecoder(NSRiffSoundGlue::GetKit(), muLaw).GetProperties().bits, kBitsNotPCM);

    NSTambor::COwnedMemoryMedia media(0);
    EXPECT_THROW(CSoundEncoder(NSRiffSoundGlue::GetKit(), media, Plain(1, 20, 44100, 0)),
                 NSZubrik::XUnsupportedFormat);
}

TEST(SoundKit, BrokenBytesFailWithoutCrashing)
{
    TBytes good = NSSoundFileBytes::Wave(1, 1, 44100, 16, 2, NSSoundFileBytes::Ramp(50, 2, 4));
    for (size_t length : {size_t(0), size_t(4), size_t(12), size_t(20), size_t(40)}) {
        auto cut = MediaOf(TBytes(good.begin(), good.begin() + long(length)));
        EXPECT_ANY_THROW(CSoundDecoder(NSRiffSoundGlue::GetKit(), cut)) << length;
    }
    // Data cut short: the frames that are there remain readable.
    auto shortData = MediaOf(TBytes(good.begin(), good.end() - 10));
    CSoundDecoder decoder(NSRiffSoundGlue::GetKit(), shortData);
    EXPECT_EQ(decoder.GetProperties().frames, 45u);

    auto aiffAsWave = MediaOf(NSSoundFileBytes::Aiff(1, 44100, 16, 5, TBytes(10, 0)));
    EXPECT_THROW(CSoundDecoder(NSRiffSoundGlue::GetKit(), aiffAsWave), NSZubrik::XUnsupportedFormat);

    TBytes noChannels = NSSoundFileBytes::Wave(1, 0, 44100, 16, 2, TBytes(10, 0));
    auto zero = MediaOf(noChannels);
    EXPECT_ANY_THROW(CSoundDecoder(NSRiffSoundGlue::GetKit(), zero));
}

// Files our writer layer produces are read by sox with the same length,
// rate and depth.
TEST(SoundKit, SoxReadsWhatWeWrite)
{
    if (std::system("sox --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "sox not installed";
    std::string folder = NSTestSupport::TemporaryFolder();
    struct SCase { bool riff; int32_t bits; uint16_t channels; uint32_t rate; };
    for (SCase c : {SCase {true, 16, 2, 44100}, SCase {true, 24, 1, 96000}, SCase {false, 8, 1, 22050},
                    SCase {false, 24, 2, 48000}}) {
        std::string path = folder + "/out" + std::to_string(c.bits) + (c.riff ? ".wav" : ".aif");
        NSDiskKitUtils::CSafeFileWriter file(path, NSDiskKitUtils::MakeFourCC(c.riff ? "WAVE" : "AIFF"));
        Encode(c.riff, file.GetMedia(), Plain(c.channels, c.bits, c.rate, 1234),
               Samples(1234u * c.channels, c.bits, 9));
        file.Commit();

        std::string answer;
        for (const char* option : {"-r", "-c", "-s", "-b"}) {
            std::string command = std::string("sox --i ") + option + " '" + path + "' 2>&1";
            FILE* pipe = popen(command.c_str(), "r");
            ASSERT_NE(pipe, nullptr);
            char line[256];
            while (fgets(line, sizeof line, pipe)) answer += line;
            pclose(pipe);
        }
        EXPECT_EQ(answer, std::to_string(c.rate) + "\n" + std::to_string(c.channels) + "\n1234\n" +
                              std::to_string(c.bits) + "\n")
            << path;
    }
}
