// The chunk records of the ZBX2 loop file. Each record parses itself from a
// chunk's media and checks every field (XZBX2BadFormat for a value outside
// its range, XZBX2FileTooNew for a version this program cannot read, and
// XBadFormat from the string and version layers); Write stores the fields in
// file order, big-endian.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "tambor/Format.h"
#include "tambor/FourCharCode.h"
#include "tambor/Version.h"

namespace NSTambor {
class CMedia;
}

namespace NSZubrik {

using NSTambor::CABCFormat;
using NSTambor::CFourCharCode;
using NSTambor::CMedia;
using NSTambor::CVersion;

namespace NSZBX2 {
inline constexpr uint32_t kMagic = 0x490CF18D;
inline constexpr CFourCharCode kFileType("ZBX2");
inline constexpr CFourCharCode kDeviceListType("DEVL");
inline constexpr CFourCharCode kSliceListType("SLCL");
inline constexpr CFourCharCode kHeadId("HEAD");
inline constexpr CFourCharCode kCreatorInfoId("CREI");
inline constexpr CFourCharCode kGeneralInfoId("GLOB");
inline constexpr CFourCharCode kZubrikInfoId("ZBRK");
inline constexpr CFourCharCode kZubrikExtraInfoId("ZBKX");
inline constexpr CFourCharCode kEnvelopeId("TRSH");
inline constexpr CFourCharCode kEqualizerId("EQ  ");
inline constexpr CFourCharCode kShaperId("COMP");
inline constexpr CFourCharCode kSliceId("SLCE");
inline constexpr CFourCharCode kSampleInfoId("SINF");
inline constexpr CFourCharCode kSampleDataId("SDAT");
// The MD5 of the decoded sound (16 bytes), after the sample data; readers
// that do not know it pass it by.
inline constexpr CFourCharCode kSoundChecksumId("MD5 ");

inline constexpr CVersion kVersion16Bit(2, 0, 0);
inline constexpr CVersion kVersion24Bit(3, 0, 0);
inline constexpr CVersion kOldestVersion(1, 0, 0);
inline constexpr CVersion kExtraInfoVersion(1, 0, 0);

// The document's tools are numbered from here; files store 0 … 3.
inline constexpr int32_t kFirstTool = 685;
} // namespace NSZBX2

class CZBX2HeadChunk : public CABCFormat {
public:
    explicit CZBX2HeadChunk(const CVersion& fileVersion) : fFileVersion(fileVersion) {}
    explicit CZBX2HeadChunk(CMedia& media);
    void Write(CMedia& media) const override;

    CVersion fFileVersion;
    std::string fText;
};

class CZBX2CreatorInfoChunk : public CABCFormat {
public:
    static constexpr size_t kStringCount = 5;
    static constexpr size_t kLongestString = 255;

    CZBX2CreatorInfoChunk() = default;
    explicit CZBX2CreatorInfoChunk(CMedia& media);
    void Write(CMedia& media) const override;

    // The maker's name, a legal notice, a web address, an e-mail address and
    // an empty string.
    std::array<std::string, kStringCount> fStrings;
};

class CZBX2GeneralInfoChunk : public CABCFormat {
public:
    CZBX2GeneralInfoChunk() = default;
    explicit CZBX2GeneralInfoChunk(CMedia& media);
    void Write(CMedia& media) const override;

    uint32_t fSliceCount = 0;
    uint16_t fBars = 1;
    uint8_t fBeats = 0;
    uint8_t fSignatureNumerator = 4;
    uint8_t fSignatureDenominator = 4;
    uint8_t fSensitivity = 0;
    uint16_t fGateSensitivity = 0;
    int16_t fProcessingGain = 1000;
    int16_t fPitch = 0;
    uint32_t fPreviewTempo = 130000;
    bool fExportAsOneSample = true;
    bool fSilenceSelected = false;
};

class CZBX2ZubrikInfoChunk : public CABCFormat {
public:
    CZBX2ZubrikInfoChunk() = default;
    explicit CZBX2ZubrikInfoChunk(CMedia& media);
    void Write(CMedia& media) const override;

