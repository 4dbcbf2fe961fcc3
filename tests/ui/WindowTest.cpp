// The document window on the demo loop: its title, the menu bar with its
// texts, shortcuts and states, the key map and the dispatch of the edit
// commands to a focused text field.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "UiTestSupport.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "ui/WaveformDisplayGroupView.h"
#include "document/ZubrikDocument.h"
#include "ui/toolbars/DocumentToolBars.h"
#include "ui/toolbars/SecondToolBar.h"
#include <QSlider>
#include "ui/ZubrikCommands.h"
#include "ui/ZubrikMenus.h"
#include "ui/StatusBar.h"

namespace NSZubrikUiTest {

using namespace NSZubrik;
using namespace NSZubrik::NSCommands;

TEST_F(CUiTest, OpensTheDemoLoopWithTitleAndStatus)
{
    CZubrikWindow& window = Open(DemoLoop());
    EXPECT_EQ(fApplication->GetWindows().size(), 1u);
    EXPECT_TRUE(window.windowTitle().startsWith("demo-loop.wav[*]"));
    EXPECT_TRUE(window.isVisible());
    EXPECT_GT(window.GetDocument().GetSliceSequence().GetCount(), 1);
    EXPECT_EQ(window.GetStatusBar().GetStereoOrMono().text(), "Stereo, 44.1 kHz, 16 bits");
    // A sound file is not a loop file: it needs saving from the start.
    EXPECT_TRUE(window.isWindowModified());
}

TEST_F(CUiTest, MenuBarHoldsEveryItemWithTextShortcutAndState)
{
    CZubrikWindow& window = Open(DemoLoop());
    CZubrikMenus& menus = window.GetMenus();
    QStringList titles;
    for (QAction* menu : window.menuBar()->actions())
        titles << Plain(menu);
    EXPECT_EQ(titles, QStringList({"File", "Edit", "View", "Process", "Help"}));
    struct SExpected {
        int32_t fCommand;
        const char* fText;
        const char* fShortcut;
    };
    const SExpected expected[] = {
        {kOpen, "Open...", "Ctrl+O"},          {kClose, "Close", "Ctrl+W"},
        {kSave, "Save", "Ctrl+S"},             {kSaveAs, "Save As...", ""},
        {kSaveAll, "Save All", ""},            {kExport, "Export...", "Ctrl+E"},
        {kExit, "Exit", ""},                   {kCut, "Cut", "Ctrl+X"},
        {kCopy, "Copy Loop", "Ctrl+C"},        {kPaste, "Paste as New Document", "Ctrl+V"},
        {kClear, "Delete", ""},                {kSelectAll, "Select All", "Ctrl+A"},
        {kInvertSelection, "Invert Selection", ""},
        {kShowEnvelope, "Envelope", "Ctrl+5"}, {kShowTransientShaper, "Transient Shaper", "Ctrl+6"},
        {kShowEqualizer, "Equalizer", "Ctrl+7"}, {kMagnifyToFit, "Magnify to Fit", "Ctrl+F"},
        {kMagnifyToFitLoop, "Magnify to Fit Loop", "Ctrl+L"}, {kJumpToCursor, "Jump to Cursor", "Ctrl+J"},
        {kShowGrid, "Show Grid", "Ctrl+G"},    {kScrollDuringPlayback, "Scroll During Playback", ""},
        {kExportAsOneSample, "Export as One Sample", ""}, {kSilenceSelected, "Silence Selected", ""},
        {kNormalize, "Normalize...", ""},      {kConvertToMono, "Convert to Mono...", ""},
        {kConvertSampleFormat, "Convert Sample Format...", ""}, {kCropLoop, "Crop Loop", ""},
        {kRemoveDC, "Remove DC", ""},          {kReAnalyze, "Re-Analyze", ""},
        {kAddSlicesAtGrid, "Add Slices at Grid", ""}, {kHelpContents, "Contents", ""},
        {kHelpSearch, "Search", ""},           {kWebSite, "Zubrik on the Web", ""},
        {kTechnicalSupport, "Technical Support", ""},
    };
    for (const SExpected& item : expected) {
        QAction* action = menus.Find(item.fCommand);
        ASSERT_NE(action, nullptr) << item.fText;
        EXPECT_EQ(Plain(action), item.fText);
        EXPECT_EQ(action->shortcut().toString(), item.fShortcut) << item.fText;
    }
    // Check items follow the document and the preferences.
    EXPECT_TRUE(menus.Find(kExportAsOneSample)->isChecked());
    EXPECT_FALSE(menus.Find(kSilenceSelected)->isChecked());
    EXPECT_TRUE(menus.Find(kScrollDuringPlayback)->isChecked());
    EXPECT_TRUE(menus.Find(kShowEnvelope)->isChecked());
    menus.Find(kSilenceSelected)->trigger();
    EXPECT_TRUE(window.GetDocument().GetParameters().fSilenceSelected);
    EXPECT_TRUE(menus.Find(kSilenceSelected)->isChecked());
    menus.Find(kShowEnvelope)->trigger();
    EXPECT_FALSE(menus.Find(kShowEnvelope)->isChecked());
    QTest::keyClick(&window, Qt::Key_F);
    EXPECT_FALSE(menus.Find(kScrollDuringPlayback)->isChecked());
}

TEST_F(CUiTest, SensitivityKeysToolsDeleteAndUndoNames)
{
    CZubrikWindow& window = Open(DemoLoop());
    CZubrikDocument& document = window.GetDocument();
    CZubrikMenus& menus = window.GetMenus();
    EXPECT_EQ(Plain(menus.Find(kUndo)), "Undo (can't undo)");
    EXPECT_FALSE(menus.Find(kUndo)->isEnabled());

    QTest::keyClick(&window, Qt::Key_5);
    EXPECT_EQ(document.GetSliceSequence().GetSensitivity(), 55);
    EXPECT_EQ(Plain(menus.Find(kUndo)), "Undo Change Sensitivity");
    EXPECT_TRUE(window.GetStatusBar().GetShownSlices().text().contains("Sensitivity 55"));
    QTest::keyClick(&window, Qt::Key_9);
    QTest::keyClick(&window, Qt::Key_Plus);
    EXPECT_EQ(document.GetSliceSequence().GetSensitivity(), 99);
    QTest::keyClick(&window, Qt::Key_0);
    QTest::keyClick(&window, Qt::Key_Minus);
    EXPECT_EQ(document.GetSliceSequence().GetSensitivity(), 0);
    QTest::keyClick(&window, Qt::Key_6);
    QTest::keyClick(&window, Qt::Key_Minus);
    EXPECT_EQ(document.GetSliceSequence().GetSensitivity(), 65);
    // The tool bar's control makes the same step.
    window.GetToolBars().GetSecondToolBar().fSensitivityFader->setValue(65);
    EXPECT_EQ(document.GetSliceSequence().GetSensitivity(), 65);
    EXPECT_EQ(Plain(menus.Find(kUndo)), "Undo Change Sensitivity");
    // A keypad digit is a transport key, not a Sensitivity key.
    QTest::keyClick(&window, Qt::Key_3, Qt::KeypadModifier);
    EXPECT_EQ(document.GetSliceSequence().GetSensitivity(), 65);

    const int32_t tools[] = {SViewAndEditAttributes::kArrowTool, SViewAndEditAttributes::kMuteTool,
                             SViewAndEditAttributes::kLockTool, SViewAndEditAttributes::kPenTool};
    for (int i = 3; i >= 0; --i) {
        QTest::keyClick(&window, Qt::Key(Qt::Key_1 + i), Qt::ControlModifier);
        EXPECT_EQ(document.GetViewAndEditAttributes().fTool, tools[i]);
    }
    // The tool is not an undoable step.
    EXPECT_EQ(Plain(menus.Find(kUndo)), "Undo Change Sensitivity");

    const int32_t shown = document.CountShownSlices();
    ASSERT_GT(shown, 2);
    QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(document.CountShownSelectedSlices(), shown);
    EXPECT_TRUE(menus.Find(kClear)->isEnabled());
    QTest::keyClick(&window, Qt::Key_Backspace);
    EXPECT_EQ(document.CountShownSlices(), 0);
    EXPECT_EQ(Plain(menus.Find(kUndo)), "Undo Delete Slice(s)");
    EXPECT_FALSE(menus.Find(kClear)->isEnabled());
    EXPECT_EQ(Plain(menus.Find(kRedo)), "Redo (can't redo)");

    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(document.CountShownSlices(), shown);
    EXPECT_EQ(Plain(menus.Find(kRedo)), "Redo Delete Slice(s)");
    EXPECT_TRUE(menus.Find(kRedo)->isEnabled());
    QTest::keyClick(&window, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(document.CountShownSlices(), 0);
}

TEST_F(CUiTest, ShowGridAsksForTheLoopLengthFirst)
{
    CZubrikWindow& window = Open(DemoLoop());
    CZubrikDocument& document = window.GetDocument();
    ASSERT_EQ(document.GetBars(), 0);
    bool zeroRefused = false;
    WhenModalUp([&](QWidget* dialog) {
        auto* field = dialog->findChild<QLineEdit*>();
        QPushButton* ok = nullptr;
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->text() == "OK")
                ok = button;
        field->setText("0");
        zeroRefused = !ok->isEnabled();
        field->setText("4");
        ok->click();
    });
    window.GetMenus().Find(kShowGrid)->trigger();
    EXPECT_TRUE(zeroRefused);
    EXPECT_EQ(document.GetBars(), 4);
    EXPECT_TRUE(window.GetMenus().Find(kShowGrid)->isChecked());
    EXPECT_EQ(Plain(window.GetMenus().Find(kUndo)), "Undo Change Bar Count");
}

TEST_F(CUiTest, MagnifyKeysAndViewCommandsMoveTheVisibleRange)
{
    CZubrikWindow& window = Open(DemoLoop());
    CWaveformDisplayGroupView& view = window.GetView();
    const int32_t frames = window.GetDocument().GetWaveSample().GetFrameCount();
    const int32_t width = view.GetVisibleEnd() - view.GetVisibleStart();
    QTest::keyClick(&window, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_LT(view.GetVisibleEnd() - view.GetVisibleStart(), width * 3 / 4);
    EXPECT_GT(view.GetVisibleStart(), 0);
    QTest::keyClick(&window, Qt::Key_Minus, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(view.GetVisibleStart(), 0);
    window.GetMenus().Find(kMagnifyToFitLoop)->trigger();
    EXPECT_LE(view.GetVisibleEnd(), window.GetDocument().GetRightLocator());
    window.GetMenus().Find(kMagnifyToFit)->trigger();
    EXPECT_EQ(view.GetVisibleStart(), 0);
    EXPECT_LT(frames - view.GetVisibleEnd(), frames / 100);
}

TEST_F(CUiTest, FocusedTextFieldTakesTheEditCommands)
{
    CZubrikWindow& window = Open(DemoLoop());
    auto* field = new QLineEdit(QStringLiteral("128.5"), &window);
    field->show();
    window.activateWindow();
    field->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), field);
    window.UpdateMenus();
    CZubrikMenus& menus = window.GetMenus();
    EXPECT_EQ(Plain(menus.Find(kCopy)), "Copy");
    EXPECT_EQ(Plain(menus.Find(kClear)), "Clear");
    EXPECT_TRUE(menus.Find(kCut)->isEnabled());

    const int32_t selectedBefore = window.GetDocument().CountShownSelectedSlices();
    menus.Find(kSelectAll)->trigger();
    EXPECT_EQ(field->selectedText(), "128.5");
    EXPECT_EQ(window.GetDocument().CountShownSelectedSlices(), selectedBefore);
    menus.Find(kCopy)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "128.5");
    menus.Find(kClear)->trigger();
    EXPECT_EQ(field->text(), "");
    menus.Find(kPaste)->trigger();
    EXPECT_EQ(field->text(), "128.5");

