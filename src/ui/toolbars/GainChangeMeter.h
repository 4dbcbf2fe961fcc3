// The Transient Shaper's gain-change meter: how far the shaper has lowered
// (left of centre) and raised (right of centre) the slices' level since the
// last reading, in dB. The readings fall back slowly so that short changes
// stay visible.
#pragma once

#include <QWidget>

namespace NSZubrik {

class CGainChangeMeter : public QWidget {
    Q_OBJECT
public:
    // The meter's scale reaches this far either side of 0 dB.
    static constexpr double kRangeDecibels = 24.0;
    // The share of a reading kept at each new one while it falls back.
    static constexpr double kFallBack = 0.85;

    explicit CGainChangeMeter(QWidget* parent = nullptr);

    // The smallest and largest gain factor since the last reading.
    void ShowFactors(float minimum, float maximum);
    double GetShownCut() const { return fCut; }
    double GetShownBoost() const { return fBoost; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Both in dB, the cut at most 0, the boost at least 0.
    double fCut = 0.0;
    double fBoost = 0.0;
};

} // namespace NSZubrik
