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

// A premultiplied colour over another.
inline QRgb BlendOver(QRgb below, QRgb above)
{
    const uint32_t keep = 255 - qAlpha(above);
    const auto channel = [keep](uint32_t a, uint32_t b) { return a + (b * keep + 127) / 255; };
    return qRgba(int(channel(qRed(above), qRed(below))), int(channel(qGreen(above), qGreen(below))),
                 int(channel(qBlue(above), qBlue(below))), int(channel(qAlpha(above), qAlpha(below))));
}

// A line across the whole image, thickness device pixels from row y.
void DrawRow(QImage& image, int32_t y, int32_t thickness, QRgb pixel)
{
    for (int32_t row = std::max(0, y); row < std::min(image.height(), y + thickness); ++row) {
        QRgb* pixels = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int32_t x = 0; x < image.width(); ++x)
            pixels[x] = BlendOver(pixels[x], pixel);
    }
}

// A line one point wide down the whole image at x (in points).
void DrawColumn(QImage& image, int32_t x, qreal ratio, QRgb pixel, bool dotted)
{
    const int32_t lineWidth = std::max(1, int32_t(std::lround(ratio)));
    const int32_t dash = 2 * lineWidth;
    const int32_t x0 = std::max(0, int32_t(std::floor(x * ratio)));
    const int32_t x1 = std::min(image.width(), int32_t(std::floor(x * ratio)) + lineWidth);
    for (int32_t y = 0; y < image.height() && x0 < x1; ++y) {
        if (dotted && (y / dash) % 2 != 0)
            continue;
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int32_t column = x0; column < x1; ++column)
            row[column] = BlendOver(row[column], pixel);
    }
}

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
                        Group().GetVerticalZoom(),   Group().IsShowingChannelsSummed(), Colours().fWave.rgba(),
                        Colours().fLook};
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
                                Colours().fWave, Colours().fLook == k3DWaveLook);
}

void CLargeWaveformView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const qreal ratio = painter.device()->devicePixelRatioF();
    EnsureCache(ratio);
    EnsureComposed(ratio);
    painter.drawImage(QPointF(0, 0), fComposed);
    PaintLoop(painter);
    PaintDragBand(painter);
    const int32_t cursor = Group().GetPlayCursor();
    if (cursor >= 0 && IsFrameVisible(cursor))
        painter.fillRect(QRectF(XAt(cursor), 0, 1.5, height()), Colours().fPlayCursor);
}

void CLargeWaveformView::DrawGridLines(qreal ratio)
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
        const int32_t x = XAt(int32_t(std::lround(left + n * sixteenth)));
        DrawColumn(fComposed, x, ratio, qPremultiply((bar || beat ? Colours().fGridStrong : Colours().fGrid).rgba()),
                   false);
    }
}

void CLargeWaveformView::PaintLoop(QPainter& painter)
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
}

void CLargeWaveformView::EnsureComposed(qreal ratio)
{
    const uint64_t version = Group().GetOverlayVersion();
    if (fComposed.size() == fCache.size() && fCacheKey == fComposedKey && version == fComposedVersion)
        return;
    fComposedKey = fCacheKey;
    fComposedVersion = version;
    if (fComposed.size() != fCache.size())
        fComposed = QImage(fCache.size(), QImage::Format_ARGB32_Premultiplied);
    fComposed.setDevicePixelRatio(ratio);
    // Everything below is written pixel by pixel: the raster engine would
    // hand every tall line to its thread pool, one hand-over per line, and
    // the repaint then draws one opaque image.
    const SWaveformColours& colours = Colours();
    fComposed.fill(colours.fBackground);
    DrawGridLines(ratio);
    const int32_t lanes = CWaveformImageRenderer::LaneCount(Document().GetWaveSample(),
                                                            Group().IsShowingChannelsSummed());
    const int32_t lineWidth = std::max(1, int32_t(std::lround(ratio)));
    for (int32_t lane = 0; lane < lanes; ++lane) {
        const int32_t middle = int32_t(std::floor((lane + 0.5) * fComposed.height() / lanes));
        DrawRow(fComposed, middle, lineWidth, qPremultiply(colours.fCentreLine.rgba()));
        if (lane > 0)
            DrawRow(fComposed, lane * fComposed.height() / lanes, lineWidth, qPremultiply(colours.fPanelLine.rgba()));
    }
    for (int32_t y = 0; y < fComposed.height(); ++y) {
        const QRgb* wave = reinterpret_cast<const QRgb*>(fCache.constScanLine(y));
        QRgb* row = reinterpret_cast<QRgb*>(fComposed.scanLine(y));
        for (int32_t x = 0; x < fComposed.width(); ++x)
            if (qAlpha(wave[x]) != 0)
                row[x] = BlendOver(row[x], wave[x]);
    }
    const CSliceSequence& slices = Document().GetSliceSequence();
    for (const CSlice& slice : slices) {
        if (!slices.IsShown(slice) || !IsFrameVisible(slice.GetPosition()))
            continue;
        // Dotted: a muted slice is there but does not sound.
        DrawColumn(fComposed, XAt(slice.GetPosition()), ratio, qPremultiply(colours.SliceLine(slice).rgba()),
                   slice.IsMuted() && !slice.IsSelected());
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
    emit Group().SlicePlayRequested(frame);
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