    window.GetView().setFocus();
    window.UpdateMenus();
    EXPECT_EQ(Plain(menus.Find(kCopy)), "Copy Loop");
    EXPECT_EQ(Plain(menus.Find(kClear)), "Delete");
}

TEST_F(CUiTest, SliceContextMenuActsOnItsSlice)
{
    CZubrikWindow& window = Open(DemoLoopFile());
    CZubrikDocument& document = window.GetDocument();
    const CSliceSequence& slices = document.GetSliceSequence();
    // A shown slice in the middle (the one at frame 0 always stays).
    int32_t index = slices.GetCount() / 2;
    while (!slices.IsShown(slices.GetSlice(index)))
        ++index;
    const int32_t frame = slices.GetSlice(index).GetPosition();
    // Every edit swaps in a new slice sequence.
    auto sliceAt = [&] {
        const CSliceSequence& slices = document.GetSliceSequence();
        for (int32_t i = 0; i < slices.GetCount(); ++i)
            if (slices.GetSlice(i).GetPosition() == frame)
                return &slices.GetSlice(i);
        return static_cast<const CSlice*>(nullptr);
    };
    ChooseFromNextMenu(QStringLiteral("Muted"));
    emit window.GetView().SliceContextMenuRequested(index, window.mapToGlobal(QPoint(100, 100)));
    ASSERT_NE(sliceAt(), nullptr);
    EXPECT_TRUE(sliceAt()->IsMuted());
    EXPECT_EQ(Plain(window.GetMenus().Find(kUndo)), "Undo Mute Slice(s)");

    ChooseFromNextMenu(QStringLiteral("Delete"));
    emit window.GetView().SliceContextMenuRequested(index, window.mapToGlobal(QPoint(100, 100)));
    EXPECT_EQ(sliceAt(), nullptr);
}

} // namespace NSZubrikUiTest
