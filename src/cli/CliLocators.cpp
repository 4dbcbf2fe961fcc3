// The locators in a musician's units: frames, seconds ("1.5s") or bar:beat
// ("2:1"), turned into frames once the document is open (seconds need its
// rate, bar:beat its loop length).
#include <cmath>
#include <limits>

#include "audiodata/WaveSample.h"
#include "cli/CliOptions.h"
#include "cli/CliSession.h"
#include "document/ZubrikDocument.h"
#include "engine/Sequencer.h"

namespace NSZubrikCli {

using namespace NSZubrik;

SLocator ParseLocator(const std::string& flag, const std::string& text)
{
    auto refuse = [&]() -> SLocator {
        UsageError(flag + " takes frames, seconds (1.5s) or bar:beat (2:1), not \"" + text + "\"");
    };
    SLocator locator;
    locator.fText = text;
    if (const size_t colon = text.find(':'); colon != std::string::npos) {
        int64_t bar = 0, beat = 0;
        if (!ParseInteger(text.substr(0, colon), bar) || !ParseInteger(text.substr(colon + 1), beat) || bar < 1 ||
            beat < 1 || bar > CZubrikDocument::kMaximumBars + 1)
            return refuse();
        locator.fUnit = SLocator::kBarBeat;
        locator.fBar = int32_t(bar);
        locator.fBeat = int32_t(std::min<int64_t>(beat, std::numeric_limits<int32_t>::max()));
        return locator;
    }
    if (!text.empty() && text.back() == 's') {
        const std::string number = text.substr(0, text.size() - 1);
        size_t used = 0;
        double seconds = -1.0;
        try {
            seconds = std::stod(number, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (number.empty() || used != number.size() || !std::isfinite(seconds) || seconds < 0.0)
            return refuse();
        locator.fUnit = SLocator::kSeconds;
        locator.fSeconds = seconds;
        return locator;
    }
    if (!ParseInteger(text, locator.fFrames) || locator.fFrames < 0)
        return refuse();
    return locator;
}

int64_t LocatorFrame(const CZubrikDocument& document, const std::string& flag, const SLocator& locator)
{
    switch (locator.fUnit) {
    case SLocator::kFrames:
        return locator.fFrames;
    case SLocator::kSeconds:
        return std::llround(std::min(locator.fSeconds * document.GetWaveSample().GetSampleRate(), 1e15));
    case SLocator::kBarBeat:
        break;
    }
    const int32_t beatsPerBar = document.GetSequencer().GetSignatureNumerator();
    if (document.GetLoopLengthInBeats() == 0)
        UsageError(flag + " " + locator.fText + " counts in the loop's bars: give the loop length (--bars or --beats)");
    if (locator.fBeat > beatsPerBar)
        UsageError(flag + " " + locator.fText + ": a bar of " + std::to_string(beatsPerBar) + " beats has no beat " +
                   std::to_string(locator.fBeat));
    // Beats counted from the loop's start, at the loop's own length of a beat.
    const int64_t beats = int64_t(locator.fBar - 1) * beatsPerBar + (locator.fBeat - 1);
    return document.GetLeftLocator() + std::llround(double(beats) * document.GetFramesPerBeat());
}

} // namespace NSZubrikCli
