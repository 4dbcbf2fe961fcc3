// The waveform group driven through its real views on the offscreen platform:
// the frame-to-pixel mapping, the slice-handle hit test, every tool's mouse
// gestures as document commands, and pictures of the demo loop.
#include <QImage>
#include <QPalette>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <QTest>
#include <gtest/gtest.h>

#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/ZubrikDocument.h"
#include "io/SoundFileReader.h"
#include "support/TestSupport.h"
#include "ui/WaveformDisplayGroupView.h"
#include "ui/views/LargeWaveformView.h"
#include "ui/views/LocatorRulerView.h"
#include "ui/views/OverviewView.h"
#include "ui/views/SliceHandleView.h"
#include "ui/views/VerticalRulerView.h"

using namespace NSZubrik;

namespace {

constexpr int kWaveformWidth = 1000;
constexpr int32_t kSensitivity = 60;

std::unique_ptr<CZubrikDocument> OpenDemoLoop()
{
    const std::string path = NSTestSupport::SourcePath("examples/demo-loop.wav");
    return CZubrikDocument::CreateFromSoundFile(LoadSoundFile(path), path);
}

class WaveformGroup : public testing::Test {
protected:
    void SetUp() override
    {
        fDocument = OpenDemoLoop();
        fDocument->SetSensitivity(kSensitivity);
        fGroup = std::make_unique<CWaveformDisplayGroupView>(*fDocument);
        fGroup->resize(kWaveformWidth + CVerticalRulerView::kWidth, 420);
        fGroup->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(fGroup.get()));
        ASSERT_EQ(Wave().width(), kWaveformWidth);
    }

    CSliceHandleView& Strip() const { return fGroup->GetSliceHandleView(); }
    CLargeWaveformView& Wave() const { return fGroup->GetWaveformView(); }
    CLocatorRulerView& Ruler() const { return fGroup->GetLocatorRulerView(); }
    const CSliceSequence& Slices() const { return fDocument->GetSliceSequence(); }
    // A point on the foot of the handles, x pixels into the strip.
    QPoint StripPoint(int32_t x) const { return {x, Strip().height() - 2}; }
    const CSlice* SliceAt(int32_t frame) const { return Slices().FindSliceAt(frame); }

    // The shown slices, in position order.
    std::vector<int32_t> Shown() const
    {
        std::vector<int32_t> positions;
        for (const CSlice& s : Slices())
            if (Slices().IsShown(s))
                positions.push_back(s.GetPosition());
        return positions;
    }
    // A shown slice with room around it: at least 40 pixels to each
    // neighbour in the first second of the loop.
    int32_t LoneSlice() const
    {
        const std::vector<int32_t> shown = Shown();
        for (size_t i = 1; i + 1 < shown.size(); ++i)
            if (shown[i] - shown[i - 1] > 40 * 44 && shown[i + 1] - shown[i] > 40 * 44 && shown[i] < 40000)
                return shown[i];
        return -1;
    }
    int32_t SelectedCount() const { return fDocument->CountShownSelectedSlices(); }

    std::unique_ptr<CZubrikDocument> fDocument;
    std::unique_ptr<CWaveformDisplayGroupView> fGroup;
};

} // namespace

TEST_F(WaveformGroup, MapsWholeFramesToPixels)
{
    fGroup->SetVisibleRange(1000, 45100);
    EXPECT_EQ(fGroup->GetFramesPerPixel(), 44);
    EXPECT_EQ(fGroup->GetVisibleStart(), 968);
    EXPECT_EQ(fGroup->GetVisibleEnd() - fGroup->GetVisibleStart(), 44000);
    EXPECT_EQ(Wave().FrameAt(10), 968 + 440);
    EXPECT_EQ(Wave().XAt(968 + 440 + 43), 10);
    EXPECT_EQ(Wave().XAt(967), -1);

    for (int i = 0; i < 30; ++i)
        fGroup->MagnifyIn();
    EXPECT_EQ(fGroup->GetFramesPerPixel(), 1);
    EXPECT_EQ(fGroup->GetVisibleEnd() - fGroup->GetVisibleStart(), kWaveformWidth);

    // Out past the whole sound: cut to its length, starting at 0.
    for (int i = 0; i < 30; ++i)
        fGroup->MagnifyOut();
    const int32_t frames = fDocument->GetWaveSample().GetFrameCount();
    EXPECT_EQ(fGroup->GetVisibleStart(), 0);
    EXPECT_EQ(fGroup->GetFramesPerPixel(), frames / kWaveformWidth);

    // Scrolled past the end: moved back, width kept.
    fGroup->SetVisibleRange(frames - 1000, frames + 43000);
    EXPECT_EQ(fGroup->GetFramesPerPixel(), 44);
    EXPECT_LE(fGroup->GetVisibleStart(), frames - 44000);
}

