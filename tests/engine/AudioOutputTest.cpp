// The audio output against a sound card in memory: how device buffers of
// any size and channel count are filled from 256-frame pieces, clipping and
// the peak record, wave playback, the player's modes, the start-up driver
// fallback, and the callback's real-time rules under a second thread.
#include "engine/AudioCardManager.h"

#include "AllocationCounter.h"
#include "FakeSoundPort.h"
#include "SequencerFixture.h"
#include "engine/DSPTables.h"
#include "audiodata/ZBXObject.h"
#include "audiodata/ZubrikFile.h"
#include "engine/LoopPreview.h"
#include "tambor/Media.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using namespace NSZubrik;
using namespace NSEngineTest;

namespace {

struct SListener : IWavePlayerListener {
    int fStarted = 0;
    int fStopped = 0;
    void PlayingStarted() override { ++fStarted; }
    void PlayingStopped() override { ++fStopped; }
};

struct SManagerListener : IAudioCardManagerListener {
    int fChanges = 0;
    void AudioCardManagerChanged() override { ++fChanges; }
};

class AudioOutput : public ::testing::Test {
protected:
    AudioOutput() { fRenderer.SetEnabled(true); }
    ~AudioOutput() override { fRenderer.SetEnabled(false); }

    CFakeSoundPort& Port() { return fInstaller.Port(); }
    void SelectFirst() { fManager.SelectDriver(fManager.GetDrivers().front()); }

    SFakeDevice fDevice{{"ALSA: card", "JACK Audio Connection Kit: system"}, "ALSA: card", {}, 44100, 2, {}, {44100, 48000, 96000}, 256};
    CFakeSoundPortInstaller fInstaller{fDevice};
    CWavePlayer fPlayer;
    CAudioRenderer fRenderer{fPlayer};
    CAudioCardManager fManager{fRenderer, fPlayer};
};

// A wave whose frame n holds n × scale on the first channel and its
// negative on the second.
std::unique_ptr<CABCWaveSample> Ramp(int32_t rate, int32_t frames, int16_t scale)
{
    auto wave = CreateWaveSample(rate, frames, true, 16);
    for (int32_t n = 0; n < frames; ++n) {
        wave->SetInt16(n, int16_t(n * scale), 1);
        wave->SetInt16(n, int16_t(-n * scale), 2);
    }
    return wave;
}

float Value(int32_t sixteenBit) { return float(sixteenBit) * (1.0f / 32767.0f); }

// The loop object of a stereo loop file of the test loop, as the open
// dialog builds it for a file it shows.
std::unique_ptr<CZBXObject> LoopObject()
{
    CLoop loop({0, 3000, 9000}, 12000, 0, 12000, true);
    CZubrikFileSource source;
    source.fWaveSample = loop.fWave.get();
    source.fSlices = loop.fSlices.get();
    source.fParameters.fBars = 1;
    NSTambor::CMemoryMedia media(64);
    WriteZubrikFile(source, media, nullptr, false);
    const std::vector<uint8_t> bytes(media.GetBuffer(), media.GetBuffer() + media.GetSize());
    CZubrikFile file([bytes] {
        return std::unique_ptr<NSTambor::CMedia>(
            new NSTambor::COwnedMemoryMedia(static_cast<int32_t>(bytes.size()), bytes.data()));
    });
    return std::make_unique<CZBXObject>(file, file.ReadSample(nullptr));
}

} // namespace

TEST_F(AudioOutput, OddBufferSizesAndFourChannelsReceiveConsecutivePieces)
{
    fDevice.fChannels = 4;
    CAudioCardManager manager(fRenderer, fPlayer); // a card with four outputs
    manager.SelectDriver(manager.GetDrivers().front());
    auto wave = Ramp(44100, 2000, 1);
    fPlayer.PlayWave(*wave, nullptr);
    // 100 frames three times: the third call takes frames 200…255 of the
    // first piece and 0…43 of the second.
    for (int call = 0; call < 3; ++call) {
        fInstaller.Port().Pump(100);
        for (int32_t i = 0; i < 100; ++i) {
            const int32_t frame = call * 100 + i;
            ASSERT_EQ(fInstaller.Port().Channel(0)[size_t(i)], Value(frame)) << frame;
            ASSERT_EQ(fInstaller.Port().Channel(2)[size_t(i)], Value(frame));
            ASSERT_EQ(fInstaller.Port().Channel(1)[size_t(i)], Value(-frame));
            ASSERT_EQ(fInstaller.Port().Channel(3)[size_t(i)], Value(-frame));
        }
    }
}

