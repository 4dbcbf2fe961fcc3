// The output peak meter: the left and right peaks the preview sent to the
// audio output since the last reading, on a dB scale, with a clip light
// that stays lit until clicked.
#pragma once

#include <QWidget>
#include <array>

namespace NSZubrik {

class CPeakRecord;

class COutputPeakMeter : public QWidget {
    Q_OBJECT
public:
    static constexpr int kInterval = 30;
    // The scale's floor; the top is 0 dB (full scale).
    static constexpr double kFloorDecibels = -48.0;
    // Decibels a shown peak falls per reading.
    static constexpr double kFallPerReading = 1.5;

    explicit COutputPeakMeter(CPeakRecord& record, QWidget* parent = nullptr);

    // Takes the peaks since the last reading from the record.
    void Read();
    double GetShownPeak(int channel) const { return fPeaks[channel]; }
    bool IsClipLightOn() const { return fClipped; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    CPeakRecord& fRecord;
    // In dB, kFloorDecibels for silence.
    std::array<double, 2> fPeaks{kFloorDecibels, kFloorDecibels};
    bool fClipped = false;
};

} // namespace NSZubrik
