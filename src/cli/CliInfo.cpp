// info and slice: what a file holds, and the slices of a loop.
#include <cstdio>
#include <nlohmann/json.hpp>
#include <iostream>
#include <sstream>

#include "app/ZubrikErrors.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZubrikFile.h"
#include "cli/CliCommands.h"
#include "cli/CliSession.h"
#include "document/SliceDetection.h"
#include "document/ZubrikDocument.h"
#include "engine/Sequencer.h"
#include "io/SoundFileReader.h"
#include "tambor/FileNameText.h"

namespace NSZubrikCli {

using namespace NSZubrik;

std::string JsonString(const std::string& bytes)
{
    // JSON is UTF-8: bytes that are not are shown escaped, as in messages.
    return nlohmann::json(NSTambor::DisplayBytes(bytes)).dump();
}

namespace {

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// One "key": value pair per entry, in order.
using TFields = std::vector<std::pair<std::string, std::string>>;

void PrintFields(const std::string& file, const TFields& fields, bool json, bool last)
{
    if (json) {
        std::cout << "  {\"file\": " << JsonString(file);
        for (const auto& [key, value] : fields)
            std::cout << ", " << JsonString(key) << ": " << value;
        std::cout << "}" << (last ? "\n" : ",\n");
        return;
    }
    std::cout << NSTambor::DisplayBytes(file) << ":\n";
    for (const auto& [key, value] : fields)
        std::cout << "  " << key << ": " << (value.size() > 1 && value[0] == '"' ? value.substr(1, value.size() - 2)
                                                                                   : value)
                  << '\n';
}

// The original tempo in BPM, "null" without a loop length.
std::string OriginalTempo(int32_t thousandths)
{
    return thousandths == 0 ? "null" : Fixed(thousandths / 1000.0, 3);
}

TFields SoundFileFields(const CSoundFileReader& reader)
{
    const SoundFileInfo& info = reader.GetInfo();
    TFields fields = {{"format", JsonString(reader.GetSourceFormatName())},
                      {"frames", std::to_string(info.frameCount)},
                      {"seconds", Fixed(info.sampleRate ? double(info.frameCount) / info.sampleRate : 0.0, 3)},
                      {"rate", std::to_string(info.sampleRate)},
                      {"bits", std::to_string(info.bitsPerSample)},
                      {"channels", std::to_string(info.channels)}};
    if (reader.IsLinkedStereoPair())
        fields.push_back({"linked_pair", JsonString(DisplayName(reader.GetPartner()))});
    if (info.loopKind == SoundFileInfo::kUsedLoop)
        fields.push_back({"loop", "[" + std::to_string(info.loopStart) + ", " + std::to_string(info.loopEnd) + "]"});
    else
        fields.push_back({"loop", "null"});
    if (reader.GetKind() == CSoundFileReader::kWaveKind)
        fields.push_back({"markers", std::to_string(reader.GetMarkerPositions().size())});
    return fields;
}

TFields LoopFileFields(const std::filesystem::path& file)
{
    CZubrikFile loop(file);
    const CZubrikFileInfo& info = loop.GetFileInfo();
    const std::string kind = ConsoleText(loop.GetKind());
    TFields fields = {
        {"format", JsonString(kind == ".zx2" ? "ZBX2 loop file" : kind == ".zbx" ? "old loop file" : "old document")},
        {"frames", std::to_string(info.fFrameCount)},
        {"seconds", Fixed(info.fSampleRate ? double(info.fFrameCount) / info.fSampleRate : 0.0, 3)},
        {"rate", std::to_string(info.fSampleRate)},
        {"bits", std::to_string(info.fBitDepth)},
        {"channels", std::to_string(info.fChannels)},
        {"loop", "[" + std::to_string(info.fLoopStart) + ", " + std::to_string(info.fLoopEnd) + "]"},
        {"slices", std::to_string(info.fSliceCount)},
        {"active_slices", std::to_string(info.fActiveSliceCount)},
        {"bars", std::to_string(info.fBars)},
        {"beats", std::to_string(info.fBeats)},
        {"signature", JsonString(std::to_string(info.fSignatureNumerator) + "/" +
                                 std::to_string(info.fSignatureDenominator))},
        {"tempo", Fixed(info.fPreviewTempo / 1000.0, 3)},
        {"original_tempo", OriginalTempo(CZubrikSequencer::OriginalTempoFor(
                               int64_t(info.fLoopEnd) - info.fLoopStart, info.fSampleRate,
                               int64_t(info.fBars) * info.fSignatureNumerator + info.fBeats))},
        {"export_size", std::to_string(info.fExportSize)},
        {"compression_ratio", Fixed(info.fCompressionRatio, 3)},
        {"loop_usage_percent", std::to_string(info.fLoopUsage)}};
    // Only the loop file proper carries creator strings.
    std::string creator = "[";
    if (kind == ".zx2")
        if (std::optional<CZubrikCreatorInfo> strings = loop.ReadCreatorInfo())
            for (size_t i = 0; i < strings->size(); ++i)
                creator += (i ? ", " : "") + JsonString((*strings)[i]);
    fields.push_back({"creator", creator + "]"});
    if (kind == ".zx2") {
        const EChecksumState state = loop.VerifyChecksum();
        fields.push_back({"checksum", JsonString(state == EChecksumState::kAbsent    ? "absent"
                                                 : state == EChecksumState::kMatches ? "matches"
                                                                                     : "does not match")});
    }
    return fields;
}

TFields FileFields(const std::filesystem::path& file)
{
    if (const std::string problem = ReadProblem(file); !problem.empty())
        throw XCliExit(kExitBadInput, "cannot open " + DisplayPath(file) + ": " + problem);
    try {
        CSoundFileReader reader(file.string());
        if (reader.IsLoopFile())
            return LoopFileFields(file);
        return SoundFileFields(reader);
    } catch (const std::exception&) {
        throw XCliExit(kExitBadInput, DisplayPath(file) + ": the file is in an unknown format or corrupt");
    }
}

// The loop's original tempo in BPM, "null" without a loop length.
std::string OriginalTempo(const CZubrikDocument& document)
{
    if (document.GetLoopLengthInBeats() == 0)
        return "null";
    return OriginalTempo(document.GetSequencer().GetOriginalTempo());
}

void SetField(TFields& fields, const std::string& key, const std::string& value)
{
    for (auto& field : fields)
        if (field.first == key) {
            field.second = value;
            return;
        }
    fields.push_back({key, value});
}

// The loop length given by --bars, --beats and --sign, applied to the file
// opened as every job opens it: the length and the original tempo it gives.
void ApplyLoopLength(CConsoleSession& session, const std::filesystem::path& file, const SSettings& settings,
                     TFields& fields)
{
    std::unique_ptr<CZubrikDocument> document = session.OpenDocument(file);
    session.ApplySettings(*document, settings, false);
    SetField(fields, "bars", std::to_string(document->GetBars()));
    SetField(fields, "beats", std::to_string(document->GetBeats()));
    SetField(fields, "signature", JsonString(std::to_string(document->GetSequencer().GetSignatureNumerator()) + "/" +
                                             std::to_string(document->GetSequencer().GetSignatureDenominator())));
    SetField(fields, "original_tempo", OriginalTempo(*document));
}

// The lowest --sensitivity at which the slice shows.
int32_t ShowsFrom(const CSlice& slice)
{
    return NSSliceDetection::LowestSensitivityShowing(slice.GetStrength(), slice.IsLocked());
}

const char* StateName(const CSlice& slice)
{
    return slice.IsMuted() ? "muted" : slice.IsLocked() ? "locked" : "normal";
}

void PrintSlicesJson(const std::filesystem::path& file, const CZubrikDocument& document)
{
    const CABCWaveSample& wave = document.GetWaveSample();
    const CSliceSequence& slices = document.GetSliceSequence();
    std::ostringstream out;
    out << "{\"file\": " << JsonString(file.string()) << ", \"rate\": " << wave.GetSampleRate()
        << ", \"frames\": " << wave.GetFrameCount() << ", \"channels\": " << (wave.IsStereo() ? 2 : 1)
        << ", \"bits\": " << wave.GetBitDepth() << ", \"sensitivity\": " << slices.GetSensitivity()
        << ", \"original_tempo\": " << OriginalTempo(document)
        << ", \"slices\": [";
    bool first = true;
    for (const CSlice& slice : slices) {
        out << (first ? "" : ", ") << "{\"position\": " << slice.GetPosition()
            << ", \"seconds\": " << Fixed(double(slice.GetPosition()) / wave.GetSampleRate(), 6)
            << ", \"strength\": " << slice.GetStrength() << ", \"state\": " << JsonString(StateName(slice))
            << ", \"shown\": " << (slices.IsShown(slice) ? "true" : "false")
            << ", \"active\": " << (slices.IsActive(slice) ? "true" : "false") << ", \"length\": " << slice.GetLength()
            << ", \"shows_from\": " << ShowsFrom(slice) << "}";
        first = false;
    }
    out << "]}\n";
    std::cout << out.str();
}

void PrintSlicesTable(const std::filesystem::path& file, const CZubrikDocument& document)
{
    const CABCWaveSample& wave = document.GetWaveSample();
    const CSliceSequence& slices = document.GetSliceSequence();
    std::ostringstream out;
    out << NSTambor::DisplayText(file) << ": " << slices.GetCount() << " slices, " << document.CountShownSlices()
        << " shown at sensitivity " << slices.GetSensitivity() << " (" << wave.GetFrameCount() << " frames at "
        << wave.GetSampleRate() << " Hz";
    if (document.GetLoopLengthInBeats() > 0)
        out << ", " << OriginalTempo(document) << " BPM in " << document.GetBars() << " bars " << document.GetBeats()
            << " beats";
    out << ")\n";
    out << "     #   position    seconds  strength  state   shown active   length  shows from\n";
    int32_t index = 0;
    for (const CSlice& slice : slices) {
        char line[128];
        std::snprintf(line, sizeof line, "%6d %10d %10.4f %9d  %-7s %-5s %-6s %8d  %10d\n", ++index,
                      slice.GetPosition(), double(slice.GetPosition()) / wave.GetSampleRate(), slice.GetStrength(),
                      StateName(slice), slices.IsShown(slice) ? "yes" : "no", slices.IsActive(slice) ? "yes" : "no",
                      slice.GetLength(), ShowsFrom(slice));
        out << line;
    }
    std::cout << out.str();
}

} // namespace

int RunInfo(const TArguments& arguments)
{
    SFlagSet flags = CommonFlags();
    flags.fSwitches.insert("--json");
    flags.fValued.insert({"--bars", "--beats", "--sign"});
    CArguments args(arguments, flags);
    if (args.GetFiles().empty())
        UsageError("info needs at least one file");
    const bool json = args.Has("--json");
    // Only these settings flags are accepted; ParseSettings reads the rest
    // as absent.
    const SSettings settings = ParseSettings(args);
    const bool lengthGiven = args.Has("--bars") || args.Has("--beats") || args.Has("--sign");
    std::optional<CConsoleSession> session;
    if (lengthGiven)
        session.emplace(args);
    if (json)
        std::cout << "[\n";
    int result = kExitSuccess;
    for (size_t i = 0; i < args.GetFiles().size(); ++i) {
        const std::string& file = args.GetFiles()[i];
        const bool last = i + 1 == args.GetFiles().size();
        try {
            TFields fields = FileFields(file);
            if (session)
                ApplyLoopLength(*session, file, settings, fields);
            PrintFields(file, fields, json, last);
        } catch (const XCliExit& failure) {
            // The other files are still described; the exit code tells.
            std::cerr << "zubrik-cli: " << failure.GetMessage() << '\n';
            if (json)
                std::cout << "  {\"file\": " << JsonString(file) << ", \"error\": " << JsonString(failure.GetMessage())
                          << "}" << (last ? "\n" : ",\n");
            result = failure.GetCode();
        }
    }
    if (json)
        std::cout << "]\n";
    return result;
}

int RunSlice(const TArguments& arguments)
{
    SFlagSet flags = CommonFlags();
    flags.fSwitches.insert("--json");
    flags.fValued.insert({"--sensitivity", "--gate", "--bars", "--beats", "--sign"});
    CArguments args(arguments, flags);
    if (args.GetFiles().size() != 1)
        UsageError("slice takes one file");
    // Only these settings flags are accepted; ParseSettings reads the rest
    // as absent.
    const SSettings settings = ParseSettings(args);
    CConsoleSession session(args);
    const std::filesystem::path file = args.GetFiles()[0];
    std::unique_ptr<CZubrikDocument> document = session.OpenDocument(file);
    session.ApplySettings(*document, settings, false);
    if (args.Has("--json"))
        PrintSlicesJson(file, *document);
    else
        PrintSlicesTable(file, *document);
    return kExitSuccess;
}

} // namespace NSZubrikCli
