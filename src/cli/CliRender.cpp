// render: the preview as heard, rendered offline through the document's
// own sequencer.
//
// The render is defined so that its output is reproducible: the document is
// opened as usual, the settings flags are applied as document commands (with
// preview switched on), a copy of the sequencer starts from Stopped with the
// play-loop command, and its render is called for consecutive 256-frame
// pieces, the size the audio output asks for, until the length is reached.
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
#include "engine/Sequencer.h"

namespace NSZubrikCli {

using namespace NSZubrik;

namespace {

constexpr int32_t kPieceFrames = 256;
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
    const std::string bits = args.Value("--bits").value_or("32f");
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
    const CZubrikSequencer& sequencer = document.GetSequencer();
    const int32_t rate = sequencer.GetOutputSampleRate();
    const bool stereo = document.GetWaveSample().IsStereo();
    WriteOutput(output, [&] {
        CZubrikLengthyOperation operation(u"Frames left to render:", ProgressText(NSStrings::kCancel), true,
                                          session.GetLengthyServices());
        CRenderedWaveWriter writer(output, rate, stereo, bits, frameCount);
        // A copy of the document's sequencer, as every offline render uses:
        // it starts stopped with its cursor on the loop's first segment, and
        // the play-loop command is consumed by the first piece. (The
        // document's own sequencer would, once stopped, wait for an audio
        // thread that a render does not have.)
        CZubrikSequencer copy(sequencer);
        copy.StartLoop();
        std::vector<float> left(kPieceFrames), right(kPieceFrames);
        float* const out[2] = {left.data(), right.data()};
        for (int32_t done = 0; done < frameCount;) {
            if ((done & 0xFFFF) == 0) {
                operation.SetCount(frameCount - done);
                operation.SetPercent(int32_t(int64_t(done) * 100 / frameCount));
                if (operation.StopRequested())
                    throw XUserPressedStop();
            }
            copy.Render(out, kPieceFrames);
            const int32_t keep = std::min(kPieceFrames, frameCount - done);
            writer.Write(left.data(), right.data(), keep);
            done += keep;
        }
        writer.Commit();
        operation.Finish();
    });
    session.CheckInterrupted();
}

SFlagSet RenderFlags()
{
    SFlagSet flags = CommonFlags();
    AddSettingsFlags(flags);
    flags.fValued.insert({"--output", "--seconds", "--loops", "--bits"});
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
        UsageError("render writes a WAVE file (.wav): " + output.string());
    const SSettings settings = ParseSettings(args);
    const SRenderLength length = ParseLength(args);
    const int32_t bits = ParseBits(args);
    CConsoleSession session(args);
    std::unique_ptr<CZubrikDocument> document = session.OpenDocument(args.GetFiles()[0]);
    session.ApplySettings(*document, settings, true);
    const int32_t frames = FramesToRender(*document, length, document->GetSequencer().GetOutputSampleRate());
    Render(session, *document, output, bits, frames);
    if (!session.IsQuiet())
        std::cerr << "zubrik-cli: rendered " << frames << " frames at "
                  << document->GetSequencer().GetOutputSampleRate() << " Hz, "
                  << document->GetPreviewTempo() / 1000.0 << " BPM to " << output.string() << '\n';
    return kExitSuccess;
}

} // namespace NSZubrikCli