TEST_F(AudioOutput, HalfRateWaveIsInterpolatedAndEndsInSilenceThenIdleStops)
{
    SelectFirst();
    auto wave = Ramp(22050, 300, 100);
    SListener listener;
    fPlayer.PlayWave(*wave, &listener);
    EXPECT_EQ(listener.fStarted, 1);
    Port().Pump(256);
    // Half a frame per output frame: a + (b − a) × 16384 ÷ 32768.
    for (int32_t j = 0; j < 256; ++j)
        ASSERT_EQ(Port().Channel(0)[size_t(j)], Value(50 * j)) << j;
    Port().Pump(512);
    // Frame 299 is the last: after it the interpolation runs towards 0, and
    // the rest of the piece is silent.
    EXPECT_EQ(Port().Channel(0)[598 - 256], Value(29900));
    EXPECT_EQ(Port().Channel(0)[599 - 256], Value(29900 - 14950));
    EXPECT_EQ(Port().Channel(0)[600 - 256], 0.0f);
    EXPECT_EQ(Port().Channel(0)[511], 0.0f);
    EXPECT_EQ(fPlayer.GetMode(), CWavePlayer::kWaveFinished);
    EXPECT_EQ(listener.fStopped, 0);
    fPlayer.Idle();
    EXPECT_EQ(fPlayer.GetMode(), CWavePlayer::kStopped);
    EXPECT_EQ(listener.fStopped, 1);
}

TEST_F(AudioOutput, LoudSequencerIsClippedAndFlaggedInItsPeakRecord)
{
    SelectFirst();
    CLoop loop({0, 3000, 9000}, 12000, 0, 12000, true);
    CZubrikSequencer& sequencer = *loop.fSequencer;
    sequencer.SetGain(20000);
    SListener listener;
    fPlayer.PlaySequencer(sequencer, &listener);
    sequencer.StartLoop();
    float largest = 0.0f;
    for (int i = 0; i < 20; ++i) {
        Port().Pump(256);
        for (float v : Port().Channel(0))
            largest = std::max(largest, std::fabs(v));
    }
    EXPECT_EQ(largest, 1.0f);
    CPeakRecord& peaks = sequencer.GetMeterData();
    EXPECT_TRUE(peaks.TakeClipped());
    EXPECT_EQ(peaks.TakeLeftPeak(), 1.0f);
    EXPECT_FALSE(peaks.TakeClipped());
    EXPECT_EQ(peaks.TakeLeftPeak(), 0.0f);

    // The same sequencer again only changes the listener.
    SListener other;
    fPlayer.PlaySequencer(sequencer, &other);
    EXPECT_EQ(listener.fStopped, 1);
    EXPECT_EQ(other.fStarted, 1);
    EXPECT_EQ(fPlayer.GetMode(), CWavePlayer::kPlayingSequencer);

    // Stop with the device running: the sequencer stops on the audio thread.
    std::atomic<bool> pumping{true};
    std::thread audio([&] {
        while (pumping) {
            Port().Pump(256);
            std::this_thread::sleep_for(std::chrono::microseconds(150));
        }
    });
    fPlayer.Stop();
    pumping = false;
    audio.join();
    EXPECT_FALSE(sequencer.IsPlaying());
    EXPECT_EQ(fPlayer.GetMode(), CWavePlayer::kStopped);
    EXPECT_EQ(other.fStopped, 1);
}

