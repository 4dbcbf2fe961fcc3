#include "ui/toolbars/ToolBarTexts.h"

#include <QWidget>
#include <cmath>

#include "app/ResourceIds.h"
#include "app/StringTables.h"
#include "engine/DSPTables.h"

namespace NSZubrik {

QString ToolBarText(int32_t entry) { return QString::fromStdString(GetString(kProgramStringList, entry)); }

QStringList ToolBarChoices(int32_t entry) { return ToolBarText(entry).split(u';'); }

void DescribeControl(QWidget& control, int32_t toolTipEntry, int32_t infoEntry)
{
    control.setToolTip(ToolBarText(toolTipEntry));
    control.setStatusTip(ToolBarText(infoEntry));
}

namespace NSKnobUnits {

QString Time(int32_t index)
{
    // The time table does not depend on the output rate; any rate's
    // tables give the same milliseconds.
    constexpr int32_t kAnyRate = 44100;
    const CDSPTables& tables = CDSPTablesCache::Acquire(kAnyRate);
    const double ms = tables.Milliseconds()[std::clamp(index, 0, CDSPTables::kTimeTableSize - 1)];
    CDSPTablesCache::Release(kAnyRate);
    if (ms >= 1000.0)
        return QStringLiteral("%1 s").arg(ms / 1000.0, 0, 'f', 2);
    return QStringLiteral("%1 ms").arg(ms, 0, 'f', ms < 10.0 ? 1 : 0);
}

QString DecayTime(int32_t index)
{
    constexpr int32_t kNoDecay = 1023;
    return index >= kNoDecay ? QStringLiteral("\u221e") : Time(index);
}

QString Percent(int32_t value, int32_t full) { return QStringLiteral("%1 %").arg(std::lround(value * 100.0 / full)); }

QString ShaperThreshold(int32_t value)
{
    // The level below which the shaper leaves a slice alone.
    const double level = value * 0.00390625 + 0.01;
    return QStringLiteral("%1 dB").arg(20.0 * std::log10(level), 0, 'f', 1);
}

QString Hertz(int32_t hertz)
{
    if (hertz >= 1000)
        return QStringLiteral("%1 kHz").arg(hertz / 1000.0, 0, 'f', hertz >= 10000 ? 1 : 2);
    return QStringLiteral("%1 Hz").arg(hertz);
}

QString ThousandthsOfDecibel(int32_t value)
{
    return QStringLiteral("%1%2 dB").arg(value > 0 ? "+" : "").arg(value / 1000.0, 0, 'f', 1);
}

QString Quality(int32_t thousandths) { return QStringLiteral("%1").arg(thousandths / 1000.0, 0, 'f', 2); }

QString Cents(int32_t cents) { return QStringLiteral("%1%2 cents").arg(cents > 0 ? "+" : "").arg(cents); }

QString LinearGain(int32_t thousandths)
{
    if (thousandths <= 0)
        return QStringLiteral("-inf dB");
    const double decibels = 20.0 * std::log10(thousandths / 1000.0);
    return QStringLiteral("%1%2 dB").arg(decibels > 0.05 ? "+" : "").arg(decibels, 0, 'f', 1);
}

QString Plain(int32_t value) { return QString::number(value); }

} // namespace NSKnobUnits

} // namespace NSZubrik
