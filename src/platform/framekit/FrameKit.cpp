#include "platform/framekit/FrameKit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>

#include "app/Alert.h"
#include "app/ResourceIds.h"
#include "app/ResultCodes.h"

namespace NSFrameKit {

namespace {

IFrameKitRunBehavior* gBehavior = nullptr;
bool gQuitting = false;

} // namespace

void CFrameKit::Install(IFrameKitRunBehavior* behavior)
{
    gBehavior = behavior;
    gQuitting = false;
}

int32_t CFrameKit::Run(IFrameKitRunBehavior& behavior, const std::vector<std::filesystem::path>& files)
{
    Install(&behavior);
    const int32_t started = behavior.Start(files);
    if (started != kNoError)
        return started;
    QTimer idle;
    QObject::connect(&idle, &QTimer::timeout, [&behavior] { ReportResult(behavior.Idle()); });
    idle.start(kIdleIntervalMs);
    if (behavior.HasWindows())
        QApplication::exec();
    idle.stop();
    const int32_t result = behavior.Quit();
    gQuitting = false;
    return result;
}

void CFrameKit::ProcessEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void CFrameKit::RequestQuit()
{
    if (gBehavior == nullptr || gQuitting)
        return;
    gQuitting = true;
    if (!gBehavior->MayQuit()) {
        gQuitting = false;
        return;
    }
    QCoreApplication::exit(0);
}

bool CFrameKit::IsQuitting() { return gQuitting; }

void CFrameKit::AbandonQuit() { gQuitting = false; }

int32_t CFrameKit::GenericAlertFor(int32_t code)
{
    using namespace NSZubrik::NSAlerts;
    switch (code) {
    case NSZubrik::kResultNoError:
    case 100014:  // the alert has been shown already
    case 100017:  // the user interrupted the work
    case 100023:
    case 100026:
    case 100027:
        return 0;
    case 12001: return kOutOfMemory;
    case 100006: return kDiskFull;
    case 12005:
    case 100016: return kBadFormat;
    case 12006:
    case 100025: return kUnsupportedFormat;
    case 100000: return kReadProblem;
    case 100001:
    case 100005: return kWriteProblem;
    case 100007:
    case 100008: return kFileLocked;
    case 100009:
    case 100010: return kUnresolvedAlias;
    case 100002:
    case 100003:
    case 100004: return kFileSystemObjectNotFound;
    case 100015: return kHelpError;
    default: return kUnknownProblem;
    }
}

void CFrameKit::ReportResult(int32_t code)
{
    const int32_t alert = GenericAlertFor(code);
    if (alert == 0)
        return;
    try {
        NSZubrik::ShowAlert(NSZubrik::kAlertTable, alert);
    } catch (...) {
        // Nothing more can be shown; the program goes on.
    }
}

void CFrameKit::ShowStartupFailure(const std::string& caption, const std::string& first,
                                   const std::string& second)
{
    QString text = QString::fromStdString(first);
    if (!second.empty())
        text += QStringLiteral("\r\n") + QString::fromStdString(second);
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(caption).left(95), text, QMessageBox::Ok);
    box.exec();
}

uint32_t CFrameKit::Milliseconds()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return static_cast<uint32_t>(clock.elapsed());
}

void CFrameKit::Beep() { QApplication::beep(); }

} // namespace NSFrameKit
