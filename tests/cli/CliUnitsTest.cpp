// End-to-end checks of the locators in a musician's units: frames, seconds
// and bar:beat, saved and read back as the loop file's locators.
#include <gtest/gtest.h>

#include "CliTestSupport.h"
#include "TestSupport.h"

using namespace NSCliTest;

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
