// All tool bars of a document window, stacked: the top bar, the second bar
// and the three effect bars, which show and hide as the document's view
// attributes say. The window places this one widget above its waveform.
#pragma once

#include <QWidget>
#include <cstdint>

#include "document/DocumentTypes.h"

namespace NSZubrik {

class CTopToolBar;
class CSecondToolBar;
class CTransientToolBar;
class CCompressorToolBar;
class CEqualizerToolBar;

class CDocumentToolBars : public QWidget, public IDocumentListener {
    Q_OBJECT
public:
    explicit CDocumentToolBars(CZubrikDocument& document, QWidget* parent = nullptr);
    ~CDocumentToolBars() override;

    CTopToolBar& GetTopToolBar() { return *fTopToolBar; }
    CSecondToolBar& GetSecondToolBar() { return *fSecondToolBar; }
    // The icon buttons of the bars at the large or the small icon size.
    void SetLargeIcons(bool large);
    // The effect bar of a panel number of the view attributes.
    QWidget& GetEffectToolBar(int32_t panel);

    void ParametersChanged(CZubrikDocument&) override {}
    void SlicesChanged(CZubrikDocument&) override {}
    void WaveSampleChanged(CZubrikDocument&) override {}
    void ViewAndEditAttributesChanged(CZubrikDocument& document) override;
    void UndoStateChanged(CZubrikDocument&) override {}
    void TitleChanged(CZubrikDocument&) override {}
    void PlaybackChanged(CZubrikDocument&) override {}

signals:
    // Open, Save or Export from the top bar, for the window to dispatch.
    void CommandRequested(int32_t command);
    void PlayRequested(int32_t playMode);

private:
    void ShowPanels();

    CZubrikDocument& fDocument;
    CTopToolBar* fTopToolBar;
    CSecondToolBar* fSecondToolBar;
    CTransientToolBar* fTransientToolBar;
    CCompressorToolBar* fCompressorToolBar;
    CEqualizerToolBar* fEqualizerToolBar;
};

} // namespace NSZubrik
