// The tool bars on a document of the demo loop: every control reaches its
// document command and follows undo and redo, the preset menus apply a
// preset as one step, and a knob drag is one undo step.
#include <QAction>
#include <QApplication>
#include <QWindow>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "UiTestSupport.h"
#include "audiodata/SliceSequence.h"
#include "document/ZubrikDocument.h"
#include "ui/toolbars/EffectToolBars.h"
#include "ui/toolbars/GainChangeMeter.h"
#include "ui/toolbars/Knob.h"
#include "ui/toolbars/OutputPeakMeter.h"
#include "ui/toolbars/SecondToolBar.h"
#include "ui/toolbars/TopToolBar.h"

namespace NSZubrikUiTest {

using namespace NSZubrik;

namespace {

std::string UndoName(const CZubrikDocument& document)
{
    const std::u16string name = document.GetUndoName();
    return QString::fromStdU16String(name).toStdString();
}

void SendMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::KeyboardModifiers modifiers = {})
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget.mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      held, modifiers);
    QApplication::sendEvent(&widget, &event);
}

void Drag(CKnob& knob, std::initializer_list<int> ys, Qt::KeyboardModifiers modifiers = {})
{
    SendMouse(knob, QEvent::MouseButtonPress, {10, 40}, modifiers);
    for (int y : ys)
        SendMouse(knob, QEvent::MouseMove, {10, y}, modifiers);
    SendMouse(knob, QEvent::MouseButtonRelease, {10, ys.size() ? *(ys.end() - 1) : 40}, modifiers);
}

// Every knob of a bar: a key step reaches the document under the given
// undo name and undo and redo move the knob with it.
void CheckKnobs(CZubrikDocument& document, CABCEffectToolBar& bar, const std::vector<std::string>& names)
{
    ASSERT_EQ(bar.GetKnobs().size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        CKnob& knob = bar.GetKnobs()[i]->GetKnob();
        const int32_t before = knob.GetValue();
        const int key = before == knob.GetRange().fMaximum ? Qt::Key_Down : Qt::Key_Up;
        QTest::keyClick(&knob, static_cast<Qt::Key>(key));
        const int32_t after = knob.GetValue();
        EXPECT_NE(after, before) << names[i];
        EXPECT_EQ(UndoName(document), names[i]);
        document.Undo();
        EXPECT_EQ(knob.GetValue(), before) << names[i];
        document.Redo();
        EXPECT_EQ(knob.GetValue(), after) << names[i];
        document.EndEditGesture();
    }
}

// The bar's preset menu lists the names; choosing one is one undo step
// that sets the knobs to the preset's values.
void CheckPresets(CZubrikDocument& document, CABCEffectToolBar& bar, const QString& name, const std::string& undoName,
                  const std::vector<int32_t>& knobValues)
{
    const QList<QAction*> items = bar.GetPresetMenu().actions();
    ASSERT_EQ(items.size(), 7);
    EXPECT_EQ(items[0]->text(), "Reset");
    QAction* chosen = nullptr;
    for (QAction* item : items)
        if (item->text() == name)
            chosen = item;
    ASSERT_NE(chosen, nullptr) << name.toStdString();
    std::vector<int32_t> before;
    for (CKnobControl* knob : bar.GetKnobs())
        before.push_back(knob->GetKnob().GetValue());
    const int32_t steps = document.GetUndoHistory().GetPosition();
    chosen->trigger();
    EXPECT_EQ(UndoName(document), undoName);
    EXPECT_EQ(document.GetUndoHistory().GetPosition(), steps + 1);
    for (size_t i = 0; i < knobValues.size(); ++i)
        EXPECT_EQ(bar.GetKnobs()[i]->GetKnob().GetValue(), knobValues[i]) << i;
    document.Undo();
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(bar.GetKnobs()[i]->GetKnob().GetValue(), before[i]) << i;
}

} // namespace

