// Pieces shared by the sampler exports that put one WAVE file per slice
// beside an instrument file (AKAI programs, SampleCell instruments): the
// numbered sample-file names, the 8-bit names written into the instrument,
// the question before an existing file is replaced, and the loop that writes
// the sample files and reports a failed one without ending the export.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace NSZubrik {

class CExporter;
class ILengthyProgress;

// Sample-file numbers above this are written as this.
inline constexpr int32_t kSamplerMaximumFileNumber = 99999;

// The name part (before the extension) of slice file `number` (1-based) of
// an instrument written to `instrument`: the instrument's name without its
// extension, a space and the number with at least three digits. A part
// longer than maxLength characters loses characters at the end of the name,
// never of the number.
std::u16string SamplerFileStem(const std::filesystem::path& instrument, int32_t number, size_t maxLength);

// The text as 8-bit characters: every character above 127 becomes '_'.
std::string SamplerEightBitName(const std::u16string& text);

// Asks before an existing file is overwritten (alert 2200), remembering a
// Replace All for the rest of one export. Cancel throws XUserAbortedExport.
class CReplaceQuestion {
public:
    void Confirm(const std::filesystem::path& file);

private:
    bool fReplaceAll = false;
};

// One sample file of an instrument.
struct SSamplerSampleFile {
    std::filesystem::path fFile;
    uint8_t fRootKey = 60;
};

// The alerts of a failed sample file, ordered unknown, disk full, busy,
// create failed (2120 for programs, 2130 for instruments).
struct SSamplerFailureAlerts {
    int32_t fFirst;
};

// Writes piece k of the exporter to files[k] as a WAVE file at the
// exporter's rate with the bit depth and the file's root key. Progress shows
// "Slices left:"; a stop or a cancelled replace question throws
// XUserAbortedExport. Any other failure of one file is shown with its alert
// and the next file follows.
void WriteSamplerSampleFiles(CExporter& exporter, const std::vector<SSamplerSampleFile>& files, int32_t bitDepth,
                             SSamplerFailureAlerts alerts, ILengthyProgress& progress);

} // namespace NSZubrik
