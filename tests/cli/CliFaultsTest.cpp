// End-to-end checks of how jobs end: all outputs or none, never an output
// over its own input, file names as bytes, and the system's reasons.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

#include "CliTestSupport.h"
#include "TestSupport.h"

using namespace NSCliTest;
namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const std::string& name : FilesIn(folder))
        files[name] = ReadBytes(folder + "/" + name);
    return files;
}

bool Has(const SRun& run, const std::string& text) { return run.fErr.find(text) != std::string::npos; }

} // namespace

TEST(CliJobs, AStoppedOrRefusedJobLeavesEveryTargetAsItWas) {
    const std::string sources = NSTestSupport::TemporaryFolder();
    WriteClickLoop(sources + "/short.wav", 44100 * 4, 4410, true);
    WriteClickLoop(sources + "/long.wav", 44100 * 120, 4410, true);
    const std::string folder = NSTestSupport::TemporaryFolder();
    const std::vector<std::string> slices = {"-o", folder + "/Beat.wav", "--slices", "--bars", "2",
                                             "--sensitivity", "99"};
    auto exportOf = [&](const std::string& source, std::vector<std::string> extra) {
        std::vector<std::string> args = {"export", sources + "/" + source};
        args.insert(args.end(), slices.begin(), slices.end());
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    };
    ASSERT_EQ(RunCli(exportOf("short.wav", {})).fExitCode, 0);
    const auto before = Snapshot(folder);
    ASSERT_GT(before.size(), 20u);

    // Stopped once it has begun to write pieces: not one piece is replaced,
    // and none of the further pieces appears.
    const SRun stopped = RunCliAndInterruptWhen(exportOf("long.wav", {"--replace-all", "--rate", "96000"}),
                                                [&] { return FilesIn(folder).size() > before.size() + 2 ||
                                                             ReadBytes(folder + "/Beat 001.wav") !=
                                                                 before.at("Beat 001.wav"); });
    EXPECT_EQ(stopped.fExitCode, 4) << stopped.fErr;
    EXPECT_TRUE(Snapshot(folder) == before) << "a stopped export changed its targets";

    // A SoundFont with its MIDI file beside it, both there already: the
    // unanswered question fails the job before either is replaced.
    const std::string kit = folder + "/Kit.sf2";
    ASSERT_EQ(RunCli({"export", sources + "/short.wav", "-o", kit, "--bars", "2", "--sensitivity", "99", "--midi"})
                  .fExitCode, 0);
    const auto pair = Snapshot(folder);
    const SRun refused = RunCli({"export", sources + "/short.wav", "-o", kit, "--bars", "1", "--sensitivity", "99",
                                 "--midi"});
    EXPECT_EQ(refused.fExitCode, 1) << refused.fErr;
    EXPECT_TRUE(Has(refused, "--yes")) << refused.fErr;
    EXPECT_TRUE(Snapshot(folder) == pair) << "the pair no longer belongs together";
}

TEST(CliJobs, NoJobButSaveWritesOverItsOwnInput) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    const std::string source = folder + "/s.wav";
    WriteClickLoop(source, 44100, 4410, false);
    fs::create_symlink(source, folder + "/link.wav");
    const std::string original = ReadBytes(source);
    const std::vector<std::vector<std::string>> jobs = {
        {"render", source, "-o", folder + "/./s.wav", "--bars", "1"},
        {"convert", source, "-o", folder + "/link.wav"},
        {"process", folder + "/link.wav", "-o", source, "--remove-dc"},
        {"export", source, "-o", folder + "/../" + fs::path(folder).filename().string() + "/s.wav", "--bars", "1",
         "--sensitivity", "99", "--one-sample", "--yes"}};
    for (const auto& job : jobs) {
        const SRun run = RunCli(job);
        EXPECT_EQ(run.fExitCode, 1) << job[0] << ": " << run.fErr;
        EXPECT_TRUE(Has(run, "input")) << job[0] << ": " << run.fErr;
        EXPECT_EQ(ReadBytes(source), original) << job[0];
    }
    ASSERT_EQ(RunCli({"save", source, "-o", folder + "/s.zx2", "--bars", "1"}).fExitCode, 0);
    const SRun save = RunCli({"save", folder + "/s.zx2", "-o", folder + "/s.zx2", "--sensitivity", "40", "--yes"});
    EXPECT_EQ(save.fExitCode, 0) << save.fErr;
}

