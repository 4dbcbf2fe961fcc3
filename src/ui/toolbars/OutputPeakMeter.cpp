#include "ui/toolbars/OutputPeakMeter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "engine/Sequencer.h"

namespace NSZubrik {

namespace {
constexpr int kLightWidth = 10;

double Decibels(float peak)
{
    return peak > 0.0f ? std::max(20.0 * std::log10(double(peak)), COutputPeakMeter::kFloorDecibels)
                       : COutputPeakMeter::kFloorDecibels;
}
} // namespace

COutputPeakMeter::COutputPeakMeter(CPeakRecord& record, QWidget* parent) : QWidget(parent), fRecord(record)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this] {
        if (isVisible())
            Read();
    });
    timer->start(kInterval);
}

QSize COutputPeakMeter::sizeHint() const { return {110, 14}; }

void COutputPeakMeter::Read()
{
    const float left = fRecord.TakeLeftPeak();
    const float right = fRecord.TakeRightPeak();
    const bool clipped = fRecord.TakeClipped();
    const std::array<double, 2> taken{Decibels(left), Decibels(right)};
    bool changed = clipped && !fClipped;
    fClipped = fClipped || clipped;
    for (int channel = 0; channel < 2; ++channel) {
        const double next = std::max(taken[channel], std::max(fPeaks[channel] - kFallPerReading, kFloorDecibels));
        changed = changed || next != fPeaks[channel];
        fPeaks[channel] = next;
    }
    if (changed)
        update();
}

void COutputPeakMeter::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& colours = palette();
    const QRectF bars(0.5, 0.5, width() - kLightWidth - 3.0, height() - 1.0);
    painter.setPen(colours.color(QPalette::Mid));
    painter.setBrush(colours.color(QPalette::Base));
    painter.drawRect(bars);
    const qreal rowHeight = (bars.height() - 3.0) / 2.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours.color(QPalette::Highlight));
    for (int channel = 0; channel < 2; ++channel) {
        const double share = (fPeaks[channel] - kFloorDecibels) / -kFloorDecibels;
        painter.drawRect(QRectF(bars.left() + 1.5, bars.top() + 1.5 + channel * (rowHeight + 0.0),
                                (bars.width() - 3.0) * share, rowHeight - 0.5));
    }
    const QRectF light(width() - kLightWidth - 0.5, 0.5, kLightWidth, height() - 1.0);
    painter.setPen(colours.color(QPalette::Mid));
    painter.setBrush(fClipped ? QColor(230, 40, 30) : colours.color(QPalette::Base));
    painter.drawRect(light);
}

void COutputPeakMeter::mousePressEvent(QMouseEvent* event)
{
    // A click puts the clip light out.
    if (event->button() == Qt::LeftButton && fClipped) {
        fClipped = false;
        update();
    }
}

} // namespace NSZubrik
