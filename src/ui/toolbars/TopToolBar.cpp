#include "ui/toolbars/TopToolBar.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QEvent>
#include <QStyle>
#include <QToolButton>

#include "app/ResourceIds.h"
#include "document/ZubrikDocument.h"
#include "ui/ZubrikCommands.h"
#include "ui/toolbars/ToolBarTexts.h"
#include "ui/toolbars/TransportIcons.h"

namespace NSZubrik {

namespace {

constexpr int32_t kTexts = NSStrings::kTopToolBarTexts;
constexpr int32_t kInfo = NSStrings::kInfoTexts;

QString OriginalTempoText(int32_t tempo) { return QStringLiteral("%1 BPM").arg(tempo / 1000.0, 0, 'f', 3); }

// "4/4" gives 4 and 4.
std::pair<int32_t, int32_t> Signature(const QString& choice)
{
    const QStringList parts = choice.split(u'/');
    return {parts.value(0).toInt(), parts.value(1).toInt()};
}

} // namespace

CTopToolBar::CTopToolBar(CZubrikDocument& document, QWidget* parent)
    : QWidget(parent), fDocument(document), fLayout(new QHBoxLayout(this))
{
    fLayout->setContentsMargins(4, 2, 4, 2);
    fLayout->setSpacing(1);
    QStyle& look = *style();

    fOpenButton = AddButton(kTexts, kInfo);
    fOpenButton->setIcon(look.standardIcon(QStyle::SP_DialogOpenButton));
    fOpenButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(fOpenButton, &QToolButton::clicked, this, [this] { emit CommandRequested(NSCommands::kOpen); });
    fSaveButton = AddButton(kTexts + 1, kInfo + 1);
    fSaveButton->setIcon(look.standardIcon(QStyle::SP_DialogSaveButton));
    fSaveButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(fSaveButton, &QToolButton::clicked, this, [this] { emit CommandRequested(NSCommands::kSave); });
    fFileExport = AddButton(kTexts + 2, kInfo + 3);
    fFileExport->setText(QStringLiteral("Export"));
    connect(fFileExport, &QToolButton::clicked, this, [this] { emit CommandRequested(NSCommands::kExport); });
    fTransmitAsOneSampleToolbarButton = AddButton(kTexts + 3, kInfo + 2, true);
    fTransmitAsOneSampleToolbarButton->setText(QStringLiteral("One Sample"));
    connect(fTransmitAsOneSampleToolbarButton, &QToolButton::clicked, this,
            [this] { fDocument.ToggleExportAsOneSample(); });
    fLayout->addSpacing(6);

    using P = SViewAndEditAttributes;
    fTransientShaperButton = AddPanelButton(kTexts + 4, kInfo + 4, P::kEnvelopePanel);
    fCompressorButton = AddPanelButton(kTexts + 5, kInfo + 6, P::kTransientShaperPanel);
    fEqualizerButton = AddPanelButton(kTexts + 6, kInfo + 5, P::kEqualizerPanel);
    fLayout->addSpacing(6);

    fPreviewPlayButton = AddButton(kTexts + 7, kInfo + 7, true);
    fPreviewPlayButton->setText(QStringLiteral("Preview"));
    connect(fPreviewPlayButton, &QToolButton::clicked, this, [this] {
        fDocument.TogglePreviewPlay();
        // The loop-length question may have been cancelled.
        Refresh();
    });
    const struct {
        QToolButton** fButton;
        int32_t fPlayMode;
    } transport[] = {
        {&fStopToolbarButton, CZubrikDocument::kNotPlaying},
        {&fPlayToolbarButton, CZubrikDocument::kPlayingLoop},
        {&fPlayPreviousToolbarButton, CZubrikDocument::kPlayingPreviousSlice},
        {&fPlayCurrentSliceToolbarButton, CZubrikDocument::kPlayingCurrentSlice},
        {&fPlayNextToolbarButton, CZubrikDocument::kPlayingCurrentSliceAndAdvance},
    };
    for (int i = 0; i < 5; ++i) {
        QToolButton* button = AddButton(kTexts + 8 + i, kInfo + 8 + i);
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        connect(button, &QToolButton::clicked, this, [this, mode = transport[i].fPlayMode] { emit PlayRequested(mode); });
        *transport[i].fButton = button;
    }
    DrawTransportIcons();
    SetLargeIcons(false);
    fLayout->addSpacing(6);
    AddLoopLength();
    fLayout->addStretch(1);
    Refresh();
    fDocument.AddListener(*this);
}

CTopToolBar::~CTopToolBar() { fDocument.RemoveListener(*this); }

QToolButton* CTopToolBar::AddButton(int32_t entry, int32_t infoEntry, bool checkable)
{
    auto* button = new QToolButton(this);
    button->setText(ToolBarText(entry));
    button->setCheckable(checkable);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    DescribeControl(*button, entry, infoEntry);
    fLayout->addWidget(button);
    return button;
}

QToolButton* CTopToolBar::AddPanelButton(int32_t entry, int32_t infoEntry, int32_t panel)
{
    QToolButton* button = AddButton(entry, infoEntry, true);
    connect(button, &QToolButton::clicked, this, [this, panel] {
        if (QApplication::keyboardModifiers() & Qt::AltModifier)
            ToggleEffect(panel);
        else
            fDocument.TogglePanel(panel, false);
        Refresh();
    });
    return button;
}

void CTopToolBar::ToggleEffect(int32_t panel)
{
    switch (panel) {
    case SViewAndEditAttributes::kEnvelopePanel: fDocument.ToggleEnvelope(); break;
    case SViewAndEditAttributes::kTransientShaperPanel: fDocument.ToggleTransientShaper(); break;
    case SViewAndEditAttributes::kEqualizerPanel: fDocument.ToggleEqualizer(); break;
    default: break;
    }
}

void CTopToolBar::AddLoopLength()
{
    auto label = [this](int32_t entry, int32_t infoEntry) {
        auto* text = new QLabel(ToolBarText(entry), this);
        text->setStatusTip(ToolBarText(infoEntry));
        fLayout->addWidget(text);
    };
    label(kTexts + 20, kInfo + 13);
    fBarsTextEdit = new QLineEdit(this);
    // Digits only; the document clamps the count.
    fBarsTextEdit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this));
    fBarsTextEdit->setFixedWidth(fBarsTextEdit->fontMetrics().horizontalAdvance(QStringLiteral("9999")) + 12);
    fBarsTextEdit->setAlignment(Qt::AlignRight);
    DescribeControl(*fBarsTextEdit, kTexts + 13, kInfo + 13);
    connect(fBarsTextEdit, &QLineEdit::editingFinished, this, &CTopToolBar::CommitBars);
    fLayout->addWidget(fBarsTextEdit);

    fLayout->addSpacing(2);
    label(kTexts + 21, kInfo + 14);
    fBeatsPopup = new QComboBox(this);
    fBeatsPopup->addItems(ToolBarChoices(kTexts + 26));
    DescribeControl(*fBeatsPopup, kTexts + 14, kInfo + 14);
    connect(fBeatsPopup, &QComboBox::activated, this, [this](int index) { fDocument.SetBeats(index); });
    fLayout->addWidget(fBeatsPopup);

    fLayout->addSpacing(2);
    label(kTexts + 22, kInfo + 15);
    fSignPopup = new QComboBox(this);
    fSignPopup->addItems(ToolBarChoices(kTexts + 27));
    DescribeControl(*fSignPopup, kTexts + 15, kInfo + 15);
    connect(fSignPopup, &QComboBox::activated, this, [this](int index) {
        const auto [numerator, denominator] = Signature(fSignPopup->itemText(index));
        fDocument.SetTimeSignature(numerator, denominator);
    });
    fLayout->addWidget(fSignPopup);
    fLayout->addSpacing(6);

    // The short title keeps the bar within the window's width.
    label(kTexts + 24, kInfo + 16);
    fOriginalTempoText = new QLabel(ToolBarText(kTexts + 25), this);
    fOriginalTempoText->setStatusTip(ToolBarText(kInfo + 16));
    fOriginalTempoText->setMinimumWidth(fOriginalTempoText->fontMetrics().horizontalAdvance(
                                            OriginalTempoText(999999)) + 4);
    fLayout->addWidget(fOriginalTempoText);
}

