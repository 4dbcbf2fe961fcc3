#include "ui/toolbars/Knob.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/ResourceIds.h"
#include "app/StringTables.h"
#include "ui/toolbars/ToolBarTexts.h"

namespace NSZubrik {

namespace {
// The pointer sweeps 270 degrees, from lower left to lower right.
constexpr double kSweepDegrees = 270.0;
constexpr double kStartDegrees = 225.0;
constexpr int kDiameter = 26;
} // namespace

CKnob::CKnob(const SKnobRange& range, TChange change, TGestureEnd gestureEnd, QWidget* parent)
    : QWidget(parent), fRange(range), fChange(std::move(change)), fGestureEnd(std::move(gestureEnd)),
      fValue(range.fDefault)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::SizeVerCursor);
    // A crowded bar must never squeeze the dial away.
    setFixedSize(sizeHint());
}

void CKnob::SetValue(int32_t value)
{
    value = std::clamp(value, fRange.fMinimum, fRange.fMaximum);
    if (value != fValue) {
        fValue = value;
        update();
    }
}

QSize CKnob::sizeHint() const { return {kDiameter + 4, kDiameter + 4}; }

int32_t CKnob::Step() const { return std::max<int32_t>(1, (fRange.fMaximum - fRange.fMinimum) / 100); }

void CKnob::Change(int32_t value)
{
    value = std::clamp(value, fRange.fMinimum, fRange.fMaximum);
    if (value == fValue)
        return;
    fValue = value;
    update();
    fChange(value);
}

void CKnob::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& colours = palette();
    const qreal side = std::min(width(), height()) - 4;
    const QRectF dial((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    painter.setPen(QPen(colours.color(QPalette::Mid), 1.0));
    painter.setBrush(colours.color(QPalette::Button));
    painter.drawEllipse(dial);

    const double span = fRange.fMaximum - fRange.fMinimum;
    const double fraction = span > 0 ? (fValue - fRange.fMinimum) / span : 0.0;
    // The arc shows how far the setting stands from its minimum.
    const QRectF arc = dial.adjusted(2, 2, -2, -2);
    painter.setPen(QPen(colours.color(QPalette::Highlight), 2.5, Qt::SolidLine, Qt::FlatCap));
    painter.drawArc(arc, static_cast<int>(kStartDegrees * 16), static_cast<int>(-fraction * kSweepDegrees * 16));

    const double angle = (kStartDegrees - fraction * kSweepDegrees) * std::numbers::pi / 180.0;
    const QPointF centre = dial.center();
    const qreal radius = side / 2.0 - 4.0;
    painter.setPen(QPen(colours.color(hasFocus() ? QPalette::Highlight : QPalette::ButtonText), 2.0,
                        Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre, centre + QPointF(std::cos(angle) * radius, -std::sin(angle) * radius));
}

void CKnob::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    // A new gesture never joins the undo step of the one before.
    fGestureEnd();
    if (event->modifiers() & Qt::ControlModifier) {
        Change(fRange.fDefault);
        fGestureEnd();
        return;
    }
    fDragging = true;
    fDragY = event->position().toPoint().y();
    fDragValue = fValue;
}

void CKnob::mouseMoveEvent(QMouseEvent* event)
{
    if (!fDragging)
        return;
    const int y = event->position().toPoint().y();
    double perPixel = double(fRange.fMaximum - fRange.fMinimum) / kDragSpan;
    if (event->modifiers() & Qt::ShiftModifier)
        perPixel /= kFineFactor;
    // Accumulated in fractions so that fine steps below one unit per pixel
    // still add up.
    fDragValue = std::clamp(fDragValue + (fDragY - y) * perPixel, double(fRange.fMinimum), double(fRange.fMaximum));
    fDragY = y;
    Change(static_cast<int32_t>(std::lround(fDragValue)));
}

void CKnob::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && fDragging) {
        fDragging = false;
        fGestureEnd();
    }
}

void CKnob::wheelEvent(QWheelEvent* event)
{
    const int notches = event->angleDelta().y() / 120;
    if (notches == 0)
        return;
    const int32_t step = (event->modifiers() & Qt::ShiftModifier) ? 1 : Step();
    Change(fValue + notches * step);
    event->accept();
}

void CKnob::keyPressEvent(QKeyEvent* event)
{
    const int32_t step = (event->modifiers() & Qt::ShiftModifier) ? 1 : Step();
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right: Change(fValue + step); break;
    case Qt::Key_Down:
    case Qt::Key_Left: Change(fValue - step); break;
    case Qt::Key_PageUp: Change(fValue + step * 10); break;
    case Qt::Key_PageDown: Change(fValue - step * 10); break;
    case Qt::Key_Home: Change(fRange.fMinimum); break;
    case Qt::Key_End: Change(fRange.fMaximum); break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace: Change(fRange.fDefault); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void CKnob::focusOutEvent(QFocusEvent* event)
{
    // Keyboard steps merge while the knob keeps the focus.
    fGestureEnd();
    update();
    QWidget::focusOutEvent(event);
}

CKnobControl::CKnobControl(int32_t titleEntry, int32_t toolTipEntry, int32_t infoEntry, const SKnobRange& range,
                           TFormat format, CKnob::TChange change, CKnob::TGestureEnd gestureEnd, QWidget* parent)
    : QWidget(parent), fFormat(format)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(0);
    auto* title = new QLabel(ToolBarText(titleEntry), this);
    title->setAlignment(Qt::AlignHCenter);
    fKnob = new CKnob(range, std::move(change), std::move(gestureEnd), this);
    fValueText = new QLabel(this);
    fValueText->setAlignment(Qt::AlignHCenter);
    // Wide enough for the longest value, so that the bar does not jump
    // while the knob turns.
    int widest = 0;
    for (int32_t value : {range.fMinimum, range.fMaximum, range.fDefault, (range.fMinimum + range.fMaximum) / 2})
        widest = std::max(widest, fontMetrics().horizontalAdvance(format(value)));
    fValueText->setMinimumWidth(widest + 2);
    layout->addWidget(title);
    layout->addWidget(fKnob, 0, Qt::AlignHCenter);
    layout->addWidget(fValueText);
    const QString info = QString::fromStdString(
        GetString(kProgramStringList, NSStrings::kKnobInfoText, {GetString(kProgramStringList, infoEntry)}));
    for (QWidget* part : {static_cast<QWidget*>(title), static_cast<QWidget*>(fKnob), static_cast<QWidget*>(fValueText)}) {
        part->setToolTip(ToolBarText(toolTipEntry));
        part->setStatusTip(info);
    }
    SetValue(range.fDefault);
}

void CKnobControl::SetValue(int32_t value)
{
    fKnob->SetValue(value);
    fValueText->setText(fFormat(fKnob->GetValue()));
}

} // namespace NSZubrik
