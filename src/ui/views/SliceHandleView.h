// The strip above the large waveform that holds a handle per shown slice:
// selecting, moving, muting and locking slices, and dragging out a range of
// slices to select, and Ctrl-dragging slices or the loop out as files.
#pragma once

#include <QPixmap>

#include "ui/views/DimensionView.h"

namespace NSZubrik {

class CSliceHandleView : public CDimensionView {
    Q_OBJECT
public:
    static constexpr int32_t kHeight = 20;

    CSliceHandleView(CWaveformDisplayGroupView& group, QWidget* parent);

    // The index in the slice sequence of the shown, visible slice whose
    // handle holds the point, the nearest in frames of several; -1 for none.
    int32_t HitTest(const QPoint& point) const;
    // The tool changed: Mute and Lock have cursors of their own.
    void UpdateToolCursor();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // kOut: a Ctrl-press waiting for the pointer to move far enough to
    // leave the window with the slice, the selection or the loop.
    enum class EDrag { kNone, kSlice, kRange, kOut };

    void PressOnSlice(int32_t index, Qt::KeyboardModifiers modifiers);
    void DragSliceTo(int32_t x, bool snapToZero);
    // The handle of a slice's state and selection, drawn once per device
    // pixel ratio and palette; the centre of its line is kHandleMargin +
    // its half width from the left.
    const QPixmap& HandleImage(const CSlice& slice, qreal ratio);

    EDrag fDrag = EDrag::kNone;
    // The frame where the dragged slice now stands.
    int32_t fDraggedSlice = 0;
    int32_t fRangeFrom = 0;
    // The slice a drag out started on (-1: the whole loop) and where.
    int32_t fOutSlice = -1;
    QPoint fOutFrom;
    // Alt: the loop as a MIDI file instead.
    bool fOutAsMidi = false;
    QPixmap fHandleImages[6];
    qreal fHandleRatio = 0;
    QRgb fHandlePalette = 0;
};

} // namespace NSZubrik
