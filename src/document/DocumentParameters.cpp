// The parameter and effect commands, the loop-length question and committing
// change records to the undo history.
#include <algorithm>

#include "app/ResourceIds.h"
#include "audiodata/WaveSample.h"
#include "document/DocumentChanges.h"
#include "document/ZubrikDocument.h"

namespace NSZubrik {

// ------------------------------------------------------------------ commits

void CZubrikDocument::Commit(NSUndoPackage::TChangeRef change, int32_t nameEntry, const std::u16string& mergeKey)
{
    Commit(std::move(change), ProgressText(nameEntry), mergeKey);
}

void CZubrikDocument::Commit(NSUndoPackage::TChangeRef change, const std::u16string& name,
                             const std::u16string& mergeKey)
{
    NSUndoPackage::CChangeList list;
    list.Add(std::move(change));
    // The saved state was among the redo steps that this commit discards.
    const bool savedAhead = fSavedPosition > fHistory.GetPosition();
    if (fHistory.Commit(list, name, mergeKey)) {
        if (savedAhead)
            fSavedPosition = -1;
        fChanged.fUndoState = true;
    }
    Notify();
}

void CZubrikDocument::PerformOutsideHistory(NSUndoPackage::TChangeRef change)
{
    NSUndoPackage::CChangeList list;
    list.Add(std::move(change));
    list.ReleaseWithoutUndo();
}

void CZubrikDocument::CommitParameters(const SDocumentParameters& next, int32_t nameEntry)
{
    if (next == GetParameters())
        return;
    Commit(std::make_shared<CDocumentParametersChange>(*this, next), nameEntry);
}

void CZubrikDocument::CommitEffects(const SEffectParameters& next, int32_t nameEntry)
{
    if (next == GetEffectParameters())
        return;
    Commit(std::make_shared<CDocumentEffectParametersChange>(*this, next), nameEntry);
}

// ------------------------------------------------------------------ parameters

void CZubrikDocument::ToggleExportAsOneSample()
{
    CommitParameter(&SDocumentParameters::fExportAsOneSample,
                    !GetParameters().fExportAsOneSample, NSStrings::kToggleExportAsOneSample);
}

void CZubrikDocument::ToggleSilenceSelected()
{
    CommitParameter(&SDocumentParameters::fSilenceSelected,
                    !GetParameters().fSilenceSelected, NSStrings::kToggleSilenceSelected);
}

void CZubrikDocument::TogglePreviewPlay()
{
    // A cancelled question still lets the toggle go ahead.
    if (!IsPreviewOn())
        AskForLoopLength();
    CommitParameter(&SDocumentParameters::fPreviewOn, !GetParameters().fPreviewOn, NSStrings::kTogglePreviewPlay);
}

void CZubrikDocument::SetTimeSignature(int32_t numerator, int32_t denominator)
{
    SDocumentParameters p = GetParameters();
    p.fSignatureNumerator = numerator;
    p.fSignatureDenominator = denominator;
    CommitParameters(p, NSStrings::kChangeTimeSignature);
}

void CZubrikDocument::SetBars(int32_t bars)
{
    CommitParameter(&SDocumentParameters::fBars, bars, NSStrings::kChangeBarCount);
}

void CZubrikDocument::SetBeats(int32_t beats)
{
    CommitParameter(&SDocumentParameters::fBeats, beats, NSStrings::kChangeBeatCount);
}

void CZubrikDocument::SetPitch(int16_t cents)
{
    CommitParameter(&SDocumentParameters::fPitch, cents, NSStrings::kChangePitch);
}

void CZubrikDocument::SetPreviewTempo(int32_t tempo)
{
    const int32_t clamped =
        std::clamp(tempo, CZubrikSequencer::kMinimumPreviewTempo, CZubrikSequencer::kMaximumPreviewTempo);
    CommitParameter(&SDocumentParameters::fPreviewTempo, clamped, NSStrings::kChangePreviewTempo);
}

void CZubrikDocument::SetLeftLocator(int32_t frame)
{
    if (frame < 0 || frame >= GetRightLocator())
        return;
    CommitParameter(&SDocumentParameters::fLeftLocator, frame, NSStrings::kMoveLeftLocator);
}

void CZubrikDocument::SetRightLocator(int32_t frame)
{
    if (frame <= GetLeftLocator() || frame > fWaveSample->GetFrameCount())
        return;
    CommitParameter(&SDocumentParameters::fRightLocator, frame, NSStrings::kMoveRightLocator);
}

void CZubrikDocument::SetLoop(int32_t left, int32_t right)
{
    if (left < 0 || left >= right || right > fWaveSample->GetFrameCount())
        return;
    SDocumentParameters p = GetParameters();
    p.fLeftLocator = left;
    p.fRightLocator = right;
    CommitParameters(p, NSStrings::kSetLoop);
}

void CZubrikDocument::ToggleEnvelope()
{
    if (!IsTempoMode())
        return;
    CommitParameter(&SDocumentParameters::fEnvelopeOn, !GetParameters().fEnvelopeOn, NSStrings::kToggleEnvelope);
}

void CZubrikDocument::SelectEnvelopePreset(int32_t attack, int32_t decay, int32_t stretch)
{
    SDocumentParameters p = GetParameters();
    p.fEnvelopeOn = true;
    p.fEnvelopeAttack = attack;
    p.fEnvelopeDecay = decay;
    p.fEnvelopeStretch = stretch;
    CommitParameters(p, NSStrings::kSelectEnvelopePreset);
}

void CZubrikDocument::SetEnvelopeAttack(int32_t value)
{
    CommitParameter(&SDocumentParameters::fEnvelopeAttack, value, NSStrings::kChangeEnvelopeAttack);
}

void CZubrikDocument::SetEnvelopeDecay(int32_t value)
{
    CommitParameter(&SDocumentParameters::fEnvelopeDecay, value, NSStrings::kChangeEnvelopeDecay);
}

void CZubrikDocument::SetEnvelopeStretch(int32_t value)
{
    CommitParameter(&SDocumentParameters::fEnvelopeStretch, value, NSStrings::kChangeEnvelopeStretch);
}

// ------------------------------------------------------------------ effects

#define ZUBRIK_EFFECT_COMMAND(Command, Field, Entry) \
    void CZubrikDocument::Command(int32_t value)     \
    {                                                \
        SEffectParameters e = GetEffectParameters(); \
        e.Field = value;                             \
        CommitEffects(e, NSStrings::Entry);          \
    }

ZUBRIK_EFFECT_COMMAND(SetProcessingGain, fProcessingGain, kChangeProcessingGain)
ZUBRIK_EFFECT_COMMAND(SetTransientShaperThreshold, fShaperThreshold, kChangeTransientShaperThreshold)
ZUBRIK_EFFECT_COMMAND(SetTransientShaperRatio, fShaperRatio, kChangeTransientShaperRatio)
ZUBRIK_EFFECT_COMMAND(SetTransientShaperAttack, fShaperAttack, kChangeTransientShaperAttack)
ZUBRIK_EFFECT_COMMAND(SetTransientShaperRelease, fShaperRelease, kChangeTransientShaperRelease)
ZUBRIK_EFFECT_COMMAND(SetEqualizerLowCut, fEqualizerLowCut, kChangeEqualizerLowCut)
ZUBRIK_EFFECT_COMMAND(SetEqualizerLowFrequency, fEqualizerLowFrequency, kChangeEqualizerLowFreq)
ZUBRIK_EFFECT_COMMAND(SetEqualizerLowQ, fEqualizerLowQ, kChangeEqualizerLowQ)
ZUBRIK_EFFECT_COMMAND(SetEqualizerLowGain, fEqualizerLowGain, kChangeEqualizerLowGain)
ZUBRIK_EFFECT_COMMAND(SetEqualizerHighFrequency, fEqualizerHighFrequency, kChangeEqualizerHighFreq)
ZUBRIK_EFFECT_COMMAND(SetEqualizerHighQ, fEqualizerHighQ, kChangeEqualizerHighQ)
ZUBRIK_EFFECT_COMMAND(SetEqualizerHighGain, fEqualizerHighGain, kChangeEqualizerHighGain)
ZUBRIK_EFFECT_COMMAND(SetEqualizerHighCut, fEqualizerHighCut, kChangeEqualizerHighCut)

#undef ZUBRIK_EFFECT_COMMAND

void CZubrikDocument::ToggleTransientShaper()
{
    if (!IsTempoMode())
        return;
    SEffectParameters e = GetEffectParameters();
    e.fShaperOn = !e.fShaperOn;
    CommitEffects(e, NSStrings::kToggleTransientShaper);
}

void CZubrikDocument::SelectTransientShaperPreset(int32_t threshold, int32_t ratio, int32_t attack, int32_t release)
{
    SEffectParameters e = GetEffectParameters();
    e.fShaperThreshold = threshold;
    e.fShaperRatio = ratio;
    e.fShaperAttack = attack;
    e.fShaperRelease = release;
    CommitEffects(e, NSStrings::kSelectTransientShaperPreset);
}

void CZubrikDocument::ToggleEqualizer()
{
    if (!IsTempoMode())
        return;
    SEffectParameters e = GetEffectParameters();
    e.fEqualizerOn = !e.fEqualizerOn;
    CommitEffects(e, NSStrings::kToggleEqualizer);
}

void CZubrikDocument::SelectEqualizerPreset(const int32_t (&values)[8])
{
    SEffectParameters e = GetEffectParameters();
    e.fEqualizerLowCut = values[0];
    e.fEqualizerLowFrequency = values[1];
    e.fEqualizerLowQ = values[2];
    e.fEqualizerLowGain = values[3];
    e.fEqualizerHighFrequency = values[4];
    e.fEqualizerHighQ = values[5];
    e.fEqualizerHighGain = values[6];
    e.fEqualizerHighCut = values[7];
    CommitEffects(e, NSStrings::kSelectEqualizerPreset);
}

// ------------------------------------------------------------------ loop length

bool CZubrikDocument::AskForLoopLength()
{
    if (GetBars() != 0 || GetBeats() != 0)
        return true;
    std::optional<int32_t> answer;
    if (fServices.lengthDialog != nullptr)
        answer = fServices.lengthDialog->AskForBars();
    if (!answer || !CNoLengthSpecifiedField::MayConfirm(*answer))
        return false;
    // Both commits carry the same name and so undo as one step.
    CommitParameter(&SDocumentParameters::fBars, std::min(*answer, kMaximumBars), NSStrings::kChangeBarCount);
    SDocumentParameters p = GetParameters();
    p.fPreviewTempo = ClampedOriginalTempo();
    CommitParameters(p, NSStrings::kChangeBarCount);
    fHistory.ForgetMergeKey();
    return true;
}

// ------------------------------------------------------------------ view and edit

void CZubrikDocument::PerformViewAndEditChange(const SViewAndEditAttributes& next)
{
    if (next == fViewAndEdit)
        return;
    PerformOutsideHistory(std::make_shared<CDocumentViewAndEditAttributesChange>(*this, next));
    Notify();
}

void CZubrikDocument::SetTool(int32_t tool)
{
    if (tool < SViewAndEditAttributes::kArrowTool || tool > SViewAndEditAttributes::kPenTool)
        return;
    SViewAndEditAttributes next = fViewAndEdit;
    next.fTool = tool;
    PerformViewAndEditChange(next);
}

void CZubrikDocument::ToggleGrid()
{
    if (!fViewAndEdit.fGridShown)
        AskForLoopLength();
    SViewAndEditAttributes next = fViewAndEdit;
    next.fGridShown = !next.fGridShown;
    PerformViewAndEditChange(next);
}

void CZubrikDocument::TogglePanel(int32_t panel, bool hideOthers)
{
    SViewAndEditAttributes next = fViewAndEdit;
    const bool showing = !next.IsPanelShown(panel);
    next.SetPanelShown(panel, showing);
    if (hideOthers && showing)
        for (int32_t other = 0; other < 3; ++other)
            if (other != panel)
                next.SetPanelShown(other, false);
    PerformViewAndEditChange(next);
}

// ------------------------------------------------------------------ transport

void CZubrikDocument::Transport(int32_t playMode)
{
    fPlayMode = playMode;
    fChanged.fPlayback = true;
    Notify();
}

void CZubrikDocument::PlayLoop()
{
    fSequencer.StartLoop();
    Transport(kPlayingLoop);
}

void CZubrikDocument::PlayCurrentSlice()
{
    fSequencer.PlayCurrentSegment();
    Transport(kPlayingCurrentSlice);
}

void CZubrikDocument::PlayPreviousSlice()
{
    fSequencer.PlayPreviousSegment();
    Transport(kPlayingPreviousSlice);
}

void CZubrikDocument::PlayCurrentSliceAndAdvance()
{
    fSequencer.PlayCurrentAndAdvance();
    Transport(kPlayingCurrentSliceAndAdvance);
}

void CZubrikDocument::PlaySliceAt(int32_t frame)
{
    fSequencer.PlaySegmentAt(frame);
    Transport(kPlayingSliceAtPosition);
}

void CZubrikDocument::Stop()
{
    fSequencer.Stop();
    Transport(kNotPlaying);
}

} // namespace NSZubrik
