#include "ui/Screenshot.h"

#include <QApplication>
#include <QPalette>
#include <QPixmap>

#include "ui/ZubrikWindow.h"

namespace NSZubrik {

bool WriteScreenshot(CZubrikWindow& window, const QSize& size, const QString& file)
{
    window.resize(size);
    window.show();
    QApplication::processEvents();
    QApplication::sendPostedEvents();
    return window.grab().save(file, "PNG");
}

void ApplyDarkPalette()
{
    QPalette palette;
    const QColor window(0x2b, 0x2d, 0x31);
    const QColor base(0x1e, 0x20, 0x24);
    const QColor text(0xe6, 0xe7, 0xea);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, QColor(0x4c, 0x8d, 0xf6));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x82, 0x88));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x82, 0x88));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x82, 0x88));
    QApplication::setPalette(palette);
}

} // namespace NSZubrik
