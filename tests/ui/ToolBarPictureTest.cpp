// Pictures of the five tool bars stacked as the window shows them, at 1x
// and 2x in light and dark palettes. Set ZUBRIK_PICTURE_FOLDER to keep them.
#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <cstdlib>

#include "UiTestSupport.h"
#include "document/ZubrikDocument.h"
#include "ui/toolbars/DocumentToolBars.h"
#include "ui/toolbars/Knob.h"
#include "ui/toolbars/TopToolBar.h"
#include <QToolButton>

namespace NSZubrikUiTest {

using namespace NSZubrik;

namespace {

QPalette DarkPalette()
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 48));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 32));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(60, 60, 64));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::Mid, QColor(100, 100, 104));
    dark.setColor(QPalette::Highlight, QColor(70, 140, 220));
    return dark;
}

QImage Render(QWidget& widget, qreal ratio)
{
    QImage image(widget.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(widget.palette().color(QPalette::Window));
    widget.render(&image);
    return image;
}

} // namespace

TEST_F(CUiTest, ToolBarsFitTheWindowWidthWithNoTextClipped)
{
    CZubrikDocument& document = Open(DemoLoop()).GetDocument();
    const QString folder = qEnvironmentVariableIsSet("ZUBRIK_PICTURE_FOLDER")
                               ? qEnvironmentVariable("ZUBRIK_PICTURE_FOLDER")
                               : QString::fromStdString(fFolder.string());
    for (bool dark : {false, true}) {
        CDocumentToolBars bars(document);
        if (dark)
            bars.setPalette(DarkPalette());
        bars.setAutoFillBackground(true);
        QLayout* layout = bars.layout();
        for (int i = 0; i < layout->count(); ++i)
            EXPECT_LE(layout->itemAt(i)->widget()->sizeHint().width(), CZubrikWindow::kDefaultWidth)
                << layout->itemAt(i)->widget()->metaObject()->className();
        EXPECT_EQ(bars.findChildren<CKnob*>().size(), 18);
        bars.resize(CZubrikWindow::kDefaultWidth, bars.sizeHint().height());
        bars.show();
        QApplication::processEvents();
        for (CKnob* knob : bars.findChildren<CKnob*>())
            EXPECT_EQ(knob->size(), knob->sizeHint());
        for (QWidget* child : bars.findChildren<QWidget*>()) {
            if (qobject_cast<QLabel*>(child) == nullptr && qobject_cast<QAbstractButton*>(child) == nullptr)
                continue;
            child->ensurePolished();
            const QSize least = child->minimumSizeHint();
            EXPECT_GE(child->width(), least.width()) << child->metaObject()->className() << " "
                                                     << child->property("text").toString().toStdString();
            EXPECT_GE(child->height(), least.height()) << child->property("text").toString().toStdString();
        }
        for (qreal ratio : {1.0, 2.0}) {
            const QImage image = Render(bars, ratio);
            EXPECT_EQ(image.width(), int(CZubrikWindow::kDefaultWidth * ratio));
            const QString name = QStringLiteral("%1/toolbars-%2-%3x.png").arg(folder, dark ? "dark" : "light").arg(ratio);
            EXPECT_TRUE(image.save(name));
        }
    }
}

} // namespace NSZubrikUiTest

namespace NSZubrikUiTest {

TEST_F(CUiTest, EffectToolBarsShowAndHideWithTheirPanels)
{
    using namespace NSZubrik;
    CZubrikDocument& document = Open(DemoLoop()).GetDocument();
    CDocumentToolBars bars(document);
    bars.resize(CZubrikWindow::kDefaultWidth, bars.sizeHint().height());
    bars.show();
    const int allShown = bars.sizeHint().height();
    QWidget& equalizer = bars.GetEffectToolBar(SViewAndEditAttributes::kEqualizerPanel);
    EXPECT_TRUE(equalizer.isVisible());
    bars.GetTopToolBar().fEqualizerButton->click();
    EXPECT_FALSE(equalizer.isVisible());
    EXPECT_LT(bars.sizeHint().height(), allShown);
    // Showing one panel alone hides the other two.
    document.TogglePanel(SViewAndEditAttributes::kEqualizerPanel, true);
    EXPECT_TRUE(equalizer.isVisible());
    EXPECT_FALSE(bars.GetEffectToolBar(SViewAndEditAttributes::kEnvelopePanel).isVisible());
    EXPECT_FALSE(bars.GetEffectToolBar(SViewAndEditAttributes::kTransientShaperPanel).isVisible());

    std::vector<int32_t> commands;
    QObject::connect(&bars, &CDocumentToolBars::CommandRequested, [&](int32_t command) { commands.push_back(command); });
    bars.GetTopToolBar().fOpenButton->click();
    EXPECT_EQ(commands.size(), 1u);
}

} // namespace NSZubrikUiTest
