// One open loop: the sound, its slices, the preview sequencer that holds the
// loop and effect settings, the window's view-and-edit attributes and the
// undo history.
//
// Every edit arrives as one command. A command that would change nothing
// does nothing; otherwise it builds the new state beside the current one,
// wraps both in a change record and commits the record to the undo history,
// which applies it. After every performed change, undo and redo the
// listeners are told, once per kind of state that changed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "document/DocumentTypes.h"
#include "document/UndoHistory.h"
#include "engine/Sequencer.h"

namespace NSZubrik {

class CABCWaveSample;
class CSliceSequence;
class CZubrikFile;
struct CZubrikFileSource;
struct CZubrikLoopParameters;

class CZubrikDocument {
public:
    enum EPlayMode : int32_t {
        kNotPlaying = 0,
        kPlayingLoop = 1,
        kPlayingCurrentSlice = 2,
        kPlayingPreviousSlice = 3,
        kPlayingCurrentSliceAndAdvance = 4,
        kPlayingSliceAtPosition = 5
    };
    // What the status bar and the file record of an export would write.
    struct SExportStatistics {
        int32_t fSliceCount = 0;
        // Frames, doubled for a stereo sound.
        int64_t fSampleValues = 0;
    };
    // The status bar's figures are recomputed at most this often.
    static constexpr uint32_t kStatisticsDelay = 30;
    // The ranges of the loop's settings, as loop files hold them.
    static constexpr int32_t kMaximumBars = 999;
    static constexpr int32_t kMaximumBeats = 7;
    static constexpr int32_t kMaximumPitch = 2400;          // cents, either way
    static constexpr int32_t kMaximumProcessingGain = 7943; // thousandths: +18 dB

    // ---- Creation ----
    // The empty start-up document "Untitled": one silent frame at 44100 Hz,
    // mono, 16 bits; it never needs saving.
    static std::unique_ptr<CZubrikDocument> CreateEmpty(
        const CDocumentServices& services = GetDefaultDocumentServices());
    // A sound read from a sound file; the slices are found by analysis, and
    // a locked slice stands at each of lockedSlices (the file's markers).
    static std::unique_ptr<CZubrikDocument> CreateFromSoundFile(
        std::unique_ptr<CABCWaveSample> wave, const std::filesystem::path& file,
        const CDocumentServices& services = GetDefaultDocumentServices(),
        const std::vector<int32_t>& lockedSlices = {});
    // "Untitled" on a sound the program made (a pasted loop); analysed.
    static std::unique_ptr<CZubrikDocument> CreateFromWaveSample(
        std::unique_ptr<CABCWaveSample> wave, const CDocumentServices& services = GetDefaultDocumentServices());
    // A loop file, or an older loop or document file: sound, slices and
    // settings all come from the file.
    static std::unique_ptr<CZubrikDocument> OpenFile(const std::filesystem::path& file,
                                                     const CDocumentServices& services = GetDefaultDocumentServices());
    static std::unique_ptr<CZubrikDocument> OpenFile(CZubrikFile& file, const std::filesystem::path& location,
                                                     const CDocumentServices& services = GetDefaultDocumentServices());
    ~CZubrikDocument();
    CZubrikDocument(const CZubrikDocument&) = delete;
    CZubrikDocument& operator=(const CZubrikDocument&) = delete;

    // ---- Listeners (not owned; notified in the order added) ----
    void AddListener(IDocumentListener& listener);
    void RemoveListener(IDocumentListener& listener);

