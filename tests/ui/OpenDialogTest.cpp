// The open dialog: its information pane for a sound file, a loop file and a
// damaged file, the "Auto Play" switch auditioning each selected file and
// falling silent on a change and on closing, and the switch kept in the
// preferences. The audition runs once through a recording stand-in and once
// through the real wave player (without a device).
#include <QCheckBox>
#include <QLabel>
#include <QRegularExpression>
#include <fstream>

#include "UiTestSupport.h"
#include "app/FileAudition.h"
#include "engine/WavePlayer.h"
#include "io/Preferences.h"
#include "platform/framekit/OpenDialog.h"
#include "platform/framekit/ShownFileInfo.h"

namespace NSZubrikUiTest {

using namespace NSZubrik;
using namespace NSFrameKit::NSShownInfoRows;
using NSFrameKit::COpenDialog;

namespace {

// Reads through the real readers; records what it is asked to play.
class CRecordingAudition : public IOpenDialogAudition {
public:
    explicit CRecordingAudition(CZubrikPreferences& preferences) : fReal(nullptr, preferences) {}
    SShownFileInfo Describe(const std::filesystem::path& file) override { return fReal.Describe(file); }
    void Play(const std::filesystem::path& file) override { fCalls << "play " + QString::fromStdString(file.filename().string()); }
    void Stop() override { fCalls << "stop"; }
    bool IsAutoPlayOn() const override { return fReal.IsAutoPlayOn(); }
    void SetAutoPlay(bool on) override { fReal.SetAutoPlay(on); }

