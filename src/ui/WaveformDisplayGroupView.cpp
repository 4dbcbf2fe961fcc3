// A plain stand-in for the waveform group: the whole sound drawn from the
// wave sample's min/max summary with the shown slices and the locators, the
// visible range and its magnify steps, and the right-button request for the
// slice context menu. The full views with their gestures replace it.
#include "ui/WaveformDisplayGroupView.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <cstdlib>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <vector>

#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/ZubrikDocument.h"

namespace NSZubrik {

namespace {

constexpr int kHandleStripHeight = 18;
constexpr int kMargin = 8;

// The one child that draws and holds the stand-in's state.
class CStandInCanvas : public QWidget, public IDocumentListener {
public:
    CStandInCanvas(CZubrikDocument& document, CWaveformDisplayGroupView& view)
        : QWidget(&view), fDocument(document), fView(view)
    {
        setObjectName(QStringLiteral("waveformStandIn"));
        fEnd = std::max(1, document.GetWaveSample().GetFrameCount());
        document.AddListener(*this);
        setMouseTracking(true);
    }
    ~CStandInCanvas() override { fDocument.RemoveListener(*this); }

    void ParametersChanged(CZubrikDocument&) override { update(); }
    void SlicesChanged(CZubrikDocument&) override { update(); }
    void WaveSampleChanged(CZubrikDocument&) override { update(); }
    void ViewAndEditAttributesChanged(CZubrikDocument&) override {}
    void UndoStateChanged(CZubrikDocument&) override {}
    void TitleChanged(CZubrikDocument&) override {}
    void PlaybackChanged(CZubrikDocument&) override {}

    int32_t Pixels() const { return std::max(1, width() - 2 * kMargin); }
    int32_t FramesPerPixel() const { return std::max<int32_t>(1, (fEnd - fStart) / Pixels()); }

    CZubrikDocument& fDocument;
    CWaveformDisplayGroupView& fView;
    int32_t fStart = 0;
    int32_t fEnd = 1;
    int32_t fPlayCursor = -1;
    bool fScroll = true;
    bool fSummed = false;

protected:
    void paintEvent(QPaintEvent*) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent*) override
    {
        emit fView.HintChanged(QStringLiteral("[Shift-Click to add/remove slices from selection]"));
    }
};

CStandInCanvas& Canvas(const CWaveformDisplayGroupView* view)
{
    return *view->findChild<CStandInCanvas*>(QStringLiteral("waveformStandIn"), Qt::FindDirectChildrenOnly);
}

} // namespace

