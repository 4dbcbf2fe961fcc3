// Every way a sound enters a document leaves it with its min/max preview:
// the gate's decay search reads nothing else, so a missing preview gives
// every gated slice the same length.
#include <gtest/gtest.h>

#include <functional>

#include "DocumentTestSupport.h"
#include "document/SampleProcessing.h"

using namespace NSDocumentTest;
using namespace NSZubrik;

namespace {

// A drum loop as a loader hands it over before its preview is built.
std::unique_ptr<CABCWaveSample> FreshLoop(bool stereo = false, int32_t depth = 16)
{
    auto loop = DrumLoop(88200, 8, stereo, 0, depth);
    auto wave = CreateWaveSample(44100, loop->GetFrameCount(), stereo, depth);
    std::vector<int32_t> values(size_t(loop->GetFrameCount()));
    for (int32_t channel = 1; channel <= (stereo ? 2 : 1); ++channel) {
        loop->GetInt24s(0, loop->GetFrameCount(), values.data(), channel);
        wave->SetInt24s(0, loop->GetFrameCount(), values.data(), channel);
    }
    wave->SetLoop(CABCWaveSample::kLoopModeSet, 0, loop->GetFrameCount());
    EXPECT_FALSE(wave->IsPreviewValid());
    return wave;
}

void ExpectPreview(const CZubrikDocument& document, const char* path)
{
    const CABCWaveSample& wave = document.GetWaveSample();
    ASSERT_TRUE(wave.IsPreviewValid()) << path;
    EXPECT_EQ(wave.GetPreview()->GetBlockCount(), wave.GetFrameCount() / CWaveSamplePreview::kBlockFrames) << path;
    EXPECT_EQ(wave.GetPreview()->IsStereo(), wave.IsStereo()) << path;
}

std::vector<int32_t> Lengths(const CZubrikDocument& document)
{
    std::vector<int32_t> lengths;
    for (const CSlice& slice : document.GetSliceSequence())
        lengths.push_back(slice.GetLength());
    return lengths;
}

} // namespace

TEST_F(DocumentFixture, EveryWayASoundEntersADocumentBuildsItsPreview)
{
    ExpectPreview(*CZubrikDocument::CreateEmpty(fServices), "empty document");
    auto fromFile = CZubrikDocument::CreateFromSoundFile(FreshLoop(true), "/tmp/loop.wav", fServices);
    ExpectPreview(*fromFile, "sound file");
    auto pasted = CZubrikDocument::CreateFromWaveSample(FreshLoop(false, 24), fServices);
    ExpectPreview(*pasted, "pasted sound");

    // A wave command given a sound without a preview, then undone and redone.
    fromFile->CommitWaveSample(FreshLoop(), u"Normalize");
    ExpectPreview(*fromFile, "wave command");
    fromFile->Undo();
    ExpectPreview(*fromFile, "undo");
    fromFile->Redo();
    ExpectPreview(*fromFile, "redo");
    for (const auto& [name, run] : std::vector<std::pair<const char*, std::function<bool(CSampleProcessor&)>>>{
             {"normalize", [](CSampleProcessor& p) { return p.Normalize(ENormalizeScope::kEachSlice); }},
             {"mono", [](CSampleProcessor& p) { return p.ConvertToMono(kMonoMix); }},
             {"convert", [](CSampleProcessor& p) { return p.ConvertSampleFormat(22050, 24); }},
             {"crop", [](CSampleProcessor& p) { return p.CropLoop(); }},
             {"remove DC", [](CSampleProcessor& p) { return p.RemoveDC(); }}}) {
        auto document = CZubrikDocument::CreateFromSoundFile(FreshLoop(true), "/tmp/loop.wav", fServices);
        document->SetLoop(1000, 60000);
        CSampleProcessor processor(*document);
        ASSERT_TRUE(run(processor)) << name;
        ExpectPreview(*document, name);
    }

    // The gate finds the same lengths on a sound fresh from a file as on one
    // whose preview was built beforehand, and the loop file keeps them.
    auto gatedFromFile = CZubrikDocument::CreateFromSoundFile(FreshLoop(), "/tmp/loop.wav", fServices);
    auto reference = CZubrikDocument::CreateFromWaveSample(DrumLoop(), fServices);
    for (CZubrikDocument* document : {gatedFromFile.get(), reference.get()}) {
        document->SetSensitivity(99);
        document->SetGateSensitivity(500);
    }
    const std::vector<int32_t> gated = Lengths(*gatedFromFile);
    EXPECT_EQ(gated, Lengths(*reference));
    fBars.answer = 2;
    const std::string file = NSTestSupport::TemporaryFolder() + "/loop.zx2";
    ASSERT_TRUE(gatedFromFile->SaveTo(file));
    auto reopened = CZubrikDocument::OpenFile(file, fServices);
    ExpectPreview(*reopened, "loop file");
    EXPECT_EQ(Lengths(*reopened), gated);
}
