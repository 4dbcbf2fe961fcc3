// The program's side of the audio-device library: the client that creates
// the library around a renderer and forwards the library's calls to it, the
// library's result codes turned into exceptions, and the byte vector in
// which the device settings travel to and from the preferences.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/SoundPortKit.h"

namespace NSSoundPortGlue {

// Throws the program's exception for a result code other than success.
void Check(NSSoundPortKit::TResult result);

// Makes the library around a renderer. Tests install a fake device here;
// the default is the PortAudio library.
using TKitFactory = std::function<std::unique_ptr<NSSoundPortKit::ISoundPortKit>(NSSoundPortKit::IRenderer&)>;
// Returns the factory it replaces; an empty one restores the default.
TKitFactory SetKitFactory(TKitFactory factory);

class ByteVectorByteWriter : public NSSoundPortKit::IByteWriter {
public:
    explicit ByteVectorByteWriter(std::vector<uint8_t>& bytes) : fBytes(bytes) {}
    NSSoundPortKit::TResult Write(const void* bytes, int32_t count) override;

private:
    std::vector<uint8_t>& fBytes;
};

class ByteVectorByteReader : public NSSoundPortKit::IByteReader {
public:
    explicit ByteVectorByteReader(const std::vector<uint8_t>& bytes) : fBytes(bytes) {}
    NSSoundPortKit::TResult Read(void* bytes, int32_t count, int32_t& done) override;

private:
    const std::vector<uint8_t>& fBytes;
    size_t fPosition = 0;
};

// The library as the audio-card manager uses it: throwing calls.
class CClient : public NSSoundPortKit::IRenderer {
public:
    // The target gets every render call and notification; not owned.
    explicit CClient(NSSoundPortKit::IRenderer& target);
    ~CClient() override;
    CClient(const CClient&) = delete;
    CClient& operator=(const CClient&) = delete;

    NSSoundPortKit::TAudioDrivers GetDrivers();
    std::shared_ptr<NSSoundPortKit::IAudioDriver> GetDefaultDriver();
    std::shared_ptr<NSSoundPortKit::IAudioDriver> GetSelectedDriver() const;
    void SelectDriver(const std::shared_ptr<NSSoundPortKit::IAudioDriver>& driver);
    void SetWantedSettings(int32_t sampleRate, int32_t bufferFrames);
    std::vector<int32_t> GetSupportedSampleRates(const std::shared_ptr<NSSoundPortKit::IAudioDriver>& driver);
    void CloseDriver();
    bool IsRunning() const;
    NSSoundPortKit::SSettings GetCurrentSettings();
    void Suspend();
    void Resume();
    void Idle();
    std::vector<uint8_t> SaveSettings();
    // Answers the library's code; driverName is set when the device the
    // settings name is gone.
    NSSoundPortKit::TResult LoadSettings(const std::vector<uint8_t>& bytes, std::string& driverName);
    int64_t GetUnderrunCount() const;

    void Render(int32_t frameCount, float* const* channelBuffers, int32_t channelCount) noexcept override
    {
        fTarget.Render(frameCount, channelBuffers, channelCount);
    }
    void SettingsChanged() override { fTarget.SettingsChanged(); }
    void DriverChanged() override { fTarget.DriverChanged(); }

private:
    NSSoundPortKit::IRenderer& fTarget;
    std::unique_ptr<NSSoundPortKit::ISoundPortKit> fKit;
};

} // namespace NSSoundPortGlue
