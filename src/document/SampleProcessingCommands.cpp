// The processing commands as the document runs them: each inside a lengthy
// operation with a stop button, committed as one undo step unless stopped.
#include "app/Alert.h"
#include "app/ResourceIds.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/SampleProcessing.h"
#include "document/ZubrikDocument.h"

namespace NSZubrik {

namespace {

// Runs work(progress) inside a progress window; the window is finished before
// the result is handed on, so that the commit's own progress follows it.
// A stop yields an empty result.
template <typename TResult, typename TWork>
TResult RunLengthy(const CLengthyOperationServices& services, int32_t textEntry, TWork work)
{
    try {
        CZubrikLengthyOperation operation(ProgressText(textEntry), ProgressText(NSStrings::kCancel), true,
                                          services);
        TResult result = work(static_cast<ILengthyProgress&>(operation));
        operation.Finish();
        return result;
    } catch (const NSDocumentUndoableAK::XUserPressedStop&) {
        return TResult{};
    }
}

bool CommitWave(CZubrikDocument& document, std::unique_ptr<CABCWaveSample> wave, int32_t nameEntry)
{
    if (wave == nullptr)
        return false;
    document.CommitWaveSample(std::move(wave), ProgressText(nameEntry));
    return true;
}

bool CommitWaveAndSlices(CZubrikDocument& document, SWaveAndSlices result, int32_t nameEntry)
{
    if (result.fWave == nullptr || result.fSlices == nullptr)
        return false;
    document.CommitWaveSampleAndSlices(std::move(result.fWave), std::move(result.fSlices), ProgressText(nameEntry));
    return true;
}

} // namespace

bool CSampleProcessor::Normalize()
{
    const int32_t answer = ShowAlert(kAlertTable, NSAlerts::kNormalizeWhat);
    if (answer == kLastButton)
        return Normalize(ENormalizeScope::kWholeFile);
    if (answer == kSecondLastButton)
        return Normalize(ENormalizeScope::kEachSlice);
    return false;
}

bool CSampleProcessor::Normalize(ENormalizeScope scope)
{
    bool stopped = true;
    auto wave = RunLengthy<std::unique_ptr<CABCWaveSample>>(
        fServices, NSStrings::kNormalizingPeak, [&](ILengthyProgress& progress) {
            auto result = NormalizedWaveSample(fDocument.GetWaveSample(), fDocument.GetSliceSequence(), scope,
                                               progress);
            stopped = false;
            return result;
        });
    if (wave == nullptr) {
        if (!stopped)
            ShowAlert(kAlertTable, NSAlerts::kAlreadyNormalized);
        return false;
    }
    return CommitWave(fDocument, std::move(wave), NSStrings::kNormalize);
}

bool CSampleProcessor::ConvertToMono(EMonoSource source)
{
    const int32_t text = source == kMonoMix ? NSStrings::kMixingChannels : NSStrings::kExtractingChannel;
    auto wave = RunLengthy<std::unique_ptr<CABCWaveSample>>(fServices, text, [&](ILengthyProgress& progress) {
        return MonoWaveSample(fDocument.GetWaveSample(), source, progress);
    });
    return CommitWave(fDocument, std::move(wave), NSStrings::kConvertToMono);
}

bool CSampleProcessor::ConvertSampleFormat(int32_t sampleRate, int32_t bitDepth)
{
    auto result = RunLengthy<SWaveAndSlices>(fServices, NSStrings::kConvertingPass1, [&](ILengthyProgress& progress) {
        return ConvertedSampleFormat(fDocument.GetWaveSample(), fDocument.GetSliceSequence(), sampleRate, bitDepth,
                                     progress);
    });
    return CommitWaveAndSlices(fDocument, std::move(result), NSStrings::kConvertSampleFormat);
}

bool CSampleProcessor::CropLoop()
{
    auto result = RunLengthy<SWaveAndSlices>(fServices, NSStrings::kCroppingSample, [&](ILengthyProgress& progress) {
        return CroppedToLoop(fDocument.GetWaveSample(), fDocument.GetSliceSequence(), progress);
    });
    return CommitWaveAndSlices(fDocument, std::move(result), NSStrings::kCropLoop);
}

bool CSampleProcessor::RemoveDC()
{
    auto wave = RunLengthy<std::unique_ptr<CABCWaveSample>>(fServices, NSStrings::kRemovingDC,
                                                             [&](ILengthyProgress& progress) {
                                                                 return WaveSampleWithoutDC(fDocument.GetWaveSample(),
                                                                                            progress);
                                                             });
    return CommitWave(fDocument, std::move(wave), NSStrings::kRemoveDC);
}

} // namespace NSZubrik
