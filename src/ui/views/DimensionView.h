// The common base of the views that share the group's horizontal scale: each
// maps frames of the sound to its own x coordinates through the group's
// visible range and whole number of frames per pixel.
#pragma once

#include <QWidget>
#include <cstdint>

#include "ui/WaveformDisplayGroupView.h"
#include "ui/views/WaveformColours.h"

namespace NSZubrik {

class CZubrikDocument;

class CDimensionView : public QWidget {
    Q_OBJECT
public:
    CDimensionView(CWaveformDisplayGroupView& group, QWidget* parent);

    // frame = visible start + x * frames per pixel.
    int32_t FrameAt(int32_t x) const;
    // x = (frame - visible start) / frames per pixel, rounded towards minus
    // infinity so that frames left of the view land left of it.
    int32_t XAt(int32_t frame) const;
    bool IsFrameVisible(int32_t frame) const;
    // Takes the palette and the group's wave style again and repaints.
    void RefreshColours();

protected:
    CWaveformDisplayGroupView& Group() const { return fGroup; }
    CZubrikDocument& Document() const { return fGroup.GetDocument(); }
    const SWaveformColours& Colours() const { return fColours; }
    // The band of frames being dragged out, if any, across the whole height.
    void PaintDragBand(QPainter& painter) const;
    void changeEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // Scrolls, or magnifies with Ctrl held.
    void wheelEvent(QWheelEvent* event) override;

private:
    CWaveformDisplayGroupView& fGroup;
    SWaveformColours fColours;
};

} // namespace NSZubrik
