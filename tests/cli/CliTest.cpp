// End-to-end checks of the built zubrik-cli; outputs read back with the
// program's own readers and with sox.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <tuple>

#include "CliTestSupport.h"
#include "TestSupport.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZubrikFile.h"
#include "document/ZubrikDocument.h"
#include "io/SoundFileReader.h"

using namespace NSCliTest;
using namespace NSZubrik;

namespace {

std::string DemoLoop() {
    return NSTestSupport::SourcePath("examples/demo-loop.wav");
}

void ExpectSameSound(const CABCWaveSample& a, const CABCWaveSample& b) {
    ASSERT_EQ(a.GetFrameCount(), b.GetFrameCount());
    ASSERT_EQ(a.IsStereo(), b.IsStereo());
    EXPECT_EQ(a.GetSampleRate(), b.GetSampleRate());
    for (int32_t channel = 1; channel <= (a.IsStereo() ? 2 : 1); ++channel)
        for (int32_t frame = 0; frame < a.GetFrameCount(); ++frame)
            ASSERT_EQ(a.GetInt24(frame, channel), b.GetInt24(frame, channel)) << "frame " << frame;
}

} // namespace

TEST(Cli, InfoAndSliceMatchTheDocumentsOwnAnalysis) {
    const SRun info = RunCli({"info", "--json", DemoLoop()});
    ASSERT_EQ(info.fExitCode, 0) << info.fErr;
    EXPECT_EQ(Field(info.fOut, "frames"), "176400");
    EXPECT_EQ(Field(info.fOut, "channels"), "2");
    EXPECT_EQ(Field(info.fOut, "format"), "\"WAVE\"");

    const SRun slice = RunCli({"slice", "--json", "--sensitivity", "60", DemoLoop()});
    ASSERT_EQ(slice.fExitCode, 0) << slice.fErr;
    EXPECT_EQ(Field(slice.fOut, "sensitivity"), "60");
    std::unique_ptr<CZubrikDocument> document =
        CZubrikDocument::CreateFromSoundFile(LoadSoundFile(DemoLoop()), DemoLoop());
    document->SetSensitivity(60);
    const CSliceSequence& slices = document->GetSliceSequence();
    size_t at = 0;
    for (const CSlice& s : slices) {
        at = slice.fOut.find("{\"position\": ", at);
        ASSERT_NE(at, std::string::npos);
        const std::string entry = slice.fOut.substr(at, slice.fOut.find('}', at) - at + 1);
        EXPECT_EQ(Field(entry, "position"), std::to_string(s.GetPosition()));
        EXPECT_EQ(Field(entry, "strength"), std::to_string(s.GetStrength()));
        EXPECT_EQ(Field(entry, "shown"), slices.IsShown(s) ? "true" : "false");
        EXPECT_EQ(Field(entry, "length"), std::to_string(s.GetLength()));
        ++at;
    }
    EXPECT_EQ(slice.fOut.find("{\"position\": ", at), std::string::npos) << "more slices than the document";
}

TEST(Cli, ConvertKeepsEverySampleBetweenWaveAiffAndLoopFile) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    const std::string source = folder + "/clicks.wav";
    WriteClickLoop(source, 30000, 5000, true);
    ASSERT_EQ(RunCli({"convert", source, "-o", folder + "/a.zx2", "--bars", "1"}).fExitCode, 0);
    ASSERT_EQ(RunCli({"convert", folder + "/a.zx2", "-o", folder + "/b.wav"}).fExitCode, 0);
    ASSERT_EQ(RunCli({"convert", folder + "/b.wav", "-o", folder + "/c.aif"}).fExitCode, 0);
    const std::unique_ptr<CABCWaveSample> original = LoadSoundFile(source);
    for (const char* name : {"/b.wav", "/c.aif"})
        ExpectSameSound(*original, *LoadSoundFile(folder + name));
    CZubrikFile loop(folder + "/a.zx2");
    ExpectSameSound(*original, *loop.ReadSample(nullptr));

    // A loop file converted to a loop file keeps its slices and settings.
    ASSERT_EQ(RunCli({"save", source, "-o", folder + "/s.zx2", "--bars", "1", "--sensitivity", "70",
                      "--tempo", "101.5"}).fExitCode, 0);
    ASSERT_EQ(RunCli({"convert", folder + "/s.zx2", "-o", folder + "/t.zx2"}).fExitCode, 0);
    const std::unique_ptr<CZubrikDocument> s = CZubrikDocument::OpenFile(folder + "/s.zx2");
    const std::unique_ptr<CZubrikDocument> t = CZubrikDocument::OpenFile(folder + "/t.zx2");
    EXPECT_EQ(s->GetParameters(), t->GetParameters());
    EXPECT_EQ(t->GetPreviewTempo(), 101500);
    EXPECT_EQ(t->GetSliceSequence().GetSensitivity(), 70);
    ASSERT_EQ(s->GetSliceSequence().GetCount(), t->GetSliceSequence().GetCount());
    for (int32_t i = 0; i < s->GetSliceSequence().GetCount(); ++i)
        EXPECT_EQ(s->GetSliceSequence().GetSlice(i).GetPosition(), t->GetSliceSequence().GetSlice(i).GetPosition());

    const SRun info = RunCli({"info", "--json", folder + "/s.zx2"});
    EXPECT_EQ(Field(info.fOut, "bars"), "1");
    EXPECT_EQ(Field(info.fOut, "slices"), std::to_string(t->GetSliceSequence().GetCount()));
    EXPECT_EQ(Field(info.fOut, "tempo"), "101.500");

    if (HaveSox()) {
        const SRun frames = RunShell("sox --i -s '" + folder + "/b.wav'");
        EXPECT_EQ(frames.fOut, "30000\n");
    }
}

