#include "ui/toolbars/GainChangeMeter.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace NSZubrik {

namespace {
double Decibels(float factor) { return factor > 0.0f ? 20.0 * std::log10(double(factor)) : -CGainChangeMeter::kRangeDecibels; }
} // namespace

CGainChangeMeter::CGainChangeMeter(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize CGainChangeMeter::sizeHint() const { return {90, 12}; }

void CGainChangeMeter::ShowFactors(float minimum, float maximum)
{
    const double cut = std::clamp(std::min(Decibels(minimum), 0.0), -kRangeDecibels, 0.0);
    const double boost = std::clamp(std::max(Decibels(maximum), 0.0), 0.0, kRangeDecibels);
    const double nextCut = std::min(cut, fCut * kFallBack);
    const double nextBoost = std::max(boost, fBoost * kFallBack);
    if (nextCut != fCut || nextBoost != fBoost) {
        fCut = nextCut;
        fBoost = nextBoost;
        update();
    }
}

void CGainChangeMeter::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& colours = palette();
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(colours.color(QPalette::Mid));
    painter.setBrush(colours.color(QPalette::Base));
    painter.drawRect(frame);
    const double centre = frame.center().x();
    const double perDecibel = frame.width() / 2.0 / kRangeDecibels;
    const QRectF inside = frame.adjusted(1.5, 1.5, -1.5, -1.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours.color(QPalette::Highlight));
    painter.drawRect(QRectF(centre + fCut * perDecibel, inside.top(), -fCut * perDecibel, inside.height()));
    painter.drawRect(QRectF(centre, inside.top(), fBoost * perDecibel, inside.height()));
    painter.setPen(colours.color(QPalette::Text));
    painter.drawLine(QPointF(centre, frame.top()), QPointF(centre, frame.bottom()));
}

} // namespace NSZubrik
