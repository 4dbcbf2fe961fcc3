// Loop file: round trips, the layout on disk, and the checks on damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "app/ZubrikErrors.h"
#include "audiodata/DecompressCallback.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZBX2Chunks.h"
#include "audiodata/ZubrikFile.h"
#include "document/LengthyOperation.h"
#include "tambor/Media.h"

using namespace NSZubrik;
using TBytes = std::vector<uint8_t>;

namespace {

struct CLoop {
    std::unique_ptr<CABCWaveSample> wave;
    std::unique_ptr<CSliceSequence> slices;
    CZubrikFileSource source;
};

CLoop MakeLoop(int32_t depth, bool stereo, int32_t frames = 9000) {
    CLoop loop;
    loop.wave = CreateWaveSample(48000, frames, stereo, depth);
    const int32_t amplitude = depth == 24 ? 8388607 : 32767;
    for (int32_t channel = 1; channel <= (stereo ? 2 : 1); ++channel) {
        const auto noise = NSTestSupport::Noise(static_cast<size_t>(frames), amplitude,
                                                static_cast<uint32_t>(channel));
        loop.wave->SetInt24s(0, frames, noise.data(), channel);
    }
    loop.wave->SetLoop(CABCWaveSample::kLoopModeSet, 100, frames - 7);
    loop.wave->BuildPreview();
    loop.slices = std::make_unique<CSliceSequence>(*loop.wave);
    loop.slices->SetSensitivity(60);
    loop.slices->SetGateSensitivity(321);
    loop.slices->InsertSlice(CSlice(0, 30000));
    loop.slices->InsertSlice(CSlice(2000, 100, CSlice::kMuted, true));
    loop.slices->InsertSlice(CSlice(5000, 2000, CSlice::kLocked));
    loop.slices->InsertSlice(CSlice(7000, 25000, CSlice::kNormal, true));
    loop.slices->UpdateLengths();

    CZubrikFileSource& s = loop.source;
    s.fWaveSample = loop.wave.get();
    s.fSlices = loop.slices.get();
    CZubrikLoopParameters& p = s.fParameters;
    p.fBars = 2; p.fBeats = 3; p.fSignatureNumerator = 7; p.fSignatureDenominator = 8;
    p.fPreviewTempo = 98765; p.fSilenceSelected = true; p.fProcessingGain = 1234; p.fPitch = -1200;
    p.fPreviewOn = true;
    p.fEnvelopeOn = true; p.fEnvelopeAttack = 111; p.fEnvelopeDecay = 600; p.fEnvelopeStretch = 42;
    p.fEqualizerOn = true; p.fEqualizerLowCut = 30; p.fEqualizerLowFrequency = 250;
    p.fEqualizerLowGain = -3000; p.fEqualizerLowQ = 700; p.fEqualizerHighFrequency = 5000;
    p.fEqualizerHighGain = 4500; p.fEqualizerHighQ = 900; p.fEqualizerHighCut = 15000;
    p.fShaperOn = true; p.fShaperThreshold = 100; p.fShaperRatio = 50; p.fShaperAttack = 300;
    p.fShaperRelease = 400;
    CZubrikViewAttributes& v = s.fViewAttributes;
    v.fExportAsOneSample = false; v.fGridShown = true; v.fTool = 687; v.fShowEnvelope = false;
    v.fShowEqualizer = true; v.fShowTransientShaper = false; v.fWindowWidth = 1024;
    v.fWindowHeight = 700; v.fWindowMaximised = true;
    s.fExportSize = 4321;
    return loop;
}

TBytes Write(const CZubrikFileSource& source, ILengthyProgress* progress = nullptr) {
    NSTambor::CMemoryMedia media(64);
    WriteZubrikFile(source, media, progress, true);
    return TBytes(media.GetBuffer(), media.GetBuffer() + media.GetSize());
}

CZubrikFile Open(const TBytes& bytes) {
    return CZubrikFile([bytes] {
        return std::unique_ptr<NSTambor::CMedia>(
            new NSTambor::COwnedMemoryMedia(static_cast<int32_t>(bytes.size()), bytes.data()));
    });
}

// Offset of the data of the first chunk with this identifier.
size_t DataOf(const TBytes& bytes, const char* id) {
    const auto at = std::search(bytes.begin(), bytes.end(), id, id + 4);
    EXPECT_NE(at, bytes.end()) << id;
    return static_cast<size_t>(at - bytes.begin()) + 8;
}

void Put16(TBytes& b, size_t at, uint16_t v) { b[at] = uint8_t(v >> 8); b[at + 1] = uint8_t(v); }
void Put32(TBytes& b, size_t at, uint32_t v) {
    Put16(b, at, uint16_t(v >> 16));
    Put16(b, at + 2, uint16_t(v));
}

// Reads every part, as opening a document does.
void ReadAll(const TBytes& bytes) {
    CZubrikFile file = Open(bytes);
    auto wave = file.ReadSample(nullptr);
    CSliceSequence slices(*wave);
    file.ReadSlices(slices);
    CZubrikLoopParameters p;
    file.ReadParameters(p, 44100);
    CZubrikViewAttributes v;
    file.ReadViewAttributes(v);
    file.ReadCreatorInfo();
}

auto Fields(const CZubrikLoopParameters& p) {
    return std::tie(p.fBars, p.fBeats, p.fSignatureNumerator, p.fSignatureDenominator, p.fPreviewTempo,
                    p.fSilenceSelected, p.fProcessingGain, p.fPitch, p.fPreviewOn, p.fEnvelopeOn,
                    p.fEnvelopeAttack, p.fEnvelopeDecay, p.fEnvelopeStretch, p.fEqualizerOn,
                    p.fEqualizerLowCut, p.fEqualizerLowFrequency, p.fEqualizerLowGain, p.fEqualizerLowQ,
                    p.fEqualizerHighFrequency, p.fEqualizerHighGain, p.fEqualizerHighQ, p.fEqualizerHighCut,
                    p.fShaperOn, p.fShaperThreshold, p.fShaperRatio, p.fShaperAttack, p.fShaperRelease);
}

auto Fields(const CZubrikViewAttributes& v) {
    return std::tie(v.fExportAsOneSample, v.fGridShown, v.fTool, v.fShowEnvelope, v.fShowEqualizer,
                    v.fShowTransientShaper, v.fWindowWidth, v.fWindowHeight, v.fWindowMaximised);
}

struct CTestProgress : ILengthyProgress {
    std::u16string text;
    std::vector<int32_t> counts, percents;
    int32_t stopAfter = -1;
    void SetText(const std::u16string& t) override { text = t; }
    void SetCount(int32_t c) override { counts.push_back(c); }
    void SetPercent(int32_t p) override { percents.push_back(p); }
    bool StopRequested() const override {
        return stopAfter >= 0 && static_cast<int32_t>(counts.size()) > stopAfter;
    }
};

} // namespace

