#include "SamplerExportFixture.h"

#include "io/AKPFileFormat.h"
#include "io/ExportFileFormat.h"

using namespace NSSamplerExportTest;

namespace {

TBytes Slice(const TBytes& b, const SChunk& chunk)
{
    return TBytes(b.begin() + std::ptrdiff_t(chunk.data), b.begin() + std::ptrdiff_t(chunk.data + chunk.size));
}

// The keygroups of a program file, each as its sub-chunks.
std::vector<std::vector<SChunk>> Keygroups(const TBytes& b, const std::vector<SChunk>& top)
{
    std::vector<std::vector<SChunk>> groups;
    for (const SChunk& chunk : top)
        if (chunk.id == "kgrp")
            groups.push_back(Chunks(b, chunk.data, chunk.data + chunk.size, true, true));
    return groups;
}

} // namespace

TEST(AKPFileFormat, ThreeSlicesGiveThreeKeygroupsAndSampleFiles)
{
    CSlicedLoop loop(3, true);
    auto exporter = loop.Exporter(32000);
    const std::filesystem::path folder = NSTestSupport::TemporaryFolder();
    const std::filesystem::path program = folder / "Kit.akp";
    CAKPFileFormat format;
    CProgress progress;
    CAlerts alerts;
    format.Export(*exporter, program, progress);
    EXPECT_TRUE(alerts.presenter.messages.empty());

    const TBytes b = ReadAll(program);
    ASSERT_GE(b.size(), 12u);
    EXPECT_EQ(Text(b, 0, 4), "RIFF");
    EXPECT_EQ(LE32(b, 4), b.size() - 8);
    EXPECT_EQ(Text(b, 8, 4), "APRG");
    const std::vector<SChunk> top = Chunks(b, 12, b.size(), true, true);
    ASSERT_EQ(top.size(), 9u);
    const std::vector<std::string> order{"prg ", "out ", "tune", "lfo ", "lfo ", "mods", "kgrp", "kgrp", "kgrp"};
    for (size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(top[i].id, order[i]);
    EXPECT_EQ(Slice(b, top[0]), (TBytes{0x01, 0x00, 0x03, 0x00, 0x02, 0x00})) << "keygroup count";
    EXPECT_EQ(top[5].size, 38u);

    const auto groups = Keygroups(b, top);
    for (size_t k = 0; k < groups.size(); ++k) {
        const std::vector<SChunk>& g = groups[k];
        ASSERT_EQ(g.size(), 9u);
        const std::vector<std::string> ids{"kloc", "env ", "env ", "env ", "filt", "zone", "zone", "zone", "zone"};
        for (size_t i = 0; i < ids.size(); ++i)
            EXPECT_EQ(g[i].id, ids[i]);
        const uint8_t key = uint8_t(36 + k);
        EXPECT_EQ(Slice(b, g[0]), (TBytes{0x02, 0x03, 0x01, 0x04, key, key, 0, 0, 0, 0x00, 0x64, 0, 0, 0, 0, 0}));
        const TBytes zone = Slice(b, g[5]);
        ASSERT_EQ(zone.size(), 46u);
        const std::string name = "Kit 00" + std::to_string(k + 1);
        EXPECT_EQ(zone[1], name.size());
        EXPECT_EQ(Text(zone, 2, 32), name);
        EXPECT_EQ(Slice(b, g[6])[1], 0) << "only the first zone names a sample";

        // Each sample file carries its key as root key, 16 bits, no loop.
        const SSoundInfo sound = ReadSound(folder / (name + ".wav"));
        EXPECT_EQ(sound.rate, 32000);
        EXPECT_EQ(sound.channels, 2);
        EXPECT_EQ(sound.frames, exporter->GetSlicePosition(int32_t(k)).fLength);
        EXPECT_EQ(sound.rootKey, key);
        EXPECT_EQ(sound.loops, 0);
    }
    EXPECT_EQ(groups.size(), 3u);
    ExpectTypeCode(program, "S56P");
    // Nothing but the program and its samples is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 4);
}

TEST(AKPFileFormat, AFailedSampleFileIsReportedAndTheExportGoesOn)
{
    CSlicedLoop loop(3, false);
    auto exporter = loop.Exporter();
    const std::filesystem::path folder = NSTestSupport::TemporaryFolder();
    // A folder where the second sample file should go cannot be replaced.
    std::filesystem::create_directories(folder / "Kit 002.wav" / "inside");
    CAlerts alerts;
    CAKPFileFormat format;
    CProgress progress;
    format.Export(*exporter, folder / "Kit.akp", progress);
    ASSERT_EQ(alerts.presenter.messages.size(), 1u);
    EXPECT_EQ(alerts.presenter.messages[0], "Couldn't export slice \"Kit 002.wav\"!The reason for this is unknown. "
                                            "Some slices will be missing in the Program.");
    EXPECT_TRUE(std::filesystem::exists(folder / "Kit 003.wav"));

    // Cancel in the replace question ends the export; the program stays.
    alerts.presenter.messages.clear();
    std::filesystem::remove(folder / "Kit 003.wav");
    EXPECT_THROW(format.Export(*exporter, folder / "Kit.akp", progress), XUserAbortedExport);
    EXPECT_TRUE(std::filesystem::exists(folder / "Kit.akp"));
    EXPECT_FALSE(std::filesystem::exists(folder / "Kit 003.wav"));
}
