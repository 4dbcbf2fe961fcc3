// Drawing the waveform group of a five-minute stereo sound at 1920x1080.
//
// Repaint: the whole group painted with the wave's cached image in place
// (what a slice move or a play-cursor step costs), against the same repaint
// with the wave image drawn afresh each time (what a zoom or resize costs).
// Wave image: the large waveform's image at the whole-sound view of a one-
// and a five-minute sound (from the summary: the same cost, it follows the
// pixels), and at 16 frames per pixel (from the visible samples), against
// reading every sample of the visible range for the same image.
#include <QApplication>
#include <QImage>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <random>

#include "QtBenchmarkMain.h"
#include "audiodata/WaveSample.h"
#include "document/ZubrikDocument.h"
#include "ui/WaveformDisplayGroupView.h"
#include "ui/views/LargeWaveformView.h"
#include "ui/views/WaveformImageRenderer.h"

using namespace NSZubrik;

namespace {

constexpr int32_t kRate = 44100;
constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;

// Decaying noise bursts on every eighth note at 120 BPM, both channels; or,
// without decay, noise at full level, so that every pixel column of an
// outline is filled whatever the scale.
std::unique_ptr<CABCWaveSample> MakeLoop(int32_t seconds, bool decaying = true)
{
    const int32_t frames = seconds * kRate;
    auto wave = CreateWaveSample(kRate, frames, true, 16);
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> noise(-30000, 30000);
    std::vector<int16_t> block(size_t(2 * kRate / 4));
    const int32_t step = kRate / 4;
    for (int32_t start = 0; start < frames; start += step) {
        const int32_t count = std::min(step, frames - start);
        for (int32_t i = 0; i < count; ++i) {
            const double decay = decaying ? std::exp(-i / 2500.0) : 1.0;
            block[size_t(2 * i)] = int16_t(noise(random) * decay);
            block[size_t(2 * i + 1)] = int16_t(noise(random) * decay);
        }
        wave->SetInt16Stereo(start, count, block.data());
    }
    wave->BuildPreview();
    return wave;
}

struct SFiveMinuteGroup {
    SFiveMinuteGroup()
        : fDocument(CZubrikDocument::CreateFromWaveSample(MakeLoop(300))), fGroup(*fDocument),
          fImage(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied)
    {
        fDocument->SetSensitivity(60);
        fGroup.resize(kWidth, kHeight);
        fGroup.show();
        QApplication::processEvents();
    }
    std::unique_ptr<CZubrikDocument> fDocument;
    CWaveformDisplayGroupView fGroup;
    QImage fImage;
};

SFiveMinuteGroup& Group()
{
    static SFiveMinuteGroup group;
    return group;
}

void BM_RepaintGroup(benchmark::State& state)
{
    SFiveMinuteGroup& g = Group();
    const bool redrawWave = state.range(0) != 0;
    g.fGroup.MagnifyToFit();
    for (auto _ : state) {
        if (redrawWave)
            g.fGroup.GetWaveformView().InvalidateCache();
        g.fGroup.render(&g.fImage);
        benchmark::DoNotOptimize(g.fImage.constBits());
    }
}
BENCHMARK(BM_RepaintGroup)->ArgName("redrawWave")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The wave image alone, 1920 columns by 900 rows, both channels, of noise at
// full level: the pixels filled are the same for every sound length and
// scale, what differs is what is read.
void BM_WaveImage(benchmark::State& state)
{
    static const auto oneMinute = MakeLoop(60, false);
    static const auto fiveMinutes = MakeLoop(300, false);
    const CABCWaveSample& wave = state.range(0) == 60 ? *oneMinute : *fiveMinutes;
    const double perColumn = state.range(1) == 0 ? double(wave.GetFrameCount()) / kWidth : double(state.range(1));
    QImage image(kWidth, 900, QImage::Format_ARGB32_Premultiplied);
    CWaveformImageRenderer renderer;
    for (auto _ : state) {
        renderer.Paint(image, wave, {0, perColumn}, false, 1, QColor(0x1d, 0x7f, 0x91));
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_WaveImage)->ArgNames({"seconds", "framesPerPixel"})->Args({60, 0})->Args({300, 0})->Args({300, 64})
    ->Args({300, 16})
    ->Unit(benchmark::kMillisecond);

// Baseline: the spans of the whole five-minute sound read from every sample,
// per channel (without painting them).
void BM_WaveImageFromAllSamples(benchmark::State& state)
{
    const CABCWaveSample& wave = Group().fDocument->GetWaveSample();
    const int32_t frames = wave.GetFrameCount();
    std::vector<int16_t> samples(static_cast<size_t>(frames));
    std::vector<std::pair<int16_t, int16_t>> spans(kWidth);
    for (auto _ : state) {
        for (const int32_t channel : {1, 2}) {
            wave.GetInt16s(0, frames, samples.data(), channel);
            for (int32_t c = 0; c < kWidth; ++c) {
                const int64_t first = int64_t(c) * frames / kWidth;
                const int64_t last = int64_t(c + 1) * frames / kWidth;
                const auto [low, high] = std::minmax_element(samples.begin() + first, samples.begin() + last);
                spans[size_t(c)] = {*low, *high};
            }
        }
        benchmark::DoNotOptimize(spans.data());
    }
}
BENCHMARK(BM_WaveImageFromAllSamples)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunQtBenchmarks(argc, argv);
}
