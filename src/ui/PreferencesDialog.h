// The "Preferences" dialog of Edit > Preferences...: a "General" page with
// the option flags, the look, the ruler's units, the waveform colour and its
// contrast, and an "Audio" page with the output device, its sample rate
// (among those the device offers) and the buffer size. It edits a copy of
// the settings; OK hands them to the preferences in one change (every
// listener hears of it) and opens the chosen device at the chosen rate and
// buffer size, Cancel leaves everything as it was.
#pragma once

#include <QColor>
#include <QDialog>
#include <array>
#include <string>

#include "io/Preferences.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QSlider;
class QTabWidget;

namespace NSZubrik {

class CAudioCardManager;
class CZubrik;

class CPreferencesDialog : public QDialog {
    Q_OBJECT
public:
    // The option flags that have a control, in the order of the stored
    // flags (the fifth has none).
    static constexpr size_t kFlagCount = 7;

    // audio: the open sound card, or null when the program runs without one.
    CPreferencesDialog(const SPreferenceValues& values, CAudioCardManager* audio, QWidget* parent);

    // The settings as the dialog shows them, over the rest of values.
    void TakeValues(SPreferenceValues& values) const;
    // The output device shown on the audio page; empty when there is no
    // list to choose from or no device is open and none was picked.
    std::string GetChosenDevice() const;
    // The rate and buffer size shown; 0 when there is nothing to choose.
    int32_t GetChosenSampleRate() const;
    int32_t GetChosenBufferFrames() const;
    void SetWaveformColor(const QColor& colour);

    QTabWidget& GetPages() const { return *fPages; }
    QCheckBox& GetFlag(size_t index) const { return *fFlags[index]; }
    QComboBox& GetLook() const { return *fLook; }
    QComboBox& GetUnits() const { return *fUnits; }
    QSlider& GetContrast() const { return *fContrast; }
    QComboBox& GetDevices() const { return *fDevices; }
    QComboBox& GetRates() const { return *fRates; }
    QComboBox& GetBuffers() const { return *fBuffers; }

private:
    QWidget* MakeGeneralPage(const SPreferenceValues& values);
    // Look, units, waveform colour and contrast.
    QFormLayout* MakeDisplayForm(const SPreferenceValues& values);
    QWidget* MakeAudioPage(CAudioCardManager* audio);
    // Fills the rate box with the rates of the device shown, keeping that
    // rate chosen where the device has it.
    void ShowRatesOfDevice(int32_t keep);
    void ChooseWaveformColor();

    QTabWidget* fPages = nullptr;
    std::array<QCheckBox*, kFlagCount> fFlags{};
    QComboBox* fLook = nullptr;
    QComboBox* fUnits = nullptr;
    QLabel* fSwatch = nullptr;
    QColor fColour;
    QSlider* fContrast = nullptr;
    QComboBox* fDevices = nullptr;
    QComboBox* fRates = nullptr;
    QComboBox* fBuffers = nullptr;
    CAudioCardManager* fAudio = nullptr;
};

// Runs the dialog on the application's preferences; on OK the settings go
// into them and the device is opened again when it, its rate or its buffer
// size changed (alerts 1113 or 1110 when it cannot be).
void ShowPreferencesDialog(QWidget* parent, CZubrikPreferences& preferences, CZubrik& zubrik);

} // namespace NSZubrik
