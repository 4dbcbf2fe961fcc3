// Export speed: a five-minute stereo loop at 44.1 kHz with 200 slices,
// exported as one WAVE file per slice and as a SoundFont bank (the first 92
// slices, the format's limit). The baselines render the same pieces without
// writing them, so the difference is the cost of the files. x_realtime is
// the exported audio in seconds per second of wall time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <random>
#include <unistd.h>
#include <vector>

#include "app/Alert.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/Exporter.h"
#include "document/LengthyOperation.h"
#include "engine/Sequencer.h"
#include "io/PureSoundFileFormat.h"
#include "io/SoundFontFileFormat.h"

using namespace NSZubrik;

namespace {

constexpr int32_t kRate = 44100;
constexpr int32_t kSlices = 200;
constexpr int32_t kLoopFrames = 300 * kRate;
constexpr int32_t kSliceFrames = kLoopFrames / kSlices;
constexpr int32_t kBars = 150;  // 600 beats of 4/4 in five minutes: 120 BPM

// Decaying noise hits, one per slice, slightly different per channel.
struct CLongLoop {
    std::unique_ptr<CABCWaveSample> fWave = CreateWaveSample(kRate, kLoopFrames, true, 16);
    std::unique_ptr<CSliceSequence> fSlices;
    std::unique_ptr<CZubrikSequencer> fSequencer;

    CLongLoop()
    {
        std::mt19937 random(20261206);
        std::uniform_real_distribution<float> white(-1.0f, 1.0f);
        std::vector<float> left(kLoopFrames), right(kLoopFrames);
        for (int32_t i = 0; i < kLoopFrames; ++i) {
            const float decay = std::exp(-(i % kSliceFrames) / 3000.0f);
            left[size_t(i)] = 0.8f * decay * white(random);
            right[size_t(i)] = 0.6f * decay * white(random);
        }
        fWave->SetFloats(0, kLoopFrames, left.data(), 1);
        fWave->SetFloats(0, kLoopFrames, right.data(), 2);
        fWave->SetLoop(CABCWaveSample::kLoopModeSet, 0, kLoopFrames);
        fSlices = std::make_unique<CSliceSequence>(*fWave);
        for (int32_t i = 0; i < kSlices; ++i)
            fSlices->InsertSlice(CSlice(i * kSliceFrames, 20000, CSlice::kLocked));
        fSlices->UpdateLengths();
        fSequencer = std::make_unique<CZubrikSequencer>(*fWave, fSlices.get());
        fSequencer->SetBars(kBars);
        fSequencer->SetPreviewOn(true);
        fSequencer->SetPreviewTempo(120000);
        fSequencer->RebuildSegments();
    }
};

struct CNoProgress : ILengthyProgress {
    void SetText(const std::u16string&) override {}
    void SetCount(int32_t) override {}
    void SetPercent(int32_t) override {}
    bool StopRequested() const override { return false; }
};

// Files from the previous round exist: "Replace All" once per export.
struct CReplaceAll : IAlertPresenter {
    size_t Show(NSTextPackage::EAlertKind, const std::string&, const std::string&,
                const std::vector<std::string>&) override
    {
        return 1;
    }
};

const CLongLoop& Loop()
{
    static const CLongLoop loop;
    return loop;
}

void Report(benchmark::State& state)
{
    state.SetItemsProcessed(int64_t(state.iterations()) * kLoopFrames);
    state.counters["x_realtime"] = benchmark::Counter(double(state.iterations()) * kLoopFrames / kRate,
                                                      benchmark::Counter::kIsRate);
}

void RenderSlicesOnly(benchmark::State& state)
{
    CExporter exporter(u"Long", *Loop().fSequencer, true, false);
    if (exporter.GetSliceCount() != kSlices)
        state.SkipWithError("unexpected slice count");
    for (auto _ : state)
        for (int32_t i = 0; i < exporter.GetSliceCount(); ++i)
            benchmark::DoNotOptimize(exporter.RenderPiece(i));
    Report(state);
}

void ExportWaveSlices(benchmark::State& state)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("zubrik-bench-export-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    CReplaceAll replaceAll;
    IAlertPresenter* previous = SetAlertPresenter(&replaceAll);
    CExporter exporter(u"Long", *Loop().fSequencer, true, false);
    CWAVFileFormat format;
    format.SetRememberedSettings(int32_t(state.range(0)), 16, false);
    exporter.SetSampleRate(format.GetSampleRate());
    CNoProgress progress;
    for (auto _ : state)
        format.Export(exporter, folder / "Long.wav", progress);
    SetAlertPresenter(previous);
    std::filesystem::remove_all(folder);
    Report(state);
}

// Frames per channel of the pieces the bank holds.
int64_t ExportedFrames(const CExporter& exporter)
{
    int64_t frames = 0;
    const int32_t count = std::min(exporter.GetSliceCount(), CSoundFontFileFormat::kMaxSlices);
    for (int32_t k = 0; k < count; ++k)
        frames += exporter.GetSlicePosition(k).fLength;
    return frames;
}

void SetCounters(benchmark::State& state, int64_t frames)
{
    const double total = double(frames) * double(state.iterations());
    state.counters["frames/s"] = benchmark::Counter(total, benchmark::Counter::kIsRate);
    state.counters["x_realtime"] = benchmark::Counter(total / kRate, benchmark::Counter::kIsRate);
}

void RenderBankPiecesOnly(benchmark::State& state)
{
    CExporter exporter(u"Long", *Loop().fSequencer, true, false);
    exporter.SetSampleRate(kRate);
    const int32_t count = std::min(exporter.GetSliceCount(), CSoundFontFileFormat::kMaxSlices);
    for (auto _ : state)
        for (int32_t k = 0; k < count; ++k)
            benchmark::DoNotOptimize(exporter.RenderPiece(k));
    SetCounters(state, ExportedFrames(exporter));
}

void ExportSoundFontBank(benchmark::State& state)
{
    CExporter exporter(u"Long", *Loop().fSequencer, true, false);
    CSoundFontFileFormat format;
    format.SetRememberedSettings(kRate, 16, false);
    exporter.SetSampleRate(format.GetSampleRate());
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("zubrik-bench-sf2-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    CNoProgress progress;
    for (auto _ : state)
        format.Export(exporter, folder / "Long.sf2", progress);
    state.counters["bytes"] = double(std::filesystem::file_size(folder / "Long.sf2"));
    std::filesystem::remove_all(folder);
    SetCounters(state, ExportedFrames(exporter));
}

} // namespace

BENCHMARK(RenderSlicesOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2)->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(ExportWaveSlices)->Arg(44100)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2)->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(RenderBankPiecesOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(ExportSoundFontBank)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)
    ->ReportAggregatesOnly(true);
