#include "io/WaveMarkers.h"

#include "app/ZubrikErrors.h"
#include "tambor/Media.h"

#include <algorithm>
#include <map>

namespace NSWaveMarkers {

namespace {

// Bytes of one cue point: identifier, play position, data chunk identifier,
// chunk start, block start, sample offset.
constexpr uint32_t kCuePointSize = 24;

uint32_t LittleWord(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

void PutWord(std::vector<uint8_t>& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(value >> (8 * i)));
}

void PutId(std::vector<uint8_t>& bytes, const char (&id)[5])
{
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(id[i]));
}

bool IsId(const uint8_t* bytes, const char (&id)[5])
{
    return std::equal(bytes, bytes + 4, id);
}

// A chunk found inside the RIFF form: where its data starts and its size,
// already checked to lie within the file.
struct SChunk {
    int64_t fData = -1;
    uint32_t fSize = 0;
};

std::vector<uint8_t> ReadBytes(NSTambor::CMedia& media, const SChunk& chunk)
{
    std::vector<uint8_t> bytes(chunk.fSize);
    if (chunk.fSize > 0) media.ReadAt(int32_t(chunk.fData), int32_t(chunk.fSize), bytes.data());
    return bytes;
}

// The labels of an "adtl" list: cue identifier to text. Entries that run
// past the list end the walk; a text ends at its first zero byte.
std::map<uint32_t, std::string> ReadLabels(const std::vector<uint8_t>& list)
{
    std::map<uint32_t, std::string> labels;
    for (size_t at = 4; at + 8 <= list.size();) {
        const uint32_t size = LittleWord(&list[at + 4]);
        if (size > list.size() - at - 8) break;
        if (IsId(&list[at], "labl") && size >= 4) {
            const auto text = list.begin() + std::ptrdiff_t(at + 12);
            const auto end = std::find(text, text + std::ptrdiff_t(size - 4), uint8_t(0));
            std::string label(text, end);
            if (label.size() > kMaxLabelLength) label.resize(kMaxLabelLength);
            labels.emplace(LittleWord(&list[at + 8]), std::move(label));
        }
        at += 8 + size + (size & 1);
    }
    return labels;
}

} // namespace

SMarkerList ReadMarkers(NSTambor::CMedia& media)
{
    SMarkerList result;
    const int64_t fileSize = media.GetSize();
    uint8_t header[12];
    if (fileSize < 12) return result;
    media.ReadAt(0, 12, header);
    if (!IsId(header, "RIFF") || !IsId(header + 8, "WAVE")) return result;
    const int64_t end = std::min<int64_t>(fileSize, 8 + int64_t(LittleWord(header + 4)));
    SChunk cue;
    SChunk labels;
    for (int64_t at = 12; at + 8 <= end;) {
        uint8_t chunk[12] = {};
        media.ReadAt(int32_t(at), at + 12 <= end ? 12 : 8, chunk);
        const uint32_t size = LittleWord(chunk + 4);
        // A chunk running past the file ends the walk: nothing after it can
        // be trusted.
        if (int64_t(size) > end - at - 8) break;
        if (IsId(chunk, "cue ") && cue.fData < 0)
            cue = {at + 8, size};
        else if (IsId(chunk, "LIST") && size >= 4 && IsId(chunk + 8, "adtl") && labels.fData < 0)
            labels = {at + 8, size};
        at += 8 + int64_t(size) + (size & 1);
    }
    if (cue.fData < 0 || cue.fSize < 4) return result;

    const std::vector<uint8_t> points = ReadBytes(media, cue);
    const uint32_t count = LittleWord(points.data());
    if (count > (points.size() - 4) / kCuePointSize) {
        // The count promises more points than the chunk holds.
        result.fLeftOut = count;
        return result;
    }
    const std::map<uint32_t, std::string> texts =
        labels.fData < 0 ? std::map<uint32_t, std::string>() : ReadLabels(ReadBytes(media, labels));
    const size_t taken = std::min<size_t>(count, kMaxMarkers);
    result.fLeftOut = count - taken;
    for (size_t i = 0; i < taken; ++i) {
        const uint8_t* point = &points[4 + i * kCuePointSize];
        SMarker marker;
        marker.fPosition = LittleWord(point + 20);
        if (const auto label = texts.find(LittleWord(point)); label != texts.end()) marker.fLabel = label->second;
        result.fMarkers.push_back(std::move(marker));
    }
    return result;
}

std::vector<uint8_t> MarkerChunks(const std::vector<SMarker>& markers)
{
    std::vector<uint8_t> bytes;
    PutId(bytes, "cue ");
    PutWord(bytes, uint32_t(4 + markers.size() * kCuePointSize));
    PutWord(bytes, uint32_t(markers.size()));
    for (size_t i = 0; i < markers.size(); ++i) {
        PutWord(bytes, uint32_t(i + 1));
        PutWord(bytes, markers[i].fPosition);
        PutId(bytes, "data");
        PutWord(bytes, 0);
        PutWord(bytes, 0);
        PutWord(bytes, markers[i].fPosition);
    }
    std::vector<uint8_t> list;
    PutId(list, "adtl");
    for (size_t i = 0; i < markers.size(); ++i) {
        const std::string label = markers[i].fLabel.substr(0, kMaxLabelLength);
        const uint32_t size = uint32_t(4 + label.size() + 1);
        PutId(list, "labl");
        PutWord(list, size);
        PutWord(list, uint32_t(i + 1));
        for (const char c : label) list.push_back(uint8_t(c));
        list.push_back(0);
        if (size & 1) list.push_back(0);
    }
    PutId(bytes, "LIST");
    PutWord(bytes, uint32_t(list.size()));
    bytes.insert(bytes.end(), list.begin(), list.end());
    return bytes;
}

void AppendChunks(NSTambor::CMedia& media, const std::vector<uint8_t>& chunks)
{
    int64_t size = media.GetSize();
    if (size < 12) throw NSZubrik::XInvariantCorrupt();
    if (size & 1) {
        const uint8_t pad = 0;
        media.WriteAt(int32_t(size), 1, &pad);
        ++size;
    }
    const int64_t total = size + int64_t(chunks.size());
    if (total - 8 > int64_t(UINT32_MAX) || total > INT32_MAX) throw NSZubrik::XDiskFull();
    media.WriteAt(int32_t(size), int32_t(chunks.size()), chunks.data());
    std::vector<uint8_t> riffSize;
    PutWord(riffSize, uint32_t(total - 8));
    media.WriteAt(4, 4, riffSize.data());
}

} // namespace NSWaveMarkers
