#include "ui/WaveformDisplayGroupView.h"

#include <QGridLayout>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>

#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/ZubrikDocument.h"
#include "ui/views/LargeWaveformView.h"
#include "ui/views/LocatorRulerView.h"
#include "ui/views/OverviewView.h"
#include "ui/views/SliceHandleView.h"
#include "ui/views/VerticalRulerView.h"
#include "ui/views/WaveformColours.h"
#include "ui/views/WaveformImageRenderer.h"

namespace NSZubrik {

namespace {

constexpr int32_t kMaximumVerticalZoom = 64;

QToolButton* MagnifierButton(const QString& text, const QString& tip, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setToolTip(tip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(18, 18);
    return button;
}

} // namespace

CWaveformDisplayGroupView::CWaveformDisplayGroupView(CZubrikDocument& document, QWidget* parent)
    : QWidget(parent), fDocument(document), fRenderer(std::make_unique<CWaveformImageRenderer>())
{
    fOverview = new COverviewView(*this, this);
    fHandles = new CSliceHandleView(*this, this);
    fWaveform = new CLargeWaveformView(*this, this);
    fLocatorRuler = new CLocatorRulerView(*this, this);
    fVerticalRuler = new CVerticalRulerView(*this, this);
    fScrollBar = new QScrollBar(Qt::Horizontal, this);
    fScrollBar->setFocusPolicy(Qt::NoFocus);
    fOverview->setObjectName("overview");
    fHandles->setObjectName("sliceHandles");
    fWaveform->setObjectName("waveform");
    fLocatorRuler->setObjectName("locatorRuler");
    fVerticalRuler->setObjectName("verticalRuler");
    fScrollBar->setObjectName("horizontalScrollBar");

    // The vertical magnifier sits under the vertical ruler, beside the
    // locator ruler and the scroll bar.
    auto* magnifier = new QWidget(this);
    auto* magnifierLayout = new QHBoxLayout(magnifier);
    magnifierLayout->setContentsMargins(2, 0, 2, 0);
    magnifierLayout->setSpacing(2);
    QToolButton* lower = MagnifierButton(QStringLiteral("\u2212"), tr("Decrease vertical magnification"), magnifier);
    QToolButton* raise = MagnifierButton(QStringLiteral("+"), tr("Increase vertical magnification"), magnifier);
    magnifierLayout->addWidget(lower);
    magnifierLayout->addWidget(raise);
    connect(lower, &QToolButton::clicked, this, [this] { SetVerticalZoom(fVerticalZoom / 2); });
    connect(raise, &QToolButton::clicked, this, [this] { SetVerticalZoom(fVerticalZoom * 2); });

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(fOverview, 0, 1);
    layout->addWidget(fHandles, 1, 1);
    layout->addWidget(fVerticalRuler, 2, 0);
    layout->addWidget(fWaveform, 2, 1);
    layout->addWidget(fLocatorRuler, 3, 1);
    layout->addWidget(magnifier, 3, 0, 2, 1, Qt::AlignCenter);
    layout->addWidget(fScrollBar, 4, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(2, 1);
    layout->setColumnMinimumWidth(0, CVerticalRulerView::kWidth);
    fOverview->setMinimumWidth(64);

    connect(fScrollBar, &QScrollBar::valueChanged, this, [this](int value) {
        if (fUpdatingScrollBar)
            return;
        fFitting = false;
        ApplyVisibleRange(value, int64_t(value) + (fEnd - fStart));
    });

    setMinimumSize(240, 200);
    fDocument.AddListener(*this);
    MagnifyToFit();
}

CWaveformDisplayGroupView::~CWaveformDisplayGroupView() { fDocument.RemoveListener(*this); }

// ------------------------------------------------------------------ visible range

int32_t CWaveformDisplayGroupView::GetVisibleStart() const { return fStart; }
int32_t CWaveformDisplayGroupView::GetVisibleEnd() const { return fEnd; }
int32_t CWaveformDisplayGroupView::GetFramesPerPixel() const { return fFramesPerPixel; }

int32_t CWaveformDisplayGroupView::GetDimensionWidth() const
{
    // Before the first layout the waveform has no width of its own yet; the
    // group's width less the ruler column stands in.
    const int32_t pixels = fWaveform->width() > 0 && fWaveform->isVisible() ? fWaveform->width()
                                                                            : width() - CVerticalRulerView::kWidth;
    return std::max(1, pixels);
}

void CWaveformDisplayGroupView::SetVisibleRange(int32_t start, int32_t end)
{
    fFitting = false;
    ApplyVisibleRange(start, end);
}

void CWaveformDisplayGroupView::ApplyVisibleRange(int64_t start, int64_t end)
{
    const int64_t frameCount = std::max(1, fDocument.GetWaveSample().GetFrameCount());
    if (end < start)
        std::swap(start, end);
    int64_t span = std::clamp<int64_t>(end - start, 1, frameCount);
    start = std::clamp<int64_t>(start, 0, frameCount - span);
    const int64_t pixels = GetDimensionWidth();
    const int64_t perPixel = std::max<int64_t>(1, span / pixels);
    start -= start % perPixel;
    span = pixels * perPixel;
    const bool changed = start != fStart || perPixel != fFramesPerPixel || start + span != fEnd;
    fStart = int32_t(start);
    fFramesPerPixel = int32_t(perPixel);
    fEnd = int32_t(std::min<int64_t>(start + span, INT32_MAX));
    if (changed) {
        UpdateScrollBar();
        UpdateAllViews();
    }
}

void CWaveformDisplayGroupView::MagnifyIn()
{
    const int64_t quarter = (int64_t(fEnd) - fStart) / 4;
    SetVisibleRange(int32_t(fStart + quarter), int32_t(fEnd - quarter));
}

void CWaveformDisplayGroupView::MagnifyOut()
{
    const int32_t half = (fEnd - fStart) / 2;
    SetVisibleRange(fStart - half, fEnd + half);
}

void CWaveformDisplayGroupView::MagnifyToFit()
{
    ApplyVisibleRange(0, fDocument.GetWaveSample().GetFrameCount());
    fFitting = true;
}

void CWaveformDisplayGroupView::MagnifyToFitLoop()
{
    SetVisibleRange(fDocument.GetLeftLocator(), fDocument.GetRightLocator());
}

void CWaveformDisplayGroupView::MagnifyToFitSlice(int32_t sliceIndex)
{
    const CSliceSequence& slices = fDocument.GetSliceSequence();
    if (sliceIndex < 0 || sliceIndex >= slices.GetCount())
        return;
    const int32_t start = slices.GetSlice(sliceIndex).GetPosition();
    int32_t end = fDocument.GetWaveSample().GetFrameCount();
    for (int32_t i = sliceIndex + 1; i < slices.GetCount(); ++i)
        if (slices.IsShown(slices.GetSlice(i))) {
            end = slices.GetSlice(i).GetPosition();
            break;
        }
    SetVisibleRange(start, end);
}

void CWaveformDisplayGroupView::JumpToCursor()
{
    const int32_t cursor = fPlayCursor >= 0 ? fPlayCursor : fDocument.GetSequencer().GetCursor();
    if (cursor < 0 || (cursor >= fStart && cursor < fEnd))
        return;
    const int32_t span = fEnd - fStart;
    SetVisibleRange(cursor - span / 2, cursor - span / 2 + span);
}

void CWaveformDisplayGroupView::ScrollByPixels(int32_t pixels)
{
    const int32_t shift = pixels * fFramesPerPixel;
    SetVisibleRange(fStart + shift, fEnd + shift);
}

void CWaveformDisplayGroupView::UpdateScrollBar()
{
    fUpdatingScrollBar = true;
    const int32_t span = fEnd - fStart;
    const int32_t frameCount = fDocument.GetWaveSample().GetFrameCount();
    fScrollBar->setRange(0, std::max(0, frameCount - span));
    fScrollBar->setPageStep(std::max(1, span));
    fScrollBar->setSingleStep(std::max(1, span / 16));
    fScrollBar->setValue(fStart);
    fUpdatingScrollBar = false;
}

void CWaveformDisplayGroupView::UpdateAllViews()
{
    fOverview->update();
    fHandles->update();
    fWaveform->update();
    fLocatorRuler->update();
    fVerticalRuler->update();
}

void CWaveformDisplayGroupView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The layout has given the views their new widths; keep the sound fitted
    // or keep the range's start and width as far as the new width allows.
    if (fFitting)
        MagnifyToFit();
    else
        ApplyVisibleRange(fStart, fEnd);
}

void CWaveformDisplayGroupView::paintEvent(QPaintEvent*)
{
    // The corners beside the overview and the scroll bar, in the rulers'
    // colour.
    QPainter painter(this);
    painter.fillRect(rect(), SWaveformColours::From(palette()).fPanel);
}

// ------------------------------------------------------------------ playback and display options

void CWaveformDisplayGroupView::SetPlayCursor(int32_t frame)
{
    if (frame == fPlayCursor)
        return;
    fPlayCursor = frame;
    if (fScrollDuringPlayback && frame >= 0 && (frame < fStart || frame >= fEnd)) {
        // Page so that the cursor starts at the left edge again.
        const int32_t span = fEnd - fStart;
        SetVisibleRange(frame, frame + span);
    }
    fOverview->update();
    fWaveform->update();
}

void CWaveformDisplayGroupView::SetScrollDuringPlayback(bool on) { fScrollDuringPlayback = on; }

void CWaveformDisplayGroupView::SetShowChannelsSummed(bool summed)
{
    if (summed == fSummed)
        return;
    fSummed = summed;
    UpdateAllViews();
}

void CWaveformDisplayGroupView::SetShowingFrames(bool frames)
{
    if (frames == fShowingFrames)
        return;
    fShowingFrames = frames;
    fLocatorRuler->update();
}

void CWaveformDisplayGroupView::SetWaveStyle(const SWaveStyle& style)
{
    if (style == fWaveStyle)
        return;
    fWaveStyle = style;
    // The cached wave images know their colour and are drawn again.
    fOverview->RefreshColours();
    fWaveform->RefreshColours();
}

void CWaveformDisplayGroupView::SetVerticalZoom(int32_t zoom)
{
    zoom = std::clamp(zoom, 1, kMaximumVerticalZoom);
    if (zoom == fVerticalZoom)
        return;
    fVerticalZoom = zoom;
    fWaveform->update();
    fVerticalRuler->update();
}

void CWaveformDisplayGroupView::SetDragBand(int32_t from, int32_t to)
{
    fBandFrom = from;
    fBandTo = to;
    fHandles->update();
    fWaveform->update();
}

void CWaveformDisplayGroupView::ShowHint(const QString& text)
{
    if (text == fHint)
        return;
    fHint = text;
    emit HintChanged(text);
}

void CWaveformDisplayGroupView::RequestSliceContextMenu(int32_t sliceIndex, const QPoint& globalPosition)
{
    emit SliceContextMenuRequested(sliceIndex, globalPosition);
}

void CWaveformDisplayGroupView::RequestDragOut(int32_t sliceIndex, bool asMidi)
{
    emit DragOutRequested(sliceIndex, asMidi);
}

// ------------------------------------------------------------------ document listener

void CWaveformDisplayGroupView::ParametersChanged(CZubrikDocument&)
{
    ++fOverlayVersion;
    // Locators, loop length and time signature: the loop shade, the grid and
    // the locator handles.
    fOverview->update();
    fWaveform->update();
    fLocatorRuler->update();
}

void CWaveformDisplayGroupView::SlicesChanged(CZubrikDocument&)
{
    ++fOverlayVersion;
    fHandles->update();
    fWaveform->update();
}

void CWaveformDisplayGroupView::WaveSampleChanged(CZubrikDocument&)
{
    fRenderer->Invalidate();
    fWaveform->InvalidateCache();
    fOverview->InvalidateCache();
    if (fFitting)
        MagnifyToFit();
    else
        ApplyVisibleRange(fStart, fEnd);
    UpdateAllViews();
}

void CWaveformDisplayGroupView::ViewAndEditAttributesChanged(CZubrikDocument&)
{
    ++fOverlayVersion;
    fHandles->UpdateToolCursor();
    fWaveform->update();
}

} // namespace NSZubrik