TEST_F(WaveformGroup, HitTestFollowsHandleSizesAndNearestSlice)
{
    fGroup->SetVisibleRange(0, 44100);
    const int32_t lone = LoneSlice();
    ASSERT_GE(lone, 0);
    const int32_t x = Strip().XAt(lone);
    const int32_t index = int32_t(SliceAt(lone) - &*Slices().begin());
    ASSERT_TRUE(SliceAt(lone)->IsNormal());
    EXPECT_EQ(Strip().HitTest(StripPoint(x + 8)), index);
    EXPECT_EQ(Strip().HitTest(StripPoint(x - 8)), index);
    EXPECT_EQ(Strip().HitTest({x, Strip().height() - 10}), -1);   // above a normal handle's reach

    fDocument->MuteSlices(lone);
    EXPECT_EQ(Strip().HitTest(StripPoint(x + 8)), -1);
    EXPECT_EQ(Strip().HitTest(StripPoint(x + 6)), index);
    fDocument->LockSlices(lone);
    EXPECT_EQ(Strip().HitTest({x, Strip().height() - 14}), index);  // locked handles reach higher

    // Two slices 3 pixels apart: the one nearer in frames to the pointer.
    fDocument->InsertSlice(lone + 10 * 44);
    fDocument->InsertSlice(lone + 13 * 44);
    const int32_t first = int32_t(SliceAt(lone + 10 * 44) - &*Slices().begin());
    EXPECT_EQ(Strip().HitTest(StripPoint(x + 10)), first);
    EXPECT_EQ(Strip().HitTest(StripPoint(x + 13)), first + 1);
    EXPECT_EQ(Strip().HitTest(StripPoint(x + 11)), first);
}

TEST_F(WaveformGroup, ClicksSelectAndShiftClicksToggle)
{
    fGroup->SetVisibleRange(0, 44100);
    const std::vector<int32_t> shown = Shown();
    ASSERT_GE(shown.size(), 3u);
    const int32_t a = LoneSlice();
    const int32_t b = shown.back() < 44000 ? shown.back() : shown[1] == a ? shown[2] : shown[1];
    QTest::mouseClick(&Strip(), Qt::LeftButton, {}, StripPoint(Strip().XAt(a)));
    EXPECT_TRUE(SliceAt(a)->IsSelected());
    EXPECT_EQ(SelectedCount(), 1);
    EXPECT_EQ(fDocument->GetUndoName(), u"Select Slice");
    QTest::mouseClick(&Strip(), Qt::LeftButton, Qt::ShiftModifier, StripPoint(Strip().XAt(b)));
    EXPECT_EQ(SelectedCount(), 2);
    QTest::mouseClick(&Strip(), Qt::LeftButton, Qt::ShiftModifier, StripPoint(Strip().XAt(a)));
    EXPECT_FALSE(SliceAt(a)->IsSelected());
    EXPECT_EQ(fDocument->GetUndoName(), u"Deselect Slice");

    // A press beside every handle deselects all and starts a range: the two
    // make one step.
    const int32_t steps = fDocument->GetUndoHistory().GetPosition();
    const int32_t from = Strip().XAt(shown[0]) + 12;
    const int32_t to = Strip().XAt(std::min(shown.back(), 43000)) + 1;
    QTest::mousePress(&Strip(), Qt::LeftButton, {}, StripPoint(from));
    QTest::mouseMove(&Strip(), StripPoint(to));
    QTest::mouseRelease(&Strip(), Qt::LeftButton, {}, StripPoint(to));
    for (const int32_t p : shown) {
        if (Strip().XAt(p) < to) {
            EXPECT_EQ(SliceAt(p)->IsSelected(), p >= Strip().FrameAt(from)) << p;
        }
    }
    EXPECT_EQ(fDocument->GetUndoName(), u"Select Range");
    EXPECT_EQ(fDocument->GetUndoHistory().GetPosition(), steps + 1);
}

