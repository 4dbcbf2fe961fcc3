#include "ui/views/OverviewView.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "audiodata/WaveSample.h"
#include "document/ZubrikDocument.h"
#include "ui/views/WaveformImageRenderer.h"

namespace NSZubrik {

namespace {

// Room above and below the outline.
constexpr int32_t kInset = 3;

} // namespace

COverviewView::COverviewView(CWaveformDisplayGroupView& group, QWidget* parent) : CDimensionView(group, parent)
{
    setFixedHeight(kHeight);
    setCursor(Qt::OpenHandCursor);
}

double COverviewView::OverviewX(int64_t frame) const
{
    const double frameCount = std::max(1, Document().GetWaveSample().GetFrameCount());
    return frame * width() / frameCount;
}

int32_t COverviewView::OverviewFrame(double x) const
{
    const double frameCount = std::max(1, Document().GetWaveSample().GetFrameCount());
    return int32_t(std::floor(x * frameCount / std::max(1, width())));
}

void COverviewView::EnsureCache(qreal ratio)
{
    const CABCWaveSample& wave = Document().GetWaveSample();
    const QSize pixels(std::max(1, int(std::ceil(width() * ratio))),
                       std::max(1, int(std::ceil((height() - 2 * kInset) * ratio))));
    const QRgb colour = Colours().fWave.rgba();
    const int32_t look = Colours().fLook;
    if (pixels == fCacheSize && fCacheWave == &wave && colour == fCacheColour && look == fCacheLook)
        return;
    fCacheSize = pixels;
    fCacheWave = &wave;
    fCacheColour = colour;
    fCacheLook = look;
    fCache = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    fCache.setDevicePixelRatio(ratio);
    // One lane of both channels: the overview is for finding one's way.
    const CWaveformImageRenderer::SFrameScale scale{0, std::max(1, wave.GetFrameCount()) / double(pixels.width())};
    // The plain look fills the outline in the wave colour itself; the others
    // dim it behind the visible range's frame.
    QColor dim = Colours().fWave;
    if (look != kPlainWaveLook)
        dim.setAlpha(170);
    Group().GetRenderer().Paint(fCache, wave, scale, true, 1, dim, look == k3DWaveLook);
}

void COverviewView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    EnsureCache(painter.device()->devicePixelRatioF());
    const SWaveformColours& colours = Colours();
    painter.fillRect(rect(), colours.fPanel);
    painter.drawImage(QPointF(0, kInset), fCache);
    const double left = OverviewX(Document().GetLeftLocator());
    const double right = OverviewX(Document().GetRightLocator());
    painter.fillRect(QRectF(0, 0, left, height()), colours.fOutsideLoop);
    painter.fillRect(QRectF(right, 0, width() - right, height()), colours.fOutsideLoop);
    // The visible range: a frame with a light fill.
    const double x0 = std::floor(OverviewX(Group().GetVisibleStart()));
    const double x1 = std::max(x0 + 3, std::ceil(OverviewX(Group().GetVisibleEnd())));
    QColor fill = colours.fSliceSelected;
    fill.setAlpha(colours.fDark ? 40 : 28);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colours.fSliceSelected, 1.5));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(x0 + 0.75, 1.25, x1 - x0 - 1.5, height() - 3.5), 3, 3);
    const int32_t cursor = Group().GetPlayCursor();
    if (cursor >= 0)
        painter.fillRect(QRectF(OverviewX(cursor), 0, 1.5, height()), colours.fPlayCursor);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(0, height() - 1, width(), 1), colours.fPanelLine);
}

void COverviewView::MoveRangeTo(int32_t start)
{
    const int32_t span = Group().GetVisibleEnd() - Group().GetVisibleStart();
    Group().SetVisibleRange(start, start + span);
}

void COverviewView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int32_t frame = OverviewFrame(event->position().x());
    const int32_t start = Group().GetVisibleStart();
    const int32_t end = Group().GetVisibleEnd();
    if (frame < start || frame >= end) {
        // Beside the frame: centre the range there, then drag it.
        MoveRangeTo(frame - (end - start) / 2);
    }
    fGrabOffset = frame - Group().GetVisibleStart();
    fDragging = true;
    setCursor(Qt::ClosedHandCursor);
}

void COverviewView::mouseMoveEvent(QMouseEvent* event)
{
    if (fDragging)
        MoveRangeTo(OverviewFrame(event->position().x()) - fGrabOffset);
}

void COverviewView::mouseReleaseEvent(QMouseEvent*)
{
    fDragging = false;
    setCursor(Qt::OpenHandCursor);
}

} // namespace NSZubrik