TEST_F(AudioOutput, SequencerThatEndsByItselfIsStoppedAtIdle)
{
    SelectFirst();
    CLoop loop({0, 3000, 9000}, 12000, 0, 12000);
    SListener listener;
    fPlayer.PlaySequencer(*loop.fSequencer, &listener);
    loop.fSequencer->PlaySegmentAt(3000);
    fPlayer.Idle();
    EXPECT_EQ(fPlayer.GetMode(), CWavePlayer::kPlayingSequencer);
    for (int i = 0; i < 400 && loop.fSequencer->IsPlaying(); ++i)
        Port().Pump(256);
    EXPECT_EQ(listener.fStopped, 0);
    fPlayer.Idle();
    EXPECT_EQ(fPlayer.GetMode(), CWavePlayer::kStopped);
    EXPECT_EQ(listener.fStopped, 1);
}

TEST_F(AudioOutput, LoopPreviewSoundsOnlyWhileActiveAndMixesForOneBuffer)
{
    SelectFirst();
    CLoopPreview preview(LoopObject());
    SListener listener;
    fPlayer.PlayLoopPreview(preview, &listener);
    Port().Pump(256);
    EXPECT_EQ(*std::max_element(Port().Channel(0).begin(), Port().Channel(0).begin() + 256), 0.0f);
    preview.Start();
    Port().Pump(256);
    EXPECT_GT(*std::max_element(Port().Channel(0).begin(), Port().Channel(0).begin() + 256), 0.0f);

    fPlayer.Stop();
    EXPECT_EQ(listener.fStopped, 1);
    EXPECT_FALSE(preview.IsActive());

    // One buffer gets the mean of both channels: two previews of the same
    // loop rendered side by side.
    CLoopPreview stereo(LoopObject());
    CLoopPreview mono(LoopObject());
    stereo.Start();
    mono.Start();
    std::vector<float> left(300), right(300), mixed(300);
    stereo.Render(left.data(), right.data(), 300);
    mono.Render(mixed.data(), nullptr, 300);
    for (size_t i = 0; i < 300; ++i)
        ASSERT_EQ(mixed[i], (left[i] + right[i]) * 0.5f) << i;
    EXPECT_GT(*std::max_element(mixed.begin(), mixed.end()), 0.0f);

}

TEST_F(AudioOutput, NewRateMovesTablesAndReconfiguringSilencesTheCallback)
{
    SManagerListener listener;
    fManager.AddListener(listener);
    fDevice.fSampleRate = 48000;
    const int32_t before = CDSPTablesCache::ReferenceCount(48000);
    SelectFirst();
    EXPECT_EQ(fManager.GetOutputSampleRate(), 48000);
    EXPECT_EQ(CDSPTablesCache::ReferenceCount(48000), before + 1);
    EXPECT_EQ(listener.fChanges, 1);
    EXPECT_FALSE(fManager.IsUnavailable());

    auto wave = Ramp(48000, 4000, 5);
    fPlayer.PlayWave(*wave, nullptr);
    fManager.BeginReconfigure(); // stops the player, too
    fManager.BeginReconfigure();
    EXPECT_TRUE(fManager.IsUnavailable());
    Port().Pump(256);
    EXPECT_EQ(*std::max_element(Port().Channel(0).begin(), Port().Channel(0).begin() + 256), 0.0f);
    fManager.EndReconfigure();
    EXPECT_TRUE(fManager.IsUnavailable());
    fManager.EndReconfigure();
    EXPECT_FALSE(fManager.IsUnavailable());
    EXPECT_EQ(fPlayer.GetMode(), CWavePlayer::kStopped);

    // A chosen rate goes the same way as a new device: the player stops,
    // the tables move and the listeners hear; the buffer size reaches the
    // card.
    fPlayer.PlayWave(*wave, nullptr);
    const int changes = listener.fChanges;
    fManager.SelectDriver(fManager.GetDrivers().front(), 96000, 1024);
    EXPECT_EQ(fPlayer.GetMode(), CWavePlayer::kStopped);
    EXPECT_EQ(fManager.GetOutputSampleRate(), 96000);
    EXPECT_EQ(CDSPTablesCache::ReferenceCount(48000), before);
    EXPECT_EQ(listener.fChanges, changes + 1);
    EXPECT_EQ(fDevice.fBufferFrames, 1024);
    fManager.RemoveListener(listener);
}

