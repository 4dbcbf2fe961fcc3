#include "io/ExportCommand.h"

#include <new>
#include <string>

#include "app/Alert.h"
#include "app/ResourceIds.h"
#include "app/ZubrikErrors.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/Exporter.h"
#include "document/ZubrikDocument.h"
#include "io/ExportFileFormat.h"
#include "io/MIDIExport.h"

namespace NSZubrik {

namespace {

constexpr const char* kMidiFileType = ".mid;.midi";

// The export types are the string list's file types from WAVE on; the
// entries before them are the program's own loop and document files.
constexpr int32_t kFirstExportType = NSStrings::kFileTypes + 6;
constexpr int32_t kExportTypeCount = 7;
// SFZ instrument, Hydrogen drum kit, marked WAVE file.
constexpr int32_t kMoreExportTypeCount = 3;

std::string Utf8Name(const std::filesystem::path& file)
{
    const std::u8string name = file.filename().u8string();
    return std::string(name.begin(), name.end());
}

std::string Narrow(const std::u16string& text)
{
    std::string narrow;
    for (char16_t c : text)
        narrow.push_back(c < 128 ? static_cast<char>(c) : '_');
    return narrow;
}

// A slice that sounds (shown and not muted) at or after the left locator and
// before the right one.
bool HasSoundingSliceInLoop(const CZubrikDocument& document)
{
    const CSliceSequence& slices = document.GetSliceSequence();
    const int32_t left = document.GetWaveSample().GetLoopStart();
    const int32_t right = document.GetWaveSample().GetLoopEnd();
    for (const CSlice& slice : slices)
        if (slice.GetPosition() >= left && slice.GetPosition() < right && slices.IsActive(slice))
            return true;
    return false;
}

// Used when no settings dialog is supplied: the offered values stand.
class CAcceptingSettingsDialog final : public IExportSettingsDialog {
public:
    bool Run(CExportSettingsDialogData&) override { return true; }
};

class CExportFlow {
public:
    CExportFlow(CZubrikDocument& document, const CExportServices& services)
        : fDocument(document), fServices(services)
    {
        fPreferences = services.preferences != nullptr ? services.preferences : &fOwnPreferences;
    }

    // False when the export stops before the file dialog (the result says
    // why).
    bool Prepare();
    void AskForFileAndExport();
    void ExportTo(const SExportFileChoice& choice);
    EExportResult GetResult() const { return fResult; }

private:
    void ExportSound(CABCExportFileFormat& format, const std::filesystem::path& file);
    void WarnTooManySlices(const CABCExportFileFormat& format) const;
    void WarnStereo(const CABCExportFileFormat& format);
    bool EditSettings(CABCExportFileFormat& format);
    void ExportMidiBeside(const CABCExportFileFormat& format, const std::filesystem::path& file);
    void ReportFailure(const std::filesystem::path& file);

