#include <fstream>
#include <iterator>

#include "FakeProgressWindow.h"
#include "app/ResourceIds.h"
#include "DocumentTestSupport.h"

using namespace NSDocumentTest;
using namespace NSZubrik;

namespace {

std::string Contents(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Opens its window at once and presses Stop as soon as a count is shown.
struct CStoppingWindow : CFakeProgressWindow {
    void ShowCount(int32_t n) override
    {
        count = n;
        listener->StopPressed();
    }
};

} // namespace

TEST_F(DocumentFixture, NeedsSavingFollowsTheSavedPosition)
{
    CZubrikDocument& doc = Make();
    const std::filesystem::path file = std::filesystem::path(NSTestSupport::TemporaryFolder()) / "Loop.zx2";
    EXPECT_TRUE(doc.NeedsSaving());
    EXPECT_FALSE(doc.Save()); // Save As, and the dialog is cancelled
    fSave.answer = file;
    fBars.answer.reset();
    EXPECT_FALSE(doc.Save()); // no loop length given
    EXPECT_EQ(fBars.asked, 1);
    fBars.answer = 1;
    ASSERT_TRUE(doc.Save());
    EXPECT_FALSE(doc.NeedsSaving());
    EXPECT_EQ(doc.GetName(), u"Loop.zx2");
    doc.SetPitch(100);
    EXPECT_TRUE(doc.NeedsSaving());
    // Saving ends the merging: the next change is a step of its own.
    ASSERT_TRUE(doc.Save());
    doc.SetPitch(200);
    doc.Undo();
    EXPECT_FALSE(doc.NeedsSaving());
    // Undo past the saved state, then commit: the saved state is gone.
    doc.Undo();
    doc.SetPreviewTempo(70000);
    EXPECT_EQ(doc.GetSavedPosition(), -1);
    doc.Undo();
    EXPECT_TRUE(doc.NeedsSaving());

    // The empty start-up document never needs saving.
    auto empty = CZubrikDocument::CreateEmpty(fServices);
    EXPECT_FALSE(empty->NeedsSaving());
}

TEST_F(DocumentFixture, SaveAndReopenKeepsTheWholeDocument)
{
    CZubrikDocument& doc = Make(DrumLoop(88200, 8, true, 0, 24));
    const std::vector<int32_t> s = Shown();
    doc.SetTimeSignature(7, 8);
    doc.SetBeats(3);
    doc.TogglePreviewPlay();
    doc.SetPitch(-250);
    doc.SetLoop(s[1], s[7]);
    doc.SelectEnvelopePreset(50, 220, 20);
    doc.SelectEqualizerPreset({20, 100, 700, 3000, 4000, 800, -2000, 15000});
    doc.ToggleEqualizer();
    doc.ToggleExportAsOneSample();
    doc.MuteSlices(s[5]);
    doc.SetGateSensitivity(300);
    doc.SetTool(SViewAndEditAttributes::kPenTool);
    doc.SetWindowSize(800, 600, true);
    const std::filesystem::path file = std::filesystem::path(NSTestSupport::TemporaryFolder()) / "Round.zx2";
    ASSERT_TRUE(doc.SaveTo(file));

    auto reopened = CZubrikDocument::OpenFile(file, fServices);
    EXPECT_FALSE(reopened->NeedsSaving());
    EXPECT_TRUE(reopened->IsTempoInitialised());
    EXPECT_TRUE(reopened->GetParameters() == doc.GetParameters());
    EXPECT_TRUE(reopened->GetEffectParameters() == doc.GetEffectParameters());
    EXPECT_TRUE(reopened->GetViewAndEditAttributes() == doc.GetViewAndEditAttributes());
    const CSliceSequence& a = doc.GetSliceSequence();
    const CSliceSequence& b = reopened->GetSliceSequence();
    ASSERT_EQ(a.GetCount(), b.GetCount());
    EXPECT_EQ(a.GetGateSensitivity(), b.GetGateSensitivity());
    for (int32_t i = 0; i < a.GetCount(); ++i) {
        EXPECT_EQ(a.GetSlice(i).GetPosition(), b.GetSlice(i).GetPosition());
        EXPECT_EQ(a.GetSlice(i).GetState(), b.GetSlice(i).GetState());
    }
    const CABCWaveSample& x = doc.GetWaveSample();
    const CABCWaveSample& y = reopened->GetWaveSample();
    ASSERT_EQ(x.GetFrameCount(), y.GetFrameCount());
    ASSERT_TRUE(y.IsStereo());
    EXPECT_EQ(y.GetBitDepth(), 24);
    for (int32_t frame = 0; frame < x.GetFrameCount(); frame += 97)
        for (int32_t channel = 1; channel <= 2; ++channel)
            ASSERT_EQ(x.GetInt24(frame, channel), y.GetInt24(frame, channel));
}

TEST_F(DocumentFixture, AFailedSaveKeepsTheOldFile)
{
    CZubrikDocument& doc = Make();
    fBars.answer = 1;
    const std::filesystem::path folder = NSTestSupport::TemporaryFolder();
    const std::filesystem::path file = folder / "Keep.zx2";
    ASSERT_TRUE(doc.SaveTo(file));
    const std::string saved = Contents(file);
    doc.SetPitch(500);

    // Stopped while writing: nothing shown, the old file unchanged.
    CStoppingWindow window;
    window.tick = 2000;
    fDocument.reset();
    fServices.lengthy = window.Services();
    CZubrikDocument& second = Make();
    second.SetPitch(500);
    EXPECT_FALSE(second.SaveTo(file));
    EXPECT_EQ(Contents(file), saved);
    EXPECT_TRUE(second.NeedsSaving());
    fServices.lengthy = {};

    // A file that cannot be created: the create alert names the file.
    fAlerts.messages.clear();
    EXPECT_FALSE(second.SaveTo(folder / "missing" / "Nowhere.zx2"));
    ASSERT_EQ(fAlerts.messages.size(), 1u);
    EXPECT_NE(fAlerts.messages[0].find("Couldn't save file \"Nowhere.zx2\"!"), std::string::npos);
    EXPECT_EQ(Contents(file), saved);
}

TEST_F(DocumentFixture, OpeningAWindowOffersTheFirstSliceAsLeftLocator)
{
    // The first hit 2000 frames in.
    CZubrikDocument& doc = Make(DrumLoop(88200, 8, false, 2000));
    ASSERT_EQ(doc.GetLeftLocator(), 0);
    const int32_t first = Shown().front();
    ASSERT_GT(first, 0);
    ASSERT_LT(first, 4000);
    const int32_t position = doc.GetUndoHistory().GetPosition();
    fAlerts.answer = 1; // "Yes"
    doc.OpenedInWindow(false);
    EXPECT_EQ(doc.GetLeftLocator(), first);
    EXPECT_EQ(doc.GetUndoHistory().GetPosition(), position);
    EXPECT_EQ(doc.GetPreviewTempo(), CZubrikSequencer::kDefaultPreviewTempo); // no length: 0 BPM
    ASSERT_EQ(fAlerts.messages.size(), 2u);
    EXPECT_NE(fAlerts.messages[1].find("You can't hear the effects yet!"), std::string::npos);
    EXPECT_EQ(fPreferences.GetEffectsNoteCounter(), 4);

    // "No", with the note used up.
    fPreferences.fEffectsNoteCounter = 0;
    fAlerts.messages.clear();
    fAlerts.answer = 0;
    CZubrikDocument& other = Make(DrumLoop(88200, 8, false, 2000));
    other.OpenedInWindow(false);
    EXPECT_EQ(other.GetLeftLocator(), 0);
    EXPECT_EQ(fAlerts.messages.size(), 1u);
}

