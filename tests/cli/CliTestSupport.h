// Running the built zubrik-cli from the end-to-end tests, and the files they
// feed it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace NSCliTest {

struct SRun {
    int fExitCode = -1;
    std::string fOut;
    std::string fErr;
};

// Runs zubrik-cli (no shell; standard input empty).
SRun RunCli(const std::vector<std::string>& arguments);

// Starts zubrik-cli, sends it SIGINT after the delay and waits for it.
SRun RunCliAndInterrupt(const std::vector<std::string>& arguments, int delayMilliseconds);

// Starts zubrik-cli, sends it SIGINT as soon as ready() holds (polled every
// 2 ms, for at most a minute) and waits for it.
SRun RunCliAndInterruptWhen(const std::vector<std::string>& arguments, const std::function<bool()>& ready);

// Runs a shell command (sox): exit code and standard output.
SRun RunShell(const std::string& command);
bool HaveSox();

// A 16-bit WAVE file with a decaying noise burst every `spacing` frames (the
// right channel half as loud).
void WriteClickLoop(const std::string& path, int32_t frames, int32_t spacing, bool stereo, int32_t rate = 44100);

// The text after the first "key": of a JSON text, up to the next comma or
// brace; empty when the key is missing.
std::string Field(const std::string& json, const std::string& key);

std::vector<std::string> FilesIn(const std::string& folder);
std::string ReadBytes(const std::string& path);

// Note-ons (velocity > 0) in a Standard MIDI File; -1 when malformed.
int32_t CountMidiNotes(const std::string& path);

} // namespace NSCliTest
