#include <gtest/gtest.h>

#include "app/Alert.h"
#include "app/ResultCodes.h"
#include "app/Zubrik.h"
#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"
#include "document/ZubrikDocument.h"
#include "engine/FakeSoundPort.h"
#include "support/TestSupport.h"

#include <atomic>
#include <thread>

using namespace NSZubrik;

namespace {

struct CFakeFrontEnd : IApplicationHost, IDocumentWindows {
    std::vector<std::unique_ptr<CZubrikDocument>> windows;
    std::vector<bool> skipped;
    std::vector<std::filesystem::path> toOpen;
    int32_t saveAnswer = kDiscardChanges;
    int asked = 0, helps = 0, abandoned = 0, writes = 0;
    bool readResult = true;

    std::vector<std::filesystem::path> AskForFilesToOpen() override { return toOpen; }
    int32_t AskToSaveChanges(const std::u16string&, bool) override { return ++asked, saveAnswer; }
    std::unique_ptr<CABCWaveSample> ReadSoundFile(const std::filesystem::path&) override { throw XUnsupportedFormat(); }
    void OpenHelp(int32_t) override { ++helps; }
    bool HandleCommand(int32_t, CZubrikDocument*) override { return false; }
    void AbandonQuit() override { ++abandoned; }
    void OpenWindow(std::unique_ptr<CZubrikDocument> document, bool skip) override
    {
        windows.push_back(std::move(document));
        skipped.push_back(skip);
    }
    CZubrikDocument* GetFrontDocument() override { return windows.empty() ? nullptr : windows.back().get(); }
    std::vector<CZubrikDocument*> GetDocuments() override
    {
        std::vector<CZubrikDocument*> result;
        for (auto& w : windows)
            result.push_back(w.get());
        return result;
    }
    void CloseWindow(CZubrikDocument& document) override
    {
        std::erase_if(windows, [&](const auto& w) { return w.get() == &document; });
    }
};

struct CPreferences : IApplicationPreferences {
    CFakeFrontEnd* front;
    std::vector<uint8_t> audio;
    int32_t rate = 44100;
    const std::vector<uint8_t>& GetAudioSettings() const override { return audio; }
    void SetAudioSettings(std::vector<uint8_t> settings) override { audio = std::move(settings); }
    void SetOutputSampleRate(int32_t newRate) override { rate = newRate; }
    bool SetsBarsToOneInNewDocuments() const override { return false; }
    bool AlwaysMovesLeftLocator() const override { return false; }
    bool HasNoRingOut() const override { return false; }
    int32_t GetEffectsNoteCounter() const override { return 0; }
    void SetEffectsNoteCounter(int32_t) override {}
    int32_t GetOutputSampleRate() const override { return 44100; }
    bool Read(CRecentlyUsedDocuments&) override { return front->readResult; }
    void Write(const CRecentlyUsedDocuments&) override
    {
        if (++front->writes > 1)
            throw XDiskFull();
    }
};

} // namespace

TEST(Application, StartOpensTheStartUpDocumentAndDispatchesCommands)
{
    CFakeFrontEnd frontEnd;
    CPreferences preferences;
    preferences.front = &frontEnd;
    frontEnd.readResult = false;
    CZubrik application(frontEnd, frontEnd, preferences);
    EXPECT_EQ(application.Start({}), kResultNoError);
    EXPECT_TRUE(application.IsFirstRun());
    EXPECT_EQ(frontEnd.helps, 1);
    ASSERT_EQ(frontEnd.windows.size(), 1u);
    EXPECT_FALSE(frontEnd.windows[0]->NeedsSaving());

    EXPECT_EQ(application.Command(CZubrik::kCommandExportAsOneSample), kResultNoError);
    EXPECT_FALSE(frontEnd.windows[0]->IsExportAsOneSample());
    // A file that cannot be read comes back as a result code.
    const std::filesystem::path missing = std::filesystem::path(NSTestSupport::TemporaryFolder()) / "none.wav";
    EXPECT_NE(application.OpenFiles({missing}), kResultNoError);

    // The start-up document closes without a question.
    EXPECT_TRUE(application.CloseAll());
    EXPECT_EQ(frontEnd.asked, 0);
    EXPECT_EQ(application.Quit(), kResultNoError);
    EXPECT_EQ(application.Quit(), kResultNoError); // a failed write is shown, not thrown
}

TEST(Application, ClosingAsksToSaveAndRemembersFiles)
{
    CFakeFrontEnd frontEnd;
    CPreferences preferences;
    preferences.front = &frontEnd;
    CZubrik application(frontEnd, frontEnd, preferences);
    auto wave = CreateWaveSample(44100, 1000, false, 16);
    wave->SetLoop(CABCWaveSample::kLoopModeSet, 0, 1000);
    frontEnd.OpenWindow(CZubrikDocument::CreateFromSoundFile(std::move(wave), "/tmp/a.wav"), false);
    frontEnd.saveAnswer = IApplicationHost::kCancelClose;
    EXPECT_FALSE(application.CloseAll());
    EXPECT_EQ(frontEnd.abandoned, 1);
    frontEnd.saveAnswer = IApplicationHost::kSaveChanges; // no save dialog: stays open
    EXPECT_FALSE(application.CloseDocument(*frontEnd.windows[0], false));
    frontEnd.saveAnswer = IApplicationHost::kDiscardChanges;
    EXPECT_TRUE(application.CloseDocument(*frontEnd.windows[0], false));
    ASSERT_EQ(application.GetRecentlyUsedDocuments().GetEntries().size(), 1u);
    EXPECT_EQ(application.GetRecentlyUsedDocuments().GetEntries()[0].fName, u"a.wav");

    CRecentlyUsedDocuments recent;
    for (int i = 0; i < 10; ++i)
        recent.Add("/f" + std::to_string(i), u"f");
    recent.Add("/f5", u"again");
    ASSERT_EQ(recent.GetEntries().size(), 8u);
    EXPECT_EQ(recent.GetEntries()[0].fFile, "/f5");
    EXPECT_EQ(recent.GetEntries()[1].fFile, "/f9");
    EXPECT_EQ(recent.GetEntries()[7].fFile, "/f2");
}