TEST(Cli, SaveStoresSettingsInTheLoopFilesUnits) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    const std::string out = folder + "/set.zx2";
    const SRun run = RunCli({"save", DemoLoop(), "-o", out, "--sign", "3/4", "--bars", "2", "--beats", "1",
                             "--tempo", "123.456", "--gain", "6", "--pitch", "-300", "--envelope", "Tighten Up",
                             "--shaper", "10,20,30,200", "--eq", "Bass Remove", "--sensitivity", "50"});
    ASSERT_EQ(run.fExitCode, 0) << run.fErr;
    CZubrikFile file(out);
    CZubrikLoopParameters p;
    file.ReadParameters(p, 44100);
    // Gain 6 dB is round(1000 * 10^(6/20)) = 1995.
    EXPECT_EQ(std::tuple(p.fSignatureNumerator, p.fSignatureDenominator, p.fBars, p.fBeats, p.fPreviewTempo,
                         p.fProcessingGain, p.fPitch),
              std::tuple(3, 4, 2, 1, 123456, 1995, -300));
    EXPECT_EQ(std::tuple(p.fEnvelopeOn, p.fEnvelopeAttack, p.fEnvelopeDecay, p.fEnvelopeStretch),
              std::tuple(true, 21, 478, 0));
    EXPECT_EQ(std::tuple(p.fShaperOn, p.fShaperThreshold, p.fShaperRelease), std::tuple(true, 10, 200));
    EXPECT_EQ(std::tuple(p.fEqualizerOn, p.fEqualizerLowCut, p.fEqualizerLowGain, p.fEqualizerLowQ,
                         p.fEqualizerHighGain, p.fEqualizerHighQ, p.fEqualizerHighCut),
              std::tuple(true, 340, -4000, 500, -3600, 1000, 7233));
}

