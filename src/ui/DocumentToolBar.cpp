#include "ui/DocumentToolBar.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>

#include "app/ResourceIds.h"
#include "app/StringTables.h"
#include "audiodata/SliceSequence.h"
#include "document/ZubrikDocument.h"

namespace NSZubrik {

namespace {

QString Text(int32_t entry) { return QString::fromStdString(GetString(kProgramStringList, entry)); }

// The tool's name without the word "tool": "Arrow tool" gives "Arrow".
QString ToolName(int32_t entry) { return Text(entry).section(' ', 0, 0); }

} // namespace

CDocumentToolBar::CDocumentToolBar(CZubrikDocument& document, std::function<void(std::function<void()>)> run,
                                   QWidget* parent)
    : QToolBar(parent), fDocument(document), fRun(std::move(run))
{
    setObjectName(QStringLiteral("documentToolBar"));
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto* tools = new QActionGroup(this);
    for (int32_t i = 0; i < 4; ++i) {
        QAction* tool = addAction(ToolName(NSStrings::kSecondToolBarTexts + i));
        tool->setCheckable(true);
        tool->setToolTip(Text(NSStrings::kInfoTexts + 19 + i));
        tools->addAction(tool);
        const int32_t value = SViewAndEditAttributes::kArrowTool + i;
        connect(tool, &QAction::triggered, this, [this, value] { fRun([this, value] { fDocument.SetTool(value); }); });
        fTools[size_t(i)] = tool;
    }
    addSeparator();

    auto* sensitivity = new QWidget;
    auto* layout = new QHBoxLayout(sensitivity);
    layout->setContentsMargins(8, 0, 8, 0);
    layout->setSpacing(8);
    layout->addWidget(new QLabel(Text(NSStrings::kSecondToolBarTexts + 26)));
    fSensitivity = new QSlider(Qt::Horizontal);
    fSensitivity->setRange(0, 99);
    fSensitivity->setFixedWidth(180);
    fSensitivity->setFocusPolicy(Qt::NoFocus);
    fSensitivity->setToolTip(Text(NSStrings::kInfoTexts + 23));
    fSensitivityField = new QSpinBox;
    fSensitivityField->setRange(0, 99);
    fSensitivityField->setButtonSymbols(QAbstractSpinBox::NoButtons);
    fSensitivityField->setAlignment(Qt::AlignRight);
    fSensitivityField->setFixedWidth(44);
    fSensitivityField->setKeyboardTracking(false);
    layout->addWidget(fSensitivity);
    layout->addWidget(fSensitivityField);
    sensitivity->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    addWidget(sensitivity);
    connect(fSensitivity, &QSlider::valueChanged, this, &CDocumentToolBar::SetSensitivity);
    connect(fSensitivityField, &QSpinBox::valueChanged, this, &CDocumentToolBar::SetSensitivity);
    Refresh();
}

void CDocumentToolBar::SetSensitivity(int value)
{
    if (!fRefreshing)
        fRun([this, value] { fDocument.SetSensitivity(value); });
}

void CDocumentToolBar::Refresh()
{
    fRefreshing = true;
    const int32_t tool = fDocument.GetViewAndEditAttributes().fTool - SViewAndEditAttributes::kArrowTool;
    if (tool >= 0 && tool < 4)
        fTools[size_t(tool)]->setChecked(true);
    const int sensitivity = fDocument.GetSliceSequence().GetSensitivity();
    fSensitivity->setValue(sensitivity);
    fSensitivityField->setValue(sensitivity);
    fRefreshing = false;
}

} // namespace NSZubrik
