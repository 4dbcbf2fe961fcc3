// The transport buttons' symbols, drawn in the colour of the button text so
// that they read on light and dark palettes alike.
#pragma once

#include <QColor>
#include <QIcon>

namespace NSZubrik {

enum class ETransportIcon { kStop, kPlay, kPrevious, kCurrent, kNext };

QIcon TransportIcon(ETransportIcon kind, const QColor& colour);

} // namespace NSZubrik