TEST(ZubrikFile, WriteThenReadGivesBackEveryPart) {
    for (int32_t depth : {16, 24}) {
        for (bool stereo : {false, true}) {
            CLoop loop = MakeLoop(depth, stereo);
            CZubrikFile file = Open(Write(loop.source));
            EXPECT_EQ(file.GetKind(), u".zx2");

            const CZubrikFileInfo& info = file.GetFileInfo();
            EXPECT_EQ(std::tuple(info.fChannels, info.fBitDepth, info.fSampleRate, info.fFrameCount,
                                 info.fSliceCount, info.fExportSize),
                      std::tuple(stereo ? 2 : 1, depth, 48000, 9000, 4, 4321));
            EXPECT_EQ(info.fActiveSliceCount, loop.slices->CountActiveSlices());
            EXPECT_EQ(info.fLoopUsage, 99); // 8893 of 9000 frames, rounded up
            EXPECT_GT(info.fCompressionRatio, 0.9);

            auto wave = file.ReadSample(nullptr);
            ASSERT_EQ(wave->GetBitDepth(), depth);
            EXPECT_EQ(wave->IsStereo(), stereo);
            EXPECT_EQ(wave->GetLoopStart(), 100);
            EXPECT_EQ(wave->GetLoopEnd(), 8993);
            for (int32_t channel = 1; channel <= (stereo ? 2 : 1); ++channel) {
                std::vector<int32_t> want(9000), got(9000);
                loop.wave->GetInt24s(0, 9000, want.data(), channel);
                wave->GetInt24s(0, 9000, got.data(), channel);
                EXPECT_EQ(got, want);
            }

            CSliceSequence slices(*wave);
            file.ReadSlices(slices);
            EXPECT_EQ(slices.GetSensitivity(), 60);
            EXPECT_EQ(slices.GetGateSensitivity(), 321);
            ASSERT_EQ(slices.GetCount(), 4);
            for (int32_t i = 0; i < 4; ++i) {
                const CSlice& a = loop.slices->GetSlice(i);
                const CSlice& b = slices.GetSlice(i);
                EXPECT_EQ(std::tuple(b.GetPosition(), b.GetStrength(), b.GetState(), b.IsSelected(), b.GetLength()),
                          std::tuple(a.GetPosition(), a.GetStrength(), a.GetState(), a.IsSelected(), a.GetLength()));
            }

            CZubrikLoopParameters p;
            file.ReadParameters(p, 44100);
            EXPECT_EQ(p.fFileVersion, depth == 24 ? NSTambor::CVersion(3, 0, 0) : NSTambor::CVersion(2, 0, 0));
            EXPECT_EQ(Fields(p), Fields(loop.source.fParameters));
            CZubrikViewAttributes v;
            file.ReadViewAttributes(v);
            EXPECT_EQ(Fields(v), Fields(loop.source.fViewAttributes));
            EXPECT_EQ(file.ReadCreatorInfo(), GetOwnCreatorInfo());
        }
    }
}