TEST(Cli, RenderIsReproducibleAndDepthsAgree) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    const std::vector<std::string> common = {DemoLoop(), "--bars", "2", "--sensitivity", "50", "--tempo", "96"};
    auto render = [&](const std::string& out, std::vector<std::string> extra) {
        std::vector<std::string> args = {"render", "-o", out};
        args.insert(args.end(), common.begin(), common.end());
        args.insert(args.end(), extra.begin(), extra.end());
        return RunCli(args);
    };
    ASSERT_EQ(render(folder + "/f1.wav", {"--seconds", "1.5", "--bits", "32f"}).fExitCode, 0);
    ASSERT_EQ(render(folder + "/f2.wav", {"--seconds", "1.5", "--bits", "32f", "--rate", "44100"}).fExitCode, 0);
    ASSERT_EQ(render(folder + "/i16.wav", {"--seconds", "1.5", "--bits", "16"}).fExitCode, 0);
    ASSERT_EQ(render(folder + "/loop.wav", {}).fExitCode, 0);
    EXPECT_EQ(ReadBytes(folder + "/f1.wav"), ReadBytes(folder + "/f2.wav"));

    // One loop of two 4/4 bars at 96 BPM lasts five seconds; the default
    // render is 24-bit at the sound's own rate, and opens again.
    EXPECT_EQ(LoadSoundFile(folder + "/loop.wav")->GetFrameCount(), 220500);
    EXPECT_EQ(LoadSoundFile(folder + "/loop.wav")->GetBitDepth(), 24);
    const std::string loop48 = folder + "/loop48.wav";
    WriteClickLoop(loop48, 96000, 12000, true, 48000);
    ASSERT_EQ(RunCli({"render", loop48, "-o", folder + "/r48.wav", "--sensitivity", "99", "--bars", "1"}).fExitCode, 0);
    EXPECT_EQ(LoadSoundFile(folder + "/r48.wav")->GetSampleRate(), 48000);
    ASSERT_EQ(RunCli({"render", loop48, "-o", folder + "/r44.wav", "--sensitivity", "99", "--bars", "1", "--rate",
                      "44100"}).fExitCode, 0);
    EXPECT_EQ(LoadSoundFile(folder + "/r44.wav")->GetSampleRate(), 44100);

    // The float file (58-byte header) and the 16-bit file hold the same
    // render, the latter clipped and quantised.
    const std::string floats = ReadBytes(folder + "/f1.wav");
    ASSERT_EQ(floats.size(), 58u + 66150u * 8u);
    const std::unique_ptr<CABCWaveSample> ints = LoadSoundFile(folder + "/i16.wav");
    ASSERT_EQ(ints->GetFrameCount(), 66150);
    double energy = 0.0;
    for (int32_t frame = 0; frame < 66150; frame += 7) {
        float value = 0.0f;
        std::memcpy(&value, floats.data() + 58 + size_t(frame) * 8, 4);
        energy += double(value) * value;
        const double expected = std::clamp(value, -1.0f, 1.0f) * 32768.0;
        ASSERT_NEAR(ints->GetInt16(frame, 1), std::clamp(expected, -32768.0, 32767.0), 1.01) << frame;
    }
    EXPECT_GT(energy, 1.0) << "the render is silent";

    if (HaveSox()) {
        EXPECT_EQ(RunShell("sox --i -s '" + folder + "/f1.wav'").fOut, "66150\n");
        EXPECT_EQ(RunShell("sox --i -e '" + folder + "/f1.wav'").fOut, "Floating Point PCM\n");
        EXPECT_EQ(RunShell("sox --i -b '" + folder + "/loop.wav'").fOut, "24\n");
        EXPECT_EQ(RunShell("sox '" + folder + "/i16.wav' -n 2>&1 >/dev/null; echo $?").fOut, "0\n");
    }
}

TEST(Cli, ExportWritesNumberedSlicesAndAsksBeforeReplacing) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    const std::vector<std::string> base = {"export", DemoLoop(), "--bars", "2", "--sensitivity", "50", "--slices"};
    auto exportTo = [&](const std::string& out, std::vector<std::string> extra) {
        std::vector<std::string> args = base;
        args.push_back("-o");
        args.push_back(out);
        args.insert(args.end(), extra.begin(), extra.end());
        return RunCli(args);
    };
    ASSERT_EQ(exportTo(folder + "/Beat.wav", {}).fExitCode, 0);
    EXPECT_EQ(FilesIn(folder).size(), 17u);
    const std::unique_ptr<CABCWaveSample> first = LoadSoundFile(folder + "/Beat 001.wav");
    EXPECT_EQ(first->GetSampleRate(), 44100);
    EXPECT_TRUE(std::filesystem::exists(folder + "/Beat 017.wav"));

    const SRun again = exportTo(folder + "/Beat.wav", {});
    EXPECT_EQ(again.fExitCode, 1);
    EXPECT_NE(again.fErr.find("--replace-all"), std::string::npos) << again.fErr;
    EXPECT_EQ(exportTo(folder + "/Beat.wav", {"--replace-all"}).fExitCode, 0);

    const SRun midi = exportTo(folder + "/Beat.mid", {});
    ASSERT_EQ(midi.fExitCode, 0) << midi.fErr;
    EXPECT_EQ(CountMidiNotes(folder + "/Beat.mid"), 17);

    // Every sampler format through the same flow, each answering its own
    // questions from the flags.
    for (const char* extension : {".akp", ".sf2", ".ins", ".trk"}) {
        const std::string kit = NSTestSupport::TemporaryFolder() + "/Kit" + extension;
        const SRun run = exportTo(kit, {"--yes", "--replace-all"});
        EXPECT_EQ(run.fExitCode, 0) << extension << ": " << run.fErr;
        EXPECT_TRUE(std::filesystem::exists(kit)) << extension;
    }

    const SRun badRate = exportTo(folder + "/x.wav", {"--rate", "12345"});
    EXPECT_EQ(badRate.fExitCode, 1);
    EXPECT_NE(badRate.fErr.find("44100"), std::string::npos) << badRate.fErr;
}

