#include "ui/views/VerticalRulerView.h"

#include <QEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

#include "document/ZubrikDocument.h"
#include "ui/views/WaveformImageRenderer.h"

namespace NSZubrik {

CVerticalRulerView::CVerticalRulerView(CWaveformDisplayGroupView& group, QWidget* parent)
    : QWidget(parent), fGroup(group), fColours(SWaveformColours::From(palette()))
{
    setFixedWidth(kWidth);
    setToolTip(tr("Amplitude (dB). Wheel to magnify vertically."));
}

void CVerticalRulerView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), fColours.fPanel);
    painter.fillRect(QRect(width() - 1, 0, 1, height()), fColours.fPanelLine);
    QFont font = painter.font();
    font.setPointSizeF(std::max(7.0, font.pointSizeF() * 0.78));
    painter.setFont(font);
    const int32_t lanes = CWaveformImageRenderer::LaneCount(fGroup.GetDocument().GetWaveSample(),
                                                            fGroup.IsShowingChannelsSummed());
    for (int32_t lane = 0; lane < lanes; ++lane) {
        const double top = lane * double(height()) / lanes;
        const double bottom = (lane + 1) * double(height()) / lanes;
        PaintLane(painter, top, bottom);
        if (lane > 0)
            painter.fillRect(QRectF(0, std::floor(top), width(), 1), fColours.fPanelLine);
    }
    if (fGroup.GetVerticalZoom() > 1) {
        painter.setPen(fColours.fSliceSelected);
        painter.drawText(QRect(0, 2, width() - 6, 14), Qt::AlignRight | Qt::AlignTop,
                         QStringLiteral("\u00d7%1").arg(fGroup.GetVerticalZoom()));
    }
}

void CVerticalRulerView::PaintLane(QPainter& painter, double top, double bottom)
{
    const double middle = (top + bottom) / 2;
    const double half = (bottom - top) / 2 * fGroup.GetVerticalZoom();
    painter.setPen(fColours.fDimText);
    const QFontMetrics metrics(painter.font());
    const double room = (bottom - top) / 2 - 2;
    const double labelHeight = metrics.height();
    // Marks every 6 dB down from full scale; a label only where it keeps
    // clear of the one above and of the centre's.
    double lastLabelled = 1e9;
    for (int32_t db = 0; db >= -60; db -= 6) {
        const double offset = half * std::pow(10.0, db / 20.0);
        if (offset > room)
            continue;
        if (offset < 3)
            break;
        const bool labelled = lastLabelled - offset >= 1.4 * labelHeight && offset >= 1.6 * labelHeight &&
                              offset <= room - labelHeight / 2 + 2;
        for (const double y : {middle - offset, middle + offset}) {
            painter.fillRect(QRectF(width() - 6, std::floor(y), 5, 1), fColours.fDimText);
            if (labelled)
                painter.drawText(QRectF(0, y - labelHeight / 2, width() - 8, labelHeight),
                                 Qt::AlignRight | Qt::AlignVCenter, QString::number(db));
        }
        if (labelled)
            lastLabelled = offset;
    }
    painter.fillRect(QRectF(width() - 9, std::floor(middle), 8, 1), fColours.fDimText);
    painter.drawText(QRectF(0, middle - metrics.height() / 2.0, width() - 11, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("-\u221e"));
}

void CVerticalRulerView::wheelEvent(QWheelEvent* event)
{
    const int32_t steps = event->angleDelta().y() / 120;
    if (steps > 0)
        fGroup.SetVerticalZoom(fGroup.GetVerticalZoom() * 2);
    else if (steps < 0)
        fGroup.SetVerticalZoom(fGroup.GetVerticalZoom() / 2);
    event->accept();
}

void CVerticalRulerView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange) {
        fColours = SWaveformColours::From(palette());
        update();
    }
    QWidget::changeEvent(event);
}

} // namespace NSZubrik
