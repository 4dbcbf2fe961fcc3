// End-to-end checks of the tempo info gives: the original tempo of a loop
// file beside its preview tempo, and of any file for the loop length given
// by --bars, --beats and --sign.
#include <gtest/gtest.h>

#include "CliTestSupport.h"
#include "TestSupport.h"

using namespace NSCliTest;

namespace {

// The demo loop lasts 4 seconds: 8 beats of it make 120 BPM.
std::string DemoLoop() { return NSTestSupport::SourcePath("examples/demo-loop.wav"); }

} // namespace

TEST(CliInfoTempo, LoopFilesShowBothTempos) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    const std::string loop = folder + "/l.zx2";
    ASSERT_EQ(RunCli({"save", DemoLoop(), "-o", loop, "--bars", "2", "--tempo", "97"}).fExitCode, 0);
    const SRun run = RunCli({"info", "--json", loop});
    ASSERT_EQ(run.fExitCode, 0) << run.fErr;
    EXPECT_EQ(Field(run.fOut, "tempo"), "97.000");
    EXPECT_EQ(Field(run.fOut, "original_tempo"), "120.000");
    // A sound file has no loop length of its own.
    EXPECT_EQ(Field(RunCli({"info", "--json", DemoLoop()}).fOut, "original_tempo"), "");
}

TEST(CliInfoTempo, GivenLoopLengthShowsTheOriginalTempo) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    const std::string loop = folder + "/l.zx2";
    ASSERT_EQ(RunCli({"save", DemoLoop(), "-o", loop, "--bars", "2"}).fExitCode, 0);
    const struct {
        std::vector<std::string> flags;
        std::string bars, beats, signature, tempo;
    } cases[] = {
        {{"--bars", "2"}, "2", "0", "\"4/4\"", "120.000"},
        {{"--bars", "2", "--sign", "3/4"}, "2", "0", "\"3/4\"", "90.000"},
        {{"--bars", "0", "--beats", "3"}, "0", "3", "\"4/4\"", "45.000"},
        {{"--bars", "auto"}, "2", "0", "\"4/4\"", "120.000"},
        {{"--bars", "4"}, "4", "0", "\"4/4\"", "240.000"},
    };
    for (const auto& c : cases)
        for (const std::string& file : {DemoLoop(), loop}) {
            std::vector<std::string> arguments = {"info", "--json", file};
            arguments.insert(arguments.end(), c.flags.begin(), c.flags.end());
            const SRun run = RunCli(arguments);
            ASSERT_EQ(run.fExitCode, 0) << run.fErr;
            EXPECT_EQ(Field(run.fOut, "bars"), c.bars) << file << " " << c.flags[1];
            EXPECT_EQ(Field(run.fOut, "beats"), c.beats) << file;
            EXPECT_EQ(Field(run.fOut, "signature"), c.signature) << file;
            EXPECT_EQ(Field(run.fOut, "original_tempo"), c.tempo) << file << " " << c.flags[1];
        }
    // The same figure as slice gives for the same length.
    EXPECT_EQ(Field(RunCli({"slice", "--json", DemoLoop(), "--bars", "2", "--sign", "3/4"}).fOut, "original_tempo"),
              "90.000");
    // Other settings flags have no meaning for info.
    EXPECT_EQ(RunCli({"info", DemoLoop(), "--sensitivity", "3"}).fExitCode, 1);
}