TEST(Cli, ProcessRunsTheProcessCommands) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    const std::string source = folder + "/quiet.wav";
    WriteClickLoop(source, 20000, 4000, true);
    ASSERT_EQ(RunCli({"process", source, "-o", folder + "/n.wav", "--normalize", "whole"}).fExitCode, 0);
    const std::unique_ptr<CABCWaveSample> normalized = LoadSoundFile(folder + "/n.wav");
    int32_t peak = 0;
    for (int32_t frame = 0; frame < normalized->GetFrameCount(); ++frame)
        peak = std::max(peak, std::abs(int32_t(normalized->GetInt16(frame, 1))));
    EXPECT_GE(peak, 32760);

    ASSERT_EQ(RunCli({"process", source, "-o", folder + "/c.wav", "--crop", "--left", "1000", "--right", "9000"})
                  .fExitCode, 0);
    EXPECT_EQ(LoadSoundFile(folder + "/c.wav")->GetFrameCount(), 8000);
    ASSERT_EQ(RunCli({"process", source, "-o", folder + "/m.wav", "--mono", "left"}).fExitCode, 0);
    EXPECT_FALSE(LoadSoundFile(folder + "/m.wav")->IsStereo());
    ASSERT_EQ(RunCli({"process", source, "-o", folder + "/r.wav", "--convert", "22050/24"}).fExitCode, 0);
    const std::unique_ptr<CABCWaveSample> converted = LoadSoundFile(folder + "/r.wav");
    EXPECT_EQ(converted->GetFrameCount(), 10000);
    EXPECT_EQ(converted->GetBitDepth(), 24);
    EXPECT_EQ(RunCli({"process", source, "-o", folder + "/z.wav", "--convert", "12000"}).fExitCode, 1);
}

TEST(Cli, BadInputAndBadFlagsGiveTheirExitCodesAndMessages) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    const SRun missing = RunCli({"slice", folder + "/none.wav"});
    EXPECT_EQ(missing.fExitCode, 2);
    EXPECT_NE(missing.fErr.find("No such file or directory"), std::string::npos) << missing.fErr;

    std::ofstream(folder + "/text.wav") << "this is not a sound file at all";
    const SRun unsupported = RunCli({"info", folder + "/text.wav"});
    EXPECT_EQ(unsupported.fExitCode, 2);
    EXPECT_NE(unsupported.fErr.find("unknown format or corrupt"), std::string::npos);

    ASSERT_EQ(RunCli({"convert", DemoLoop(), "-o", folder + "/good.zx2", "--bars", "2"}).fExitCode, 0);
    std::string bytes = ReadBytes(folder + "/good.zx2");
    for (size_t i = 200; i < bytes.size(); i += 97)
        bytes[i] = char(bytes[i] ^ 0x5A);
    std::ofstream(folder + "/corrupt.zx2", std::ios::binary) << bytes;
    const SRun corrupt = RunCli({"convert", folder + "/corrupt.zx2", "-o", folder + "/out.wav"});
    EXPECT_EQ(corrupt.fExitCode, 2);
    EXPECT_NE(corrupt.fErr.find("Couldn't open file \"corrupt.zx2\"!"), std::string::npos) << corrupt.fErr;
    EXPECT_FALSE(std::filesystem::exists(folder + "/out.wav"));

    const std::vector<std::pair<std::vector<std::string>, std::string>> refusals = {
        {{"--tempo", "19.999"}, "20 to 450"},     {{"--tempo", "120.1234"}, "three decimals"},
        {{"--gain", "18.1"}, "7943"},             {{"--pitch", "2401"}, "-2400 to 2400"},
        {{"--envelope", "1,2"}, "3 comma"},       {{"--shaper", "128,0,0,0"}, "0 to 127"},
        {{"--sensitivity", "100"}, "0 to 99"},    {{"--beats", "8"}, "0 to 7"},
        {{"--sign", "4/5"}, "2/4, 3/4"},          {{"--bits", "20"}, "16, 24 or 32f"},
        {{"--frobnicate"}, "unknown flag"},       {{"--seconds", "1", "--loops", "2"}, "either"}};
    for (const auto& [flags, text] : refusals) {
        std::vector<std::string> args = {"render", DemoLoop(), "-o", folder + "/r.wav", "--bars", "2"};
        args.insert(args.end(), flags.begin(), flags.end());
        const SRun run = RunCli(args);
        EXPECT_EQ(run.fExitCode, 1) << flags[0];
        EXPECT_NE(run.fErr.find(text), std::string::npos) << flags[0] << ": " << run.fErr;
    }
    const SRun noLength = RunCli({"render", DemoLoop(), "-o", folder + "/r.wav"});
    EXPECT_EQ(noLength.fExitCode, 1);
    EXPECT_NE(noLength.fErr.find("--sensitivity"), std::string::npos) << noLength.fErr;
    EXPECT_FALSE(std::filesystem::exists(folder + "/r.wav"));
}

