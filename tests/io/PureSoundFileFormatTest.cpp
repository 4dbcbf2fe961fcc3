#include <sndfile.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ExportTestSupport.h"
#include "app/Alert.h"
#include "app/ZubrikErrors.h"
#include "document/Exporter.h"
#include "document/LengthyOperation.h"
#include "io/PureSoundFileFormat.h"
#include "support/TestSupport.h"

using namespace NSZubrik;
namespace fs = std::filesystem;

namespace {

struct CProgress : ILengthyProgress {
    std::vector<int32_t> counts;
    int32_t percent = -1;
    int32_t stopAfterPercents = -1;  // stop once this many percents were reported
    int32_t percents = 0;
    void SetText(const std::u16string&) override {}
    void SetCount(int32_t count) override { counts.push_back(count); }
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

struct SReadBack {
    SF_INFO info{};
    SF_INSTRUMENT instrument{};
    bool hasInstrument = false;
};

SReadBack ReadBack(const fs::path& file)
{
    SReadBack r;
    SNDFILE* sound = sf_open(file.c_str(), SFM_READ, &r.info);
    EXPECT_NE(sound, nullptr) << file;
    if (sound == nullptr)
        return r;
    r.hasInstrument = sf_command(sound, SFC_GET_INSTRUMENT, &r.instrument, sizeof r.instrument) == SF_TRUE;
    sf_close(sound);
    return r;
}

class PureSoundExport : public ::testing::Test {
protected:
    void SetUp() override { fPrevious = SetAlertPresenter(&fAlerts); }
    void TearDown() override { SetAlertPresenter(fPrevious); }

    fs::path Folder() const { return fFolder; }

