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
#include <memory>

#include "document/DocumentTypes.h"
#include "ui/views/WaveformColours.h"

class QScrollBar;

namespace NSZubrik {

class CZubrikDocument;
class CWaveformImageRenderer;
class COverviewView;
class CSliceHandleView;
class CLargeWaveformView;
class CLocatorRulerView;
class CVerticalRulerView;

class CWaveformDisplayGroupView : public QWidget, private IDocumentListener {
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
    // The user's waveform colour, contrast and look; a change draws the wave
    // again.
    void SetWaveStyle(const SWaveStyle& style);
    const SWaveStyle& GetWaveStyle() const { return fWaveStyle; }
    // Positions along the time axis in frames instead of minutes and seconds.
    void SetShowingFrames(bool frames);
    bool IsShowingFrames() const { return fShowingFrames; }

    // ---- For the views of the group ----
    CZubrikDocument& GetDocument() const { return fDocument; }
    CWaveformImageRenderer& GetRenderer() const { return *fRenderer; }
    int32_t GetPlayCursor() const { return fPlayCursor; }
    // Counts the document's changes of slices, parameters and attributes, so
    // that views can tell when their pictures of them are stale.
    uint64_t GetOverlayVersion() const { return fOverlayVersion; }
    bool IsShowingChannelsSummed() const { return fSummed; }
    // Amplitude magnification of the large waveform: 1, 2, 4 ... 64.
    int32_t GetVerticalZoom() const { return fVerticalZoom; }
    void SetVerticalZoom(int32_t zoom);
    // A band of frames being dragged out (range selection or zoom), drawn
    // over the waveform; from == to when none.
    void SetDragBand(int32_t from, int32_t to);
    int32_t GetDragBandFrom() const { return fBandFrom; }
    int32_t GetDragBandTo() const { return fBandTo; }
    // Shows a gesture hint; an empty text clears it.
    void ShowHint(const QString& text);
    void RequestSliceContextMenu(int32_t sliceIndex, const QPoint& globalPosition);
    void RequestDragOut(int32_t sliceIndex, bool asMidi);
    // Scrolls by a number of the large waveform's pixels.
    void ScrollByPixels(int32_t pixels);
    // Width of the views that map frames to pixels.
    int32_t GetDimensionWidth() const;
    CLargeWaveformView& GetWaveformView() const { return *fWaveform; }
    CSliceHandleView& GetSliceHandleView() const { return *fHandles; }
    CLocatorRulerView& GetLocatorRulerView() const { return *fLocatorRuler; }
    COverviewView& GetOverviewView() const { return *fOverview; }

signals:
    // The hint for the status bar about what a gesture here does.
    void HintChanged(const QString& text);
    // A right-button press on a slice handle: the window opens the slice
    // context menu for that slice.
    void SliceContextMenuRequested(int32_t sliceIndex, const QPoint& globalPosition);
    // A Ctrl-drag in the slice-handle strip leaves for another program: the
    // slice (or the selected slices when it is selected; the whole loop for
    // -1) as WAVE files, or the loop as a MIDI file.
    void DragOutRequested(int32_t sliceIndex, bool asMidi);
    // A press in the waveform wants the slice at this frame to sound; the
    // window plays it through the sound card.
    void SlicePlayRequested(int32_t frame);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ParametersChanged(CZubrikDocument& document) override;
    void SlicesChanged(CZubrikDocument& document) override;
    void WaveSampleChanged(CZubrikDocument& document) override;
    void ViewAndEditAttributesChanged(CZubrikDocument& document) override;
    void UndoStateChanged(CZubrikDocument&) override {}
    void TitleChanged(CZubrikDocument&) override {}
    void PlaybackChanged(CZubrikDocument&) override {}

    // Snaps the visible range to whole frames per pixel of the waveform.
    void ApplyVisibleRange(int64_t start, int64_t end);
    void UpdateScrollBar();
    void UpdateAllViews();

    CZubrikDocument& fDocument;
    std::unique_ptr<CWaveformImageRenderer> fRenderer;
    COverviewView* fOverview = nullptr;
    CSliceHandleView* fHandles = nullptr;
    CLargeWaveformView* fWaveform = nullptr;
    CLocatorRulerView* fLocatorRuler = nullptr;
    CVerticalRulerView* fVerticalRuler = nullptr;
    QScrollBar* fScrollBar = nullptr;
    int32_t fStart = 0;
    int32_t fEnd = 1;
    int32_t fFramesPerPixel = 1;
    // The range fits the whole sound until the user changes it.
    bool fFitting = true;
    int32_t fPlayCursor = -1;
    bool fScrollDuringPlayback = true;
    bool fSummed = false;
    SWaveStyle fWaveStyle;
    bool fShowingFrames = false;
    int32_t fVerticalZoom = 1;
    int32_t fBandFrom = 0;
    int32_t fBandTo = 0;
    QString fHint;
    uint64_t fOverlayVersion = 1;
    bool fUpdatingScrollBar = false;
};

}  // namespace NSZubrik
