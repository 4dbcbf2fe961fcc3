// The colours of the waveform group, derived from the widget palette so that
// the views follow the desktop's light or dark scheme, and the shapes of the
// slice handles, which tell the slice states apart by outline as well as by
// colour.
#pragma once

#include <QColor>
#include <QCursor>
#include <QPalette>
#include <QRect>

class QPainter;

namespace NSZubrik {

class CSlice;

struct SWaveformColours {
    bool fDark = false;
    QColor fBackground;    // behind the large waveform
    QColor fPanel;         // strips and rulers
    QColor fPanelLine;     // separators between the views
    QColor fText;
    QColor fDimText;
    QColor fWave;
    QColor fCentreLine;
    QColor fGrid;
    QColor fGridStrong;
    QColor fOutsideLoop;   // shade over the sound outside the locators
    QColor fLocator;
    QColor fPlayCursor;
    QColor fBand;          // a range or zoom being dragged out
    QColor fSliceNormal;
    QColor fSliceMuted;
    QColor fSliceLocked;
    QColor fSliceSelected;

    static SWaveformColours From(const QPalette& palette);
    // The line a slice draws across the waveform.
    QColor SliceLine(const CSlice& slice) const;
};

// Draws the handle of a slice whose line is at x (the handle's centre) with
// its foot on the bottom edge; its size is the slice state's hit area.
void DrawSliceHandle(QPainter& painter, const SWaveformColours& colours, const CSlice& slice, double x, double bottom);

// The cursors of the Mute and Lock tools over the slice handles.
QCursor MuteToolCursor();
QCursor LockToolCursor();

} // namespace NSZubrik