TEST_F(CUiTest, EffectToolBarsReachTheirCommandsAndFollowUndo)
{
    CZubrikDocument& document = Open(DemoLoop()).GetDocument();
    auto envelope = std::make_unique<CTransientToolBar>(document);
    auto shaper = std::make_unique<CCompressorToolBar>(document);
    auto equalizer = std::make_unique<CEqualizerToolBar>(document);
    CheckKnobs(document, *envelope, {"Change Envelope Attack", "Change Envelope Decay", "Change Envelope Stretch"});
    CheckKnobs(document, *shaper,
               {"Change Transient Shaper Threshold", "Change Transient Shaper Ratio", "Change Transient Shaper Attack",
                "Change Transient Shaper Release"});
    CheckKnobs(document, *equalizer,
               {"Change Equalizer Low Cut", "Change Equalizer Low Freq", "Change Equalizer Low Gain",
                "Change Equalizer Low Q", "Change Equalizer High Freq", "Change Equalizer High Gain",
                "Change Equalizer High Q", "Change Equalizer High Cut"});

    CheckPresets(document, *envelope, "Tighten Up", "Select Envelope Preset", {21, 478, 0});
    CheckPresets(document, *shaper, "Gate to Eden", "Select Transient Shaper Preset", {0, 39, 357, 281});
    CheckPresets(document, *equalizer, "Bass Remove", "Select Equalizer Preset",
                 {340, 380, -4000, 500, 5204, -3600, 1000, 7233});

    // The effects switch only while the preview follows a loop length.
    document.SetBars(1);
    document.TogglePreviewPlay();
    const struct {
        CABCEffectToolBar* fBar;
        std::string fName;
    } switches[] = {{envelope.get(), "Toggle Envelope On/Off"},
                    {shaper.get(), "Toggle Transient Shaper On/Off"},
                    {equalizer.get(), "Toggle Equalizer On/Off"}};
    for (const auto& effect : switches) {
        QToolButton& onOff = effect.fBar->GetOnOffButton();
        const bool was = onOff.isChecked();
        onOff.click();
        EXPECT_EQ(onOff.isChecked(), !was) << effect.fName;
        EXPECT_EQ(UndoName(document), effect.fName);
        document.Undo();
        EXPECT_EQ(onOff.isChecked(), was) << effect.fName;
    }
}

TEST_F(CUiTest, KnobDragIsOneUndoStepAndCtrlClickResets)
{
    CZubrikDocument& document = Open(DemoLoop()).GetDocument();
    auto envelope = std::make_unique<CTransientToolBar>(document);
    CKnob& decay = envelope->GetKnobs()[1]->GetKnob();
    const int32_t start = decay.GetValue();
    const int32_t steps = document.GetUndoHistory().GetPosition();
    // The top of the decay's range is no decay at all, not a long time.
    EXPECT_EQ(envelope->GetKnobs()[1]->GetValueText().text(), QStringLiteral("\u221e"));

    Drag(decay, {38, 30, 20, 60, 90});
    const int32_t dragged = decay.GetValue();
    EXPECT_LT(dragged, start);
    EXPECT_TRUE(envelope->GetKnobs()[1]->GetValueText().text().endsWith(QStringLiteral(" s")) ||
                envelope->GetKnobs()[1]->GetValueText().text().endsWith(QStringLiteral(" ms")));
    EXPECT_EQ(document.GetParameters().fEnvelopeDecay, dragged);
    EXPECT_EQ(document.GetUndoHistory().GetPosition(), steps + 1);
    // A second drag of the same knob is a step of its own; Shift moves it
    // in finer steps.
    Drag(decay, {30}, Qt::ShiftModifier);
    const int32_t fine = decay.GetValue() - dragged;
    EXPECT_GT(fine, 0);
    EXPECT_LE(fine, 1023 * 10 / CKnob::kDragSpan / CKnob::kFineFactor + 1);
    EXPECT_EQ(document.GetUndoHistory().GetPosition(), steps + 2);
    document.Undo();
    EXPECT_EQ(decay.GetValue(), dragged);
    document.Undo();
    EXPECT_EQ(decay.GetValue(), start);

    CKnob& stretch = envelope->GetKnobs()[2]->GetKnob();
    Drag(stretch, {0});
    // 40 pixels of a 150-pixel sweep over 0 ... 100, from 40.
    EXPECT_EQ(stretch.GetValue(), 67);
    SendMouse(stretch, QEvent::MouseButtonPress, {10, 10}, Qt::ControlModifier);
    SendMouse(stretch, QEvent::MouseButtonRelease, {10, 10}, Qt::ControlModifier);
    EXPECT_EQ(stretch.GetValue(), 40);
    EXPECT_EQ(document.GetUndoHistory().GetPosition(), steps + 2);

    QWheelEvent wheel({10, 10}, stretch.mapToGlobal(QPoint(10, 10)), {}, {0, 240}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&stretch, &wheel);
    EXPECT_EQ(stretch.GetValue(), 42);
    EXPECT_EQ(envelope->GetKnobs()[2]->GetValueText().text(), "42 %");
}