TEST(ZubrikFile, VersionChecks) {
    const TBytes good = Write(MakeLoop(16, false).source);
    const size_t head = DataOf(good, "HEAD") + 5; // major of the file version
    auto withHead = [&](uint8_t major, uint8_t minor) {
        TBytes b = good;
        b[head] = major;
        b[head + 1] = minor;
        return b;
    };
    EXPECT_NO_THROW(ReadAll(withHead(3, 7)));
    EXPECT_THROW(Open(withHead(4, 0)), XZBX2FileTooNew);
    EXPECT_THROW(Open(withHead(0, 9)), XZBX2FileTooNew);

    TBytes reserved = good;
    reserved[DataOf(good, "HEAD") + 20] = 1;
    EXPECT_THROW(Open(reserved), XZBX2BadFormat);
    TBytes marker = good;
    marker[DataOf(good, "HEAD") + 4] = 0;
    EXPECT_THROW(Open(marker), XBadFormat);

    const size_t zbrk = DataOf(good, "ZBRK");
    TBytes info = good;
    info[zbrk + 1] = 1; info[zbrk + 2] = 5;
    EXPECT_THROW(Open(info), XZBX2BadFormat);
    info[zbrk] = 0xBC; info[zbrk + 1] = 0; info[zbrk + 2] = 0;
    EXPECT_NO_THROW(ReadAll(info));

    TBytes extra = good;
    extra[DataOf(good, "ZBKX") + 1] = 2;
    CZubrikViewAttributes v;
    EXPECT_THROW(Open(extra).ReadViewAttributes(v), XZBX2FileTooNew);
}

