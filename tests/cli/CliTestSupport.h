// Running the built zubrik-cli from the end-to-end tests, and the files they
// feed it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace NSCliTest {

struct SRun {
    int fExitCode = -1;
    std::string fOut;
    std::string fErr;
};

// Runs zubrik-cli with the arguments (no shell involved); standard input is
// empty, so nothing can wait on it.
SRun RunCli(const std::vector<std::string>& arguments);

// Starts zubrik-cli, sends it SIGINT after the delay and waits for it.
SRun RunCliAndInterrupt(const std::vector<std::string>& arguments, int delayMilliseconds);

// Runs a shell command (sox); the exit code and standard output.
SRun RunShell(const std::string& command);
bool HaveSox();

// A 16-bit WAVE file of a drum-like pattern: a decaying noise burst every
// `spacing` frames, in both channels when stereo (the right one half as
// loud), deterministic.
void WriteClickLoop(const std::string& path, int32_t frames, int32_t spacing, bool stereo, int32_t rate = 44100);

// Files of a folder whose names contain the text (temporary files of a
// failed write would show here).
std::vector<std::string> FilesIn(const std::string& folder);

// The number of note-on events with velocity > 0 in a Standard MIDI File,
// after checking the header chunk and every track chunk's framing; -1 when
// the file is malformed.
int32_t CountMidiNotes(const std::string& path, int32_t* division = nullptr);

} // namespace NSCliTest
