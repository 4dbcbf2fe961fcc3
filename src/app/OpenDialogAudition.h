// What the open dialog asks of the program about the file it shows: the
// file's information record for the information pane, and auditioning it
// ("Auto Play"). The dialog itself knows neither the readers nor the audio
// output; it calls these with the selected file's path.
#pragma once

#include <filesystem>
#include <string>

#include "audiodata/ZubrikFile.h"
#include "io/SoundFileReader.h"

namespace NSZubrik {

// The information record of one file, as the pane shows it.
struct SShownFileInfo {
    enum class EKind {
        kNothing,   // no file (a folder, or nothing selected)
        kSoundFile, // WAVE, AIFF or a compressed sound: fSound
        kLoopFile,  // a loop file or an older loop or document file: fLoop
        kUnknown    // a file no reader takes, or a damaged one
    };
    EKind fKind = EKind::kNothing;
    SoundFileInfo fSound;
    // "WAVE", "AIFF", "FLAC", ... for a sound file.
    std::string fSoundFormat;
    CZubrikFileInfo fLoop;
    // ".zx2", ".zbx" or ".zbk" for a loop file.
    std::u16string fLoopKind;
};

class IOpenDialogAudition {
public:
    virtual ~IOpenDialogAudition() = default;
    // Reads the file's headers only; never throws (a file that cannot be
    // read is kUnknown).
    virtual SShownFileInfo Describe(const std::filesystem::path& file) = 0;
    // Stops what plays, then plays the file: a sound file as it is, a loop
    // file as its loop at its own tempo. A file that cannot be played, or
    // a missing audio output, leaves silence. Never throws.
    virtual void Play(const std::filesystem::path& file) = 0;
    virtual void Stop() = 0;
    // The "Auto Play" switch as the preferences keep it.
    virtual bool IsAutoPlayOn() const = 0;
    virtual void SetAutoPlay(bool on) = 0;
};

} // namespace NSZubrik
