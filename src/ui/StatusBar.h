// The document window's status bar: the info text of the control under the
// pointer (or the waveform's gesture hint), the sound's format, what an
// export would write, and the shown slices at the current sensitivity.
#pragma once

#include <QStatusBar>
#include <QTimer>

#include "document/DocumentTypes.h"

class QLabel;
class QMainWindow;

namespace NSZubrik {

class CZubrikDocument;

class CStatusBar : public QStatusBar, public IDocumentListener {
    Q_OBJECT
public:
    // Takes the window's status tips into the info field.
    CStatusBar(CZubrikDocument& document, QMainWindow& window);
    ~CStatusBar() override;

    QLabel& GetInfoView() { return *fStaticTextInfoView; }
    QLabel& GetStereoOrMono() { return *fStaticTextStereoOrMono; }
    QLabel& GetSliceInfo() { return *fStaticTextSliceInfo; }
    QLabel& GetShownSlices() { return *fStaticTextShownSlices; }

    // Recomputes the export statistics now and shows them (what the
    // throttle's timer does once the figures have settled).
    void RefreshStatistics();

    void ShowInfo(const QString& text);

    void ParametersChanged(CZubrikDocument& document) override;
    void SlicesChanged(CZubrikDocument& document) override;
    void WaveSampleChanged(CZubrikDocument& document) override;
    void ViewAndEditAttributesChanged(CZubrikDocument& document) override;
    void UndoStateChanged(CZubrikDocument& document) override;
    void TitleChanged(CZubrikDocument& document) override;
    void PlaybackChanged(CZubrikDocument& document) override;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    void Refresh();
    void ShowStatistics(int32_t sliceCount, int64_t sampleValues);

    CZubrikDocument& fDocument;
    QMainWindow& fWindow;
    QLabel* fStaticTextInfoView;
    QLabel* fStaticTextShownSlices;
    QLabel* fStaticTextStereoOrMono;
    QLabel* fStaticTextSliceInfo;
    // The export statistics are recomputed at most once per interval: a
    // drag of the Sensitivity fader would otherwise rebuild an export on
    // every step.
    QTimer fStatisticsTimer;
};

} // namespace NSZubrik
