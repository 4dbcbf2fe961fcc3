#include "cli/CliSession.h"

#include <iostream>
#include <unistd.h>

#include "app/Alert.h"
#include "app/ResourceIds.h"
#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZubrikFile.h"
#include "document/ZubrikDocument.h"
#include "io/SoundFileReader.h"

namespace NSZubrikCli {

using namespace NSZubrik;

namespace {

// The alert of a file that cannot be opened.
constexpr int32_t kUnknownFormatAlert = 2006;

[[noreturn]] void Cancelled()
{
    throw XCliExit(kExitCancelled, "stopped");
}

[[noreturn]] void BadInput(const std::filesystem::path& file, int32_t alert)
{
    ShowAlert(kAlertTable, alert, DisplayName(file));
    throw XCliExit(kExitBadInput, "");
}

} // namespace

std::string DisplayName(const std::filesystem::path& file)
{
    const std::u8string name = file.filename().u8string();
    return std::string(name.begin(), name.end());
}

void ReportWriteFailure(const std::filesystem::path& file)
{
    const std::string name = DisplayName(file);
    try {
        throw;
    } catch (const XUserPressedStop&) {
        Cancelled();
    } catch (const XUserAbortedExport&) {
        Cancelled();
    } catch (const XUserInterrupted&) {
        Cancelled();
    } catch (const XZBX2UserAborted&) {
        Cancelled();
    } catch (const XDiskFull&) {
        throw XCliExit(kExitWriteFailed, "cannot write " + name + ": the disk is full");
    } catch (const XItemBusy&) {
        throw XCliExit(kExitWriteFailed, "cannot write " + name + ": the file is locked or in use");
    } catch (const XCreateFailed&) {
        throw XCliExit(kExitWriteFailed, "cannot create " + name + " (is the folder there and writable?)");
    } catch (const std::exception& failure) {
        throw XCliExit(kExitWriteFailed, "cannot write " + name + ": " + failure.what());
    }
}

CConsoleSession::CConsoleSession(const CArguments& arguments)
    : fQuiet(arguments.Has("--quiet")),
      fLeftToFirstSlice(arguments.Has("--left-to-first-slice")),
      fPresenter(std::cerr, std::cin),
      fLengthDialog(fPresenter, std::cerr, std::cin),
      fProgress(std::cerr, !fQuiet && isatty(STDERR_FILENO) != 0)
{
    SConsolePolicy policy;
    policy.fYes = arguments.Has("--yes");
    policy.fReplaceAll = arguments.Has("--replace-all");
    policy.fInteractive = arguments.Has("--interactive");
    if (std::optional<std::string> bars = arguments.Value("--bars")) {
        int64_t value = 0;
        if (ParseInteger(*bars, value) && value >= 1 && value <= 999)
            policy.fBars = static_cast<int32_t>(value);
    }
    fPresenter.SetPolicy(policy);

    // The standard settings of a first run: nothing is read from or written
    // to the preferences file, and the once-per-user notes stay silent.
    fPreferences.fAlwaysMoveLeftLocator = fLeftToFirstSlice;
    fPreferences.fEffectsNoteCounter = 0;
    fDocumentServices.preferences = &fPreferences;
    fDocumentServices.lengthDialog = &fLengthDialog;
    fDocumentServices.lengthy = fProgress.GetServices();

    fPreviousPresenter = SetAlertPresenter(&fPresenter);
    fPreviousLengthyServices = SetDefaultLengthyOperationServices(fProgress.GetServices());
    fPreviousDocumentServices = SetDefaultDocumentServices(fDocumentServices);
    CConsoleInterrupt::Install();
}

CConsoleSession::~CConsoleSession()
{
    SetDefaultDocumentServices(fPreviousDocumentServices);
    SetDefaultLengthyOperationServices(fPreviousLengthyServices);
    SetAlertPresenter(fPreviousPresenter);
}

std::unique_ptr<CZubrikDocument> CConsoleSession::OpenDocument(const std::filesystem::path& file)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        throw XCliExit(kExitBadInput, "cannot open " + file.string() + ": no such file");
    std::unique_ptr<CZubrikDocument> document;
    try {
        std::unique_ptr<CZubrikFile> loopFile;
        try {
            loopFile = std::make_unique<CZubrikFile>(file);
        } catch (const XZBX2UnsupportedFormat&) {
            // Not a loop file of any kind: a sound file, analysed afresh.
        }
        if (loopFile) {
            document = CZubrikDocument::OpenFile(*loopFile, file, fDocumentServices);
            document->OpenedInWindow(true);
        } else {
            std::unique_ptr<CABCWaveSample> wave = LoadSoundFile(file);
            document = CZubrikDocument::CreateFromSoundFile(std::move(wave), file, fDocumentServices,
                                                            ReadSliceMarkers(file));
            document->OpenedInWindow(!fLeftToFirstSlice);
        }
    } catch (const XUnsupportedSoundFileProperties& failure) {
        BadInput(file, failure.GetAlert());
    } catch (const XUserInterrupted&) {
        Cancelled();
    } catch (const XUserPressedStop&) {
        Cancelled();
    } catch (const XZBX2UserAborted&) {
        Cancelled();
    } catch (const XZBX2FileTooNew&) {
        ShowAlert(kAlertTable, kUnknownFormatAlert, DisplayName(file));
        throw XCliExit(kExitBadInput, "the file was written by a newer version of Zubrik");
    } catch (const XZBX2ChecksumMismatch&) {
        BadInput(file, NSAlerts::kChecksumMismatch);
    } catch (const XZBX2&) {
        BadInput(file, kUnknownFormatAlert);
    } catch (const std::bad_alloc&) {
        throw XCliExit(kExitBadInput, "not enough memory to open " + DisplayName(file));
    } catch (const std::exception&) {
        BadInput(file, kUnknownFormatAlert);
    }
    CheckInterrupted();
    return document;
}

