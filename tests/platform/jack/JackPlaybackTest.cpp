// The audio output on a real server: PortAudio's JACK host API on a JACK
// server with the dummy driver (started by scripts/jack-server around the
// run, named by JACK_DEFAULT_SERVER). A JACK client of the test's own
// records what the program sends and compares it with an offline render.
#include "audiodata/WaveSample.h"
#include "document/ZubrikDocument.h"
#include "engine/AudioCardManager.h"
#include "engine/OfflineRenderer.h"
#include "io/SoundFileReader.h"
#include "support/TestSupport.h"

#include <jack/jack.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <vector>

using namespace NSZubrik;

namespace {

constexpr size_t kRecordFrames = 44100 * 3;

// Two input ports whose samples are appended to memory while recording.
class CRecorder {
public:
    CRecorder()
    {
        jack_status_t status{};
        fClient = jack_client_open("zubrik-test-recorder", JackNoStartServer, &status);
        if (fClient == nullptr)
            return;
        for (int c = 0; c < 2; ++c) {
            fPorts[c] = jack_port_register(fClient, c == 0 ? "in_1" : "in_2", JACK_DEFAULT_AUDIO_TYPE,
                                           JackPortIsInput, 0);
            fSamples[c].assign(kRecordFrames, 0.0f);
        }
        jack_set_process_callback(fClient, &Process, this);
        jack_activate(fClient);
    }
    ~CRecorder()
    {
        if (fClient != nullptr)
            jack_client_close(fClient);
    }
    bool IsConnected() const { return fClient != nullptr; }

    // Connects the first two output ports of the other clients but the
    // system's, in order, and nothing else.
    int ConnectProgramOutputs()
    {
        for (jack_port_t* port : fPorts)
            jack_port_disconnect(fClient, port);
        const char** ports = jack_get_ports(fClient, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
        int connected = 0;
        for (int i = 0; ports != nullptr && ports[i] != nullptr; ++i) {
            const std::string name = ports[i];
            if (name.rfind("system:", 0) == 0 || connected >= 2)
                continue;
            if (jack_connect(fClient, ports[i], jack_port_name(fPorts[connected])) == 0)
                ++connected;
        }
        jack_free(ports);
        return connected;
    }
    void SetRecording(bool on) { fRecording.store(on); }
    size_t GetFrames() const { return fFrames.load(); }
    const std::vector<float>& Samples(int channel) const { return fSamples[channel]; }

private:
    static int Process(jack_nframes_t frames, void* self)
    {
        auto* recorder = static_cast<CRecorder*>(self);
        if (!recorder->fRecording.load())
            return 0;
        const size_t at = recorder->fFrames.load();
        const size_t count = std::min<size_t>(frames, kRecordFrames - at);
        for (int c = 0; c < 2; ++c) {
            const auto* in = static_cast<const float*>(jack_port_get_buffer(recorder->fPorts[c], frames));
            std::copy_n(in, count, recorder->fSamples[c].begin() + std::ptrdiff_t(at));
        }
        recorder->fFrames.store(at + count);
        return 0;
    }

    jack_client_t* fClient = nullptr;
    jack_port_t* fPorts[2] = {};
    std::vector<float> fSamples[2];
    std::atomic<bool> fRecording{false};
    std::atomic<size_t> fFrames{0};
};

constexpr size_t kCycle = 256;
constexpr size_t kMaximumSkippedCycles = 8;

bool SameCycle(const CRecorder& recorder, size_t at, const std::vector<float>& left,
               const std::vector<float>& right, size_t renderedAt)
{
    if (renderedAt + kCycle > left.size())
        return false;
    for (size_t i = 0; i < kCycle; ++i)
        for (int c = 0; c < 2; ++c) {
            const float expected = std::clamp((c == 0 ? left : right)[renderedAt + i], -1.0f, 1.0f);
            if (std::fabs(recorder.Samples(c)[at + i] - expected) > 1e-6f)
                return false;
        }
    return true;
}

size_t FirstSound(const std::vector<float>& samples, size_t end)
{
    for (size_t i = 0; i < end; ++i)
        if (std::fabs(samples[i]) > 1e-4f)
            return i;
    return end;
}

std::string ServerName()
{
    const char* name = std::getenv("JACK_DEFAULT_SERVER");
    return name != nullptr ? name : "default";
}

class JackPlayback : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fRecorder.IsConnected())
            << "JACK CANNOT START: no JACK server \"" << ServerName()
            << "\" is running. `make test` starts one with scripts/jack-server (jackd -d dummy); see its log "
               "in /tmp/zubrik-jack-" << ServerName() << ".log";
    }
    CRecorder fRecorder;
};

} // namespace

