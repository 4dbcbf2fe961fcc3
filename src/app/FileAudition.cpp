#include "app/FileAudition.h"

#include "audiodata/WaveSample.h"
#include "audiodata/ZBXObject.h"
#include "engine/LoopPreview.h"
#include "engine/WavePlayer.h"
#include "io/Preferences.h"

namespace NSZubrik {

CFileAudition::CFileAudition(CWavePlayer* player, CZubrikPreferences& preferences)
    : fPlayer(player), fPreferences(preferences)
{
}

CFileAudition::~CFileAudition() { Stop(); }

SShownFileInfo CFileAudition::Describe(const std::filesystem::path& file)
{
    SShownFileInfo shown;
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return shown;
    try {
        CSoundFileReader reader(file);
        if (reader.IsLoopFile()) {
            CZubrikFile loopFile(file);
            shown.fLoop = loopFile.GetFileInfo();
            shown.fLoopKind = loopFile.GetKind();
            shown.fKind = SShownFileInfo::EKind::kLoopFile;
        } else {
            shown.fSound = reader.GetInfo();
            shown.fSoundFormat = reader.GetSourceFormatName();
            shown.fKind = SShownFileInfo::EKind::kSoundFile;
        }
    } catch (...) {
        shown = {};
        shown.fKind = SShownFileInfo::EKind::kUnknown;
    }
    return shown;
}

void CFileAudition::Play(const std::filesystem::path& file)
{
    Stop();
    if (fPlayer == nullptr)
        return;
    try {
        Start(file);
    } catch (...) {
        // A file that cannot be auditioned stays silent; the pane says why.
        Stop();
    }
}

void CFileAudition::Start(const std::filesystem::path& file)
{
    CSoundFileReader reader(file);
    if (reader.IsLoopFile()) {
        CZubrikFile loopFile(file);
        const CZubrikFileInfo& info = loopFile.GetFileInfo();
        std::unique_ptr<CABCWaveSample> wave = loopFile.ReadSample(nullptr);
        if (info.fBars != 0 || info.fBeats != 0) {
            auto object = std::make_unique<CZBXObject>(loopFile, std::move(wave));
            object->SetOutputSampleRate(fPreferences.GetOutputSampleRate());
            fLoop = std::make_unique<CLoopPreview>(std::move(object));
            fLoop->Start();
            fPlayer->PlayLoopPreview(*fLoop, nullptr);
            return;
        }
        // Without a loop length there is no tempo to play at: the sound as
        // it is.
        fWave = std::move(wave);
    } else {
        int32_t alert = 0;
        if (!reader.CheckProperties(alert))
            return;
        fWave = reader.Read(nullptr);
    }
    fPlayer->PlayWave(*fWave, nullptr);
}

void CFileAudition::Stop()
{
    if (fPlayer != nullptr && (fWave || fLoop))
        fPlayer->Stop();
    fLoop.reset();
    fWave.reset();
}

bool CFileAudition::IsAutoPlayOn() const { return fPreferences.GetAutoPlay(); }

void CFileAudition::SetAutoPlay(bool on) { fPreferences.SetAutoPlay(on); }

} // namespace NSZubrik
