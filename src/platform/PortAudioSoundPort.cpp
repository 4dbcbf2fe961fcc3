// SoundPortKit over PortAudio: every output device of every host API (ALSA,
// JACK, ...) is a driver named "host API: device". The selected driver is
// opened for non-interleaved 32-bit float output at 256 frames per buffer
// (or the size the user chose) where the device allows, on its own default
// rate unless the user or the saved settings name another it supports, and
// started at once.
#include <fcntl.h>
#include <portaudio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/SavedAudioDevice.h"
#include "platform/SoundPortKit.h"

namespace NSSoundPortKit {

namespace {

// Saved settings are read in pieces of this many bytes.
constexpr int32_t kReadPiece = 256;

class CPortAudioDriver : public IAudioDriver {
public:
    CPortAudioDriver(PaDeviceIndex device, std::string name) : fDevice(device), fName(std::move(name)) {}
    const std::string& GetName() const override { return fName; }
    PaDeviceIndex GetDevice() const { return fDevice; }

private:
    PaDeviceIndex fDevice;
    std::string fName;
};

// PortAudio's probing of ALSA configurations and of a JACK server that is
// not there writes pages of complaints to the error stream; the program
// reports what matters (no device) itself, so the stream is shut meanwhile.
bool QuietInitialise()
{
    const int savedError = dup(STDERR_FILENO);
    const int nothing = open("/dev/null", O_WRONLY);
    if (savedError >= 0 && nothing >= 0)
        dup2(nothing, STDERR_FILENO);
    const bool initialised = Pa_Initialize() == paNoError;
    if (savedError >= 0 && nothing >= 0)
        dup2(savedError, STDERR_FILENO);
    if (nothing >= 0)
        close(nothing);
    if (savedError >= 0)
        close(savedError);
    return initialised;
}

std::string DriverName(PaDeviceIndex device)
{
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    const PaHostApiInfo* host = Pa_GetHostApiInfo(info->hostApi);
    return std::string(host != nullptr ? host->name : "?") + ": " + info->name;
}

class CPortAudioKit : public ISoundPortKit {
public:
    explicit CPortAudioKit(IRenderer& renderer) : fRenderer(renderer) { fInitialised = QuietInitialise(); }
    ~CPortAudioKit() override
    {
        CloseDriver();
        if (fInitialised)
            Pa_Terminate();
    }

    TResult GetDrivers(TAudioDrivers& drivers) override
    {
        drivers.clear();
        const PaDeviceIndex count = fInitialised ? Pa_GetDeviceCount() : 0;
        for (PaDeviceIndex device = 0; device < count; ++device)
            if (Pa_GetDeviceInfo(device)->maxOutputChannels > 0)
                drivers.push_back(std::make_shared<CPortAudioDriver>(device, DriverName(device)));
        return kNoError;
    }

    TResult GetDefaultDriver(std::shared_ptr<IAudioDriver>& driver) override
    {
        driver.reset();
        const PaDeviceIndex device = fInitialised ? Pa_GetDefaultOutputDevice() : paNoDevice;
        if (device != paNoDevice)
            driver = std::make_shared<CPortAudioDriver>(device, DriverName(device));
        return kNoError;
    }

    TResult SelectDriver(const std::shared_ptr<IAudioDriver>& driver) override { return Open(driver); }

    TResult SetWantedSettings(int32_t sampleRate, int32_t bufferFrames) override
    {
        fWantedRate = std::max(sampleRate, 0);
        fWantedFrames = std::max(bufferFrames, 0);
        return kNoError;
    }

    TResult GetSupportedSampleRates(const std::shared_ptr<IAudioDriver>& driver, std::vector<int32_t>& rates) override
    {
        rates.clear();
        const std::optional<PaStreamParameters> output = OutputOf(driver);
        if (!output)
            return kFailedToOpenDriverNotPresent;
        for (int32_t rate : kCommonSampleRates)
            if (Pa_IsFormatSupported(nullptr, &*output, rate) == paFormatIsSupported)
                rates.push_back(rate);
        return kNoError;
    }

    TResult CloseDriver() override
    {
        if (fStream != nullptr) {
            Pa_CloseStream(fStream);
            fStream = nullptr;
        }
        fSelected.reset();
        fSettings = SSettings();
        fSuspended = false;
        return kNoError;
    }

    std::shared_ptr<IAudioDriver> GetSelectedDriver() const override { return fSelected; }

    bool IsRunning() const override
    {
        return fStream != nullptr && (fSuspended || Pa_IsStreamActive(fStream) == 1);
    }

    TResult GetCurrentSettings(SSettings& settings) override
    {
        settings = fSettings;
        return kNoError;
    }

    TResult Suspend() override
    {
        if (fStream == nullptr || fSuspended)
            return kNoError;
        fSuspended = true;
        return Pa_StopStream(fStream) == paNoError ? kNoError : kFailedToOpenDriver;
    }

    TResult Resume() override
    {
        if (fStream == nullptr || !fSuspended)
            return kNoError;
        fSuspended = false;
        return Pa_StartStream(fStream) == paNoError ? kNoError : kFailedToOpenDriver;
    }

    TResult Idle() override
    {
        // A stream that ended by itself (the device went away) is closed, and
        // the program hears that the settings changed.
        if (fStream != nullptr && !fSuspended && Pa_IsStreamActive(fStream) != 1) {
            CloseDriver();
            fRenderer.DriverChanged();
        }
        return kNoError;
    }

