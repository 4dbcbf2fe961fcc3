// The --help texts of zubrik-cli and its subcommands.
#include <ostream>

#include "cli/CliCommands.h"

namespace NSZubrikCli {

namespace {

constexpr const char* kOverview =
    R"(usage: zubrik-cli SUBCOMMAND [ARGUMENTS] [FLAGS]

Zubrik's document jobs without a display, for batch work and scripts.

subcommands:
  info FILE... [--json]            what a sound file or loop file holds
  slice FILE [--json]              analyse and list the slices
  convert FILE -o OUT              the sound unchanged: .wav, .aif or .zx2
  save FILE -o OUT.zx2 [SETTINGS]  a loop file with changed settings
  render FILE -o OUT.wav [...]     the preview as heard, rendered offline
  export FILE -o OUT [...]         export as .wav .aif .akp .sf2 .ins .trk .mid
                                   .sfz .h2drumkit
  process FILE -o OUT (...)        normalize, mono, convert, crop, remove DC
  play FILE [SETTINGS] [...]       the loop through the sound card
  demo LOOP [--out DIR]            a tour: info, slice, render, export

Run "zubrik-cli SUBCOMMAND --help" for the flags of each.

flags of every subcommand:
  --quiet            no progress bar and no summary lines
  --yes              answer questions with Yes / OK / Replace; replace
                     an output file that exists (no job replaces one unasked)
  --replace-all      answer "file exists" questions of an export with Replace All
  --interactive      ask questions on the terminal instead of failing
  --left-to-first-slice
                     move the left locator to the first slice of a sound file

A job writes all of its files or none: a stopped or refused job leaves
every file as it was. No job but save writes over its own input file.

exit codes: 0 success, 1 usage error (or a question no flag answered),
2 bad or unsupported input file, 3 write failure, 4 cancelled (Ctrl-C).
zubrik-cli --version prints the version.
The command line never reads or writes the preferences file.
)";

constexpr const char* kSettings =
    R"(settings (the loop file's own units; applied as document commands):
  --sensitivity N    0-99                 --gate N       0-999
  --sign N/D         2/4 3/4 4/4 5/4 6/8 7/8
  --bars N|auto      0-999, or the power of two that puts the original
                     tempo at 90 BPM or more and under 180
  --beats N          0-7
  --preview on|off   giving the loop length switches preview on; a job that
                     needs a loop length and has none takes --bars auto
  --tempo BPM        20-450, up to three decimals
  --envelope A,D,S   attack, decay 0-1023 or in ms (2.5ms), stretch 0-100,
                     or a preset name
  --shaper T,R,A,REL threshold 0-127, ratio 0-127, attack, release 0-1023
                     or in ms (200ms), or a preset name
  --eq LOCUT,LOW,LOWGAIN,LOWQ,HIGH,HIGHGAIN,HIGHQ,HIGHCUT
                     Hz, thousandths of a dB, thousandths of Q; or a preset
  --envelope-off, --shaper-off, --eq-off
  --pitch CENTS      -2400-2400
  --gain DB          stored as round(1000 x 10^(dB/20)), 0-7943 (at most +18 dB)
  --left L, --right L  the locators: frames, seconds (1.5s) or bar:beat (2:1)
  --grid             add slices at the grid
)";

struct SHelp {
    const char* fName;
    const char* fText;
    bool fSettings;
};

