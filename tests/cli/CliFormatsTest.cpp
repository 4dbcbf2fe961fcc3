// The open formats end to end: a FLAC loop goes in, is exported as SFZ, a
// Hydrogen kit and a marked WAVE file, the marked file comes back with its
// slices, and info names the formats and the loop file's checksum state.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "CliTestSupport.h"
#include "support/TestSupport.h"

using namespace NSCliTest;

TEST(CliFormats, CompressedInMarkedAndInstrumentExportsOut)
{
    if (!HaveSox()) GTEST_SKIP() << "sox not installed (scripts/install-deps)";
    const std::string folder = NSTestSupport::TemporaryFolder();
    WriteClickLoop(folder + "/loop.wav", 88200, 11025, true);
    ASSERT_EQ(RunShell("sox '" + folder + "/loop.wav' -b 24 '" + folder + "/loop.flac'").fExitCode, 0);

    const SRun info = RunCli({"info", folder + "/loop.flac", "--json"});
    ASSERT_EQ(info.fExitCode, 0) << info.fErr;
    EXPECT_NE(info.fOut.find("\"format\": \"FLAC\""), std::string::npos) << info.fOut;
    EXPECT_NE(info.fOut.find("\"bits\": 24"), std::string::npos) << info.fOut;

    const std::vector<std::string> settings = {"--bars", "2", "--sensitivity", "99", "--quiet"};
    auto exportTo = [&](const std::string& out, std::vector<std::string> extra) {
        std::vector<std::string> args = {"export", folder + "/loop.flac", "-o", out};
        args.insert(args.end(), settings.begin(), settings.end());
        args.insert(args.end(), extra.begin(), extra.end());
        return RunCli(args);
    };
    const SRun sfz = exportTo(folder + "/kit.sfz", {});
    ASSERT_EQ(sfz.fExitCode, 0) << sfz.fErr;
    EXPECT_NE(sfz.fErr.find("converted from FLAC to a 24-bit sound"), std::string::npos) << sfz.fErr;
    EXPECT_EQ(FilesIn(folder + "/kit_samples").size(), 8u);
    ASSERT_EQ(exportTo(folder + "/kit.h2drumkit", {}).fExitCode, 0);
    EXPECT_EQ(RunShell("tar -tzf '" + folder + "/kit.h2drumkit' | grep -c slice_").fOut, "8\n");

    EXPECT_EQ(exportTo(folder + "/marked.aif", {"--markers"}).fExitCode, 1);
    ASSERT_EQ(exportTo(folder + "/marked.wav", {"--markers"}).fExitCode, 0);
    const SRun marked = RunCli({"slice", folder + "/marked.wav", "--json"});
    ASSERT_EQ(marked.fExitCode, 0) << marked.fErr;
    EXPECT_NE(marked.fErr.find("8 slice markers of \"marked.wav\" became locked slices"), std::string::npos)
        << marked.fErr;
    size_t locked = 0;
    for (size_t at = 0; (at = marked.fOut.find("\"locked\"", at)) != std::string::npos; ++at) ++locked;
    EXPECT_EQ(locked, 8u);

    // A loop file with its checksum, then with the checksum not matching.
    ASSERT_EQ(RunCli({"save", folder + "/loop.flac", "-o", folder + "/loop.zx2", "--bars", "2", "--quiet"}).fExitCode,
              0);
    EXPECT_NE(RunCli({"info", folder + "/loop.zx2"}).fOut.find("checksum: matches"), std::string::npos);
    std::string bytes = ReadBytes(folder + "/loop.zx2");
    bytes[bytes.find("MD5 ") + 8] ^= 0x04;
    std::ofstream(folder + "/damaged.zx2", std::ios::binary) << bytes;
    const SRun damaged = RunCli({"slice", folder + "/damaged.zx2"});
    EXPECT_EQ(damaged.fExitCode, 2);
    EXPECT_NE(damaged.fErr.find("does not match its checksum"), std::string::npos) << damaged.fErr;
}