    CZubrikDocument& fDocument;
    const CExportServices& fServices;
    IExportPreferences* fPreferences;
    CExportPreferencesInMemory fOwnPreferences;
    std::unique_ptr<CExporter> fExporter;
    EExportResult fResult = EExportResult::kCancelled;
};

bool CExportFlow::Prepare()
{
    if (!fDocument.AskForLoopLength())
        return false;
    const bool noRingOut = fServices.noRingOut.value_or(fPreferences->GetNoRingOut());
    fExporter = std::make_unique<CExporter>(fDocument.GetName(), fDocument.GetSequencer(),
                                            !fDocument.IsExportAsOneSample(), noRingOut);
    if (!HasSoundingSliceInLoop(fDocument) || fExporter->GetExportedSliceCount() == 0) {
        ShowAlert(kAlertTable, NSAlerts::kNoSoundingSlices);
        fResult = EExportResult::kNothingToExport;
        return false;
    }
    return true;
}

void CExportFlow::AskForFileAndExport()
{
    if (fServices.fileDialog == nullptr)
        return;
    const std::optional<SExportFileChoice> choice =
        fServices.fileDialog->AskForFile(fDocument.GetName(), GetExportFileTypes(), fPreferences->GetExportFileType());
    if (!choice)
        return;
    fPreferences->SetExportFileType(choice->fExtensionList);
    ExportTo(*choice);
}

void CExportFlow::ExportTo(const SExportFileChoice& choice)
{
    try {
        if (choice.fExtensionList == kMidiFileType) {
            if (fServices.midiExport)
                fServices.midiExport(*fExporter, choice.fFile);
            else
                ExportMIDIFile(*fExporter, choice.fFile);
        } else {
            const std::unique_ptr<CABCExportFileFormat> format =
                fServices.formatFactory ? fServices.formatFactory(choice.fExtensionList)
                                        : CreateExportFileFormat(choice.fExtensionList);
            ExportSound(*format, choice.fFile);
        }
        fResult = EExportResult::kExported;
    } catch (const XUserAbortedExport&) {
        fResult = EExportResult::kCancelled;
    } catch (const XUserPressedStop&) {
        fResult = EExportResult::kCancelled;
    } catch (const XAlertAlreadyShown&) {
        fResult = EExportResult::kFailed;
    } catch (...) {
        ReportFailure(choice.fFile);
        fResult = EExportResult::kFailed;
    }
}

void CExportFlow::ExportSound(CABCExportFileFormat& format, const std::filesystem::path& file)
{
    format.PrepareForLoop(*fExporter);
    WarnTooManySlices(format);
    WarnStereo(format);
    if (!EditSettings(format))
        throw XUserAbortedExport();
    fExporter->SetSampleRate(format.GetSampleRate());
    {
        CZubrikLengthyOperation operation(ProgressText(NSStrings::kSlicesLeft), ProgressText(NSStrings::kCancel),
                                          true, fServices.lengthy);
        format.Export(*fExporter, file, operation);
        operation.Finish();
    }
    if (format.OffersMidiFile() && format.GetExportMidiFile())
        ExportMidiBeside(format, file);
}

void CExportFlow::ExportMidiBeside(const CABCExportFileFormat& format, const std::filesystem::path& file)
{
    try {
        if (fServices.midiExportBeside)
            fServices.midiExportBeside(*fExporter, format, file);
        else
            ExportMIDIFileBeside(*fExporter, format, file);
    } catch (const XSilent&) {
        throw;
    } catch (...) {
        // The sound is written; the failure is the MIDI file's, so name it.
        ReportFailure(std::filesystem::path(file).replace_extension(".mid"));
        throw XAlertAlreadyShown();
    }
}

void CExportFlow::WarnTooManySlices(const CABCExportFileFormat& format) const
{
    const int32_t count = fExporter->GetSliceCount();
    if (!format.HasKeyRange() || count <= format.GetMaxSlices())
        return;
    const std::string maximum = std::to_string(format.GetMaxSlices());
    // Buttons: Cancel, OK.
    if (ShowAlert(kAlertTable, NSAlerts::kTooManySlices, std::to_string(count), maximum, maximum) != kLastButton)
        throw XUserAbortedExport();
}

void CExportFlow::WarnStereo(const CABCExportFileFormat& format)
{
    if (!fExporter->IsStereo() || format.SupportsStereo())
        return;
    const int32_t counter = fPreferences->GetStereoExportNoticeCounter();
    if (counter > 0) {
        ShowAlert(kAlertTable, NSAlerts::kStereoMixedToMono);
        fPreferences->SetStereoExportNoticeCounter(counter - 1);
    }
    fExporter->SetMixToMono(true);
}

bool CExportFlow::EditSettings(CABCExportFileFormat& format)
{
    format.SetRememberedSettings(fPreferences->GetExportSampleRate(), fPreferences->GetExportBitDepth(),
                                 fPreferences->GetExportMidiFile());
    CAcceptingSettingsDialog accepting;
    IExportSettingsDialog& dialog = fServices.settingsDialog != nullptr ? *fServices.settingsDialog : accepting;
    if (!format.EditSettings(dialog))
        return false;
    fPreferences->SetExportSampleRate(format.GetSampleRate());
    fPreferences->SetExportBitDepth(format.GetBitDepth());
    if (format.OffersMidiFile())
        fPreferences->SetExportMidiFile(format.GetExportMidiFile());
    return true;
}

void CExportFlow::ReportFailure(const std::filesystem::path& file)
{
    int32_t alert = NSAlerts::kExportFailed;
    try {
        throw;
    } catch (const XDiskFull&) {
        alert = NSAlerts::kExportDiskFull;
    } catch (const XItemBusy&) {
        alert = NSAlerts::kExportFileBusy;
    } catch (const XCreateFailed&) {
        alert = NSAlerts::kExportCreateFailed;
    } catch (...) {
        alert = NSAlerts::kExportFailed;
    }
    try {
        ShowAlert(kAlertTable, alert, Utf8Name(file));
    } catch (...) {
        // A presenter that cannot show the alert leaves nothing more to do.
    }
}

// Failures before a file is chosen (building the exporter) have no file name
// to report.
void ReportEarlyFailure() noexcept
{
    try {
        try {
            throw;
        } catch (const std::bad_alloc&) {
            ShowAlert(kAlertTable, NSAlerts::kOutOfMemoryTryAgain);
        } catch (...) {
            ShowAlert(kAlertTable, NSAlerts::kInternalError);
        }
    } catch (...) {
    }
}

} // namespace

const std::vector<SExportFileType>& GetExportFileTypes()
{
    static const std::vector<SExportFileType> types = [] {
        std::vector<SExportFileType> list;
        for (int32_t type = 0; type < kExportTypeCount; ++type) {
            const int32_t entry = kFirstExportType + 2 * type;
            list.push_back({ProgressText(entry), Narrow(ProgressText(entry + 1))});
        }
        for (int32_t type = 0; type < kMoreExportTypeCount; ++type) {
            const int32_t entry = NSStrings::kMoreExportTypes + 2 * type;
            list.push_back({ProgressText(entry), Narrow(ProgressText(entry + 1))});
        }
        return list;
    }();
    return types;
}

std::string FirstExtension(const std::string& extensionList)
{
    return extensionList.substr(0, extensionList.find(';'));
}

EExportResult ExportDocument(CZubrikDocument& document, const CExportServices& services)
{
    try {
        CExportFlow flow(document, services);
        if (!flow.Prepare())
            return flow.GetResult();
        flow.AskForFileAndExport();
        return flow.GetResult();
    } catch (...) {
        ReportEarlyFailure();
        return EExportResult::kFailed;
    }
}

EExportResult ExportDocumentTo(CZubrikDocument& document, const SExportFileChoice& choice,
                               const CExportServices& services)
{
    try {
        CExportFlow flow(document, services);
        if (!flow.Prepare())
            return flow.GetResult();
        flow.ExportTo(choice);
        return flow.GetResult();
    } catch (...) {
        ReportEarlyFailure();
        return EExportResult::kFailed;
    }
}

} // namespace NSZubrik
