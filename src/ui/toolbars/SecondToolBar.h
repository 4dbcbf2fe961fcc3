// The second tool bar: the four editing tools, the Sensitivity fader with
// its value, Silence selected, the Gate Sens, Pitch and Gain knobs and the
// preview tempo.
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>

#include "document/DocumentTypes.h"

class QButtonGroup;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QSlider;
class QToolButton;

namespace NSZubrik {

class CKnobControl;
class COutputPeakMeter;

class CSecondToolBar : public QWidget, public IDocumentListener {
    Q_OBJECT
public:
    static constexpr int32_t kMinimumPreviewTempo = 20000;
    static constexpr int32_t kMaximumPreviewTempo = 450000;

    explicit CSecondToolBar(CZubrikDocument& document, QWidget* parent = nullptr);
    ~CSecondToolBar() override;

    void ParametersChanged(CZubrikDocument& document) override;
    void SlicesChanged(CZubrikDocument& document) override;
    void WaveSampleChanged(CZubrikDocument&) override {}
    void ViewAndEditAttributesChanged(CZubrikDocument& document) override;
    void UndoStateChanged(CZubrikDocument&) override {}
    void TitleChanged(CZubrikDocument&) override {}
    void PlaybackChanged(CZubrikDocument&) override {}

    // Arrow, Mute, Lock and Pen, in the order of the tool numbers.
    std::array<QToolButton*, 4> fToolButtons{};
    QSlider* fSensitivityFader;
    QLabel* fSensitivityShownText;
    QToolButton* fSilenceSelectedToolbarButton;
    CKnobControl* fGateSensitivityKnob;
    CKnobControl* fPitchKnob;
    CKnobControl* fProcessingGainKnob;
    QLineEdit* fPreviewTempoTextEdit;
    // The audio output's peaks and clip light.
    COutputPeakMeter* fOutputPeakMeter;

private:
    void AddTools();
    void AddSensitivity();
    void AddKnobs();
    void AddPreviewTempo();
    void CommitPreviewTempo();
    void Refresh();

    CZubrikDocument& fDocument;
    QHBoxLayout* fLayout;
    QButtonGroup* fTools;
};

} // namespace NSZubrik
