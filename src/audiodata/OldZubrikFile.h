// The two older file kinds that are still opened but never written: the old
// document (".zbk") and the old loop file (".zbx"). Both are AIFF files: the
// loop's audio is the AIFF sound, and the loop and slice settings sit in an
// "APPL" chunk of the form, after a four-character application signature.
//
// An old file object parses and checks the whole file when it is made, so
// that every operation afterwards works on values already known to be sound.
// CZubrikFile makes one for each of its operations, over a fresh opening of
// the file, and hands out the same parts as for its own loop files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audiodata/ZubrikFile.h"
#include "tambor/IFFReader.h"

namespace NSZubrik {

class CABCWaveSample;
class CSliceSequence;
class CZBX2DecompressCallback;

// The sound of an old file as its AIFF chunks describe it.
struct COldAIFFSound {
    int32_t fSampleRate = 0;
    int32_t fFrameCount = 0;
    // Where the first frame lies in the "SSND" chunk's data.
    int32_t fDataOffset = 0;
    // The sustain loop of "INST", through its two "MARK" markers.
    bool fHasLoop = false;
    int32_t fLoopStart = 0;
    int32_t fLoopEnd = 0;
};

class CABCOldZubrikFile {
public:
    // Parses the file at the start of media as the given kind (".zbk" or
    // ".zbx"). The media must outlive the object.
    static std::unique_ptr<CABCOldZubrikFile> Open(const std::u16string& kind, NSTambor::CMedia& media);
    virtual ~CABCOldZubrikFile() = default;
    CABCOldZubrikFile(const CABCOldZubrikFile&) = delete;
    CABCOldZubrikFile& operator=(const CABCOldZubrikFile&) = delete;

    virtual CZubrikFileInfo GetFileInfo() const = 0;
    virtual std::unique_ptr<CABCWaveSample> ReadSample(CZBX2DecompressCallback& callback) = 0;
    // Fills an empty sequence made on the sample ReadSample returned.
    virtual void ReadSlices(CSliceSequence& slices) const = 0;
    virtual void ReadParameters(CZubrikLoopParameters& parameters) const = 0;
    virtual void ReadViewAttributes(CZubrikViewAttributes& attributes) const = 0;
    // The old document's "Normalize" option, which this program no longer has.
    virtual bool HasNormalizeOption() const { return false; }

protected:
    // Reads the AIFF form at the start of the media and its sound (see
    // ReadOldAIFFSound). A media that holds no "FORM" of type "AIFF" is
    // XBadFormat.
    explicit CABCOldZubrikFile(NSTambor::CMedia& media);

    // The form's "APPL" chunk (the first one, as the old programs wrote a
    // single one) when its data begins with signature: the bytes after the
    // signature, at most maxSize of them. False when the form has no "APPL"
    // chunk or its signature differs.
    bool ReadApplicationBlock(const NSTambor::CFourCharCode& signature, int32_t maxSize,
                              std::vector<uint8_t>& block);
    // Copies count frames of the AIFF sound from frame first into the wave
    // sample at frame to, in blocks that report progress from done on.
    void CopyFrames(int32_t first, int32_t count, CABCWaveSample& wave, int32_t to, CZBX2DecompressCallback& callback);

    const COldAIFFSound& GetSound() const { return fSound; }

private:
    NSTambor::CIFFReader fForm;
    std::unique_ptr<NSTambor::CMedia> fSoundData;
    COldAIFFSound fSound;
};

// The original tempo of a loop, in thousandths of a BPM, computed as the
// preview sequencer does: beats over the loop's length in minutes at the
// sample rate the sampler plays it at, rounded, at most 999999; 0 for a loop
// without length.
int32_t OldFileOriginalTempo(int64_t loopFrames, int32_t sampleRate, int64_t beats);

// Reads the AIFF sound description of the form; XZBX2BadFormat unless it is
// an uncompressed 16-bit mono sound whose frames all lie inside "SSND".
COldAIFFSound ReadOldAIFFSound(NSTambor::CIFFReader& form);

// Big-endian fields of an application block, read at a byte offset that the
// caller has checked to lie inside the block.
uint16_t BlockU16(const std::vector<uint8_t>& block, size_t at);
uint32_t BlockU32(const std::vector<uint8_t>& block, size_t at);

std::unique_ptr<CABCOldZubrikFile> OpenOldDocumentFile(NSTambor::CMedia& media);
std::unique_ptr<CABCOldZubrikFile> OpenOldLoopFile(NSTambor::CMedia& media);

} // namespace NSZubrik
