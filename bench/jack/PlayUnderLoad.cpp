// A measured run through a JACK server (see bench/jack-xrun-run.sh): the
// demo loop plays in tempo mode with envelope, transient shaper and
// equalizer on through PortAudio's JACK host API while another thread
// changes the sequencer's settings as fast as it can (a change every
// 0.2 ms, a new segment list every 50 changes). Counts the server's xruns
// (a JACK client's xrun callback) and the buffers PortAudio flagged late.
//   play-under-load play|calm|idle SECONDS
// "calm" plays without the second thread; "idle" opens the device and plays
// nothing: the baselines of the machine.
#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>

#include "audiodata/WaveSample.h"
#include "document/ZubrikDocument.h"
#include "engine/AudioCardManager.h"
#include "io/SoundFileReader.h"

using namespace NSZubrik;

namespace {

std::atomic<int> gXruns{0};

int CountXrun(void*)
{
    gXruns.fetch_add(1);
    return 0;
}

void Hammer(CZubrikSequencer& sequencer, std::atomic<bool>& running, std::atomic<long>& changes)
{
    std::mt19937 random(5);
    while (running) {
        switch (random() % 5) {
        case 0: sequencer.SetPreviewTempo(int32_t(60000 + random() % 200000)); break;
        case 1: sequencer.SetEqualizerLowGain(int16_t(random() % 12000)); break;
        case 2: sequencer.SetShaperRatio(int16_t(random() % 100)); break;
        case 3: sequencer.SetEnvelopeDecay(int16_t(random() % 1024)); break;
        default: sequencer.SetEqualizerHighFrequency(int16_t(2000 + random() % 8000)); break;
        }
        if (++changes % 50 == 0)
            sequencer.RebuildSegments();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "play";
    const bool play = mode != "idle";
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 60;
    jack_client_t* watcher = jack_client_open("zubrik-xrun-watch", JackNoStartServer, nullptr);
    if (watcher == nullptr) {
        std::fprintf(stderr, "play-under-load: no JACK server (set JACK_DEFAULT_SERVER)\n");
        return 2;
    }
    jack_set_xrun_callback(watcher, CountXrun, nullptr);
    jack_activate(watcher);

    CAudioCardManager& manager = CAudioCardManager::GetAudioCardManager();
    for (const auto& driver : manager.GetDrivers())
        if (driver->GetName().rfind("JACK", 0) == 0)
            manager.SelectDriver(driver);
    if (!manager.IsRunning()) {
        std::fprintf(stderr, "play-under-load: PortAudio has no JACK device\n");
        return 2;
    }
    const std::string path = std::string(ZUBRIK_SOURCE_DIR) + "/examples/demo-loop.wav";
    std::unique_ptr<CZubrikDocument> document = CZubrikDocument::CreateFromSoundFile(LoadSoundFile(path), path);
    document->SetBars(2);
    document->TogglePreviewPlay();
    document->ToggleEnvelope();
    document->ToggleTransientShaper();
    document->ToggleEqualizer();
    CZubrikSequencer& sequencer = document->GetSequencer();
    sequencer.SetOutputSampleRate(manager.GetOutputSampleRate());

    std::atomic<bool> running{true};
    std::atomic<long> changes{0};
    std::thread hammer;
    if (play) {
        manager.GetWavePlayer().PlaySequencer(sequencer, nullptr);
        document->PlayLoop();
        if (mode == "play")
            hammer = std::thread(Hammer, std::ref(sequencer), std::ref(running), std::ref(changes));
    }
    const int xrunsBefore = gXruns.load();
    const int64_t lateBefore = manager.GetClient().GetUnderrunCount();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        manager.Idle();
        if (play && !sequencer.IsPlaying())
            document->PlayLoop();
    }
    running = false;
    if (hammer.joinable())
        hammer.join();
    manager.GetWavePlayer().Stop();
    std::printf("%s %d s at %d frames: %d xruns (JACK), %lld late buffers (PortAudio), %ld settings changes\n",
                mode.c_str(), seconds, int(jack_get_buffer_size(watcher)), gXruns.load() - xrunsBefore,
                static_cast<long long>(manager.GetClient().GetUnderrunCount() - lateBefore), changes.load());
    CAudioCardManager::DestroyAudioCardManager();
    jack_client_close(watcher);
    return 0;
}
