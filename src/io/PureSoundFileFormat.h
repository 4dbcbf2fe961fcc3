// Plain sound-file exports: every piece of the exporter (each slice, or the
// whole loop) goes to its own WAVE or AIFF file named after the chosen file
// with a running number. Sampler formats reuse the single-piece writer to put
// their samples beside the instrument file.
#pragma once

#include "io/ExportFileFormat.h"
#include "io/SoundFileWriter.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace NSZubrik {

class CABCWaveSample;

class CABCPureSoundFileFormat : public CABCExportFileFormat {
public:
    // Numbers above this are written as this.
    static constexpr int32_t kMaximumPieceNumber = 99999;
    // The longest name part before the extension.
    static constexpr size_t kMaximumStemLength = 1023;

    // Writes every piece, asking before it replaces an existing file.
    void Export(CExporter& exporter, const std::filesystem::path& destination,
                ILengthyProgress& progress) override;
    // Renders piece `slice` of the exporter and writes it to the file.
    virtual void ExportSlice(CExporter& exporter, int32_t slice,
                             const std::filesystem::path& destination, ILengthyProgress& progress);

    // The key written as the root key of the instrument data (60 unless a
    // sampler format passes another).
    void SetRootKey(uint8_t key) { fRootKey = key; }
    uint8_t GetRootKey() const { return fRootKey; }

    // ".wav" or ".aif": the first extension of the format's list.
    const std::string& GetExtension() const { return fExtension; }

    // The file of piece `piece` (0-based) of an export to `destination`:
    // "Beat.wav" gives "Beat 001.wav", "Beat 002.wav", ... in the same folder.
    static std::filesystem::path MakePieceDestination(const std::filesystem::path& destination,
                                                      int32_t piece, std::string_view extension);

    // Writes a rendered wave into a new file of this format's type.
    void WriteWave(const CABCWaveSample& wave, const SPieceWriteOptions& options,
                   const std::filesystem::path& destination, ILengthyProgress& progress) const;

protected:
    CABCPureSoundFileFormat(std::string extension, EPlainSoundFile type);

private:
    // Asks before replacing an existing file; false when the user said
    // Replace All before. Throws XUserAbortedExport on Cancel.
    void ConfirmReplace(const std::filesystem::path& file, bool& replaceAll) const;
    void ExportPieceReportingFailure(CExporter& exporter, int32_t piece,
                                     const std::filesystem::path& file, ILengthyProgress& progress);

    std::string fExtension;
    EPlainSoundFile fType;
    uint8_t fRootKey = 60;
};

// ".wav;.wave": WAVE files through the RIFF sound library.
class CWAVFileFormat : public CABCPureSoundFileFormat {
public:
    CWAVFileFormat();
};

// ".wav" as its own export type: the whole loop as one WAVE file with a cue
// point and label per exported slice and the loop as its sampler loop, so
// that samplers and editors that read cue points see the slices. Written to
// the chosen file itself, not to a numbered one.
class CMarkedWAVFileFormat : public CWAVFileFormat {
public:
    void Export(CExporter& exporter, const std::filesystem::path& destination,
                ILengthyProgress& progress) override;
    void ExportSlice(CExporter& exporter, int32_t slice, const std::filesystem::path& destination,
                     ILengthyProgress& progress) override;
    // "Slice 001", "Slice 002", ...
    static std::string MarkerLabel(int32_t slice);
};

// ".aif;.aiff": AIFF files through the form sound library.
class CAIFFFileFormat : public CABCPureSoundFileFormat {
public:
    CAIFFFileFormat();
};

} // namespace NSZubrik
