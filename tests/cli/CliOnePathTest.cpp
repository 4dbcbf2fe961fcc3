// End-to-end checks that the command line takes the same paths as the
// window: the engine's offline renderer for render, and the application's
// open path (old-file notes included) for every job, and the document's
// own ranges for the settings flags.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "CliTestSupport.h"
#include "TestSupport.h"
#include "app/Zubrik.h"
#include "audiodata/SliceSequence.h"
#include "document/DocumentTypes.h"
#include "document/ZubrikDocument.h"
#include "engine/OfflineRenderer.h"
#include "io/SoundFileReader.h"

using namespace NSCliTest;
using namespace NSZubrik;

namespace {

std::string DemoLoop() { return NSTestSupport::SourcePath("examples/demo-loop.wav"); }

std::unique_ptr<CZubrikDocument> Open(const std::string& file, CDefaultDocumentPreferences& preferences) {
    std::unique_ptr<CZubrikDocument> document;
    CZubrik::OpenDocumentFile(file, LoadSoundFile, preferences, GetDefaultDocumentServices(),
                              [&](std::unique_ptr<CZubrikDocument> opened, bool) { document = std::move(opened); });
    return document;
}

// An old loop file: a second of mono AIFF (from sox) with the "APPL" chunk,
// signed "ZBX ", that places two slices in one bar of 4/4 at 100 BPM.
void WriteOldLoopFile(const std::string& folder, const std::string& path) {
    const std::string aiff = folder + "/old.aif";
    ASSERT_EQ(RunShell("sox -n -r 44100 -b 16 -c 1 '" + aiff + "' synth 1 noise gain -6").fExitCode, 0);
    std::string bytes = ReadBytes(aiff);
    std::string block(1016 + 24, '\0');
    auto put = [&](size_t at, uint32_t value, int count) {
        for (int i = 0; i < count; ++i)
            block[at + i] = char(value >> (8 * (count - 1 - i)));
    };
    put(0, 0xD1D1D1DA, 4);
    put(4, 0x0100, 2);
    put(6, 3840, 4);
    put(10, 2, 2);
    put(12, 100000, 4);
    put(1016 + 8, 20000, 4);
    put(1028, 1920, 4);
    put(1028 + 4, 20000, 4);
    put(1028 + 8, 20000, 4);
    std::string chunk = "APPL";
    const uint32_t size = uint32_t(4 + block.size());
    for (int i = 3; i >= 0; --i)
        chunk += char(size >> (8 * i));
    bytes += chunk + "ZBX " + block;
    const uint32_t form = uint32_t(bytes.size() - 8);
    for (int i = 0; i < 4; ++i)
        bytes[4 + i] = char(form >> (8 * (3 - i)));
    std::ofstream(path, std::ios::binary) << bytes;
}

} // namespace

TEST(CliOnePath, RenderWritesWhatTheOfflineRendererRenders) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    const std::string loop = folder + "/loop.zx2";
    ASSERT_EQ(RunCli({"save", DemoLoop(), "-o", loop, "--bars", "2", "--sensitivity", "60", "--tempo", "97"})
                  .fExitCode, 0);
    const SRun run = RunCli({"render", loop, "-o", folder + "/r.wav", "--bits", "32f", "--seconds", "2.5",
                             "--rate", "48000"});
    ASSERT_EQ(run.fExitCode, 0) << run.fErr;

    CDefaultDocumentPreferences preferences;
    std::unique_ptr<CZubrikDocument> document = Open(loop, preferences);
    ASSERT_TRUE(document);
    ASSERT_TRUE(document->IsPreviewOn());
    COfflineRenderer renderer(document->GetSequencer());
    renderer.SetOutputSampleRate(48000);
    const int32_t frames = renderer.FrameCountFor(2.5);
    std::vector<float> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
    renderer.RenderLoop(frames, left.data(), right.data());

    // A float WAVE file: 58 header bytes, then the frames interleaved.
    const std::string bytes = ReadBytes(folder + "/r.wav");
    ASSERT_EQ(bytes.size(), 58 + size_t(frames) * 8);
    double energy = 0;
    for (int32_t i = 0; i < frames; ++i) {
        float l = 0, r = 0;
        std::memcpy(&l, bytes.data() + 58 + 8 * size_t(i), 4);
        std::memcpy(&r, bytes.data() + 62 + 8 * size_t(i), 4);
        ASSERT_EQ(l, left[size_t(i)]) << i;
        ASSERT_EQ(r, right[size_t(i)]) << i;
        energy += double(l) * l;
    }
    EXPECT_GT(energy, 1.0);
}

