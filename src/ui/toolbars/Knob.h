// A rotary control for one stored setting: dragging up or down changes it
// (Shift for fine steps), Ctrl-Click resets it, the wheel and the arrow and
// page keys step it. Every step is handed on at once, so that the sound
// follows the drag; the owner makes the steps of one drag one undo step.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

class QLabel;

namespace NSZubrik {

struct SKnobRange {
    int32_t fMinimum;
    int32_t fMaximum;
    int32_t fDefault;
};

class CKnob : public QWidget {
    Q_OBJECT
public:
    using TChange = std::function<void(int32_t)>;
    using TGestureEnd = std::function<void()>;
    // Pixels of drag that sweep the whole range; Shift makes steps ten
    // times finer.
    static constexpr int kDragSpan = 150;
    static constexpr int kFineFactor = 10;

    CKnob(const SKnobRange& range, TChange change, TGestureEnd gestureEnd, QWidget* parent = nullptr);

    int32_t GetValue() const { return fValue; }
    const SKnobRange& GetRange() const { return fRange; }
    // Shows a value without handing it on (the document changed).
    void SetValue(int32_t value);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Change(int32_t value);
    int32_t Step() const;

    SKnobRange fRange;
    TChange fChange;
    TGestureEnd fGestureEnd;
    int32_t fValue;
    bool fDragging = false;
    int fDragY = 0;
    double fDragValue = 0.0;
};

// A knob with its title above and its value, in real units, below.
class CKnobControl : public QWidget {
    Q_OBJECT
public:
    using TFormat = QString (*)(int32_t);

    CKnobControl(int32_t titleEntry, int32_t toolTipEntry, int32_t infoEntry, const SKnobRange& range,
                 TFormat format, CKnob::TChange change, CKnob::TGestureEnd gestureEnd, QWidget* parent = nullptr);

    CKnob& GetKnob() { return *fKnob; }
    QLabel& GetValueText() { return *fValueText; }
    void SetValue(int32_t value);

private:
    CKnob* fKnob;
    QLabel* fValueText;
    TFormat fFormat;
};

} // namespace NSZubrik
