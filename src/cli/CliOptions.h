// The command line's arguments: flags with and without values, the
// positional file names, and the settings flags that every subcommand reads
// the same way, checked against the loop file's own ranges.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace NSZubrik {
class CZubrikDocument;
}

namespace NSZubrikCli {

enum EExitCode : int {
    kExitSuccess = 0,
    kExitUsage = 1,
    kExitBadInput = 2,
    kExitWriteFailed = 3,
    kExitCancelled = 4
};

// Ends a subcommand with an exit code and a message for the error stream
// (empty when the reason was already printed, as an alert).
class XCliExit {
public:
    XCliExit(int code, std::string message) : fCode(code), fMessage(std::move(message)) {}
    int GetCode() const { return fCode; }
    const std::string& GetMessage() const { return fMessage; }

private:
    int fCode;
    std::string fMessage;
};

[[noreturn]] void UsageError(const std::string& message);

// The flags a subcommand accepts: those that take a value and switches.
struct SFlagSet {
    std::set<std::string> fValued;
    std::set<std::string> fSwitches;
};

// The flags every subcommand accepts.
SFlagSet CommonFlags();
// The settings flags (SSettings) added to a set.
void AddSettingsFlags(SFlagSet& flags);

class CArguments {
public:
    // Takes "--name value", "--name=value" and "-o value"; an unknown flag,
    // a missing value or a repeated flag is a usage error.
    CArguments(const std::vector<std::string>& arguments, const SFlagSet& flags);

    bool Has(const std::string& flag) const { return fValues.count(flag) != 0; }
    std::optional<std::string> Value(const std::string& flag) const;
    const std::vector<std::string>& GetFiles() const { return fFiles; }
    // The one output file (-o/--output); a usage error when missing.
    std::filesystem::path RequireOutput() const;

    // Numbers of a flag checked against a range named in the refusal.
    std::optional<int32_t> Integer(const std::string& flag, int32_t minimum, int32_t maximum) const;
    // A length in seconds above 0 and at most maximum.
    std::optional<double> Seconds(const std::string& flag, double maximum) const;

private:
    std::map<std::string, std::string> fValues;
    std::vector<std::string> fFiles;
};

// Parses a decimal integer; false when the text is not one or overflows.
bool ParseInteger(const std::string& text, int64_t& value);
// A list "a,b,c" of exactly count integers, each inside its range.
std::vector<int32_t> ParseIntegerList(const std::string& flag, const std::string& text,
                                      const std::vector<std::array<int32_t, 2>>& ranges);

// The settings flags, in the units the loop file stores.
// A locator as given: frames ("44100"), seconds ("1.5s") or bar:beat
// ("2:1", both counted from 1 at the start of the loop).
struct SLocator {
    enum EUnit { kFrames, kSeconds, kBarBeat };
    std::string fText;
    EUnit fUnit = kFrames;
    int64_t fFrames = 0;
    double fSeconds = 0.0;
    int32_t fBar = 1;
    int32_t fBeat = 1;
};

struct SSettings {
    std::optional<int32_t> fSensitivity;
    std::optional<int32_t> fGate;
    std::optional<std::array<int32_t, 2>> fSignature;
    std::optional<int32_t> fBars;
    // --bars auto: the power of two that puts the original tempo at 90 BPM
    // or more and under 180.
    bool fBarsAuto = false;
    // --preview on|off; unset, giving the loop length switches it on.
    std::optional<bool> fPreview;
    std::optional<int32_t> fBeats;
    // Thousandths of a beat per minute.
    std::optional<int32_t> fTempo;
    // Attack, decay, stretch.
    std::optional<std::array<int32_t, 3>> fEnvelope;
    bool fEnvelopeOff = false;
    // Threshold, ratio, attack, release.
    std::optional<std::array<int32_t, 4>> fShaper;
    bool fShaperOff = false;
    // In the document's order: low cut, low, low Q, low gain, high, high Q,
    // high gain, high cut.
    std::optional<std::array<int32_t, 8>> fEqualizer;
    bool fEqualizerOff = false;
    std::optional<int32_t> fPitch;
    // Thousandths of unity.
    std::optional<int32_t> fGain;
    std::optional<SLocator> fLeft;
    std::optional<SLocator> fRight;
    bool fGrid = false;

    // A flag that only tempo mode makes audible.
    bool NeedsPreview() const
    {
        return fTempo || fShaper || fEqualizer || fEnvelopeOff || fShaperOff || fEqualizerOff;
    }
};

SSettings ParseSettings(const CArguments& arguments);
// --bars N or --bars auto, and --beats, into settings.
void ParseLoopLength(const CArguments& arguments, SSettings& settings);

// --left or --right in any of its units; a usage error names the flag.
SLocator ParseLocator(const std::string& flag, const std::string& text);

// The frame a locator names in the open document: bar:beat counts from the
// left locator in the loop's beats (a usage error without a loop length).
int64_t LocatorFrame(const NSZubrik::CZubrikDocument& document, const std::string& flag, const SLocator& locator);

// "120", "120.5", "99.125": thousandths of a beat per minute.
int32_t ParseTempo(const std::string& text);
// A gain in dB as the stored thousandths, round(1000 * 10^(dB / 20)).
int32_t ParseGainDecibels(const std::string& text);

} // namespace NSZubrikCli
