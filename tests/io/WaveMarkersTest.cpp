// Cue points in WAVE files: written by libsndfile and read here, written
// here and read by libsndfile and sox, taken as locked slices when a sound
// opens, and refused whole when the chunk is damaged.
#include "io/WaveMarkers.h"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "audiodata/SliceSequence.h"
#include "document/DocumentTestSupport.h"
#include "document/ZubrikDocument.h"
#include "io/SoundFileReader.h"
#include "platform/SoundFileBytes.h"
#include "support/TestSupport.h"
#include "tambor/Media.h"

using namespace NSZubrik;
using NSSoundFileBytes::TBytes;
namespace fs = std::filesystem;

namespace {

TBytes Wave16(uint32_t frames)
{
    return NSSoundFileBytes::Wave(1, 1, 44100, 16, 2, TBytes(size_t(frames) * 2, 0));
}

TBytes WithChunks(TBytes wave, const TBytes& chunks)
{
    NSTambor::CMemoryMedia media(int32_t(wave.size()));
    NSTambor::WriteBytes(media, int32_t(wave.size()), wave.data());
    NSWaveMarkers::AppendChunks(media, chunks);
    return TBytes(media.GetBuffer(), media.GetBuffer() + media.GetSize());
}

NSWaveMarkers::SMarkerList Markers(const TBytes& bytes)
{
    NSTambor::COwnedMemoryMedia media(int32_t(bytes.size()), bytes.data());
    return NSWaveMarkers::ReadMarkers(media);
}

fs::path Put(const fs::path& path, const TBytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                std::streamsize(bytes.size()));
    return path;
}

} // namespace

TEST(WaveMarkers, LibsndfileReadsOursAndWeReadLibsndfiles)
{
    const fs::path folder = NSTestSupport::TemporaryFolder();
    const std::vector<NSWaveMarkers::SMarker> markers = {{0, "Kick"}, {1000, "Snare"}, {2500, ""}};
    const fs::path ours = Put(folder / "ours.wav", WithChunks(Wave16(4000), NSWaveMarkers::MarkerChunks(markers)));
    SF_INFO info {};
    SNDFILE* sound = sf_open(ours.c_str(), SFM_READ, &info);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(info.frames, 4000);
    SF_CUES cues {};
    ASSERT_EQ(sf_command(sound, SFC_GET_CUE, &cues, sizeof cues), SF_TRUE);
    sf_close(sound);
    ASSERT_EQ(cues.cue_count, 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(uint32_t(cues.cue_points[i].sample_offset), markers[i].fPosition);
    if (std::system("command -v sox >/dev/null") == 0) {
        EXPECT_EQ(std::system(("sox --i -s '" + ours.string() + "' | grep -qx 4000").c_str()), 0);
    }

    // libsndfile's own cue chunk.
    const fs::path theirs = folder / "theirs.wav";
    info = {};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    sound = sf_open(theirs.c_str(), SFM_WRITE, &info);
    ASSERT_NE(sound, nullptr);
    SF_CUES written {};
    written.cue_count = 2;
    for (uint32_t i = 0; i < 2; ++i) {
        written.cue_points[i].indx = int32_t(i + 1);
        written.cue_points[i].position = 700 * (i + 1);
        written.cue_points[i].fcc_chunk = 0x61746164;  // "data"
        written.cue_points[i].sample_offset = 700 * (i + 1);
    }
    ASSERT_EQ(sf_command(sound, SFC_SET_CUE, &written, sizeof written), SF_TRUE);
    std::vector<short> silence(3000);
    sf_writef_short(sound, silence.data(), 3000);
    sf_close(sound);
    EXPECT_EQ(CSoundFileReader(theirs.string()).GetMarkerPositions(), (std::vector<int32_t> {700, 1400}));
}

TEST(WaveMarkers, OpeningTakesMarkersInsideTheSoundAsLockedSlices)
{
    const fs::path file = Put(fs::path(NSTestSupport::TemporaryFolder()) / "marked.wav",
                              WithChunks(Wave16(9000), NSWaveMarkers::MarkerChunks({{300, "a"}, {4000, "b"}, {9000, "past"}})));
    NSDocumentTest::CRecordingPresenter presenter;
    IAlertPresenter* previous = SetAlertPresenter(&presenter);
    auto document = CZubrikDocument::CreateFromSoundFile(LoadSoundFile(file), file, GetDefaultDocumentServices(),
                                                         ReadSliceMarkers(file));
    SetAlertPresenter(previous);
    std::vector<int32_t> locked;
    for (const CSlice& slice : document->GetSliceSequence())
        if (slice.IsLocked()) locked.push_back(slice.GetPosition());
    EXPECT_EQ(locked, (std::vector<int32_t> {300, 4000}));
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_NE(presenter.messages[0].find("2 slice markers of \"marked.wav\" became locked slices; 1 lay outside"),
              std::string::npos);
}

TEST(WaveMarkers, DamagedOrHugeCueChunksAreLeftOut)
{
    // Thousands of points: the first kMaxMarkers are taken.
    std::vector<NSWaveMarkers::SMarker> many(5000);
    for (size_t i = 0; i < many.size(); ++i) many[i].fPosition = uint32_t(i);
    const NSWaveMarkers::SMarkerList taken = Markers(WithChunks(Wave16(100), NSWaveMarkers::MarkerChunks(many)));
    EXPECT_EQ(taken.fMarkers.size(), NSWaveMarkers::kMaxMarkers);
    EXPECT_EQ(taken.fLeftOut, 5000 - NSWaveMarkers::kMaxMarkers);

    // A count that promises more points than the chunk holds.
    TBytes lying = WithChunks(Wave16(100), NSWaveMarkers::MarkerChunks({{1, "x"}, {2, "y"}}));
    const size_t cue = size_t(std::search(lying.begin(), lying.end(), "cue ", "cue " + 4) - lying.begin());
    lying[cue + 8] = 0xFF;
    lying[cue + 9] = 0xFF;
    const NSWaveMarkers::SMarkerList refused = Markers(lying);
    EXPECT_TRUE(refused.fMarkers.empty());
    EXPECT_EQ(refused.fLeftOut, 0xFFFFu);

    // A cue chunk that runs past the end of the file, labels that run past
    // their list, a file cut inside the chunk header: no markers, no crash.
    TBytes past = WithChunks(Wave16(100), NSWaveMarkers::MarkerChunks({{1, "x"}}));
    past[cue + 4] = 0xF0;
    EXPECT_TRUE(Markers(past).fMarkers.empty());
    TBytes labels = WithChunks(Wave16(100), NSWaveMarkers::MarkerChunks({{5, "label"}}));
    const size_t labl = size_t(std::search(labels.begin(), labels.end(), "labl", "labl" + 4) - labels.begin());
    labels[labl + 4] = 0x7F;
    const NSWaveMarkers::SMarkerList unlabelled = Markers(labels);
    ASSERT_EQ(unlabelled.fMarkers.size(), 1u);
    EXPECT_EQ(unlabelled.fMarkers[0].fLabel, "");
    for (size_t cut = 0; cut < lying.size(); cut += 7)
        EXPECT_NO_THROW(Markers(TBytes(lying.begin(), lying.begin() + std::ptrdiff_t(cut))));
}