void CConsoleSession::ApplySettings(CZubrikDocument& document, const SSettings& s, bool previewOn)
{
    if (s.fLeft || s.fRight) {
        const int32_t frames = document.GetWaveSample().GetFrameCount();
        const int32_t left = s.fLeft.value_or(document.GetLeftLocator());
        const int32_t right = s.fRight.value_or(document.GetRightLocator());
        if (left >= right || right > frames)
            UsageError("the locators must satisfy 0 <= --left < --right <= " + std::to_string(frames) +
                       " (the frame count)");
        document.SetLoop(left, right);
    }
    if (s.fSensitivity)
        document.SetSensitivity(*s.fSensitivity);
    if (s.fGate)
        document.SetGateSensitivity(*s.fGate);
    if (s.fSignature)
        document.SetTimeSignature((*s.fSignature)[0], (*s.fSignature)[1]);
    if (s.fBars)
        document.SetBars(*s.fBars);
    if (s.fBeats)
        document.SetBeats(*s.fBeats);
    if (previewOn && !document.IsPreviewOn()) {
        document.TogglePreviewPlay();
        CheckRefusals();
    }
    if (s.fTempo)
        document.SetPreviewTempo(*s.fTempo);
    if (s.fEnvelope)
        document.SelectEnvelopePreset((*s.fEnvelope)[0], (*s.fEnvelope)[1], (*s.fEnvelope)[2]);
    if (s.fEnvelopeOff && document.GetParameters().fEnvelopeOn)
        document.ToggleEnvelope();
    if (s.fShaper) {
        const auto& v = *s.fShaper;
        document.SelectTransientShaperPreset(v[0], v[1], v[2], v[3]);
        if (!document.GetEffectParameters().fShaperOn)
            document.ToggleTransientShaper();
    }
    if (s.fShaperOff && document.GetEffectParameters().fShaperOn)
        document.ToggleTransientShaper();
    if (s.fEqualizer) {
        int32_t values[8];
        std::copy(s.fEqualizer->begin(), s.fEqualizer->end(), values);
        document.SelectEqualizerPreset(values);
        if (!document.GetEffectParameters().fEqualizerOn)
            document.ToggleEqualizer();
    }
    if (s.fEqualizerOff && document.GetEffectParameters().fEqualizerOn)
        document.ToggleEqualizer();
    if (s.fPitch)
        document.SetPitch(static_cast<int16_t>(*s.fPitch));
    if (s.fGain)
        document.SetProcessingGain(*s.fGain);
    if (s.fGrid) {
        document.AddSlicesAtGrid();
        CheckRefusals();
    }
    // Effects switch only in tempo mode, as in the window.
    if ((s.fShaper || s.fEqualizer || s.fEnvelopeOff) && !document.IsTempoMode())
        std::cerr << "zubrik-cli: note: effects switch on and off only in tempo mode (preview on, with --bars "
                     "or --beats)\n";
    CheckInterrupted();
}

void CConsoleSession::CheckInterrupted() const
{
    if (CConsoleInterrupt::IsRequested())
        Cancelled();
}

void CConsoleSession::CheckRefusals()
{
    if (fLengthDialog.WasRefused() || !fPresenter.GetRefusal().empty())
        throw XCliExit(kExitUsage, "");
}

} // namespace NSZubrikCli
