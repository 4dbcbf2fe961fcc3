// Writing SoundFont 2 banks: a RIFF "sfbk" form with the INFO list, the
// sample data list "sdta" and the preset data list "pdta". The bank holds one
// preset playing one instrument with one zone per sample, each zone on a key
// of its own. Sample data is streamed in; the records describing each sample
// are collected meanwhile and written into "pdta" at the end.
#pragma once

#include "tambor/IFFWriter2.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace NSTambor {

class CMedia;

struct CSoundFontSampleParams {
    enum ESampleType : uint32_t { kMono = 1, kRight = 2, kLeft = 4 };

    std::string fName;
    // Sample points from the start of the sample data; end is one past the
    // last point of the sample.
    uint32_t fStart = 0;
    uint32_t fEnd = 0;
    uint32_t fSampleRate = 0;
    uint8_t fOriginalKey = 0;
    // The zone's low and high key.
    uint8_t fKey = 0;
    uint32_t fSampleType = kMono;
};

// The records of the samples in the order they lie in the sample data. A
// left sample is linked with the right one that follows it.
class CSoundFontSampleParamList {
public:
    void Add(const CSoundFontSampleParams& params) { fParams.push_back(params); }
    int32_t GetCount() const { return static_cast<int32_t>(fParams.size()); }
    const CSoundFontSampleParams& operator[](int32_t index) const { return fParams[static_cast<size_t>(index)]; }
    // The index of the sample this one plays with in stereo, 0 for mono.
    uint16_t GetLink(int32_t index) const;
    // Pan in tenths of a percent: left -500, right +500, mono 0.
    int16_t GetPan(int32_t index) const;

private:
    std::vector<CSoundFontSampleParams> fParams;
};

class CSoundFontFileWriter {
public:
    // Zero points written after every sample, as the format asks.
    static constexpr int32_t kSampleGap = 46;
    static constexpr int32_t kMaxTextLength = 255;
    static constexpr int32_t kNameSize = 20;

    explicit CSoundFontFileWriter(CMedia& media);
    CSoundFontFileWriter(const CSoundFontFileWriter&) = delete;
    CSoundFontFileWriter& operator=(const CSoundFontFileWriter&) = delete;

    // Opens the bank and writes its INFO list; empty texts are left out.
    void WriteInfo(const std::string& bankName, const std::string& comment);
    // Opens "sdta" and its "smpl" chunk.
    void BeginSampleData();
    // Appends count 16-bit points to the current sample.
    void WriteSamplePoints(const int16_t* points, int32_t count);
    // Ends the current sample with its gap of zero points.
    void EndSample();
    // The sample points written so far, gaps included.
    uint32_t GetSamplePointCount() const { return fPointCount; }
    void EndSampleData();
    // Writes "pdta" for the samples with one preset and one instrument
    // named presetName, and closes the bank.
    void WritePresetData(const std::string& presetName, const CSoundFontSampleParamList& samples);

private:
    CRIFFWriter2 fBank;
    std::optional<CRIFFWriter2> fList;
    std::optional<CRIFFWriter2> fChunk;
    uint32_t fPointCount = 0;
};

} // namespace NSTambor
