#include "ui/views/LocatorRulerView.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/ZubrikDocument.h"
#include "ui/views/GestureHints.h"

namespace NSZubrik {

namespace {

// The steps of the time marks, in seconds; the first that leaves room for a
// label is used.
constexpr double kTimeSteps[] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5,
                                 1,     2,     5,     10,   15,   30,   60,  120, 300};
constexpr double kLabelSpacing = 90.0;

QString TimeLabel(double seconds, double step)
{
    const int32_t minutes = int32_t(seconds / 60);
    const double rest = seconds - minutes * 60.0;
    const int32_t decimals = step >= 1 ? 0 : step >= 0.1 ? 1 : step >= 0.01 ? 2 : 3;
    return QStringLiteral("%1:%2").arg(minutes).arg(rest, decimals + (decimals ? 3 : 2), 'f', decimals, QChar('0'));
}

} // namespace

CLocatorRulerView::CLocatorRulerView(CWaveformDisplayGroupView& group, QWidget* parent)
    : CDimensionView(group, parent)
{
    setFixedHeight(kHeight);
}

CLocatorRulerView::EDrag CLocatorRulerView::HandleAt(int32_t x) const
{
    const int32_t left = XAt(Document().GetLeftLocator());
    const int32_t right = XAt(Document().GetRightLocator());
    const bool onLeft = x >= left - 2 && x <= left + kHandleWidth;
    const bool onRight = x >= right - kHandleWidth && x <= right + 2;
    if (onLeft && onRight)
        return std::abs(x - left) <= std::abs(x - right) ? EDrag::kLeft : EDrag::kRight;
    return onLeft ? EDrag::kLeft : onRight ? EDrag::kRight : EDrag::kNone;
}

int32_t CLocatorRulerView::LocatorFrameAt(int32_t x, Qt::KeyboardModifiers modifiers) const
{
    const int32_t frameCount = Document().GetWaveSample().GetFrameCount();
    const int32_t frame = std::clamp(FrameAt(x), 0, frameCount);
    if (modifiers & Qt::AltModifier)
        return frame;
    return Document().GetSliceSequence().SnapToActiveSlice(frame, frameCount);
}

void CLocatorRulerView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const SWaveformColours& colours = Colours();
    painter.fillRect(rect(), colours.fPanel);
    painter.fillRect(QRect(0, 0, width(), 1), colours.fPanelLine);
    PaintTimeMarks(painter);
    PaintHandle(painter, XAt(Document().GetLeftLocator()), true);
    PaintHandle(painter, XAt(Document().GetRightLocator()), false);
}

QFont CLocatorRulerView::LabelFont() const
{
    QFont labels = font();
    labels.setPointSizeF(std::max(7.0, labels.pointSizeF() * 0.82));
    return labels;
}

std::vector<CLocatorRulerView::SMark> CLocatorRulerView::Marks() const
{
    // Both scales in units per pixel: seconds, or frames.
    const bool frames = Group().IsShowingFrames();
    const double rate = frames ? 1.0 : std::max(1, Document().GetWaveSample().GetSampleRate());
    const double perPixel = Group().GetFramesPerPixel() / rate;
    const double start = Group().GetVisibleStart() / rate;
    const double end = Group().GetVisibleEnd() / rate;
    // Frame numbers grow longer than the time labels: the spacing leaves
    // room for the widest one in view.
    const double spacing = frames ? std::max(kLabelSpacing, QFontMetricsF(LabelFont()).horizontalAdvance(
                                                                QString::number(int64_t(end))) + 16.0)
                                  : kLabelSpacing;
    double step = 0;
    if (frames) {
        // 1, 2, 5, 10, 20, 50 ... frames; a frame is the finest step.
        for (double decade = 1; step == 0; decade *= 10)
            for (const double factor : {1.0, 2.0, 5.0})
                if (step == 0 && factor * decade / perPixel >= spacing)
                    step = factor * decade;
    } else {
        step = kTimeSteps[std::size(kTimeSteps) - 1];
        for (const double candidate : kTimeSteps)
            if (candidate / perPixel >= spacing) {
                step = candidate;
                break;
            }
    }
    // Five minor ticks to a major one. A frame step is at least 100 (the
    // label spacing at one frame per pixel), so minor ticks are whole frames.
    constexpr int32_t division = 5;
    const double minor = step / division;
    std::vector<SMark> marks;
    for (int64_t n = int64_t(std::floor(start / minor)); n * minor <= end; ++n) {
        const bool major = n % division == 0;
        QString label;
        if (major)
            label = frames ? QString::number(std::llround(n * minor)) : TimeLabel(n * minor, step);
        marks.push_back({(n * minor - start) / perPixel, major, label});
    }
    return marks;
}

