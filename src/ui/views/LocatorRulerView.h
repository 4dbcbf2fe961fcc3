// The ruler under the large waveform: time marks and the two locator handles.
// Shift-Click places the left locator, Ctrl-Click the right one, snapped to
// the active slices unless Alt is held; a handle can be dragged.
#pragma once

#include <QString>
#include <vector>

#include "ui/views/DimensionView.h"

namespace NSZubrik {

class CLocatorRulerView : public CDimensionView {
    Q_OBJECT
public:
    static constexpr int32_t kHeight = 22;
    // How far the flag of a locator handle reaches beside its line.
    static constexpr int32_t kHandleWidth = 11;

    CLocatorRulerView(CWaveformDisplayGroupView& group, QWidget* parent);

    // A tick of the ruler: labelled when major.
    struct SMark {
        double fX = 0;
        bool fMajor = false;
        QString fLabel;
    };
    // The ticks across the visible range, in minutes and seconds or in
    // frames as the group shows positions, spaced so that labels do not
    // overlap.
    std::vector<SMark> Marks() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class EDrag { kNone, kLeft, kRight };

    // The left handle's flag points right of its line, the right one's left.
    EDrag HandleAt(int32_t x) const;
    // The frame under x, snapped to the active slices unless Alt is held.
    int32_t LocatorFrameAt(int32_t x, Qt::KeyboardModifiers modifiers) const;
    QFont LabelFont() const;
    void PaintTimeMarks(QPainter& painter);
    void PaintHandle(QPainter& painter, int32_t x, bool left);

    EDrag fDrag = EDrag::kNone;
};

} // namespace NSZubrik
