// The colours of the waveform group, derived from the widget palette so that
// the views follow the desktop's light or dark scheme, and the shapes of the
// slice handles, which tell the slice states apart by outline as well as by
// colour.
#pragma once

#include <QColor>
#include <QCursor>
#include <QPalette>
#include <QRect>

#include "io/Preferences.h"

class QPainter;

namespace NSZubrik {

class CSlice;

// How the wave body is painted: a flat fill without a centre line, a fill
// with depth (lit from above, darker away from the centre line), or the flat
// fill over a faint centre line.
enum EWaveLook : int32_t { kPlainWaveLook = 0, k3DWaveLook = 1, kShadedWaveLook = 2 };

// The user's waveform colour, its contrast against the background and the
// look of the wave. The standard colour leaves the wave in the colour of the
// light or dark look; the standard contrast leaves the colour as it is.
struct SWaveStyle {
    TColor fColour = SPreferenceValues{}.fWaveformColor;
    int32_t fContrast = SPreferenceValues{}.fContrast;
    int32_t fLook = SPreferenceValues{}.fDisplayStyle;
    bool operator==(const SWaveStyle&) const = default;
};

struct SWaveformColours {
    bool fDark = false;
    QColor fBackground;    // behind the large waveform
    QColor fPanel;         // strips and rulers
    QColor fPanelLine;     // separators between the views
    QColor fText;
    QColor fDimText;
    QColor fWave;
    int32_t fLook = kShadedWaveLook;
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

    static SWaveformColours From(const QPalette& palette, const SWaveStyle& style = {});
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
