#include <gtest/gtest.h>

#include "app/Alert.h"
#include "app/ResultCodes.h"
#include "app/Zubrik.h"
#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"
#include "document/ZubrikDocument.h"
#include "support/TestSupport.h"

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
