#include "cli/CliSession.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

#include "app/Alert.h"
#include "app/ResourceIds.h"
#include "app/Zubrik.h"
#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZubrikFile.h"
#include "document/ZubrikDocument.h"
#include "audiodata/SliceSequence.h"
#include "io/ExportCommand.h"
#include "io/SoundFileReader.h"
#include "tambor/FileNameText.h"
#include "tambor/FileNameText.h"

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

namespace {

// ": N frames, S s" for a sound or loop file, empty for other files.
std::string WrittenLength(const std::filesystem::path& file)
{
    try {
        const CSoundFileReader reader(file);
        const SoundFileInfo& info = reader.GetInfo();
        if (info.sampleRate == 0)
            return "";
        char text[64];
        std::snprintf(text, sizeof text, ": %u frames, %.3f s", info.frameCount,
                      double(info.frameCount) / info.sampleRate);
        return text;
    } catch (const std::exception&) {
        return "";
    }
}

} // namespace

std::string DisplayName(const std::filesystem::path& file)
{
    return NSTambor::DisplayText(file.filename());
}

std::string DisplayPath(const std::filesystem::path& file) { return NSTambor::DisplayText(file); }

std::string ReadProblem(const std::filesystem::path& file)
{
    const int descriptor = ::open(file.c_str(), O_RDONLY);
    if (descriptor < 0)
        return std::strerror(errno);
    struct stat status {};
    const bool folder = ::fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode);
    ::close(descriptor);
    return folder ? std::strerror(EISDIR) : "";
}

