// The units of a document's undoable state and the outside services a
// document calls: its listeners, the preferences it reads, the loop-length
// question and the save dialog. Each front end (GUI, command line, tests)
// supplies its own services; without them the document uses quiet defaults.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "document/LengthyOperation.h"

namespace NSZubrik {

class CZubrikDocument;

// The document parameters: the unit of a parameters change, in this order.
struct SDocumentParameters {
    bool fExportAsOneSample = true;
    bool fSilenceSelected = false;
    bool fPreviewOn = false;
    int32_t fSignatureNumerator = 4;
    int32_t fSignatureDenominator = 4;
    int32_t fBars = 0;
    int32_t fBeats = 0;
    int16_t fPitch = 0;
    int32_t fPreviewTempo = 130000;
    int32_t fLeftLocator = 0;
    int32_t fRightLocator = 0;
    bool fEnvelopeOn = true;
    int32_t fEnvelopeAttack = 21;
    int32_t fEnvelopeDecay = 1023;
    int32_t fEnvelopeStretch = 40;

    bool operator==(const SDocumentParameters&) const = default;
};

// The effect parameters: the unit of an effect-parameters change.
struct SEffectParameters {
    int32_t fProcessingGain = 1000;
    bool fShaperOn = false;
    int32_t fShaperThreshold = 0;
    int32_t fShaperRatio = 0;
    int32_t fShaperAttack = 193;
    int32_t fShaperRelease = 350;
    bool fEqualizerOn = false;
    int32_t fEqualizerLowCut = 15;
    int32_t fEqualizerLowFrequency = 20;
    int32_t fEqualizerLowQ = 500;
    int32_t fEqualizerLowGain = 0;
    int32_t fEqualizerHighFrequency = 1500;
    int32_t fEqualizerHighQ = 500;
    int32_t fEqualizerHighGain = 0;
    int32_t fEqualizerHighCut = 20000;

    bool operator==(const SEffectParameters&) const = default;
};

// The window's view and edit attributes; changed outside the undo history.
struct SViewAndEditAttributes {
    enum ETool : int32_t { kArrowTool = 685, kMuteTool = 686, kLockTool = 687, kPenTool = 688 };
    enum EPanel : int32_t { kEnvelopePanel = 0, kTransientShaperPanel = 1, kEqualizerPanel = 2 };

    bool fGridShown = false;
    bool fEnvelopeShown = true;
    bool fTransientShaperShown = true;
    bool fEqualizerShown = true;
    int32_t fTool = kArrowTool;

