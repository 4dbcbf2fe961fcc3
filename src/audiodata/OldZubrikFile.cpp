// The AIFF side of the old files: the form, the sound's description and
// frames, the loop markers and the application block.
#include "audiodata/OldZubrikFile.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/ZubrikErrors.h"
#include "audiodata/DecompressCallback.h"
#include "audiodata/WaveSample.h"
#include "engine/Sampler.h"
#include "tambor/Media.h"

namespace NSZubrik {

using namespace NSTambor;

namespace {

constexpr CFourCharCode kAIFFType("AIFF");
constexpr CFourCharCode kCommonId("COMM");
constexpr CFourCharCode kSoundDataId("SSND");
constexpr CFourCharCode kMarkerId("MARK");
constexpr CFourCharCode kInstrumentId("INST");
constexpr CFourCharCode kApplicationId("APPL");

// The sample rates a loop may have, as for the program's own loop files.
constexpr int32_t kLowestRate = 1000;
constexpr int32_t kHighestRate = 1000000;
// Frames moved per block while reading, between progress reports.
constexpr int32_t kBlockFrames = 4096;

// Runs a parse of one chunk's fields; running past the chunk's end means
// the sound's description is damaged.
template <typename TParse>
auto ParseSoundChunk(TParse parse) {
    try {
        return parse();
    } catch (const XRead&) {
        throw XZBX2BadFormat();
    }
}

// Moves past count bytes that must lie inside the chunk.
void SkipInside(CMedia& chunk, int32_t count) {
    if (count > chunk.GetSize() - chunk.GetPosition()) throw XRead();
    Skip(chunk, count);
}

// The 80-bit extended float of "COMM": sign and 15-bit exponent, then a
// 64-bit mantissa with its integer bit. The rate is rounded to whole Hz.
int32_t ReadSampleRate(CMedia& media) {
    const uint16_t exponentWord = ReadU16BE(media);
    const uint64_t high = ReadU32BE(media);
    const uint64_t mantissa = (high << 32) | ReadU32BE(media);
    const int32_t exponent = exponentWord & 0x7FFF;
    if ((exponentWord & 0x8000) != 0 || exponent == 0x7FFF) throw XZBX2BadFormat();
    const double rate = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
    if (!(rate >= kLowestRate - 0.5 && rate < kHighestRate + 0.5)) throw XZBX2BadFormat();
    return static_cast<int32_t>(std::lround(rate));
}

struct CCommon {
    int32_t fFrameCount;
    int32_t fSampleRate;
};

CCommon ReadCommon(CMedia& chunk) {
    return ParseSoundChunk([&] {
        chunk.SetPosition(0);
        const int16_t channels = static_cast<int16_t>(ReadU16BE(chunk));
        const uint32_t frames = ReadU32BE(chunk);
        const int16_t bits = static_cast<int16_t>(ReadU16BE(chunk));
        const int32_t rate = ReadSampleRate(chunk);
        // Only 16-bit mono sounds were ever written into the old files.
        if (channels != 1 || bits != 16 || frames > uint32_t{std::numeric_limits<int32_t>::max()})
            throw XZBX2BadFormat();
        return CCommon{static_cast<int32_t>(frames), rate};
    });
}

// The data offset of "SSND" (its 8-byte header and the offset it gives),
// checked to leave room for every frame.
int32_t ReadDataOffset(CMedia& chunk, int32_t frameCount) {
    return ParseSoundChunk([&] {
        chunk.SetPosition(0);
        const uint32_t offset = ReadU32BE(chunk);
        ReadU32BE(chunk); // block size: alignment only, no meaning for reading
        const int64_t start = int64_t{8} + offset;
        if (start + int64_t{frameCount} * 2 > chunk.GetSize()) throw XZBX2BadFormat();
        return static_cast<int32_t>(start);
    });
}

// The position of the marker with this id, or -1 when "MARK" has none.
int64_t FindMarker(CMedia& chunk, int16_t id) {
    return ParseSoundChunk([&] {
        chunk.SetPosition(0);
        const uint16_t count = ReadU16BE(chunk);
        for (uint16_t i = 0; i < count; ++i) {
            const int16_t markerId = static_cast<int16_t>(ReadU16BE(chunk));
            const uint32_t position = ReadU32BE(chunk);
            // The name: a count byte and the text, padded to an even length.
            const int32_t nameLength = ReadU8(chunk);
            SkipInside(chunk, nameLength + ((nameLength & 1) == 0 ? 1 : 0));
            if (markerId == id) return int64_t{position};
        }
        return int64_t{-1};
    });
}

// The sustain loop of "INST" through its markers. A loop whose markers are
// missing or lie beyond the sound is no loop at all; whether a file needs
// one is its reader's business. The play mode is not looked at: the markers
// alone say where the loop lies.
void ReadLoop(CIFFReader& form, COldAIFFSound& sound) {
    const std::unique_ptr<CMedia> instrument = form.FindChunk(kInstrumentId);
    const std::unique_ptr<CMedia> markers = form.FindChunk(kMarkerId);
    if (!instrument || !markers) return;
    const auto [beginId, endId] = ParseSoundChunk([&] {
        instrument->SetPosition(0);
        SkipInside(*instrument, 8); // notes, velocities and gain
        ReadU16BE(*instrument); // sustain play mode
        const int16_t begin = static_cast<int16_t>(ReadU16BE(*instrument));
        const int16_t end = static_cast<int16_t>(ReadU16BE(*instrument));
        return std::pair<int16_t, int16_t>(begin, end);
    });
    const int64_t start = FindMarker(*markers, beginId);
    const int64_t end = FindMarker(*markers, endId);
    if (start < 0 || end < 0 || start > sound.fFrameCount || end > sound.fFrameCount) return;
    sound.fHasLoop = true;
    sound.fLoopStart = static_cast<int32_t>(start);
    sound.fLoopEnd = static_cast<int32_t>(end);
}

CIFFReader& CheckedForm(CIFFReader& form) {
    if (form.GetKind() != EChunkKind::kForm || !(form.GetType() == kAIFFType)) throw XBadFormat();
    return form;
}

CMedia& AtStart(CMedia& media) {
    media.SetPosition(0);
    return media;
}

} // namespace

COldAIFFSound ReadOldAIFFSound(CIFFReader& form) {
    const std::unique_ptr<CMedia> common = form.FindChunk(kCommonId);
    const std::unique_ptr<CMedia> data = form.FindChunk(kSoundDataId);
    if (!common || !data) throw XZBX2BadFormat();
    const CCommon c = ReadCommon(*common);
    COldAIFFSound sound;
    sound.fSampleRate = c.fSampleRate;
    sound.fFrameCount = c.fFrameCount;
    sound.fDataOffset = ReadDataOffset(*data, c.fFrameCount);
    ReadLoop(form, sound);
    return sound;
}

int32_t OldFileOriginalTempo(int64_t loopFrames, int32_t sampleRate, int64_t beats) {
    const double rate =
        std::clamp(sampleRate, CZubrikSampler::kMinimumOutputRate, CZubrikSampler::kMaximumOutputRate);
    const double minutes = double(loopFrames) / (rate * 60.0);
    if (minutes <= 0) return 0;
    const double tempo = double(beats) / minutes * 1000.0 + 0.5;
    return static_cast<int32_t>(std::clamp(tempo, 0.0, 999999.0));
}

uint16_t BlockU16(const std::vector<uint8_t>& block, size_t at) {
    return static_cast<uint16_t>((block[at] << 8) | block[at + 1]);
}

uint32_t BlockU32(const std::vector<uint8_t>& block, size_t at) {
    return (uint32_t{BlockU16(block, at)} << 16) | BlockU16(block, at + 2);
}

// ---- CABCOldZubrikFile ----

std::unique_ptr<CABCOldZubrikFile> CABCOldZubrikFile::Open(const std::u16string& kind, CMedia& media) {
    if (kind == kOldDocumentKind) return OpenOldDocumentFile(media);
    if (kind == kOldLoopKind) return OpenOldLoopFile(media);
    throw XZBX2UnsupportedFormat();
}

CABCOldZubrikFile::CABCOldZubrikFile(CMedia& media) : fForm(AtStart(media)) {
    CheckedForm(fForm);
    fSound = ReadOldAIFFSound(fForm);
    fSoundData = fForm.FindChunk(kSoundDataId);
}

bool CABCOldZubrikFile::ReadApplicationBlock(const CFourCharCode& signature, int32_t maxSize,
                                             std::vector<uint8_t>& block) {
    const std::unique_ptr<CMedia> chunk = fForm.FindChunk(kApplicationId);
    if (!chunk || chunk->GetSize() < 4) return false;
    chunk->SetPosition(0);
    if (!(CFourCharCode::Read(*chunk) == signature)) return false;
    block.resize(static_cast<size_t>(std::min(chunk->GetSize() - 4, maxSize)));
    ReadBytes(*chunk, static_cast<int32_t>(block.size()), block.data());
    return true;
}

void CABCOldZubrikFile::CopyFrames(int32_t first, int32_t count, CABCWaveSample& wave, int32_t to,
                                   CZBX2DecompressCallback& callback) {
    uint8_t bytes[kBlockFrames * 2];
    int16_t values[kBlockFrames];
    for (int32_t done = 0; done < count;) {
        if (callback.Progress(to + done)) throw XZBX2UserAborted();
        const int32_t n = std::min(kBlockFrames, count - done);
        fSoundData->ReadAt(fSound.fDataOffset + (first + done) * 2, n * 2, bytes);
        for (int32_t i = 0; i < n; ++i)
            values[i] = static_cast<int16_t>((bytes[2 * i] << 8) | bytes[2 * i + 1]);
        wave.SetInt16s(to + done, n, values, 1);
        done += n;
    }
}

} // namespace NSZubrik
