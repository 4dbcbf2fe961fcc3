// The three effect tool bars that the View menu shows and hides: the
// Envelope (CTransientToolBar), the Transient Shaper (CCompressorToolBar)
// and the Equalizer (CEqualizerToolBar). Each has an on/off button, a preset
// menu read from the string list and one knob per setting; every control
// calls one document command and the bar follows the document.
#pragma once

#include <QWidget>
#include <cstdint>
#include <vector>

#include "document/DocumentTypes.h"
#include "engine/EffectPresets.h"
#include "ui/toolbars/Knob.h"

class QHBoxLayout;
class QMenu;
class QToolButton;
class QTimer;

namespace NSZubrik {

class CGainChangeMeter;

class CABCEffectToolBar : public QWidget, public IDocumentListener {
    Q_OBJECT
public:
    ~CABCEffectToolBar() override;

    QToolButton& GetOnOffButton() { return *fOnOffButton; }
    QToolButton& GetPresetButton() { return *fPresetButton; }
    QMenu& GetPresetMenu() { return *fPresetMenu; }
    const std::vector<CEffectPreset>& GetPresets() const { return fPresets; }
    const std::vector<CKnobControl*>& GetKnobs() const { return fKnobs; }

    void ParametersChanged(CZubrikDocument& document) override;
    void SlicesChanged(CZubrikDocument&) override {}
    void WaveSampleChanged(CZubrikDocument&) override {}
    void ViewAndEditAttributesChanged(CZubrikDocument&) override {}
    void UndoStateChanged(CZubrikDocument&) override {}
    void TitleChanged(CZubrikDocument&) override {}
    void PlaybackChanged(CZubrikDocument&) override {}

protected:
    CABCEffectToolBar(CZubrikDocument& document, int32_t titleEntry, int32_t presetBlock,
                      const CEffectPresetFormat& format, int32_t toolTipOffset, QWidget* parent);
    // A knob that calls setter on the document for each step.
    CKnobControl& AddKnob(int32_t entry, int32_t infoEntry, const SKnobRange& range, CKnobControl::TFormat format,
                          void (CZubrikDocument::*setter)(int32_t));
    // A control after the knobs.
    void AddControl(QWidget& control);
    // Called once the subclass has added its knobs.
    void Finish();

    virtual void ToggleEffect() = 0;
    virtual void ApplyPreset(const CEffectPreset& preset) = 0;
    // The effect's switch and settings in knob order.
    virtual bool IsEffectOn() const = 0;
    virtual std::vector<int32_t> GetSettings() const = 0;

    CZubrikDocument& fDocument;
    const CEffectPresetFormat& fFormat;
    // From a knob's label entry to its tool tip's.
    int32_t fToolTipOffset;

private:
    void Refresh();

    QHBoxLayout* fLayout;
    QToolButton* fOnOffButton;
    QToolButton* fPresetButton;
    QMenu* fPresetMenu;
    std::vector<CEffectPreset> fPresets;
    std::vector<CKnobControl*> fKnobs;
};

// The Envelope: Attack, Decay, Stretch.
class CTransientToolBar : public CABCEffectToolBar {
    Q_OBJECT
public:
    explicit CTransientToolBar(CZubrikDocument& document, QWidget* parent = nullptr);

protected:
    void ToggleEffect() override;
    void ApplyPreset(const CEffectPreset& preset) override;
    bool IsEffectOn() const override;
    std::vector<int32_t> GetSettings() const override;
};

// The Transient Shaper: Threshold, Ratio, Attack, Release, and the meter
// of the gain changes it makes, read every kMeterInterval ms while shown.
class CCompressorToolBar : public CABCEffectToolBar {
    Q_OBJECT
public:
    static constexpr int kMeterInterval = 30;

    explicit CCompressorToolBar(CZubrikDocument& document, QWidget* parent = nullptr);

    CGainChangeMeter& GetMeter() { return *fMeter; }
    // Takes the shaper's extremes since the last reading into the meter.
    void ReadMeter();

protected:
    void ToggleEffect() override;
    void ApplyPreset(const CEffectPreset& preset) override;
    bool IsEffectOn() const override;
    std::vector<int32_t> GetSettings() const override;

private:
    CGainChangeMeter* fMeter;
};

// The Equalizer: low cut, low band, high band, high cut.
class CEqualizerToolBar : public CABCEffectToolBar {
    Q_OBJECT
public:
    explicit CEqualizerToolBar(CZubrikDocument& document, QWidget* parent = nullptr);

protected:
    void ToggleEffect() override;
    void ApplyPreset(const CEffectPreset& preset) override;
    bool IsEffectOn() const override;
    std::vector<int32_t> GetSettings() const override;
};

} // namespace NSZubrik