TEST(Cli, StoppedOrFailedWritesLeaveNothingBehind) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    const SRun stopped = RunCliAndInterrupt({"render", DemoLoop(), "-o", folder + "/long.wav", "--bars", "2",
                                             "--sensitivity", "50", "--seconds", "3000"},
                                            300);
    EXPECT_EQ(stopped.fExitCode, 4) << stopped.fErr;
    EXPECT_TRUE(FilesIn(folder).empty()) << FilesIn(folder).front();

    const SRun unwritable = RunCli({"convert", DemoLoop(), "-o", folder + "/no/such/folder/x.wav"});
    EXPECT_EQ(unwritable.fExitCode, 3);
    EXPECT_NE(unwritable.fErr.find("x.wav"), std::string::npos) << unwritable.fErr;
    EXPECT_TRUE(FilesIn(folder).empty());
}

TEST(Cli, EverySubcommandHasHelp) {
    for (const char* name : {"info", "slice", "convert", "save", "render", "export", "process", "play", "demo"}) {
        const SRun help = RunCli({name, "--help"});
        EXPECT_EQ(help.fExitCode, 0) << name;
        EXPECT_NE(help.fOut.find(std::string("zubrik-cli ") + name), std::string::npos) << name;
    }
    // (play on a real device is checked against a JACK server in test_jack.)
    const SRun play = RunCli({"play", DemoLoop(), "--device", "no such card"});
    EXPECT_EQ(play.fExitCode, 2);
    EXPECT_NE(play.fErr.find("no output device matches"), std::string::npos) << play.fErr;
}

TEST(Cli, DemoWritesItsFilesAndSaysWhere) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    const SRun demo = RunCli({"demo", DemoLoop(), "--out", folder, "--quiet"});
    ASSERT_EQ(demo.fExitCode, 0) << demo.fErr;
    EXPECT_NE(demo.fOut.find("files written to " + folder), std::string::npos);
    EXPECT_EQ(LoadSoundFile(folder + "/demo-loop-96bpm.wav")->GetFrameCount(), 441000);  // two loops at 96 BPM
    EXPECT_EQ(CZubrikFile(folder + "/demo-loop.zx2").GetFileInfo().fBars, 2);
    EXPECT_EQ(CountMidiNotes(folder + "/demo-loop.mid"), 17);
}

TEST(Cli, GateGivesTheSameLengthsOnASoundFileAsOnItsLoopFile) {
    const std::string folder = NSTestSupport::TemporaryFolder();
    ASSERT_EQ(RunCli({"save", DemoLoop(), "-o", folder + "/loop.zx2", "--bars", "2"}).fExitCode, 0);
    const auto lengths = [](const std::string& file) {
        const SRun run = RunCli({"slice", "--json", "--sensitivity", "50", "--gate", "500", file});
        EXPECT_EQ(run.fExitCode, 0) << run.fErr;
        std::vector<std::string> found;
        for (size_t at = run.fOut.find("\"length\": "); at != std::string::npos;
             at = run.fOut.find("\"length\": ", at + 1))
            found.push_back(Field(run.fOut.substr(at), "length"));
        return found;
    };
    const std::vector<std::string> fromSound = lengths(DemoLoop());
    EXPECT_EQ(fromSound, lengths(folder + "/loop.zx2"));
    EXPECT_GT(std::set<std::string>(fromSound.begin(), fromSound.end()).size(), 2u) << "one gated length for all";
}
