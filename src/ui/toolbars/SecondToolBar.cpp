#include "ui/toolbars/SecondToolBar.h"

#include <QButtonGroup>
#include <QDoubleValidator>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <cmath>

#include "app/ResourceIds.h"
#include "audiodata/SliceSequence.h"
#include "document/ZubrikDocument.h"
#include "ui/toolbars/Knob.h"
#include "ui/toolbars/OutputPeakMeter.h"
#include "ui/toolbars/ToolBarTexts.h"

namespace NSZubrik {

namespace {

constexpr int32_t kTexts = NSStrings::kSecondToolBarTexts;
constexpr int32_t kInfo = NSStrings::kInfoTexts;
constexpr int32_t kMaximumSensitivity = 99;

QString TempoText(int32_t tempo) { return QString::number(tempo / 1000.0, 'f', 3); }

} // namespace

CSecondToolBar::CSecondToolBar(CZubrikDocument& document, QWidget* parent)
    : QWidget(parent), fDocument(document), fLayout(new QHBoxLayout(this)), fTools(new QButtonGroup(this))
{
    fLayout->setContentsMargins(6, 2, 6, 2);
    fLayout->setSpacing(4);
    AddTools();
    fLayout->addSpacing(10);
    AddSensitivity();
    fLayout->addSpacing(10);
    AddKnobs();
    fLayout->addSpacing(10);
    AddPreviewTempo();
    fLayout->addStretch(1);
    fOutputPeakMeter = new COutputPeakMeter(fDocument.GetSequencer().GetMeterData(), this);
    fOutputPeakMeter->setToolTip(QStringLiteral("Output level"));
    fLayout->addWidget(fOutputPeakMeter);
    Refresh();
    fDocument.AddListener(*this);
}

CSecondToolBar::~CSecondToolBar()
{
    fDocument.RemoveListener(*this);
    // A knob that loses the focus as it goes ends its gesture through this
    // bar, so the knobs go while the bar is still whole.
    delete fGateSensitivityKnob;
    delete fPitchKnob;
    delete fProcessingGainKnob;
}

void CSecondToolBar::AddTools()
{
    fTools->setExclusive(true);
    for (int32_t i = 0; i < 4; ++i) {
        auto* button = new QToolButton(this);
        // "Arrow tool" shows as "Arrow".
        button->setText(ToolBarText(kTexts + i).section(u' ', 0, 0));
        button->setCheckable(true);
        button->setAutoRaise(true);
        DescribeControl(*button, kTexts + i, kInfo + 19 + i);
        fTools->addButton(button, SViewAndEditAttributes::kArrowTool + i);
        fLayout->addWidget(button);
        fToolButtons[i] = button;
    }
    connect(fTools, &QButtonGroup::idClicked, this, [this](int tool) { fDocument.SetTool(tool); });
}

void CSecondToolBar::AddSensitivity()
{
    auto* title = new QLabel(ToolBarText(kTexts + 20), this);
    title->setStatusTip(ToolBarText(kInfo + 23));
    fLayout->addWidget(title);
    fSensitivityFader = new QSlider(Qt::Horizontal, this);
    fSensitivityFader->setRange(0, kMaximumSensitivity);
    fSensitivityFader->setPageStep(10);
    fSensitivityFader->setMinimumWidth(140);
    DescribeControl(*fSensitivityFader, kTexts + 4, kInfo + 23);
    // Each step shows at once; the steps of one drag merge into one undo
    // step, and a new drag starts a new one.
    connect(fSensitivityFader, &QSlider::valueChanged, this, [this](int value) { fDocument.SetSensitivity(value); });
    connect(fSensitivityFader, &QSlider::sliderPressed, this, [this] { fDocument.EndEditGesture(); });
    connect(fSensitivityFader, &QSlider::sliderReleased, this, [this] { fDocument.EndEditGesture(); });
    fLayout->addWidget(fSensitivityFader);
    fSensitivityShownText = new QLabel(this);
    fSensitivityShownText->setMinimumWidth(fSensitivityShownText->fontMetrics().horizontalAdvance(QStringLiteral("000")));
    fSensitivityShownText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    fLayout->addWidget(fSensitivityShownText);

    fSilenceSelectedToolbarButton = new QToolButton(this);
    fSilenceSelectedToolbarButton->setText(QStringLiteral("Silence"));
    fSilenceSelectedToolbarButton->setCheckable(true);
    fSilenceSelectedToolbarButton->setAutoRaise(true);
    DescribeControl(*fSilenceSelectedToolbarButton, kTexts + 5, kInfo + 24);
    connect(fSilenceSelectedToolbarButton, &QToolButton::clicked, this, [this] {
        fDocument.ToggleSilenceSelected();
        Refresh();
    });
    fLayout->addSpacing(6);
    fLayout->addWidget(fSilenceSelectedToolbarButton);
}

void CSecondToolBar::AddKnobs()
{
    using namespace NSKnobUnits;
    auto gestureEnd = [this] { fDocument.EndEditGesture(); };
    fGateSensitivityKnob = new CKnobControl(
        kTexts + 21, kTexts + 6, kInfo + 25, {0, 999, 0}, Plain,
        [this](int32_t value) { fDocument.SetGateSensitivity(value); }, gestureEnd, this);
    fPitchKnob = new CKnobControl(
        kTexts + 22, kTexts + 7, kInfo + 26, {-2400, 2400, 0}, Cents,
        [this](int32_t value) { fDocument.SetPitch(static_cast<int16_t>(value)); }, gestureEnd, this);
    fProcessingGainKnob = new CKnobControl(
        kTexts + 23, kTexts + 8, kInfo + 27, {0, 7943, 1000}, LinearGain,
        [this](int32_t value) { fDocument.SetProcessingGain(value); }, gestureEnd, this);
    for (CKnobControl* knob : {fGateSensitivityKnob, fPitchKnob, fProcessingGainKnob})
        fLayout->addWidget(knob);
}

void CSecondToolBar::AddPreviewTempo()
{
    auto* title = new QLabel(ToolBarText(kTexts + 24), this);
    title->setStatusTip(ToolBarText(kInfo + 28));
    fLayout->addWidget(title);
    fPreviewTempoTextEdit = new QLineEdit(this);
    auto* validator = new QDoubleValidator(kMinimumPreviewTempo / 1000.0, kMaximumPreviewTempo / 1000.0, 3, this);
    validator->setNotation(QDoubleValidator::StandardNotation);
    validator->setLocale(QLocale::c());
    fPreviewTempoTextEdit->setValidator(validator);
    fPreviewTempoTextEdit->setAlignment(Qt::AlignRight);
    fPreviewTempoTextEdit->setFixedWidth(fPreviewTempoTextEdit->fontMetrics().horizontalAdvance(TempoText(450000)) + 16);
    DescribeControl(*fPreviewTempoTextEdit, kTexts + 9, kInfo + 28);
    connect(fPreviewTempoTextEdit, &QLineEdit::editingFinished, this, &CSecondToolBar::CommitPreviewTempo);
    fLayout->addWidget(fPreviewTempoTextEdit);
    auto* unit = new QLabel(ToolBarText(kTexts + 25), this);
    unit->setStatusTip(ToolBarText(kInfo + 28));
    fLayout->addWidget(unit);
}

void CSecondToolBar::CommitPreviewTempo()
{
    bool number = false;
    const double bpm = QLocale::c().toDouble(fPreviewTempoTextEdit->text(), &number);
    if (number) {
        const auto tempo = static_cast<int32_t>(std::lround(bpm * 1000.0));
        fDocument.SetPreviewTempo(std::clamp(tempo, kMinimumPreviewTempo, kMaximumPreviewTempo));
    }
    Refresh();
}

void CSecondToolBar::ParametersChanged(CZubrikDocument&) { Refresh(); }
void CSecondToolBar::SlicesChanged(CZubrikDocument&) { Refresh(); }
void CSecondToolBar::ViewAndEditAttributesChanged(CZubrikDocument&) { Refresh(); }

void CSecondToolBar::Refresh()
{
    if (QAbstractButton* tool = fTools->button(fDocument.GetViewAndEditAttributes().fTool))
        tool->setChecked(true);
    const CSliceSequence& slices = fDocument.GetSliceSequence();
    {
        const QSignalBlocker quiet(fSensitivityFader);
        fSensitivityFader->setValue(slices.GetSensitivity());
    }
    fSensitivityShownText->setText(QString::number(slices.GetSensitivity()));
    const SDocumentParameters p = fDocument.GetParameters();
    fSilenceSelectedToolbarButton->setChecked(p.fSilenceSelected);
    fGateSensitivityKnob->SetValue(slices.GetGateSensitivity());
    fPitchKnob->SetValue(p.fPitch);
    fProcessingGainKnob->SetValue(fDocument.GetEffectParameters().fProcessingGain);
    if (!fPreviewTempoTextEdit->hasFocus())
        fPreviewTempoTextEdit->setText(TempoText(p.fPreviewTempo));
}

} // namespace NSZubrik
