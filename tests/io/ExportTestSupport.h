// Fixtures for the export tests: a synthetic drum loop with locked slices
// ready for an exporter, the bytes of a written file, and running the outside
// tools (fluidsynth, Debian's python3 with mido) that check our files.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/DocumentTestSupport.h"
#include "engine/Sequencer.h"

namespace NSExportTest {

using namespace NSZubrik;
using TBytes = std::vector<uint8_t>;

inline TBytes operator+(TBytes a, const TBytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// `bars` bars of 4/4 at 44100 Hz, two seconds a bar (120 BPM in preview),
// with `hits` evenly spaced bursts and a locked slice on each.
struct CLoop {
    std::unique_ptr<CABCWaveSample> wave;
    std::unique_ptr<CSliceSequence> slices;
    std::unique_ptr<CZubrikSequencer> sequencer;

    CLoop(int32_t bars, int32_t hits, bool stereo) : wave(NSDocumentTest::DrumLoop(88200 * bars, hits, stereo))
    {
        slices = std::make_unique<CSliceSequence>(*wave);
        for (int32_t i = 0; i < hits; ++i)
            slices->InsertSlice(CSlice(i * (wave->GetFrameCount() / hits), 16384, CSlice::kLocked));
        slices->UpdateLengths();
        sequencer = std::make_unique<CZubrikSequencer>(*wave, slices.get());
        sequencer->SetBars(bars);
        sequencer->SetPreviewOn(true);
        sequencer->SetPreviewTempo(120000);
        sequencer->RebuildSegments();
    }
};

inline TBytes FileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs a shell command and returns its exit status; its standard output
// goes to `output`, its error output to `errors`.
inline int Run(const std::string& command, std::string& errors, std::string* output = nullptr)
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
    const TBytes text = FileBytes(errorFile);
    errors.assign(text.begin(), text.end());
    return status;
}

inline constexpr const char* kFluidSynth = "/usr/bin/fluidsynth";
inline constexpr const char* kSystemPython = "/usr/bin/python3";

} // namespace NSExportTest