    // ---- Queries ----
    const CABCWaveSample& GetWaveSample() const { return *fWaveSample; }
    const CSliceSequence& GetSliceSequence() const { return *fSlices; }
    CZubrikSequencer& GetSequencer() { return fSequencer; }
    const CZubrikSequencer& GetSequencer() const { return fSequencer; }
    SDocumentParameters GetParameters() const;
    SEffectParameters GetEffectParameters() const;
    const SViewAndEditAttributes& GetViewAndEditAttributes() const { return fViewAndEdit; }
    bool IsExportAsOneSample() const { return fExportAsOneSample; }
    int32_t GetBars() const { return fSequencer.GetBars(); }
    int32_t GetBeats() const { return fSequencer.GetBeats(); }
    int32_t GetLeftLocator() const;
    int32_t GetRightLocator() const;
    bool IsPreviewOn() const { return fSequencer.IsPreviewOn(); }
    int32_t GetPreviewTempo() const { return fSequencer.GetPreviewTempo(); }
    // Bars and beats given, and preview on.
    bool IsTempoMode() const;
    int32_t GetLoopLengthInBeats() const;
    // 0 without a loop length.
    double GetFramesPerBeat() const;
    bool IsTempoInitialised() const { return fTempoInitialised; }
    int32_t CountShownSlices() const;
    int32_t CountShownSelectedSlices() const;
    // Recomputed at once when stale.
    SExportStatistics GetExportStatistics();
    // For the status bar: recomputed only once kStatisticsDelay ms have passed
    // since the figures went stale, so that a drag does not rebuild the
    // export on every step.
    SExportStatistics GetExportStatisticsForStatusBar();
    bool NeedsSaving() const;
    const std::u16string& GetName() const { return fName; }
    const std::u16string& GetTitle() const { return fTitle; }
    bool HasFile() const { return fHasFile; }
    bool HasLoopFile() const { return fHasFile && fFileIsLoopFile; }
    const std::filesystem::path& GetFile() const { return fFile; }
    bool IsEmptyStartUpDocument() const { return fNeverNeedsSaving; }
    int32_t GetPlayMode() const { return fPlayMode; }
    int32_t GetWindowWidth() const { return fWindowWidth; }
    int32_t GetWindowHeight() const { return fWindowHeight; }
    bool IsWindowMaximised() const { return fWindowMaximised; }
    // The window keeps these current; they travel with loop files.
    void SetWindowSize(int32_t width, int32_t height, bool maximised);

    // ---- Undo ----
    const NSUndoPackage::CUndoHistory& GetUndoHistory() const { return fHistory; }
    bool CanUndo() const { return fHistory.CanUndo(); }
    bool CanRedo() const { return fHistory.CanRedo(); }
    std::u16string GetUndoName() const { return fHistory.GetUndoName(); }
    std::u16string GetRedoName() const { return fHistory.GetRedoName(); }
    // A failure leaves the history where it was and shows the alert
    // "Could not complete operation!".
    void Undo();
    void Redo();
    // -1 once the saved state can no longer be reached.
    int32_t GetSavedPosition() const { return fSavedPosition; }
    // Ends a gesture (a knob drag): the next edit starts a new undo step
    // even when it is the same command as the last.
    void EndEditGesture() { fHistory.ForgetMergeKey(); }

    // ---- Parameter commands ----
    void ToggleExportAsOneSample();
    void ToggleSilenceSelected();
    // Switching on without a loop length asks for one first.
    void TogglePreviewPlay();
    void SetTimeSignature(int32_t numerator, int32_t denominator);
    void SetBars(int32_t bars);
    void SetBeats(int32_t beats);
    void SetPitch(int16_t cents);
    void SetPreviewTempo(int32_t tempo);
    void SetLeftLocator(int32_t frame);
    void SetRightLocator(int32_t frame);
    void SetLoop(int32_t left, int32_t right);
    void ToggleEnvelope();
    void SelectEnvelopePreset(int32_t attack, int32_t decay, int32_t stretch);
    void SetEnvelopeAttack(int32_t value);
    void SetEnvelopeDecay(int32_t value);
    void SetEnvelopeStretch(int32_t value);

