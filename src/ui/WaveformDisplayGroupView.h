// The sound as the document window shows it: the overview of the whole
// sound, the slice-handle strip, the large waveform, the locator ruler, the
// vertical ruler with its magnifier and the horizontal scroll bar, all
// sharing one visible range. The views draw the document and its wave
// sample's min/max summary and keep no second copy of document state; every
// gesture becomes a document command.
#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>
#include <cstdint>

namespace NSZubrik {

class CZubrikDocument;

class CWaveformDisplayGroupView : public QWidget {
    Q_OBJECT
public:
    explicit CWaveformDisplayGroupView(CZubrikDocument& document, QWidget* parent = nullptr);
    ~CWaveformDisplayGroupView() override;

    // The visible range, half-open, snapped to a whole number of frames per
    // pixel of the large waveform.
    int32_t GetVisibleStart() const;
    int32_t GetVisibleEnd() const;
    int32_t GetFramesPerPixel() const;
    void SetVisibleRange(int32_t start, int32_t end);

    void MagnifyIn();
    void MagnifyOut();
    void MagnifyToFit();
    void MagnifyToFitLoop();
    void MagnifyToFitSlice(int32_t sliceIndex);
    void JumpToCursor();

    // The frame the preview is playing, or -1 when nothing plays; the window
    // sets it from its timer. While Scroll During Playback is on, the view
    // follows it.
    void SetPlayCursor(int32_t frame);
    void SetScrollDuringPlayback(bool on);
    // Draw the sum of both channels instead of each channel on its own.
    void SetShowChannelsSummed(bool summed);

signals:
    // The hint for the status bar about what a gesture here does.
    void HintChanged(const QString& text);
    // A right-button press on a slice handle: the window opens the slice
    // context menu for that slice.
    void SliceContextMenuRequested(int32_t sliceIndex, const QPoint& globalPosition);
};

}  // namespace NSZubrik
