// Slice detection on the bundled demo loop and on a five-minute sound made
// of it: the analysis pass, a gate change and a sensitivity change.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/SliceDetection.h"

using namespace NSZubrik;

namespace {

uint32_t LittleEndian(const unsigned char* p, int bytes)
{
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

// The interleaved 16-bit frames of a plain stereo 16-bit WAVE file.
std::vector<int16_t> ReadStereoWave(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        throw std::runtime_error("not a WAVE file: " + path);
    bool stereo16 = false;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint32_t size = LittleEndian(&bytes[at + 4], 4);
        const unsigned char* body = &bytes[at + 8];
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0)
            stereo16 = LittleEndian(body + 2, 2) == 2 && LittleEndian(body + 14, 2) == 16;
        if (std::memcmp(&bytes[at], "data", 4) == 0 && stereo16) {
            std::vector<int16_t> frames(std::min<size_t>(size, bytes.size() - at - 8) / 2);
            for (size_t i = 0; i < frames.size(); ++i)
                frames[i] = static_cast<int16_t>(LittleEndian(body + 2 * i, 2));
            return frames;
        }
        at += 8 + size + (size & 1);
    }
    throw std::runtime_error("no 16-bit stereo data in " + path);
}

// The demo loop repeated to fill the requested number of frames.
std::unique_ptr<CABCWaveSample> DemoSample(int32_t frames)
{
    static const std::vector<int16_t> loop = ReadStereoWave(std::string(ZUBRIK_SOURCE_DIR) + "/examples/demo-loop.wav");
    const auto loopFrames = static_cast<int32_t>(loop.size() / 2);
    if (frames <= 0)
        frames = loopFrames;
    auto sample = CreateWaveSample(44100, frames, true, 16);
    for (int32_t at = 0; at < frames; at += loopFrames)
        sample->SetInt16Stereo(at, std::min(loopFrames, frames - at), loop.data());
    sample->BuildPreview();
    return sample;
}

constexpr int32_t kFiveMinutes = 5 * 60 * 44100;

void Analyze(benchmark::State& state, int32_t frames)
{
    const auto sample = DemoSample(frames);
    int32_t slices = 0;
    for (auto _ : state) {
        CSliceSequence sequence(*sample);
        sequence.Analyze();
        slices = sequence.GetCount();
    }
    state.SetItemsProcessed(state.iterations() * sample->GetFrameCount());
    state.counters["slices"] = slices;
}

void BM_AnalyzeDemoLoop(benchmark::State& state)
{
    Analyze(state, 0);
}
BENCHMARK(BM_AnalyzeDemoLoop)->Unit(benchmark::kMillisecond);

void BM_AnalyzeFiveMinutes(benchmark::State& state)
{
    Analyze(state, kFiveMinutes);
}
BENCHMARK(BM_AnalyzeFiveMinutes)->Unit(benchmark::kMillisecond);

// Settings changes on an analysed five-minute sound with most slices shown.
void SettingChange(benchmark::State& state, bool gate)
{
    const auto sample = DemoSample(kFiveMinutes);
    CSliceSequence sequence(*sample);
    sequence.Analyze();
    sequence.SetSensitivity(80);
    sequence.SetGateSensitivity(500);
    int32_t flip = 0;
    for (auto _ : state) {
        flip ^= 1;
        if (gate)
            sequence.SetGateSensitivity(flip != 0 ? 400 : 600);
        else
            sequence.SetSensitivity(flip != 0 ? 70 : 90);
        benchmark::DoNotOptimize(sequence.GetSlice(0).GetLength());
    }
    state.SetItemsProcessed(state.iterations() * sequence.GetCount());
    state.counters["slices"] = sequence.GetCount();
}

void BM_GateChangeFiveMinutes(benchmark::State& state)
{
    SettingChange(state, true);
}
BENCHMARK(BM_GateChangeFiveMinutes)->Unit(benchmark::kMillisecond);

void BM_SensitivityChangeFiveMinutes(benchmark::State& state)
{
    SettingChange(state, false);
}
BENCHMARK(BM_SensitivityChangeFiveMinutes)->Unit(benchmark::kMillisecond);

} // namespace
