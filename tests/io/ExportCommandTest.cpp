#include <gtest/gtest.h>

#include <filesystem>

#include "app/ZubrikErrors.h"
#include "document/DocumentTestSupport.h"
#include "document/Exporter.h"
#include "document/ZubrikDocument.h"
#include "io/ExportCommand.h"
#include "io/ExportFileFormat.h"
#include "support/TestSupport.h"

using namespace NSZubrik;
using namespace NSDocumentTest;
namespace fs = std::filesystem;

namespace {

struct SRecord {
    int exports = 0;
    bool stereo = true;
    int32_t rate = 0;
};

// A format of any shape that records what it was asked to write.
class CFakeFormat : public CABCExportFileFormat {
public:
    CFakeFormat(std::vector<int32_t> rates, bool stereo, bool hasKeyRange, int32_t maxSlices)
        : CABCExportFileFormat(std::move(rates), {16, 24}, stereo, hasKeyRange, 36, maxSlices, true)
    {
    }
    void Export(CExporter& exporter, const fs::path&, ILengthyProgress&) override
    {
        ++record->exports;
        record->stereo = exporter.IsStereo();
        record->rate = exporter.GetSampleRate();
        if (failure)
            failure();
    }
    SRecord* record = nullptr;
    std::function<void()> failure;
};

struct CFileDialog : IExportFileDialog {
    std::optional<SExportFileChoice> answer;
    int asked = 0;
    std::string lastType;
    std::optional<SExportFileChoice> AskForFile(const std::u16string&, const std::vector<SExportFileType>&,
                                                const std::string& last) override
    {
        ++asked;
        lastType = last;
        return answer;
    }
};

struct CSettingsDialog : IExportSettingsDialog {
    bool accept = true;
    std::optional<int32_t> pickRate;
    std::optional<bool> pickMidi;
    CExportSettingsDialogData offered;
    bool Run(CExportSettingsDialogData& data) override
    {
        offered = data;
        if (pickRate)
            data.fSampleRate = *pickRate;
        if (pickMidi)
            data.fExportMidiFile = *pickMidi;
        return accept;
    }
};

class ExportCommand : public DocumentFixture {
protected:
    void SetUp() override
    {
        DocumentFixture::SetUp();
        fExport.fileDialog = &fFiles;
        fExport.settingsDialog = &fSettings;
        fExport.preferences = &fPrefs;
        fExport.formatFactory = [this](std::string_view) {
            auto format = std::make_unique<CFakeFormat>(std::vector<int32_t>{44100, 48000}, true, false, 92);
            format->record = &fRecord;
            format->failure = fFailure;
            return format;
        };
        fExport.midiExport = [this](const CExporter&, const fs::path& f) { fMidiFiles.push_back(f); };
        fExport.midiExportBeside = [this](const CExporter&, const CABCExportFileFormat&, const fs::path& f) {
            fMidiFiles.push_back(f);
        };
        fFiles.answer = SExportFileChoice{fs::path(fFolder) / "Beat.wav", ".wav;.wave"};
    }
    void MakeLoop(int32_t hits, bool stereo)
    {
        Make(DrumLoop(4410 * hits, hits, stereo)).SetBars(1);
        fDocument->ToggleExportAsOneSample();  // one piece per slice
    }

    std::string fFolder = NSTestSupport::TemporaryFolder();
    CFileDialog fFiles;
    CSettingsDialog fSettings;
    CExportPreferencesInMemory fPrefs;
    CExportServices fExport;
    std::function<void()> fFailure;
    SRecord fRecord;
    std::vector<fs::path> fMidiFiles;
};

} // namespace

TEST(ExportSettings, RememberedValuesFallBackToTheFormatsLists)
{
    CFakeFormat format({44100, 48000}, true, false, 0);
    CSettingsDialog dialog;
    format.SetRememberedSettings(96000, 24, true);
    ASSERT_TRUE(format.EditSettings(dialog));
    EXPECT_EQ(dialog.offered.fSampleRate, 44100);
    EXPECT_EQ(dialog.offered.fBitDepth, 24);
    EXPECT_TRUE(dialog.offered.fExportMidiFile);

    // A choice outside the list is not trusted; a cancel keeps the old one.
    dialog.pickRate = 12345;
    ASSERT_TRUE(format.EditSettings(dialog));
    EXPECT_EQ(format.GetSampleRate(), 44100);
    dialog.pickRate = 48000;
    dialog.accept = false;
    EXPECT_FALSE(format.EditSettings(dialog));
    EXPECT_EQ(format.GetSampleRate(), 44100);

    EXPECT_THROW(CreateExportFileFormat(".xyz"), XInvariantCorrupt);
    // Every type the save dialog offers can be exported.
    for (const SExportFileType& type : GetExportFileTypes()) {
        if (type.fExtensionList != ".mid;.midi") {
            EXPECT_NO_THROW(CreateExportFileFormat(type.fExtensionList)) << type.fExtensionList;
        }
    }
}

