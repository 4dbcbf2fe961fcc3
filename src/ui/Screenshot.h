// A picture on demand: the front document window laid out at a given size
// and painted into a PNG file at the screen's device pixel ratio.
#pragma once

#include <QSize>
#include <QString>

namespace NSZubrik {

class CZubrikApplication;
class CZubrikWindow;

// Lays the window out at size (logical pixels), paints it and writes the
// PNG. False when the file could not be written.
bool WriteScreenshot(CZubrikWindow& window, const QSize& size, const QString& file);

// A picture of one of the window's dialogs over the front window: "open"
// (the open dialog in the folder of the front document's file, that file
// selected and described), "export" (the settings of a WAVE export) or
// "preferences" (the page given by page, 0 General, 1 Audio). False for
// another name or when the file could not be written.
bool WriteDialogScreenshot(CZubrikApplication& application, const QString& dialog, int page, const QString& file);

// A dark palette in the colours of the program's dark look, for desktops
// that ask for one and for pictures.
void ApplyDarkPalette();

} // namespace NSZubrik
