// The SoundFont 2 bank (".sf2") as an export target: every exported slice
// becomes a sample (two for a stereo slice) and a zone of one instrument on
// its own key from 36 up, played by one preset.
#pragma once

#include "io/ExportFileFormat.h"

#include <string>

namespace NSZubrik {

class CSoundFontFileFormat : public CABCExportFileFormat {
public:
    static constexpr uint8_t kFirstKey = 36;
    static constexpr int32_t kMaxSlices = 92;

    CSoundFontFileFormat();

    void Export(CExporter& exporter, const std::filesystem::path& destination, ILengthyProgress& progress) override;

    // The destination's file name with every character above 127 replaced
    // by '_': the bank, preset, instrument and sample names start with it.
    static std::string BankName(const std::filesystem::path& destination);
    // "<bank> 001", with " L" or " R" for the sides of a stereo slice.
    static std::string SampleName(const std::string& bankName, int32_t slice, char side);
};

} // namespace NSZubrik