TEST_F(CUiTest, AFocusedKnobTakesTheKeysBeforeTheWindow)
{
    CZubrikWindow& window = Open(DemoLoop());
    CZubrikDocument& document = window.GetDocument();
    auto* envelope = new CTransientToolBar(document, &window);
    window.show();
    envelope->show();
    CKnob& attack = envelope->GetKnobs()[0]->GetKnob();
    attack.setFocus();
    QApplication::processEvents();
    const int32_t slices = document.GetSliceSequence().GetCount();
    const int32_t before = attack.GetValue();
    QTest::keyClick(attack.window()->windowHandle(), Qt::Key_Up);
    QTest::keyClick(attack.window()->windowHandle(), Qt::Key_Delete);
    EXPECT_EQ(attack.GetValue(), 21);
    EXPECT_EQ(document.GetSliceSequence().GetCount(), slices);
    QTest::keyClick(attack.window()->windowHandle(), Qt::Key_Up);
    EXPECT_GT(attack.GetValue(), before);
    delete envelope;
}

TEST_F(CUiTest, GainChangeMeterShowsCutAndBoostAndFallsBack)
{
    CZubrikDocument& document = Open(DemoLoop()).GetDocument();
    auto shaper = std::make_unique<CCompressorToolBar>(document);
    CGainChangeMeter& meter = shaper->GetMeter();
    meter.ShowFactors(0.5f, 2.0f);
    EXPECT_NEAR(meter.GetShownCut(), -6.02, 0.01);
    EXPECT_NEAR(meter.GetShownBoost(), 6.02, 0.01);
    // Nothing new from a silent shaper: the readings fall back.
    shaper->ReadMeter();
    EXPECT_NEAR(meter.GetShownCut(), -6.02 * CGainChangeMeter::kFallBack, 0.01);
    meter.ShowFactors(0.0f, 1000.0f);
    EXPECT_EQ(meter.GetShownCut(), -CGainChangeMeter::kRangeDecibels);
    EXPECT_EQ(meter.GetShownBoost(), CGainChangeMeter::kRangeDecibels);
}

TEST_F(CUiTest, OutputPeakMeterShowsTheSequencersPeaksAndHoldsTheClipLight)
{
    CZubrikDocument& document = Open(DemoLoop()).GetDocument();
    auto bar = std::make_unique<CSecondToolBar>(document);
    COutputPeakMeter& meter = *bar->fOutputPeakMeter;
    document.GetSequencer().GetMeterData().Merge(0.5f, 1.0f, true);
    meter.Read();
    EXPECT_NEAR(meter.GetShownPeak(0), -6.02, 0.01);
    EXPECT_NEAR(meter.GetShownPeak(1), 0.0, 0.01);
    EXPECT_TRUE(meter.IsClipLightOn());
    // Silence since: the peaks fall back, the light stays until clicked.
    meter.Read();
    EXPECT_NEAR(meter.GetShownPeak(0), -6.02 - COutputPeakMeter::kFallPerReading, 0.01);
    EXPECT_TRUE(meter.IsClipLightOn());
    QTest::mouseClick(&meter, Qt::LeftButton);
    EXPECT_FALSE(meter.IsClipLightOn());
}

TEST_F(CUiTest, TopToolBarReachesItsCommandsAndFollowsUndo)
{
    CZubrikDocument& document = Open(DemoLoop()).GetDocument();
    auto bar = std::make_unique<CTopToolBar>(document);
    std::vector<int32_t> commands;
    QObject::connect(bar.get(), &CTopToolBar::CommandRequested, [&](int32_t command) { commands.push_back(command); });
    bar->fOpenButton->click();
    bar->fSaveButton->click();
    bar->fFileExport->click();
    EXPECT_EQ(commands.size(), 3u);

    bar->fBarsTextEdit->setText("2");
    emit bar->fBarsTextEdit->editingFinished();
    EXPECT_EQ(document.GetBars(), 2);
    EXPECT_EQ(UndoName(document), "Change Bar Count");
    EXPECT_TRUE(bar->fOriginalTempoText->text().endsWith(" BPM"));
    EXPECT_NE(bar->fOriginalTempoText->text(), "0.000 BPM");
    bar->fBeatsPopup->setCurrentIndex(3);
    emit bar->fBeatsPopup->activated(3);
    EXPECT_EQ(document.GetBeats(), 3);
    bar->fSignPopup->setCurrentText("6/8");
    emit bar->fSignPopup->activated(bar->fSignPopup->currentIndex());
    EXPECT_EQ(document.GetParameters().fSignatureNumerator, 6);
    EXPECT_EQ(document.GetParameters().fSignatureDenominator, 8);
    EXPECT_EQ(UndoName(document), "Change Time Signature");
    document.Undo();
    EXPECT_EQ(bar->fSignPopup->currentText(), "4/4");
    document.Undo();
    EXPECT_EQ(bar->fBeatsPopup->currentIndex(), 0);
    document.Undo();
    EXPECT_EQ(bar->fBarsTextEdit->text(), "0");
    document.Redo();
    EXPECT_EQ(bar->fBarsTextEdit->text(), "2");

    const bool oneSample = document.IsExportAsOneSample();
    bar->fTransmitAsOneSampleToolbarButton->click();
    EXPECT_EQ(document.IsExportAsOneSample(), !oneSample);
    document.Undo();
    EXPECT_EQ(bar->fTransmitAsOneSampleToolbarButton->isChecked(), oneSample);
    bar->fPreviewPlayButton->click();
    EXPECT_TRUE(document.IsPreviewOn());
    EXPECT_EQ(UndoName(document), "Toggle Preview Play");
    document.Undo();
    EXPECT_FALSE(bar->fPreviewPlayButton->isChecked());

    // A click shows or hides the effect's bar; Alt-Click switches the
    // effect itself.
    bar->fEqualizerButton->click();
    EXPECT_FALSE(document.GetViewAndEditAttributes().fEqualizerShown);
    EXPECT_FALSE(bar->fEqualizerButton->isChecked());
    document.TogglePreviewPlay();
    const bool equalizerOn = document.GetEffectParameters().fEqualizerOn;
    QTest::mouseClick(bar->fEqualizerButton, Qt::LeftButton, Qt::AltModifier);
    EXPECT_EQ(document.GetEffectParameters().fEqualizerOn, !equalizerOn);
    EXPECT_EQ(bar->fEqualizerButton->property("effectOn").toBool(), !equalizerOn);
    EXPECT_FALSE(document.GetViewAndEditAttributes().fEqualizerShown);
}