void CLocatorRulerView::PaintTimeMarks(QPainter& painter)
{
    painter.setFont(LabelFont());
    // Labels keep clear of the locator flags; long frame numbers keep
    // further left of them.
    const QFontMetricsF metrics(painter.font());
    const int32_t leftFlag = XAt(Document().GetLeftLocator());
    const int32_t rightFlag = XAt(Document().GetRightLocator());
    const auto clearOfFlags = [&](double x, const QString& label) {
        const double reach = std::max(40.0, metrics.horizontalAdvance(label) + 4);
        return !(x > leftFlag - reach && x < leftFlag + kHandleWidth + 1) &&
               !(x > rightFlag - reach - kHandleWidth && x < rightFlag + 1);
    };
    for (const SMark& mark : Marks()) {
        painter.fillRect(QRectF(std::floor(mark.fX), 1, 1, mark.fMajor ? 7 : 3), Colours().fDimText);
        if (mark.fMajor && clearOfFlags(mark.fX, mark.fLabel)) {
            painter.setPen(Colours().fDimText);
            painter.drawText(QPointF(std::floor(mark.fX) + 3, height() - 5), mark.fLabel);
        }
    }
}

void CLocatorRulerView::PaintHandle(QPainter& painter, int32_t x, bool left)
{
    if (x < -kHandleWidth || x > width() + kHandleWidth)
        return;
    const double line = x + 0.5;
    const double tip = left ? line + kHandleWidth : line - kHandleWidth;
    QPainterPath flag;
    flag.moveTo(line, 1);
    flag.lineTo(tip, 1);
    flag.lineTo(tip, height() - 8);
    flag.lineTo(line, height() - 1);
    flag.closeSubpath();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Colours().fLocator);
    painter.drawPath(flag);
    painter.setPen(Colours().fDark ? QColor(0x10, 0x20, 0x14) : QColor(Qt::white));
    QFont font = painter.font();
    font.setBold(true);
    font.setPointSizeF(std::max(6.5, font.pointSizeF() * 0.75));
    painter.setFont(font);
    const QRectF label(std::min(line, tip), 1, kHandleWidth, height() - 9);
    painter.drawText(label, Qt::AlignCenter, left ? QStringLiteral("L") : QStringLiteral("R"));
    painter.restore();
}

void CLocatorRulerView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int32_t x = int32_t(event->position().x());
    fDrag = HandleAt(x);
    if (fDrag != EDrag::kNone) {
        Group().ShowHint(GestureHint(2));
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers & Qt::ShiftModifier)
        Document().SetLeftLocator(LocatorFrameAt(x, modifiers));
    else if (modifiers & Qt::ControlModifier)
        Document().SetRightLocator(LocatorFrameAt(x, modifiers));
}

void CLocatorRulerView::mouseMoveEvent(QMouseEvent* event)
{
    const int32_t x = int32_t(event->position().x());
    if (fDrag == EDrag::kNone) {
        setCursor(HandleAt(x) != EDrag::kNone ? Qt::SizeHorCursor : Qt::ArrowCursor);
        Group().ShowHint(GestureHint(3));
        return;
    }
    // The document refuses a locator past the other one: it then stays put.
    const int32_t frame = LocatorFrameAt(x, event->modifiers());
    if (fDrag == EDrag::kLeft)
        Document().SetLeftLocator(frame);
    else
        Document().SetRightLocator(frame);
    Group().ShowHint(GestureHint(2));
}

void CLocatorRulerView::mouseReleaseEvent(QMouseEvent*) { fDrag = EDrag::kNone; }

} // namespace NSZubrik
