#include "audiodata/ZBXObject.h"

#include <algorithm>

#include "app/ZubrikErrors.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "engine/Sequencer.h"

namespace NSZubrik {

CZBXObject::CZBXObject(CZubrikFile& file, std::unique_ptr<CABCWaveSample> wave)
    : fWave(std::move(wave)) {
    fWave->BuildPreview();
    fSlices = std::make_unique<CSliceSequence>(*fWave);
    fSequencer = std::make_unique<CZubrikSequencer>(*fWave, fSlices.get());
    file.ReadSlices(*fSlices);
    CZubrikLoopParameters parameters;
    file.ReadParameters(parameters, fSequencer->GetOutputSampleRate());
    ApplyParameters(parameters);
    file.ReadViewAttributes(fViewAttributes);
    fInfo = file.GetFileInfo();
    if (file.GetKind() == kZubrikLoopKind) fCreatorInfo = file.ReadCreatorInfo();
    if (parameters.fBars == 0 && parameters.fBeats == 0) throw XZubrikFileHasZeroLoopLength();

    fSequencer->SetPreviewOn(true);
    fSequencer->RebuildSegments();
    fExportCount = CountExportPieces();
    fLoaded = fExportCount > 0;
}

CZBXObject::~CZBXObject() {
    if (fPlaying) fSequencer->StopAndWait();
}

void CZBXObject::ApplyParameters(const CZubrikLoopParameters& p) {
    CZubrikSequencer& s = *fSequencer;
    s.SetSignature(p.fSignatureNumerator, p.fSignatureDenominator);
    s.SetBars(p.fBars);
    s.SetBeats(p.fBeats);
    s.SetPreviewTempo(p.fPreviewTempo);
    s.SetSilenceSelected(p.fSilenceSelected);
    s.SetPreviewOn(p.fPreviewOn);
    s.SetPitch(p.fPitch);
    s.SetGain(p.fProcessingGain);
    s.SetEnvelopeOn(p.fEnvelopeOn);
    s.SetEnvelopeAttack(static_cast<int16_t>(p.fEnvelopeAttack));
    s.SetEnvelopeDecay(static_cast<int16_t>(p.fEnvelopeDecay));
    s.SetEnvelopeStretch(static_cast<int16_t>(p.fEnvelopeStretch));
    s.SetShaperOn(p.fShaperOn);
    s.SetShaperThreshold(static_cast<int16_t>(p.fShaperThreshold));
    s.SetShaperRatio(static_cast<int16_t>(p.fShaperRatio));
    s.SetShaperAttack(static_cast<int16_t>(p.fShaperAttack));
    s.SetShaperRelease(static_cast<int16_t>(p.fShaperRelease));
    s.SetEqualizerOn(p.fEqualizerOn);
    s.SetEqualizerLoCut(p.fEqualizerLowCut);
    s.SetEqualizerLowFrequency(p.fEqualizerLowFrequency);
    s.SetEqualizerLowQ(p.fEqualizerLowQ);
    s.SetEqualizerLowGain(p.fEqualizerLowGain);
    s.SetEqualizerHighFrequency(p.fEqualizerHighFrequency);
    s.SetEqualizerHighQ(p.fEqualizerHighQ);
    s.SetEqualizerHighGain(p.fEqualizerHighGain);
    s.SetEqualizerHighCut(p.fEqualizerHighCut);
}

// What an export of this loop would count: one piece for the whole loop, or
// one per segment lying wholly between the locators.
int32_t CZBXObject::CountExportPieces() const {
    if (fViewAttributes.fExportAsOneSample) return 1;
    int32_t count = 0;
    for (int32_t i = 0; i < fSequencer->GetSegmentCount(); ++i) {
        const CSegment segment = fSequencer->GetSegment(i);
        if (segment.fStart >= fWave->GetLoopStart() && segment.fEnd <= fWave->GetLoopEnd()) ++count;
    }
    return count;
}

void CZBXObject::Start() {
    fPlaying = true;
    fSequencer->StartLoop();
}

void CZBXObject::Stop() {
    fPlaying = false;
    fSequencer->Stop();
}

void CZBXObject::SetOutputSampleRate(int32_t rate) { fSequencer->SetOutputSampleRate(rate); }

void CZBXObject::Render(float* left, float* right, int32_t frameCount) {
    if (!fLoaded) {
        std::fill(left, left + frameCount, 0.0f);
        if (right != nullptr) std::fill(right, right + frameCount, 0.0f);
        return;
    }
    float blockLeft[kRenderBlockFrames];
    float blockRight[kRenderBlockFrames];
    for (int32_t done = 0; done < frameCount;) {
        const int32_t n = std::min(kRenderBlockFrames, frameCount - done);
        float* const out[2] = {blockLeft, blockRight};
        fSequencer->Render(out, n);
        for (int32_t i = 0; i < n; ++i) {
            if (right != nullptr) {
                left[done + i] = blockLeft[i];
                right[done + i] = blockRight[i];
            } else {
                left[done + i] = (blockLeft[i] + blockRight[i]) * 0.5f;
            }
        }
        done += n;
    }
}

} // namespace NSZubrik
