#include "ui/views/LargeWaveformView.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/ZubrikDocument.h"
#include "ui/views/GestureHints.h"
#include "ui/views/WaveformImageRenderer.h"

namespace NSZubrik {

namespace {

// Grid lines closer than this many pixels are left out.
constexpr double kMinimumGridSpacing = 4.0;

} // namespace

CLargeWaveformView::CLargeWaveformView(CWaveformDisplayGroupView& group, QWidget* parent)
    : CDimensionView(group, parent)
{
    setMinimumHeight(80);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void CLargeWaveformView::EnsureCache(qreal ratio)
{
    const CABCWaveSample& wave = Document().GetWaveSample();
    const SCacheKey key{&wave,          wave.GetFrameCount(),       Group().GetVisibleStart(),
                        Group().GetFramesPerPixel(), size(),       ratio,
                        Group().GetVerticalZoom(),   Group().IsShowingChannelsSummed(), Colours().fWave.rgba()};
    if (key == fCacheKey)
        return;
    fCacheKey = key;
    ++fCacheDraws;
    const QSize pixels(std::max(1, int(std::ceil(width() * ratio))), std::max(1, int(std::ceil(height() * ratio))));
    if (fCache.size() != pixels)
        fCache = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    fCache.setDevicePixelRatio(ratio);
    const CWaveformImageRenderer::SFrameScale scale{double(Group().GetVisibleStart()),
                                                    Group().GetFramesPerPixel() / ratio};
    Group().GetRenderer().Paint(fCache, wave, scale, Group().IsShowingChannelsSummed(), Group().GetVerticalZoom(),
                                Colours().fWave);
}

void CLargeWaveformView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    EnsureCache(painter.device()->devicePixelRatioF());
    const SWaveformColours& colours = Colours();
    painter.fillRect(rect(), colours.fBackground);
    PaintGrid(painter);
    // The centre line of each lane.
    const int32_t lanes = CWaveformImageRenderer::LaneCount(Document().GetWaveSample(),
                                                            Group().IsShowingChannelsSummed());
    for (int32_t lane = 0; lane < lanes; ++lane) {
        const double middle = (lane + 0.5) * height() / lanes;
        painter.fillRect(QRectF(0, std::floor(middle), width(), 1), colours.fCentreLine);
        if (lane > 0)
            painter.fillRect(QRectF(0, std::floor(lane * height() / double(lanes)), width(), 1), colours.fPanelLine);
    }
    painter.drawImage(QPointF(0, 0), fCache);
    PaintLoopAndSlices(painter);
    PaintDragBand(painter);
    const int32_t cursor = Group().GetPlayCursor();
    if (cursor >= 0 && IsFrameVisible(cursor))
        painter.fillRect(QRectF(XAt(cursor), 0, 1.5, height()), colours.fPlayCursor);
}

void CLargeWaveformView::PaintGrid(QPainter& painter)
{
    const CZubrikDocument& document = Document();
    if (!document.GetViewAndEditAttributes().fGridShown)
        return;
    const double framesPerBeat = document.GetFramesPerBeat();
    if (framesPerBeat <= 0)
        return;
    const SDocumentParameters parameters = document.GetParameters();
    // A sixteenth note in beats of the time signature's note value.
    const double sixteenth = framesPerBeat * parameters.fSignatureDenominator / 16.0;
    const int32_t perBar = std::max(1, int32_t(std::lround(16.0 * parameters.fSignatureNumerator /
                                                           std::max(1, parameters.fSignatureDenominator))));
    const int32_t perBeat = std::max(1, 16 / std::max(1, parameters.fSignatureDenominator));
    const double perPixel = Group().GetFramesPerPixel();
    const bool sixteenthsShown = sixteenth / perPixel >= kMinimumGridSpacing;
    const double left = document.GetLeftLocator();
    const int64_t first = int64_t(std::floor((Group().GetVisibleStart() - left) / sixteenth));
    const int64_t last = int64_t(std::ceil((Group().GetVisibleEnd() - left) / sixteenth));
    for (int64_t n = first; n <= last; ++n) {
        const bool bar = n % perBar == 0;
        const bool beat = n % perBeat == 0;
        if (!sixteenthsShown && !(beat && framesPerBeat / perPixel >= kMinimumGridSpacing) && !bar)
            continue;
        const double x = XAt(int32_t(std::lround(left + n * sixteenth)));
        painter.fillRect(QRectF(x, 0, 1, height()), bar || beat ? Colours().fGridStrong : Colours().fGrid);
    }
}

void CLargeWaveformView::PaintLoopAndSlices(QPainter& painter)
{
    const SWaveformColours& colours = Colours();
    const CZubrikDocument& document = Document();
    const int32_t left = XAt(document.GetLeftLocator());
    const int32_t right = XAt(document.GetRightLocator());
    if (left > 0)
        painter.fillRect(QRect(0, 0, left, height()), colours.fOutsideLoop);
    if (right < width())
        painter.fillRect(QRect(std::max(0, right), 0, width() - std::max(0, right), height()), colours.fOutsideLoop);
    for (const int32_t x : {left, right})
        if (x >= 0 && x < width())
            painter.fillRect(QRect(x, 0, 1, height()), colours.fLocator);
    const CSliceSequence& slices = document.GetSliceSequence();
    for (const CSlice& slice : slices) {
        if (!slices.IsShown(slice) || !IsFrameVisible(slice.GetPosition()))
            continue;
        const int32_t x = XAt(slice.GetPosition());
        if (slice.IsMuted()) {
            // Dotted: the slice is there but does not sound.
            for (int32_t y = 0; y < height(); y += 4)
                painter.fillRect(QRect(x, y, 1, 2), colours.SliceLine(slice));
        } else {
            painter.fillRect(QRect(x, 0, 1, height()), colours.SliceLine(slice));
        }
    }
}

void CLargeWaveformView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const int32_t x = int32_t(event->position().x());
    if (modifiers & Qt::ControlModifier) {
        if (modifiers & Qt::AltModifier) {
            Group().MagnifyOut();
        } else {
            fDrag = EDrag::kZoom;
            fZoomFrom = FrameAt(x);
            Group().SetDragBand(fZoomFrom, fZoomFrom);
        }
        return;
    }
    CZubrikDocument& document = Document();
    if (document.GetViewAndEditAttributes().fTool == SViewAndEditAttributes::kPenTool) {
        const int32_t frame = FrameAt(x);
        if (frame >= 0 && frame < document.GetWaveSample().GetFrameCount())
            document.InsertSlice(frame);
        return;
    }
    fDrag = EDrag::kPlay;
    fPlayedSlice = -2;
    PlaySliceUnder(x);
}