std::string WriteProblem(const std::filesystem::path& file)
{
    struct stat status {};
    if (::stat(file.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        return std::strerror(EISDIR);
    // The file is written beside its target and moved over it, so the
    // folder is what must be there and writable.
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    if (::stat(folder.c_str(), &status) != 0)
        return std::strerror(errno);
    if (!S_ISDIR(status.st_mode))
        return std::strerror(ENOTDIR);
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return std::strerror(errno);
    return "";
}

void WriteFailed(const std::filesystem::path& file, const std::string& otherwise)
{
    const std::string reason = WriteProblem(file);
    if (!reason.empty())
        throw XCliExit(kExitWriteFailed, "cannot write " + DisplayPath(file) + ": " + reason);
    throw XCliExit(kExitWriteFailed, otherwise);
}

void ReportWriteFailure(const std::filesystem::path& file)
{
    const std::string name = DisplayPath(file);
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
    } catch (const std::exception& failure) {
        WriteFailed(file, "cannot write " + name + ": " + failure.what());
    }
}

CConsoleSession::CConsoleSession(const CArguments& arguments)
    : fMayReplace(arguments.Has("--yes") || arguments.Has("--replace-all")),
      fQuiet(arguments.Has("--quiet")),
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
        if (ParseInteger(*bars, value) && value >= 1 && value <= CZubrikDocument::kMaximumBars)
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
    if (const std::string problem = ReadProblem(file); !problem.empty())
        throw XCliExit(kExitBadInput, "cannot open " + DisplayPath(file) + ": " + problem);
    fInput = file;
    std::unique_ptr<CZubrikDocument> document;
    try {
        // The window's open path, old-file notes included; the left locator
        // of a sound file moves only when asked.
        CZubrik::OpenDocumentFile(file, LoadSoundFile, fPreferences, fDocumentServices,
                                  [&](std::unique_ptr<CZubrikDocument> opened, bool fromLoopFile) {
                                      document = std::move(opened);
                                      document->OpenedInWindow(fromLoopFile || !fLeftToFirstSlice);
                                  });
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

void CConsoleSession::ApplySettings(CZubrikDocument& document, const SSettings& s, bool previewOn, bool needsLength)
{
    // Locators in frames or seconds first, so that the loop length chosen
    // below fits them; those in bar:beat count in that loop length.
    ApplyLocators(document, s, false);
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
    const bool noLength = document.GetBars() == 0 && document.GetBeats() == 0;
    if (s.fBarsAuto || (needsLength && noLength)) {
        ChooseBars(document);
        if (!s.fBarsAuto && !fQuiet) {
            char tempo[32];
            std::snprintf(tempo, sizeof tempo, "%.2f", document.GetSequencer().GetOriginalTempo() / 1000.0);
            std::cerr << "zubrik-cli: loop length not given: " << document.GetBars()
                      << (document.GetBars() == 1 ? " bar, " : " bars, ") << tempo
                      << " BPM; give --bars to choose\n";
        }
    }
    ApplyLocators(document, s, true);
    const bool lengthGiven = s.fBars || s.fBeats || s.fBarsAuto || (needsLength && noLength);
    if (s.fPreview.value_or(document.IsPreviewOn() || previewOn || lengthGiven) != document.IsPreviewOn()) {
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

void CConsoleSession::ApplyLocators(CZubrikDocument& document, const SSettings& s, bool barBeat)
{
    auto inPass = [barBeat](const std::optional<SLocator>& locator) {
        return locator && (locator->fUnit == SLocator::kBarBeat) == barBeat;
    };
    if (!inPass(s.fLeft) && !inPass(s.fRight))
        return;
    const int64_t frames = document.GetWaveSample().GetFrameCount();
    const int64_t left = inPass(s.fLeft) ? LocatorFrame(document, "--left", *s.fLeft) : document.GetLeftLocator();
    const int64_t right =
        inPass(s.fRight) ? LocatorFrame(document, "--right", *s.fRight) : document.GetRightLocator();
    if (left >= right || right > frames)
        UsageError("the locators must satisfy 0 <= --left < --right <= " + std::to_string(frames) +
                   " (the frame count; " + std::to_string(left) + " and " + std::to_string(right) + " given)");
    document.SetLoop(int32_t(left), int32_t(right));
}

void CConsoleSession::ChooseBars(CZubrikDocument& document)
{
    // The original tempo grows with the bar count; the first power of two
    // that reaches the lower bound lies under twice it.
    constexpr int32_t kLowestAutoTempo = 90000;
    int32_t bars = 1;
    for (;;) {
        document.SetBars(bars);
        if (document.GetSequencer().GetOriginalTempo() >= kLowestAutoTempo || bars * 2 > CZubrikDocument::kMaximumBars)
            return;
        bars *= 2;
    }
}

void CConsoleSession::CheckInterrupted() const
{
    if (CConsoleInterrupt::IsRequested())
        Cancelled();
}

void CConsoleSession::RefuseOutputOverInput(const std::filesystem::path& output) const
{
    std::error_code error;
    if (std::filesystem::is_directory(output, error))
        throw XCliExit(kExitWriteFailed, "cannot write " + DisplayPath(output) + ": " + std::strerror(EISDIR));
    if (fMayWriteOverInput || fInput.empty() || !std::filesystem::equivalent(fInput, output, error))
        return;
    UsageError("the output " + DisplayPath(output) + " is the input file; give another output file");
}

void CConsoleSession::RequireSoundingSlices(const CZubrikDocument& document, const std::filesystem::path& file) const
{
    if (HasSoundingSliceInLoop(document))
        return;
    UsageError("no slice sounds at sensitivity " + std::to_string(document.GetSliceSequence().GetSensitivity()) +
               ": give --sensitivity N (zubrik-cli slice " + DisplayPath(file) +
               " shows from which sensitivity each slice sounds)");
}

void CConsoleSession::RefuseReplacing(const std::filesystem::path& output) const
{
    std::error_code error;
    if (!fMayReplace && std::filesystem::exists(output, error))
        UsageError(DisplayPath(output) + " exists: give --yes to replace it");
}

void CConsoleSession::CommitOutputs()
{
    const std::vector<std::filesystem::path> targets = fOutputs.GetTargets();
    try {
        fOutputs.Commit([&] {
            CheckRefusals();
            CheckInterrupted();
            for (const std::filesystem::path& target : targets) {
                RefuseOutputOverInput(target);
                RefuseReplacing(target);
            }
        });
    } catch (const XCliExit&) {
        throw;
    } catch (const std::exception& failure) {
        for (const std::filesystem::path& target : targets)
            if (!WriteProblem(target).empty())
                WriteFailed(target);
        throw XCliExit(kExitWriteFailed, std::string("cannot move the written files into place: ") + failure.what());
    }
    if (!fQuiet)
        for (const std::filesystem::path& target : targets)
            std::cerr << "zubrik-cli: wrote " << DisplayPath(target) << WrittenLength(target) << '\n';
}

void CConsoleSession::CheckRefusals()
{
    if (fLengthDialog.WasRefused() || !fPresenter.GetRefusal().empty())
        throw XCliExit(kExitUsage, "");
}

} // namespace NSZubrikCli
