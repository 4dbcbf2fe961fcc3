#include "SamplerExportFixture.h"

#include <algorithm>

#include "io/Preferences.h"

using namespace NSSamplerExportTest;
namespace fs = std::filesystem;

namespace {

void Store(const fs::path& file, const std::vector<uint8_t>& bytes)
{
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// The offset of the first data byte of a chunk.
size_t ChunkData(const std::vector<uint8_t>& bytes, const char* id)
{
    const auto at = std::search(bytes.begin(), bytes.end(), id, id + 4);
    EXPECT_NE(at, bytes.end()) << id;
    return size_t(at - bytes.begin()) + 8;
}

class PreferencesFile : public ::testing::Test {
protected:
    void SetUp() override { fPreferences.SetFileLocation(fFile); }

    // Writes the file with some values away from the standard ones.
    void WriteChanged()
    {
        CZubrikPreferences changed;
        changed.SetFileLocation(fFile);
        changed.SetDisplayStyle(1);
        changed.SetNoRingOut(true);
        changed.SetExportSampleRate(48000);
        changed.SetExportBitDepth(24);
        changed.SetExportMidiFile(true);
        changed.SetExportFileType(".akp");
        changed.SetNoticeCounter(ENotice::kStereoExport, 3);
        changed.SetAudioSettings({1, 2, 3, 250});
        CRecentlyUsedDocuments recent;
        recent.Add("/loops/a.zx2", u"a.zx2");
        recent.Add("/loops/b.zx2", u"b\u00e9.zx2");
        changed.Write(recent);
        fWritten = changed.GetValues();
    }
    // Reads the file into fresh preferences; answers whether it was read.
    bool ReadBack()
    {
        fPreferences.SetValues(SPreferenceValues());
        fRecent = CRecentlyUsedDocuments();
        return fPreferences.Read(fRecent);
    }
    void ExpectStandardAfterAlert(const std::string& message)
    {
        EXPECT_FALSE(ReadBack());
        EXPECT_EQ(fPreferences.GetValues(), SPreferenceValues());
        EXPECT_TRUE(fRecent.GetEntries().empty());
        ASSERT_EQ(fAlerts.presenter.messages.size(), 1u);
        EXPECT_EQ(fAlerts.presenter.messages[0], "Couldn't read Preferences file!" + message);
        fAlerts.presenter.messages.clear();
    }

    CAlerts fAlerts;
    fs::path fFile = fs::path(NSTestSupport::TemporaryFolder()) / "Zubrik Preferences File.prf";
    CZubrikPreferences fPreferences;
    CRecentlyUsedDocuments fRecent;
    SPreferenceValues fWritten;
};

} // namespace

TEST_F(PreferencesFile, RoundTripAndLayout)
{
    WriteChanged();
    EXPECT_TRUE(fAlerts.presenter.messages.empty());
    ASSERT_TRUE(ReadBack());
    EXPECT_TRUE(fAlerts.presenter.messages.empty());
    EXPECT_EQ(fPreferences.GetValues(), fWritten);
    ASSERT_EQ(fRecent.GetEntries().size(), 2u);
    EXPECT_EQ(fRecent.GetEntries()[0].fFile, "/loops/b.zx2");
    EXPECT_EQ(fRecent.GetEntries()[0].fName, u"b_.zx2");  // not 8-bit text
    EXPECT_EQ(fRecent.GetEntries()[1].fFile, "/loops/a.zx2");

    const std::vector<uint8_t> bytes = ReadAll(fFile);
    ASSERT_GT(bytes.size(), 12u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "FORM");
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "PREF");
    const size_t head = ChunkData(bytes, "HEAD");
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + long(head), bytes.begin() + long(head) + 9),
              (std::vector<uint8_t>{0x76, 0x0B, 0x1E, 0xED, 0xBC, 2, 0, 0, 0}));
    EXPECT_EQ(bytes[ChunkData(bytes, "GNRL")], 33);  // "3D"
    const size_t colors = ChunkData(bytes, "PCOL");
    EXPECT_EQ(bytes[colors] * 256 + bytes[colors + 1], 16);
}

TEST_F(PreferencesFile, MissingFileOtherVersionAndCorruptValues)
{
    // No file: standard settings and no alert.
    EXPECT_FALSE(ReadBack());
    EXPECT_TRUE(fAlerts.presenter.messages.empty());

    WriteChanged();
    const std::vector<uint8_t> good = ReadAll(fFile);

    std::vector<uint8_t> bytes = good;
    bytes[ChunkData(good, "HEAD") + 5] = 1;  // version 1.0.0
    Store(fFile, bytes);
    ExpectStandardAfterAlert("The file was created by a different version of Zubrik. Reverting to standard settings.");

    // The export sample rate sits after the flags, counters and the type
    // text ".akp": 1 + 1 + 3 + 1 + 11 + 16 + 4 + 4 bytes in.
    bytes = good;
    const size_t rate = ChunkData(good, "GNRL") + 41;
    ASSERT_EQ(bytes[rate + 2] * 256 + bytes[rate + 3], 48000);
    bytes[rate + 2] = 0x1F;  // 8000 Hz
    bytes[rate + 3] = 0x40;
    Store(fFile, bytes);
    ExpectStandardAfterAlert("The file is corrupt. Reverting to standard settings.");

    bytes = good;
    bytes.resize(bytes.size() - 7);  // cut off in the middle
    Store(fFile, bytes);
    ExpectStandardAfterAlert("The file is corrupt. Reverting to standard settings.");
}

TEST_F(PreferencesFile, WriteFailureShowsAnAlert)
{
    fPreferences.SetFileLocation(fFile.parent_path() / "missing" / "prefs.prf");
    fPreferences.Write(fRecent);
    ASSERT_EQ(fAlerts.presenter.messages.size(), 1u);
    EXPECT_EQ(fAlerts.presenter.messages[0].rfind("Couldn't write Preferences file!", 0), 0u);
    EXPECT_FALSE(fs::exists(fFile.parent_path() / "missing"));
}
