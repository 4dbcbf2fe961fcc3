// The status-bar hints of the waveform group's gestures: 0 selecting slices,
// 1 moving a slice, 2 moving a locator, 3 placing a locator, 4 zooming,
// 6 dragging slices out to other programs.
#pragma once

#include <QString>
#include <cstdint>

#include "app/ResourceIds.h"
#include "app/StringTables.h"

namespace NSZubrik {

inline QString GestureHint(int32_t index)
{
    return QString::fromStdString(GetString(kProgramStringList, NSStrings::kGestureHints + index));
}

// Over the slice strip: selecting, and that slices can be dragged out.
inline QString SliceStripHint() { return GestureHint(0) + QStringLiteral("   ") + GestureHint(6); }

} // namespace NSZubrik