void CTopToolBar::CommitBars()
{
    const QString text = fBarsTextEdit->text();
    if (!text.isEmpty() && text.toInt() != fDocument.GetBars())
        fDocument.SetBars(std::min(text.toInt(), CZubrikDocument::kMaximumBars));
    Refresh();
}

void CTopToolBar::DrawTransportIcons()
{
    const QColor colour = palette().color(QPalette::ButtonText);
    const std::pair<QToolButton*, ETransportIcon> icons[] = {
        {fStopToolbarButton, ETransportIcon::kStop},
        {fPlayToolbarButton, ETransportIcon::kPlay},
        {fPlayPreviousToolbarButton, ETransportIcon::kPrevious},
        {fPlayCurrentSliceToolbarButton, ETransportIcon::kCurrent},
        {fPlayNextToolbarButton, ETransportIcon::kNext},
    };
    for (const auto& [button, kind] : icons)
        button->setIcon(TransportIcon(kind, colour));
}

void CTopToolBar::SetLargeIcons(bool large)
{
    const int32_t side = large ? kLargeIconSide : kSmallIconSide;
    for (QToolButton* button : {fOpenButton, fSaveButton, fStopToolbarButton, fPlayToolbarButton,
                                fPlayPreviousToolbarButton, fPlayCurrentSliceToolbarButton, fPlayNextToolbarButton})
        button->setIconSize(QSize(side, side));
}

