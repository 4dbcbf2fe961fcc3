// The ZBX2 loop file: recognising a file's kind, reading its parts one by one
// for the document and the open dialog, and writing a whole file.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "audiodata/SoundChecksum.h"
#include "tambor/Version.h"

namespace NSTambor {
class CMedia;
}

namespace NSZubrik {

class CABCWaveSample;
class CSliceSequence;
class CZBX2DecompressCallback;
class ILengthyProgress;

// File kinds, as extensions. Files are dispatched on their kind, never on
// their name.
inline constexpr const char16_t* kZubrikLoopKind = u".zx2";
inline constexpr const char16_t* kOldLoopKind = u".zbx";
inline constexpr const char16_t* kOldDocumentKind = u".zbk";

// The progress text shown while the audio is written.
inline constexpr const char16_t* kFramesLeftToSaveText = u"Frames left to save:";

// The kind of the file in the media, or an empty string for none. The media's
// position is left as it was.
std::u16string GetFileKind(NSTambor::CMedia& media);

// What a file tells about itself without its audio being read.
struct CZubrikFileInfo {
    int32_t fChannels = 0;
    int32_t fBitDepth = 0;
    int32_t fSampleRate = 0;
    int32_t fFrameCount = 0;
    int32_t fLoopStart = 0;
    int32_t fLoopEnd = 0;
    int32_t fSliceCount = 0;
    int32_t fBars = 0;
    int32_t fBeats = 0;
    int32_t fSignatureNumerator = 0;
    int32_t fSignatureDenominator = 0;
    int32_t fPreviewTempo = 0;
    int32_t fExportSize = 0;
    int32_t fActiveSliceCount = 0;
    // Raw PCM bytes per stored byte of audio.
    double fCompressionRatio = 0.0;
    // Share of the sample inside the loop, in percent, rounded up.
    int32_t fLoopUsage = 0;
};

// The loop, preview and device settings a file carries, in the units of the
// program's parameters (time indexes, thousandths, cents, Hz).
struct CZubrikLoopParameters {
    NSTambor::CVersion fFileVersion;
    int32_t fBars = 0;
    int32_t fBeats = 0;
    int32_t fSignatureNumerator = 4;
    int32_t fSignatureDenominator = 4;
    int32_t fPreviewTempo = 130000;
    bool fSilenceSelected = false;
    int32_t fProcessingGain = 1000;
    int16_t fPitch = 0;
    bool fPreviewOn = false;

    bool fEnvelopeOn = false;
    int32_t fEnvelopeAttack = 21;
    int32_t fEnvelopeDecay = 1023;
    int32_t fEnvelopeStretch = 0;

    bool fEqualizerOn = false;
    int16_t fEqualizerLowCut = 15;
    int16_t fEqualizerLowFrequency = 20;
    int16_t fEqualizerLowGain = 0;
    int16_t fEqualizerLowQ = 500;
    int16_t fEqualizerHighFrequency = 1500;
    int16_t fEqualizerHighGain = 0;
    int16_t fEqualizerHighQ = 500;
    int16_t fEqualizerHighCut = 20000;

    bool fShaperOn = false;
    int32_t fShaperThreshold = 0;
    int32_t fShaperRatio = 0;
    int32_t fShaperAttack = 193;
    int32_t fShaperRelease = 350;
};

// The document's view and edit attributes kept in the file.
struct CZubrikViewAttributes {
    static constexpr int32_t kArrowTool = 685;
    static constexpr int32_t kPenTool = 688;

    bool fExportAsOneSample = true;
    bool fGridShown = false;
    int32_t fTool = kArrowTool; // 685 … 688: Arrow, Mute, Lock, Pen
    bool fShowEnvelope = true;
    bool fShowEqualizer = true;
    bool fShowTransientShaper = true;
    int32_t fWindowWidth = 0;
    int32_t fWindowHeight = 0;
    bool fWindowMaximised = false;
};

// The "CREI" strings: maker, legal notice, web, e-mail, and an empty one.
using CZubrikCreatorInfo = std::array<std::string, 5>;

// The values this program writes into "CREI".
const CZubrikCreatorInfo& GetOwnCreatorInfo();

// Everything the writer takes from a document.
struct CZubrikFileSource {
    const CABCWaveSample* fWaveSample = nullptr;
    const CSliceSequence* fSlices = nullptr;
    CZubrikLoopParameters fParameters;
    CZubrikViewAttributes fViewAttributes;
    // Bytes of audio an export would write (frames × 2, or × 4 at 24 bits).
    int32_t fExportSize = 0;
};

class CZubrikFile {
public:
    // Opens the file anew for every operation.
    using TMediaOpener = std::function<std::unique_ptr<NSTambor::CMedia>()>;

    // A file on disk.
    explicit CZubrikFile(const std::filesystem::path& path);
    // Any source of the same bytes (the clipboard, a test's memory).
    explicit CZubrikFile(TMediaOpener opener);

    // Fails at once with XZBX2UnsupportedFormat for a file of no known kind;
    // the file information is read on construction.
    const std::u16string& GetKind() const { return fKind; }
    const CZubrikFileInfo& GetFileInfo() const { return fInfo; }
    // An old document (".zbk") saved with the "Normalize" option, which this
    // program no longer has; the opening command tells the user.
    bool HasNormalizeOption() const { return fNormalizeOption; }

    // The audio as a new wave sample with its locators; callback may be null.
    std::unique_ptr<CABCWaveSample> ReadSample(CZBX2DecompressCallback* callback);
    // Fills an empty sequence made on the sample ReadSample returned.
    void ReadSlices(CSliceSequence& slices);
    // Every value clamped into its working range; old time values are
    // converted on the time table of outputSampleRate. The old kinds set
    // only what they store.
    void ReadParameters(CZubrikLoopParameters& parameters, int32_t outputSampleRate);
    void ReadViewAttributes(CZubrikViewAttributes& attributes);
    std::optional<CZubrikCreatorInfo> ReadCreatorInfo();
    // Decodes the sound and compares it with the checksum the file carries
    // (ReadSample fails with XZBX2ChecksumMismatch where this says kDiffers).
    EChecksumState VerifyChecksum();

private:
    void Open();
    std::unique_ptr<CABCWaveSample> ReadSampleAndChecksum(CZBX2DecompressCallback* callback,
                                                          std::optional<TSoundChecksum>& stored);
    // ".zbx" and ".zbk", read by the old-file readers.
    bool IsOldKind() const { return fKind != kZubrikLoopKind; }

    TMediaOpener fOpener;
    std::u16string fKind;
    CZubrikFileInfo fInfo;
    bool fNormalizeOption = false;
};

// The index of the time table (1024 entries, milliseconds, increasing) for a
// time of the old 0 … 127 scale; 127 means "no limit" (1023) when allowed.
int32_t ConvertOldTime(int32_t value, bool allowInfinite, const float* timeTable);

// Writes a whole loop file at the media's position. showSaveText switches
// the progress text to "Frames left to save:" before the audio.
void WriteZubrikFile(const CZubrikFileSource& source, NSTambor::CMedia& media,
                     ILengthyProgress* progress, bool showSaveText);

// Writes the file at path through a temporary file beside it, which replaces
// the old file only when everything was written, flushed and closed; on
// failure or Stop the old file stays as it was.
void WriteZubrikFile(const CZubrikFileSource& source, const std::filesystem::path& path,
                     ILengthyProgress* progress, bool showSaveText);

} // namespace NSZubrik
