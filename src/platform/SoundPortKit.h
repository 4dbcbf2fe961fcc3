// SoundPortKit: the audio-device library as the program sees it. Drivers are
// output devices named "host API: device"; one of them is selected (opened
// and started) at a time, and the library calls the renderer on its own
// thread with one float buffer per output channel. Every call answers a
// result code of the shared code space (12000 is success).
//
// The PortAudio implementation lives beside this header; the engine reaches
// the library only through these interfaces, so tests can put a fake device
// in its place.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace NSSoundPortKit {

using TResult = int32_t;
inline constexpr TResult kNoError = 12000;
inline constexpr TResult kBadFormat = 12005;
inline constexpr TResult kIllegalCallSequence = 12003;
inline constexpr TResult kFailedToOpenDriver = 100012;
inline constexpr TResult kFailedToOpenDriverNotPresent = 100013;

// The buffer size the program asks for where the device allows it, unless
// the user chose another of kBufferFrameChoices.
inline constexpr int32_t kPreferredBufferFrames = 256;
inline constexpr int32_t kBufferFrameChoices[] = {64, 128, 256, 512, 1024, 2048};
// The rates a device is offered at, where it supports them.
inline constexpr int32_t kCommonSampleRates[] = {44100, 48000, 88200, 96000};

class IByteWriter {
public:
    virtual ~IByteWriter() = default;
    virtual TResult Write(const void* bytes, int32_t count) = 0;
};

class IByteReader {
public:
    virtual ~IByteReader() = default;
    // done < count only at the end of the bytes.
    virtual TResult Read(void* bytes, int32_t count, int32_t& done) = 0;
};

// One output device; names are UTF-8, "host API: device".
class IAudioDriver {
public:
    virtual ~IAudioDriver() = default;
    virtual const std::string& GetName() const = 0;
};
using TAudioDrivers = std::vector<std::shared_ptr<IAudioDriver>>;

struct SSettings {
    int32_t fSampleRate = 0;
    int32_t fBufferFrames = 0;
    int32_t fChannelCount = 0;
};

// Called by the library. Render runs on the library's audio thread and must
// not allocate, block or throw; the two notifications run on the thread that
// changed the device (the GUI thread) and both mean the settings changed.
class IRenderer {
public:
    virtual ~IRenderer() = default;
    virtual void Render(int32_t frameCount, float* const* channelBuffers, int32_t channelCount) noexcept = 0;
    virtual void SettingsChanged() = 0;
    virtual void DriverChanged() = 0;
};

class ISoundPortKit {
public:
    virtual ~ISoundPortKit() = default;
    // Every output device, in the library's order.
    virtual TResult GetDrivers(TAudioDrivers& drivers) = 0;
    // The system's default output device (null when there is none).
    virtual TResult GetDefaultDriver(std::shared_ptr<IAudioDriver>& driver) = 0;
    // Closes the present driver, then opens and starts this one. A failure
    // leaves no driver open.
    virtual TResult SelectDriver(const std::shared_ptr<IAudioDriver>& driver) = 0;
    // The rate and buffer size the next SelectDriver asks for; 0 leaves the
    // rate to the device and the buffer at kPreferredBufferFrames. A rate the
    // device refuses falls back to its own.
    virtual TResult SetWantedSettings(int32_t sampleRate, int32_t bufferFrames) = 0;
    // Which of kCommonSampleRates the driver can play at, ascending.
    virtual TResult GetSupportedSampleRates(const std::shared_ptr<IAudioDriver>& driver,
                                            std::vector<int32_t>& rates) = 0;
    virtual TResult CloseDriver() = 0;
    // The selected driver, null when none is open.
    virtual std::shared_ptr<IAudioDriver> GetSelectedDriver() const = 0;
    // A driver is open and its stream runs (or is suspended on purpose).
    virtual bool IsRunning() const = 0;
    virtual TResult GetCurrentSettings(SSettings& settings) = 0;
    virtual TResult Suspend() = 0;
    virtual TResult Resume() = 0;
    // Idle time on the GUI thread: notices a device that stopped by itself.
    virtual TResult Idle() = 0;
    // The selected driver's name, rate and buffer size as a versioned byte
    // vector.
    virtual TResult SaveSettings(IByteWriter& writer) = 0;
    // Selects the driver the bytes name. When it no longer exists the answer
    // is kFailedToOpenDriverNotPresent and driverName holds its name; when it
    // cannot be opened, kFailedToOpenDriver.
    virtual TResult LoadSettings(IByteReader& reader, std::string& driverName) = 0;
    // Buffers the device reported late or dropped since the driver opened.
    virtual int64_t GetUnderrunCount() const = 0;
};

// The PortAudio library (ALSA and JACK host APIs). Initialises PortAudio;
// throws nothing: with no devices the driver list is empty.
std::unique_ptr<ISoundPortKit> SoundPortKit_Create(IRenderer& renderer);

} // namespace NSSoundPortKit
