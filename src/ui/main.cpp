// zubrik: the desktop program. Files named on the command line open as
// documents; without any, the empty start-up document opens.
//
//   zubrik [FILE...]
//   zubrik --screenshot OUT.png [--size WxH] [--scale 1|2] [--palette light|dark] FILE
#include <QApplication>
#include <QStyleFactory>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/ResourceIds.h"
#include "app/StringTables.h"
#include "app/ZubrikErrors.h"
#include "document/ZubrikDocument.h"
#include "ui/Screenshot.h"
#include "ui/ZubrikApplication.h"
#include "ui/ZubrikWindow.h"

namespace {

struct SArguments {
    std::vector<std::filesystem::path> fFiles;
    QString fScreenshot;
    QSize fSize{NSZubrik::CZubrikWindow::kDefaultWidth, NSZubrik::CZubrikWindow::kDefaultHeight};
    int fScale = 1;
    bool fDark = false;
    // Effect panels in the picture: every one, none, or as the file has them.
    std::optional<bool> fPanels;
    // A dialog over the window instead of the window itself.
    QString fDialog;
};

int Usage()
{
    std::fprintf(stderr,
                 "usage: zubrik [FILE...]\n"
                 "       zubrik --screenshot OUT.png [--size WxH] [--scale 1|2] [--palette light|dark]\n"
                 "                [--panels all|none|saved] [--dialog open|export|preferences[:audio]] FILE\n");
    return 2;
}

bool ParseArguments(int argc, char** argv, SArguments& arguments)
{
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--screenshot" && hasValue) {
            arguments.fScreenshot = QString::fromLocal8Bit(argv[++i]);
        } else if (argument == "--size" && hasValue) {
            int width = 0;
            int height = 0;
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width < 200 || height < 150)
                return false;
            arguments.fSize = QSize(width, height);
        } else if (argument == "--scale" && hasValue) {
            arguments.fScale = std::atoi(argv[++i]);
            if (arguments.fScale != 1 && arguments.fScale != 2)
                return false;
        } else if (argument == "--palette" && hasValue) {
            const std::string palette = argv[++i];
            if (palette != "light" && palette != "dark")
                return false;
            arguments.fDark = palette == "dark";
        } else if (argument == "--dialog" && hasValue) {
            arguments.fDialog = QString::fromLocal8Bit(argv[++i]);
        } else if (argument == "--panels" && hasValue) {
            const std::string panels = argv[++i];
            if (panels != "all" && panels != "none" && panels != "saved")
                return false;
            if (panels != "saved")
                arguments.fPanels = panels == "all";
        } else if (argument.rfind("--", 0) == 0) {
            return false;
        } else {
            arguments.fFiles.emplace_back(argument);
        }
    }
    return arguments.fScreenshot.isEmpty() || arguments.fFiles.size() == 1;
}

void ShowPanels(NSZubrik::CZubrikDocument& document, bool shown)
{
    using NSZubrik::SViewAndEditAttributes;
    for (int32_t panel : {SViewAndEditAttributes::kEnvelopePanel,
                          SViewAndEditAttributes::kTransientShaperPanel,
                          SViewAndEditAttributes::kEqualizerPanel})
        if (document.GetViewAndEditAttributes().IsPanelShown(panel) != shown)
            document.TogglePanel(panel, false);
}

int TakeScreenshot(const SArguments& arguments)
{
    NSZubrik::SApplicationOptions options;
    options.fUsePreferencesFile = false;
    options.fOpenHelp = false;
    options.fConsoleAlerts = true;
    NSZubrik::CZubrikApplication application(options);
    application.Start(arguments.fFiles);
    NSZubrik::CZubrikWindow* window = application.GetFrontWindow();
    if (window != nullptr && arguments.fPanels)
        ShowPanels(window->GetDocument(), *arguments.fPanels);
    bool written = false;
    if (window != nullptr && arguments.fDialog.isEmpty()) {
        written = NSZubrik::WriteScreenshot(*window, arguments.fSize, arguments.fScreenshot);
    } else if (window != nullptr) {
        const QStringList dialog = arguments.fDialog.split(QLatin1Char(':'));
        const int page = dialog.size() > 1 && dialog[1] == QStringLiteral("audio") ? 1 : 0;
        written = NSZubrik::WriteDialogScreenshot(application, dialog[0], page, arguments.fScreenshot);
    }
    application.Quit();
    if (!written) {
        std::fprintf(stderr, "zubrik: cannot write %s\n", arguments.fScreenshot.toLocal8Bit().constData());
        return 3;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    SArguments arguments;
    if (!ParseArguments(argc, argv, arguments))
        return Usage();
    if (!arguments.fScreenshot.isEmpty()) {
        // A picture needs no display, and is drawn at the ratio asked for.
        qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
        qputenv("QT_SCALE_FACTOR", QByteArray::number(arguments.fScale));
    }
    QApplication qtApplication(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zubrik"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    if (arguments.fDark)
        NSZubrik::ApplyDarkPalette();
    const std::string product = NSZubrik::GetString(NSZubrik::kProgramStringList, NSZubrik::NSStrings::kProductName);
    try {
        if (!arguments.fScreenshot.isEmpty())
            return TakeScreenshot(arguments);
        NSZubrik::SApplicationOptions options;
        options.fUseAudio = true;
        NSZubrik::CZubrikApplication application(options);
        const int32_t result = application.Run(arguments.fFiles);
        return result == NSFrameKit::CFrameKit::kNoError ? 0 : 1;
    } catch (const XAlertAlreadyShown&) {
        return 1;
    } catch (const std::exception&) {
        NSFrameKit::CFrameKit::ShowStartupFailure(
            product, NSZubrik::GetString(NSZubrik::kProgramStringList, NSZubrik::NSStrings::kUnexpectedStartupError), {});
        return 1;
    }
}
