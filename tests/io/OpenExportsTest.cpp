// SFZ instruments, Hydrogen drum kits and marked WAVE files, each read back
// by something this program did not write: a parse of the SFZ text with
// libsndfile on its samples, tar and xmllint with Hydrogen's own schema,
// libsndfile's cue and instrument reading; and the marked file opened again.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>

#include "io/HydrogenKitFormat.h"
#include "io/PureSoundFileFormat.h"
#include "io/SFZFileFormat.h"
#include "io/SamplerExportFixture.h"
#include "io/SoundFileReader.h"

using namespace NSSamplerExportTest;
namespace fs = std::filesystem;

namespace {

constexpr const char* kHydrogenSchema = "/usr/share/hydrogen/data/xsd/drumkit.xsd";

fs::path ExportTo(CABCExportFileFormat& format, CExporter& exporter, const fs::path& file, int32_t bits = 16)
{
    format.SetRememberedSettings(44100, bits, false);
    exporter.SetSampleRate(format.GetSampleRate());
    CProgress progress;
    format.Export(exporter, file, progress);
    return file;
}

// The regions of an SFZ text as opcode maps, and the control opcodes.
struct SParsedSfz {
    std::map<std::string, std::string> control;
    std::vector<std::map<std::string, std::string>> regions;
};

SParsedSfz ParseSfz(const std::string& text)
{
    SParsedSfz parsed;
    std::map<std::string, std::string>* current = nullptr;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        line = line.substr(0, line.find("//"));
        const std::regex token(R"(<(\w+)>|(\w+)=(\S+))");
        for (std::sregex_iterator it(line.begin(), line.end(), token), end; it != end; ++it) {
            if ((*it)[1].matched) {
                const std::string header = (*it)[1];
                if (header == "control")
                    current = &parsed.control;
                else if (header == "region")
                    current = &parsed.regions.emplace_back();
                else
                    ADD_FAILURE() << "unexpected header " << header;
            } else if (current) {
                (*current)[(*it)[2]] = (*it)[3];
            }
        }
    }
    return parsed;
}

std::vector<uint32_t> CuePositions(const fs::path& file)
{
    SF_INFO info {};
    SNDFILE* sound = sf_open(file.c_str(), SFM_READ, &info);
    EXPECT_NE(sound, nullptr);
    std::vector<uint32_t> positions;
    uint32_t count = 0;
    if (sound && sf_command(sound, SFC_GET_CUE_COUNT, &count, sizeof count) == SF_TRUE && count > 0) {
        SF_CUES cues {};
        EXPECT_EQ(sf_command(sound, SFC_GET_CUE, &cues, sizeof cues), SF_TRUE);
        for (uint32_t i = 0; i < cues.cue_count; ++i) positions.push_back(uint32_t(cues.cue_points[i].sample_offset));
    }
    if (sound) sf_close(sound);
    return positions;
}

} // namespace

TEST(SFZExport, RegionsMapPiecesToKeysWithSamplesThatExist)
{
    for (bool stereo : {false, true}) {
        CSlicedLoop loop(5, stereo, 4410);
        auto exporter = loop.Exporter();
        const fs::path folder = fs::path(NSTestSupport::TemporaryFolder()) / (stereo ? "s" : "m");
        fs::create_directories(folder);
        CSFZFileFormat format;
        const fs::path file = ExportTo(format, *exporter, folder / "My Beat.sfz", 24);
        const TBytes bytes = ReadAll(file);
        const SParsedSfz sfz = ParseSfz(std::string(bytes.begin(), bytes.end()));
        const fs::path samples = folder / sfz.control.at("default_path");
        ASSERT_EQ(sfz.regions.size(), 5u);
        for (size_t k = 0; k < sfz.regions.size(); ++k) {
            const auto& region = sfz.regions[k];
            EXPECT_EQ(region.at("key"), std::to_string(36 + k));
            EXPECT_EQ(region.at("pitch_keycenter"), region.at("key"));
            EXPECT_EQ(region.at("loop_mode"), "one_shot");
            const SSoundInfo sound = ReadSound(samples / region.at("sample"));
            EXPECT_EQ(sound.frames, exporter->GetSlicePosition(int32_t(k)).fLength);
            EXPECT_EQ(sound.channels, stereo ? 2 : 1);
            EXPECT_EQ(sound.subtype, SF_FORMAT_PCM_24);
        }
    }
}

