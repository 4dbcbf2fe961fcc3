#include "SamplerExportFixture.h"

#include "io/SampleCellFileFormat.h"

using namespace NSSamplerExportTest;

namespace {

struct SInstrument {
    std::vector<uint8_t> bytes;
    std::vector<SChunk> chunks;
    const SChunk& Find(const std::string& id) const
    {
        for (const SChunk& chunk : chunks)
            if (chunk.id == id)
                return chunk;
        throw std::runtime_error("missing chunk " + id);
    }
};

SInstrument ReadInstrument(const std::filesystem::path& file, const std::string& formType)
{
    SInstrument instrument{ReadAll(file), {}};
    const std::vector<uint8_t>& b = instrument.bytes;
    EXPECT_EQ(Text(b, 0, 4), "FORM");
    EXPECT_EQ(BE32(b, 4), b.size() - 8);
    EXPECT_EQ(Text(b, 8, 4), formType);
    instrument.chunks = Chunks(b, 12, b.size(), false, true);
    return instrument;
}

// Exports the loop at 48000 Hz, 24 bits; checks the parts of the instrument
// that mono and stereo share and answers it.
SInstrument ExportGroove(const CSlicedLoop& loop, const std::filesystem::path& folder, bool stereo)
{
    auto exporter = loop.Exporter(48000);
    CSampleCellFileFormat format;
    format.SetRememberedSettings(48000, 24, false);
    CProgress progress;
    CAlerts alerts;
    format.Export(*exporter, folder / "Groove.ins", progress);
    EXPECT_TRUE(alerts.presenter.messages.empty());
    EXPECT_EQ(exporter->GetTail(), 1000);

    const std::string type = stereo ? "SCsi" : "SCin";
    SInstrument ins = ReadInstrument(folder / "Groove.ins", type);
    ExpectTypeCode(folder / "Groove.ins", type);
    EXPECT_EQ(ins.chunks.size(), 11u);
    const std::vector<uint8_t>& b = ins.bytes;
    const SChunk& files = ins.Find("FILP");
    EXPECT_EQ(BE32(b, files.data), 3u);
    EXPECT_EQ(files.size, 8u + 3 * 331);
    const SChunk& keygroups = ins.Find("KeyP");
    EXPECT_EQ(BE16(b, keygroups.data), 3);
    for (int32_t k = 0; k < 3; ++k) {
        const std::string name = "Groove 00" + std::to_string(k + 1) + ".wav";
        const size_t entry = files.data + 8 + size_t(k) * 331;
        EXPECT_EQ(Text(b, entry + 32, 32), name);
        EXPECT_EQ(Text(b, entry + 70, 261), ".\\" + name);

        // Keygroup k reaches up to key 36 + k, the last up to 127; root 60.
        const size_t group = keygroups.data + 6 + size_t(k) * 24;
        EXPECT_EQ(BE16(b, group), k == 2 ? 127 : 36 + k);
        EXPECT_EQ(BE32(b, group + 6), uint32_t(stereo ? 2 * k : k));
        EXPECT_EQ(BE32(b, group + 10), stereo ? uint32_t(2 * k + 1) : 0xFFFFFFFFu);
        EXPECT_EQ(BE16(b, group + 22), 60);

        // Every sample file rings 1000 frames past its slice.
        exporter->SetTail(0);
        const int32_t sliceFrames = exporter->GetSlicePosition(k).fLength;
        const SSoundInfo sound = ReadSound(folder / name);
        EXPECT_EQ(sound.frames, sliceFrames + 1000);
        EXPECT_EQ(sound.rate, 48000);
        EXPECT_EQ(sound.subtype, SF_FORMAT_PCM_24);
        EXPECT_EQ(sound.channels, stereo ? 2 : 1);
    }
    return ins;
}

} // namespace

TEST(SampleCellFileFormat, MonoAndStereoInstrumentsOfThreeSlices)
{
    CSlicedLoop mono(3, false);
    const std::filesystem::path monoFolder = NSTestSupport::TemporaryFolder();
    const SInstrument m = ExportGroove(mono, monoFolder, false);
    const SChunk& monoSamples = m.Find("KeyS");
    EXPECT_EQ(BE32(m.bytes, monoSamples.data), 3u);
    EXPECT_EQ(BE32(m.bytes, monoSamples.data + 4), 64u);

    CSlicedLoop stereo(3, true);
    const std::filesystem::path folder = NSTestSupport::TemporaryFolder();
    const SInstrument s = ExportGroove(stereo, folder, true);
    const std::vector<uint8_t>& b = s.bytes;
    const SChunk& samples = s.Find("KeyS");
    ASSERT_EQ(BE32(b, samples.data), 6u);
    EXPECT_EQ(samples.size, 12u + 6 * 64);
    uint32_t totalFrames = 0;
    for (uint32_t i = 0; i < 6; ++i) {
        const size_t entry = samples.data + 12 + i * 64;
        const std::string file = "Groove 00" + std::to_string(i / 2 + 1) + ".wav";
        const auto frames = uint32_t(ReadSound(folder / file).frames);
        EXPECT_EQ(BE32(b, entry), i / 2) << "both channels name their slice";
        EXPECT_EQ(BE16(b, entry + 8), i % 2 + 1) << "channel";
        EXPECT_EQ(BE32(b, entry + 14), frames * 2);
        EXPECT_EQ(Text(b, entry + 18, 32), file);
        totalFrames += i % 2 == 0 ? frames : 0;
    }
    EXPECT_EQ(BE32(b, samples.data + 8), 2 * totalFrames * 2);
}
