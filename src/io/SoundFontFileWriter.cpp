#include "io/SoundFontFileWriter.h"

#include "app/ZubrikErrors.h"
#include "tambor/ByteBuilder.h"
#include "tambor/Media.h"

#include <algorithm>

namespace NSTambor {

namespace {

// Generator numbers of the SoundFont 2 format.
constexpr uint16_t kGenPan = 17;
constexpr uint16_t kGenInstrument = 41;
constexpr uint16_t kGenKeyRange = 43;
constexpr uint16_t kGenSampleID = 53;
constexpr uint16_t kGeneratorsPerZone = 3;
constexpr int32_t kModulatorRecordSize = 10;

// Little-endian records built in memory and written as one piece.
class CRecordBytes : public CByteBuilder {
public:
    // A fixed 20-byte name: at most 19 characters, zero-filled.
    void Name(const std::string& name)
    {
        constexpr auto kSize = size_t(CSoundFontFileWriter::kNameSize);
        Field(std::string_view(name).substr(0, kSize - 1), kSize);
    }
    void WriteTo(CMedia& media) const
    {
        if (Size() > 0)
            WriteBytes(media, static_cast<int32_t>(Size()), Data().data());
    }
};

void WriteChunk(CMedia& parent, const char (&id)[5], const CRecordBytes& bytes)
{
    CRIFFWriter2 chunk(parent);
    chunk.BeginChunk(CFourCharCode(id));
    bytes.WriteTo(chunk.GetMedia());
    chunk.End();
}

// A text sub-chunk of INFO: cut to 255 characters and ended by one or two
// zero bytes so that its size is even.
void WriteTextChunk(CMedia& parent, const char (&id)[5], const std::string& text)
{
    if (text.empty())
        return;
    const std::string cut = text.substr(0, CSoundFontFileWriter::kMaxTextLength);
    CRecordBytes bytes;
    for (const char c : cut)
        bytes.U8(static_cast<uint8_t>(c));
    bytes.Zeros(cut.size() % 2 == 1 ? 1 : 2);
    WriteChunk(parent, id, bytes);
}

void PresetHeader(CRecordBytes& bytes, const std::string& name, uint16_t bagIndex)
{
    bytes.Name(name);
    bytes.U16LE(0); // preset
    bytes.U16LE(0); // bank
    bytes.U16LE(bagIndex);
    bytes.U32LE(0); // library
    bytes.U32LE(0); // genre
    bytes.U32LE(0); // morphology
}

void Bag(CRecordBytes& bytes, uint16_t generatorIndex, uint16_t modulatorIndex)
{
    bytes.U16LE(generatorIndex);
    bytes.U16LE(modulatorIndex);
}

void Generator(CRecordBytes& bytes, uint16_t generator, uint16_t amount)
{
    bytes.U16LE(generator);
    bytes.U16LE(amount);
}

void SampleHeader(CRecordBytes& bytes, const CSoundFontSampleParams& params, uint16_t link)
{
    bytes.Name(params.fName);
    bytes.U32LE(params.fStart);
    bytes.U32LE(params.fEnd);
    bytes.U32LE(params.fStart); // loop start
    bytes.U32LE(params.fEnd);   // loop end
    bytes.U32LE(params.fSampleRate);
    bytes.U8(params.fOriginalKey);
    bytes.U8(0); // pitch correction
    bytes.U16LE(link);
    bytes.U16LE(static_cast<uint16_t>(params.fSampleType));
}

} // namespace

uint16_t CSoundFontSampleParamList::GetLink(int32_t index) const
{
    switch ((*this)[index].fSampleType) {
    case CSoundFontSampleParams::kLeft:
        return static_cast<uint16_t>(index + 1);
    case CSoundFontSampleParams::kRight:
        return static_cast<uint16_t>(index - 1);
    default:
        return 0;
    }
}

int16_t CSoundFontSampleParamList::GetPan(int32_t index) const
{
    switch ((*this)[index].fSampleType) {
    case CSoundFontSampleParams::kLeft:
        return -500;
    case CSoundFontSampleParams::kRight:
        return 500;
    default:
        return 0;
    }
}

CSoundFontFileWriter::CSoundFontFileWriter(CMedia& media) : fBank(media) {}

void CSoundFontFileWriter::WriteInfo(const std::string& bankName, const std::string& comment)
{
    fBank.BeginRiff(CFourCharCode("sfbk"));
    CRIFFWriter2 info(fBank.GetMedia());
    info.BeginList(CFourCharCode("INFO"));
    CMedia& media = info.GetMedia();
    CRecordBytes version;
    version.U16LE(2);
    version.U16LE(0);
    WriteChunk(media, "ifil", version);
    CRecordBytes engine;
    for (const char c : std::string("EMU8000"))
        engine.U8(static_cast<uint8_t>(c));
    engine.U8(0);
    WriteChunk(media, "isng", engine);
    WriteTextChunk(media, "INAM", bankName);
    WriteTextChunk(media, "ICMT", comment);
    info.End();
}

void CSoundFontFileWriter::BeginSampleData()
{
    if (fList)
        throw NSZubrik::XIllegalCallSequence();
    fList.emplace(fBank.GetMedia());
    fList->BeginList(CFourCharCode("sdta"));
    fChunk.emplace(fList->GetMedia());
    fChunk->BeginChunk(CFourCharCode("smpl"));
}

void CSoundFontFileWriter::WriteSamplePoints(const int16_t* points, int32_t count)
{
    if (!fChunk)
        throw NSZubrik::XIllegalCallSequence();
    uint8_t bytes[2048];
    CMedia& media = fChunk->GetMedia();
    for (int32_t done = 0; done < count;) {
        const int32_t n = std::min<int32_t>(count - done, sizeof(bytes) / 2);
        for (int32_t i = 0; i < n; ++i) {
            const auto value = static_cast<uint16_t>(points[done + i]);
            bytes[2 * i] = static_cast<uint8_t>(value);
            bytes[2 * i + 1] = static_cast<uint8_t>(value >> 8);
        }
        WriteBytes(media, 2 * n, bytes);
        done += n;
    }
    fPointCount += static_cast<uint32_t>(count);
}

void CSoundFontFileWriter::EndSample()
{
    const int16_t gap[kSampleGap] = {};
    WriteSamplePoints(gap, kSampleGap);
}

void CSoundFontFileWriter::EndSampleData()
{
    if (!fChunk)
        throw NSZubrik::XIllegalCallSequence();
    fChunk->End();
    fChunk.reset();
    fList->End();
    fList.reset();
}

void CSoundFontFileWriter::WritePresetData(const std::string& presetName, const CSoundFontSampleParamList& samples)
{
    const int32_t zones = samples.GetCount();
    const auto zoneCount = static_cast<uint16_t>(zones);
    CRIFFWriter2 list(fBank.GetMedia());
    list.BeginList(CFourCharCode("pdta"));
    CMedia& media = list.GetMedia();

    CRecordBytes presets;
    PresetHeader(presets, presetName, 0);
    PresetHeader(presets, "EOP", 1);
    WriteChunk(media, "phdr", presets);
    CRecordBytes presetBags;
    Bag(presetBags, 0, 0);
    Bag(presetBags, 1, 0);
    WriteChunk(media, "pbag", presetBags);
    CRecordBytes terminalModulator;
    terminalModulator.Zeros(kModulatorRecordSize);
    WriteChunk(media, "pmod", terminalModulator);
    CRecordBytes presetGenerators;
    Generator(presetGenerators, kGenInstrument, 0);
    Generator(presetGenerators, 0, 0);
    WriteChunk(media, "pgen", presetGenerators);

    CRecordBytes instruments;
    instruments.Name(presetName);
    instruments.U16LE(0);
    instruments.Name("EOI");
    instruments.U16LE(zoneCount);
    WriteChunk(media, "inst", instruments);
    CRecordBytes instrumentBags;
    for (int32_t zone = 0; zone <= zones; ++zone)
        Bag(instrumentBags, static_cast<uint16_t>(kGeneratorsPerZone * zone), 0);
    WriteChunk(media, "ibag", instrumentBags);
    WriteChunk(media, "imod", terminalModulator);
    CRecordBytes instrumentGenerators;
    for (int32_t zone = 0; zone < zones; ++zone) {
        const uint8_t key = samples[zone].fKey;
        Generator(instrumentGenerators, kGenKeyRange, static_cast<uint16_t>(key | key << 8));
        Generator(instrumentGenerators, kGenPan, static_cast<uint16_t>(samples.GetPan(zone)));
        Generator(instrumentGenerators, kGenSampleID, static_cast<uint16_t>(zone));
    }
    Generator(instrumentGenerators, 0, 0);
    WriteChunk(media, "igen", instrumentGenerators);

    CRecordBytes sampleHeaders;
    for (int32_t index = 0; index < zones; ++index)
        SampleHeader(sampleHeaders, samples[index], samples.GetLink(index));
    CSoundFontSampleParams terminal;
    terminal.fName = "EOS";
    terminal.fSampleType = 0;
    SampleHeader(sampleHeaders, terminal, 0);
    WriteChunk(media, "shdr", sampleHeaders);

    list.End();
    fBank.End();
}

} // namespace NSTambor
