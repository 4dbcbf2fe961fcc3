#include "ui/toolbars/EffectToolBars.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <string>

#include "app/ResourceIds.h"
#include "app/StringTables.h"
#include "document/ZubrikDocument.h"
#include "engine/Sampler.h"
#include "ui/toolbars/GainChangeMeter.h"
#include "ui/toolbars/ToolBarTexts.h"

namespace NSZubrik {

namespace {

using namespace NSKnobUnits;

constexpr int32_t kOnOffEntry = NSStrings::kEffectToolBarTexts;
constexpr int32_t kPresetsEntry = NSStrings::kEffectToolBarTexts + 1;
constexpr int32_t kOnOffInfo = NSStrings::kInfoTexts + 17;
constexpr int32_t kPresetsInfo = NSStrings::kInfoTexts + 18;
// Labels start at the block, tool tips five entries later.
constexpr int32_t kEnvelopeKnobs = NSStrings::kEffectToolBarTexts + 10;
constexpr int32_t kShaperKnobs = NSStrings::kEffectToolBarTexts + 20;
constexpr int32_t kEqualizerKnobs = NSStrings::kEffectToolBarTexts + 40;
// The knobs' info texts, in knob order for each bar.
constexpr int32_t kEnvelopeInfo = NSStrings::kInfoTexts + 29;
constexpr int32_t kShaperInfo = NSStrings::kInfoTexts + 32;
constexpr int32_t kEqualizerInfo = NSStrings::kInfoTexts + 37;

constexpr SKnobRange kTimeRange{0, 1023, 0};

QString Stretch(int32_t value) { return Percent(value, 100); }
QString Ratio(int32_t value) { return Percent(value, 127); }

// A preset block of the string list: entries up to the first empty one.
std::vector<CEffectPreset> ReadPresets(int32_t block, const CEffectPresetFormat& format)
{
    std::vector<std::string> texts;
    for (int32_t i = 0; i < kMaximumPresetEntries; ++i) {
        std::string text;
        try {
            text = GetString(kProgramStringList, block + i);
        } catch (const std::exception&) {
            break;
        }
        if (text.empty())
            break;
        texts.push_back(std::move(text));
    }
    const std::vector<std::string_view> views(texts.begin(), texts.end());
    // A malformed list offers no presets rather than wrong ones.
    return ParsePresetList(views, format).value_or(std::vector<CEffectPreset>{});
}

} // namespace

CABCEffectToolBar::CABCEffectToolBar(CZubrikDocument& document, int32_t titleEntry, int32_t presetBlock,
                                     const CEffectPresetFormat& format, int32_t toolTipOffset, QWidget* parent)
    : QWidget(parent), fDocument(document), fFormat(format), fToolTipOffset(toolTipOffset), fLayout(new QHBoxLayout(this)),
      fOnOffButton(new QToolButton(this)), fPresetButton(new QToolButton(this)), fPresetMenu(new QMenu(this)),
      fPresets(ReadPresets(presetBlock, format))
{
    fLayout->setContentsMargins(6, 2, 6, 2);
    fLayout->setSpacing(4);
    auto* title = new QLabel(ToolBarText(titleEntry), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setMinimumWidth(title->fontMetrics().horizontalAdvance(ToolBarText(NSStrings::kTopToolBarTexts + 5)) + 16);
    fLayout->addWidget(title);

    // The text says the state as well, for palettes whose pressed look is
    // faint; wide enough for either word.
    fOnOffButton->setText(QStringLiteral("Off"));
    fOnOffButton->setMinimumWidth(fOnOffButton->sizeHint().width());
    fOnOffButton->setCheckable(true);
    DescribeControl(*fOnOffButton, kOnOffEntry, kOnOffInfo);
    connect(fOnOffButton, &QToolButton::clicked, this, [this] {
        ToggleEffect();
        Refresh();
    });
    fLayout->addWidget(fOnOffButton);

    fPresetButton->setText(ToolBarText(kPresetsEntry));
    fPresetButton->setPopupMode(QToolButton::InstantPopup);
    fPresetButton->setMenu(fPresetMenu);
    DescribeControl(*fPresetButton, kPresetsEntry, kPresetsInfo);
    for (const CEffectPreset& preset : fPresets) {
        QAction* item = fPresetMenu->addAction(QString::fromStdString(preset.fName));
        connect(item, &QAction::triggered, this, [this, &preset] { ApplyPreset(preset); });
    }
    fPresetButton->setEnabled(!fPresets.empty());
    fLayout->addWidget(fPresetButton);
    fLayout->addSpacing(8);
    fDocument.AddListener(*this);
}

CABCEffectToolBar::~CABCEffectToolBar()
{
    fDocument.RemoveListener(*this);
    // A knob that loses the focus as it goes ends its gesture through this
    // bar, so the knobs go while the bar is still whole.
    qDeleteAll(fKnobs);
    fKnobs.clear();
}

CKnobControl& CABCEffectToolBar::AddKnob(int32_t entry, int32_t infoEntry, const SKnobRange& range,
                                         CKnobControl::TFormat format, void (CZubrikDocument::*setter)(int32_t))
{
    // Each bar's tool tips follow its labels by a fixed distance.
    const int32_t toolTipEntry = entry + fToolTipOffset;
    // The document is captured by reference, not through this bar, so the
    // call never goes through the bar's own type.
    CZubrikDocument& document = fDocument;
    auto* knob = new CKnobControl(
        entry, toolTipEntry, infoEntry, range, format,
        [&document, setter](int32_t value) { std::invoke(setter, document, value); },
        [this] { fDocument.EndEditGesture(); }, this);
    fKnobs.push_back(knob);
    fLayout->addWidget(knob);
    return *knob;
}

void CABCEffectToolBar::AddControl(QWidget& control)
{
    fLayout->addSpacing(8);
    fLayout->addWidget(&control);
}

void CABCEffectToolBar::Finish()
{
    fLayout->addStretch(1);
    Refresh();
}

void CABCEffectToolBar::ParametersChanged(CZubrikDocument&) { Refresh(); }

void CABCEffectToolBar::Refresh()
{
    fOnOffButton->setChecked(IsEffectOn());
    fOnOffButton->setText(IsEffectOn() ? QStringLiteral("On") : QStringLiteral("Off"));
    const std::vector<int32_t> settings = GetSettings();
    for (size_t i = 0; i < fKnobs.size() && i < settings.size(); ++i)
        fKnobs[i]->SetValue(settings[i]);
}

// ------------------------------------------------------------------ envelope

CTransientToolBar::CTransientToolBar(CZubrikDocument& document, QWidget* parent)
    : CABCEffectToolBar(document, NSStrings::kTopToolBarTexts + 4, NSStrings::kEnvelopePresets,
                        EnvelopePresetFormat(), 5, parent)
{
    AddKnob(kEnvelopeKnobs, kEnvelopeInfo, {0, 1023, 21}, Time, &CZubrikDocument::SetEnvelopeAttack);
    AddKnob(kEnvelopeKnobs + 1, kEnvelopeInfo + 1, {0, 1023, 1023}, DecayTime, &CZubrikDocument::SetEnvelopeDecay);
    AddKnob(kEnvelopeKnobs + 2, kEnvelopeInfo + 2, {0, 100, 40}, Stretch, &CZubrikDocument::SetEnvelopeStretch);
    Finish();
}

void CTransientToolBar::ToggleEffect() { fDocument.ToggleEnvelope(); }

void CTransientToolBar::ApplyPreset(const CEffectPreset& preset)
{
    fDocument.SelectEnvelopePreset(preset.Value(fFormat, "Attack"), preset.Value(fFormat, "Decay"),
                                   preset.Value(fFormat, "Stretch"));
}

bool CTransientToolBar::IsEffectOn() const { return fDocument.GetParameters().fEnvelopeOn; }

std::vector<int32_t> CTransientToolBar::GetSettings() const
{
    const SDocumentParameters p = fDocument.GetParameters();
    return {p.fEnvelopeAttack, p.fEnvelopeDecay, p.fEnvelopeStretch};
}

// ------------------------------------------------------------------ transient shaper

CCompressorToolBar::CCompressorToolBar(CZubrikDocument& document, QWidget* parent)
    : CABCEffectToolBar(document, NSStrings::kTopToolBarTexts + 5, NSStrings::kTransientShaperPresets,
                        TransientShaperPresetFormat(), 5, parent)
{
    AddKnob(kShaperKnobs, kShaperInfo, {0, 127, 77}, ShaperThreshold,
            &CZubrikDocument::SetTransientShaperThreshold);
    AddKnob(kShaperKnobs + 1, kShaperInfo + 1, {0, 127, 39}, Ratio, &CZubrikDocument::SetTransientShaperRatio);
    AddKnob(kShaperKnobs + 2, kShaperInfo + 2, {0, 1023, 193}, Time, &CZubrikDocument::SetTransientShaperAttack);
    AddKnob(kShaperKnobs + 3, kShaperInfo + 3, {0, 1023, 350}, Time, &CZubrikDocument::SetTransientShaperRelease);
    fMeter = new CGainChangeMeter(this);
    fMeter->setToolTip(ToolBarText(kShaperInfo + 4));
    fMeter->setStatusTip(ToolBarText(kShaperInfo + 4));
    AddControl(*fMeter);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this] {
        if (isVisible())
            ReadMeter();
    });
    timer->start(kMeterInterval);
    Finish();
}

