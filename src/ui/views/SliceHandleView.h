// The strip above the large waveform that holds a handle per shown slice:
// selecting, moving, muting and locking slices, and dragging out a range of
// slices to select.
#pragma once

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
    enum class EDrag { kNone, kSlice, kRange };

    void PressOnSlice(int32_t index, Qt::KeyboardModifiers modifiers);
    void DragSliceTo(int32_t x, bool snapToZero);

    EDrag fDrag = EDrag::kNone;
    // The frame where the dragged slice now stands.
    int32_t fDraggedSlice = 0;
    int32_t fRangeFrom = 0;
};

} // namespace NSZubrik