    QStringList fCalls;

private:
    CFileAudition fReal;
};

QString Path(const std::filesystem::path& file) { return QString::fromStdString(file.string()); }

} // namespace

class COpenDialogTest : public CUiTest {
protected:
    // A WAVE header over bytes that are no sound, and a loop file cut short.
    std::filesystem::path Damaged(const std::filesystem::path& loopFile)
    {
        const std::filesystem::path wave = fFolder / "damaged.wav";
        const char bytes[] = "RIFF\x40\0\0\0WAVEfmt \x02\0\0\0garbage-garbage-garbage";
        std::ofstream(wave, std::ios::binary).write(bytes, sizeof bytes - 1);
        const std::filesystem::path cut = fFolder / "cut.zx2";
        std::filesystem::copy_file(loopFile, cut);
        std::filesystem::resize_file(cut, 200);
        fCut = cut;
        return wave;
    }
    std::filesystem::path fCut;
};

TEST_F(COpenDialogTest, PaneShowsSoundAndLoopFileInformationAndDamagedFiles)
{
    const std::filesystem::path loopFile = DemoLoopFile();
    const std::filesystem::path damaged = Damaged(loopFile);
    fApplication->GetPreferences().SetAutoPlay(false);
    CRecordingAudition audition(fApplication->GetPreferences());
    COpenDialog dialog(nullptr, audition);
    NSFrameKit::CShownFileInfoPane& pane = dialog.GetPane();
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_FALSE(dialog.GetAutoPlay().isChecked());

    // The same sound as a WAVE file and as a loop file.
    struct SExpected {
        std::filesystem::path fFile;
        NSFrameKit::CShownFileInfoForm* fForm;
        std::vector<std::pair<int32_t, QString>> fRows;
    };
    const SExpected expected[] = {
        {DemoLoop(), &pane.GetSoundFileInfo(), {{kKind, "WAVE"}, {kLoop, "None"}}},
        {loopFile,
         &pane.GetZubrikFileInfo(),
         {{kKind, "Zubrik Loop File"}, {kLoop, "0 to 176400"}, {kLoopLength, "2 Bars + 0 Beats, 4/4"},
          {kLoopUsage, "100 %"}}},
    };
    for (const SExpected& file : expected) {
        dialog.ShowFile(Path(file.fFile));
        ASSERT_EQ(pane.currentWidget(), static_cast<QWidget*>(file.fForm));
        EXPECT_EQ(file.fForm->Value(kChannels), "Stereo");
        EXPECT_EQ(file.fForm->Value(kSampleRate), "44.1 kHz");
        EXPECT_EQ(file.fForm->Value(kBitDepth), "16 bits");
        EXPECT_EQ(file.fForm->Value(kLength), "176400 frames (4.00 s)");
        for (const auto& [row, text] : file.fRows)
            EXPECT_EQ(file.fForm->Value(row), text) << row;
    }
    const NSFrameKit::CShownZubrikFileInfo& loop = pane.GetZubrikFileInfo();
    EXPECT_TRUE(loop.Value(kSlices).contains(QRegularExpression("^\\d+ \\(\\d+ active\\)$")));
    EXPECT_TRUE(loop.Value(kTempo).endsWith(".000 BPM")) << loop.Value(kTempo).toStdString();
    EXPECT_TRUE(loop.Value(kCompression).endsWith(" : 1"));

    for (const std::filesystem::path& bad : {damaged, fCut}) {
        dialog.ShowFile(Path(bad));
        EXPECT_EQ(pane.currentWidget(), &pane.GetUnknownText()) << bad;
        EXPECT_EQ(pane.GetUnknownText().text(), "Unknown format or damaged file");
    }
    // A folder shows nothing; nothing played all along.
    dialog.ShowFile(Path(fFolder));
    EXPECT_NE(pane.currentWidget(), &pane.GetUnknownText());
    EXPECT_FALSE(audition.fCalls.join(' ').contains("play"));
}

TEST_F(COpenDialogTest, AutoPlayFollowsTheSelectionAndIsKeptOnClosing)
{
    const std::filesystem::path loopFile = DemoLoopFile();
    const std::filesystem::path damaged = Damaged(loopFile);
    CZubrikPreferences& preferences = fApplication->GetPreferences();
    EXPECT_TRUE(preferences.GetAutoPlay());
    {
        CRecordingAudition audition(preferences);
        COpenDialog dialog(nullptr, audition);
        EXPECT_TRUE(dialog.GetAutoPlay().isChecked());
        dialog.ShowFile(Path(DemoLoop()));
        dialog.ShowFile(Path(loopFile));
        dialog.ShowFile(Path(damaged));
        EXPECT_EQ(audition.fCalls, QStringList({"play demo-loop.wav", "play demo.zx2", "stop"}));
        audition.fCalls.clear();
        dialog.ShowFile(Path(DemoLoop()));
        dialog.GetAutoPlay().setChecked(false);
        dialog.ShowFile(Path(loopFile));
        dialog.GetAutoPlay().setChecked(true);
        dialog.reject();
        EXPECT_EQ(audition.fCalls,
                  QStringList({"play demo-loop.wav", "stop", "stop", "play demo.zx2", "stop"}));
        EXPECT_TRUE(preferences.GetAutoPlay());
    }
    // The program's own dialog, without an audio output: switched off and
    // closed, the switch stays off for next time.
    WhenModalUp([](QWidget* modal) {
        auto* dialog = qobject_cast<COpenDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->ShowFile(Path(DemoLoop()));
        dialog->GetAutoPlay().setChecked(false);
        dialog->reject();
    });
    EXPECT_TRUE(fApplication->AskForFilesToOpen().empty());
    EXPECT_FALSE(preferences.GetAutoPlay());
}

TEST_F(COpenDialogTest, AuditionPlaysThroughTheWavePlayerAndStops)
{
    const std::filesystem::path loopFile = DemoLoopFile();
    const std::filesystem::path damaged = Damaged(loopFile);
    CWavePlayer player;
    CFileAudition audition(&player, fApplication->GetPreferences());
    audition.Play(DemoLoop());
    EXPECT_EQ(player.GetMode(), CWavePlayer::kPlayingWave);
    // The loop file replaces the sound, played as its loop.
    audition.Play(loopFile);
    EXPECT_EQ(player.GetMode(), CWavePlayer::kPlayingPreview);
    audition.Play(damaged);
    EXPECT_EQ(player.GetMode(), CWavePlayer::kStopped);
    audition.Play(DemoLoop());
    audition.Stop();
    EXPECT_EQ(player.GetMode(), CWavePlayer::kStopped);
    {
        // Going away, an audition takes its sound from the player.
        CFileAudition second(&player, fApplication->GetPreferences());
        second.Play(loopFile);
        EXPECT_EQ(player.GetMode(), CWavePlayer::kPlayingPreview);
    }
    EXPECT_EQ(player.GetMode(), CWavePlayer::kStopped);
}

} // namespace NSZubrikUiTest