    TResult SaveSettings(IByteWriter& writer) override
    {
        if (!fSelected)
            return kNoError;
        // The buffer size is saved only when the user chose one.
        const int32_t frames = fWantedFrames != 0 ? fSettings.fBufferFrames : 0;
        const std::vector<uint8_t> bytes =
            EncodeSavedAudioDevice({fSettings.fSampleRate, fSelected->GetName(), frames});
        return writer.Write(bytes.data(), int32_t(bytes.size()));
    }

    TResult LoadSettings(IByteReader& reader, std::string& driverName) override
    {
        std::vector<uint8_t> bytes;
        for (int32_t done = kReadPiece; done == kReadPiece;) {
            const size_t start = bytes.size();
            bytes.resize(start + kReadPiece);
            if (const TResult result = reader.Read(bytes.data() + start, kReadPiece, done); result != kNoError)
                return result;
            bytes.resize(start + size_t(std::max(done, 0)));
        }
        const std::optional<SSavedAudioDevice> saved = DecodeSavedAudioDevice(bytes.data(), bytes.size());
        if (!saved)
            return kBadFormat;
        driverName = saved->fDriverName;
        TAudioDrivers drivers;
        GetDrivers(drivers);
        for (const std::shared_ptr<IAudioDriver>& driver : drivers)
            if (driver->GetName() == driverName) {
                SetWantedSettings(saved->fSampleRate, saved->fBufferFrames);
                return Open(driver);
            }
        return kFailedToOpenDriverNotPresent;
    }

    int64_t GetUnderrunCount() const override { return fUnderruns.load(std::memory_order_relaxed); }

private:
    // The stream parameters of a driver's device: up to two channels of
    // non-interleaved floats at its low latency; nothing when it is gone.
    std::optional<PaStreamParameters> OutputOf(const std::shared_ptr<IAudioDriver>& driver) const
    {
        const auto* portAudioDriver = dynamic_cast<const CPortAudioDriver*>(driver.get());
        if (portAudioDriver == nullptr || !fInitialised)
            return std::nullopt;
        const PaDeviceInfo* info = Pa_GetDeviceInfo(portAudioDriver->GetDevice());
        if (info == nullptr || info->maxOutputChannels < 1)
            return std::nullopt;
        PaStreamParameters output{};
        output.device = portAudioDriver->GetDevice();
        output.channelCount = std::min(info->maxOutputChannels, 2);
        output.sampleFormat = paFloat32 | paNonInterleaved;
        output.suggestedLatency = info->defaultLowOutputLatency;
        return output;
    }

    TResult Open(const std::shared_ptr<IAudioDriver>& driver)
    {
        CloseDriver();
        const std::optional<PaStreamParameters> output = OutputOf(driver);
        if (!output)
            return kFailedToOpenDriverNotPresent;
        const double defaultRate = Pa_GetDeviceInfo(output->device)->defaultSampleRate;
        const double wanted =
            fWantedRate > 0 && Pa_IsFormatSupported(nullptr, &*output, fWantedRate) == paFormatIsSupported
                ? double(fWantedRate)
                : defaultRate;
        const int32_t frames = fWantedFrames > 0 ? fWantedFrames : kPreferredBufferFrames;
        PaStream* stream = nullptr;
        if (Pa_OpenStream(&stream, nullptr, &*output, wanted, unsigned(frames), paClipOff, &Callback, this) !=
            paNoError)
            return kFailedToOpenDriver;
        const PaStreamInfo* streamInfo = Pa_GetStreamInfo(stream);
        fSettings.fSampleRate = int32_t(streamInfo != nullptr ? streamInfo->sampleRate : wanted);
        fSettings.fBufferFrames = frames;
        fSettings.fChannelCount = output->channelCount;
        fUnderruns.store(0, std::memory_order_relaxed);
        if (Pa_StartStream(stream) != paNoError) {
            Pa_CloseStream(stream);
            fSettings = SSettings();
            return kFailedToOpenDriver;
        }
        fStream = stream;
        fSelected = driver;
        fRenderer.DriverChanged();
        return kNoError;
    }

    static int Callback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                        PaStreamCallbackFlags flags, void* self) noexcept
    {
        auto* kit = static_cast<CPortAudioKit*>(self);
        if ((flags & (paOutputUnderflow | paOutputOverflow)) != 0)
            kit->fUnderruns.fetch_add(1, std::memory_order_relaxed);
        kit->fRenderer.Render(int32_t(frames), static_cast<float* const*>(output), kit->fSettings.fChannelCount);
        return paContinue;
    }

    IRenderer& fRenderer;
    bool fInitialised = false;
    PaStream* fStream = nullptr;
    std::shared_ptr<IAudioDriver> fSelected;
    SSettings fSettings;
    // What the user chose (0: the device's rate, the preferred buffer).
    int32_t fWantedRate = 0;
    int32_t fWantedFrames = 0;
    bool fSuspended = false;
    std::atomic<int64_t> fUnderruns{0};
};

} // namespace

std::unique_ptr<ISoundPortKit> SoundPortKit_Create(IRenderer& renderer)
{
    return std::make_unique<CPortAudioKit>(renderer);
}

} // namespace NSSoundPortKit