TEST_F(CUiTest, SecondToolBarReachesItsCommandsAndFollowsUndo)
{
    CZubrikDocument& document = Open(DemoLoop()).GetDocument();
    auto bar = std::make_unique<CSecondToolBar>(document);
    bar->fToolButtons[3]->click();
    EXPECT_EQ(document.GetViewAndEditAttributes().fTool, SViewAndEditAttributes::kPenTool);
    document.SetTool(SViewAndEditAttributes::kMuteTool);
    EXPECT_TRUE(bar->fToolButtons[1]->isChecked());

    // A fader drag is one step.
    const int32_t sensitivity = document.GetSliceSequence().GetSensitivity();
    const int32_t steps = document.GetUndoHistory().GetPosition();
    bar->fSensitivityFader->setSliderDown(true);
    for (int value : {10, 20, 30})
        bar->fSensitivityFader->setValue(value);
    bar->fSensitivityFader->setSliderDown(false);
    EXPECT_EQ(document.GetSliceSequence().GetSensitivity(), 30);
    EXPECT_EQ(bar->fSensitivityShownText->text(), "30");
    EXPECT_EQ(document.GetUndoHistory().GetPosition(), steps + 1);
    document.Undo();
    EXPECT_EQ(bar->fSensitivityFader->value(), sensitivity);
    EXPECT_EQ(bar->fSensitivityShownText->text(), QString::number(sensitivity));

    bar->fSilenceSelectedToolbarButton->click();
    EXPECT_TRUE(document.GetParameters().fSilenceSelected);
    document.Undo();
    EXPECT_FALSE(bar->fSilenceSelectedToolbarButton->isChecked());

    const struct {
        CKnobControl* fKnob;
        std::string fName;
    } knobs[] = {{bar->fGateSensitivityKnob, "Change Gate Sensitivity"},
                 {bar->fPitchKnob, "Change Pitch"},
                 {bar->fProcessingGainKnob, "Change Processing Gain"}};
    for (const auto& knob : knobs) {
        const int32_t before = knob.fKnob->GetKnob().GetValue();
        QTest::keyClick(&knob.fKnob->GetKnob(), Qt::Key_PageUp);
        EXPECT_EQ(UndoName(document), knob.fName);
        document.Undo();
        EXPECT_EQ(knob.fKnob->GetKnob().GetValue(), before) << knob.fName;
    }
    QTest::keyClick(&bar->fPitchKnob->GetKnob(), Qt::Key_End);
    EXPECT_EQ(document.GetParameters().fPitch, 2400);
    EXPECT_EQ(bar->fPitchKnob->GetValueText().text(), "+2400 cents");
    QTest::keyClick(&bar->fProcessingGainKnob->GetKnob(), Qt::Key_End);
    EXPECT_EQ(bar->fProcessingGainKnob->GetValueText().text(), "+18.0 dB");

    bar->fPreviewTempoTextEdit->setText("98.5");
    emit bar->fPreviewTempoTextEdit->editingFinished();
    EXPECT_EQ(document.GetPreviewTempo(), 98500);
    EXPECT_EQ(UndoName(document), "Change Preview Tempo");
    EXPECT_EQ(bar->fPreviewTempoTextEdit->text(), "98.500");
    document.Undo();
    EXPECT_NE(bar->fPreviewTempoTextEdit->text(), "98.500");
}

} // namespace NSZubrikUiTest