TEST_F(JackPlayback, DemoLoopThroughPortAudioMatchesTheOfflineRender)
{
    CAudioCardManager& manager = CAudioCardManager::GetAudioCardManager();
    std::shared_ptr<NSSoundPortKit::IAudioDriver> jack;
    for (const auto& driver : manager.GetDrivers())
        if (driver->GetName().rfind("JACK", 0) == 0)
            jack = driver;
    ASSERT_TRUE(jack) << "PortAudio lists no JACK device although the server runs";
    manager.SelectDriver(jack);
    ASSERT_TRUE(manager.IsRunning());
    EXPECT_EQ(manager.GetOutputSampleRate(), 44100);
    ASSERT_EQ(fRecorder.ConnectProgramOutputs(), 2);

    const std::string path = NSTestSupport::SourcePath("examples/demo-loop.wav");
    std::unique_ptr<CZubrikDocument> document = CZubrikDocument::CreateFromSoundFile(LoadSoundFile(path), path);
    document->SetBars(2);
    document->TogglePreviewPlay();
    document->SetPreviewTempo(140000);
    ASSERT_TRUE(document->IsTempoMode());

    fRecorder.SetRecording(true);
    manager.GetWavePlayer().PlaySequencer(document->GetSequencer(), nullptr);
    document->PlayLoop();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    manager.GetWavePlayer().Stop();
    fRecorder.SetRecording(false);
    const size_t recorded = fRecorder.GetFrames();
    EXPECT_FALSE(document->GetSequencer().IsPlaying());
    CAudioCardManager::DestroyAudioCardManager();

    // A server without realtime scheduling on a busy machine runs fewer
    // cycles than a second holds; twenty are enough to compare.
    ASSERT_GT(recorded, 20 * kCycle) << "the server ran only " << recorded / kCycle << " cycles in a second";
    std::vector<float> left(kRecordFrames), right(kRecordFrames);
    COfflineRenderer(document->GetSequencer()).RenderLoop(int32_t(kRecordFrames), left.data(), right.data());
    const size_t heard = FirstSound(fRecorder.Samples(0), recorded);
    const size_t rendered = FirstSound(left, kRecordFrames);
    ASSERT_LT(heard, recorded) << "nothing but silence reached JACK";
    // From the server cycle of its first sound on, each cycle JACK got is a
    // 256-frame piece of the offline render (clipped to the device's range),
    // in order. A dummy-driver server on a busy machine may skip a client
    // for a cycle (an xrun), so a piece may be missing, but none may differ.
    const size_t start = heard - heard % kCycle;
    const size_t renderedStart = rendered - rendered % kCycle;
    const size_t cycles = std::min<size_t>(recorded - start, 30000) / kCycle;
    size_t next = 0;
    size_t matched = 0;
    for (size_t k = 0; k < cycles; ++k)
        for (size_t j = next; j < next + kMaximumSkippedCycles; ++j)
            if (SameCycle(fRecorder, start + k * kCycle, left, right, renderedStart + j * kCycle)) {
                ++matched;
                next = j + 1;
                break;
            }
    EXPECT_GE(matched, cycles * 9 / 10) << matched << " of " << cycles << " server cycles carried the render";
}

TEST_F(JackPlayback, CommandLinePlaysForASecondAndEnds)
{
    const std::string command = std::string(ZUBRIK_CLI_PATH) + " play " +
                                NSTestSupport::SourcePath("examples/demo-loop.wav") +
                                " --seconds 1 --bars 2 --tempo 140 --quiet";
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}
