// The whole sound at a glance above the slice handles, with the visible range
// framed; dragging the frame (or pressing beside it) moves the visible range.
#pragma once

#include <QImage>

#include "ui/views/DimensionView.h"

namespace NSZubrik {

class COverviewView : public CDimensionView {
    Q_OBJECT
public:
    static constexpr int32_t kHeight = 44;

    COverviewView(CWaveformDisplayGroupView& group, QWidget* parent);

    void InvalidateCache() { fCacheSize = {}; }
    // The overview's own mapping: the whole sound across its width.
    double OverviewX(int64_t frame) const;
    int32_t OverviewFrame(double x) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // ratio: device pixels per point of the device being painted.
    void EnsureCache(qreal ratio);
    // Moves the visible range so that it starts at the frame.
    void MoveRangeTo(int32_t start);

    QImage fCache;
    QSize fCacheSize;
    const void* fCacheWave = nullptr;
    QRgb fCacheColour = 0;
    int32_t fCacheLook = -1;
    bool fDragging = false;
    // Frames between the pointer and the visible start while dragging.
    int32_t fGrabOffset = 0;
};

} // namespace NSZubrik
