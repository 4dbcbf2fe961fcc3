// export: the Export command's flow with the file and its type given on the
// command line and the settings dialog answered from flags.
#include <algorithm>
#include <cctype>
#include <iostream>

#include "cli/CliCommands.h"
#include "cli/CliSession.h"
#include "document/ZubrikDocument.h"
#include "io/ExportCommand.h"
#include "io/ExportFileFormat.h"

namespace NSZubrikCli {

using namespace NSZubrik;

namespace {

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string JoinNumbers(const std::vector<int32_t>& values)
{
    std::string text;
    for (int32_t value : values)
        text += (text.empty() ? "" : ", ") + std::to_string(value);
    return text;
}

// The export file type whose extension list holds the output's extension.
std::string ExtensionListFor(const std::filesystem::path& output)
{
    const std::string extension = Lowered(output.extension().string());
    for (const SExportFileType& type : GetExportFileTypes()) {
        const std::string& list = type.fExtensionList;
        for (size_t start = 0; start <= list.size();) {
            const size_t end = std::min(list.find(';', start), list.size());
            if (!extension.empty() && list.compare(start, end - start, extension) == 0)
                return list;
            start = end + 1;
        }
    }
    // The MIDI file is an export type of its own even where the save
    // dialog's list does not name it.
    if (extension == ".mid" || extension == ".midi")
        return ".mid;.midi";
    std::string known = ".mid";
    for (const SExportFileType& type : GetExportFileTypes()) {
        const std::string first = FirstExtension(type.fExtensionList);
        if ((known + ",").find(first + ",") == std::string::npos)
            known += ", " + first;
    }
    UsageError("export writes " + known + "; cannot tell the type of " + output.string());
}

// The export settings from --rate, --bits and --midi; a value the format
// does not allow is refused with the format's own choices.
class CConsoleExportSettings : public IExportSettingsDialog {
public:
    CConsoleExportSettings(std::optional<int32_t> rate, std::optional<int32_t> bits, bool midi)
        : fRate(rate), fBits(bits), fMidi(midi)
    {
    }

    bool Run(CExportSettingsDialogData& data) override
    {
        const auto allows = [](const std::vector<int32_t>& list, int32_t value) {
            return std::find(list.begin(), list.end(), value) != list.end();
        };
        if (fRate && !allows(data.fSampleRates, *fRate))
            fRefusal = "--rate: this file type takes " + JoinNumbers(data.fSampleRates) + " Hz";
        else if (fBits && !allows(data.fBitDepths, *fBits))
            fRefusal = "--bits: this file type takes " + JoinNumbers(data.fBitDepths) + " bits";
        else if (fMidi && !data.fOffersMidiFile)
            fRefusal = "--midi: this file type offers no MIDI file beside it";
        if (!fRefusal.empty())
            return false;
        // The standard choices unless a flag says otherwise: 44100 Hz where
        // the type allows it, 16 bits, no MIDI file.
        data.fSampleRate = fRate.value_or(allows(data.fSampleRates, 44100) ? 44100 : data.fSampleRates.front());
        data.fBitDepth = fBits.value_or(allows(data.fBitDepths, 16) ? 16 : data.fBitDepths.front());
        data.fExportMidiFile = fMidi;
        return true;
    }

    const std::string& GetRefusal() const { return fRefusal; }

private:
    std::optional<int32_t> fRate;
    std::optional<int32_t> fBits;
    bool fMidi;
    std::string fRefusal;
};

} // namespace

int RunExport(const TArguments& arguments)
{
    SFlagSet flags = CommonFlags();
    AddSettingsFlags(flags);
    flags.fValued.insert({"--output", "--rate"});
    flags.fValued.insert("--bits");
    flags.fSwitches.insert({"--one-sample", "--slices", "--midi", "--crop-ring-out", "--markers"});
    CArguments args(arguments, flags);
    if (args.GetFiles().size() != 1)
        UsageError("export takes one file");
    const std::filesystem::path output = args.RequireOutput();
    std::string extensionList = ExtensionListFor(output);
    if (args.Has("--markers")) {
        // The whole loop as one WAVE file with the slices as cue points.
        if (extensionList != ".wav;.wave")
            UsageError("--markers writes a .wav file");
        extensionList = ".wav";
    }
    if (args.Has("--one-sample") && args.Has("--slices"))
        UsageError("give either --one-sample or --slices, not both");
    const SSettings settings = ParseSettings(args);
    CConsoleExportSettings settingsDialog(args.Integer("--rate", 1, 1000000), args.Integer("--bits", 1, 64),
                                          args.Has("--midi"));

    CConsoleSession session(args);
    std::unique_ptr<CZubrikDocument> document = session.OpenDocument(args.GetFiles()[0]);
    session.ApplySettings(*document, settings, settings.NeedsPreview());
    // Per slice for a sound file, the stored switch for a loop file, unless
    // a flag decides.
    bool oneSample = document->HasLoopFile() && document->IsExportAsOneSample();
    if (args.Has("--one-sample") || args.Has("--slices"))
        oneSample = args.Has("--one-sample");
    if (oneSample != document->IsExportAsOneSample())
        document->ToggleExportAsOneSample();

    CExportPreferencesInMemory preferences;
    preferences.fStereoNoticeCounter = 0;
    CExportServices services;
    services.settingsDialog = &settingsDialog;
    services.preferences = &preferences;
    services.lengthy = session.GetLengthyServices();
    services.noRingOut = args.Has("--crop-ring-out");
    const EExportResult result = ExportDocumentTo(*document, SExportFileChoice{output, extensionList}, services);
    if (!settingsDialog.GetRefusal().empty())
        UsageError(settingsDialog.GetRefusal());
    switch (result) {
    case EExportResult::kExported:
        session.CheckInterrupted();
        return kExitSuccess;
    case EExportResult::kCancelled:
        session.CheckRefusals();
        throw XCliExit(kExitCancelled, "export stopped");
    case EExportResult::kFailed:
        session.CheckRefusals();
        throw XCliExit(kExitWriteFailed, "");
    default:
        // Nothing to export (the alert said why).
        throw XCliExit(kExitBadInput, "");
    }
}

} // namespace NSZubrikCli
