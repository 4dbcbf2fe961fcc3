// The layout of "Zubrik Preferences File.prf": a big-endian IFF form "PREF"
// with "HEAD", "GNRL", "AUDI", "PCOL" and, when there are recent documents,
// "RECD". Reading checks every field before any value is handed on.
#include "io/Preferences.h"

#include <algorithm>

#include "app/ZubrikErrors.h"
#include "platform/DiskKitUtils.h"
#include "tambor/FourCharCode.h"
#include "tambor/IFFFileReader.h"
#include "tambor/IFFFileWriter.h"
#include "tambor/Media.h"
#include "tambor/Version.h"

namespace NSZubrik {

using NSTambor::CFourCharCode;
using NSTambor::CMedia;

namespace {

constexpr uint32_t kMagic = 0x760B1EED;
constexpr NSTambor::CVersion kPreferencesVersion(2, 0, 0);
constexpr uint16_t kWrittenColorCount = 16;
constexpr int32_t kFlagCount = 8;
constexpr int32_t kIgnoredFlagBytes = 3;

constexpr uint8_t kDisplayStyleBase = 32;     // 32, 33, 34
constexpr uint8_t kConversionModeBase = 12;   // 12, 13, 14
constexpr uint8_t kPositionUnitTime = 24;
constexpr uint8_t kPositionUnitSamples = 23;

constexpr int32_t kMinimumRate = 11025;
constexpr int32_t kMaximumRate = 96000;

int32_t Remaining(CMedia& media) { return media.GetSize() - media.GetPosition(); }

// A 32-bit length that must fit in what is left of the chunk.
int32_t ReadLength(CMedia& media)
{
    const uint32_t length = NSTambor::ReadU32BE(media);
    if (length > uint32_t(Remaining(media)))
        throw XBadFormat();
    return static_cast<int32_t>(length);
}

// 8-bit text as stored; anything outside plain ASCII cannot be taken over
// and becomes "_".
std::string ReadNarrowText(CMedia& media, int32_t length)
{
    std::string text(static_cast<size_t>(length), '\0');
    NSTambor::ReadBytes(media, length, text.data());
    for (char& c : text)
        if (static_cast<unsigned char>(c) >= 128 || c == '\0')
            c = '_';
    return text;
}

std::u16string Widen(const std::string& text) { return std::u16string(text.begin(), text.end()); }

std::string Narrow(const std::u16string& text)
{
    std::string narrow;
    for (char16_t c : text)
        narrow.push_back(c < 128 && c != 0 ? static_cast<char>(c) : '_');
    return narrow;
}

void WriteText(CMedia& media, const std::string& text)
{
    NSTambor::WriteU32BE(media, static_cast<uint32_t>(text.size()));
    NSTambor::WriteBytes(media, static_cast<int32_t>(text.size()), text.data());
}

bool IsRate(int32_t rate) { return rate >= kMinimumRate && rate <= kMaximumRate; }
bool IsDepth(int32_t depth) { return depth == 16 || depth == 24; }

bool* FlagAt(SPreferenceValues& v, int32_t index)
{
    bool* const flags[kFlagCount] = {&v.fViewStereoAsSum, &v.fScrollDuringPlayback, &v.fAutoPlay,
                                     &v.fSetBarsToOne, &v.fLayoutOption, &v.fAlwaysMoveLeftLocator,
                                     &v.fNoRingOut, &v.fLargeToolbarIcons};
    return flags[index];
}

std::unique_ptr<CMedia> RequiredChunk(NSTambor::CIFFFileReader& reader, const CFourCharCode& id)
{
    std::unique_ptr<CMedia> chunk = reader.FindChunkMedia(id);
    if (!chunk)
        throw XBadFormat();
    return chunk;
}

void ReadHead(CMedia& media)
{
    if (NSTambor::ReadU32BE(media) != kMagic)
        throw XBadFormat();
    if (NSTambor::CVersion::Read(media) != kPreferencesVersion)
        throw XPreferencesFileBadFormat();
}

void ReadGeneral(CMedia& media, SPreferenceValues& v)
{
    const uint8_t style = NSTambor::ReadU8(media);
    if (style < kDisplayStyleBase || style > kDisplayStyleBase + 2)
        throw XBadFormat();
    v.fDisplayStyle = style - kDisplayStyleBase;
    const uint8_t unit = NSTambor::ReadU8(media);
    if (unit != kPositionUnitTime && unit != kPositionUnitSamples)
        throw XBadFormat();
    v.fPositionUnit = unit == kPositionUnitTime ? 0 : 1;
    NSTambor::ReadBytes(media, 3, v.fWaveformColor.data());
    v.fContrast = NSTambor::ReadU8(media);
    for (int32_t i = 0; i < kFlagCount; ++i)
        *FlagAt(v, i) = NSTambor::ReadU8(media) != 0;
    uint8_t ignored[kIgnoredFlagBytes];
    NSTambor::ReadBytes(media, kIgnoredFlagBytes, ignored);
    for (int32_t& counter : v.fNoticeCounters)
        counter = static_cast<int32_t>(NSTambor::ReadU32BE(media));
    const int32_t typeLength = ReadLength(media);
    if (size_t(typeLength) > SPreferenceValues::kMaximumExportTypeLength)
        throw XBadFormat();
    v.fExportFileType = ReadNarrowText(media, typeLength);
    v.fExportSampleRate = static_cast<int32_t>(NSTambor::ReadU32BE(media));
    v.fExportBitDepth = static_cast<int32_t>(NSTambor::ReadU32BE(media));
    v.fExportMidiFile = NSTambor::ReadU8(media) != 0;
    const uint8_t mode = NSTambor::ReadU8(media);
    if (mode < kConversionModeBase || mode > kConversionModeBase + 2)
        throw XBadFormat();
    v.fConversionMode = mode - kConversionModeBase;
    v.fConversionSampleRate = static_cast<int32_t>(NSTambor::ReadU32BE(media));
    v.fConversionBitDepth = static_cast<int32_t>(NSTambor::ReadU32BE(media));

    const bool valid = v.fContrast <= 100 && IsRate(v.fExportSampleRate) && IsRate(v.fConversionSampleRate) &&
                       IsDepth(v.fExportBitDepth) && IsDepth(v.fConversionBitDepth);
    if (!valid)
        throw XBadFormat();
}

void ReadColors(CMedia& media, SPreferenceValues& v)
{
    const uint16_t count = NSTambor::ReadU16BE(media);
    if (int32_t(count) * 3 > Remaining(media))
        throw XBadFormat();
    v.fColorTable.assign(count, TColor{});
    for (TColor& color : v.fColorTable)
        NSTambor::ReadBytes(media, 3, color.data());
}

void ReadRecent(CMedia& media, std::vector<SRecentEntry>& recent)
{
    if (NSTambor::CVersion::Read(media) != kPreferencesVersion)
        throw XBadFormat();
    const uint8_t count = NSTambor::ReadU8(media);
    for (uint8_t i = 0; i < count; ++i) {
        const int32_t referenceLength = ReadLength(media);
        if (referenceLength < 1)
            throw XBadFormat();
        std::string reference(static_cast<size_t>(referenceLength), '\0');
        NSTambor::ReadBytes(media, referenceLength, reference.data());
        if (reference.back() != '\0')
            throw XBadFormat();
        reference.pop_back();
        const std::string name = ReadNarrowText(media, ReadLength(media));
        try {
            recent.push_back({NSDiskKitUtils::MakeFromReference(reference), Widen(name)});
        } catch (const XResultingItemNotFound&) {
            // A file that can no longer be found is dropped from the list.
        }
    }
}

void WriteGeneral(CMedia& media, const SPreferenceValues& v)
{
    NSTambor::WriteU8(media, uint8_t(kDisplayStyleBase + v.fDisplayStyle));
    NSTambor::WriteU8(media, v.fPositionUnit == 0 ? kPositionUnitTime : kPositionUnitSamples);
    NSTambor::WriteBytes(media, 3, v.fWaveformColor.data());
    NSTambor::WriteU8(media, uint8_t(v.fContrast));
    SPreferenceValues copy = v;
    for (int32_t i = 0; i < kFlagCount; ++i)
        NSTambor::WriteU8(media, *FlagAt(copy, i) ? 1 : 0);
    const uint8_t ignored[kIgnoredFlagBytes] = {0, 0, 0};
    NSTambor::WriteBytes(media, kIgnoredFlagBytes, ignored);
    for (int32_t counter : v.fNoticeCounters)
        NSTambor::WriteU32BE(media, static_cast<uint32_t>(counter));
    WriteText(media, v.fExportFileType.substr(0, SPreferenceValues::kMaximumExportTypeLength));
    NSTambor::WriteU32BE(media, static_cast<uint32_t>(v.fExportSampleRate));
    NSTambor::WriteU32BE(media, static_cast<uint32_t>(v.fExportBitDepth));
    NSTambor::WriteU8(media, v.fExportMidiFile ? 1 : 0);
    NSTambor::WriteU8(media, uint8_t(kConversionModeBase + v.fConversionMode));
    NSTambor::WriteU32BE(media, static_cast<uint32_t>(v.fConversionSampleRate));
    NSTambor::WriteU32BE(media, static_cast<uint32_t>(v.fConversionBitDepth));
}

void WriteColors(CMedia& media, const SPreferenceValues& v)
{
    // Always sixteen entries: the table's own, then the standard ones.
    const std::vector<TColor> standard = SPreferenceValues::StandardColorTable();
    NSTambor::WriteU16BE(media, kWrittenColorCount);
    for (size_t i = 0; i < kWrittenColorCount; ++i) {
        const TColor& color = i < v.fColorTable.size() ? v.fColorTable[i] : standard[i];
        NSTambor::WriteBytes(media, 3, color.data());
    }
}

void WriteRecent(CMedia& media, const std::vector<SRecentEntry>& recent)
{
    kPreferencesVersion.Write(media);
    const size_t count = std::min(recent.size(), CRecentlyUsedDocuments::kMaximumEntries);
    NSTambor::WriteU8(media, static_cast<uint8_t>(count));
    for (size_t i = 0; i < count; ++i) {
        const std::string reference = NSDiskKitUtils::GetReference(recent[i].fFile);
        NSTambor::WriteU32BE(media, static_cast<uint32_t>(reference.size() + 1));
        NSTambor::WriteBytes(media, static_cast<int32_t>(reference.size() + 1), reference.c_str());
        WriteText(media, Narrow(recent[i].fName));
    }
}

} // namespace

std::vector<TColor> SPreferenceValues::StandardColorTable()
{
    // The sixteen colours of the classic display palette.
    return {{0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
            {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
            {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
            {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF}};
}

void ReadPreferencesFile(CMedia& media, SPreferenceValues& values, std::vector<SRecentEntry>& recent)
{
    NSTambor::CIFFFileReader reader(media);
    reader.EnterForm("PREF");
    SPreferenceValues read;
    std::vector<SRecentEntry> entries;
    ReadHead(*RequiredChunk(reader, "HEAD"));
    ReadGeneral(*RequiredChunk(reader, "GNRL"), read);
    if (std::unique_ptr<CMedia> audio = reader.FindChunkMedia("AUDI")) {
        read.fAudioSettings.resize(static_cast<size_t>(audio->GetSize()));
        if (!read.fAudioSettings.empty())
            NSTambor::ReadBytes(*audio, audio->GetSize(), read.fAudioSettings.data());
    }
    ReadColors(*RequiredChunk(reader, "PCOL"), read);
    if (std::unique_ptr<CMedia> list = reader.FindChunkMedia("RECD"))
        ReadRecent(*list, entries);
    values = std::move(read);
    recent = std::move(entries);
}

void WritePreferencesFile(CMedia& media, const SPreferenceValues& values, const std::vector<SRecentEntry>& recent)
{
    NSTambor::CIFFFileWriter writer(media);
    writer.BeginForm("PREF");
    writer.BeginChunk("HEAD");
    NSTambor::WriteU32BE(writer.GetCurrentMedia(), kMagic);
    kPreferencesVersion.Write(writer.GetCurrentMedia());
    writer.End();
    writer.BeginChunk("GNRL");
    WriteGeneral(writer.GetCurrentMedia(), values);
    writer.End();
    writer.BeginChunk("AUDI");
    if (!values.fAudioSettings.empty())
        NSTambor::WriteBytes(writer.GetCurrentMedia(), static_cast<int32_t>(values.fAudioSettings.size()),
                             values.fAudioSettings.data());
    writer.End();
    writer.BeginChunk("PCOL");
    WriteColors(writer.GetCurrentMedia(), values);
    writer.End();
    if (!recent.empty()) {
        writer.BeginChunk("RECD");
        WriteRecent(writer.GetCurrentMedia(), recent);
        writer.End();
    }
    writer.End();
}

} // namespace NSZubrik