TEST(ZubrikFile, FieldChecksRejectDamage) {
    const TBytes good = Write(MakeLoop(16, true).source);
    const size_t glob = DataOf(good, "GLOB"), sinf = DataOf(good, "SINF");
    const size_t slce = DataOf(good, "SLCE"), trsh = DataOf(good, "TRSH");
    auto patched = [&](auto&& change) {
        TBytes b = good;
        change(b);
        return b;
    };
    const std::vector<TBytes> bad = {
        patched([&](TBytes& b) { Put16(b, glob + 4, 0); b[glob + 6] = 0; }), // no loop length
        patched([&](TBytes& b) { Put16(b, glob + 4, 1000); }),               // bars
        patched([&](TBytes& b) { Put32(b, glob + 16, 19999); }),             // tempo
        patched([&](TBytes& b) { Put32(b, sinf + 6, 0); }),                  // no frames
        patched([&](TBytes& b) { b[sinf + 1] = 1; }),                        // 8 bits
        patched([&](TBytes& b) { b[trsh + 5] = 0x04; }),                     // stretch
        patched([&](TBytes& b) { b[DataOf(good, "COMP") + 2] = 128; }),      // threshold
        patched([&](TBytes& b) { b[slce + 10] = 0x03; }),                    // muted and locked
    };
    for (size_t i = 0; i < bad.size(); ++i)
        EXPECT_THROW(ReadAll(bad[i]), XZBX2BadFormat) << "case " << i;
    NSTambor::CMemoryMedia creator(300);
    NSTambor::WriteString(creator, std::string(256, 'x'));
    for (int i = 0; i < 4; ++i) NSTambor::WriteString(creator, "");
    creator.SetPosition(0);
    EXPECT_THROW(CZBX2CreatorInfoChunk{creator}, XZBX2BadFormat);

    // Missing chunks, damaged sizes and short audio are general format errors.
    EXPECT_THROW(ReadAll(patched([&](TBytes& b) { b[sinf - 5] = 'X'; })), XBadFormat);
    EXPECT_THROW(ReadAll(patched([&](TBytes& b) { b[slce - 8] = ' '; })), XBadFormat);
    const size_t sdat = DataOf(good, "SDAT");
    TBytes shortData = patched([&](TBytes& b) { Put32(b, sdat - 4, 4000); });
    EXPECT_THROW(Open(shortData).ReadSample(nullptr), XBadFormat);
    TBytes cut(good.begin(), good.begin() + long(sdat) + 100);
    EXPECT_THROW(Open(cut), XBadFormat);

    // A bit flipped inside the coded audio: a stream that no longer ends
    // where its data ends is a format error, and the sound's checksum
    // catches the flips that keep the stream's length.
    const size_t sdatSize = size_t(good[sdat - 4]) << 24 | size_t(good[sdat - 3]) << 16 |
                            size_t(good[sdat - 2]) << 8 | good[sdat - 1];
    int refused = 0;
    for (size_t k = 1; k <= 16; ++k) {
        const TBytes flipped = patched([&](TBytes& b) { b[sdat + sdatSize * k / 20] ^= uint8_t(1u << (k % 8)); });
        try {
            Open(flipped).ReadSample(nullptr);
        } catch (const XBadFormat&) {
            ++refused;
        } catch (const XZBX2BadFormat&) {
            ++refused;
        }
    }
    EXPECT_EQ(refused, 16);
}

TEST(ZubrikFile, ProgressAndStopWhileReadingAndWriting) {
    CLoop loop = MakeLoop(24, true, 9000);
    CTestProgress writing;
    const TBytes bytes = Write(loop.source, &writing);
    EXPECT_EQ(writing.text, u"Frames left to save:");
    EXPECT_EQ(writing.counts, (std::vector<int32_t>{9000, 8000, 7000, 6000, 5000, 4000, 3000, 2000, 1000, 0}));
    EXPECT_EQ(writing.percents.back(), 100);
    EXPECT_EQ(writing.percents[1], 11);

    struct CRecorder : CZBX2DecompressCallback {
        std::vector<int32_t> done;
        bool Progress(int32_t framesDone) override {
            done.push_back(framesDone);
            return framesDone >= 8192;
        }
    } recorder;
    EXPECT_THROW(Open(bytes).ReadSample(&recorder), XZBX2UserAborted);
    EXPECT_EQ(recorder.done, (std::vector<int32_t>{0, 4096, 8192}));
}

TEST(ZubrikFile, FailedOrStoppedSaveKeepsTheOldFile) {
    const std::filesystem::path folder = NSTestSupport::TemporaryFolder();
    const std::filesystem::path path = folder / "loop.zx2";
    CLoop loop = MakeLoop(16, true);
    WriteZubrikFile(loop.source, path, nullptr, false);
    std::ifstream in(path, std::ios::binary);
    const TBytes before((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(before, Write(loop.source));

    CLoop other = MakeLoop(24, false);
    CTestProgress stopping;
    stopping.stopAfter = 2;
    EXPECT_THROW(WriteZubrikFile(other.source, path, &stopping, true), XZBX2UserAborted);
    std::ifstream again(path, std::ios::binary);
    EXPECT_EQ(TBytes((std::istreambuf_iterator<char>(again)), {}), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);

    WriteZubrikFile(other.source, path, nullptr, false);
    EXPECT_EQ(CZubrikFile(path).GetFileInfo().fBitDepth, 24);
}