TEST(CliOnePath, OldLoopFilesOpenWithTheirNote) {
    if (!HaveSox())
        GTEST_SKIP() << "sox is not installed";
    const std::string folder = NSTestSupport::TemporaryFolder();
    const std::string old = folder + "/old.zbx";
    WriteOldLoopFile(folder, old);
    const SRun run = RunCli({"slice", old});
    ASSERT_EQ(run.fExitCode, 0) << run.fErr;
    EXPECT_NE(run.fErr.find("ZBX files may not sound as expected"), std::string::npos) << run.fErr;
    // In the command line's words: the flags, not the window's settings.
    EXPECT_NE(run.fErr.find("--bars, --beats and --sign"), std::string::npos) << run.fErr;
    // A sound file and a new loop file have no note.
    const std::string loop = folder + "/loop.zx2";
    ASSERT_EQ(RunCli({"convert", DemoLoop(), "-o", loop, "--bars", "2"}).fExitCode, 0);
    for (const std::string& file : {DemoLoop(), loop})
        EXPECT_EQ(RunCli({"slice", file}).fErr.find("may not sound"), std::string::npos) << file;
}

// The settings flags take exactly the ranges the document keeps and loop
// files hold: each flag's highest value saves and opens again as given, one
// above it is refused.
TEST(CliOnePath, SettingsFlagsTakeTheDocumentsRanges) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    const std::string loop = folder + "/top.zx2";
    const std::string tempo = std::to_string(CZubrikSequencer::kMaximumPreviewTempo / 1000);
    const std::vector<std::pair<std::string, int32_t>> tops = {
        {"--sensitivity", CSliceSequence::kMaximumSensitivity},
        {"--gate", CSliceSequence::kMaximumGateSensitivity},
        {"--bars", CZubrikDocument::kMaximumBars},
        {"--beats", CZubrikDocument::kMaximumBeats},
        {"--pitch", CZubrikDocument::kMaximumPitch},
    };
    std::vector<std::string> save = {"save", DemoLoop(), "-o", loop, "--tempo", tempo, "--gain", "18"};
    for (const auto& [flag, top] : tops) {
        save.push_back(flag);
        save.push_back(std::to_string(top));
    }
    const SRun run = RunCli(save);
    ASSERT_EQ(run.fExitCode, 0) << run.fErr;
    CDefaultDocumentPreferences preferences;
    std::unique_ptr<CZubrikDocument> document = Open(loop, preferences);
    ASSERT_TRUE(document);
    const SDocumentParameters p = document->GetParameters();
    EXPECT_EQ(document->GetSliceSequence().GetSensitivity(), CSliceSequence::kMaximumSensitivity);
    EXPECT_EQ(document->GetSliceSequence().GetGateSensitivity(), CSliceSequence::kMaximumGateSensitivity);
    EXPECT_EQ(p.fBars, CZubrikDocument::kMaximumBars);
    EXPECT_EQ(p.fBeats, CZubrikDocument::kMaximumBeats);
    EXPECT_EQ(p.fPitch, CZubrikDocument::kMaximumPitch);
    EXPECT_EQ(p.fPreviewTempo, CZubrikSequencer::kMaximumPreviewTempo);
    EXPECT_EQ(document->GetEffectParameters().fProcessingGain, CZubrikDocument::kMaximumProcessingGain);

    for (const auto& [flag, top] : tops) {
        const SRun above = RunCli({"save", DemoLoop(), "-o", folder + "/no.zx2", flag, std::to_string(top + 1)});
        EXPECT_EQ(above.fExitCode, 1) << flag;
        EXPECT_NE(above.fErr.find(std::to_string(top)), std::string::npos) << above.fErr;
    }
    EXPECT_NE(RunCli({"save", DemoLoop(), "-o", folder + "/no.zx2", "--gain", "18.1"}).fExitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(folder + "/no.zx2"));
}
