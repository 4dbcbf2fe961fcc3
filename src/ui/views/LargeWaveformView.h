// The large waveform: both channels (or their sum) of the visible range, with
// the slice lines, the loop, the grid and the play cursor over it. The wave
// itself is drawn into a cached image that is drawn again only when the
// sound, the scale, the size or the magnification changes; the grid and the
// slice lines are laid over a copy of it when they change, and the loop, the
// bands being dragged and the play cursor are painted on each repaint.
#pragma once

#include <QImage>

#include "ui/views/DimensionView.h"

namespace NSZubrik {

class CLargeWaveformView : public CDimensionView {
    Q_OBJECT
public:
    CLargeWaveformView(CWaveformDisplayGroupView& group, QWidget* parent);

    void InvalidateCache() { fCacheKey = {}; }
    // How often the cached image was drawn: for tests and benchmarks.
    int32_t GetCacheDrawCount() const { return fCacheDraws; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct SCacheKey {
        const void* fWave = nullptr;
        int32_t fFrameCount = 0;
        int32_t fStart = 0;
        int32_t fFramesPerPixel = 0;
        QSize fSize;
        qreal fRatio = 0;
        int32_t fZoom = 0;
        bool fSummed = false;
        QRgb fColour = 0;
        int32_t fLook = 0;
        bool operator==(const SCacheKey&) const = default;
    };
    enum class EDrag { kNone, kZoom, kPlay };

    // ratio: device pixels per point of the device being painted.
    void EnsureCache(qreal ratio);
    // The grid in sixteenth notes from the left locator, into the lines image.
    void DrawGridLines(qreal ratio);
    // The background, the grid, the wave and the slice lines in one opaque
    // image, composed again when the document's slices, parameters or
    // attributes or the wave image change.
    void EnsureComposed(qreal ratio);
    // The shade outside the locators and their lines.
    void PaintLoop(QPainter& painter);
    void PlaySliceUnder(int32_t x);

    QImage fCache;
    SCacheKey fCacheKey;
    int32_t fCacheDraws = 0;
    QImage fComposed;
    SCacheKey fComposedKey;
    uint64_t fComposedVersion = 0;
    EDrag fDrag = EDrag::kNone;
    int32_t fZoomFrom = 0;
    // The slice last played while the button is held (its frame), -2 none.
    int32_t fPlayedSlice = -2;
};

} // namespace NSZubrik
