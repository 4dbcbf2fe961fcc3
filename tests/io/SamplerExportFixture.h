// Fixtures for the export tests: a sliced drum loop, a progress sink, an alert
// recorder, readers for what the exports write, and running outside tools.
#pragma once

#include <sndfile.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Alert.h"
#include "app/ZubrikErrors.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/DocumentTestSupport.h"
#include "document/Exporter.h"
#include "document/LengthyOperation.h"
#include "engine/Sequencer.h"
#include "platform/DiskKitUtils.h"
#include "support/TestSupport.h"
#include "tambor/FourCharCode.h"

namespace NSSamplerExportTest {

using namespace NSZubrik;
using TBytes = std::vector<uint8_t>;

inline TBytes operator+(TBytes a, const TBytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// `count` locked slices spread evenly over `bars` bars of 4/4, previewed at
// 120 BPM.
struct CSlicedLoop {
    std::unique_ptr<CABCWaveSample> wave;
    std::unique_ptr<CSliceSequence> slices;
    std::unique_ptr<CZubrikSequencer> sequencer;

    CSlicedLoop(int32_t count, bool stereo, int32_t framesPerSlice = 4410, int32_t bars = 1)
        : wave(NSDocumentTest::DrumLoop(count * framesPerSlice, count, stereo))
    {
        slices = std::make_unique<CSliceSequence>(*wave);
        for (int32_t i = 0; i < count; ++i)
            slices->InsertSlice(CSlice(i * framesPerSlice, 16384, CSlice::kLocked));
        slices->UpdateLengths();
        sequencer = std::make_unique<CZubrikSequencer>(*wave, slices.get());
        sequencer->SetBars(bars);
        sequencer->SetPreviewOn(true);
        sequencer->SetPreviewTempo(120000);
        sequencer->RebuildSegments();
    }

    std::unique_ptr<CExporter> Exporter(int32_t rate = 44100, bool oneSample = false) const
    {
        auto exporter = std::make_unique<CExporter>(u"Loop", *sequencer, !oneSample, false);
        exporter->SetSampleRate(rate);
        return exporter;
    }
};

struct CProgress : ILengthyProgress {
    std::vector<std::u16string> texts;
    std::vector<int32_t> counts;
    bool stop = false;
    void SetText(const std::u16string& text) override { texts.push_back(text); }
    void SetCount(int32_t count) override { counts.push_back(count); }
    void SetPercent(int32_t) override {}
    bool StopRequested() const override { return stop; }
};

// Records every alert shown while it lives.
struct CAlerts {
    NSDocumentTest::CRecordingPresenter presenter;
    IAlertPresenter* previous;
    CAlerts() : previous(SetAlertPresenter(&presenter)) {}
    ~CAlerts() { SetAlertPresenter(previous); }
};

inline TBytes ReadAll(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs a shell command and returns its exit status; its standard output
// goes to `output`, its error output to `errors`.
inline int RunCommand(const std::string& command, std::string& errors, std::string* output = nullptr)
{
    const std::filesystem::path errorFile = std::filesystem::path(NSTestSupport::TemporaryFolder()) / "stderr";
    FILE* pipe = popen((command + " 2>'" + errorFile.string() + "'").c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof(buffer), pipe)) > 0;)
        if (output)
            output->append(buffer, n);
    const int status = pclose(pipe);
    const TBytes text = ReadAll(errorFile);
    errors.assign(text.begin(), text.end());
    return status;
}

// The file's type code, where the file system keeps one.
inline void ExpectTypeCode(const std::filesystem::path& file, const std::string& expected)
{
    NSDiskKit::TFourCC type = 0, creator = 0;
    NSDiskKitUtils::Check(NSDiskKitUtils::GetDiskKit().GetTypeAndCreator(file, type, creator));
    if (type != 0) {
        EXPECT_EQ(NSTambor::CFourCharCode::FromValue(type).ToString(), expected) << file;
        EXPECT_EQ(creator, NSDiskKitUtils::kCreatorCode);
    }
}

struct SSoundInfo {
    int channels = 0;
    int rate = 0;
    int64_t frames = 0;
    int format = 0;
    int subtype = 0;
    int rootKey = -1;
    int loops = 0;
};

// What libsndfile reads from a sound file.
inline SSoundInfo ReadSound(const std::filesystem::path& file)
{
    SF_INFO info{};
    SNDFILE* sound = sf_open(file.c_str(), SFM_READ, &info);
    EXPECT_NE(sound, nullptr) << file;
    SSoundInfo result;
    if (sound == nullptr)
        return result;
    result.channels = info.channels;
    result.rate = info.samplerate;
    result.frames = info.frames;
    result.format = info.format;
    result.subtype = info.format & SF_FORMAT_SUBMASK;
    SF_INSTRUMENT instrument{};
    if (sf_command(sound, SFC_GET_INSTRUMENT, &instrument, sizeof instrument) == SF_TRUE) {
        result.rootKey = instrument.basenote;
        result.loops = instrument.loop_count;
    }
    sf_close(sound);
    return result;
}

inline uint32_t LE32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
inline uint16_t LE16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }
inline uint32_t BE32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | uint32_t(b[at + 3]);
}
inline uint16_t BE16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] << 8 | b[at + 1]); }
inline std::string Text(const std::vector<uint8_t>& b, size_t at, size_t size)
{
    std::string text(b.begin() + std::ptrdiff_t(at), b.begin() + std::ptrdiff_t(at + size));
    return text.substr(0, text.find('\0'));
}

// One chunk of a chunk file: identifier, data offset and length.
struct SChunk {
    std::string id;
    size_t data;
    uint32_t size;
};

// The chunks laid out one after another in bytes [from, to), sizes read
// little- or big-endian, odd chunks padded when asked.
inline std::vector<SChunk> Chunks(const std::vector<uint8_t>& b, size_t from, size_t to, bool littleEndian,
                                  bool padded)
{
    std::vector<SChunk> chunks;
    while (from + 8 <= to) {
        const uint32_t size = littleEndian ? LE32(b, from + 4) : BE32(b, from + 4);
        chunks.push_back({Text(b, from, 4), from + 8, size});
        from += 8 + size + (padded ? size % 2 : 0);
    }
    EXPECT_EQ(from, to) << "chunks do not fill their container";
    return chunks;
}

} // namespace NSSamplerExportTest
