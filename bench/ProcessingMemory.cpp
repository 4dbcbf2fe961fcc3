// Memory of a processing command: Normalize and its Undo on a five-minute
// 24-bit stereo sound. While it runs the old and the new sound are both in
// memory and the undo record keeps the displaced one compressed; the peak
// resident size of the whole process is measured from the kernel's
// high-water mark, reset just before the command. Counters: the peak over
// the raw audio (24-bit PCM as in a WAVE file, 3 bytes a sample) and over
// the sound as stored in memory (4 bytes a sample), and the processing
// speed in frames per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "audiodata/WaveSample.h"
#include "document/SampleProcessing.h"
#include "document/ZubrikDocument.h"

using namespace NSZubrik;

namespace {

constexpr int32_t kRate = 44100;
constexpr int32_t kFrames = 300 * kRate;
constexpr double kRawBytes = double(kFrames) * 2 * 3;
// The store keeps 24-bit samples in 32-bit words.
constexpr double kStoredBytes = double(kFrames) * 2 * 4;

// A field of /proc/self/status in bytes (the kernel reports kB).
double StatusBytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::stod(line.substr(field.size() + 1)) * 1024.0;
    return 0.0;
}

// Lowers the high-water mark to the present resident size.
void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Decaying noise hits every quarter second at three quarters of full scale,
// so that Normalize has work to do on every sample.
std::unique_ptr<CABCWaveSample> LongSound()
{
    auto wave = CreateWaveSample(kRate, kFrames, true, 24);
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> noise(-6000000, 6000000);
    std::vector<int32_t> block(4096);
    for (int32_t start = 0; start < kFrames; start += 4096) {
        const int32_t count = std::min(4096, kFrames - start);
        for (int32_t channel = 1; channel <= 2; ++channel) {
            for (int32_t i = 0; i < count; ++i) {
                const int32_t sinceHit = (start + i) % (kRate / 4);
                block[size_t(i)] = sinceHit < 4000 ? noise(random) * (4000 - sinceHit) / 4000 : 0;
            }
            wave->SetInt24s(start, count, block.data(), channel);
        }
    }
    wave->SetLoop(CABCWaveSample::kLoopModeSet, 0, kFrames);
    wave->BuildPreview();
    return wave;
}

void NormalizeAndUndo(benchmark::State& state)
{
    CDefaultDocumentPreferences preferences;
    CDocumentServices services;
    services.preferences = &preferences;
    std::unique_ptr<CZubrikDocument> document = CZubrikDocument::CreateFromWaveSample(LongSound(), services);
    double before = 0.0;
    double peak = 0.0;
    for (auto _ : state) {
        before = StatusBytes("VmRSS");
        ResetPeak();
        CSampleProcessor processor(*document);
        if (!processor.Normalize(ENormalizeScope::kWholeFile))
            state.SkipWithError("Normalize did nothing");
        state.counters["after_normalize_MB"] = StatusBytes("VmHWM") / 1e6;
        document->Undo();
        peak = std::max(peak, StatusBytes("VmHWM"));
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kFrames);
    state.counters["raw_MB"] = kRawBytes / 1e6;
    state.counters["before_MB"] = before / 1e6;
    state.counters["peak_MB"] = peak / 1e6;
    state.counters["peak_over_raw"] = peak / kRawBytes;
    state.counters["peak_over_stored"] = peak / kStoredBytes;
}

} // namespace

BENCHMARK(NormalizeAndUndo)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3)
    ->ReportAggregatesOnly(true);