    bool IsPanelShown(int32_t panel) const;
    void SetPanelShown(int32_t panel, bool shown);
    bool operator==(const SViewAndEditAttributes&) const = default;
};

// Called synchronously on the GUI thread after every performed change, undo
// and redo, one call per kind of state that changed, in this order.
class IDocumentListener {
public:
    virtual ~IDocumentListener() = default;
    virtual void ParametersChanged(CZubrikDocument& document) = 0;
    virtual void SlicesChanged(CZubrikDocument& document) = 0;
    virtual void WaveSampleChanged(CZubrikDocument& document) = 0;
    virtual void ViewAndEditAttributesChanged(CZubrikDocument& document) = 0;
    virtual void UndoStateChanged(CZubrikDocument& document) = 0;
    virtual void TitleChanged(CZubrikDocument& document) = 0;
    virtual void PlaybackChanged(CZubrikDocument& document) = 0;
};

// The preferences a document reads, and the one it writes (the counter of
// the "You can't hear the effects yet!" note).
class IDocumentPreferences {
public:
    virtual ~IDocumentPreferences() = default;
    // "Set "Bars" to 1 in New Documents".
    virtual bool SetsBarsToOneInNewDocuments() const = 0;
    // "Always Move Left Locator to First Slice Point".
    virtual bool AlwaysMovesLeftLocator() const = 0;
    // An export of one sample is not lengthened for the last slice to ring out.
    virtual bool HasNoRingOut() const = 0;
    virtual int32_t GetEffectsNoteCounter() const = 0;
    virtual void SetEffectsNoteCounter(int32_t count) = 0;
    // The audio device's rate, which the preview renders at.
    virtual int32_t GetOutputSampleRate() const = 0;
    // The counters of the notes after opening an old loop file and an old
    // document with the "Normalize" option. Preferences that keep no such
    // counters never show the notes.
    virtual int32_t GetOldLoopNoteCounter() const { return 0; }
    virtual void SetOldLoopNoteCounter(int32_t count) { (void)count; }
    virtual int32_t GetNormalizeNoteCounter() const { return 0; }
    virtual void SetNormalizeNoteCounter(int32_t count) { (void)count; }
};

// Preferences held in memory with the values of a first run.
class CDefaultDocumentPreferences : public IDocumentPreferences {
public:
    bool SetsBarsToOneInNewDocuments() const override { return fSetBarsToOne; }
    bool AlwaysMovesLeftLocator() const override { return fAlwaysMoveLeftLocator; }
    bool HasNoRingOut() const override { return fNoRingOut; }
    int32_t GetEffectsNoteCounter() const override { return fEffectsNoteCounter; }
    void SetEffectsNoteCounter(int32_t count) override { fEffectsNoteCounter = count; }
    int32_t GetOutputSampleRate() const override { return fOutputSampleRate; }
    int32_t GetOldLoopNoteCounter() const override { return fOldLoopNoteCounter; }
    void SetOldLoopNoteCounter(int32_t count) override { fOldLoopNoteCounter = count; }
    int32_t GetNormalizeNoteCounter() const override { return fNormalizeNoteCounter; }
    void SetNormalizeNoteCounter(int32_t count) override { fNormalizeNoteCounter = count; }

    bool fSetBarsToOne = false;
    bool fAlwaysMoveLeftLocator = false;
    bool fNoRingOut = false;
    int32_t fEffectsNoteCounter = 5;
    int32_t fOldLoopNoteCounter = 5;
    int32_t fNormalizeNoteCounter = 5;
    int32_t fOutputSampleRate = 44100;
};

// The question "Loop Length cannot be set to 0 Bars. Please enter the
// correct number of Bars." with a "Bars:" field. Answers the bar count the
// user confirmed (1 ... 999), or nothing when the user cancelled.
class INoLengthSpecifiedDialog {
public:
    virtual ~INoLengthSpecifiedDialog() = default;
    virtual std::optional<int32_t> AskForBars() = 0;
};

// The rules of the "Bars:" field: only the characters "0123456789" are
// accepted, an empty field counts as -1, the value is clamped to -1 ... 999,
// and OK takes effect only from 1 up.
struct CNoLengthSpecifiedField {
    static bool AcceptsCharacter(char16_t character);
    static int32_t ValueOf(const std::u16string& text);
    static bool MayConfirm(int32_t value) { return value >= 1; }
};

// The save dialog titled "Save Zubrik Document": the chosen file, or nothing.
class ISaveDocumentDialog {
public:
    virtual ~ISaveDocumentDialog() = default;
    virtual std::optional<std::filesystem::path> AskForFile(const std::u16string& suggestedName) = 0;
};

// The application's register of open documents.
class IDocumentRegistry {
public:
    virtual ~IDocumentRegistry() = default;
    virtual void DocumentCreated(CZubrikDocument& document) = 0;
    virtual void DocumentDestroyed(CZubrikDocument& document) = 0;
};

// What a document reaches outside itself. Null members stand for: built-in
// preferences, a loop-length question that is always cancelled, a save
// dialog that is always cancelled, no registry.
struct CDocumentServices {
    IDocumentPreferences* preferences = nullptr;
    INoLengthSpecifiedDialog* lengthDialog = nullptr;
    ISaveDocumentDialog* saveDialog = nullptr;
    IDocumentRegistry* registry = nullptr;
    CLengthyOperationServices lengthy;
};

// The services documents are made with; the application installs its own at
// start. Returns the previous ones.
CDocumentServices SetDefaultDocumentServices(const CDocumentServices& services);
const CDocumentServices& GetDefaultDocumentServices();

} // namespace NSZubrik
