// A sound card in memory for the audio-output checks: named drivers, some of
// which refuse to open, a rate (or the wanted one where the card has it), a
// buffer size, a channel count, and a Pump that plays the
// library's audio thread (called from the test or from a thread of its own).
#pragma once

#include "platform/SoundPortGlue.h"

#include <algorithm>
#include <atomic>
#include <set>
#include <string>
#include <vector>

namespace NSEngineTest {

using namespace NSSoundPortKit;

struct SFakeDevice {
    std::vector<std::string> fNames;
    std::string fDefault;
    std::set<std::string> fBroken;
    int32_t fSampleRate = 44100;
    int32_t fChannels = 2;
    // Names in the order SelectDriver was asked for them.
    std::vector<std::string> fTried;
    // The rates every driver offers, and the buffer size the last opening
    // was asked for.
    std::vector<int32_t> fRates{44100, 48000, 96000};
    int32_t fBufferFrames = kPreferredBufferFrames;
};

class CFakeDriver : public IAudioDriver {
public:
    explicit CFakeDriver(std::string name) : fName(std::move(name)) {}
    const std::string& GetName() const override { return fName; }

private:
    std::string fName;
};

class CFakeSoundPort : public ISoundPortKit {
public:
    CFakeSoundPort(IRenderer& renderer, SFakeDevice& device) : fRenderer(renderer), fDevice(device)
    {
        fBuffers.assign(size_t(std::max(device.fChannels, 1)), std::vector<float>(4096));
        for (auto& buffer : fBuffers)
            fPointers.push_back(buffer.data());
    }

    TResult GetDrivers(TAudioDrivers& drivers) override
    {
        drivers.clear();
        for (const std::string& name : fDevice.fNames)
            drivers.push_back(std::make_shared<CFakeDriver>(name));
        return kNoError;
    }
    TResult GetDefaultDriver(std::shared_ptr<IAudioDriver>& driver) override
    {
        driver = fDevice.fDefault.empty() ? nullptr : std::make_shared<CFakeDriver>(fDevice.fDefault);
        return kNoError;
    }
    TResult SelectDriver(const std::shared_ptr<IAudioDriver>& driver) override
    {
        CloseDriver();
        fDevice.fTried.push_back(driver->GetName());
        if (fDevice.fBroken.count(driver->GetName()) != 0)
            return kFailedToOpenDriver;
        if (std::find(fDevice.fRates.begin(), fDevice.fRates.end(), fWantedRate) != fDevice.fRates.end())
            fDevice.fSampleRate = fWantedRate;
        fDevice.fBufferFrames = fWantedFrames > 0 ? fWantedFrames : kPreferredBufferFrames;
        fSelected = driver;
        fRunning = true;
        fRenderer.DriverChanged();
        return kNoError;
    }
    TResult SetWantedSettings(int32_t sampleRate, int32_t bufferFrames) override
    {
        fWantedRate = sampleRate;
        fWantedFrames = bufferFrames;
        return kNoError;
    }
    TResult GetSupportedSampleRates(const std::shared_ptr<IAudioDriver>&, std::vector<int32_t>& rates) override
    {
        rates = fDevice.fRates;
        return kNoError;
    }
    TResult CloseDriver() override
    {
        fSelected.reset();
        fRunning = false;
        return kNoError;
    }
    std::shared_ptr<IAudioDriver> GetSelectedDriver() const override { return fSelected; }
    bool IsRunning() const override { return fRunning; }
    TResult GetCurrentSettings(SSettings& settings) override
    {
        settings = SSettings{fDevice.fSampleRate, fDevice.fBufferFrames, fDevice.fChannels};
        return kNoError;
    }
    TResult Suspend() override { return kNoError; }
    TResult Resume() override { return kNoError; }
    TResult Idle() override { return kNoError; }
    TResult SaveSettings(IByteWriter& writer) override
    {
        const std::string name = fSelected ? fSelected->GetName() : "";
        return writer.Write(name.data(), int32_t(name.size()));
    }
    TResult LoadSettings(IByteReader& reader, std::string& driverName) override
    {
        char bytes[256];
        int32_t done = 0;
        reader.Read(bytes, sizeof bytes, done);
        driverName.assign(bytes, size_t(done));
        if (std::find(fDevice.fNames.begin(), fDevice.fNames.end(), driverName) == fDevice.fNames.end())
            return kFailedToOpenDriverNotPresent;
        return SelectDriver(std::make_shared<CFakeDriver>(driverName));
    }
    int64_t GetUnderrunCount() const override { return 0; }

    // One callback of frameCount frames (at most 4096) into the device's
    // channel buffers.
    void Pump(int32_t frameCount) { fRenderer.Render(frameCount, fPointers.data(), int32_t(fPointers.size())); }
    const std::vector<float>& Channel(int c) const { return fBuffers[size_t(c)]; }

private:
    IRenderer& fRenderer;
    SFakeDevice& fDevice;
    std::shared_ptr<IAudioDriver> fSelected;
    int32_t fWantedRate = 0;
    int32_t fWantedFrames = 0;
    std::atomic<bool> fRunning{false};
    std::vector<std::vector<float>> fBuffers;
    std::vector<float*> fPointers;
};

// Installs the fake as the library for its lifetime and keeps the last one
// made, so the test can pump it.
class CFakeSoundPortInstaller {
public:
    explicit CFakeSoundPortInstaller(SFakeDevice& device)
    {
        fPrevious = NSSoundPortGlue::SetKitFactory([this, &device](IRenderer& renderer) {
            auto kit = std::make_unique<CFakeSoundPort>(renderer, device);
            fLast = kit.get();
            return std::unique_ptr<ISoundPortKit>(std::move(kit));
        });
    }
    ~CFakeSoundPortInstaller() { NSSoundPortGlue::SetKitFactory(std::move(fPrevious)); }
    CFakeSoundPort& Port() { return *fLast; }

private:
    NSSoundPortGlue::TKitFactory fPrevious;
    CFakeSoundPort* fLast = nullptr;
};

} // namespace NSEngineTest
