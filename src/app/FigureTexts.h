// The figures the window shows about a sound, as text from the program's
// string list: the status bar's format and slice fields and the open
// dialog's information pane share them.
#pragma once

#include <cstdint>
#include <string>

namespace NSZubrik {

// "44.1 kHz", "48 kHz", "11.025 kHz".
std::string FormatSampleRate(int64_t sampleRate);
// "0.00 s", "59.99 s", "1 m, 48.12 s".
std::string FormatDuration(double seconds);
// "0 bytes", "1 byte", "1023 bytes", "1 kB", "1.50 MB", "2.00 GB" (units of
// 1024).
std::string FormatByteSize(int64_t bytes);
// "Stereo, 44.1 kHz, 16 bits"; without the depth when bitDepth is 0.
std::string FormatSoundFormat(bool stereo, int64_t sampleRate, int32_t bitDepth);
// "12 Slices, 2.35 s / 414 kB": what an export would write, given as sample
// values (frames times channels) of a sound of that format. The time is the
// values over the rate, so a stereo export counts twice its frames, as the
// status bar has always shown it.
std::string FormatSliceInfo(int32_t sliceCount, int64_t sampleValues, int64_t sampleRate, int32_t bitDepth);

} // namespace NSZubrik