    // ---- Effect commands ----
    void SetProcessingGain(int32_t thousandths);
    void ToggleTransientShaper();
    void SelectTransientShaperPreset(int32_t threshold, int32_t ratio, int32_t attack, int32_t release);
    void SetTransientShaperThreshold(int32_t value);
    void SetTransientShaperRatio(int32_t value);
    void SetTransientShaperAttack(int32_t value);
    void SetTransientShaperRelease(int32_t value);
    void ToggleEqualizer();
    // Low cut, low frequency, low Q, low gain, high frequency, high Q, high
    // gain, high cut.
    void SelectEqualizerPreset(const int32_t (&values)[8]);
    void SetEqualizerLowCut(int32_t value);
    void SetEqualizerLowFrequency(int32_t value);
    void SetEqualizerLowQ(int32_t value);
    void SetEqualizerLowGain(int32_t value);
    void SetEqualizerHighFrequency(int32_t value);
    void SetEqualizerHighQ(int32_t value);
    void SetEqualizerHighGain(int32_t value);
    void SetEqualizerHighCut(int32_t value);

    // ---- Slice commands (slices named by their frame) ----
    // mergeKey "Move Slice" for a click that may turn into a drag.
    void SelectSlice(int32_t position, bool addToSelection, const std::u16string& mergeKey = {});
    // The click that starts dragging a slice: selected with the merge key of
    // "Move Slice", so that the drag that follows joins it.
    void SelectSliceForMove(int32_t position);
    void DeselectSlice(int32_t position);
    void SelectAll();
    void DeselectAll(const std::u16string& mergeKey = {});
    // The deselection that starts a range selection without the add
    // modifier, merged with the "Select Range" that follows.
    void BeginRangeSelection();
    void SelectRange(int32_t from, int32_t to);
    void InvertSelection();
    void MoveSlice(int32_t from, int32_t to);
    void InsertSlice(int32_t position);
    void DeleteSelectedSlices();
    void MuteSlices(int32_t position);
    void LockSlices(int32_t position);
    void SetSensitivity(int32_t sensitivity);
    void SetGateSensitivity(int32_t gateSensitivity);
    void ReAnalyze();
    void AddSlicesAtGrid();
    // The slice context menu's locator shortcuts.
    void SetLeftLocatorToSlice(int32_t frame);
    void SetRightLocatorToSlice(int32_t frame);
    void SetLoopAroundSlice(int32_t frame);

    // ---- Wave commands: the new sound (and slices made over it) ----
    void CommitWaveSample(std::unique_ptr<CABCWaveSample> wave, const std::u16string& name);
    void CommitWaveSampleAndSlices(std::unique_ptr<CABCWaveSample> wave, std::unique_ptr<CSliceSequence> slices,
                                   const std::u16string& name);

    // ---- View-and-edit attributes: not undoable, never need saving ----
    void SetTool(int32_t tool);
    // Showing the grid without a loop length asks for one first.
    void ToggleGrid();
    // With hideOthers, a panel being shown hides the other two in the same
    // change.
    void TogglePanel(int32_t panel, bool hideOthers);

    // ---- Transport ----
    void PlayLoop();
    void PlayCurrentSlice();
    void PlayPreviousSlice();
    void PlayCurrentSliceAndAdvance();
    void PlaySliceAt(int32_t frame);
    void Stop();

    // ---- Loop length, window, saving ----
    // With bars and beats both 0 asks for the bar count; an answer is
    // committed as "Change Bar Count" together with the original tempo.
    // False only when the question was cancelled.
    bool AskForLoopLength();
    // A window was made for the document: a first notification with every
    // change flag on, the left-locator question (unless skipped) and the
    // note about the effects.
    void OpenedInWindow(bool skipLeftLocatorQuestion);
    // To the document's loop file, or as Save As without one. True when
    // written; failures are shown as alerts.
    bool Save();
    bool SaveAs();
    bool SaveTo(const std::filesystem::path& file);
    // Everything the loop-file writer takes from the document.
    CZubrikFileSource GetFileSource();

