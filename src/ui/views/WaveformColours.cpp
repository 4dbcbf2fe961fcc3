#include "ui/views/WaveformColours.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>

#include "audiodata/SliceSequence.h"
#include "ui/views/SliceHandleGeometry.h"

namespace NSZubrik {

namespace {

QColor Mix(const QColor& a, const QColor& b, double t)
{
    return QColor::fromRgbF(float(a.redF() * (1 - t) + b.redF() * t), float(a.greenF() * (1 - t) + b.greenF() * t),
                            float(a.blueF() * (1 - t) + b.blueF() * t));
}

QColor WithAlpha(QColor colour, int alpha)
{
    colour.setAlpha(alpha);
    return colour;
}

// The wave in the user's colour, moved towards the background for less
// contrast and towards the text for more.
QColor StyledWave(const QColor& themed, const SWaveStyle& style, const QColor& background, const QColor& text)
{
    const SWaveStyle standard;
    QColor wave = style.fColour == standard.fColour ? themed
                                                    : QColor(style.fColour[0], style.fColour[1], style.fColour[2]);
    if (style.fContrast < standard.fContrast)
        wave = Mix(wave, background, 0.75 * (standard.fContrast - style.fContrast) / standard.fContrast);
    else if (style.fContrast > standard.fContrast)
        wave = Mix(wave, text, 0.6 * (style.fContrast - standard.fContrast) / (100.0 - standard.fContrast));
    return wave;
}

} // namespace

SWaveformColours SWaveformColours::From(const QPalette& palette, const SWaveStyle& style)
{
    SWaveformColours c;
    const QColor window = palette.color(QPalette::Window);
    const QColor text = palette.color(QPalette::WindowText);
    c.fDark = window.lightness() < 128;
    c.fBackground = c.fDark ? QColor(0x1b, 0x1e, 0x24) : QColor(0xfc, 0xfc, 0xfd);
    c.fPanel = c.fDark ? Mix(window, QColor(0x26, 0x29, 0x30), 0.6) : Mix(window, QColor(0xee, 0xef, 0xf2), 0.6);
    c.fPanelLine = Mix(c.fPanel, text, 0.22);
    c.fText = text;
    c.fDimText = Mix(c.fPanel, text, 0.6);
    c.fWave = StyledWave(c.fDark ? QColor(0x4f, 0xc1, 0xcf) : QColor(0x1d, 0x7f, 0x91), style, c.fBackground, text);
    c.fLook = std::clamp(style.fLook, int32_t(kPlainWaveLook), int32_t(kShadedWaveLook));
    c.fCentreLine = WithAlpha(c.fWave, c.fLook == kPlainWaveLook ? 0 : 90);
    c.fGrid = WithAlpha(text, c.fDark ? 26 : 20);
    c.fGridStrong = WithAlpha(text, c.fDark ? 60 : 48);
    c.fOutsideLoop = c.fDark ? QColor(0, 0, 0, 110) : QColor(0x70, 0x74, 0x80, 46);
    c.fLocator = c.fDark ? QColor(0x5c, 0xd0, 0x7a) : QColor(0x1f, 0x9a, 0x4a);
    c.fPlayCursor = c.fDark ? QColor(0xff, 0x6b, 0x5a) : QColor(0xe0, 0x3a, 0x2a);
    c.fSliceSelected = palette.color(QPalette::Highlight);
    if (c.fSliceSelected.saturationF() < 0.2f)
        c.fSliceSelected = QColor(0x2f, 0x80, 0xed);
    c.fBand = WithAlpha(c.fSliceSelected, 56);
    c.fSliceNormal = c.fDark ? QColor(0xc8, 0xcd, 0xd6) : QColor(0x4a, 0x50, 0x5c);
    c.fSliceMuted = c.fDark ? QColor(0x78, 0x7d, 0x86) : QColor(0xa2, 0xa6, 0xae);
    c.fSliceLocked = c.fDark ? QColor(0xf0, 0xa8, 0x3c) : QColor(0xd0, 0x84, 0x10);
    return c;
}

QColor SWaveformColours::SliceLine(const CSlice& slice) const
{
    if (slice.IsSelected())
        return WithAlpha(fSliceSelected, 230);
    if (slice.IsMuted())
        return WithAlpha(fSliceMuted, 150);
    if (slice.IsLocked())
        return WithAlpha(fSliceLocked, 200);
    return WithAlpha(fSliceNormal, 150);
}

void DrawSliceHandle(QPainter& painter, const SWaveformColours& colours, const CSlice& slice, double x, double bottom)
{
    const SHandleSize size = HandleSizeOf(slice);
    // Inset by half a pixel so that the outline stays inside the hit area.
    const double half = size.fHalfWidth - 1.0;
    const double top = bottom - size.fReach + 0.5;
    const double foot = bottom - 0.5;
    const QColor state = slice.IsMuted() ? colours.fSliceMuted : slice.IsLocked() ? colours.fSliceLocked
                                                                                    : colours.fSliceNormal;
    const QColor fill = slice.IsSelected() ? colours.fSliceSelected : state;
    QPainterPath path;
    if (slice.IsLocked()) {
        // A tall tab with a notch: the locked slice's taller handle.
        path.addRoundedRect(QRectF(x - half, top, 2 * half, foot - top), 2, 2);
    } else {
        // An arrowhead pointing down at the slice line.
        path.moveTo(x - half, top);
        path.lineTo(x + half, top);
        path.lineTo(x + half, foot - half * 0.6);
        path.lineTo(x, foot);
        path.lineTo(x - half, foot - half * 0.6);
        path.closeSubpath();
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (slice.IsMuted() && !slice.IsSelected()) {
        // Hollow: a muted slice does not sound.
        painter.setPen(QPen(fill, 1.4));
        painter.setBrush(colours.fPanel);
    } else {
        painter.setPen(QPen(slice.IsSelected() ? state : fill.darker(130), slice.IsSelected() ? 1.6 : 1.0));
        painter.setBrush(fill);
    }
    painter.drawPath(path);
    if (slice.IsLocked()) {
        // The lock's shackle, cut into the tab.
        painter.setPen(QPen(colours.fPanel, 1.3));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(x - 2.5, top + 2.5, 5, 5), 0, 180 * 16);
        painter.drawLine(QPointF(x - 2.5, top + 5), QPointF(x - 2.5, top + 7));
        painter.drawLine(QPointF(x + 2.5, top + 5), QPointF(x + 2.5, top + 7));
        painter.fillRect(QRectF(x - 3.5, top + 7, 7, 4.5), colours.fPanel);
    } else if (slice.IsMuted()) {
        painter.setPen(QPen(fill, 1.2));
        painter.drawLine(QPointF(x - half + 2.5, top + 1.5), QPointF(x + half - 2.5, foot - 2.5));
    }
    painter.restore();
}

namespace {

// A cursor of two device pixels per point, drawn with its hot spot top left.
QCursor DrawnCursor(void (*draw)(QPainter&))
{
    QPixmap pixmap(48, 48);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // The arrow every tool cursor starts from.
    QPainterPath arrow;
    arrow.moveTo(1, 1);
    arrow.lineTo(1, 14);
    arrow.lineTo(4.5, 10.5);
    arrow.lineTo(7.5, 16);
    arrow.lineTo(9.5, 15);
    arrow.lineTo(6.8, 9.8);
    arrow.lineTo(11.5, 9.8);
    arrow.closeSubpath();
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(Qt::black);
    painter.drawPath(arrow);
    draw(painter);
    painter.end();
    return QCursor(pixmap, 1, 1);
}

} // namespace

QCursor MuteToolCursor()
{
    return DrawnCursor([](QPainter& p) {
        // A speaker with a cross.
        p.setPen(QPen(Qt::white, 2.5));
        p.setBrush(Qt::black);
        QPolygonF speaker({{12, 15}, {14.5, 15}, {18, 12}, {18, 22}, {14.5, 19}, {12, 19}});
        p.drawPolygon(speaker);
        p.setPen(QPen(Qt::black, 1));
        p.drawPolygon(speaker);
        p.setPen(QPen(Qt::black, 1.6));
        p.drawLine(QPointF(19.5, 14.5), QPointF(23, 19.5));
        p.drawLine(QPointF(23, 14.5), QPointF(19.5, 19.5));
    });
}

QCursor LockToolCursor()
{
    return DrawnCursor([](QPainter& p) {
        // A padlock.
        p.setPen(QPen(Qt::white, 3));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(14.5, 11, 6, 7), 0, 180 * 16);
        p.setPen(QPen(Qt::black, 1.5));
        p.drawArc(QRectF(14.5, 11, 6, 7), 0, 180 * 16);
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(Qt::black);
        p.drawRoundedRect(QRectF(13, 15, 9, 7.5), 1.2, 1.2);
    });
}

} // namespace NSZubrik
