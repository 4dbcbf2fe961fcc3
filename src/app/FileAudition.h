// The open dialog's audition through the wave player: the readers give the
// information records, a sound file plays as a wave and a loop file as its
// loop object (its slices, tempo and effects); the "Auto Play" switch lives
// in the preferences.
#pragma once

#include <memory>

#include "app/OpenDialogAudition.h"

namespace NSZubrik {

class CABCWaveSample;
class CWavePlayer;
class CZubrikPreferences;
class CLoopPreview;

class CFileAudition final : public IOpenDialogAudition {
public:
    // player null: no audio output, so auditioning is silent.
    CFileAudition(CWavePlayer* player, CZubrikPreferences& preferences);
    ~CFileAudition() override;
    CFileAudition(const CFileAudition&) = delete;
    CFileAudition& operator=(const CFileAudition&) = delete;

    SShownFileInfo Describe(const std::filesystem::path& file) override;
    void Play(const std::filesystem::path& file) override;
    void Stop() override;
    bool IsAutoPlayOn() const override;
    void SetAutoPlay(bool on) override;

private:
    void Start(const std::filesystem::path& file);

    CWavePlayer* fPlayer;
    CZubrikPreferences& fPreferences;
    // What the player plays; kept until the player has let go of it.
    std::unique_ptr<CABCWaveSample> fWave;
    std::unique_ptr<CLoopPreview> fLoop;
};

} // namespace NSZubrik