void CCompressorToolBar::ReadMeter()
{
    CZubrikSampler& sampler = fDocument.GetSequencer().GetSampler();
    const float minimum = sampler.TakeMinimumFactor();
    fMeter->ShowFactors(minimum, sampler.TakeMaximumFactor());
}

void CCompressorToolBar::ToggleEffect() { fDocument.ToggleTransientShaper(); }

void CCompressorToolBar::ApplyPreset(const CEffectPreset& preset)
{
    fDocument.SelectTransientShaperPreset(preset.Value(fFormat, "Threshold"), preset.Value(fFormat, "Ratio"),
                                          preset.Value(fFormat, "Attack"), preset.Value(fFormat, "Release"));
}

bool CCompressorToolBar::IsEffectOn() const { return fDocument.GetEffectParameters().fShaperOn; }

std::vector<int32_t> CCompressorToolBar::GetSettings() const
{
    const SEffectParameters p = fDocument.GetEffectParameters();
    return {p.fShaperThreshold, p.fShaperRatio, p.fShaperAttack, p.fShaperRelease};
}

// ------------------------------------------------------------------ equalizer

CEqualizerToolBar::CEqualizerToolBar(CZubrikDocument& document, QWidget* parent)
    : CABCEffectToolBar(document, NSStrings::kTopToolBarTexts + 6, NSStrings::kEqualizerPresets,
                        EqualizerPresetFormat(), 10, parent)
{
    using D = CZubrikDocument;
    AddKnob(kEqualizerKnobs, kEqualizerInfo, {15, 12000, 15}, Hertz, &D::SetEqualizerLowCut);
    AddKnob(kEqualizerKnobs + 1, kEqualizerInfo + 1, {20, 3000, 100}, Hertz, &D::SetEqualizerLowFrequency);
    AddKnob(kEqualizerKnobs + 2, kEqualizerInfo + 2, {-18000, 18000, 0}, ThousandthsOfDecibel,
            &D::SetEqualizerLowGain);
    AddKnob(kEqualizerKnobs + 3, kEqualizerInfo + 3, {500, 10000, 1000}, Quality, &D::SetEqualizerLowQ);
    AddKnob(kEqualizerKnobs + 4, kEqualizerInfo + 4, {1500, 16000, 2500}, Hertz, &D::SetEqualizerHighFrequency);
    AddKnob(kEqualizerKnobs + 5, kEqualizerInfo + 5, {-18000, 18000, 0}, ThousandthsOfDecibel,
            &D::SetEqualizerHighGain);
    AddKnob(kEqualizerKnobs + 6, kEqualizerInfo + 6, {500, 10000, 1000}, Quality, &D::SetEqualizerHighQ);
    AddKnob(kEqualizerKnobs + 7, kEqualizerInfo + 7, {100, 20000, 20000}, Hertz, &D::SetEqualizerHighCut);
    Finish();
}

