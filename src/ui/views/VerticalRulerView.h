// The amplitude ruler beside the large waveform, one scale per lane, in dB
// of full scale at the current vertical magnification. Dragging on it or the
// wheel changes the magnification.
#pragma once

#include <QWidget>

#include "ui/WaveformDisplayGroupView.h"
#include "ui/views/WaveformColours.h"

namespace NSZubrik {

class CVerticalRulerView : public QWidget {
    Q_OBJECT
public:
    static constexpr int32_t kWidth = 44;

    CVerticalRulerView(CWaveformDisplayGroupView& group, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void PaintLane(QPainter& painter, double top, double bottom);

    CWaveformDisplayGroupView& fGroup;
    SWaveformColours fColours;
};

} // namespace NSZubrik