    // ---- For the change records: apply one state ----
    void PerformParameters(const SDocumentParameters& parameters);
    void PerformEffectParameters(const SEffectParameters& parameters);
    void PerformViewAndEditAttributes(const SViewAndEditAttributes& attributes);
    // Swaps the document's sequence with the one given.
    void SwapSliceSequence(std::unique_ptr<CSliceSequence>& slices);
    // Takes the new sound (and, when slices is given, swaps the sequences)
    // and hands the old sound back. A failure leaves the new sound with the
    // caller and the document as it was.
    std::unique_ptr<CABCWaveSample> ExchangeWaveSample(std::unique_ptr<CABCWaveSample>&& wave,
                                                       std::unique_ptr<CSliceSequence>* slices);
    // Tells the listeners what changed since the last time.
    void Notify();

private:
    struct SChangeFlags {
        bool fParameters = true;
        bool fSlices = true;
        bool fWaveSample = true;
        bool fViewAndEdit = true;
        bool fUndoState = true;
        bool fPlayback = true;
    };
    enum class ESlicesFrom { kAnalysis, kGiven };

    CZubrikDocument(std::u16string name, std::unique_ptr<CABCWaveSample> wave, const CDocumentServices& services);
    void AnalyzeNewSlices(const std::vector<int32_t>& lockedSlices = {});
    void ReadFromFile(CZubrikFile& file, const std::filesystem::path& location);
    void SetFileLocation(const std::filesystem::path& file);
    IDocumentPreferences& Preferences() const;
    int32_t ClampedOriginalTempo() const;
    // Undoes or redoes one step; a failure is told in an alert.
    void StepHistory(void (NSUndoPackage::CUndoHistory::*step)());

    // Commits one change record as an undo step and notifies.
    void Commit(NSUndoPackage::TChangeRef change, int32_t nameEntry, const std::u16string& mergeKey = {});
    void Commit(NSUndoPackage::TChangeRef change, const std::u16string& name, const std::u16string& mergeKey);
    void CommitParameters(const SDocumentParameters& next, int32_t nameEntry);
    // Commits the parameters with one field changed.
    template <typename TField>
    void CommitParameter(TField SDocumentParameters::*field, TField value, int32_t nameEntry)
    {
        SDocumentParameters next = GetParameters();
        next.*field = value;
        CommitParameters(next, nameEntry);
    }
    void CommitEffects(const SEffectParameters& next, int32_t nameEntry);
    void CommitSlices(std::unique_ptr<CSliceSequence> next, int32_t nameEntry, const std::u16string& mergeKey = {});
    void PerformOutsideHistory(NSUndoPackage::TChangeRef change);
    void PerformViewAndEditChange(const SViewAndEditAttributes& next);
    void SetLocators(int32_t left, int32_t right);
    void ApplyLocatorsInOrder(int32_t left, int32_t right);
    void ApplyFileParameters(const CZubrikLoopParameters& loop);
    std::unique_ptr<CSliceSequence> CopyOfSlices() const;
    void ToggleSliceState(int32_t position, int32_t state, int32_t nameEntry);
    void Transport(int32_t playMode);
    bool WriteFile(const std::filesystem::path& file);
    void RecomputeStatistics();
    uint32_t Milliseconds() const;
    std::u16string ComposeTitle() const;

    bool fNeedsSaving = false;
    std::u16string fTitle;
    NSUndoPackage::CUndoHistory fHistory;
    int32_t fSavedPosition = 0;
    bool fHasFile = false;
    bool fFileIsLoopFile = false;
    bool fNeverNeedsSaving = false;
    std::filesystem::path fFile;
    std::u16string fName;
    std::vector<IDocumentListener*> fListeners;
    std::unique_ptr<CABCWaveSample> fWaveSample;
    std::unique_ptr<CSliceSequence> fSlices;
    CZubrikSequencer fSequencer;
    SViewAndEditAttributes fViewAndEdit;
    bool fExportAsOneSample = true;
    SExportStatistics fStatistics;
    bool fStatisticsStale = true;
    uint32_t fStatisticsStaleSince = 0;
    bool fTempoInitialised = false;
    int32_t fPlayMode = kNotPlaying;
    SChangeFlags fChanged;
    int32_t fWindowWidth = 0;
    int32_t fWindowHeight = 0;
    bool fWindowMaximised = false;
    CDocumentServices fServices;
    bool fRegistered = false;
};

} // namespace NSZubrik
