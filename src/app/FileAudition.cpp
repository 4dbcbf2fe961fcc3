#include "app/FileAudition.h"

#include <algorithm>
#include <atomic>

#include "audiodata/WaveSample.h"
#include "audiodata/ZBXObject.h"
#include "engine/WavePlayer.h"
#include "io/Preferences.h"

namespace NSZubrik {

namespace {

// A loop file's loop object as the player's loop-preview source, started
// before the player takes it.
class CLoopObjectPreview final : public ILoopPreview {
public:
    explicit CLoopObjectPreview(std::unique_ptr<CZBXObject> object) : fObject(std::move(object))
    {
        fObject->Start();
    }
    ~CLoopObjectPreview() override { Stop(); }

    void Render(float* left, float* right, int32_t frameCount) noexcept override
    {
        if (fActive.load(std::memory_order_acquire)) {
            fObject->Render(left, right, frameCount);
            return;
        }
        std::fill_n(left, frameCount, 0.0f);
        if (right != nullptr)
            std::fill_n(right, frameCount, 0.0f);
    }
    // The player stops the preview while the audio thread still renders it,
    // so the loop's sequencer sees its stop through; silent from then on.
    void Stop() override
    {
        if (fActive.load(std::memory_order_acquire))
            fObject->Stop();
        fActive.store(false, std::memory_order_release);
    }

private:
    std::unique_ptr<CZBXObject> fObject;
    std::atomic<bool> fActive{true};
};

} // namespace

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
            fLoop = std::make_unique<CLoopObjectPreview>(std::move(object));
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
