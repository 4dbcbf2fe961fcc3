// Creation, queries, notification and the perform operations the change
// records call.
#include "document/ZubrikDocument.h"

#include <algorithm>
#include <cassert>
#include <chrono>

#include "app/Alert.h"
#include "app/ResourceIds.h"
#include "app/ZubrikErrors.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZubrikFile.h"
#include "document/SliceDetection.h"

namespace NSZubrik {

namespace {

CDocumentServices gDefaultServices;

// A document's sound always carries its preview: the gate's decay search
// and the waveform read the sound only through it.
std::unique_ptr<CABCWaveSample> WithPreview(std::unique_ptr<CABCWaveSample> wave)
{
    wave->EnsurePreview();
    return wave;
}

// A sequence over another sound with the same slices and settings; the
// lengths are derived anew from that sound.
std::unique_ptr<CSliceSequence> Rebound(const CSliceSequence& slices, const CABCWaveSample& wave)
{
    auto result = std::make_unique<CSliceSequence>(wave);
    for (const CSlice& slice : slices)
        result->InsertSlice(slice);
    result->SetGateSensitivity(slices.GetGateSensitivity());
    result->SetSensitivity(slices.GetSensitivity());
    return result;
}

} // namespace

CDocumentServices SetDefaultDocumentServices(const CDocumentServices& services)
{
    CDocumentServices previous = gDefaultServices;
    gDefaultServices = services;
    return previous;
}

const CDocumentServices& GetDefaultDocumentServices() { return gDefaultServices; }

bool SViewAndEditAttributes::IsPanelShown(int32_t panel) const
{
    switch (panel) {
    case kEnvelopePanel: return fEnvelopeShown;
    case kTransientShaperPanel: return fTransientShaperShown;
    case kEqualizerPanel: return fEqualizerShown;
    default: throw XIllegalCallSequence();
    }
}

void SViewAndEditAttributes::SetPanelShown(int32_t panel, bool shown)
{
    switch (panel) {
    case kEnvelopePanel: fEnvelopeShown = shown; break;
    case kTransientShaperPanel: fTransientShaperShown = shown; break;
    case kEqualizerPanel: fEqualizerShown = shown; break;
    default: throw XIllegalCallSequence();
    }
}

bool CNoLengthSpecifiedField::AcceptsCharacter(char16_t character)
{
    return character >= u'0' && character <= u'9';
}

int32_t CNoLengthSpecifiedField::ValueOf(const std::u16string& text)
{
    if (text.empty())
        return -1;
    int64_t value = 0;
    for (char16_t character : text) {
        if (!AcceptsCharacter(character))
            continue;
        value = std::min<int64_t>(value * 10 + (character - u'0'), 1000000);
    }
    return static_cast<int32_t>(std::clamp<int64_t>(value, -1, CZubrikDocument::kMaximumBars));
}

// ------------------------------------------------------------------ creation

CZubrikDocument::CZubrikDocument(std::u16string name, std::unique_ptr<CABCWaveSample> wave,
                                 const CDocumentServices& services)
    : fHistory(NSUndoPackage::CUndoHistory::kDocumentLimit),
      fName(std::move(name)),
      fWaveSample(WithPreview(std::move(wave))),
      fSequencer(*fWaveSample),
      fServices(services)
{
    fSlices = std::make_unique<CSliceSequence>(*fWaveSample);
    fSequencer.SetWaveSample(*fWaveSample, fSlices.get());
    fSequencer.SetOutputSampleRate(Preferences().GetOutputSampleRate());
    if (Preferences().SetsBarsToOneInNewDocuments()) {
        fSequencer.SetBars(1);
        fSequencer.SetPreviewTempo(ClampedOriginalTempo());
        fSequencer.SetPreviewOn(true);
        fTempoInitialised = true;
    } else {
        fSequencer.SetBars(0);
    }
}

std::unique_ptr<CZubrikDocument> CZubrikDocument::CreateEmpty(const CDocumentServices& services)
{
    auto wave = CreateWaveSample(44100, 1, false, 16);
    wave->SetLoop(CABCWaveSample::kLoopModeInitial, 0, 1);
    std::unique_ptr<CZubrikDocument> document(new CZubrikDocument(
        ProgressText(NSStrings::kUntitled), std::move(wave), services));
    document->fNeverNeedsSaving = true;
    document->AnalyzeNewSlices();
    return document;
}

std::unique_ptr<CZubrikDocument> CZubrikDocument::CreateFromSoundFile(std::unique_ptr<CABCWaveSample> wave,
                                                                     const std::filesystem::path& file,
                                                                     const CDocumentServices& services,
                                                                     const std::vector<int32_t>& lockedSlices)
{
    std::unique_ptr<CZubrikDocument> document(
        new CZubrikDocument(file.filename().u16string(), std::move(wave), services));
    document->SetFileLocation(file);
    document->AnalyzeNewSlices(lockedSlices);
    return document;
}

std::unique_ptr<CZubrikDocument> CZubrikDocument::CreateFromWaveSample(std::unique_ptr<CABCWaveSample> wave,
                                                                      const CDocumentServices& services)
{
    std::unique_ptr<CZubrikDocument> document(
        new CZubrikDocument(ProgressText(NSStrings::kUntitled), std::move(wave), services));
    document->AnalyzeNewSlices();
    return document;
}

std::unique_ptr<CZubrikDocument> CZubrikDocument::OpenFile(const std::filesystem::path& file,
                                                          const CDocumentServices& services)
{
    CZubrikFile loopFile(file);
    return OpenFile(loopFile, file, services);
}

std::unique_ptr<CZubrikDocument> CZubrikDocument::OpenFile(CZubrikFile& file, const std::filesystem::path& location,
                                                          const CDocumentServices& services)
{
    std::unique_ptr<CABCWaveSample> wave = file.ReadSample(nullptr);
    std::unique_ptr<CZubrikDocument> document(
        new CZubrikDocument(location.filename().u16string(), std::move(wave), services));
    document->ReadFromFile(file, location);
    return document;
}

void CZubrikDocument::AnalyzeNewSlices(const std::vector<int32_t>& lockedSlices)
{
    const bool completed = fSlices->Analyze();
    if (!lockedSlices.empty()) {
        // Marked on purpose, so as strong as a slice can be: shown at any
        // sensitivity should the user unlock it.
        for (const int32_t position : lockedSlices)
            fSlices->InsertSlice(CSlice(position, INT16_MAX, CSlice::kLocked));
        fSlices->UpdateLengths();
    }
    fSequencer.RebuildSegments();
    if (fServices.registry != nullptr) {
        fServices.registry->DocumentCreated(*this);
        fRegistered = true;
    }
    if (!completed)
        ShowAlert(kAlertTable, NSAlerts::kAnalyzeInterrupted);
}

void CZubrikDocument::ReadFromFile(CZubrikFile& file, const std::filesystem::path& location)
{
    file.ReadSlices(*fSlices);
    CZubrikLoopParameters loop;
    file.ReadParameters(loop, fSequencer.GetOutputSampleRate());
    CZubrikViewAttributes view;
    file.ReadViewAttributes(view);
    ApplyFileParameters(loop);
    fExportAsOneSample = view.fExportAsOneSample;
    fViewAndEdit.fGridShown = view.fGridShown;
    fViewAndEdit.fEnvelopeShown = view.fShowEnvelope;
    fViewAndEdit.fTransientShaperShown = view.fShowTransientShaper;
    fViewAndEdit.fEqualizerShown = view.fShowEqualizer;
    // Files keep the tool as 0 ... 3.
    int32_t tool = view.fTool;
    if (tool >= 0 && tool <= 3)
        tool += SViewAndEditAttributes::kArrowTool;
    fViewAndEdit.fTool = std::clamp<int32_t>(tool, SViewAndEditAttributes::kArrowTool,
                                             SViewAndEditAttributes::kPenTool);
    fWindowWidth = view.fWindowWidth;
    fWindowHeight = view.fWindowHeight;
    fWindowMaximised = view.fWindowMaximised;
    if (loop.fBars != 0 || loop.fBeats != 0)
        fTempoInitialised = true;
    SetFileLocation(location);
    fSequencer.RebuildSegments();
    if (fServices.registry != nullptr) {
        fServices.registry->DocumentCreated(*this);
        fRegistered = true;
    }
}

void CZubrikDocument::ApplyFileParameters(const CZubrikLoopParameters& loop)
{
    SDocumentParameters parameters = GetParameters();
    parameters.fSilenceSelected = loop.fSilenceSelected;
    parameters.fPreviewOn = loop.fPreviewOn;
    parameters.fSignatureNumerator = loop.fSignatureNumerator;
    parameters.fSignatureDenominator = loop.fSignatureDenominator;
    parameters.fBars = loop.fBars;
    parameters.fBeats = loop.fBeats;
    parameters.fPitch = loop.fPitch;
    parameters.fPreviewTempo = loop.fPreviewTempo;
    parameters.fEnvelopeOn = loop.fEnvelopeOn;
    parameters.fEnvelopeAttack = loop.fEnvelopeAttack;
    parameters.fEnvelopeDecay = loop.fEnvelopeDecay;
    parameters.fEnvelopeStretch = loop.fEnvelopeStretch;
    // The file's tempo stands; no initialisation on top of it.
    const bool initialised = fTempoInitialised;
    fTempoInitialised = true;
    PerformParameters(parameters);
    fTempoInitialised = initialised;
    SEffectParameters effects;
    effects.fProcessingGain = loop.fProcessingGain;
    effects.fShaperOn = loop.fShaperOn;
    effects.fShaperThreshold = loop.fShaperThreshold;
    effects.fShaperRatio = loop.fShaperRatio;
    effects.fShaperAttack = loop.fShaperAttack;
    effects.fShaperRelease = loop.fShaperRelease;
    effects.fEqualizerOn = loop.fEqualizerOn;
    effects.fEqualizerLowCut = loop.fEqualizerLowCut;
    effects.fEqualizerLowFrequency = loop.fEqualizerLowFrequency;
    effects.fEqualizerLowQ = loop.fEqualizerLowQ;
    effects.fEqualizerLowGain = loop.fEqualizerLowGain;
    effects.fEqualizerHighFrequency = loop.fEqualizerHighFrequency;
    effects.fEqualizerHighQ = loop.fEqualizerHighQ;
    effects.fEqualizerHighGain = loop.fEqualizerHighGain;
    effects.fEqualizerHighCut = loop.fEqualizerHighCut;
    PerformEffectParameters(effects);
}

CZubrikDocument::~CZubrikDocument()
{
    if (fSequencer.IsPlaying())
        fSequencer.StopAndWait();
    if (fRegistered && fServices.registry != nullptr)
        fServices.registry->DocumentDestroyed(*this);
}

void CZubrikDocument::SetFileLocation(const std::filesystem::path& file)
{
    fFile = file;
    fHasFile = true;
    fName = file.filename().u16string();
    std::u16string extension = file.extension().u16string();
    for (char16_t& c : extension)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    fFileIsLoopFile = extension == kZubrikLoopKind;
}

IDocumentPreferences& CZubrikDocument::Preferences() const
{
    static CDefaultDocumentPreferences builtIn;
    return fServices.preferences != nullptr ? *fServices.preferences : builtIn;
}

int32_t CZubrikDocument::ClampedOriginalTempo() const
{
    return std::clamp(fSequencer.GetOriginalTempo(), CZubrikSequencer::kMinimumPreviewTempo,
                      CZubrikSequencer::kMaximumPreviewTempo);
}

// ------------------------------------------------------------------ queries

void CZubrikDocument::AddListener(IDocumentListener& listener) { fListeners.push_back(&listener); }

void CZubrikDocument::RemoveListener(IDocumentListener& listener)
{
    fListeners.erase(std::remove(fListeners.begin(), fListeners.end(), &listener), fListeners.end());
}

int32_t CZubrikDocument::GetLeftLocator() const { return fWaveSample->GetLoopStart(); }

int32_t CZubrikDocument::GetRightLocator() const { return fWaveSample->GetLoopEnd(); }

SDocumentParameters CZubrikDocument::GetParameters() const
{
    const CZubrikSampler& sampler = fSequencer.GetSampler();
    SDocumentParameters p;
    p.fExportAsOneSample = fExportAsOneSample;
    p.fSilenceSelected = fSequencer.IsSilenceSelected();
    p.fPreviewOn = fSequencer.IsPreviewOn();
    p.fSignatureNumerator = fSequencer.GetSignatureNumerator();
    p.fSignatureDenominator = fSequencer.GetSignatureDenominator();
    p.fBars = fSequencer.GetBars();
    p.fBeats = fSequencer.GetBeats();
    p.fPitch = sampler.GetPitch();
    p.fPreviewTempo = fSequencer.GetPreviewTempo();
    p.fLeftLocator = GetLeftLocator();
    p.fRightLocator = GetRightLocator();
    p.fEnvelopeOn = sampler.IsEnvelopeOn();
    p.fEnvelopeAttack = sampler.GetEnvelopeAttack();
    p.fEnvelopeDecay = sampler.GetEnvelopeDecay();
    p.fEnvelopeStretch = sampler.GetEnvelopeStretch();
    return p;
}

SEffectParameters CZubrikDocument::GetEffectParameters() const
{
    const CZubrikSampler& sampler = fSequencer.GetSampler();
    const CEqualizerEffect& equalizer = fSequencer.GetEqualizer();
    SEffectParameters e;
    e.fProcessingGain = sampler.GetGain();
    e.fShaperOn = sampler.IsShaperOn();
    e.fShaperThreshold = sampler.GetShaperThreshold();
    e.fShaperRatio = sampler.GetShaperRatio();
    e.fShaperAttack = sampler.GetShaperAttack();
    e.fShaperRelease = sampler.GetShaperRelease();
    e.fEqualizerOn = equalizer.IsOn();
    e.fEqualizerLowCut = equalizer.GetLoCut();
    e.fEqualizerLowFrequency = equalizer.GetLowFrequency();
    e.fEqualizerLowQ = equalizer.GetLowQ();
    e.fEqualizerLowGain = equalizer.GetLowGain();
    e.fEqualizerHighFrequency = equalizer.GetHighFrequency();
    e.fEqualizerHighQ = equalizer.GetHighQ();
    e.fEqualizerHighGain = equalizer.GetHighGain();
    e.fEqualizerHighCut = equalizer.GetHighCut();
    return e;
}

bool CZubrikDocument::IsTempoMode() const
{
    return (GetBars() != 0 || GetBeats() != 0) && IsPreviewOn();
}

int32_t CZubrikDocument::GetLoopLengthInBeats() const
{
    return GetBars() * fSequencer.GetSignatureNumerator() + GetBeats();
}

double CZubrikDocument::GetFramesPerBeat() const
{
    const int32_t beats = GetLoopLengthInBeats();
    if (beats == 0)
        return 0.0;
    return double(GetRightLocator() - GetLeftLocator()) / beats;
}

int32_t CZubrikDocument::CountShownSlices() const
{
    return static_cast<int32_t>(
        std::count_if(fSlices->begin(), fSlices->end(), [this](const CSlice& s) { return fSlices->IsShown(s); }));
}

int32_t CZubrikDocument::CountShownSelectedSlices() const
{
    return static_cast<int32_t>(std::count_if(fSlices->begin(), fSlices->end(), [this](const CSlice& s) {
        return s.IsSelected() && fSlices->IsShown(s);
    }));
}

bool CZubrikDocument::NeedsSaving() const
{
    if (fHasFile && fFileIsLoopFile && fHistory.GetPosition() == fSavedPosition)
        return false;
    return !fNeverNeedsSaving;
}

void CZubrikDocument::SetWindowSize(int32_t width, int32_t height, bool maximised)
{
    fWindowWidth = width;
    fWindowHeight = height;
    fWindowMaximised = maximised;
}

// ------------------------------------------------------------------ notification

std::u16string CZubrikDocument::ComposeTitle() const { return fNeedsSaving ? fName + u" *" : fName; }

void CZubrikDocument::Notify()
{
    bool titleChanged = false;
    const bool needsSaving = NeedsSaving();
    if (needsSaving != fNeedsSaving) {
        fNeedsSaving = needsSaving;
        titleChanged = true;
    }
    std::u16string title = ComposeTitle();
    if (title != fTitle) {
        fTitle = std::move(title);
        titleChanged = true;
    }
    fStatisticsStale = true;
    fStatisticsStaleSince = Milliseconds();
    const SChangeFlags changed = fChanged;
    fChanged = SChangeFlags{false, false, false, false, false, false};
    // A listener may remove itself while being told.
    const std::vector<IDocumentListener*> listeners = fListeners;
    for (IDocumentListener* listener : listeners) {
        if (changed.fParameters)
            listener->ParametersChanged(*this);
        if (changed.fSlices)
            listener->SlicesChanged(*this);
        if (changed.fWaveSample)
            listener->WaveSampleChanged(*this);
        if (changed.fViewAndEdit)
            listener->ViewAndEditAttributesChanged(*this);
        if (changed.fUndoState)
            listener->UndoStateChanged(*this);
        if (titleChanged)
            listener->TitleChanged(*this);
        if (changed.fPlayback)
            listener->PlaybackChanged(*this);
    }
}

// ------------------------------------------------------------------ perform

void CZubrikDocument::ApplyLocatorsInOrder(int32_t left, int32_t right)
{
    // Each step keeps left < right: when the new left lies below the current
    // right, left goes first; otherwise right goes first.
    const int32_t currentLeft = GetLeftLocator();
    const int32_t currentRight = GetRightLocator();
    if (left < currentRight)
        fSequencer.SetLocators(left, currentRight);
    else
        fSequencer.SetLocators(currentLeft, right);
    fSequencer.SetLocators(left, right);
}

void CZubrikDocument::PerformParameters(const SDocumentParameters& p)
{
    const SDocumentParameters before = GetParameters();
    fExportAsOneSample = p.fExportAsOneSample;
    fSequencer.SetSilenceSelected(p.fSilenceSelected);
    fSequencer.SetSignature(p.fSignatureNumerator, p.fSignatureDenominator);
    fSequencer.SetBars(p.fBars);
    fSequencer.SetBeats(p.fBeats);
    fSequencer.SetPitch(p.fPitch);
    fSequencer.SetPreviewTempo(p.fPreviewTempo);
    fSequencer.SetPreviewOn(p.fPreviewOn);
    const bool leftChanged = p.fLeftLocator != before.fLeftLocator;
    const bool locatorChanged = leftChanged || p.fRightLocator != before.fRightLocator;
    if (locatorChanged)
        ApplyLocatorsInOrder(p.fLeftLocator, p.fRightLocator);
    fSequencer.SetEnvelopeOn(p.fEnvelopeOn);
    fSequencer.SetEnvelopeAttack(static_cast<int16_t>(p.fEnvelopeAttack));
    fSequencer.SetEnvelopeDecay(static_cast<int16_t>(p.fEnvelopeDecay));
    fSequencer.SetEnvelopeStretch(static_cast<int16_t>(p.fEnvelopeStretch));

    const bool lengthAppeared = before.fBars == 0 && before.fBeats == 0 && (p.fBars != 0 || p.fBeats != 0);
    if (p.fSilenceSelected != before.fSilenceSelected || p.fPreviewOn != before.fPreviewOn || locatorChanged ||
        lengthAppeared)
        fSequencer.RebuildSegments();
    if (IsTempoMode() && !fTempoInitialised) {
        fSequencer.SetPreviewTempo(ClampedOriginalTempo());
        fTempoInitialised = true;
    }

    fChanged.fParameters = true;
    if (p.fSilenceSelected != before.fSilenceSelected || locatorChanged)
        fChanged.fSlices = true;
    if (p.fSignatureNumerator != before.fSignatureNumerator ||
        p.fSignatureDenominator != before.fSignatureDenominator || p.fBars != before.fBars ||
        p.fBeats != before.fBeats || locatorChanged)
        fChanged.fViewAndEdit = true;
    if (leftChanged && fSequencer.IsPlaying())
        fChanged.fPlayback = true; // the playing loop follows its new start
}

void CZubrikDocument::PerformEffectParameters(const SEffectParameters& e)
{
    fSequencer.SetGain(e.fProcessingGain);
    fSequencer.SetShaperOn(e.fShaperOn);
    fSequencer.SetShaperThreshold(static_cast<int16_t>(e.fShaperThreshold));
    fSequencer.SetShaperRatio(static_cast<int16_t>(e.fShaperRatio));
    fSequencer.SetShaperAttack(static_cast<int16_t>(e.fShaperAttack));
    fSequencer.SetShaperRelease(static_cast<int16_t>(e.fShaperRelease));
    fSequencer.SetEqualizerOn(e.fEqualizerOn);
    fSequencer.SetEqualizerLoCut(static_cast<int16_t>(e.fEqualizerLowCut));
    fSequencer.SetEqualizerLowFrequency(static_cast<int16_t>(e.fEqualizerLowFrequency));
    fSequencer.SetEqualizerLowQ(static_cast<int16_t>(e.fEqualizerLowQ));
    fSequencer.SetEqualizerLowGain(static_cast<int16_t>(e.fEqualizerLowGain));
    fSequencer.SetEqualizerHighFrequency(static_cast<int16_t>(e.fEqualizerHighFrequency));
    fSequencer.SetEqualizerHighQ(static_cast<int16_t>(e.fEqualizerHighQ));
    fSequencer.SetEqualizerHighGain(static_cast<int16_t>(e.fEqualizerHighGain));
    fSequencer.SetEqualizerHighCut(static_cast<int16_t>(e.fEqualizerHighCut));
    fChanged.fParameters = true;
}

void CZubrikDocument::PerformViewAndEditAttributes(const SViewAndEditAttributes& attributes)
{
    fViewAndEdit = attributes;
    fChanged.fViewAndEdit = true;
}

void CZubrikDocument::SwapSliceSequence(std::unique_ptr<CSliceSequence>& slices)
{
    // A sequence made before the sound was replaced still names the old
    // sound; it is moved over to the current one.
    if (&slices->GetWaveSample() != fWaveSample.get())
        slices = Rebound(*slices, *fWaveSample);
    const bool settingsDiffer = slices->GetSensitivity() != fSlices->GetSensitivity() ||
                                slices->GetGateSensitivity() != fSlices->GetGateSensitivity();
    const int32_t cursor = fSequencer.GetCursor();
    fSlices.swap(slices);
    fSequencer.SetWaveSample(*fWaveSample, fSlices.get());
    fSequencer.SetCursor(cursor);
    fChanged.fSlices = true;
    if (settingsDiffer)
        fChanged.fParameters = true;
}

std::unique_ptr<CABCWaveSample> CZubrikDocument::ExchangeWaveSample(std::unique_ptr<CABCWaveSample>&& wave,
                                                                  std::unique_ptr<CSliceSequence>* slices)
{
    assert(wave->IsPreviewValid());
    if (fSequencer.IsPlaying())
        fSequencer.StopAndWait();
    // Everything that may fail comes before the first change.
    std::unique_ptr<CSliceSequence> rebound;
    if (slices == nullptr)
        rebound = Rebound(*fSlices, *wave);
    else if (&(*slices)->GetWaveSample() != wave.get())
        *slices = Rebound(**slices, *wave);
    if (slices != nullptr) {
        fSlices.swap(*slices);
        fChanged.fSlices = true;
    } else {
        fSlices = std::move(rebound);
    }
    fWaveSample.swap(wave);
    fSequencer.SetWaveSample(*fWaveSample, fSlices.get());
    fChanged.fWaveSample = true;
    return std::move(wave);
}

// ------------------------------------------------------------------ undo

void CZubrikDocument::Undo()
{
    StepHistory(&NSUndoPackage::CUndoHistory::Undo);
}

void CZubrikDocument::Redo()
{
    StepHistory(&NSUndoPackage::CUndoHistory::Redo);
}

// Views learn of the new undo state whether or not the step worked; a step
// that failed is reported after they have caught up.
void CZubrikDocument::StepHistory(void (NSUndoPackage::CUndoHistory::*step)())
{
    bool failed = false;
    try {
        (fHistory.*step)();
    } catch (const std::exception&) {
        failed = true;
    }
    fChanged.fUndoState = true;
    Notify();
    if (failed)
        ShowAlert(kAlertTable, NSAlerts::kUndoRedoFailed);
}

uint32_t CZubrikDocument::Milliseconds() const
{
    if (fServices.lengthy.clock != nullptr)
        return fServices.lengthy.clock->Milliseconds();
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace NSZubrik
