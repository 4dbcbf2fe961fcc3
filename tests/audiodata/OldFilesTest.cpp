// Old documents (".zbk") and old loop files (".zbx"), built here as AIFF.
#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "app/ZubrikErrors.h"
#include "audiodata/DecompressCallback.h"
#include "audiodata/OldZubrikFile.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZubrikFile.h"
#include "document/ZubrikDocument.h"
#include "tambor/IFFFileWriter.h"

using namespace NSZubrik;
using namespace NSTambor;
using TBytes = std::vector<uint8_t>;

namespace {

void Put(TBytes& b, size_t at, uint32_t value, int bytes) {
    if (b.size() < at + bytes) b.resize(at + bytes);
    for (int i = 0; i < bytes; ++i) b[at + i] = uint8_t(value >> (8 * (bytes - 1 - i)));
}

// An AIFF sound with an "APPL" chunk; every field can be spoiled.
struct COldFile {
    int16_t channels = 1, bits = 16;
    uint32_t rate = 44100;
    std::vector<int16_t> frames = std::vector<int16_t>(88200, 0);
    bool loop = true;
    uint32_t loopStart = 0, loopEnd = 88200;
    const char* signature = "ZbRk";
    TBytes block;

    TBytes Build() const {
        CMemoryMedia media(64);
        CIFFFileWriter w(media);
        w.BeginForm("AIFF");
        w.BeginChunk("COMM");
        CMedia& c = w.GetCurrentMedia();
        WriteU16BE(c, uint16_t(channels));
        WriteU32BE(c, uint32_t(frames.size()) / uint32_t(channels));
        WriteU16BE(c, uint16_t(bits));
        int shift = 31; // the rate as an 80-bit extended float
        while (!(rate >> shift)) --shift;
        WriteU16BE(c, uint16_t(16383 + shift));
        WriteU32BE(c, rate << (31 - shift));
        WriteU32BE(c, 0);
        w.End();
        if (loop) {
            w.BeginChunk("MARK");
            CMedia& m = w.GetCurrentMedia();
            WriteU16BE(m, 2);
            for (auto [id, at] : {std::pair(7, loopStart), std::pair(9, loopEnd)}) {
                WriteU16BE(m, uint16_t(id));
                WriteU32BE(m, at);
                WriteU16BE(m, 0); // an empty name and its pad byte
            }
            w.End();
            w.BeginChunk("INST");
            const uint8_t instrument[20] = {60, 0, 0, 127, 0, 127, 0, 0, 0, 1, 0, 7, 0, 9};
            WriteBytes(w.GetCurrentMedia(), 20, instrument);
            w.End();
        }
        w.BeginChunk("SSND");
        WriteU32BE(w.GetCurrentMedia(), 0);
        WriteU32BE(w.GetCurrentMedia(), 0);
        for (int16_t v : frames) WriteU16BE(w.GetCurrentMedia(), uint16_t(v));
        w.End();
        w.BeginChunk("APPL");
        WriteBytes(w.GetCurrentMedia(), 4, signature);
        WriteBytes(w.GetCurrentMedia(), int32_t(block.size()), block.data());
        w.End();
        w.End();
        return TBytes(media.GetBuffer(), media.GetBuffer() + media.GetSize());
    }
};

// A document block: 4/4, one bar at 120 BPM over two seconds of 44100 Hz.
TBytes DocumentBlock() {
    TBytes b(160, 0);
    Put(b, 0, 0xD1DADED0, 4);
    Put(b, 4, 0x0100, 2);
    b[6] = 4; b[7] = 4; b[8] = 1; // 4/4, one bar
    b[15] = 1;                    // export as one sample
    Put(b, 20, 500, 2);           // sensitivity 50
    return b;
}

void AddRecord(TBytes& b, uint8_t flags, uint32_t position, uint16_t strength) {
    const size_t at = 160 + 8 * size_t(b[158] * 256 + b[159]);
    Put(b, at, flags, 1);
    Put(b, at + 1, position, 4);
    Put(b, at + 5, 0, 1);
    Put(b, at + 6, strength, 2);
    Put(b, 158, (b[158] * 256 + b[159]) + 1, 2);
}

// A loop block in 4/4 with slices of (tick, start, length).
TBytes LoopBlock(uint32_t ticks, const std::vector<std::array<uint32_t, 3>>& slices) {
    TBytes b(1016 + 12 * slices.size(), 0);
    Put(b, 0, 0xD1D1D1DA, 4);
    Put(b, 4, 0x0100, 2);
    Put(b, 6, ticks, 4);
    Put(b, 10, uint32_t(slices.size()), 2);
    Put(b, 12, 100000, 4);
    for (size_t i = 0; i < slices.size(); ++i)
        for (size_t j = 0; j < 3; ++j) Put(b, 1016 + 12 * i + 4 * j, slices[i][j], 4);
    return b;
}

CZubrikFile Open(const TBytes& bytes) {
    return CZubrikFile([bytes] {
        return std::unique_ptr<CMedia>(new COwnedMemoryMedia(int32_t(bytes.size()), bytes.data()));
    });
}

CZubrikLoopParameters Parameters(const TBytes& bytes) {
    CZubrikLoopParameters p;
    Open(bytes).ReadParameters(p, 44100);
    return p;
}

std::filesystem::path Store(const TBytes& bytes, const char* name) {
    const auto path = std::filesystem::path(NSTestSupport::TemporaryFolder()) / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

} // namespace

TEST(OldFiles, DocumentTempoPitchEnvelopeAndInformation) {
    COldFile f;
    f.block = DocumentBlock();
    f.block[14] = 1;             // the "Normalize" option
    f.block[17] = 1;             // tempo stored:
    Put(f.block, 10, 240000, 4); // twice the original 120 BPM
    Put(f.block, 18, 7, 2);      // stretch index 7
    CZubrikFile file = Open(f.Build());
    EXPECT_EQ(file.GetKind(), u".zbk");
    EXPECT_TRUE(file.HasNormalizeOption());
    EXPECT_EQ(file.GetFileInfo().fPreviewTempo, 240000);

    CZubrikLoopParameters p = Parameters(f.Build());
    EXPECT_EQ(std::tuple(p.fPitch, p.fPreviewTempo, p.fPreviewOn, p.fEnvelopeOn, p.fEnvelopeAttack,
                         p.fEnvelopeDecay, p.fEnvelopeStretch),
              std::tuple(int16_t(1200), 240000, true, true, 0, 1023, 40));

    // Without a stored tempo the preview plays at the original tempo; a
    // stretch index past the 14-entry table takes the longest stretch.
    f.block[17] = 0;
    Put(f.block, 18, 200, 2);
    p = Parameters(f.Build());
    EXPECT_EQ(std::tuple(p.fPreviewTempo, p.fPitch, p.fEnvelopeStretch), std::tuple(120000, int16_t(0), 100));
}

TEST(OldFiles, DocumentSlicesAndTheirActiveCount) {
    COldFile f;
    f.loopStart = 0;
    f.loopEnd = 80000;
    f.block = DocumentBlock();
    AddRecord(f.block, 0x80, 0, 30000);     // normal, selected, strong
    AddRecord(f.block, 0x02, 100, 5);       // locked
    AddRecord(f.block, 0x01, 500, 30000);   // muted
    AddRecord(f.block, 0x00, 1000, 10);     // below the threshold of 50
    AddRecord(f.block, 0x05, 2000, 20000);  // unknown state: normal
    AddRecord(f.block, 0x02, 85000, 1);     // past the loop
    EXPECT_EQ(Open(f.Build()).GetFileInfo().fActiveSliceCount, 3);

    CZubrikFile file = Open(f.Build());
    auto wave = file.ReadSample(nullptr);
    EXPECT_EQ(wave->GetLoopEnd(), 80000);
    CSliceSequence slices(*wave);
    file.ReadSlices(slices);
    ASSERT_EQ(slices.GetCount(), 6);
    EXPECT_EQ(slices.GetSensitivity(), 50);
    EXPECT_TRUE(slices.GetSlice(0).IsSelected());
    EXPECT_TRUE(slices.GetSlice(1).IsLocked());
    EXPECT_TRUE(slices.GetSlice(2).IsMuted());
    EXPECT_TRUE(slices.GetSlice(4).IsNormal());
    EXPECT_EQ(slices.GetSlice(4).GetStrength(), 20000);
}

TEST(OldFiles, LoopFilePlacesSlicesOnTheTickGrid) {
    COldFile f;
    f.loop = false;
    f.signature = "ZBX ";
    f.frames.resize(3000);
    for (size_t i = 0; i < f.frames.size(); ++i) f.frames[i] = int16_t(i + 1);
    const uint32_t ticks = 3840 * 2 + 960 * 3;
    // The widest ratio is the last slice's: 1500 frames over 960 ticks.
    f.block = LoopBlock(ticks, {{0, 0, 1000}, {960, 1000, 500}, {ticks - 960, 1500, 1500}});
    CZubrikFile file = Open(f.Build());
    EXPECT_EQ(file.GetKind(), u".zbx");
    const CZubrikFileInfo& info = file.GetFileInfo();
    const int32_t frames = ticks * 1500 / 960; // 16500
    EXPECT_EQ(info.fFrameCount, frames);
    CZubrikLoopParameters p = Parameters(f.Build());
    EXPECT_EQ(std::tuple(p.fBars, p.fBeats, p.fSignatureNumerator, p.fPreviewTempo, p.fPreviewOn),
              std::tuple(2, 3, 4, 100000, true));

    auto wave = file.ReadSample(nullptr);
    // Each piece starts at its slice; the gap after the first is silent.
    const std::pair<int32_t, int16_t> expected[] = {{0, 1}, {1000, 0}, {1500, 1001}, {frames - 1500, 1501}};
    for (auto [position, value] : expected) {
        int16_t at = -1;
        wave->GetInt16s(position, 1, &at, 1);
        EXPECT_EQ(at, value) << position;
    }
    CSliceSequence slices(*wave);
    file.ReadSlices(slices);
    ASSERT_EQ(slices.GetCount(), 3);
    EXPECT_EQ(slices.GetSlice(2).GetPosition(), frames - 1500);
    EXPECT_TRUE(slices.GetSlice(2).IsLocked());
}

TEST(OldFiles, DamagedFilesFailWithTheirExceptions) {
    // Read as the kind that the file was meant to be.
    auto fails = [](const COldFile& f, bool isLoop, auto expected) {
        const TBytes bytes = f.Build();
        COwnedMemoryMedia media(int32_t(bytes.size()), bytes.data());
        try {
            CABCOldZubrikFile::Open(isLoop ? u".zbx" : u".zbk", media);
            ADD_FAILURE() << "no failure";
        } catch (const decltype(expected)&) {
        } catch (const std::exception& e) {
            ADD_FAILURE() << "other failure: " << typeid(e).name();
        }
    };
    COldFile d;
    d.block = DocumentBlock();
    COldFile l;
    l.loop = false;
    l.signature = "ZBX ";
    l.block = LoopBlock(3840, {{0, 0, 100}});
    for (COldFile* f : {&d, &l}) {
        const bool isLoop = f == &l;
        COldFile bad = *f;
        bad.channels = 2;
        fails(bad, isLoop, XZBX2BadFormat());
        bad = *f;
        bad.signature = "Zbrk";
        isLoop ? fails(bad, true, XZBX2BadFormat()) : fails(bad, false, XBadFormat());
        bad = *f;
        bad.block[0] ^= 1; // magic
        isLoop ? fails(bad, true, XZBX2BadFormat()) : fails(bad, false, XBadFormat());
        bad = *f;
        bad.block[5] = 1; // version 1.1
        isLoop ? fails(bad, true, XZBX2BadFormat()) : fails(bad, false, XUnsupportedFormat());
    }
    COldFile bad = d;
    bad.loopEnd = 0;
    fails(bad, false, XZBX2BadFormat());
    bad = d;
    Put(bad.block, 158, 1001, 2);
    bad.block.resize(8160);
    fails(bad, false, XBadFormat());
    bad = l;
    Put(bad.block, 10, 0, 2); // no slices
    fails(bad, true, XZBX2BadFormat());
    bad = l;
    Put(bad.block, 1016 + 8, 88201, 4); // a piece beyond the sound
    fails(bad, true, XZBX2BadFormat());
    // Through CZubrikFile: a wrong magic is no known kind at all.
    bad = l;
    bad.block[0] ^= 1;
    EXPECT_THROW(Open(bad.Build()), XZBX2UnsupportedFormat);

    struct CStop : CZBX2DecompressCallback {
        bool Progress(int32_t done) override { return done >= 4096; }
    } stop;
    EXPECT_THROW(Open(d.Build()).ReadSample(&stop), XZBX2UserAborted);
}

TEST(OldFiles, OpenedOldFilesSaveAsLoopFiles) {
    COldFile d;
    d.loopStart = 1000;
    d.frames = [] {
        std::vector<int16_t> v;
        for (int32_t x : NSTestSupport::Noise(88200, 20000, 3)) v.push_back(int16_t(x));
        return v;
    }();
    d.block = DocumentBlock();
    d.block[14] = 1;
    d.block[16] = 1;
    Put(d.block, 18, 3, 2);
    AddRecord(d.block, 0x82, 1000, 100);
    AddRecord(d.block, 0x00, 20000, 30000);
    AddRecord(d.block, 0x01, 40000, 25000);
    COldFile l;
    l.loop = false;
    l.signature = "ZBX ";
    l.block = LoopBlock(3840, {{0, 0, 20000}, {1920, 20000, 30000}});

    for (const COldFile* f : {&d, &l}) {
        const auto old = Store(f->Build(), f == &d ? "Old.zbk" : "Old.zbx");
        auto first = CZubrikDocument::OpenFile(old);
        EXPECT_FALSE(first->HasLoopFile()); // saving asks for a new file
        const auto saved = old.parent_path() / "Saved.zx2";
        ASSERT_TRUE(first->SaveTo(saved));
        auto second = CZubrikDocument::OpenFile(saved);
        EXPECT_EQ(second->GetParameters(), first->GetParameters());
        EXPECT_EQ(second->GetEffectParameters(), first->GetEffectParameters());
        const CSliceSequence& a = first->GetSliceSequence();
        const CSliceSequence& b = second->GetSliceSequence();
        EXPECT_EQ(b.GetSensitivity(), a.GetSensitivity());
        ASSERT_EQ(b.GetCount(), a.GetCount());
        for (int32_t i = 0; i < a.GetCount(); ++i) {
            const CSlice &x = a.GetSlice(i), &y = b.GetSlice(i);
            EXPECT_EQ(std::tuple(y.GetPosition(), y.GetStrength(), y.GetState(), y.IsSelected()),
                      std::tuple(x.GetPosition(), x.GetStrength(), x.GetState(), x.IsSelected()));
        }
    }
}