void CTopToolBar::changeEvent(QEvent* event)
{
    // Not before the constructor has made the controls.
    if (event->type() == QEvent::PaletteChange && fOriginalTempoText != nullptr) {
        DrawTransportIcons();
        Refresh();
    }
    QWidget::changeEvent(event);
}

void CTopToolBar::ParametersChanged(CZubrikDocument&) { Refresh(); }
void CTopToolBar::WaveSampleChanged(CZubrikDocument&) { Refresh(); }
void CTopToolBar::ViewAndEditAttributesChanged(CZubrikDocument&) { Refresh(); }

void CTopToolBar::Refresh()
{
    const SDocumentParameters p = fDocument.GetParameters();
    const SEffectParameters e = fDocument.GetEffectParameters();
    const SViewAndEditAttributes& view = fDocument.GetViewAndEditAttributes();
    fTransmitAsOneSampleToolbarButton->setChecked(p.fExportAsOneSample);
    fPreviewPlayButton->setChecked(p.fPreviewOn);
    const struct {
        QToolButton* fButton;
        int32_t fPanel;
        bool fOn;
    } panels[] = {{fTransientShaperButton, SViewAndEditAttributes::kEnvelopePanel, p.fEnvelopeOn},
                  {fCompressorButton, SViewAndEditAttributes::kTransientShaperPanel, e.fShaperOn},
                  {fEqualizerButton, SViewAndEditAttributes::kEqualizerPanel, e.fEqualizerOn}};
    for (const auto& panel : panels) {
        panel.fButton->setChecked(view.IsPanelShown(panel.fPanel));
        // A working effect shows in the highlight colour whether or not its
        // bar is shown; a colour, unlike bold type, keeps the bar's width.
        panel.fButton->setProperty("effectOn", panel.fOn);
        // Only the text colour is set; the rest follows the bar's palette.
        QPalette colours;
        if (panel.fOn)
            colours.setColor(QPalette::ButtonText, palette().color(QPalette::Highlight));
        panel.fButton->setPalette(colours);
    }
    if (!fBarsTextEdit->hasFocus())
        fBarsTextEdit->setText(QString::number(p.fBars));
    const QSignalBlocker beats(fBeatsPopup), sign(fSignPopup);
    fBeatsPopup->setCurrentIndex(std::clamp(p.fBeats, 0, fBeatsPopup->count() - 1));
    fSignPopup->setCurrentText(QStringLiteral("%1/%2").arg(p.fSignatureNumerator).arg(p.fSignatureDenominator));
    fOriginalTempoText->setText(OriginalTempoText(fDocument.GetSequencer().GetOriginalTempo()));
}

} // namespace NSZubrik
