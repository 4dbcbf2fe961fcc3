// The change records of a document. Each applies its new state on Do and
// its old one on Undo through the document's perform operations, which set
// the change flags for the notification that follows.
#pragma once

#include <memory>

#include "document/Change.h"
#include "document/DocumentTypes.h"

namespace NSUndoPackage {
class CSavedWaveSample;
}

namespace NSZubrik {

class CABCWaveSample;
class CSliceSequence;
class CZubrikDocument;

class CDocumentParametersChange : public NSUndoPackage::CABCChange {
public:
    // The old state is taken from the document now.
    CDocumentParametersChange(CZubrikDocument& document, const SDocumentParameters& after);
    void Do() override;
    void Undo() override;
    const SDocumentParameters& GetBefore() const { return fBefore; }
    const SDocumentParameters& GetAfter() const { return fAfter; }

private:
    CZubrikDocument& fDocument;
    SDocumentParameters fBefore;
    SDocumentParameters fAfter;
};

class CDocumentEffectParametersChange : public NSUndoPackage::CABCChange {
public:
    CDocumentEffectParametersChange(CZubrikDocument& document, const SEffectParameters& after);
    void Do() override;
    void Undo() override;

private:
    CZubrikDocument& fDocument;
    SEffectParameters fBefore;
    SEffectParameters fAfter;
};

class CDocumentViewAndEditAttributesChange : public NSUndoPackage::CABCChange {
public:
    CDocumentViewAndEditAttributesChange(CZubrikDocument& document, const SViewAndEditAttributes& after);
    void Do() override;
    void Undo() override;

private:
    CZubrikDocument& fDocument;
    SViewAndEditAttributes fBefore;
    SViewAndEditAttributes fAfter;
};

// Holds one sequence, the new one at first; doing and undoing both swap it
// with the document's.
class CSliceSequenceChange : public NSUndoPackage::CABCChange {
public:
    // The lengths of the new sequence are recomputed here.
    CSliceSequenceChange(CZubrikDocument& document, std::unique_ptr<CSliceSequence> slices);
    ~CSliceSequenceChange() override;
    void Do() override;
    void Undo() override;

private:
    CZubrikDocument& fDocument;
    std::unique_ptr<CSliceSequence> fSlices;
};

// Holds the new sound until it is first applied, then only the other sound
// in compressed form, so that a record never keeps more than one sound.
class CWaveSampleChange : public NSUndoPackage::CABCChange {
public:
    CWaveSampleChange(CZubrikDocument& document, std::unique_ptr<CABCWaveSample> wave);
    ~CWaveSampleChange() override;
    void Do() override;
    void Undo() override;

protected:
    // The slices swapped together with the sound, or null.
    virtual std::unique_ptr<CSliceSequence>* SlicesToSwap() { return nullptr; }

private:
    void Exchange();

    CZubrikDocument& fDocument;
    std::unique_ptr<CABCWaveSample> fNewWave;
    std::unique_ptr<NSUndoPackage::CSavedWaveSample> fSaved;
};

class CWaveSampleAndSliceSequenceChange : public CWaveSampleChange {
public:
    // The lengths of the new sequence are recomputed here.
    CWaveSampleAndSliceSequenceChange(CZubrikDocument& document, std::unique_ptr<CABCWaveSample> wave,
                                      std::unique_ptr<CSliceSequence> slices);
    ~CWaveSampleAndSliceSequenceChange() override;

protected:
    std::unique_ptr<CSliceSequence>* SlicesToSwap() override { return &fSlices; }

private:
    std::unique_ptr<CSliceSequence> fSlices;
};

} // namespace NSZubrik
