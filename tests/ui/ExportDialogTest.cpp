// The Export command in the window: the settings dialog on its own, and the
// whole command from the tool bar's button through the save dialog and the
// settings dialog to the files, read back with the sound library.
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QTest>
#include <QToolButton>
#include <sndfile.h>

#include "UiTestSupport.h"
#include "document/ZubrikDocument.h"
#include "ui/ExportDialogs.h"
#include "ui/toolbars/DocumentToolBars.h"
#include "ui/toolbars/TopToolBar.h"

namespace NSZubrikUiTest {

using namespace NSZubrik;

namespace {

CExportSettingsDialogData WaveData()
{
    CExportSettingsDialogData data;
    data.fSampleRates = {11025, 22050, 32000, 44100, 48000, 88200, 96000};
    data.fBitDepths = {16, 24};
    data.fSampleRate = 44100;
    data.fBitDepth = 16;
    return data;
}

void Choose(QComboBox& box, const QString& text)
{
    const int index = box.findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    box.setCurrentIndex(index);
}

} // namespace

TEST_F(CUiTest, ExportSettingsDialogOffersTheFormatsListsAndAnswersTheChoiceWithTheKeys)
{
    CExportSettingsDialogData data = WaveData();
    CExportSettingsWindow dialog(data, nullptr);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QComboBox& rates = dialog.GetSampleRates();
    ASSERT_EQ(rates.count(), 7);
    EXPECT_EQ(rates.currentText(), QStringLiteral("44100"));
    EXPECT_EQ(dialog.GetBitDepths().currentText(), QStringLiteral("16"));
    EXPECT_TRUE(rates.isEnabled());
    EXPECT_FALSE(dialog.GetMidiFile().isHidden());

    // Tab walks down the fields.
    rates.setFocus();
    QTest::keyClick(&rates, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), &dialog.GetBitDepths());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), &dialog.GetMidiFile());

    Choose(rates, QStringLiteral("48000"));
    Choose(dialog.GetBitDepths(), QStringLiteral("24"));
    dialog.GetMidiFile().setChecked(true);
    // Enter takes the choice from any field.
    QTest::keyClick(&dialog.GetBitDepths(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    dialog.TakeChoices(data);
    EXPECT_EQ(data.fSampleRate, 48000);
    EXPECT_EQ(data.fBitDepth, 24);
    EXPECT_TRUE(data.fExportMidiFile);

    CExportSettingsWindow escaped(WaveData(), nullptr);
    escaped.show();
    QTest::keyClick(&escaped.GetSampleRates(), Qt::Key_Escape);
    EXPECT_EQ(escaped.result(), QDialog::Rejected);
}

TEST_F(CUiTest, ExportSettingsDialogShowsAOneEntryListDisabledAndNoMidiBoxWhenNotOffered)
{
    // The Mixman track: one rate, one depth, no MIDI file beside it.
    CExportSettingsDialogData data;
    data.fSampleRates = {44100};
    data.fBitDepths = {16};
    data.fOffersMidiFile = false;
    data.fExportMidiFile = true;
    CExportSettingsWindow dialog(data, nullptr);
    dialog.show();
    EXPECT_EQ(dialog.GetSampleRates().currentText(), QStringLiteral("44100"));
    EXPECT_FALSE(dialog.GetSampleRates().isEnabled());
    EXPECT_FALSE(dialog.GetBitDepths().isEnabled());
    EXPECT_FALSE(dialog.GetMidiFile().isVisible());
    dialog.TakeChoices(data);
    EXPECT_EQ(data.fSampleRate, 44100);
    EXPECT_FALSE(data.fExportMidiFile);
}

TEST_F(CUiTest, ExportButtonWritesNumberedWaveFilesAndRemembersTheSettings)
{
    CZubrikWindow& window = Open(DemoLoopFile());
    if (window.GetDocument().IsExportAsOneSample())
        window.GetDocument().ToggleExportAsOneSample();
    CZubrikPreferences& preferences = fApplication->GetPreferences();
    preferences.SetExportFileType(".wav;.wave");
    const std::filesystem::path chosen = fFolder / "Name";
    QString preselected;
    bool settingsShown = false;
    WhenModalUp([&](QWidget* modal) {
        auto* files = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(files, nullptr);
        EXPECT_EQ(files->windowTitle(), QStringLiteral("Export Sound"));
        preselected = files->selectedNameFilter();
        WhenModalUp([&](QWidget* next) {
            auto* settings = qobject_cast<CExportSettingsWindow*>(next);
            ASSERT_NE(settings, nullptr);
            settingsShown = true;
            Choose(settings->GetSampleRates(), QStringLiteral("48000"));
            Choose(settings->GetBitDepths(), QStringLiteral("24"));
            settings->accept();
        });
        files->selectFile(QString::fromStdString(chosen.string()));
        QMetaObject::invokeMethod(files, "accept");
    });
    window.GetToolBars().GetTopToolBar().fFileExport->click();

    EXPECT_TRUE(preselected.startsWith(QStringLiteral("WAVE File (*.wav"))) << preselected.toStdString();
    EXPECT_TRUE(settingsShown);
    // The chosen name without an extension got the type's, and the slices
    // are numbered after it.
    for (const char* name : {"Name 001.wav", "Name 002.wav"}) {
        SF_INFO info{};
        SNDFILE* file = sf_open((fFolder / name).c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr) << name;
        EXPECT_EQ(info.samplerate, 48000);
        EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_24);
        EXPECT_GT(info.frames, 0);
        sf_close(file);
    }
    EXPECT_EQ(preferences.GetExportSampleRate(), 48000);
    EXPECT_EQ(preferences.GetExportBitDepth(), 24);
    EXPECT_EQ(preferences.GetExportFileType(), ".wav;.wave");
}

} // namespace NSZubrikUiTest
