// Opening a sound file: recognises WAVE, AIFF, FLAC, Ogg (Vorbis, Opus), MP3
// and the program's loop files by their first bytes, reports and checks the sound's properties, joins the
// halves of a linked stereo pair ("Kick.L" + "Kick.R") and reads the frames
// into a new wave sample with progress and cancel.
#pragma once

#include "audiodata/WaveSample.h"
#include "io/WaveMarkers.h"
#include "platform/DiskKitUtils.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace NSSoundKitGlue {
class CSoundDecoder;
}

namespace NSZubrik {

class ILengthyProgress;

// The properties of a sound file as the checks and the open dialog see them.
struct SoundFileInfo {
    static constexpr int32_t kNoLoop = 13;
    static constexpr int32_t kOtherLoop = 14;
    // The loop the program takes over as its locators.
    static constexpr int32_t kUsedLoop = 15;

    uint16_t channels = 0;  // a linked stereo pair reports 2
    int32_t bitsPerSample = 0;
    uint32_t sampleRate = 0;
    uint32_t frameCount = 0;
    int32_t loopKind = kNoLoop;
    int32_t loopFlag = 0;  // 1 when the loop plays back and forth
    int32_t loopStart = 0;
    int32_t loopEnd = 0;
    // Present flag, root key, lowest key, lowest velocity, highest key and
    // velocity; kept, not used on import.
    uint8_t instrument[5] = {};
};

class CSoundFileReader {
public:
    static constexpr const char16_t* kWaveKind = u".wav;.wave";
    static constexpr const char16_t* kAiffKind = u".aif;.aiff";
    // Compressed sounds, read through libsndfile and converted on opening.
    static constexpr const char16_t* kFlacKind = u".flac";
    static constexpr const char16_t* kOggKind = u".ogg;.oga;.opus";
    static constexpr const char16_t* kMp3Kind = u".mp3";
    static constexpr int32_t kBlockFrames = 2048;
    static constexpr uint32_t kMaxSeconds = 300;
    static constexpr uint32_t kMinSampleRate = 11025;
    static constexpr uint32_t kMaxSampleRate = 1000000;

    // Takes the open file over and finds its kind; anything that is neither
    // a loop file nor WAVE or AIFF fails with XUnsupportedFormat.
    explicit CSoundFileReader(std::unique_ptr<NSDiskKitUtils::COpenReadFileBridge> file);
    explicit CSoundFileReader(const NSDiskKitUtils::TFilePath& path);
    ~CSoundFileReader();
    CSoundFileReader(const CSoundFileReader&) = delete;
    CSoundFileReader& operator=(const CSoundFileReader&) = delete;

    bool IsLoopFile() const { return fLoopFile; }
    // The extension list of the file's kind.
    const std::u16string& GetKind() const { return fKind; }
    const SoundFileInfo& GetInfo() const { return fInfo; }
    bool IsLinkedStereoPair() const { return !fPartner.empty(); }
    const NSDiskKitUtils::TFilePath& GetPartner() const { return fPartner; }
    // The sound's format for people: "WAVE", "AIFF", "FLAC", "Ogg Vorbis",
    // "Ogg Opus", "MP3", or "WAVE (32-bit float)"; empty for loop files.
    std::string GetSourceFormatName() const;
    // True when the frames are not stored as the file holds them: a
    // compressed or floating-point source.
    bool IsConverted() const;
    // Values beyond full scale clipped while reading (floating-point sources).
    uint64_t GetClippedCount() const;
    // The cue points of a WAVE file, and the positions of those inside the
    // sound: the slices they become.
    const NSWaveMarkers::SMarkerList& GetMarkers() const { return fMarkers; }
    std::vector<int32_t> GetMarkerPositions() const;

    // Applies the program's limits; on failure names the alert to show.
    bool CheckProperties(int32_t& alert) const;

    // Reads every frame (and the partner's of a linked pair) into a new wave
    // sample, its preview built. A cancel through progress fails with
    // XUserInterrupted.
    std::unique_ptr<CABCWaveSample> Read(ILengthyProgress* progress);

    // The partner of a name ending in ".L", ".l", ".R" or ".r": ".L" and ".l"
    // give ".R", ".R" and ".r" give ".L". Empty for any other name.
    static std::string PartnerName(const std::string& name);

private:
    struct SNoPairing {};
    CSoundFileReader(std::unique_ptr<NSDiskKitUtils::COpenReadFileBridge> file, SNoPairing);

    void FindKind();
    void FindLinkedPartner();
    std::unique_ptr<CABCWaveSample> ReadFrames(ILengthyProgress* progress);
    std::unique_ptr<CABCWaveSample> ReadSound(ILengthyProgress* progress);

    std::unique_ptr<NSDiskKitUtils::COpenReadFileBridge> fFile;
    std::unique_ptr<NSSoundKitGlue::CSoundDecoder> fDecoder;
    std::u16string fKind;
    bool fLoopFile = false;
    SoundFileInfo fInfo;
    NSDiskKitUtils::TFilePath fPartner;
    NSWaveMarkers::SMarkerList fMarkers;
};

// Opens a file where only a WAVE or AIFF file will do: refuses loop files
// with XUnsupportedFormat, a sound outside the limits with
// XUnsupportedSoundFileProperties naming the alert, and reads the frames
// under a lengthy operation "Frames left to load:" that can be cancelled.
// Notes follow a sound that was converted, clipped or carried slice markers.
std::unique_ptr<CABCWaveSample> LoadSoundFile(const NSDiskKitUtils::TFilePath& path);

// The positions of the slice markers (WAVE cue points) inside the sound of
// a file, to be locked slices of its new document; empty for a file without
// them or one that cannot be read.
std::vector<int32_t> ReadSliceMarkers(const NSDiskKitUtils::TFilePath& path);

} // namespace NSZubrik