TEST(CliJobs, FileNamesAreBytes) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    const std::string latin = folder + "/lat\xe9in1.wav";
    WriteClickLoop(latin, 44100 * 2, 11025, true);
    const std::string base = folder + "/lat\xe9in1";
    for (const auto& job : std::vector<std::vector<std::string>>{
             {"slice", latin, "--sensitivity", "50"},
             {"render", latin, "-o", base + "-r.wav", "--bars", "1", "--sensitivity", "50"},
             {"save", latin, "-o", base + ".zx2", "--bars", "1", "--sensitivity", "50"},
             {"export", latin, "-o", base + " piece.wav", "--bars", "1", "--sensitivity", "50"},
             {"slice", base + ".zx2"}}) {
        const SRun run = RunCli(job);
        EXPECT_EQ(run.fExitCode, 0) << job[0] << ": " << run.fErr;
    }
    EXPECT_TRUE(fs::exists(base + " piece 001.wav"));
    const SRun info = RunCli({"info", "--json", latin, base + ".zx2"});
    ASSERT_EQ(info.fExitCode, 0) << info.fErr;
    EXPECT_EQ(info.fOut.find('\xe9'), std::string::npos) << "JSON holds a byte that is not UTF-8";
    EXPECT_NE(info.fOut.find("lat\\\\xE9in1.wav"), std::string::npos) << info.fOut;
    EXPECT_EQ(RunShell("zubrik_json=$(mktemp); '" + std::string(ZUBRIK_CLI_PATH) + "' info --json '" + latin +
                       "' > $zubrik_json && /usr/bin/python3 -c 'import json,sys; json.load(open(sys.argv[1], "
                       "encoding=\"utf-8\"))' $zubrik_json; echo $?")
                  .fOut,
              "0\n");
}

TEST(CliJobs, FailuresGiveTheSystemsReason) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    const std::string source = folder + "/s.wav";
    WriteClickLoop(source, 44100, 4410, false);
    fs::create_directory(folder + "/dir.wav");
    std::ofstream(folder + "/plain") << "x";

    const SRun folderIn = RunCli({"slice", folder + "/dir.wav"});
    EXPECT_EQ(folderIn.fExitCode, 2);
    EXPECT_TRUE(Has(folderIn, "Is a directory")) << folderIn.fErr;
    const SRun folderOut = RunCli({"convert", source, "-o", folder + "/dir.wav"});
    EXPECT_EQ(folderOut.fExitCode, 3);
    EXPECT_TRUE(Has(folderOut, "Is a directory")) << folderOut.fErr;
    const SRun underFile = RunCli({"save", source, "-o", folder + "/plain/x.zx2", "--bars", "1"});
    EXPECT_EQ(underFile.fExitCode, 3);
    EXPECT_TRUE(Has(underFile, "Not a directory")) << underFile.fErr;
    EXPECT_TRUE(Has(underFile, folder + "/plain/x.zx2")) << "the path as given";
    if (geteuid() != 0) {
        fs::create_directory(folder + "/locked");
        fs::permissions(folder + "/locked", fs::perms::owner_read | fs::perms::owner_exec);
        const SRun locked = RunCli({"render", source, "-o", folder + "/locked/r.wav", "--bars", "1"});
        EXPECT_EQ(locked.fExitCode, 3);
        EXPECT_TRUE(Has(locked, "Permission denied")) << locked.fErr;
    }

    // A WAVE file cut short opens with what is there, and says so.
    std::string bytes = ReadBytes(source);
    bytes.resize(bytes.size() - 2000);
    std::ofstream(folder + "/cut.wav", std::ios::binary) << bytes;
    const SRun cut = RunCli({"slice", folder + "/cut.wav"});
    EXPECT_EQ(cut.fExitCode, 0) << cut.fErr;
    EXPECT_TRUE(Has(cut, "file is truncated: 43100 of 44100 frames")) << cut.fErr;
}