void CLargeWaveformView::PlaySliceUnder(int32_t x)
{
    CZubrikDocument& document = Document();
    const CSliceSequence& slices = document.GetSliceSequence();
    if (slices.GetCount() == 0)
        return;
    const int32_t frame = std::clamp(FrameAt(x), 0, std::max(0, document.GetWaveSample().GetFrameCount() - 1));
    // The slice the pointer is in: the last active one at or before it.
    int32_t slice = -1;
    for (const CSlice& s : slices) {
        if (s.GetPosition() > frame)
            break;
        if (slices.IsActive(s))
            slice = s.GetPosition();
    }
    if (slice == fPlayedSlice)
        return;
    fPlayedSlice = slice;
    document.PlaySliceAt(frame);
}

void CLargeWaveformView::mouseMoveEvent(QMouseEvent* event)
{
    const int32_t x = int32_t(event->position().x());
    if (fDrag == EDrag::kZoom)
        Group().SetDragBand(fZoomFrom, FrameAt(x));
    else if (fDrag == EDrag::kPlay)
        PlaySliceUnder(x);
    Group().ShowHint(GestureHint(4));
}

void CLargeWaveformView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (fDrag == EDrag::kZoom) {
        Group().SetDragBand(0, 0);
        const int32_t to = FrameAt(int32_t(event->position().x()));
        if (to != fZoomFrom)
            Group().SetVisibleRange(std::min(fZoomFrom, to), std::max(fZoomFrom, to));
    }
    fDrag = EDrag::kNone;
}

} // namespace NSZubrik
