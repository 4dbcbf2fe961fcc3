#include "ui/views/DimensionView.h"

#include <QEvent>
#include <QPainter>
#include <QWheelEvent>

namespace NSZubrik {

CDimensionView::CDimensionView(CWaveformDisplayGroupView& group, QWidget* parent)
    : QWidget(parent), fGroup(group), fColours(SWaveformColours::From(palette(), group.GetWaveStyle()))
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int32_t CDimensionView::FrameAt(int32_t x) const
{
    return fGroup.GetVisibleStart() + x * fGroup.GetFramesPerPixel();
}

int32_t CDimensionView::XAt(int32_t frame) const
{
    const int64_t offset = int64_t(frame) - fGroup.GetVisibleStart();
    const int64_t perPixel = fGroup.GetFramesPerPixel();
    const int64_t x = offset >= 0 ? offset / perPixel : -((-offset + perPixel - 1) / perPixel);
    return int32_t(std::clamp<int64_t>(x, -100000, 100000));
}

bool CDimensionView::IsFrameVisible(int32_t frame) const
{
    return frame >= fGroup.GetVisibleStart() && frame < fGroup.GetVisibleEnd();
}

void CDimensionView::PaintDragBand(QPainter& painter) const
{
    const int32_t from = std::min(fGroup.GetDragBandFrom(), fGroup.GetDragBandTo());
    const int32_t to = std::max(fGroup.GetDragBandFrom(), fGroup.GetDragBandTo());
    if (from != to)
        painter.fillRect(QRect(XAt(from), 0, std::max(1, XAt(to) - XAt(from)), height()), fColours.fBand);
}

void CDimensionView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        RefreshColours();
    QWidget::changeEvent(event);
}

void CDimensionView::RefreshColours()
{
    fColours = SWaveformColours::From(palette(), fGroup.GetWaveStyle());
    update();
}

void CDimensionView::leaveEvent(QEvent* event)
{
    fGroup.ShowHint({});
    QWidget::leaveEvent(event);
}

void CDimensionView::wheelEvent(QWheelEvent* event)
{
    const QPoint delta = event->angleDelta();
    const int32_t steps = (delta.y() != 0 ? delta.y() : delta.x()) / 120;
    if (steps == 0)
        return;
    if (event->modifiers() & Qt::ControlModifier) {
        for (int32_t i = 0; i < std::abs(steps); ++i)
            steps > 0 ? fGroup.MagnifyIn() : fGroup.MagnifyOut();
    } else {
        fGroup.ScrollByPixels(-steps * std::max(1, width() / 10));
    }
    event->accept();
}

} // namespace NSZubrik
