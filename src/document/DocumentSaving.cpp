// Saving to loop files, the first steps after a window was made for the
// document, and the export statistics.
#include <algorithm>

#include "app/Alert.h"
#include "app/ResourceIds.h"
#include "app/ZubrikErrors.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZubrikFile.h"
#include "document/DocumentChanges.h"
#include "document/Exporter.h"
#include "document/ZubrikDocument.h"
#include "tambor/FileNameText.h"

namespace NSZubrik {

namespace {

std::string Utf8Name(const std::filesystem::path& file)
{
    return NSTambor::DisplayText(file.filename());
}

} // namespace

// ------------------------------------------------------------------ window

void CZubrikDocument::OpenedInWindow(bool skipLeftLocatorQuestion)
{
    fChanged = SChangeFlags{};
    Notify();
    int32_t offset = 0;
    if (!skipLeftLocatorQuestion && fSlices->GetCount() > 0 && fSlices->GetLeadingOffset(offset) &&
        GetLeftLocator() == 0 && offset < GetRightLocator()) {
        const bool move = Preferences().AlwaysMovesLeftLocator() ||
                          ShowAlert(kAlertTable, NSAlerts::kMoveLeftLocator) == kLastButton;
        SDocumentParameters p = GetParameters();
        if (move)
            p.fLeftLocator = offset;
        PerformOutsideHistory(std::make_shared<CDocumentParametersChange>(*this, p));
        p = GetParameters();
        const int32_t original = fSequencer.GetOriginalTempo();
        p.fPreviewTempo = original == 0 ? CZubrikSequencer::kDefaultPreviewTempo : ClampedOriginalTempo();
        PerformOutsideHistory(std::make_shared<CDocumentParametersChange>(*this, p));
        if (fSequencer.IsPlaying())
            fChanged.fPlayback = true;
        Notify();
    }
    IDocumentPreferences& preferences = Preferences();
    if (!HasLoopFile() && !IsPreviewOn() && !fNeverNeedsSaving && preferences.GetEffectsNoteCounter() > 0) {
        preferences.SetEffectsNoteCounter(preferences.GetEffectsNoteCounter() - 1);
        ShowAlert(kAlertTable, NSAlerts::kEffectsNeedPreview);
    }
}

// ------------------------------------------------------------------ saving

bool CZubrikDocument::Save()
{
    if (HasLoopFile())
        return SaveTo(fFile);
    return SaveAs();
}

bool CZubrikDocument::SaveAs()
{
    if (fServices.saveDialog == nullptr)
        return false;
    std::u16string suggested = fName;
    if (fHasFile)
        suggested = NSTambor::FileNameText(fFile.stem()) + kZubrikLoopKind;
    const std::optional<std::filesystem::path> file = fServices.saveDialog->AskForFile(suggested);
    if (!file)
        return false;
    return SaveTo(*file);
}

bool CZubrikDocument::SaveTo(const std::filesystem::path& file)
{
    if (!AskForLoopLength())
        return false;
    if (!WriteFile(file))
        return false;
    SetFileLocation(file);
    fSavedPosition = fHistory.GetPosition();
    fHistory.ForgetMergeKey();
    Notify();
    return true;
}

bool CZubrikDocument::WriteFile(const std::filesystem::path& file)
{
    int32_t alert = NSAlerts::kSaveFailed;
    try {
        CZubrikLengthyOperation operation(ProgressText(NSStrings::kPreparingToSave), ProgressText(NSStrings::kCancel),
                                          true, fServices.lengthy);
        WriteZubrikFile(GetFileSource(), file, &operation, true);
        operation.Finish();
        return true;
    } catch (const XZBX2UserAborted&) {
        return false;
    } catch (const XUserPressedStop&) {
        return false;
    } catch (const XDiskFull&) {
        alert = NSAlerts::kSaveDiskFull;
    } catch (const XItemBusy&) {
        alert = NSAlerts::kSaveFileBusy;
    } catch (const XCreateFailed&) {
        alert = NSAlerts::kSaveCreateFailed;
    } catch (const std::exception&) {
        alert = NSAlerts::kSaveFailed;
    }
    ShowAlert(kAlertTable, alert, Utf8Name(file));
    return false;
}

CZubrikFileSource CZubrikDocument::GetFileSource()
{
    const SDocumentParameters p = GetParameters();
    const SEffectParameters e = GetEffectParameters();
    CZubrikFileSource source;
    source.fWaveSample = fWaveSample.get();
    source.fSlices = fSlices.get();
    CZubrikLoopParameters& loop = source.fParameters;
    loop.fBars = p.fBars;
    loop.fBeats = p.fBeats;
    loop.fSignatureNumerator = p.fSignatureNumerator;
    loop.fSignatureDenominator = p.fSignatureDenominator;
    loop.fPreviewTempo = p.fPreviewTempo;
    loop.fSilenceSelected = p.fSilenceSelected;
    loop.fPitch = p.fPitch;
    loop.fPreviewOn = p.fPreviewOn;
    loop.fEnvelopeOn = p.fEnvelopeOn;
    loop.fEnvelopeAttack = p.fEnvelopeAttack;
    loop.fEnvelopeDecay = p.fEnvelopeDecay;
    loop.fEnvelopeStretch = p.fEnvelopeStretch;
    loop.fProcessingGain = e.fProcessingGain;
    loop.fShaperOn = e.fShaperOn;
    loop.fShaperThreshold = e.fShaperThreshold;
    loop.fShaperRatio = e.fShaperRatio;
    loop.fShaperAttack = e.fShaperAttack;
    loop.fShaperRelease = e.fShaperRelease;
    loop.fEqualizerOn = e.fEqualizerOn;
    loop.fEqualizerLowCut = static_cast<int16_t>(e.fEqualizerLowCut);
    loop.fEqualizerLowFrequency = static_cast<int16_t>(e.fEqualizerLowFrequency);
    loop.fEqualizerLowQ = static_cast<int16_t>(e.fEqualizerLowQ);
    loop.fEqualizerLowGain = static_cast<int16_t>(e.fEqualizerLowGain);
    loop.fEqualizerHighFrequency = static_cast<int16_t>(e.fEqualizerHighFrequency);
    loop.fEqualizerHighQ = static_cast<int16_t>(e.fEqualizerHighQ);
    loop.fEqualizerHighGain = static_cast<int16_t>(e.fEqualizerHighGain);
    loop.fEqualizerHighCut = static_cast<int16_t>(e.fEqualizerHighCut);
    CZubrikViewAttributes& view = source.fViewAttributes;
    view.fExportAsOneSample = fExportAsOneSample;
    view.fGridShown = fViewAndEdit.fGridShown;
    view.fTool = fViewAndEdit.fTool;
    view.fShowEnvelope = fViewAndEdit.fEnvelopeShown;
    view.fShowTransientShaper = fViewAndEdit.fTransientShaperShown;
    view.fShowEqualizer = fViewAndEdit.fEqualizerShown;
    view.fWindowWidth = fWindowWidth;
    view.fWindowHeight = fWindowHeight;
    view.fWindowMaximised = fWindowMaximised;
    // Bytes of audio an export would write.
    const int64_t bytes = GetExportStatistics().fSampleValues * (fWaveSample->GetBitDepth() > 16 ? 4 : 2);
    source.fExportSize = static_cast<int32_t>(std::min<int64_t>(bytes, INT32_MAX));
    return source;
}

// ------------------------------------------------------------------ statistics

void CZubrikDocument::RecomputeStatistics()
{
    CExporter exporter(u"export", fSequencer, !fExportAsOneSample, Preferences().HasNoRingOut());
    SExportStatistics statistics;
    if (exporter.GetExportedSliceCount() > 0) {
        const int64_t channels = exporter.IsStereo() ? 2 : 1;
        statistics.fSliceCount = exporter.GetSliceCount();
        for (int32_t piece = 0; piece < statistics.fSliceCount; ++piece)
            statistics.fSampleValues += int64_t(exporter.GetSlicePosition(piece).fLength) * channels;
    }
    fStatistics = statistics;
    fStatisticsStale = false;
}

CZubrikDocument::SExportStatistics CZubrikDocument::GetExportStatistics()
{
    if (fStatisticsStale)
        RecomputeStatistics();
    return fStatistics;
}

CZubrikDocument::SExportStatistics CZubrikDocument::GetExportStatisticsForStatusBar()
{
    if (fStatisticsStale && Milliseconds() - fStatisticsStaleSince >= kStatisticsDelay)
        RecomputeStatistics();
    return fStatistics;
}

} // namespace NSZubrik
