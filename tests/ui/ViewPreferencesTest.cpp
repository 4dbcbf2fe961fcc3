// The window's view preferences, set while a window is open: the ruler's
// unit, the look of the wave and the size of the tool bar icons.
#include <QImage>
#include <QToolButton>
#include <gtest/gtest.h>

#include "ui/WaveformDisplayGroupView.h"
#include "ui/toolbars/DocumentToolBars.h"
#include "ui/toolbars/TopToolBar.h"
#include "ui/views/LargeWaveformView.h"
#include "ui/views/LocatorRulerView.h"
#include "ui/views/OverviewView.h"
#include "UiTestSupport.h"

using namespace NSZubrik;
using namespace NSZubrikUiTest;

namespace {

QStringList Labels(const CLocatorRulerView& ruler)
{
    QStringList labels;
    for (const CLocatorRulerView::SMark& mark : ruler.Marks())
        if (mark.fMajor)
            labels.push_back(mark.fLabel);
    return labels;
}

// The labels' left edges at least their own width plus a gap apart.
void ExpectLabelsApart(const CLocatorRulerView& ruler)
{
    const QFontMetricsF metrics(ruler.font());
    double previous = -1e9;
    double previousWidth = 0;
    for (const CLocatorRulerView::SMark& mark : ruler.Marks()) {
        if (!mark.fMajor)
            continue;
        EXPECT_GT(mark.fX - previous, previousWidth + 8) << mark.fLabel.toStdString();
        previous = mark.fX;
        previousWidth = metrics.horizontalAdvance(mark.fLabel);
    }
}

} // namespace

TEST_F(CUiTest, RulerLabelsPositionsInTimeOrInFrames)
{
    CZubrikWindow& window = Open(DemoLoop());
    CWaveformDisplayGroupView& view = window.GetView();
    CLocatorRulerView& ruler = view.GetLocatorRulerView();
    view.SetVisibleRange(0, 44100);
    const int32_t perPixel = view.GetFramesPerPixel();
    ASSERT_GT(perPixel, 1);
    EXPECT_EQ(Labels(ruler).value(1), QStringLiteral("0:00.1"));

    fApplication->GetPreferences().SetPositionUnit(1);
    ASSERT_TRUE(view.IsShowingFrames());
    const QStringList frames = Labels(ruler);
    ASSERT_GE(frames.size(), 3);
    EXPECT_EQ(frames[0], QStringLiteral("0"));
    // A round step of frames: 1, 2 or 5 times a power of ten.
    const int64_t step = frames[1].toLongLong();
    int64_t mantissa = step;
    while (mantissa % 10 == 0)
        mantissa /= 10;
    EXPECT_TRUE(mantissa == 1 || mantissa == 2 || mantissa == 5) << step;
    EXPECT_EQ(frames[2].toLongLong(), 2 * step);
    ExpectLabelsApart(ruler);

    // Closest in and farthest out, the labels still stand apart.
    for (int i = 0; i < 30; ++i)
        view.MagnifyIn();
    ASSERT_EQ(view.GetFramesPerPixel(), 1);
    ExpectLabelsApart(ruler);
    for (int i = 0; i < 30; ++i)
        view.MagnifyOut();
    ExpectLabelsApart(ruler);

    fApplication->GetPreferences().SetPositionUnit(0);
    EXPECT_TRUE(Labels(ruler).value(0).contains(u':'));
}

TEST_F(CUiTest, LookRedrawsTheWaveOnceAndShadedKeepsThePicture)
{
    CZubrikWindow& window = Open(DemoLoop());
    CLargeWaveformView& wave = window.GetView().GetWaveformView();
    CZubrikPreferences& preferences = fApplication->GetPreferences();
    ASSERT_EQ(preferences.GetDisplayStyle(), 2);
    const QImage shaded = wave.grab().toImage();
    const QImage overview = window.GetView().GetOverviewView().grab().toImage();

    QImage looks[2];
    for (const int32_t look : {0, 1}) {
        // The wave is drawn once for the new look; repaints use that picture.
        const int32_t draws = wave.GetCacheDrawCount();
        preferences.SetDisplayStyle(look);
        looks[look] = wave.grab().toImage();
        wave.grab();
        EXPECT_EQ(wave.GetCacheDrawCount(), draws + 1);
        EXPECT_NE(looks[look], shaded) << look;
        EXPECT_NE(window.GetView().GetOverviewView().grab().toImage(), overview) << look;
    }
    EXPECT_NE(looks[0], looks[1]);

    preferences.SetDisplayStyle(2);
    EXPECT_EQ(wave.grab().toImage(), shaded);
    EXPECT_EQ(window.GetView().GetOverviewView().grab().toImage(), overview);
}

TEST_F(CUiTest, LargeIconsGrowTheIconButtons)
{
    CZubrikWindow& window = Open(DemoLoop());
    CTopToolBar& bar = window.GetToolBars().GetTopToolBar();
    EXPECT_EQ(bar.fPlayToolbarButton->iconSize(), QSize(16, 16));
    const int height = bar.sizeHint().height();

    fApplication->GetPreferences().SetLargeToolbarIcons(true);
    for (QToolButton* button : {bar.fOpenButton, bar.fSaveButton, bar.fStopToolbarButton, bar.fPlayToolbarButton,
                                bar.fPlayNextToolbarButton})
        EXPECT_EQ(button->iconSize(), QSize(24, 24));
    // The bar grows by the icons' growth, no more.
    EXPECT_LE(bar.sizeHint().height(), height + 8);

    fApplication->GetPreferences().SetLargeToolbarIcons(false);
    EXPECT_EQ(bar.fPlayToolbarButton->iconSize(), QSize(16, 16));
    EXPECT_EQ(bar.sizeHint().height(), height);
}
