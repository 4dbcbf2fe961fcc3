// The connection to the audio-device library: which driver plays, at what
// output rate, and who hears of changes. The manager holds the DSP tables of
// the output rate, so that every sequencer finds them when it switches, and
// gives the library its idle time on the GUI thread.
//
// There is one manager in the process (GetAudioCardManager); tests make
// their own around a renderer and a player, with a fake device installed as
// the library (NSSoundPortGlue::SetKitFactory).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/AudioRenderer.h"
#include "engine/WavePlayer.h"
#include "platform/SoundPortGlue.h"
#include "tambor/Idleable.h"

namespace NSZubrik {

// Told on the GUI thread when the device, its rate or its availability
// changed. Every document is one: it passes the new rate to its sequencer.
class IAudioCardManagerListener {
public:
    virtual ~IAudioCardManagerListener() = default;
    virtual void AudioCardManagerChanged() = 0;
};

class CAudioCardManager : public NSTambor::IIdleable, public ISettingsChangedTarget, public IDeviceState {
public:
    static constexpr int32_t kInitialSampleRate = 44100;

    // Neither is owned. Makes the library client around the renderer and
    // holds the tables of 44100 Hz; the caller enables the renderer.
    CAudioCardManager(CAudioRenderer& renderer, CWavePlayer& player);
    ~CAudioCardManager() override;
    CAudioCardManager(const CAudioCardManager&) = delete;
    CAudioCardManager& operator=(const CAudioCardManager&) = delete;

    // The process's manager: made on first use with its renderer and the
    // process's wave player; the renderer is enabled.
    static CAudioCardManager& GetAudioCardManager();
    // Disables the renderer and destroys both (closing the device).
    static void DestroyAudioCardManager();
    // The process's manager when it exists, else null.
    static CAudioCardManager* FindAudioCardManager();

    int32_t GetOutputSampleRate() const { return fSampleRate; }
    // A driver is open and working.
    bool IsRunning() const override;
    // Not running, reconfiguring, or suspended.
    bool IsUnavailable() const;
    bool IsSuspended() const { return fSuspended; }

    NSSoundPortKit::TAudioDrivers GetDrivers();
    std::shared_ptr<NSSoundPortKit::IAudioDriver> GetSelectedDriver() const;
    // The driver of that name, or null.
    std::shared_ptr<NSSoundPortKit::IAudioDriver> FindDriver(const std::string& name);
    // Stops the player, then opens the driver (throws when it cannot) at
    // that rate and buffer size; 0 leaves either to the device (the buffer
    // at NSSoundPortKit::kPreferredBufferFrames). A new rate reaches
    // SettingsChanged like any change of device.
    void SelectDriver(const std::shared_ptr<NSSoundPortKit::IAudioDriver>& driver, int32_t sampleRate = 0,
                      int32_t bufferFrames = 0);
    // The common rates the driver can play at.
    std::vector<int32_t> GetSupportedSampleRates(const std::shared_ptr<NSSoundPortKit::IAudioDriver>& driver);
    // At start, when the saved driver does not run: the default device, then
    // every device in order, until one runs. False when none does.
    bool SelectFallbackDriver();
    // The device settings as the library saves them (empty without one).
    std::vector<uint8_t> SaveSettings();
    // Selects the saved driver; answers the library's code, with the
    // driver's name in missingName when it is gone.
    NSSoundPortKit::TResult LoadSettings(const std::vector<uint8_t>& bytes, std::string& missingName);

    // Reads the library's rate; a new one stops the player and moves the
    // tables. Then tells every listener.
    void SettingsChanged() override;
    void Suspend();
    void Resume();
    // Locks the renderer (at most 2000 ms, else "no mutex") and unlocks it.
    void BeginReconfigure();
    void EndReconfigure();

    void AddListener(IAudioCardManagerListener& listener);
    void RemoveListener(IAudioCardManagerListener& listener);
    // The library's idle time.
    void Idle() override;

    CWavePlayer& GetWavePlayer() { return fPlayer; }
    CAudioRenderer& GetRenderer() { return fRenderer; }
    NSSoundPortGlue::CClient& GetClient() { return *fClient; }

private:
    void Notify();

    CAudioRenderer& fRenderer;
    CWavePlayer& fPlayer;
    std::unique_ptr<NSSoundPortGlue::CClient> fClient;
    int32_t fSampleRate = kInitialSampleRate;
    bool fSuspended = false;
    std::vector<IAudioCardManagerListener*> fListeners;
};

} // namespace NSZubrik
