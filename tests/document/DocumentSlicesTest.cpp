#include "app/ResourceIds.h"
#include "DocumentTestSupport.h"

using namespace NSDocumentTest;
using namespace NSZubrik;

namespace {

std::vector<int32_t> Selected(const CZubrikDocument& doc)
{
    std::vector<int32_t> result;
    for (const CSlice& s : doc.GetSliceSequence())
        if (s.IsSelected())
            result.push_back(s.GetPosition());
    return result;
}

} // namespace

TEST_F(DocumentFixture, SelectionCommands)
{
    CZubrikDocument& doc = Make();
    const std::vector<int32_t> s = Shown(); // one slice on each of the eight hits
    ASSERT_EQ(s.size(), 8u);
    EXPECT_NEAR(s[5], 5 * 11025, 600);
    doc.SelectSlice(s[2], false);
    EXPECT_EQ(Selected(doc), (std::vector<int32_t>{s[2]}));
    EXPECT_EQ(doc.GetUndoName(), Name(NSStrings::kSelectSlice));
    const int32_t position = doc.GetUndoHistory().GetPosition();
    doc.SelectSlice(s[2], true); // already selected: nothing
    doc.DeselectSlice(s[4]);     // not selected: nothing
    doc.SelectRange(s[7] + 1, s[7] + 2);
    EXPECT_EQ(doc.GetUndoHistory().GetPosition(), position);

    doc.SelectRange(s[6], s[4]); // ends in either order, the upper end excluded
    EXPECT_EQ(Selected(doc), (std::vector<int32_t>{s[2], s[4], s[5]}));
    doc.InvertSelection();
    EXPECT_EQ(Selected(doc), (std::vector<int32_t>{s[0], s[1], s[3], s[6], s[7]}));
    doc.DeselectAll();
    EXPECT_EQ(doc.CountShownSelectedSlices(), 0);
    EXPECT_EQ(doc.GetUndoName(), Name(NSStrings::kDeselectAll));

    // A range gesture: the deselection joins the range selection.
    doc.SelectSlice(s[0], false);
    const int32_t before = doc.GetUndoHistory().GetPosition();
    doc.BeginRangeSelection();
    doc.SelectRange(s[3], s[5]);
    EXPECT_EQ(doc.GetUndoHistory().GetPosition(), before + 1);
    EXPECT_EQ(doc.GetUndoName(), Name(NSStrings::kSelectRange));
    doc.Undo();
    EXPECT_EQ(Selected(doc), (std::vector<int32_t>{s[0]}));
}

TEST_F(DocumentFixture, ClickAndDragIsOneMoveStep)
{
    CZubrikDocument& doc = Make();
    const std::vector<int32_t> s = Shown();
    const int32_t position = doc.GetUndoHistory().GetPosition();
    doc.SelectSliceForMove(s[2]);
    doc.MoveSlice(s[2], s[2] + 100);
    doc.MoveSlice(s[2] + 100, s[2] + 300);
    doc.MoveSlice(s[2] + 300, s[2] + 300); // its own place: nothing
    EXPECT_EQ(doc.GetUndoHistory().GetPosition(), position + 1);
    EXPECT_EQ(doc.GetUndoName(), Name(NSStrings::kMoveSlice));
    EXPECT_TRUE(SliceAt(s[2] + 300).IsSelected());
    EXPECT_EQ(doc.GetSliceSequence().FindSliceAt(s[2]), nullptr);
    doc.Undo();
    EXPECT_EQ(Shown(), s);
    EXPECT_TRUE(Selected(doc).empty());
}

TEST_F(DocumentFixture, InsertAndDeleteSlices)
{
    CZubrikDocument& doc = Make();
    const std::vector<int32_t> s = Shown();
    doc.InsertSlice(5000);
    EXPECT_TRUE(SliceAt(5000).IsLocked());
    EXPECT_EQ(SliceAt(5000).GetStrength(), CSliceSequence::kStartSliceStrength);
    const int32_t position = doc.GetUndoHistory().GetPosition();
    doc.InsertSlice(5000); // a locked slice stands there
    EXPECT_EQ(doc.GetUndoHistory().GetPosition(), position);
    const int16_t strength = SliceAt(s[3]).GetStrength();
    doc.InsertSlice(s[3]); // an analysed slice becomes locked; the inserts merge
    EXPECT_TRUE(SliceAt(s[3]).IsLocked());
    EXPECT_EQ(SliceAt(s[3]).GetStrength(), strength);

    doc.DeleteSelectedSlices(); // nothing selected
    EXPECT_EQ(doc.GetUndoHistory().GetPosition(), position);
    doc.SelectSlice(s[1], false);
    doc.SelectSlice(5000, true);
    doc.DeleteSelectedSlices();
    EXPECT_EQ(doc.GetUndoName(), Name(NSStrings::kDeleteSlices));
    EXPECT_EQ(doc.GetSliceSequence().FindSliceAt(s[1]), nullptr);
    doc.Undo();
    EXPECT_NE(doc.GetSliceSequence().FindSliceAt(5000), nullptr);
}
