#include "document/DocumentChanges.h"

#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/SavedWaveSample.h"
#include "document/ZubrikDocument.h"

namespace NSZubrik {

CDocumentParametersChange::CDocumentParametersChange(CZubrikDocument& document, const SDocumentParameters& after)
    : fDocument(document), fBefore(document.GetParameters()), fAfter(after)
{
}

void CDocumentParametersChange::Do() { fDocument.PerformParameters(fAfter); }

void CDocumentParametersChange::Undo() { fDocument.PerformParameters(fBefore); }

CDocumentEffectParametersChange::CDocumentEffectParametersChange(CZubrikDocument& document,
                                                                 const SEffectParameters& after)
    : fDocument(document), fBefore(document.GetEffectParameters()), fAfter(after)
{
}

void CDocumentEffectParametersChange::Do() { fDocument.PerformEffectParameters(fAfter); }

void CDocumentEffectParametersChange::Undo() { fDocument.PerformEffectParameters(fBefore); }

CDocumentViewAndEditAttributesChange::CDocumentViewAndEditAttributesChange(CZubrikDocument& document,
                                                                           const SViewAndEditAttributes& after)
    : fDocument(document), fBefore(document.GetViewAndEditAttributes()), fAfter(after)
{
}

void CDocumentViewAndEditAttributesChange::Do() { fDocument.PerformViewAndEditAttributes(fAfter); }

void CDocumentViewAndEditAttributesChange::Undo() { fDocument.PerformViewAndEditAttributes(fBefore); }

CSliceSequenceChange::CSliceSequenceChange(CZubrikDocument& document, std::unique_ptr<CSliceSequence> slices)
    : fDocument(document), fSlices(std::move(slices))
{
    fSlices->UpdateLengths();
}

CSliceSequenceChange::~CSliceSequenceChange() = default;

void CSliceSequenceChange::Do() { fDocument.SwapSliceSequence(fSlices); }

void CSliceSequenceChange::Undo() { fDocument.SwapSliceSequence(fSlices); }

CWaveSampleChange::CWaveSampleChange(CZubrikDocument& document, std::unique_ptr<CABCWaveSample> wave)
    : fDocument(document), fNewWave(std::move(wave))
{
    // Before any slice length is derived from the new sound.
    fNewWave->EnsurePreview();
}

CWaveSampleChange::~CWaveSampleChange() = default;

void CWaveSampleChange::Do()
{
    if (fNewWave) {
        // First application: the displaced sound is kept compressed and the
        // new one goes to the document for good.
        auto saved = std::make_unique<NSUndoPackage::CSavedWaveSample>(fDocument.GetWaveSample());
        fDocument.ExchangeWaveSample(std::move(fNewWave), SlicesToSwap());
        fSaved = std::move(saved);
        return;
    }
    Exchange();
}

void CWaveSampleChange::Undo() { Exchange(); }

void CWaveSampleChange::Exchange()
{
    std::unique_ptr<CABCWaveSample> restored = fSaved->Restore();
    // With its sound back in memory the old record is not needed: letting it
    // go before the current sound is compressed keeps two sounds and one
    // record in memory at most. Should anything below fail, the record is
    // made again from the restored sound and the change stays as it was.
    fSaved.reset();
    try {
        auto saved = std::make_unique<NSUndoPackage::CSavedWaveSample>(fDocument.GetWaveSample());
        fDocument.ExchangeWaveSample(std::move(restored), SlicesToSwap());
        fSaved = std::move(saved);
    } catch (...) {
        fSaved = std::make_unique<NSUndoPackage::CSavedWaveSample>(*restored);
        throw;
    }
}

CWaveSampleAndSliceSequenceChange::CWaveSampleAndSliceSequenceChange(CZubrikDocument& document,
                                                                     std::unique_ptr<CABCWaveSample> wave,
                                                                     std::unique_ptr<CSliceSequence> slices)
    : CWaveSampleChange(document, std::move(wave)), fSlices(std::move(slices))
{
    fSlices->UpdateLengths();
}

CWaveSampleAndSliceSequenceChange::~CWaveSampleAndSliceSequenceChange() = default;

} // namespace NSZubrik
