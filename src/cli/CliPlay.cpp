// play: the loop through the sound card, as the window's "Play loop" plays
// it. The document is opened and its settings applied as for render, so
// with a loop length given what is heard is what render writes. The device
// is the one named by --device, else the first that runs of the default
// device and then every device in order.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <thread>

#include "app/Alert.h"
#include "app/ConsoleAlerts.h"
#include "app/ResourceIds.h"
#include "audiodata/WaveSample.h"
#include "cli/CliCommands.h"
#include "cli/CliSession.h"
#include "document/ZubrikDocument.h"
#include "engine/AudioCardManager.h"

namespace NSZubrikCli {

using namespace NSZubrik;

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(50);
constexpr double kMaximumSeconds = 24.0 * 3600.0;

// Closes the device however the run ends.
struct SDeviceCloser {
    ~SDeviceCloser() { CAudioCardManager::DestroyAudioCardManager(); }
};

void ListDevices(CAudioCardManager& manager)
{
    const std::shared_ptr<NSSoundPortKit::IAudioDriver> preferred = manager.GetClient().GetDefaultDriver();
    for (const auto& driver : manager.GetDrivers())
        std::cout << (preferred && preferred->GetName() == driver->GetName() ? "* " : "  ") << driver->GetName()
                  << '\n';
}

// The named device: its full name, or a part of exactly one name.
void SelectNamedDevice(CAudioCardManager& manager, const std::string& name)
{
    std::shared_ptr<NSSoundPortKit::IAudioDriver> chosen = manager.FindDriver(name);
    if (!chosen) {
        NSSoundPortKit::TAudioDrivers matches;
        for (const auto& driver : manager.GetDrivers())
            if (driver->GetName().find(name) != std::string::npos)
                matches.push_back(driver);
        if (matches.size() != 1) {
            ShowAlert(kAlertTable, NSAlerts::kSoundCardNotFound, name);
            throw XCliExit(kExitBadInput, matches.empty() ? "no output device matches \"" + name +
                                                                "\" (see zubrik-cli play --list-devices)"
                                                          : "more than one output device matches \"" + name + "\"");
        }
        chosen = matches.front();
    }
    try {
        manager.SelectDriver(chosen);
    } catch (const std::exception&) {
    }
    if (!manager.IsRunning()) {
        ShowAlert(kAlertTable, NSAlerts::kSoundCardNotOpened, chosen->GetName());
        throw XCliExit(kExitBadInput, "cannot open the output device \"" + chosen->GetName() + "\"");
    }
}

void SelectDevice(CAudioCardManager& manager, const std::optional<std::string>& name)
{
    if (name) {
        SelectNamedDevice(manager, *name);
        return;
    }
    if (!manager.SelectFallbackDriver()) {
        ShowAlert(kAlertTable, NSAlerts::kNoSoundAvailable);
        throw XCliExit(kExitBadInput, "no audio output device could be opened");
    }
}

std::string Meter(float peak)
{
    constexpr int kWidth = 20;
    const int filled = std::clamp(int(std::lround(peak * kWidth)), 0, kWidth);
    return std::string(size_t(filled), '#') + std::string(size_t(kWidth - filled), ' ');
}

// One status line: the play position and the peak meter since the last line.
void ShowStatus(CZubrikSequencer& sequencer, int32_t waveRate)
{
    CPeakRecord& peaks = sequencer.GetMeterData();
    const float left = peaks.TakeLeftPeak();
    const float right = peaks.TakeRightPeak();
    const bool clipped = peaks.TakeClipped();
    std::ostringstream line;
    line << "\r" << std::fixed << std::setprecision(2) << std::setw(8)
         << double(sequencer.GetShownPosition()) / waveRate << " s  L [" << Meter(left) << "] R [" << Meter(right)
         << "] " << (clipped ? "CLIP" : "    ");
    std::cerr << line.str() << std::flush;
}

// Waits for the end: S seconds, Ctrl-C (exit 4) or a sequencer that stopped.
int PlayUntilEnd(CAudioCardManager& manager, CZubrikDocument& document, std::optional<double> seconds,
                 bool showStatus)
{
    CWavePlayer& player = manager.GetWavePlayer();
    CZubrikSequencer& sequencer = document.GetSequencer();
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        std::this_thread::sleep_for(kPollInterval);
        manager.Idle();
        player.Idle();
        if (showStatus)
            ShowStatus(sequencer, document.GetWaveSample().GetSampleRate());
        if (CConsoleInterrupt::IsRequested())
            return kExitCancelled;
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if ((seconds && elapsed.count() >= *seconds) || player.IsIdle())
            return kExitSuccess;
        if (!manager.IsRunning())
            throw XCliExit(kExitBadInput, "the output device stopped");
    }
}

std::string TempoText(const CZubrikDocument& document)
{
    if (!document.IsTempoMode())
        return "";
    std::ostringstream text;
    text << document.GetPreviewTempo() / 1000.0 << " BPM";
    return text.str();
}

SFlagSet PlayFlags()
{
    SFlagSet flags = CommonFlags();
    AddSettingsFlags(flags);
    flags.fValued.insert({"--seconds", "--device"});
    flags.fSwitches.insert("--list-devices");
    return flags;
}

} // namespace

int RunPlay(const TArguments& arguments)
{
    CArguments args(arguments, PlayFlags());
    const bool listOnly = args.Has("--list-devices");
    if (!listOnly && args.GetFiles().size() != 1)
        UsageError("play takes one file");
    const SSettings settings = ParseSettings(args);
    const std::optional<double> seconds = args.Seconds("--seconds", kMaximumSeconds);
    CConsoleSession session(args);
    SDeviceCloser closer;
    CAudioCardManager& manager = CAudioCardManager::GetAudioCardManager();
    if (listOnly) {
        ListDevices(manager);
        return kExitSuccess;
    }
    SelectDevice(manager, args.Value("--device"));
    session.GetPreferences().fOutputSampleRate = manager.GetOutputSampleRate();
    std::unique_ptr<CZubrikDocument> document = session.OpenDocument(args.GetFiles()[0]);
    // Tempo mode when a length or a tempo-mode setting is given (or the loop
    // file has it on); otherwise the loop plays unchanged, as in the window.
    session.ApplySettings(*document, settings, settings.NeedsPreview() || settings.fBars || settings.fBeats);
    CZubrikSequencer& sequencer = document->GetSequencer();
    sequencer.SetOutputSampleRate(manager.GetOutputSampleRate());

    const bool showStatus = !session.IsQuiet() && isatty(STDERR_FILENO) != 0;
    if (!session.IsQuiet())
        std::cerr << "zubrik-cli: playing " << DisplayName(args.GetFiles()[0])
                  << (document->IsTempoMode() ? " at " : " unchanged") << TempoText(*document) << " through \""
                  << manager.GetSelectedDriver()->GetName() << "\" (" << manager.GetOutputSampleRate()
                  << " Hz); Ctrl-C stops\n";
    CWavePlayer& player = manager.GetWavePlayer();
    player.PlaySequencer(sequencer, nullptr);
    document->PlayLoop();
    int exitCode = kExitSuccess;
    try {
        exitCode = PlayUntilEnd(manager, *document, seconds, showStatus);
    } catch (...) {
        // The audio thread lets go of the sequencer before the document goes.
        player.Stop();
        throw;
    }
    player.Stop();
    if (showStatus)
        std::cerr << '\n';
    return exitCode;
}

} // namespace NSZubrikCli
