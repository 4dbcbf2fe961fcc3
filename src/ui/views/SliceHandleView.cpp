#include "ui/views/SliceHandleView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <cstdlib>

#include "app/ResourceIds.h"
#include "audiodata/WaveSample.h"
#include "document/ZubrikDocument.h"
#include "ui/views/GestureHints.h"
#include "ui/views/SliceHandleGeometry.h"

namespace NSZubrik {

CSliceHandleView::CSliceHandleView(CWaveformDisplayGroupView& group, QWidget* parent) : CDimensionView(group, parent)
{
    setFixedHeight(kHeight);
    UpdateToolCursor();
}

int32_t CSliceHandleView::HitTest(const QPoint& point) const
{
    const CSliceSequence& slices = Document().GetSliceSequence();
    const int32_t frame = FrameAt(point.x());
    int32_t best = -1;
    int64_t bestDistance = 0;
    for (int32_t i = 0; i < slices.GetCount(); ++i) {
        const CSlice& slice = slices.GetSlice(i);
        if (!slices.IsShown(slice) || !IsFrameVisible(slice.GetPosition()))
            continue;
        const SHandleSize size = HandleSizeOf(slice);
        const int32_t dx = point.x() - XAt(slice.GetPosition());
        if (std::abs(dx) >= size.fHalfWidth || point.y() < height() - size.fReach)
            continue;
        const int64_t distance = std::abs(int64_t(slice.GetPosition()) - frame);
        // Slices come in position order: on equal distance the earlier stays.
        if (best < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

void CSliceHandleView::UpdateToolCursor()
{
    switch (Document().GetViewAndEditAttributes().fTool) {
    case SViewAndEditAttributes::kMuteTool:
        setCursor(MuteToolCursor());
        break;
    case SViewAndEditAttributes::kLockTool:
        setCursor(LockToolCursor());
        break;
    default:
        unsetCursor();
    }
}

namespace {

constexpr int32_t kHandleMargin = 1;

} // namespace

const QPixmap& CSliceHandleView::HandleImage(const CSlice& slice, qreal ratio)
{
    const QRgb palette = Colours().fPanel.rgba() ^ Colours().fSliceSelected.rgba();
    if (ratio != fHandleRatio || palette != fHandlePalette) {
        for (QPixmap& image : fHandleImages)
            image = {};
        fHandleRatio = ratio;
        fHandlePalette = palette;
    }
    const int32_t index = (slice.GetState() - CSlice::kNormal) * 2 + (slice.IsSelected() ? 1 : 0);
    QPixmap& image = fHandleImages[std::clamp(index, 0, 5)];
    if (image.isNull()) {
        const SHandleSize size = HandleSizeOf(slice);
        const QSize points(2 * (size.fHalfWidth + kHandleMargin), size.fReach + kHandleMargin);
        image = QPixmap((QSizeF(points) * ratio).toSize());
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        DrawSliceHandle(painter, Colours(), slice, size.fHalfWidth + kHandleMargin, points.height());
    }
    return image;
}

void CSliceHandleView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const qreal ratio = painter.device()->devicePixelRatioF();
    const SWaveformColours& colours = Colours();
    painter.fillRect(rect(), colours.fPanel);
    PaintDragBand(painter);
    const CSliceSequence& slices = Document().GetSliceSequence();
    // Selected handles last, over their neighbours.
    for (const bool selectedPass : {false, true}) {
        for (const CSlice& slice : slices) {
            if (slice.IsSelected() != selectedPass || !slices.IsShown(slice) || !IsFrameVisible(slice.GetPosition()))
                continue;
            const QPixmap& image = HandleImage(slice, ratio);
            const QSizeF size = image.deviceIndependentSize();
            painter.drawPixmap(QPointF(XAt(slice.GetPosition()) + 0.5 - size.width() / 2, height() - size.height()),
                               image);
        }
    }
}

void CSliceHandleView::mousePressEvent(QMouseEvent* event)
{
    const int32_t hit = HitTest(event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        if (hit >= 0)
            Group().RequestSliceContextMenu(hit, event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    // Ctrl has no other meaning in the strip: it takes slices out of the
    // window without touching the selection.
    if (modifiers & Qt::ControlModifier) {
        fDrag = EDrag::kOut;
        fOutSlice = hit;
        fOutAsMidi = modifiers & Qt::AltModifier;
        fOutFrom = event->position().toPoint();
        return;
    }
    if (hit >= 0) {
        PressOnSlice(hit, modifiers);
        return;
    }
    const int32_t tool = Document().GetViewAndEditAttributes().fTool;
    const bool shift = modifiers & Qt::ShiftModifier;
    if (tool == SViewAndEditAttributes::kArrowTool || tool == SViewAndEditAttributes::kPenTool) {
        if (!shift)
            Document().BeginRangeSelection();
    } else if (!shift) {
        return;
    }
    fDrag = EDrag::kRange;
    fRangeFrom = FrameAt(int32_t(event->position().x()));
    Group().SetDragBand(fRangeFrom, fRangeFrom);
}

void CSliceHandleView::PressOnSlice(int32_t index, Qt::KeyboardModifiers modifiers)
{
    CZubrikDocument& document = Document();
    const CSlice slice = document.GetSliceSequence().GetSlice(index);
    const int32_t position = slice.GetPosition();
    if (modifiers & Qt::ShiftModifier) {
        if (slice.IsSelected())
            document.DeselectSlice(position);
        else
            document.SelectSlice(position, true);
        return;
    }
    switch (document.GetViewAndEditAttributes().fTool) {
    case SViewAndEditAttributes::kMuteTool:
        document.MuteSlices(position);
        return;
    case SViewAndEditAttributes::kLockTool:
        document.LockSlices(position);
        return;
    default:
        break;
    }
    if (slice.IsMuted()) {
        document.SelectSlice(position, false);
        return;
    }
    if (!slice.IsSelected())
        document.SelectSliceForMove(position);
    fDrag = EDrag::kSlice;
    fDraggedSlice = position;
    Group().ShowHint(GestureHint(1));
}

void CSliceHandleView::DragSliceTo(int32_t x, bool snapToZero)
{
    CZubrikDocument& document = Document();
    const CABCWaveSample& wave = document.GetWaveSample();
    int32_t frame = std::clamp(FrameAt(x), 0, std::max(0, wave.GetFrameCount() - 1));
    if (snapToZero)
        frame = wave.FindSnapToZero(frame);
    if (frame == fDraggedSlice)
        return;
    document.MoveSlice(fDraggedSlice, frame);
    if (document.GetSliceSequence().FindSliceAt(frame) != nullptr)
        fDraggedSlice = frame;
}

void CSliceHandleView::mouseMoveEvent(QMouseEvent* event)
{
    const int32_t x = int32_t(event->position().x());
    switch (fDrag) {
    case EDrag::kSlice:
        DragSliceTo(x, !(event->modifiers() & Qt::AltModifier));
        Group().ShowHint(GestureHint(1));
        return;
    case EDrag::kRange:
        Group().SetDragBand(fRangeFrom, FrameAt(x));
        return;
    case EDrag::kOut:
        if ((event->position().toPoint() - fOutFrom).manhattanLength() >= QApplication::startDragDistance()) {
            fDrag = EDrag::kNone;
            Group().RequestDragOut(fOutSlice, fOutAsMidi || (event->modifiers() & Qt::AltModifier));
        }
        return;
    case EDrag::kNone:
        Group().ShowHint(SliceStripHint());
        return;
    }
}

void CSliceHandleView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (fDrag == EDrag::kRange) {
        Group().SetDragBand(0, 0);
        Document().SelectRange(fRangeFrom, FrameAt(int32_t(event->position().x())));
    }
    fDrag = EDrag::kNone;
    Group().ShowHint(SliceStripHint());
}

} // namespace NSZubrik
