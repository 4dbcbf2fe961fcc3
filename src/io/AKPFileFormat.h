// AKAI S5000/S6000 program export: one ".akp" program that maps slice k to
// key 36 + k, and one WAVE file per slice that the program's zones name.
#pragma once

#include "io/ExportFileFormat.h"

#include <cstdint>
#include <string>
#include <vector>

namespace NSTambor {
class CMedia;
}

namespace NSZubrik {

// One keygroup of a program: a key range playing one sample. The defaults
// are those of an empty keygroup; the export sets every field.
struct SAKPKeygroup {
    uint8_t fLowKey = 0x15;
    uint8_t fHighKey = 0x7F;
    // The second byte of the first envelope.
    uint8_t fFirstEnvelopeByte = 0x01;
    // The sample of the first zone (8-bit, at most 31 characters); the other
    // three zones stay empty.
    std::string fSampleName;
};

// Writes a whole program file ("RIFF" form "APRG") with the keygroups.
void WriteAKPProgram(NSTambor::CMedia& media, const std::vector<SAKPKeygroup>& keygroups);

class CAKPFileFormat : public CABCExportFileFormat {
public:
    static constexpr uint8_t kFirstKey = 36;
    static constexpr int32_t kMaxSlices = 92;
    // The longest sample-file name before ".wav": the zone's name field
    // holds 32 bytes.
    static constexpr size_t kMaxSampleNameLength = 31;

    CAKPFileFormat();

    // Writes the program, then the sample files beside it.
    void Export(CExporter& exporter, const std::filesystem::path& destination,
                ILengthyProgress& progress) override;

    // The sample file of slice k (0-based) of a program written to `program`.
    static std::filesystem::path SampleFile(const std::filesystem::path& program, int32_t slice);
};

} // namespace NSZubrik
