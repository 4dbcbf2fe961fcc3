#include "SamplerExportFixture.h"

#include <map>

#include "io/MIDIExport.h"
#include "io/SoundFontFileFormat.h"
#include "io/SoundFontFileWriter.h"

using namespace NSSamplerExportTest;
using namespace NSTambor;

namespace {

int16_t I16(const TBytes& b, size_t at) { return int16_t(b[at] | b[at + 1] << 8); }
std::string Name(const TBytes& b, size_t at) { return std::string(reinterpret_cast<const char*>(&b[at])).substr(0, 20); }

// The chunks of a RIFF file under their paths ("sfbk/pdta/shdr"), in order;
// every size must fit its parent.
std::vector<std::pair<std::string, TBytes>> Tree(const TBytes& b, size_t at, size_t end, const std::string& path)
{
    std::vector<std::pair<std::string, TBytes>> chunks;
    while (at + 8 <= end) {
        const std::string id(b.begin() + long(at), b.begin() + long(at) + 4);
        const size_t size = LE32(b, at + 4);
        EXPECT_LE(at + 8 + size, end) << path << id;
        if (at + 8 + size > end)
            break;
        if (id == "RIFF" || id == "LIST") {
            auto inner = Tree(b, at + 12, at + 8 + size, path + std::string(b.begin() + long(at) + 8, b.begin() + long(at) + 12) + "/");
            chunks.insert(chunks.end(), inner.begin(), inner.end());
        } else {
            chunks.emplace_back(path + id, TBytes(b.begin() + long(at) + 8, b.begin() + long(at + 8 + size)));
        }
        at += 8 + size + (size & 1);
    }
    EXPECT_EQ(at, end) << path;
    return chunks;
}

std::map<std::string, TBytes> ChunkMap(const TBytes& file)
{
    const auto chunks = Tree(file, 0, file.size(), "");
    return {chunks.begin(), chunks.end()};
}

struct CRecordingProgress : CProgress {
    int32_t percents = 0;
    int32_t stopAfter = -1;
    void SetPercent(int32_t) override { ++percents; }
    bool StopRequested() const override { return stopAfter >= 0 && percents > stopAfter; }
};

std::filesystem::path Export(CExporter& exporter, const std::filesystem::path& name, CRecordingProgress& progress,
                             int32_t rate = 11025)
{
    CSoundFontFileFormat format;
    format.SetRememberedSettings(rate, 16, true);
    exporter.SetSampleRate(format.GetSampleRate());
    const std::filesystem::path file = std::filesystem::path(NSTestSupport::TemporaryFolder()) / name;
    format.Export(exporter, file, progress);
    return file;
}

} // namespace

// Rendered loops: sample order, links, pans, keys, starts and the data.
TEST(SoundFontFileFormat, MonoAndStereoSlices)
{
    for (const bool stereo : {false, true}) {
        CSlicedLoop loop(2, stereo, 44100);
        CExporter exporter(u"Beat", *loop.sequencer, true, false);
        CRecordingProgress progress;
        auto c = ChunkMap(ReadAll(Export(exporter, "Beat.sf2", progress)));
        EXPECT_EQ(progress.counts, (std::vector<int32_t>{2, 1}));
        const TBytes &shdr = c["sfbk/pdta/shdr"], &igen = c["sfbk/pdta/igen"], &smpl = c["sfbk/sdta/smpl"];
        const size_t samples = stereo ? 4 : 2;
        ASSERT_EQ(shdr.size(), 46 * (samples + 1));
        ASSERT_EQ(igen.size(), 12 * samples + 4);
        const char* names[2][4] = {{"Beat.sf2 001", "Beat.sf2 002"},
                                   {"Beat.sf2 001 L", "Beat.sf2 001 R", "Beat.sf2 002 L", "Beat.sf2 002 R"}};
        const uint16_t links[2][4] = {{0, 0}, {1, 0, 3, 2}};
        const int16_t pans[2][4] = {{0, 0}, {-500, 500, -500, 500}};
        const int16_t types[2][4] = {{1, 1}, {4, 2, 4, 2}};
        uint32_t start = 0;
        for (size_t s = 0; s < samples; ++s) {
            const int32_t slice = int32_t(stereo ? s / 2 : s);
            const std::unique_ptr<CABCWaveSample> piece = exporter.RenderPiece(slice);
            const size_t h = 46 * s, z = 12 * s;
            EXPECT_EQ(Name(shdr, h), names[stereo][s]);
            EXPECT_EQ(LE32(shdr, h + 20), start);
            const uint32_t end = start + uint32_t(piece->GetFrameCount());
            EXPECT_EQ(LE32(shdr, h + 24), end);
            EXPECT_EQ(LE32(shdr, h + 36), 11025u);
            EXPECT_EQ(shdr[h + 40], 36 + slice);
            EXPECT_EQ(I16(shdr, h + 42), links[stereo][s]);
            EXPECT_EQ(I16(shdr, h + 44), types[stereo][s]);
            EXPECT_EQ(igen[z + 2], 36 + slice);
            EXPECT_EQ(I16(igen, z + 6), pans[stereo][s]);
            EXPECT_EQ(I16(igen, z + 10), int16_t(s));
            std::vector<int16_t> expected(size_t(piece->GetFrameCount()));
            piece->GetInt16s(0, piece->GetFrameCount(), expected.data(), stereo ? int32_t(s % 2) + 1 : 1);
            expected.resize(expected.size() + 46, 0);
            ASSERT_LE(2 * (end + 46), smpl.size());
            size_t differences = 0;
            for (size_t i = 0; i < expected.size(); ++i)
                differences += I16(smpl, 2 * (start + i)) != expected[i];
            EXPECT_EQ(differences, 0u) << "sample " << s;
            start = end + 46;
        }
        EXPECT_EQ(smpl.size(), 2 * size_t(start));
    }
}

