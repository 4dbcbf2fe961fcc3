// Texts and value formats shared by the tool bars: entries of the program's
// string list as Qt strings, the info texts shown in the status bar while
// the pointer rests on a control, and each stored value shown in the unit a
// producer reads (ms, dB, Hz, %, cents).
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

class QWidget;

namespace NSZubrik {

QString ToolBarText(int32_t entry);
// The ";"-separated choices of a pop-up entry.
QStringList ToolBarChoices(int32_t entry);
// Tool tip and status-bar info text of a control.
void DescribeControl(QWidget& control, int32_t toolTipEntry, int32_t infoEntry);

namespace NSKnobUnits {
// A time index of the envelope and shaper tables, in ms or s.
QString Time(int32_t index);
// The envelope's decay: a time, except at the top of the range, where the
// sound does not decay at all ("\u221e").
QString DecayTime(int32_t index);
QString Percent(int32_t value, int32_t full);
// The shaper threshold as the level it stands for, in dB.
QString ShaperThreshold(int32_t value);
QString Hertz(int32_t hertz);
QString ThousandthsOfDecibel(int32_t value);
QString Quality(int32_t thousandths);
QString Cents(int32_t cents);
// A linear gain in thousandths, in dB.
QString LinearGain(int32_t thousandths);
QString Plain(int32_t value);
} // namespace NSKnobUnits

} // namespace NSZubrik
