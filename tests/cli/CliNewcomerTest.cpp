// End-to-end checks of what a newcomer meets: which sensitivity shows each
// slice, a loop length chosen when none is given, the loop's tempo in
// exports, and one overwrite rule for every job.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "CliTestSupport.h"
#include "TestSupport.h"
#include "audiodata/ZubrikFile.h"
#include "document/SliceDetection.h"

using namespace NSCliTest;
using namespace NSZubrik;

namespace {

std::string DemoLoop() { return NSTestSupport::SourcePath("examples/demo-loop.wav"); }

// The number after "key": at or after from.
int64_t Number(const std::string& json, const std::string& key, size_t from = 0) {
    const size_t at = json.find("\"" + key + "\": ", from);
    return at == std::string::npos ? -1 : std::stoll(json.substr(at + key.size() + 4));
}

// Microseconds per quarter note of the first tempo event of a MIDI file.
int64_t MidiTempo(const std::string& path) {
    const std::string bytes = ReadBytes(path);
    const size_t at = bytes.find("\xff\x51\x03");
    if (at == std::string::npos || at + 6 > bytes.size())
        return -1;
    return int64_t(uint8_t(bytes[at + 3])) << 16 | int64_t(uint8_t(bytes[at + 4])) << 8 | uint8_t(bytes[at + 5]);
}

} // namespace

TEST(CliNewcomer, SliceTellsFromWhichSensitivityEachSliceShows) {
    const SRun run = RunCli({"slice", "--json", DemoLoop()});
    ASSERT_EQ(run.fExitCode, 0) << run.fErr;
    int checked = 0;
    for (size_t at = run.fOut.find("{\"position\""); at != std::string::npos;
         at = run.fOut.find("{\"position\"", at + 1), ++checked) {
        const auto strength = int16_t(Number(run.fOut, "strength", at));
        const int64_t from = Number(run.fOut, "shows_from", at);
        ASSERT_GE(from, 0);
        EXPECT_GT(strength, NSSliceDetection::ThresholdForSensitivity(int32_t(from)));
        if (from > 0) {
            EXPECT_LE(strength, NSSliceDetection::ThresholdForSensitivity(int32_t(from - 1)));
        }
    }
    EXPECT_GT(checked, 10);

    const std::string folder = NSTestSupport::TemporaryFolder();
    const SRun silent = RunCli({"export", DemoLoop(), "-o", folder + "/kit.sf2"});
    EXPECT_EQ(silent.fExitCode, 1);
    EXPECT_NE(silent.fErr.find("no slice sounds at sensitivity 0: give --sensitivity N"), std::string::npos)
        << silent.fErr;
    EXPECT_TRUE(NSCliTest::FilesIn(folder).empty());
}

TEST(CliNewcomer, TheLoopLengthIsChosenWhenNotGiven) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    // 4/4 at 44100 Hz: one bar of 1.5 s is 160 BPM, of 4 s 60 BPM, of 10 s 24 BPM.
    for (const auto& [seconds, bars] : std::vector<std::pair<double, int32_t>>{{1.5, 1}, {4.0, 2}, {10.0, 4}}) {
        const std::string loop = folder + "/loop" + std::to_string(bars) + ".wav";
        WriteClickLoop(loop, int32_t(44100 * seconds), 4410, false);
        const SRun run = RunCli({"convert", loop, "-o", loop + ".zx2"});
        ASSERT_EQ(run.fExitCode, 0) << run.fErr;
        EXPECT_NE(run.fErr.find("loop length not given: " + std::to_string(bars)), std::string::npos) << run.fErr;
        EXPECT_NE(run.fErr.find("give --bars to choose"), std::string::npos) << run.fErr;
        EXPECT_EQ(CZubrikFile(loop + ".zx2").GetFileInfo().fBars, bars) << seconds;
        ASSERT_EQ(RunCli({"save", loop, "-o", loop + "-auto.zx2", "--bars", "auto"}).fExitCode, 0);
        EXPECT_EQ(CZubrikFile(loop + "-auto.zx2").GetFileInfo().fBars, bars) << seconds;
    }

    // The loop length alone switches preview on, so the MIDI file carries
    // the loop's own tempo (two bars of four seconds: 120 BPM).
    const SRun midi = RunCli({"export", DemoLoop(), "-o", folder + "/demo.mid", "--bars", "2", "--sensitivity", "50"});
    ASSERT_EQ(midi.fExitCode, 0) << midi.fErr;
    EXPECT_EQ(MidiTempo(folder + "/demo.mid"), 500000);
    const SRun off = RunCli({"export", DemoLoop(), "-o", folder + "/off.mid", "--bars", "2", "--sensitivity", "50",
                             "--preview", "off"});
    ASSERT_EQ(off.fExitCode, 0) << off.fErr;
    EXPECT_NE(MidiTempo(folder + "/off.mid"), 500000);

    const SRun slice = RunCli({"slice", "--json", DemoLoop(), "--bars", "2"});
    EXPECT_NE(slice.fOut.find("\"original_tempo\": 120.000"), std::string::npos) << slice.fOut.substr(0, 200);
}

TEST(CliNewcomer, NoJobReplacesAFileUnasked) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    const std::string source = folder + "/s.wav";
    WriteClickLoop(source, 44100 * 2, 4410, true);
    const std::string taken = folder + "/taken";
    const std::vector<std::pair<std::string, std::vector<std::string>>> jobs = {
        {".wav", {"render", source, "--bars", "1", "--sensitivity", "99"}},
        {".zx2", {"save", source, "--bars", "1"}},
        {".aif", {"convert", source}},
        {".wav", {"process", source, "--remove-dc"}},
        {".sf2", {"export", source, "--bars", "1", "--sensitivity", "99"}},
        {".mid", {"export", source, "--bars", "1", "--sensitivity", "99"}}};
    for (auto [extension, args] : jobs) {
        const std::string output = taken + extension;
        std::ofstream(output) << "keep me";
        args.insert(args.end(), {"-o", output});
        const SRun refused = RunCli(args);
        EXPECT_EQ(refused.fExitCode, 1) << args[0] << extension << ": " << refused.fErr;
        EXPECT_NE(refused.fErr.find("--yes"), std::string::npos) << args[0] << ": " << refused.fErr;
        EXPECT_EQ(ReadBytes(output), "keep me") << args[0] << extension;
        args.push_back("--yes");
        const SRun replaced = RunCli(args);
        EXPECT_EQ(replaced.fExitCode, 0) << args[0] << extension << ": " << replaced.fErr;
        EXPECT_NE(ReadBytes(output), "keep me") << args[0] << extension;
        EXPECT_NE(replaced.fErr.find("zubrik-cli: wrote " + output), std::string::npos) << replaced.fErr;
    }
    const SRun version = RunCli({"--version"});
    EXPECT_EQ(version.fExitCode, 0);
    EXPECT_EQ(version.fOut.rfind("zubrik-cli ", 0), 0u) << version.fOut;
}