TEST_F(WaveformGroup, DraggedSliceSnapsToZeroUnlessAltIsHeld)
{
    fGroup->SetVisibleRange(0, 44100);
    const int32_t lone = LoneSlice();
    const int32_t x = Strip().XAt(lone);
    const int32_t steps = fDocument->GetUndoHistory().GetPosition();

    QTest::mousePress(&Strip(), Qt::LeftButton, {}, StripPoint(x));
    QTest::mouseEvent(QTest::MouseMove, &Strip(), Qt::NoButton, Qt::AltModifier, StripPoint(x + 15));
    QTest::mouseRelease(&Strip(), Qt::LeftButton, Qt::AltModifier, StripPoint(x + 15));
    const int32_t exact = Strip().FrameAt(x + 15);
    ASSERT_NE(SliceAt(exact), nullptr);
    EXPECT_TRUE(SliceAt(exact)->IsSelected());
    // The selecting click and the move are one step.
    EXPECT_EQ(fDocument->GetUndoName(), u"Move Slice");
    EXPECT_EQ(fDocument->GetUndoHistory().GetPosition(), steps + 1);
    fDocument->Undo();
    EXPECT_NE(SliceAt(lone), nullptr);
    EXPECT_EQ(SelectedCount(), 0);

    QTest::mousePress(&Strip(), Qt::LeftButton, {}, StripPoint(x));
    QTest::mouseMove(&Strip(), StripPoint(x + 15));
    QTest::mouseRelease(&Strip(), Qt::LeftButton, {}, StripPoint(x + 15));
    const int32_t snapped = fDocument->GetWaveSample().FindSnapToZero(exact);
    EXPECT_NE(SliceAt(snapped), nullptr);
    EXPECT_EQ(SliceAt(lone), nullptr);
}

TEST_F(WaveformGroup, ToolsInsertMuteAndLock)
{
    fGroup->SetVisibleRange(0, 44100);
    const int32_t lone = LoneSlice();
    fDocument->SetTool(SViewAndEditAttributes::kPenTool);
    const int32_t x = Wave().XAt(lone) + 20;
    QTest::mouseClick(&Wave(), Qt::LeftButton, {}, {x, 50});
    const CSlice* inserted = SliceAt(Wave().FrameAt(x));
    ASSERT_NE(inserted, nullptr);
    EXPECT_TRUE(inserted->IsLocked());
    EXPECT_EQ(fDocument->GetUndoName(), u"Insert Slice");

    fDocument->SetTool(SViewAndEditAttributes::kMuteTool);
    QTest::mouseClick(&Strip(), Qt::LeftButton, {}, StripPoint(Strip().XAt(lone)));
    EXPECT_TRUE(SliceAt(lone)->IsMuted());
    EXPECT_EQ(fDocument->GetUndoName(), u"Mute Slice(s)");
    fDocument->SetTool(SViewAndEditAttributes::kLockTool);
    QTest::mouseClick(&Strip(), Qt::LeftButton, {}, StripPoint(Strip().XAt(lone) + 5));
    EXPECT_TRUE(SliceAt(lone)->IsLocked());
    // With these tools a press beside the handles does nothing.
    const int32_t steps = fDocument->GetUndoHistory().GetPosition();
    QTest::mouseClick(&Strip(), Qt::LeftButton, {}, StripPoint(Strip().XAt(lone) + 30));
    EXPECT_EQ(fDocument->GetUndoHistory().GetPosition(), steps);
}

TEST_F(WaveformGroup, LocatorsArePlacedWithShiftAndCtrlAndSnapUnlessAlt)
{
    fGroup->SetVisibleRange(0, 44100);
    fDocument->MuteSlices(0);
    std::vector<int32_t> active;
    for (const CSlice& s : Slices())
        if (Slices().IsActive(s))
            active.push_back(s.GetPosition());
    ASSERT_GE(active.size(), 3u);
    ASSERT_GT(active[0], 4 * 44);
    fDocument->SetLeftLocator(active[1]);
    // Just before half way to the first active slice: the sound's start.
    const int32_t beforeHalf = Ruler().XAt(active[0] / 2) - 1;
    QTest::mouseClick(&Ruler(), Qt::LeftButton, Qt::ShiftModifier, {beforeHalf, 5});
    EXPECT_EQ(fDocument->GetLeftLocator(), 0);

    const int32_t nearSecond = Ruler().XAt(active[2]) + 3;
    QTest::mouseClick(&Ruler(), Qt::LeftButton, Qt::ControlModifier, {nearSecond, 5});
    EXPECT_EQ(fDocument->GetRightLocator(), active[2]);
    EXPECT_EQ(fDocument->GetUndoName(), u"Move Right Locator");
    QTest::mouseClick(&Ruler(), Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier, {nearSecond, 5});
    EXPECT_EQ(fDocument->GetRightLocator(), Ruler().FrameAt(nearSecond));
    // Without Shift or Ctrl a click elsewhere places nothing.
    const int32_t steps = fDocument->GetUndoHistory().GetPosition();
    QTest::mouseClick(&Ruler(), Qt::LeftButton, {}, {Ruler().XAt(active[1]) + 40, 5});
    EXPECT_EQ(fDocument->GetUndoHistory().GetPosition(), steps);

    // Dragging the left handle past the right locator leaves it where the
    // document last accepted it.
    const int32_t left = Ruler().XAt(0) + 3;
    QTest::mousePress(&Ruler(), Qt::LeftButton, {}, {left, 5});
    QTest::mouseMove(&Ruler(), {Ruler().XAt(active[1]) + 1, 5});
    EXPECT_EQ(fDocument->GetLeftLocator(), active[1]);
    QTest::mouseMove(&Ruler(), {Ruler().XAt(active[2]) + 200, 5});
    QTest::mouseRelease(&Ruler(), Qt::LeftButton, {}, {Ruler().XAt(active[2]) + 200, 5});
    EXPECT_EQ(fDocument->GetLeftLocator(), active[1]);
}

