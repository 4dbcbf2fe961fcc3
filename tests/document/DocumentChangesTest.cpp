#include "app/ResourceIds.h"
#include "document/DocumentChanges.h"
#include "DocumentTestSupport.h"

using namespace NSDocumentTest;
using namespace NSZubrik;

namespace {

std::vector<int32_t> Samples(const CABCWaveSample& wave, int32_t channel)
{
    std::vector<int32_t> values(size_t(wave.GetFrameCount()));
    wave.GetInt24s(0, wave.GetFrameCount(), values.data(), channel);
    return values;
}

std::unique_ptr<CABCWaveSample> Halved(const CABCWaveSample& wave)
{
    auto result = CreateWaveSample(wave.GetSampleRate(), wave.GetFrameCount(), wave.IsStereo(), wave.GetBitDepth());
    for (int32_t channel = 1; channel <= (wave.IsStereo() ? 2 : 1); ++channel) {
        std::vector<int32_t> values = Samples(wave, channel);
        for (int32_t& v : values)
            v /= 2;
        result->SetInt24s(0, wave.GetFrameCount(), values.data(), channel);
    }
    result->SetLoop(CABCWaveSample::kLoopModeSet, wave.GetLoopStart(), wave.GetLoopEnd());
    result->BuildPreview();
    return result;
}

} // namespace

TEST_F(DocumentFixture, AFailingCommandIsRolledBack)
{
    CZubrikDocument& doc = Make();
    const SDocumentParameters before = doc.GetParameters();
    {
        NSUndoPackage::CChangeList list;
        SDocumentParameters after = before;
        after.fBeats = 3;
        list.Add(std::make_shared<CDocumentParametersChange>(doc, after));
        auto copy = std::make_unique<CSliceSequence>(doc.GetSliceSequence());
        copy->SetSensitivity(0);
        list.Add(std::make_shared<CSliceSequenceChange>(doc, std::move(copy)));
        EXPECT_EQ(doc.CountShownSlices(), 0);
        // The list goes without a commit.
    }
    EXPECT_TRUE(doc.GetParameters() == before);
    EXPECT_EQ(doc.CountShownSlices(), 8);
}

TEST_F(DocumentFixture, WaveRecordsRestoreTheExactSoundAndKeepTheSlices)
{
    CZubrikDocument& doc = Make(DrumLoop(88200, 8, true, 0, 24));
    const std::vector<int32_t> left = Samples(doc.GetWaveSample(), 1);
    const std::vector<int32_t> right = Samples(doc.GetWaveSample(), 2);
    const std::vector<int32_t> shown = Shown();
    std::vector<std::string> calls;
    CRecordingListener listener("a", calls);
    doc.AddListener(listener);
    doc.CommitWaveSample(Halved(doc.GetWaveSample()), u"Normalize");
    EXPECT_EQ(calls, (std::vector<std::string>{"a:wave", "a:undo"}));
    EXPECT_EQ(Samples(doc.GetWaveSample(), 1)[1000], left[1000] / 2);
    EXPECT_EQ(Shown(), shown);
    EXPECT_EQ(&doc.GetSliceSequence().GetWaveSample(), &doc.GetWaveSample());
    doc.Undo();
    EXPECT_EQ(Samples(doc.GetWaveSample(), 1), left);
    EXPECT_EQ(Samples(doc.GetWaveSample(), 2), right);
    doc.Redo();
    EXPECT_EQ(Samples(doc.GetWaveSample(), 1)[1000], left[1000] / 2);
    doc.RemoveListener(listener);
}