namespace {

struct CAlertLog : IAlertPresenter {
    std::vector<std::string> messages;
    size_t Show(NSTextPackage::EAlertKind, const std::string& title, const std::string& message,
                const std::vector<std::string>&) override
    {
        messages.push_back(title + message);
        return 0;
    }
};

struct SPlayListener : IWavePlayerListener {
    int started = 0, stopped = 0;
    void PlayingStarted() override { ++started; }
    void PlayingStopped() override { ++stopped; }
};

} // namespace

// The application's audio output on a sound card in memory: the alerts of
// the start-up device choice, the device rate reaching the documents,
// playing a document through the application, and its settings saved at
// quit.
TEST(Application, AudioOutputOpensTheCardPlaysDocumentsAndSavesTheDevice)
{
    CAlertLog alerts;
    IAlertPresenter* previous = SetAlertPresenter(&alerts);
    NSEngineTest::SFakeDevice device;
    NSEngineTest::CFakeSoundPortInstaller installer(device);
    CFakeFrontEnd frontEnd;
    CPreferences preferences;
    preferences.front = &frontEnd;
    {
        CZubrik silent(frontEnd, frontEnd, preferences);
        EXPECT_EQ(silent.StartAudio(), kResultNoError);
        ASSERT_EQ(alerts.messages.size(), 1u);
        EXPECT_NE(alerts.messages[0].find("No sound available!"), std::string::npos);
        // Without a device a document's play does nothing.
        frontEnd.OpenWindow(CZubrikDocument::CreateEmpty(), false);
        EXPECT_EQ(silent.Play(*frontEnd.windows[0], CZubrikDocument::kPlayingLoop), kResultNoError);
        EXPECT_FALSE(frontEnd.windows[0]->GetSequencer().IsPlaying());
        frontEnd.windows.clear();
    }

    device.fNames = {"ALSA: one", "ALSA: two"};
    device.fDefault = "ALSA: two";
    device.fSampleRate = 48000;
    preferences.audio = {'g', 'o', 'n', 'e'};
    alerts.messages.clear();
    CZubrik application(frontEnd, frontEnd, preferences);
    auto wave = CreateWaveSample(44100, 20000, false, 16);
    for (int32_t i = 0; i < 20000; ++i)
        wave->SetInt16(i, int16_t(i % 200 * 100 - 10000), 1);
    wave->SetLoop(CABCWaveSample::kLoopModeSet, 0, 20000);
    frontEnd.OpenWindow(CZubrikDocument::CreateFromSoundFile(std::move(wave), "/tmp/b.wav"), false);
    CZubrikDocument& document = *frontEnd.windows[0];
    EXPECT_EQ(application.StartAudio(), kResultNoError);
    ASSERT_EQ(alerts.messages.size(), 1u);
    EXPECT_NE(alerts.messages[0].find("The sound card \"gone\" could not be found!"), std::string::npos);
    EXPECT_EQ(application.GetAudioOutput()->GetSelectedDriver()->GetName(), "ALSA: two");
    EXPECT_EQ(document.GetSequencer().GetOutputSampleRate(), 48000);
    EXPECT_EQ(preferences.rate, 48000);

    SPlayListener listener;
    EXPECT_EQ(application.Play(document, CZubrikDocument::kPlayingLoop, 0, &listener), kResultNoError);
    EXPECT_EQ(listener.started, 1);
    std::atomic<bool> pumping{true};
    std::thread audio([&] {
        while (pumping) {
            installer.Port().Pump(256);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    while (document.GetSequencer().GetPlayState() != CZubrikSequencer::kPlayingLoop)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    application.Idle();
    EXPECT_EQ(listener.stopped, 0);
    float peak = 0.0f;
    for (int i = 0; i < 2000 && peak < 0.2f; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(1)))
        peak = std::max(peak, application.TakePeaks(document).fLeft);
    EXPECT_GT(peak, 0.2f);
    EXPECT_EQ(application.Stop(document), kResultNoError);
    EXPECT_EQ(listener.stopped, 1);
    EXPECT_FALSE(document.GetSequencer().IsPlaying());

    // Closing a document lets the player go of its sequencer.
    application.Play(document, CZubrikDocument::kPlayingLoop, 0, &listener);
    EXPECT_TRUE(application.CloseDocument(document, false));
    pumping = false;
    audio.join();
    EXPECT_EQ(application.GetAudioOutput()->GetWavePlayer().GetSequencer(), nullptr);

    EXPECT_EQ(application.SelectAudioDevice("ALSA: none"), kResultNoError);
    EXPECT_NE(alerts.messages.back().find("\"ALSA: none\" could not be found!"), std::string::npos);
    EXPECT_EQ(application.Quit(), kResultNoError);
    EXPECT_EQ(preferences.audio, (std::vector<uint8_t>{'A', 'L', 'S', 'A', ':', ' ', 't', 'w', 'o'}));
    SetAlertPresenter(previous);
}
