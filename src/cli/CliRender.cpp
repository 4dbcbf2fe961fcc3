// render: the preview as heard, rendered offline through the document's
// own sequencer.
//
// The render is defined so that its output is reproducible: the document is
// opened as usual, the settings flags are applied as document commands (with
// preview switched on), and the engine's offline renderer plays the loop from
// its first segment on a copy of the document's sequencer. The sequencer
// works on a fixed grid of blocks, so the frames do not depend on the size of
// the pieces the renderer asks for.
#include <cmath>
#include <iostream>
#include <vector>

#include "app/ResourceIds.h"
#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"
#include "cli/CliCommands.h"
#include "cli/CliSession.h"
#include "cli/CliWaveFiles.h"
#include "document/ZubrikDocument.h"
#include "engine/OfflineRenderer.h"
#include "io/SoundFileWriter.h"

namespace NSZubrikCli {

using namespace NSZubrik;

namespace {

// Longer renders than this are refused (over an hour at 48 kHz).
constexpr double kMaximumSeconds = 3600.0;

struct SRenderLength {
    std::optional<double> fSeconds;
    std::optional<int32_t> fLoops;
};

SRenderLength ParseLength(const CArguments& args)
{
    SRenderLength length;
    if (args.Has("--seconds") && args.Has("--loops"))
        UsageError("give either --seconds or --loops, not both");
    length.fSeconds = args.Seconds("--seconds", kMaximumSeconds);
    length.fLoops = args.Integer("--loops", 1, 1000);
    return length;
}

int32_t ParseBits(const CArguments& args)
{
    // 24 bits by default, so that the render opens in Zubrik again.
    const std::string bits = args.Value("--bits").value_or("24");
    if (bits == "16")
        return 16;
    if (bits == "24")
        return 24;
    if (bits == "32f")
        return kFloatBits;
    UsageError("--bits takes 16, 24 or 32f, not \"" + bits + "\"");
}

// Frames to render: the seconds given, or whole loops at the preview tempo.
int32_t FramesToRender(const CZubrikDocument& document, const SRenderLength& length, int32_t rate)
{
    double seconds = 0.0;
    if (length.fSeconds) {
        seconds = *length.fSeconds;
    } else {
        const int32_t beats = document.GetLoopLengthInBeats();
        seconds = document.IsTempoMode()
                      ? beats * 60000.0 / document.GetPreviewTempo()
                      : double(document.GetRightLocator() - document.GetLeftLocator()) /
                            document.GetWaveSample().GetSampleRate();
        seconds *= length.fLoops.value_or(1);
    }
    if (seconds > kMaximumSeconds)
        UsageError("the render would last more than an hour; give --seconds");
    return std::max(1, static_cast<int32_t>(std::lround(seconds * rate)));
}

void Render(CConsoleSession& session, const CZubrikDocument& document, const std::filesystem::path& output,
            int32_t bits, int32_t frameCount)
{
    COfflineRenderer renderer(document.GetSequencer());
    WriteOutput(output, [&] {
        CZubrikLengthyOperation operation(u"Frames left to render:", ProgressText(NSStrings::kCancel), true,
                                          session.GetLengthyServices());
        CRenderedWaveWriter writer(output, renderer.GetOutputSampleRate(), document.GetWaveSample().IsStereo(),
                                   bits, frameCount);
        renderer.SetProgress([&](int32_t done, int32_t total) {
            if ((done & 0xFFFF) != 0)
                return true;
            operation.SetCount(total - done);
            operation.SetPercent(int32_t(int64_t(done) * 100 / total));
            return !operation.StopRequested();
        });
        renderer.RenderLoop(frameCount, [&](const float* left, const float* right, int32_t count) {
            writer.Write(left, right, count);
        });
        writer.Commit();
        operation.Finish();
    });
}

SFlagSet RenderFlags()
{
    SFlagSet flags = CommonFlags();
    AddSettingsFlags(flags);
    flags.fValued.insert({"--output", "--seconds", "--loops", "--bits", "--rate"});
    return flags;
}

} // namespace

int RunRender(const TArguments& arguments)
{
    CArguments args(arguments, RenderFlags());
    if (args.GetFiles().size() != 1)
        UsageError("render takes one file");
    const std::filesystem::path output = args.RequireOutput();
    if (KindOfOutput(output) != ESoundFileKind::kWave)
        UsageError("render writes a WAVE file (.wav): " + DisplayPath(output));
    const SSettings settings = ParseSettings(args);
    const SRenderLength length = ParseLength(args);
    const int32_t bits = ParseBits(args);
    // The rates the sequencer renders at.
    const std::optional<int32_t> rate =
        args.Integer("--rate", CZubrikSampler::kMinimumOutputRate, CZubrikSampler::kMaximumOutputRate);
    CConsoleSession session(args);
    std::unique_ptr<CZubrikDocument> document = session.OpenDocument(args.GetFiles()[0]);
    session.RefuseOutputOverInput(output);
    session.RefuseReplacing(output);
    session.ApplySettings(*document, settings, true, true);
    session.RequireSoundingSlices(*document, args.GetFiles()[0]);
    // The sound's own rate unless --rate says otherwise.
    document->GetSequencer().SetOutputSampleRate(rate.value_or(document->GetWaveSample().GetSampleRate()));
    const int32_t frames = FramesToRender(*document, length, document->GetSequencer().GetOutputSampleRate());
    Render(session, *document, output, bits, frames);
    session.CommitOutputs();
    return kExitSuccess;
}

} // namespace NSZubrikCli
