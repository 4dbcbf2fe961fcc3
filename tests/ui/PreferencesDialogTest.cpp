// Edit > Preferences...: every control of the General page lands in the
// preferences on OK and the window follows, Cancel keeps everything, and the
// Audio page lists and opens the devices of a sound card in memory at the
// chosen rate and buffer size.
#include <QCheckBox>
#include <QComboBox>
#include <QSlider>
#include <QTabWidget>

#include "UiTestSupport.h"
#include "app/ResultCodes.h"
#include "document/ZubrikDocument.h"
#include "engine/AudioCardManager.h"
#include "engine/FakeSoundPort.h"
#include "ui/PreferencesDialog.h"
#include "ui/WaveformDisplayGroupView.h"
#include "ui/ZubrikCommands.h"
#include "ui/ZubrikMenus.h"
#include "ui/views/LargeWaveformView.h"

namespace NSZubrikUiTest {

using namespace NSZubrik;

namespace {

// Opens the dialog from the Edit menu and lets edit work on it; OK or
// Cancel closes it.
void EditPreferences(CZubrikWindow& window, const std::function<void(CPreferencesDialog&)>& edit, bool ok)
{
    WhenModalUp([&](QWidget* modal) {
        auto* dialog = qobject_cast<CPreferencesDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        edit(*dialog);
        ok ? dialog->accept() : dialog->reject();
    });
    QAction* item = window.GetMenus().Find(NSCommands::kPreferences);
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
}

void ToggleEverything(CPreferencesDialog& dialog)
{
    for (size_t i = 0; i < CPreferencesDialog::kFlagCount; ++i)
        dialog.GetFlag(i).toggle();
    dialog.GetLook().setCurrentIndex(0);
    dialog.GetUnits().setCurrentIndex(1);
    dialog.GetContrast().setValue(80);
    dialog.SetWaveformColor(QColor(0x20, 0x40, 0x60));
}

} // namespace

TEST_F(CUiTest, PreferencesOkPutsEveryControlIntoThePreferencesAndTheWindowFollows)
{
    CZubrikWindow& window = Open(DemoLoop());
    CLargeWaveformView& waveform = window.GetView().GetWaveformView();
    waveform.grab();
    const int32_t drawn = waveform.GetCacheDrawCount();
    const SPreferenceValues before = fApplication->GetPreferences().GetValues();
    EditPreferences(window, ToggleEverything, true);

    SPreferenceValues expected = before;
    for (bool SPreferenceValues::*flag :
         {&SPreferenceValues::fViewStereoAsSum, &SPreferenceValues::fScrollDuringPlayback,
          &SPreferenceValues::fAutoPlay, &SPreferenceValues::fSetBarsToOne, &SPreferenceValues::fAlwaysMoveLeftLocator,
          &SPreferenceValues::fNoRingOut, &SPreferenceValues::fLargeToolbarIcons})
        expected.*flag = !(before.*flag);
    expected.fDisplayStyle = 0;
    expected.fPositionUnit = 1;
    expected.fContrast = 80;
    expected.fWaveformColor = {0x20, 0x40, 0x60};
    EXPECT_EQ(fApplication->GetPreferences().GetValues(), expected);

    CWaveformDisplayGroupView& view = window.GetView();
    EXPECT_EQ(view.IsShowingChannelsSummed(), expected.fViewStereoAsSum);
    EXPECT_EQ(view.GetWaveStyle(), (SWaveStyle{expected.fWaveformColor, 80, kPlainWaveLook}));
    EXPECT_TRUE(view.IsShowingFrames());
    // The wave is drawn again in the new colour (and summed).
    waveform.grab();
    EXPECT_GT(waveform.GetCacheDrawCount(), drawn);
    EXPECT_EQ(window.GetMenus().Find(NSCommands::kScrollDuringPlayback)->isChecked(), expected.fScrollDuringPlayback);
}

TEST_F(CUiTest, PreferencesCancelLeavesEverythingAsItWas)
{
    CZubrikWindow& window = Open(DemoLoop());
    const SPreferenceValues before = fApplication->GetPreferences().GetValues();
    EditPreferences(window, ToggleEverything, false);
    EXPECT_EQ(fApplication->GetPreferences().GetValues(), before);
    EXPECT_EQ(window.GetView().GetWaveStyle(), SWaveStyle{});
}

TEST_F(CUiTest, PreferencesAudioPageListsTheDevicesAndOpensTheChosenOne)
{
    NSEngineTest::SFakeDevice device;
    device.fNames = {"Fake: Speakers", "Fake: Headphones", "Fake: Broken"};
    device.fDefault = "Fake: Speakers";
    device.fBroken = {"Fake: Broken"};
    NSEngineTest::CFakeSoundPortInstaller installer(device);
    CZubrik& zubrik = fApplication->GetApplication();
    // The card goes before the fake device does, whatever the test's end.
    struct SAudioStopper {
        CZubrik& fZubrik;
        ~SAudioStopper() { fZubrik.StopAudio(); }
    } stopper{zubrik};
    ASSERT_EQ(zubrik.StartAudio(), kResultNoError);
    CZubrikWindow& window = Open(DemoLoop());

    QStringList listed;
    EditPreferences(window, [&](CPreferencesDialog& dialog) {
        for (int i = 0; i < dialog.GetDevices().count(); ++i)
            listed << dialog.GetDevices().itemText(i);
        EXPECT_EQ(dialog.GetDevices().currentText(), QStringLiteral("Fake: Speakers"));
        dialog.GetDevices().setCurrentIndex(1);
    }, true);
    EXPECT_EQ(listed, QStringList({"Fake: Speakers", "Fake: Headphones", "Fake: Broken"}));
    EXPECT_EQ(zubrik.GetAudioOutput()->GetSelectedDriver()->GetName(), "Fake: Headphones");

    // The rate and buffer boxes show what the device runs at; the rates
    // follow the device shown; OK opens the device again at the chosen ones
    // and the document follows the rate, Cancel leaves them.
    auto choose = [](QComboBox& box, int value) { box.setCurrentIndex(box.findData(value)); };
    EditPreferences(window, [&](CPreferencesDialog& dialog) {
        EXPECT_EQ(dialog.GetRates().currentData().toInt(), 44100);
        EXPECT_EQ(dialog.GetBuffers().currentData().toInt(), 256);
        choose(dialog.GetRates(), 96000);
        choose(dialog.GetBuffers(), 512);
    }, true);
    EXPECT_EQ(zubrik.GetAudioOutput()->GetOutputSampleRate(), 96000);
    EXPECT_EQ(device.fBufferFrames, 512);
    EXPECT_EQ(window.GetDocument().GetSequencer().GetOutputSampleRate(), 96000);
    const size_t opened = device.fTried.size();
    EditPreferences(window, [&](CPreferencesDialog& dialog) {
        EXPECT_EQ(dialog.GetRates().currentText(), QStringLiteral("96000 Hz"));
        EXPECT_EQ(dialog.GetBuffers().currentText(), QStringLiteral("512 frames"));
        device.fRates = {44100, 88200};
        dialog.GetDevices().setCurrentIndex(0);
        EXPECT_EQ(dialog.GetRates().count(), 2);
        EXPECT_EQ(dialog.GetRates().currentData().toInt(), 44100);
        choose(dialog.GetBuffers(), 2048);
    }, false);
    EXPECT_EQ(device.fTried.size(), opened);
    EXPECT_EQ(device.fBufferFrames, 512);
    device.fRates = {44100, 48000, 96000};
    // OK without a change leaves the device open as it is.
    EditPreferences(window, [](CPreferencesDialog&) {}, true);
    EXPECT_EQ(device.fTried.size(), opened);

    QString alert;
    EditPreferences(window, [&](CPreferencesDialog& dialog) {
        dialog.GetDevices().setCurrentIndex(2);
        AnswerNextDialog(QStringLiteral("OK"), &alert);
    }, true);
    EXPECT_TRUE(alert.contains(QStringLiteral("\"Fake: Broken\" could not be opened"))) << alert.toStdString();
}

} // namespace NSZubrikUiTest
