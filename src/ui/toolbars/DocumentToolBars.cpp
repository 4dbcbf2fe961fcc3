#include "ui/toolbars/DocumentToolBars.h"

#include <QFrame>
#include <QVBoxLayout>

#include "document/ZubrikDocument.h"
#include "ui/toolbars/EffectToolBars.h"
#include "ui/toolbars/SecondToolBar.h"
#include "ui/toolbars/TopToolBar.h"

namespace NSZubrik {

CDocumentToolBars::CDocumentToolBars(CZubrikDocument& document, QWidget* parent)
    : QWidget(parent), fDocument(document), fTopToolBar(new CTopToolBar(document, this)),
      fSecondToolBar(new CSecondToolBar(document, this)), fTransientToolBar(new CTransientToolBar(document, this)),
      fCompressorToolBar(new CCompressorToolBar(document, this)), fEqualizerToolBar(new CEqualizerToolBar(document, this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(fTopToolBar);
    // A rule above each bar below the first; an effect bar's rule shows and
    // hides with it.
    for (QWidget* bar : std::initializer_list<QWidget*>{fSecondToolBar, fTransientToolBar, fCompressorToolBar,
                                                         fEqualizerToolBar}) {
        auto* rule = new QFrame(this);
        rule->setFrameShape(QFrame::HLine);
        rule->setFrameShadow(QFrame::Sunken);
        layout->addWidget(rule);
        layout->addWidget(bar);
    }
    connect(fTopToolBar, &CTopToolBar::CommandRequested, this, &CDocumentToolBars::CommandRequested);
    ShowPanels();
    fDocument.AddListener(*this);
}

CDocumentToolBars::~CDocumentToolBars() { fDocument.RemoveListener(*this); }

QWidget& CDocumentToolBars::GetEffectToolBar(int32_t panel)
{
    switch (panel) {
    case SViewAndEditAttributes::kEnvelopePanel: return *fTransientToolBar;
    case SViewAndEditAttributes::kTransientShaperPanel: return *fCompressorToolBar;
    default: return *fEqualizerToolBar;
    }
}

void CDocumentToolBars::SetLargeIcons(bool large) { fTopToolBar->SetLargeIcons(large); }

void CDocumentToolBars::ViewAndEditAttributesChanged(CZubrikDocument&) { ShowPanels(); }

void CDocumentToolBars::ShowPanels()
{
    const SViewAndEditAttributes& view = fDocument.GetViewAndEditAttributes();
    QLayout& stack = *layout();
    for (int32_t panel : {SViewAndEditAttributes::kEnvelopePanel, SViewAndEditAttributes::kTransientShaperPanel,
                          SViewAndEditAttributes::kEqualizerPanel}) {
        QWidget& bar = GetEffectToolBar(panel);
        const bool shown = view.IsPanelShown(panel);
        bar.setVisible(shown);
        // The rule above the bar.
        const int index = stack.indexOf(&bar);
        if (QLayoutItem* rule = stack.itemAt(index - 1); rule != nullptr && rule->widget() != nullptr)
            rule->widget()->setVisible(shown);
    }
}

} // namespace NSZubrik
