// demo: the tour `make run` gives without a display. It runs the ordinary
// subcommands on a loop, one after another, and says where the files went.
#include <cstdlib>
#include <iostream>

#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/CliSession.h"

namespace NSZubrikCli {

namespace {

// The loop length as a newcomer would leave it: chosen from the loop.
constexpr const char* kDemoBars = "auto";
constexpr const char* kDemoTempo = "96";
// A new document shows no slice until its sensitivity is raised.
constexpr const char* kDemoSensitivity = "50";

std::filesystem::path DefaultOutputFolder()
{
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/')
        return std::filesystem::path(data) / "zubrik" / "demo";
    return std::filesystem::temp_directory_path() / "zubrik-demo";
}

void Step(const std::string& title)
{
    std::cout << "\n== " << title << "\n" << std::flush;
}

} // namespace

int RunDemo(const TArguments& arguments)
{
    SFlagSet flags = CommonFlags();
    flags.fValued.insert("--out");
    CArguments args(arguments, flags);
    if (args.GetFiles().size() != 1)
        UsageError("demo takes one loop (the bundled one is examples/demo-loop.wav)");
    const std::string loop = args.GetFiles()[0];
    const std::filesystem::path folder = args.Value("--out") ? std::filesystem::path(*args.Value("--out"))
                                                             : DefaultOutputFolder();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw XCliExit(kExitWriteFailed, "cannot create the folder " + folder.string() + ": " + error.message());
    const std::string stem = std::filesystem::path(loop).stem().string();
    const std::string rendered = (folder / (stem + "-" + kDemoTempo + "bpm.wav")).string();
    const std::string loopFile = (folder / (stem + ".zx2")).string();
    const std::string soundFont = (folder / (stem + ".sf2")).string();
    // The demo's own --quiet goes on to every step.
    const auto with = [&](TArguments step) {
        if (args.Has("--quiet"))
            step.push_back("--quiet");
        return step;
    };

    const std::string midiFile = (folder / (stem + ".mid")).string();
    const std::vector<std::string> written = {rendered, loopFile, soundFont, midiFile};
    // A demo run again starts afresh rather than asking about its own files.
    for (const std::string& file : written)
        std::filesystem::remove(file, error);

    std::cout << "Zubrik demo on " << loop << "\n";
    Step("info");
    RunInfo({loop});
    Step("slice");
    RunSlice(with({loop, "--sensitivity", kDemoSensitivity}));
    Step(std::string("render at ") + kDemoTempo + " BPM (two loops)");
    RunRender(with({loop, "-o", rendered, "--sensitivity", kDemoSensitivity, "--bars", kDemoBars, "--tempo",
                    kDemoTempo, "--loops", "2", "--bits", "16"}));
    Step("save as a loop file");
    RunSave(with({loop, "-o", loopFile, "--sensitivity", kDemoSensitivity, "--bars", kDemoBars}));
    Step("export SoundFont and MIDI file");
    try {
        RunExport(with({loopFile, "-o", soundFont, "--slices", "--midi", "--yes", "--replace-all"}));
    } catch (const XCliExit& failure) {
        // A build without the SoundFont writer still shows the MIDI file.
        std::cout << "(the SoundFont export did not succeed" << (failure.GetMessage().empty() ? "" : ": ")
                  << failure.GetMessage() << "; exporting the MIDI file alone)\n";
        RunExport(with({loopFile, "-o", midiFile, "--slices", "--yes"}));
    }
    Step("files written to " + folder.string());
    for (const std::string& file : written)
        if (std::filesystem::exists(file))
            std::cout << "  " << file << "\n";
    return kExitSuccess;
}

} // namespace NSZubrikCli
