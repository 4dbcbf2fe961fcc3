#include "SamplerExportFixture.h"

#include "io/PureSoundFileFormat.h"

using namespace NSSamplerExportTest;
namespace fs = std::filesystem;

namespace {

struct CStoppingProgress : CProgress {
    int32_t percent = -1;
    int32_t stopAfterPercents = -1;  // stop once this many percents were reported
    int32_t percents = 0;
    void SetPercent(int32_t p) override
    {
        percent = p;
        ++percents;
    }
    bool StopRequested() const override { return stopAfterPercents >= 0 && percents >= stopAfterPercents; }
};

// Answers alerts from a script of button indexes (the last button when the
// script runs out) and keeps what it showed.
struct CScriptedAlerts : IAlertPresenter {
    std::vector<size_t> script;
    std::vector<std::string> shown;
    size_t Show(NSTextPackage::EAlertKind, const std::string& title, const std::string& message,
                const std::vector<std::string>& buttons) override
    {
        shown.push_back(title + "|" + message);
        if (shown.size() <= script.size())
            return script[shown.size() - 1];
        return buttons.empty() ? 0 : buttons.size() - 1;
    }
};

class PureSoundExport : public ::testing::Test {
protected:
    void SetUp() override { fPrevious = SetAlertPresenter(&fAlerts); }
    void TearDown() override { SetAlertPresenter(fPrevious); }

    CScriptedAlerts fAlerts;
    IAlertPresenter* fPrevious = nullptr;
    fs::path fFolder = NSTestSupport::TemporaryFolder();
    CStoppingProgress fProgress;
};

} // namespace

TEST_F(PureSoundExport, SlicesAsWaveFilesWithRateDepthChannelsAndRootKey)
{
    CSlicedLoop loop(4, true, 22050);
    CExporter exporter(u"Beat", *loop.sequencer, true, false);
    CWAVFileFormat format;
    format.SetRememberedSettings(48000, 24, false);
    exporter.SetSampleRate(format.GetSampleRate());
    format.Export(exporter, fFolder / "Beat.wav", fProgress);

    EXPECT_EQ(fProgress.counts, (std::vector<int32_t>{4, 3, 2, 1}));
    EXPECT_EQ(fProgress.percent, 100);
    for (int32_t i = 0; i < 4; ++i) {
        const SSoundInfo r = ReadSound(fFolder / ("Beat 00" + std::to_string(i + 1) + ".wav"));
        EXPECT_EQ(r.channels, 2);
        EXPECT_EQ(r.rate, 48000);
        EXPECT_EQ(r.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
        EXPECT_EQ(r.frames, exporter.GetSlicePosition(i).fLength);
        EXPECT_EQ(r.rootKey, 60);
        EXPECT_EQ(r.loops, 0);
    }
    EXPECT_FALSE(fs::exists(fFolder / "Beat 005.wav"));
    EXPECT_TRUE(fAlerts.shown.empty());

    // A sampler format passes its own key; a mono mix gives one channel.
    exporter.SetMixToMono(true);
    format.SetRootKey(72);
    format.ExportSlice(exporter, 0, fFolder / "Key.wav", fProgress);
    const SSoundInfo keyed = ReadSound(fFolder / "Key.wav");
    EXPECT_EQ(keyed.rootKey, 72);
    EXPECT_EQ(keyed.channels, 1);
}

TEST_F(PureSoundExport, ReplaceReplaceAllAndCancel)
{
    CSlicedLoop loop(3, false, 29400);
    CExporter exporter(u"Beat", *loop.sequencer, true, false);
    CWAVFileFormat format;
    const fs::path beat = fFolder / "Beat.wav";
    auto piece = [&](int i) { return fFolder / ("Beat 00" + std::to_string(i) + ".wav"); };
    auto replaced = [&](int i) { return fs::file_size(piece(i)) > 100; };
    auto junkAll = [&] {
        for (int i = 1; i <= 3; ++i)
            std::ofstream(piece(i)) << "junk";
    };

    // Replace (first button) asks again for every file.
    junkAll();
    fAlerts.script = {0, 0, 0};
    format.Export(exporter, beat, fProgress);
    EXPECT_EQ(fAlerts.shown.size(), 3u);
    EXPECT_NE(fAlerts.shown[0].find("There is already a file by the name \"Beat 001.wav\""), std::string::npos);
    EXPECT_TRUE(replaced(1) && replaced(2) && replaced(3));

    // Replace All asks once.
    junkAll();
    fAlerts.shown.clear();
    fAlerts.script = {1};
    format.Export(exporter, beat, fProgress);
    EXPECT_EQ(fAlerts.shown.size(), 1u);
    EXPECT_TRUE(replaced(1) && replaced(2) && replaced(3));

    // Cancel at the second file keeps what was written and stops.
    junkAll();
    fAlerts.shown.clear();
    fAlerts.script = {0, 2};
    EXPECT_THROW(format.Export(exporter, beat, fProgress), XUserAbortedExport);
    EXPECT_TRUE(replaced(1));
    EXPECT_FALSE(replaced(2));
    EXPECT_FALSE(replaced(3));
}

TEST_F(PureSoundExport, StopAndFailuresEndTheExport)
{
    CSlicedLoop loop(3, false, 29400);
    CExporter exporter(u"Beat", *loop.sequencer, true, false);
    CWAVFileFormat format;

    // A stop during the first piece leaves no file behind, not even a
    // temporary one, and shows nothing.
    fProgress.stopAfterPercents = 2;
    EXPECT_THROW(format.Export(exporter, fFolder / "Stop.wav", fProgress), XUserAbortedExport);
    EXPECT_TRUE(fs::is_empty(fFolder));
    EXPECT_TRUE(fAlerts.shown.empty());

    // A folder that does not exist: one slice alert, then nothing more.
    fProgress.stopAfterPercents = -1;
    fProgress.counts.clear();
    EXPECT_THROW(format.Export(exporter, fFolder / "missing" / "Beat.wav", fProgress), XAlertAlreadyShown);
    ASSERT_EQ(fAlerts.shown.size(), 1u);
    EXPECT_EQ(fAlerts.shown[0].rfind("Couldn't export slice \"Beat 001.wav\"!", 0), 0u);
    EXPECT_NE(fAlerts.shown[0].find("No more slices will be exported."), std::string::npos);
    EXPECT_EQ(fProgress.counts.size(), 1u);
}