void CEqualizerToolBar::ToggleEffect() { fDocument.ToggleEqualizer(); }

void CEqualizerToolBar::ApplyPreset(const CEffectPreset& preset)
{
    // The document takes the bands' values in its own order.
    const int32_t values[8] = {preset.Value(fFormat, "LoCut"),   preset.Value(fFormat, "Low"),
                               preset.Value(fFormat, "LowQ"),    preset.Value(fFormat, "LowGain"),
                               preset.Value(fFormat, "High"),    preset.Value(fFormat, "HighQ"),
                               preset.Value(fFormat, "HighGain"), preset.Value(fFormat, "HighCut")};
    fDocument.SelectEqualizerPreset(values);
}

bool CEqualizerToolBar::IsEffectOn() const { return fDocument.GetEffectParameters().fEqualizerOn; }

std::vector<int32_t> CEqualizerToolBar::GetSettings() const
{
    const SEffectParameters p = fDocument.GetEffectParameters();
    return {p.fEqualizerLowCut,         p.fEqualizerLowFrequency, p.fEqualizerLowGain,  p.fEqualizerLowQ,
            p.fEqualizerHighFrequency, p.fEqualizerHighGain,     p.fEqualizerHighQ,    p.fEqualizerHighCut};
}

} // namespace NSZubrik
