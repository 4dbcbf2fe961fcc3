// The top tool bar: file buttons, the buttons that show the effect tool bars
// (Alt-Click switches the effect on or off), the preview switch, the
// transport and the loop length with the original tempo that follows from it.
#pragma once

#include <QWidget>
#include <cstdint>

#include "document/DocumentTypes.h"

class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QToolButton;

namespace NSZubrik {

class CTopToolBar : public QWidget, public IDocumentListener {
    Q_OBJECT
public:
    explicit CTopToolBar(CZubrikDocument& document, QWidget* parent = nullptr);
    ~CTopToolBar() override;

    // The icon buttons (open, save, transport) at the large icon size, or
    // at the standard small one.
    void SetLargeIcons(bool large);
    static constexpr int32_t kSmallIconSide = 16;
    static constexpr int32_t kLargeIconSide = 24;

    void ParametersChanged(CZubrikDocument& document) override;
    void SlicesChanged(CZubrikDocument&) override {}
    void WaveSampleChanged(CZubrikDocument& document) override;
    void ViewAndEditAttributesChanged(CZubrikDocument& document) override;
    void UndoStateChanged(CZubrikDocument&) override {}
    void TitleChanged(CZubrikDocument&) override {}
    void PlaybackChanged(CZubrikDocument&) override {}

    QToolButton* fOpenButton = nullptr;
    QToolButton* fSaveButton = nullptr;
    QToolButton* fFileExport = nullptr;
    QToolButton* fTransmitAsOneSampleToolbarButton = nullptr;
    QToolButton* fTransientShaperButton = nullptr;
    QToolButton* fCompressorButton = nullptr;
    QToolButton* fEqualizerButton = nullptr;
    QToolButton* fPreviewPlayButton = nullptr;
    QToolButton* fStopToolbarButton = nullptr;
    QToolButton* fPlayToolbarButton = nullptr;
    QToolButton* fPlayPreviousToolbarButton = nullptr;
    QToolButton* fPlayCurrentSliceToolbarButton = nullptr;
    QToolButton* fPlayNextToolbarButton = nullptr;
    QLineEdit* fBarsTextEdit = nullptr;
    QComboBox* fBeatsPopup = nullptr;
    QComboBox* fSignPopup = nullptr;
    QLabel* fOriginalTempoText = nullptr;

signals:
    // A command of the application (Open, Save, Export) for the window to
    // dispatch.
    void CommandRequested(int32_t command);
    // A transport button: a play mode of the document, or kNotPlaying for
    // Stop. The window plays it through the sound card.
    void PlayRequested(int32_t playMode);

protected:
    void changeEvent(QEvent* event) override;

private:
    void DrawTransportIcons();
    QToolButton* AddButton(int32_t entry, int32_t infoEntry, bool checkable = false);
    QToolButton* AddPanelButton(int32_t entry, int32_t infoEntry, int32_t panel);
    // Alt-Click on a panel button: the panel's effect on or off.
    void ToggleEffect(int32_t panel);
    void AddLoopLength();
    void CommitBars();
    void Refresh();

    CZubrikDocument& fDocument;
    QHBoxLayout* fLayout;
};

} // namespace NSZubrik