    CScriptedAlerts fAlerts;
    IAlertPresenter* fPrevious = nullptr;
    fs::path fFolder = NSTestSupport::TemporaryFolder();
    CProgress fProgress;
};

void WriteJunk(const fs::path& file)
{
    std::ofstream(file) << "junk";
}

} // namespace

TEST(PieceNames, NumberedBesideTheChosenFile)
{
    const fs::path beat = "/loops/Beat.wav";
    EXPECT_EQ(CABCPureSoundFileFormat::MakePieceDestination(beat, 0, ".wav"), "/loops/Beat 001.wav");
    EXPECT_EQ(CABCPureSoundFileFormat::MakePieceDestination(beat, 98, ".wav"), "/loops/Beat 099.wav");
    EXPECT_EQ(CABCPureSoundFileFormat::MakePieceDestination(beat, 999, ".wav"), "/loops/Beat 1000.wav");
    EXPECT_EQ(CABCPureSoundFileFormat::MakePieceDestination(beat, 200000, ".wav"), "/loops/Beat 99999.wav");
    // The chosen extension is replaced by the format's first one.
    EXPECT_EQ(CABCPureSoundFileFormat::MakePieceDestination("/l/Kit.aiff", 1, ".aif"), "/l/Kit 002.aif");

    // A very long name is shortened before the number, never the number.
    const fs::path longName = "/l/" + std::string(2000, 'x') + ".wav";
    const fs::path piece = CABCPureSoundFileFormat::MakePieceDestination(longName, 0, ".wav");
    const std::string stem = piece.stem().string();
    EXPECT_EQ(stem.size(), 1023u);
    EXPECT_EQ(stem.substr(stem.size() - 4), " 001");
    EXPECT_EQ(piece.extension(), ".wav");
}

TEST_F(PureSoundExport, SlicesAsWaveFilesWithRateDepthChannelsAndRootKey)
{
    NSExportTest::CLoop loop(1, 4, true);
    CExporter exporter(u"Beat", *loop.sequencer, true, false);
    CWAVFileFormat format;
    format.SetRememberedSettings(48000, 24, false);
    exporter.SetSampleRate(format.GetSampleRate());
    format.Export(exporter, Folder() / "Beat.wav", fProgress);

    EXPECT_EQ(fProgress.counts, (std::vector<int32_t>{4, 3, 2, 1}));
    EXPECT_EQ(fProgress.percent, 100);
    for (int32_t i = 0; i < 4; ++i) {
        const SReadBack r = ReadBack(Folder() / ("Beat 00" + std::to_string(i + 1) + ".wav"));
        EXPECT_EQ(r.info.channels, 2);
        EXPECT_EQ(r.info.samplerate, 48000);
        EXPECT_EQ(r.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
        EXPECT_EQ(r.info.frames, exporter.GetSlicePosition(i).fLength);
        ASSERT_TRUE(r.hasInstrument);
        EXPECT_EQ(r.instrument.basenote, 60);
        EXPECT_EQ(r.instrument.loop_count, 0);
    }
    EXPECT_FALSE(fs::exists(Folder() / "Beat 005.wav"));
    EXPECT_TRUE(fAlerts.shown.empty());

    // A sampler format passes its own key; a mono mix gives one channel.
    exporter.SetMixToMono(true);
    format.SetRootKey(72);
    format.ExportSlice(exporter, 0, Folder() / "Key.wav", fProgress);
    const SReadBack keyed = ReadBack(Folder() / "Key.wav");
    EXPECT_EQ(keyed.instrument.basenote, 72);
    EXPECT_EQ(keyed.info.channels, 1);
}

TEST_F(PureSoundExport, OneSampleLoopsOverTheLoopAndNotTheRingOut)
{
    NSExportTest::CLoop loop(1, 4, false);
    CExporter exporter(u"Beat", *loop.sequencer, false, false);
    CAIFFFileFormat format;
    format.SetRememberedSettings(22050, 16, false);
    exporter.SetSampleRate(format.GetSampleRate());
    format.Export(exporter, Folder() / "Beat.aif", fProgress);

    EXPECT_FALSE(fs::exists(Folder() / "Beat 002.aif"));
    const SReadBack r = ReadBack(Folder() / "Beat 001.aif");
    EXPECT_EQ(r.info.format, SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
    EXPECT_EQ(r.info.samplerate, 22050);
    EXPECT_EQ(r.info.channels, 1);
    ASSERT_TRUE(r.hasInstrument);
    ASSERT_EQ(r.instrument.loop_count, 1);
    EXPECT_EQ(r.instrument.loops[0].mode, SF_LOOP_FORWARD);
    EXPECT_EQ(r.instrument.loops[0].start, 0u);
    EXPECT_EQ(int64_t(r.instrument.loops[0].end), exporter.GetLoopLengthAtExportRate());
    EXPECT_EQ(int64_t(r.instrument.loops[0].end), 44100);  // two seconds at 22050
    // The last slice rings out past the loop's end.
    EXPECT_GT(r.info.frames, int64_t(r.instrument.loops[0].end));
}

TEST_F(PureSoundExport, ReplaceReplaceAllAndCancel)
{
    NSExportTest::CLoop loop(1, 3, false);
    CExporter exporter(u"Beat", *loop.sequencer, true, false);
    CWAVFileFormat format;
    const fs::path beat = Folder() / "Beat.wav";
    auto piece = [&](int i) { return Folder() / ("Beat 00" + std::to_string(i) + ".wav"); };
    auto replaced = [&](int i) { return fs::file_size(piece(i)) > 100; };
    auto junkAll = [&] {
        for (int i = 1; i <= 3; ++i)
            WriteJunk(piece(i));
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
    NSExportTest::CLoop loop(1, 3, false);
    CExporter exporter(u"Beat", *loop.sequencer, true, false);
    CWAVFileFormat format;

    // A stop during the first piece leaves no file behind, not even a
    // temporary one, and shows nothing.
    fProgress.stopAfterPercents = 2;
    EXPECT_THROW(format.Export(exporter, Folder() / "Stop.wav", fProgress), XUserAbortedExport);
    EXPECT_TRUE(fs::is_empty(Folder()));
    EXPECT_TRUE(fAlerts.shown.empty());

    // A folder that does not exist: one slice alert, then nothing more.
    fProgress.stopAfterPercents = -1;
    fProgress.counts.clear();
    EXPECT_THROW(format.Export(exporter, Folder() / "missing" / "Beat.wav", fProgress), XAlertAlreadyShown);
    ASSERT_EQ(fAlerts.shown.size(), 1u);
    EXPECT_EQ(fAlerts.shown[0].rfind("Couldn't export slice \"Beat 001.wav\"!", 0), 0u);
    EXPECT_NE(fAlerts.shown[0].find("No more slices will be exported."), std::string::npos);
    EXPECT_EQ(fProgress.counts.size(), 1u);
}
