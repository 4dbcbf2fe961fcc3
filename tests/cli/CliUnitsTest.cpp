// End-to-end checks of the settings flags in a musician's units: locators in
// frames, seconds and bar:beat, effect times in ms, saved and read back.
#include <gtest/gtest.h>

#include <cmath>

#include "CliTestSupport.h"
#include "TestSupport.h"
#include "app/Zubrik.h"
#include "document/ZubrikDocument.h"
#include "engine/DSPTables.h"
#include "io/SoundFileReader.h"

using namespace NSCliTest;
using namespace NSZubrik;

TEST(CliUnits, LocatorsInFramesSecondsAndBarBeat) {
    // The demo loop: 176400 frames at 44100 Hz, 2 bars of 4/4 at 120 BPM.
    const std::string demo = NSTestSupport::SourcePath("examples/demo-loop.wav");
    const std::string folder = NSTestSupport::TemporaryFolder();
    const struct {
        std::vector<std::string> flags;
        std::string loop;
    } cases[] = {
        {{"--left", "22050"}, "[22050, 176400]"},
        {{"--left", "1.5s"}, "[66150, 176400]"},
        {{"--right", "0.25s", "--bars", "2"}, "[0, 11025]"},
        {{"--left", "2:1", "--bars", "2"}, "[88200, 176400]"},
        {{"--left", "1:3", "--right", "2:1", "--bars", "2"}, "[44100, 88200]"},
        // 3/4: a beat of 2 bars is a sixth of the loop.
        {{"--left", "1:2", "--bars", "2", "--sign", "3/4"}, "[29400, 176400]"},
        // Seconds first, then bar:beat in the loop they leave.
        {{"--left", "2s", "--right", "1:3", "--bars", "1"}, "[88200, 132300]"},
    };
    int32_t index = 0;
    for (const auto& c : cases) {
        const std::string out = folder + "/l" + std::to_string(++index) + ".zx2";
        std::vector<std::string> arguments = {"save", demo, "-o", out};
        arguments.insert(arguments.end(), c.flags.begin(), c.flags.end());
        const SRun run = RunCli(arguments);
        ASSERT_EQ(run.fExitCode, 0) << c.flags[1] << ": " << run.fErr;
        const std::string info = RunCli({"info", "--json", out}).fOut;
        EXPECT_NE(info.find("\"loop\": " + c.loop), std::string::npos) << c.flags[1] << ": " << info;
    }
    const struct {
        std::vector<std::string> flags;
        std::string says;
    } refused[] = {
        {{"--left", "x"}, "--left takes frames, seconds (1.5s) or bar:beat (2:1)"},
        {{"--left", "-1s"}, "--left takes"},
        {{"--right", "0:1"}, "--right takes"},
        {{"--left", "1:5", "--bars", "2"}, "no beat 5"},
        {{"--left", "5s"}, "220500"},
        {{"--left", "2:1", "--right", "1:1", "--bars", "2"}, "--left < --right"},
    };
    for (const auto& r : refused) {
        std::vector<std::string> arguments = {"save", demo, "-o", folder + "/no.zx2"};
        arguments.insert(arguments.end(), r.flags.begin(), r.flags.end());
        const SRun run = RunCli(arguments);
        EXPECT_EQ(run.fExitCode, 1) << r.flags[1];
        EXPECT_NE(run.fErr.find(r.says), std::string::npos) << run.fErr;
    }
    EXPECT_TRUE(FilesIn(folder).size() == size_t(index));
}

// Times in ms become the index of the nearest entry of the engine's time
// table; the index form stays as it was.
TEST(CliUnits, EffectTimesInMilliseconds) {
    const std::string demo = NSTestSupport::SourcePath("examples/demo-loop.wav");
    const std::string folder = NSTestSupport::TemporaryFolder();
    const CDSPTables tables(44100);
    auto nearest = [&](double ms) {
        int32_t best = 0;
        for (int32_t i = 1; i < CDSPTables::kTimeTableSize; ++i)
            if (std::fabs(tables.Milliseconds()[i] - ms) < std::fabs(tables.Milliseconds()[best] - ms))
                best = i;
        return best;
    };
    auto open = [&](const std::vector<std::string>& flags) {
        std::vector<std::string> arguments = {"save", demo, "-o", folder + "/e.zx2", "--yes", "--bars", "2"};
        arguments.insert(arguments.end(), flags.begin(), flags.end());
        const SRun run = RunCli(arguments);
        EXPECT_EQ(run.fExitCode, 0) << run.fErr;
        CDefaultDocumentPreferences preferences;
        std::unique_ptr<CZubrikDocument> document;
        CZubrik::OpenDocumentFile(folder + "/e.zx2", LoadSoundFile, preferences, GetDefaultDocumentServices(),
                                  [&](std::unique_ptr<CZubrikDocument> opened, bool) { document = std::move(opened); });
        return document;
    };
    std::unique_ptr<CZubrikDocument> document = open({"--envelope", "2.5ms,480ms,40", "--shaper", "10,45,7ms,200ms"});
    ASSERT_TRUE(document);
    EXPECT_EQ(document->GetParameters().fEnvelopeAttack, nearest(2.5));
    EXPECT_EQ(document->GetParameters().fEnvelopeDecay, nearest(480));
    EXPECT_EQ(document->GetParameters().fEnvelopeStretch, 40);
    EXPECT_EQ(document->GetEffectParameters().fShaperAttack, nearest(7));
    EXPECT_EQ(document->GetEffectParameters().fShaperRelease, nearest(200));
    EXPECT_NE(nearest(2.5), nearest(480));
    document = open({"--envelope", "21,1023,40"});
    ASSERT_TRUE(document);
    EXPECT_EQ(document->GetParameters().fEnvelopeAttack, 21);
    EXPECT_EQ(document->GetParameters().fEnvelopeDecay, 1023);

    for (const char* bad : {"1ms,1,40ms", "100000ms,1,1", "xms,1,1"}) {
        const SRun run = RunCli({"save", demo, "-o", folder + "/no.zx2", "--bars", "2", "--envelope", bad});
        EXPECT_EQ(run.fExitCode, 1) << bad;
        EXPECT_NE(run.fErr.find("--envelope"), std::string::npos) << run.fErr;
    }
}