constexpr SHelp kHelp[] = {
    {"info", R"(usage: zubrik-cli info FILE... [--bars N|auto] [--beats N] [--sign N/D] [--json]

For a sound file: format, length, rate, depth, channels and loop. For a loop
file: its information record (slices, bars, beats, signature, preview tempo
as "tempo" and the loop's own tempo as "original_tempo", compression ratio,
loop usage) and the creator strings. With --bars, --beats or --sign each
file is opened as every job opens it, and the loop length given and the
original tempo it makes are shown. --json prints a list with one object per
file.
)", false},
    {"slice", R"(usage: zubrik-cli slice FILE [--sensitivity N] [--gate N] [--bars N|auto] [--beats N] [--sign N/D] [--json]

Analyses a sound file (a loop file gives its stored slices) and lists every
slice, shown or not, as a table or as JSON:
  {"file": ..., "rate": ..., "frames": ..., "channels": ..., "bits": ...,
   "sensitivity": ..., "original_tempo": ... or null, "slices": [
   {"position": ..., "seconds": ..., "strength": ...,
    "state": "normal|muted|locked", "shown": ..., "active": ...,
    "length": ..., "shows_from": ...}, ...]}
shows_from is the lowest --sensitivity at which the slice shows (0 for a
locked slice). With a loop length the original tempo is shown.
)", false},
    {"convert", R"(usage: zubrik-cli convert FILE -o OUT.{wav,aif,zx2} [--bars N] [--beats N]

Writes the sound unchanged, every sample as stored, with the locators as the
sound file's loop. A loop file keeps its slices and settings when converted
to a loop file; a sound file becomes one with the loop length given, or
with --bars auto (said on standard error) when none is.
)", false},
    {"save", R"(usage: zubrik-cli save FILE -o OUT.zx2 [SETTINGS]

A loop file from a sound file or a loop file, with the settings flags
applied. --tempo, --shaper, --eq and the --*-off flags switch preview on, as
they only act in tempo mode.
)", true},
    {"render", R"(usage: zubrik-cli render FILE -o OUT.wav [--seconds S | --loops N] [--rate R] [--bits 16|24|32f] [SETTINGS]

The preview as heard, rendered offline through the sequencer at the sound's
own rate (or --rate R, 11025 to 1000000 Hz):
the settings are applied in the order sensitivity, gate, signature, bars,
beats, preview on, preview tempo, envelope, transient shaper, equalizer,
pitch, gain; the sequencer starts from Stopped with the play-loop command and
renders consecutive 256-frame pieces. The length is one loop unless --seconds
or --loops says otherwise. --bits 24 (the default) and 16 clip to -1..1 as
the audio output does; 32f writes the float output unclipped.
)", true},
    {"export", R"(usage: zubrik-cli export FILE -o OUT.{wav,aif,akp,sf2,ins,trk,mid,sfz,h2drumkit} [FLAGS] [SETTINGS]

The Export command with the type taken from the output's extension.
  --one-sample | --slices   the whole loop as one sample, or one per slice
                            (standard: per slice for a sound file, the
                            stored switch for a loop file)
  --rate R                  sample rate (standard 44100 where allowed)
  --bits B                  bit depth (standard 16)
  --midi                    a MIDI file with the same name beside it
  --crop-ring-out           one sample ends at the loop end (no ring-out)
  --markers                 OUT.wav: the whole loop as one WAVE file with a
                            cue point and label per slice, the loop as its
                            sampler loop
  --replace-all, --yes      answers for files that exist already
Sound-file exports name their files "OUT 001.wav", "OUT 002.wav", ...
An .sfz instrument keeps its samples in "OUT_samples"; a .h2drumkit is a
Hydrogen drum kit (tar.gz) with one WAVE file per slice.
Every subcommand opens WAVE, AIFF (integer or float), FLAC, Ogg Vorbis,
Opus and MP3 files; WAVE cue points become locked slices.
)", true},
    {"process", R"(usage: zubrik-cli process FILE -o OUT.{zx2,wav,aif} COMMAND [SETTINGS]

One Process command, then the result written out. COMMAND is one of:
  --normalize whole|slices
  --mono left|right|mix
  --convert RATE[/BITS]     11025 22050 32000 44100 48000 88200 96000; 16 or 24
  --crop                    crop to the loop
  --remove-dc
The settings are applied first (--sensitivity tells which slices sound for
--normalize slices; --left and --right set the loop for --crop).
)", true},
    {"play", R"(usage: zubrik-cli play FILE [SETTINGS] [--seconds S] [--device NAME]
       zubrik-cli play --list-devices

Plays the loop through the sound card (PortAudio: ALSA or JACK) until Ctrl-C
or for S seconds, showing the position and the peak meter (with CLIP when the
output was clipped) on the error stream when it is a terminal. With --bars or
--beats (or a loop file that has them) it plays the preview as render writes
it; otherwise the sound unchanged between the locators.

  --seconds S        stop after S seconds
  --device NAME      a device as --list-devices shows it, or a part of one
                     name; without it the default device is tried first,
                     then every device in order
  --list-devices     list the output devices ("host API: device"), the
                     default one marked with *

Exit 0 at the end, 4 on Ctrl-C, 2 when no device can be opened. A JACK
server is found by its default name or JACK_DEFAULT_SERVER.
)", true},
    {"demo", R"(usage: zubrik-cli demo LOOP [--out DIR]

Shows info and slices of the loop, renders it at 96 BPM to a WAVE file,
saves it as a loop file and exports a SoundFont with a MIDI file. The files
go to DIR, or to $XDG_DATA_HOME/zubrik/demo, or to /tmp/zubrik-demo.
)", false},
};

} // namespace

bool PrintHelp(const std::string& subcommand, std::ostream& out)
{
    if (subcommand.empty()) {
        out << kOverview;
        return true;
    }
    for (const SHelp& help : kHelp) {
        if (subcommand == help.fName) {
            out << help.fText;
            if (help.fSettings)
                out << '\n' << kSettings;
            return true;
        }
    }
    return false;
}

} // namespace NSZubrikCli
