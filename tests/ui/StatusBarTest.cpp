// The document window's status bar: the info field takes the controls'
// status tips and the waveform's gesture hints, and the format and slice
// fields follow the document through a Sensitivity change and its undo.
#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QTest>

#include "UiTestSupport.h"
#include "audiodata/SliceSequence.h"
#include "document/ZubrikDocument.h"
#include "ui/StatusBar.h"
#include "ui/WaveformDisplayGroupView.h"
#include "ui/toolbars/DocumentToolBars.h"
#include "ui/toolbars/Knob.h"
#include "ui/toolbars/SecondToolBar.h"

namespace NSZubrikUiTest {

using namespace NSZubrik;

TEST_F(CUiTest, StatusBarInfoFieldShowsStatusTipsAndGestureHints)
{
    CZubrikWindow& window = Open(DemoLoop());
    CStatusBar& bar = window.GetStatusBar();
    QWidget& knob = window.GetToolBars().GetSecondToolBar().fGateSensitivityKnob->GetKnob();
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&knob, &enter);
    EXPECT_EQ(bar.GetInfoView().text(), "Gate sensitivity    [Shift to fine-tune, Ctrl-Click to reset]");
    // The tip does not push the other fields aside as a passing message would.
    EXPECT_TRUE(bar.currentMessage().isEmpty());
    EXPECT_FALSE(bar.GetSliceInfo().isHidden());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&knob, &leave);
    EXPECT_TRUE(bar.GetInfoView().text().isEmpty());

    emit window.GetView().HintChanged("[Hold Alt to disable snap-to-slice]");
    EXPECT_EQ(bar.GetInfoView().text(), "[Hold Alt to disable snap-to-slice]");
}

TEST_F(CUiTest, StatusBarFieldsFollowSensitivityAndUndo)
{
    CZubrikWindow& window = Open(DemoLoop());
    CZubrikDocument& document = window.GetDocument();
    CStatusBar& bar = window.GetStatusBar();
    EXPECT_EQ(bar.GetStereoOrMono().text(), "Stereo, 44.1 kHz, 16 bits");
    // Exported as one sample, the loop is one slice.
    bar.RefreshStatistics();
    EXPECT_TRUE(bar.GetSliceInfo().text().startsWith("1 Slice, ")) << bar.GetSliceInfo().text().toStdString();
    document.ToggleExportAsOneSample();
    document.SetSensitivity(0);
    // The figures behind the slice field wait for the throttle's timer;
    // the test takes its place.
    bar.RefreshStatistics();
    const QString fewest = bar.GetSliceInfo().text();
    EXPECT_TRUE(bar.GetShownSlices().text().endsWith("Sensitivity 0"));
    const int32_t count = document.GetExportStatistics().fSliceCount;
    EXPECT_TRUE(fewest.startsWith(QStringLiteral("%1 %2, ").arg(count).arg(count == 1 ? "Slice" : "Slices")))
        << fewest.toStdString();
    EXPECT_TRUE(fewest.endsWith(" kB") || fewest.endsWith(" MB")) << fewest.toStdString();

    QTest::keyClick(&window, Qt::Key_9);
    bar.RefreshStatistics();
    EXPECT_TRUE(bar.GetShownSlices().text().endsWith("Sensitivity 99"));
    const int32_t more = document.GetExportStatistics().fSliceCount;
    EXPECT_GT(more, count);
    EXPECT_TRUE(bar.GetSliceInfo().text().startsWith(QStringLiteral("%1 Slices, ").arg(more)));

    document.Undo();
    bar.RefreshStatistics();
    EXPECT_EQ(bar.GetSliceInfo().text(), fewest);
    EXPECT_TRUE(bar.GetShownSlices().text().endsWith("Sensitivity 0"));
}

} // namespace NSZubrikUiTest