TEST(SoundFontFileFormat, StopEndsTheExportAndKeepsTheOldFile)
{
    CSlicedLoop loop(8, true, 11025);
    CExporter exporter(u"Beat", *loop.sequencer, true, false);
    const std::filesystem::path folder = NSTestSupport::TemporaryFolder();
    std::ofstream(folder / "Beat.sf2") << "old";
    CRecordingProgress progress;
    progress.stopAfter = 3;
    EXPECT_THROW(CSoundFontFileFormat().Export(exporter, folder / "Beat.sf2", progress), XUserAbortedExport);
    EXPECT_EQ(ReadAll(folder / "Beat.sf2").size(), 3u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

// fluidsynth loads the banks without a complaint and plays the MIDI file
// written beside them: each slice sounds where the exporter placed it.
TEST(SoundFontFileFormat, FluidSynthPlaysTheBankInTime)
{
    if (!std::filesystem::exists("/usr/bin/fluidsynth"))
        GTEST_SKIP() << "fluidsynth is not installed (scripts/install-deps)";
    constexpr int32_t kRate = 44100;
    for (const bool stereo : {false, true}) {
        CSlicedLoop loop(8, stereo, 11025);
        CExporter exporter(u"Beat", *loop.sequencer, true, false);
        CRecordingProgress progress;
        const std::filesystem::path bank = Export(exporter, "Beat.sf2", progress, kRate);
        ExportMIDIFileBeside(exporter, CSoundFontFileFormat(), bank);
        const std::filesystem::path audio = bank.parent_path() / "out.raw";
        std::string errors;
        RunCommand("/usr/bin/fluidsynth -n -i -q -R 0 -C 0 -g 1 -r 44100 -T raw -O s16 -F '" + audio.string() + "' '" +
                       bank.string() + "' '" + bank.parent_path().string() + "/Beat.mid'",
                   errors);
        // fluidsynth looks for a GM drum kit (bank 128) for channel 10
        // whatever the bank holds; anything else it says is about our files.
        const std::string drumKit = "fluidsynth: warning: No preset found on channel 9 [bank=128 prog=0]\n";
        if (errors.find(drumKit) != std::string::npos)
            errors.erase(errors.find(drumKit), drumKit.size());
        EXPECT_EQ(errors, "") << (stereo ? "stereo" : "mono");

        // Onset: the first frame near the expected start above a small level;
        // fluidsynth's 64-frame blocks and 1 ms ramp make it trail by 1-3 ms.
        const TBytes raw = ReadAll(audio);
        const auto level = [&raw](size_t frame) {
            return std::max(std::abs(I16(raw, 4 * frame)), std::abs(I16(raw, 4 * frame + 2)));
        };
        const size_t frames = raw.size() / 4;
        ASSERT_GT(frames, size_t(kRate));
        double worst = 0;
        for (int32_t k = 0; k < exporter.GetSliceCount(); ++k) {
            // 120 BPM: a quarter note (15360 ticks) lasts half a second.
            const double expected = double(exporter.GetSlicePosition(k).fStartTick) / 15360.0 * 0.5 * kRate;
            size_t onset = size_t(std::max(0.0, expected - 0.02 * kRate));
            while (onset < frames && level(onset) < 400)
                ++onset;
            worst = std::max(worst, std::abs(double(onset) - expected) * 1000.0 / kRate);
        }
        EXPECT_LT(worst, 4.0) << (stereo ? "stereo" : "mono");
    }
}
