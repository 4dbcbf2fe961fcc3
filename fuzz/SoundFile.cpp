// Random and mutated WAVE, AIFF, FLAC, Ogg (Vorbis, Opus) and MP3 bytes
// through the media adapters into the sound libraries, the cue-point reader
// and the sound-file reader. Every failure must arrive as an
// exception of the program's family; nothing may crash or leak.
#include "io/SoundFileReader.h"
#include "io/WaveMarkers.h"
#include "platform/SoundKitGlue.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Sounds longer than this are not read in full, to keep each run short.
constexpr uint32_t kMaxFramesRead = 1 << 20;

void DecodeAll(NSSoundKit::ISoundKit& kit, NSTambor::CMedia& media)
{
    try {
        NSSoundKitGlue::CSoundDecoder decoder(kit, media);
        const auto& properties = decoder.GetProperties();
        if (properties.channels == 0 || properties.channels > 8) return;
        uint32_t frames = std::min(properties.frames, kMaxFramesRead);
        std::vector<float> buffer(size_t(properties.channels) * 1024);
        for (uint32_t done = 0; done < frames; done += 1024)
            decoder.ReadFrames(done, buffer.data(), std::min(1024u, frames - done));
    } catch (const std::exception&) {
    }
}

std::string ScratchFile()
{
    return "/tmp/zubrik-fuzz-soundfile-" + std::to_string(getpid()) + ".wav";
}

void ReadAsDocument(const uint8_t* data, size_t size)
{
    static const std::string path = ScratchFile();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    try {
        NSZubrik::CSoundFileReader reader(path);
        int32_t alert = 0;
        if (reader.CheckProperties(alert) && reader.GetInfo().frameCount <= kMaxFramesRead)
            reader.Read(nullptr);
    } catch (const std::exception&) {
    }
    std::remove(path.c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1 << 20)) return 0;
    NSTambor::COwnedMemoryMedia media(int32_t(size), data);
    DecodeAll(NSRiffSoundGlue::GetKit(), media);
    DecodeAll(NSFormSoundGlue::GetKit(), media);
    DecodeAll(NSCodedSoundGlue::GetKit(), media);
    try {
        NSWaveMarkers::ReadMarkers(media);
    } catch (const std::exception&) {
    }
    ReadAsDocument(data, size);
    return 0;
}
