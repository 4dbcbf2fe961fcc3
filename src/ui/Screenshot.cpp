#include "ui/Screenshot.h"

#include <QApplication>
#include <QPalette>
#include <QPixmap>

#include <QTabWidget>
#include <memory>

#include "app/FileAudition.h"
#include "document/ZubrikDocument.h"
#include "io/ExportFileFormat.h"
#include "platform/framekit/OpenDialog.h"
#include "ui/ExportDialogs.h"
#include "ui/PreferencesDialog.h"
#include "ui/ZubrikApplication.h"
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

namespace {

bool Grab(QWidget& dialog, const QString& file)
{
    dialog.show();
    QApplication::processEvents();
    QApplication::sendPostedEvents();
    const bool written = dialog.grab().save(file, "PNG");
    dialog.hide();
    return written;
}

} // namespace

bool WriteDialogScreenshot(CZubrikApplication& application, const QString& dialog, int page, const QString& file)
{
    CZubrikWindow* window = application.GetFrontWindow();
    if (window == nullptr)
        return false;
    CZubrikPreferences& preferences = application.GetPreferences();
    if (dialog == QStringLiteral("open")) {
        // Silent: a picture plays nothing.
        CFileAudition audition(nullptr, preferences);
        NSFrameKit::COpenDialog open(window, audition);
        const QString shown = QString::fromStdString(window->GetDocument().GetFile().string());
        open.resize(1060, 540);
        open.selectFile(shown);
        open.ShowFile(shown);
        return Grab(open, file);
    }
    if (dialog == QStringLiteral("export")) {
        const std::unique_ptr<CABCExportFileFormat> format = CreateExportFileFormat(".wav;.wave");
        CExportSettingsDialogData data;
        data.fSampleRates = format->GetSampleRates();
        data.fBitDepths = format->GetBitDepths();
        data.fSampleRate = preferences.GetExportSampleRate();
        data.fBitDepth = preferences.GetExportBitDepth();
        CExportSettingsWindow settings(data, window);
        return Grab(settings, file);
    }
    if (dialog == QStringLiteral("preferences")) {
        CPreferencesDialog settings(preferences.GetValues(), nullptr, window);
        settings.GetPages().setCurrentIndex(page);
        return Grab(settings, file);
    }
    return false;
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