CWaveformDisplayGroupView::CWaveformDisplayGroupView(CZubrikDocument& document, QWidget* parent) : QWidget(parent)
{
    auto* canvas = new CStandInCanvas(document, *this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(canvas);
    setMinimumSize(320, 160);
    setFocusPolicy(Qt::StrongFocus);
}

CWaveformDisplayGroupView::~CWaveformDisplayGroupView() = default;

int32_t CWaveformDisplayGroupView::GetFramesPerPixel() const { return Canvas(this).FramesPerPixel(); }

int32_t CWaveformDisplayGroupView::GetVisibleStart() const { return Canvas(this).fStart; }

int32_t CWaveformDisplayGroupView::GetVisibleEnd() const
{
    const CStandInCanvas& canvas = Canvas(this);
    return std::min(canvas.fDocument.GetWaveSample().GetFrameCount(),
                    canvas.fStart + canvas.FramesPerPixel() * canvas.Pixels());
}

void CWaveformDisplayGroupView::SetVisibleRange(int32_t start, int32_t end)
{
    CStandInCanvas& canvas = Canvas(this);
    const int32_t frames = std::max(1, canvas.fDocument.GetWaveSample().GetFrameCount());
    canvas.fStart = std::clamp(start, 0, frames - 1);
    canvas.fEnd = std::clamp(end, canvas.fStart + 1, frames);
    canvas.update();
}

void CWaveformDisplayGroupView::MagnifyIn()
{
    const int32_t quarter = (GetVisibleEnd() - GetVisibleStart()) / 4;
    SetVisibleRange(GetVisibleStart() + quarter, GetVisibleEnd() - quarter);
}

void CWaveformDisplayGroupView::MagnifyOut()
{
    const int32_t half = (GetVisibleEnd() - GetVisibleStart()) / 2;
    SetVisibleRange(GetVisibleStart() - half, GetVisibleEnd() + half);
}

void CWaveformDisplayGroupView::MagnifyToFit() { SetVisibleRange(0, Canvas(this).fDocument.GetWaveSample().GetFrameCount()); }

void CWaveformDisplayGroupView::MagnifyToFitLoop()
{
    const CZubrikDocument& document = Canvas(this).fDocument;
    SetVisibleRange(document.GetLeftLocator(), document.GetRightLocator());
}

void CWaveformDisplayGroupView::MagnifyToFitSlice(int32_t sliceIndex)
{
    const CZubrikDocument& document = Canvas(this).fDocument;
    const CSliceSequence& slices = document.GetSliceSequence();
    if (sliceIndex < 0 || sliceIndex >= slices.GetCount())
        return;
    int32_t end = document.GetWaveSample().GetFrameCount();
    for (int32_t i = sliceIndex + 1; i < slices.GetCount(); ++i)
        if (slices.IsShown(slices.GetSlice(i))) {
            end = slices.GetSlice(i).GetPosition();
            break;
        }
    SetVisibleRange(slices.GetSlice(sliceIndex).GetPosition(), end);
}

void CWaveformDisplayGroupView::JumpToCursor()
{
    const int32_t cursor = Canvas(this).fDocument.GetSequencer().GetCursor();
    const int32_t width = GetVisibleEnd() - GetVisibleStart();
    if (cursor < GetVisibleStart() || cursor >= GetVisibleEnd())
        SetVisibleRange(cursor - width / 2, cursor - width / 2 + width);
}

void CWaveformDisplayGroupView::SetPlayCursor(int32_t frame)
{
    CStandInCanvas& canvas = Canvas(this);
    if (canvas.fPlayCursor == frame)
        return;
    canvas.fPlayCursor = frame;
    canvas.update();
}

void CWaveformDisplayGroupView::SetScrollDuringPlayback(bool on) { Canvas(this).fScroll = on; }

void CWaveformDisplayGroupView::SetShowChannelsSummed(bool summed)
{
    Canvas(this).fSummed = summed;
    Canvas(this).update();
}

namespace {

void CStandInCanvas::paintEvent(QPaintEvent*)
{
    const CZubrikDocument& document = fDocument;
    const CABCWaveSample& wave = document.GetWaveSample();
    const CSliceSequence& slices = document.GetSliceSequence();
    if (!wave.IsPreviewValid())
        const_cast<CABCWaveSample&>(wave).BuildPreview();
    QPainter painter(this);
    const QPalette& colors = palette();
    const bool dark = colors.color(QPalette::Window).lightness() < 128;
    painter.fillRect(rect(), colors.color(QPalette::Window));
    const QRect strip(kMargin, kMargin, width() - 2 * kMargin, kHandleStripHeight);
    const QRect area(kMargin, strip.bottom() + 1, width() - 2 * kMargin, height() - strip.bottom() - 1 - kMargin);
    painter.fillRect(area, dark ? QColor(0x1e, 0x20, 0x24) : QColor(0xfb, 0xfb, 0xfc));
    painter.fillRect(strip, dark ? QColor(0x2a, 0x2d, 0x33) : QColor(0xec, 0xee, 0xf2));

    const int32_t start = fStart;
    const int32_t fpp = FramesPerPixel();
    auto xOf = [&](int32_t frame) { return area.left() + (frame - start) / fpp; };

    const int loopLeft = std::max(area.left(), xOf(document.GetLeftLocator()));
    const int loopRight = std::min(area.right(), xOf(document.GetRightLocator()));
    if (loopRight > loopLeft)
        painter.fillRect(QRect(loopLeft, area.top(), loopRight - loopLeft, area.height()),
                         dark ? QColor(0x26, 0x2b, 0x36) : QColor(0xf0, 0xf4, 0xff));

    const CWaveSamplePreview* preview = wave.GetPreview();
    const int channels = wave.IsStereo() && !fSummed ? 2 : 1;
    const QColor waveColor = dark ? QColor(0x7d, 0x9c, 0xf5) : QColor(0x3b, 0x62, 0xd6);
    for (int channel = 0; channel < channels; ++channel) {
        const int laneHeight = area.height() / channels;
        const int middle = area.top() + laneHeight * channel + laneHeight / 2;
        const double scale = (laneHeight / 2 - 2) / 32768.0;
        painter.setPen(dark ? QColor(0x3a, 0x3e, 0x46) : QColor(0xdd, 0xe1, 0xe8));
        painter.drawLine(area.left(), middle, area.right(), middle);
        if (preview == nullptr || preview->GetBlockCount() == 0)
            continue;
        const CWaveSamplePreview::SMinMax* pairs = preview->GetPairs(channel + 1);
        painter.setPen(waveColor);
        for (int x = 0; x < area.width(); ++x) {
            const int64_t first = (int64_t(start) + int64_t(x) * fpp) / CWaveSamplePreview::kBlockFrames;
            if (first >= preview->GetBlockCount())
                break;
            const int64_t last = std::min<int64_t>(
                preview->GetBlockCount() - 1,
                (int64_t(start) + int64_t(x + 1) * fpp - 1) / CWaveSamplePreview::kBlockFrames);
            int lo = 32767;
            int hi = -32768;
            for (int64_t b = first; b <= last; ++b) {
                lo = std::min<int>(lo, pairs[b].fMin);
                hi = std::max<int>(hi, pairs[b].fMax);
            }
            painter.drawLine(area.left() + x, middle - int(hi * scale), area.left() + x, middle - int(lo * scale));
        }
    }

    for (int32_t i = 0; i < slices.GetCount(); ++i) {
        const CSlice& slice = slices.GetSlice(i);
        if (!slices.IsShown(slice))
            continue;
        const int x = xOf(slice.GetPosition());
        if (x < area.left() || x > area.right())
            continue;
        QColor color = slice.IsMuted()    ? QColor(0x8a, 0x8f, 0x98)
                       : slice.IsLocked() ? QColor(0xe0, 0x7b, 0x20)
                                          : QColor(0x2f, 0xa8, 0x6a);
        if (slice.IsSelected())
            color = colors.color(QPalette::Highlight);
        painter.setPen(QPen(color, 1));
        painter.drawLine(x, area.top(), x, area.bottom());
        QPainterPath handle;
        handle.moveTo(x, strip.bottom());
        handle.lineTo(x - 5, strip.top() + 4);
        handle.lineTo(x + 5, strip.top() + 4);
        handle.closeSubpath();
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.fillPath(handle, color);
        painter.setRenderHint(QPainter::Antialiasing, false);
    }
    if (fPlayCursor >= 0) {
        painter.setPen(QPen(QColor(0xd0, 0x30, 0x30), 1));
        painter.drawLine(xOf(fPlayCursor), area.top(), xOf(fPlayCursor), area.bottom());
    }
}

void CStandInCanvas::contextMenuEvent(QContextMenuEvent* event)
{
    const CSliceSequence& slices = fDocument.GetSliceSequence();
    const int32_t fpp = FramesPerPixel();
    const int32_t frame = fStart + (event->pos().x() - kMargin) * fpp;
    int32_t nearest = -1;
    int32_t distance = 6 * fpp;
    for (int32_t i = 0; i < slices.GetCount(); ++i)
        if (slices.IsShown(slices.GetSlice(i)) && std::abs(slices.GetSlice(i).GetPosition() - frame) <= distance) {
            nearest = i;
            distance = std::abs(slices.GetSlice(i).GetPosition() - frame);
        }
    if (nearest >= 0)
        emit fView.SliceContextMenuRequested(nearest, event->globalPos());
}

} // namespace

} // namespace NSZubrik
