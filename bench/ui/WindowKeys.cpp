// A Sensitivity key in the document window of a five-minute stereo sound at
// 1920x1080, from the key event to the repainted window: the document
// command, its notification and the redrawing of every view it touched.
// The baseline is the same repaint without the key.
#include <QApplication>
#include <QKeyEvent>
#include <benchmark/benchmark.h>
#include <cstdlib>

#include "QtBenchmarkMain.h"
#include "audiodata/WaveSample.h"
#include "document/ZubrikDocument.h"
#include "io/SoundFileReader.h"
#include "ui/WaveformDisplayGroupView.h"
#include "ui/ZubrikApplication.h"
#include "ui/ZubrikWindow.h"

namespace {

using namespace NSZubrik;

constexpr int32_t kFiveMinutes = 44100 * 300;

// The demo loop repeated to five minutes.
std::unique_ptr<CABCWaveSample> FiveMinuteSound()
{
    const std::unique_ptr<CABCWaveSample> loop = LoadSoundFile(ZUBRIK_SOURCE_DIR "/examples/demo-loop.wav");
    auto sound = std::make_unique<C16BitWaveSample>(44100, kFiveMinutes, true);
    std::vector<int16_t> frames(size_t(loop->GetFrameCount()));
    for (int32_t channel = 1; channel <= 2; ++channel) {
        loop->GetInt16s(0, loop->GetFrameCount(), frames.data(), channel);
        for (int32_t start = 0; start < kFiveMinutes; start += loop->GetFrameCount())
            sound->SetInt16s(start, std::min(loop->GetFrameCount(), kFiveMinutes - start), frames.data(), channel);
    }
    sound->SetLoop(CABCWaveSample::kLoopModeSet, 0, kFiveMinutes);
    sound->BuildPreview();
    return sound;
}

struct SWindowFixture {
    SWindowFixture()
    {
        SApplicationOptions options;
        options.fUsePreferencesFile = false;
        options.fOpenHelp = false;
        options.fConsoleAlerts = true;
        application = std::make_unique<CZubrikApplication>(options);
        application->OpenWindow(CZubrikDocument::CreateFromWaveSample(FiveMinuteSound()), true);
        window = application->GetFrontWindow();
        // The baseline draws as many slices as the key's steps show.
        window->GetDocument().SetSensitivity(55);
        window->resize(1920, 1080);
        window->show();
        QApplication::processEvents();
    }
    std::unique_ptr<CZubrikApplication> application;
    CZubrikWindow* window = nullptr;
};

SWindowFixture& Fixture()
{
    static SWindowFixture fixture;
    return fixture;
}

void DrawPending()
{
    QApplication::sendPostedEvents();
    QApplication::processEvents();
}

void BM_RepaintOnly(benchmark::State& state)
{
    CZubrikWindow& window = *Fixture().window;
    for (auto _ : state) {
        window.GetView().update();
        DrawPending();
    }
}
BENCHMARK(BM_RepaintOnly)->Unit(benchmark::kMillisecond);

void BM_SensitivityKey(benchmark::State& state)
{
    CZubrikWindow& window = *Fixture().window;
    bool high = false;
    for (auto _ : state) {
        high = !high;
        QKeyEvent key(QEvent::KeyPress, high ? Qt::Key_6 : Qt::Key_5, Qt::NoModifier, high ? "6" : "5");
        QApplication::sendEvent(&window, &key);
        DrawPending();
    }
    state.counters["shown slices"] = double(window.GetDocument().CountShownSlices());
}
BENCHMARK(BM_SensitivityKey)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunQtBenchmarks(argc, argv, [] { Fixture().application.reset(); });
}