// The whole loop with a cue point per slice and the loop as sampler loop;
// opened again, the cue points come back as the same locked slices.
TEST(MarkedWaveExport, CuePointsAndLoopReadBackAsTheSlices)
{
    CSlicedLoop loop(6, true, 4416);
    auto exporter = loop.Exporter(44100, true);
    CMarkedWAVFileFormat format;
    const fs::path file = ExportTo(format, *exporter, fs::path(NSTestSupport::TemporaryFolder()) / "Marked.wav");
    ASSERT_TRUE(fs::exists(file));

    // The slices where the render plays them (at the preview tempo, on the
    // sequencer's 64-frame grid).
    const std::vector<int32_t> starts = exporter->GetSliceStartsInLoop();
    ASSERT_EQ(starts.size(), 6u);
    const std::vector<uint32_t> expected(starts.begin(), starts.end());
    EXPECT_EQ(CuePositions(file), expected);
    const SSoundInfo sound = ReadSound(file);
    EXPECT_EQ(sound.loops, 1);
    EXPECT_GE(sound.frames, 6 * 4416);

    const TBytes bytes = ReadAll(file);
    const auto chunks = Chunks(bytes, 12, bytes.size(), true, true);
    std::map<std::string, SChunk> byId;
    for (const SChunk& chunk : chunks) byId.emplace(chunk.id, chunk);
    ASSERT_TRUE(byId.count("LIST"));
    EXPECT_EQ(Text(bytes, byId["LIST"].data, 4), "adtl");
    EXPECT_EQ(Text(bytes, byId["LIST"].data + 16, 10), "Slice 001");

    CSoundFileReader reader(file.string());
    EXPECT_EQ(reader.GetMarkerPositions(), starts);
    EXPECT_EQ(reader.GetMarkers().fMarkers.back().fLabel, "Slice 006");
    EXPECT_EQ(reader.GetInfo().loopKind, SoundFileInfo::kUsedLoop);
    EXPECT_EQ(reader.GetInfo().loopEnd, exporter->GetLoopLengthAtExportRate());
}

TEST(HydrogenKitExport, KitValidatesAgainstHydrogensSchema)
{
    if (!fs::exists(kHydrogenSchema))
        GTEST_SKIP() << "hydrogen-data is not installed (scripts/install-deps)";
    CSlicedLoop loop(4, true, 4410);
    auto exporter = std::make_unique<CExporter>(u"Funky <Break>.wav", *loop.sequencer, true, false);
    const fs::path folder = NSTestSupport::TemporaryFolder();
    CHydrogenKitFormat format;
    const fs::path file = ExportTo(format, *exporter, folder / "Kit.h2drumkit");
    // Only the archive is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

    std::string errors;
    ASSERT_EQ(RunCommand("tar -xzf '" + file.string() + "' -C '" + folder.string() + "'", errors), 0) << errors;
    const fs::path kit = folder / "Funky <Break>";
    ASSERT_TRUE(fs::exists(kit / "drumkit.xml"));
    EXPECT_EQ(RunCommand("xmllint --noout --schema " + std::string(kHydrogenSchema) + " '" +
                             (kit / "drumkit.xml").string() + "'",
                         errors),
              0)
        << errors;
    std::string names;
    ASSERT_EQ(RunCommand("xmllint --xpath \"//*[local-name()='filename']/text()\" '" + (kit / "drumkit.xml").string() +
                             "'",
                         errors, &names),
              0);
    EXPECT_EQ(names, "slice_001.wav\nslice_002.wav\nslice_003.wav\nslice_004.wav\n");
    for (int32_t k = 0; k < 4; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "slice_%03d.wav", int(k + 1));
        EXPECT_EQ(ReadSound(kit / name).frames, exporter->GetSlicePosition(k).fLength);
    }
}
