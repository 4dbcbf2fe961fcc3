// The loop file's checksum of its sound: the MD5 itself against RFC 1321's
// test suite, the digest against md5sum of sox's raw reading of the same
// samples in a WAVE file, and files whose sound or checksum chunk is damaged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "TestSupport.h"
#include "app/ZubrikErrors.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/SoundChecksum.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZubrikFile.h"
#include "tambor/MD5.h"
#include "platform/DiskKitUtils.h"
#include "platform/SoundKitGlue.h"
#include "tambor/Media.h"

using namespace NSZubrik;
using TBytes = std::vector<uint8_t>;

namespace {

std::string Hex(const NSTambor::CMD5::TDigest& digest)
{
    std::string text;
    for (uint8_t byte : digest) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += pair;
    }
    return text;
}

struct CLoop {
    std::unique_ptr<CABCWaveSample> wave;
    std::unique_ptr<CSliceSequence> slices;
    CZubrikFileSource source;

    CLoop(int32_t depth, bool stereo, int32_t frames)
    {
        wave = CreateWaveSample(44100, frames, stereo, depth);
        const int32_t amplitude = depth == 24 ? 8388607 : 32767;
        for (int32_t channel = 1; channel <= (stereo ? 2 : 1); ++channel)
            wave->SetInt24s(0, frames, NSTestSupport::Noise(size_t(frames), amplitude, uint32_t(channel)).data(),
                            channel);
        wave->SetLoop(CABCWaveSample::kLoopModeSet, 0, frames);
        slices = std::make_unique<CSliceSequence>(*wave);
        source.fWaveSample = wave.get();
        source.fSlices = slices.get();
        source.fParameters.fBars = 1;
    }

    TBytes Write() const
    {
        NSTambor::CMemoryMedia media(64);
        WriteZubrikFile(source, media, nullptr, false);
        return TBytes(media.GetBuffer(), media.GetBuffer() + media.GetSize());
    }
};

CZubrikFile Open(const TBytes& bytes)
{
    return CZubrikFile([bytes] {
        return std::unique_ptr<NSTambor::CMedia>(
            new NSTambor::COwnedMemoryMedia(static_cast<int32_t>(bytes.size()), bytes.data()));
    });
}

size_t ChecksumChunk(const TBytes& bytes)
{
    const char* id = "MD5 ";
    const auto at = std::search(bytes.begin(), bytes.end(), id, id + 4);
    EXPECT_NE(at, bytes.end());
    return static_cast<size_t>(at - bytes.begin());
}

} // namespace

TEST(SoundChecksum, MD5MatchesTheTestSuiteOfRFC1321)
{
    const std::pair<std::string, std::string> suite[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"}};
    for (const auto& [text, digest] : suite) {
        NSTambor::CMD5 whole;
        whole.Update(text.data(), text.size());
        EXPECT_EQ(Hex(whole.Finish()), digest) << text;
        // The same bytes in uneven pieces give the same digest.
        NSTambor::CMD5 pieces;
        for (size_t at = 0, step = 1; at < text.size(); at += step, step = step * 2 + 1)
            pieces.Update(text.data() + at, std::min(step, text.size() - at));
        EXPECT_EQ(Hex(pieces.Finish()), digest) << text;
    }
}

// The digest is that of the samples as little-endian whole numbers, frame
// by frame: what sox writes as raw signed audio of the same width.
TEST(SoundChecksum, EqualsMd5sumOfSoxRawSamples)
{
    if (std::system("command -v sox >/dev/null && command -v md5sum >/dev/null") != 0)
        GTEST_SKIP() << "sox or md5sum not installed (scripts/install-deps)";
    const std::filesystem::path folder = NSTestSupport::TemporaryFolder();
    for (int32_t depth : {16, 24}) {
        CLoop loop(depth, true, 5000);
        const std::filesystem::path loopFile = folder / ("loop" + std::to_string(depth) + ".zx2");
        WriteZubrikFile(loop.source, loopFile, nullptr, false);
        // The same samples as a WAVE file; sox decides the raw layout.
        const std::filesystem::path wave = folder / ("loop" + std::to_string(depth) + ".wav");
        {
            NSDiskKitUtils::CSafeFileWriter file(wave, 0);
            NSSoundKit::SProperties properties;
            properties.channels = 2;
            properties.bits = depth;
            properties.sampleRate = 44100;
            properties.frames = 5000;
            NSSoundKitGlue::CSoundEncoder encoder(NSRiffSoundGlue::GetKit(), file.GetMedia(), properties);
            std::vector<int32_t> frames;
            for (int32_t i = 0; i < 5000; ++i)
                for (int32_t channel = 1; channel <= 2; ++channel) frames.push_back(loop.wave->GetInt24(i, channel));
            encoder.WriteFrames(frames.data(), 5000);
            encoder.Finish();
            file.Commit();
        }
        const std::string command = "sox '" + wave.string() + "' -t raw -e signed -b " + std::to_string(depth) +
                                    " -L - | md5sum";
        std::FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        char text[64] = {};
        ASSERT_NE(std::fgets(text, sizeof text, pipe), nullptr);
        pclose(pipe);
        EXPECT_EQ(Hex(SoundChecksum(*loop.wave)), std::string(text, 32)) << depth;
        EXPECT_EQ(CZubrikFile(loopFile).VerifyChecksum(), EChecksumState::kMatches);
    }
}

TEST(SoundChecksum, DamagedSoundOrChecksumIsRefused)
{
    CLoop loop(24, false, 3000);
    const TBytes good = loop.Write();
    const size_t chunk = ChecksumChunk(good);
    // The checksum chunk follows the sample data and ends the file.
    EXPECT_EQ(chunk + 8 + 16, good.size());
    EXPECT_EQ(Open(good).ReadSample(nullptr)->GetFrameCount(), 3000);

    TBytes wrongDigest = good;
    wrongDigest[chunk + 8] ^= 0x01;
    EXPECT_THROW(Open(wrongDigest).ReadSample(nullptr), XZBX2ChecksumMismatch);
    EXPECT_EQ(Open(wrongDigest).VerifyChecksum(), EChecksumState::kDiffers);

    // A changed sample: the codec still decodes, the checksum tells.
    TBytes wrongSound = good;
    wrongSound[chunk - 40] ^= 0x10;
    try {
        Open(wrongSound).ReadSample(nullptr);
        ADD_FAILURE() << "a changed sound opened";
    } catch (const XZBX2BadFormat&) {
    } catch (const XBadFormat&) {
    }

    // A checksum chunk of the wrong size is damage; a file without one
    // (as every older writer made) opens as before.
    TBytes shortChunk(good.begin(), good.end() - 1);
    shortChunk[chunk + 7] = 15;
    const uint32_t catSize = uint32_t(shortChunk.size() - 8);
    for (int i = 0; i < 4; ++i) shortChunk[size_t(4 + i)] = uint8_t(catSize >> (24 - 8 * i));
    EXPECT_THROW(Open(shortChunk).ReadSample(nullptr), XZBX2BadFormat);

    TBytes without(good.begin(), good.begin() + std::ptrdiff_t(chunk));
    const uint32_t size = uint32_t(without.size() - 8);
    for (int i = 0; i < 4; ++i) without[size_t(4 + i)] = uint8_t(size >> (24 - 8 * i));
    EXPECT_EQ(Open(without).ReadSample(nullptr)->GetFrameCount(), 3000);
    EXPECT_EQ(Open(without).VerifyChecksum(), EChecksumState::kAbsent);
}
