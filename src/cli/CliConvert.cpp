// convert, save and process: the document's sound and settings written out
// as a loop file or a sound file, after settings flags or a Process command.
#include <algorithm>
#include <iostream>
#include <iterator>

#include "app/ResourceIds.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZubrikFile.h"
#include "cli/CliCommands.h"
#include "cli/CliSession.h"
#include "cli/CliWaveFiles.h"
#include "document/SampleProcessing.h"
#include "document/ZubrikDocument.h"

namespace NSZubrikCli {

using namespace NSZubrik;

namespace {

ESoundFileKind RequireKind(const std::filesystem::path& output, bool loopFileOnly)
{
    const ESoundFileKind kind = KindOfOutput(output);
    if (loopFileOnly && kind != ESoundFileKind::kLoopFile)
        UsageError("the output must be a loop file (.zx2): " + DisplayPath(output));
    if (kind == ESoundFileKind::kOther)
        UsageError("the output must end in .wav, .aif or .zx2: " + DisplayPath(output));
    return kind;
}

// Writes the document as a loop file through its own Save As path (the
// loop-length question, the safe write and the save alerts included).
void SaveLoopFile(CConsoleSession& session, CZubrikDocument& document, const std::filesystem::path& output)
{
    if (document.SaveTo(output))
        return;
    session.CheckRefusals();
    session.CheckInterrupted();
    WriteFailed(output);
}

void WriteSound(CConsoleSession& session, const CZubrikDocument& document, const std::filesystem::path& output,
                ESoundFileKind kind)
{
    WriteOutput(output, [&] {
        CZubrikLengthyOperation operation(kFramesLeftToSaveText, ProgressText(NSStrings::kCancel), true,
                                          session.GetLengthyServices());
        WriteWaveSample(document.GetWaveSample(), output, kind, operation);
        operation.Finish();
    });
}

void WriteDocument(CConsoleSession& session, CZubrikDocument& document, const std::filesystem::path& output,
                   ESoundFileKind kind)
{
    session.CheckInterrupted();
    if (kind == ESoundFileKind::kLoopFile)
        SaveLoopFile(session, document, output);
    else
        WriteSound(session, document, output, kind);
    session.CommitOutputs();
}

SFlagSet LoopLengthFlags()
{
    SFlagSet flags = CommonFlags();
    flags.fValued.insert({"--output", "--bars", "--beats"});
    return flags;
}

// --bars and --beats (or --bars auto when a loop file is written without
// them) for the loop length.
void ApplyLoopLength(CConsoleSession& session, CZubrikDocument& document, const CArguments& args,
                     ESoundFileKind kind)
{
    SSettings settings;
    ParseLoopLength(args, settings);
    session.ApplySettings(document, settings, false, kind == ESoundFileKind::kLoopFile);
}

// The Process command the flags name; exactly one must be given.
bool RunProcessCommand(CSampleProcessor& processor, const CArguments& args)
{
    const char* const kCommands[] = {"--normalize", "--mono", "--convert", "--crop", "--remove-dc"};
    int given = 0;
    for (const char* command : kCommands)
        given += args.Has(command) ? 1 : 0;
    if (given != 1)
        UsageError("process takes exactly one of --normalize, --mono, --convert, --crop, --remove-dc");
    if (std::optional<std::string> scope = args.Value("--normalize")) {
        if (*scope != "whole" && *scope != "slices")
            UsageError("--normalize takes whole or slices, not \"" + *scope + "\"");
        return processor.Normalize(*scope == "whole" ? ENormalizeScope::kWholeFile : ENormalizeScope::kEachSlice);
    }
    if (std::optional<std::string> source = args.Value("--mono")) {
        if (*source != "left" && *source != "right" && *source != "mix")
            UsageError("--mono takes left, right or mix, not \"" + *source + "\"");
        return processor.ConvertToMono(*source == "left" ? kMonoFromLeft : *source == "right" ? kMonoFromRight
                                                                                                : kMonoMix);
    }
    if (std::optional<std::string> format = args.Value("--convert")) {
        const size_t slash = format->find('/');
        int64_t rate = 0, bits = 16;
        const bool rateOk = ParseInteger(format->substr(0, slash), rate);
        const bool bitsOk = slash == std::string::npos || ParseInteger(format->substr(slash + 1), bits);
        const auto offered = [](const auto& choices, int64_t value) {
            return std::find(std::begin(choices), std::end(choices), value) != std::end(choices);
        };
        if (!rateOk || !bitsOk || !offered(kConvertibleSampleRates, rate) || !offered(kConvertibleBitDepths, bits)) {
            std::string rates;
            for (int32_t choice : kConvertibleSampleRates)
                rates += (rates.empty() ? "" : ", ") + std::to_string(choice);
            UsageError("--convert takes RATE[/BITS]: a rate of " + rates + " and 16 or 24 bits, not \"" + *format +
                       "\"");
        }
        return processor.ConvertSampleFormat(int32_t(rate), int32_t(bits));
    }
    if (args.Has("--crop"))
        return processor.CropLoop();
    return processor.RemoveDC();
}

} // namespace

int RunConvert(const TArguments& arguments)
{
    CArguments args(arguments, LoopLengthFlags());
    if (args.GetFiles().size() != 1)
        UsageError("convert takes one file");
    const std::filesystem::path output = args.RequireOutput();
    const ESoundFileKind kind = RequireKind(output, false);
    CConsoleSession session(args);
    std::unique_ptr<CZubrikDocument> document = session.OpenDocument(args.GetFiles()[0]);
    session.RefuseOutputOverInput(output);
    session.RefuseReplacing(output);
    ApplyLoopLength(session, *document, args, kind);
    WriteDocument(session, *document, output, kind);
    return kExitSuccess;
}

int RunSave(const TArguments& arguments)
{
    SFlagSet flags = CommonFlags();
    AddSettingsFlags(flags);
    flags.fValued.insert("--output");
    CArguments args(arguments, flags);
    if (args.GetFiles().size() != 1)
        UsageError("save takes one file");
    const std::filesystem::path output = args.RequireOutput();
    RequireKind(output, true);
    const SSettings settings = ParseSettings(args);
    CConsoleSession session(args);
    session.AllowWritingOverInput();
    std::unique_ptr<CZubrikDocument> document = session.OpenDocument(args.GetFiles()[0]);
    session.RefuseOutputOverInput(output);
    session.RefuseReplacing(output);
    session.ApplySettings(*document, settings, settings.NeedsPreview(), true);
    WriteDocument(session, *document, output, ESoundFileKind::kLoopFile);
    return kExitSuccess;
}

int RunProcess(const TArguments& arguments)
{
    SFlagSet flags = CommonFlags();
    AddSettingsFlags(flags);
    flags.fValued.insert({"--output", "--normalize", "--mono", "--convert"});
    flags.fSwitches.insert({"--crop", "--remove-dc"});
    CArguments args(arguments, flags);
    if (args.GetFiles().size() != 1)
        UsageError("process takes one file");
    const std::filesystem::path output = args.RequireOutput();
    const ESoundFileKind kind = RequireKind(output, false);
    CConsoleSession session(args);
    std::unique_ptr<CZubrikDocument> document = session.OpenDocument(args.GetFiles()[0]);
    session.RefuseOutputOverInput(output);
    session.RefuseReplacing(output);
    // The settings first, so that --sensitivity tells which slices sound
    // for --normalize slices and the locators bound --crop.
    const SSettings settings = ParseSettings(args);
    session.ApplySettings(*document, settings, settings.NeedsPreview(), kind == ESoundFileKind::kLoopFile);
    if (args.Has("--mono") && !document->GetWaveSample().IsStereo())
        UsageError("--mono needs a stereo sound");
    CSampleProcessor processor(*document, session.GetLengthyServices());
    const bool changed = RunProcessCommand(processor, args);
    session.CheckInterrupted();
    if (!changed)
        std::cerr << "zubrik-cli: the sound needed no change; it is written as it was\n";
    WriteDocument(session, *document, output, kind);
    return kExitSuccess;
}

} // namespace NSZubrikCli