    CVersion fInfoVersion;
    bool fPreviewOn = false;
    bool fGridShown = false;
    uint32_t fExportSize = 0;
    uint32_t fActiveSliceCount = 0;
};

class CZBX2ZubrikExtraInfoChunk : public CABCFormat {
public:
    CZBX2ZubrikExtraInfoChunk() = default;
    explicit CZBX2ZubrikExtraInfoChunk(CMedia& media);
    void Write(CMedia& media) const override;

    CVersion fExtraVersion = NSZBX2::kExtraInfoVersion;
    uint32_t fTool = 0; // 0 … 3: Arrow, Mute, Lock, Pen
    bool fShowEnvelope = true;
    bool fShowEqualizer = true;
    bool fShowTransientShaper = true;
    uint32_t fWindowWidth = 0;
    uint32_t fWindowHeight = 0;
    bool fWindowMaximised = false;
};

// The envelope device.
class CZBX2TransientShaperDeviceChunk : public CABCFormat {
public:
    CZBX2TransientShaperDeviceChunk() = default;
    explicit CZBX2TransientShaperDeviceChunk(CMedia& media);
    void Write(CMedia& media) const override;

    bool fEnabled = false;
    uint16_t fAttack = 0;
    uint16_t fDecay = 0;
    uint16_t fStretch = 0;
};

class CZBX2EqualizerDeviceChunk : public CABCFormat {
public:
    // Read ranges, in file order.
    struct SRange {
        int16_t fLow, fHigh;
    };
    static constexpr int kValueCount = 8;
    static constexpr SRange kRanges[kValueCount] = {
        {15, 12000},   {20, 3000},    {-18000, 18000}, {500, 10000},
        {1500, 16000}, {-18000, 18000}, {500, 10000},  {100, 20000}};
    enum EValue { kLowCut, kLowFrequency, kLowGain, kLowQ, kHighFrequency, kHighGain, kHighQ, kHighCut };

    CZBX2EqualizerDeviceChunk() = default;
    explicit CZBX2EqualizerDeviceChunk(CMedia& media);
    void Write(CMedia& media) const override;

    bool fEnabled = false;
    int16_t fValues[kValueCount] = {15, 20, 0, 500, 1500, 0, 500, 20000};
};

// The device the user interface calls the transient shaper.
class CZBX2CompressorDeviceChunk : public CABCFormat {
public:
    CZBX2CompressorDeviceChunk() = default;
    explicit CZBX2CompressorDeviceChunk(CMedia& media);
    void Write(CMedia& media) const override;

    bool fEnabled = false;
    uint16_t fThreshold = 0;
    uint16_t fRatio = 0;
    uint16_t fAttack = 0;
    uint16_t fRelease = 0;
};

class CZBX2SliceChunk : public CABCFormat {
public:
    static constexpr uint8_t kMuted = 0x01;
    static constexpr uint8_t kLocked = 0x02;
    static constexpr uint8_t kSelected = 0x04;

    CZBX2SliceChunk() = default;
    explicit CZBX2SliceChunk(CMedia& media);
    void Write(CMedia& media) const override;

    uint32_t fPosition = 0;
    uint32_t fLength = 0;
    uint16_t fStrength = 0;
    uint8_t fFlags = 0;
};

class CZBX2SampleInfoChunk : public CABCFormat {
public:
    static constexpr uint8_t kFormat8Bit = 1;
    static constexpr uint8_t kFormat16Bit = 3;
    static constexpr uint8_t kFormat24Bit = 5;
    static constexpr uint8_t kFormat32Bit = 7;

    CZBX2SampleInfoChunk() = default;
    explicit CZBX2SampleInfoChunk(CMedia& media);
    void Write(CMedia& media) const override;

    // 8, 16, 24 or 32 from the format code.
    int32_t GetBitDepth() const;

    uint8_t fChannels = 1;
    uint8_t fSampleFormat = kFormat16Bit;
    uint32_t fSampleRate = 44100;
    uint32_t fFrameCount = 0;
    uint32_t fLoopStart = 0;
    uint32_t fLoopEnd = 0;
};

} // namespace NSZubrik