TEST_F(WaveformGroup, CtrlDragZoomsInAndCtrlAltClickZoomsOut)
{
    fGroup->MagnifyToFit();
    const int32_t from = Wave().FrameAt(200);
    const int32_t to = Wave().FrameAt(300);
    QTest::mousePress(&Wave(), Qt::LeftButton, Qt::ControlModifier, {200, 60});
    QTest::mouseMove(&Wave(), {300, 60});
    QTest::mouseRelease(&Wave(), Qt::LeftButton, Qt::ControlModifier, {300, 60});
    const int32_t perPixel = (to - from) / kWaveformWidth;
    EXPECT_EQ(fGroup->GetFramesPerPixel(), perPixel);
    EXPECT_EQ(fGroup->GetVisibleStart(), from - from % perPixel);
    QTest::mouseClick(&Wave(), Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier, {500, 60});
    EXPECT_EQ(fGroup->GetFramesPerPixel(), 2 * perPixel);
}

TEST_F(WaveformGroup, PlayCursorScrollsHintsShowAndRightClickAsksForTheMenu)
{
    fGroup->SetVisibleRange(0, 44100);
    fGroup->SetPlayCursor(50000);
    EXPECT_EQ(fGroup->GetVisibleStart(), 50000 - 50000 % 44);
    fGroup->SetScrollDuringPlayback(false);
    fGroup->SetPlayCursor(150000);
    EXPECT_EQ(fGroup->GetVisibleStart(), 50000 - 50000 % 44);

    std::vector<QString> hints;
    QObject::connect(fGroup.get(), &CWaveformDisplayGroupView::HintChanged,
                     [&](const QString& text) { hints.push_back(text); });
    int32_t menuSlice = -1;
    QObject::connect(fGroup.get(), &CWaveformDisplayGroupView::SliceContextMenuRequested,
                     [&](int32_t index, const QPoint&) { menuSlice = index; });
    fGroup->SetVisibleRange(0, 44100);
    const int32_t lone = LoneSlice();
    QTest::mousePress(&Ruler(), Qt::LeftButton, {}, {500, 5});
    QTest::mouseMove(&Ruler(), {501, 5});
    QTest::mouseRelease(&Ruler(), Qt::LeftButton, {}, {501, 5});
    QTest::mousePress(&Wave(), Qt::LeftButton, Qt::ControlModifier, {500, 60});
    QTest::mouseMove(&Wave(), {501, 60});
    QTest::mouseRelease(&Wave(), Qt::LeftButton, {}, {500, 60});
    QTest::mousePress(&Strip(), Qt::LeftButton, {}, StripPoint(Strip().XAt(lone)));
    QTest::mouseMove(&Strip(), StripPoint(Strip().XAt(lone) + 1));
    QTest::mouseRelease(&Strip(), Qt::LeftButton, {}, StripPoint(Strip().XAt(lone) + 1));
    const std::vector<QString> expected = {"[Shift-Click/Ctrl-Click to place Left/Right locator]",
                                           "[Ctrl-Drag to zoom in, Ctrl-Alt-Click to zoom out]",
                                           "[Hold Alt to disable snap-to-zero positioning]",
                                           "[Shift-Click to add/remove slices from selection]   "
                                           "[Ctrl-Drag to drop slices on other programs as WAVE files, "
                                           "Ctrl-Alt-Drag for MIDI]"};
    for (const QString& hint : expected)
        EXPECT_NE(std::find(hints.begin(), hints.end(), hint), hints.end()) << hint.toStdString();

    fGroup->SetVisibleRange(0, 44100);
    const int32_t other = Shown()[2];
    QTest::mouseClick(&Strip(), Qt::RightButton, {}, StripPoint(Strip().XAt(other)));
    EXPECT_EQ(Slices().GetSlice(menuSlice).GetPosition(), other);
}