TEST_F(AudioOutput, FallbackTriesTheDefaultThenEveryDriverAndSettingsRoundTrip)
{
    fDevice.fNames = {"ALSA: a", "ALSA: b", "ASIO: x", "ALSA: c"};
    fDevice.fDefault = "ALSA: b";
    fDevice.fBroken = {"ALSA: a", "ALSA: b"};
    ASSERT_TRUE(fManager.SelectFallbackDriver());
    EXPECT_EQ(fDevice.fTried, (std::vector<std::string>{"ALSA: b", "ALSA: a", "ALSA: c"}));
    EXPECT_EQ(fManager.GetSelectedDriver()->GetName(), "ALSA: c");

    const std::vector<uint8_t> saved = fManager.SaveSettings();
    std::string missing;
    EXPECT_EQ(fManager.LoadSettings(saved, missing), kNoError);
    fDevice.fNames = {"ALSA: a"};
    EXPECT_EQ(fManager.LoadSettings(saved, missing), kFailedToOpenDriverNotPresent);
    EXPECT_EQ(missing, "ALSA: c");

    fDevice.fNames.clear();
    fDevice.fDefault.clear();
    fManager.GetClient().CloseDriver();
    EXPECT_FALSE(fManager.SelectFallbackDriver());
    EXPECT_TRUE(fManager.IsUnavailable());
}

// The GUI side changes settings, starts and stops, swaps segment lists,
// switches sources and reconfigures while a device thread calls back with
// odd buffer sizes; the callbacks allocate nothing. Run under
// ThreadSanitizer by `make test`.
TEST_F(AudioOutput, CallbackSurvivesTheGuiThreadAndNeverAllocates)
{
    SelectFirst();
    CLoop loop({0, 2000, 5000, 9000, 14000}, 20000, 0, 20000, true);
    CZubrikSequencer& s = *loop.fSequencer;
    s.SetEnvelopeOn(true);
    s.SetShaperOn(true);
    s.SetEqualizerOn(true);
    auto wave = Ramp(22050, 3000, 7);
    std::atomic<bool> running{true};
    gAllocations = 0;
    std::thread audio([&] {
        for (int i = 0; running; ++i) {
            tCountAllocations = true;
            Port().Pump(1 + (i * 131) % 700);
            tCountAllocations = false;
            // A device calls back at intervals; one that never paused would
            // starve the GUI thread's sleeping lock.
            std::this_thread::sleep_for(std::chrono::microseconds(150));
        }
    });
    for (int i = 0; i < 240; ++i) {
        switch (i % 8) {
        case 0: fPlayer.PlaySequencer(s, nullptr); s.StartLoop(); break;
        case 1: s.SetPreviewTempo(60000 + (i * 7919) % 300000); break;
        case 2: s.SetBars(i % 16 == 2 ? 0 : 2); s.RebuildSegments(); break;
        case 3: s.SetEqualizerLowGain(int16_t((i * 37) % 12000)); s.SetShaperRatio(int16_t(i % 100)); break;
        case 4: s.PlaySegmentAt((i * 997) % 20000); break;
        case 5: fManager.BeginReconfigure(); fManager.EndReconfigure(); break;
        case 6: fPlayer.PlayWave(*wave, nullptr); break;
        default: fPlayer.Stop(); s.SetLocators(i % 3000, 20000 - i % 5000); s.RebuildSegments(); break;
        }
        fPlayer.Idle();
        std::this_thread::sleep_for(std::chrono::microseconds(400));
    }
    fPlayer.Stop();
    running = false;
    audio.join();
    EXPECT_EQ(gAllocations.load(), 0);
    EXPECT_FALSE(s.IsPlaying());
}