TEST_F(ExportCommand, NoLengthNoSoundAndCancelledDialogsStopEarly)
{
    // No loop length, question cancelled: nothing else happens.
    Make(DrumLoop(44100, 8));
    EXPECT_EQ(ExportDocument(*fDocument, fExport), EExportResult::kCancelled);
    EXPECT_EQ(fBars.asked, 1);
    EXPECT_EQ(fFiles.asked, 0);

    // Every slice muted: alert 2202 and no save dialog.
    fBars.answer = 1;
    fDocument->SelectAll();
    fDocument->MuteSlices(Shown().front());
    EXPECT_EQ(ExportDocument(*fDocument, fExport), EExportResult::kNothingToExport);
    ASSERT_EQ(fAlerts.messages.size(), 1u);
    EXPECT_NE(fAlerts.messages[0].find("no sounding slices between the left and right locators"), std::string::npos);
    EXPECT_EQ(fFiles.asked, 0);

    // Cancelling the save dialog or the settings ends quietly.
    fAlerts.messages.clear();
    MakeLoop(8, false);
    fFiles.answer.reset();
    EXPECT_EQ(ExportDocument(*fDocument, fExport), EExportResult::kCancelled);
    fFiles.answer = SExportFileChoice{fs::path(fFolder) / "Beat.wav", ".wav;.wave"};
    fSettings.accept = false;
    EXPECT_EQ(ExportDocument(*fDocument, fExport), EExportResult::kCancelled);
    EXPECT_EQ(fRecord.exports, 0);
    EXPECT_TRUE(fAlerts.messages.empty());
}

TEST_F(ExportCommand, SettingsAreRememberedAndMidiGoesBeside)
{
    MakeLoop(8, false);
    fPrefs.fSampleRate = 96000;
    fSettings.pickMidi = true;
    ASSERT_EQ(ExportDocument(*fDocument, fExport), EExportResult::kExported);
    EXPECT_EQ(fSettings.offered.fSampleRate, 44100);
    EXPECT_EQ(fRecord.rate, 44100);
    EXPECT_EQ(fPrefs.fSampleRate, 44100);
    EXPECT_TRUE(fPrefs.fMidiFile);
    EXPECT_EQ(fPrefs.fFileType, ".wav;.wave");
    EXPECT_EQ(fMidiFiles, std::vector<fs::path>{fs::path(fFolder) / "Beat.wav"});

    // The next export offers the remembered type and rate.
    fSettings.pickRate = 48000;
    fSettings.pickMidi = false;
    ASSERT_EQ(ExportDocument(*fDocument, fExport), EExportResult::kExported);
    EXPECT_EQ(fFiles.lastType, ".wav;.wave");
    EXPECT_EQ(fRecord.rate, 48000);
    EXPECT_EQ(fMidiFiles.size(), 1u);

    // The MIDI type goes to the MIDI export alone.
    fFiles.answer = SExportFileChoice{fs::path(fFolder) / "Beat.mid", ".mid;.midi"};
    ASSERT_EQ(ExportDocument(*fDocument, fExport), EExportResult::kExported);
    EXPECT_EQ(fMidiFiles.back(), fs::path(fFolder) / "Beat.mid");
    EXPECT_EQ(fPrefs.fFileType, ".mid;.midi");
}

TEST_F(ExportCommand, FailuresShowOneAlertTitledWithTheFile)
{
    MakeLoop(8, false);
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[] { throw XDiskFull(); }, "The disk you try to save to is full."},
        {[] { throw XFileLocked(); }, "The file is locked or in use by another application."},
        {[] { throw XCreateFailed(); }, "A new file cannot be created on this disk"},
        {[] { throw XBadFormat(); }, "The reason for this is unknown."},
        {[] { throw 42; }, "The reason for this is unknown."},
    };
    for (const auto& [failure, text] : cases) {
        fFailure = failure;
        fAlerts.messages.clear();
        EXPECT_EQ(ExportDocument(*fDocument, fExport), EExportResult::kFailed);
        ASSERT_EQ(fAlerts.messages.size(), 1u);
        EXPECT_EQ(fAlerts.messages[0].rfind("Couldn't export file \"Beat.wav\"!" + text, 0), 0u) << text;
    }
    fFailure = [] { throw XUserAbortedExport(); };
    fAlerts.messages.clear();
    EXPECT_EQ(ExportDocument(*fDocument, fExport), EExportResult::kCancelled);
    EXPECT_TRUE(fAlerts.messages.empty());
}