TEST_F(WaveformGroup, OverviewDragsTheVisibleRange)
{
    COverviewView& overview = fGroup->GetOverviewView();
    fGroup->SetVisibleRange(0, 44100);
    const int32_t span = fGroup->GetVisibleEnd() - fGroup->GetVisibleStart();
    // Beside the framed range: centred there, then dragged along.
    const int32_t x = int32_t(overview.OverviewX(100000));
    QTest::mousePress(&overview, Qt::LeftButton, {}, {x, 10});
    EXPECT_NEAR(fGroup->GetVisibleStart() + span / 2, 100000, 200);
    QTest::mouseMove(&overview, {x - 100, 10});
    QTest::mouseRelease(&overview, Qt::LeftButton, {}, {x - 100, 10});
    EXPECT_NEAR(fGroup->GetVisibleStart() + span / 2, overview.OverviewFrame(x - 100), 400);
    EXPECT_EQ(fGroup->GetVisibleEnd() - fGroup->GetVisibleStart(), span);
}

TEST_F(WaveformGroup, PaintsTheLoopFromACacheAtOneAndTwoDevicePixelsPerPoint)
{
    fDocument->MuteSlices(Shown()[4]);
    fDocument->LockSlices(Shown()[6]);
    fDocument->SelectSlice(Shown()[2], false);
    fDocument->SelectSlice(Shown()[7], true);
    const std::string folder = NSTestSupport::TemporaryFolder();
    for (const int ratio : {1, 2}) {
        QImage image(fGroup->size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        fGroup->render(&image);
        ASSERT_TRUE(image.save(QString::fromStdString(folder + "/group-" + std::to_string(ratio) + "x.png")));
        // The wave's colour under a slice handle's line and somewhere inside
        // the waveform; the strip's colour far from any handle.
        const QPoint waveOrigin = Wave().mapTo(fGroup.get(), QPoint(0, 0));
        int coloured = 0;
        for (int x = 0; x < Wave().width(); x += 5)
            coloured += image.pixelColor((waveOrigin + QPoint(x, Wave().height() / 4)) * ratio) !=
                        image.pixelColor((waveOrigin + QPoint(x, 2)) * ratio);
        EXPECT_GT(coloured, Wave().width() / 20) << "the waveform looks empty at " << ratio << "x";
        const QPoint stripOrigin = Strip().mapTo(fGroup.get(), QPoint(0, 0));
        const QPoint handle = stripOrigin + QPoint(Strip().XAt(Shown()[2]), Strip().height() - 4);
        EXPECT_NE(image.pixelColor(handle * ratio), image.pixelColor((stripOrigin + QPoint(Strip().XAt(Shown()[2]) + 12, 2)) * ratio));
    }
    if (const char* keep = std::getenv("ZUBRIK_KEEP_SCREENSHOTS")) {
        for (const int ratio : {1, 2}) {
            const std::string name = "/group-" + std::to_string(ratio) + "x.png";
            std::filesystem::copy_file(folder + name, keep + name, std::filesystem::copy_options::overwrite_existing);
        }
        // Closer in (from the samples), with the grid, on a dark palette.
        fDocument->SetBars(2);
        fDocument->ToggleGrid();
        fGroup->SetVisibleRange(20000, 20000 + 20 * kWaveformWidth);
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(0x2a, 0x2d, 0x33));
        dark.setColor(QPalette::WindowText, QColor(0xe6, 0xe8, 0xeb));
        dark.setColor(QPalette::Button, QColor(0x2a, 0x2d, 0x33));
        dark.setColor(QPalette::ButtonText, QColor(0xe6, 0xe8, 0xeb));
        fGroup->setPalette(dark);
        fGroup->grab().save(QString(keep) + "/group-dark-close.png");
    }
    // Moving a slice repaints over the cached waveform without drawing it.
    const int32_t draws = Wave().GetCacheDrawCount();
    fDocument->MoveSlice(Shown()[3], Shown()[3] + 100);
    Wave().repaint();
    EXPECT_EQ(Wave().GetCacheDrawCount(), draws);
}
