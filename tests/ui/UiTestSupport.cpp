#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <atomic>

#include "document/ZubrikDocument.h"

namespace NSZubrikUiTest {

using namespace NSZubrik;

void CUiTest::SetUp()
{
    SApplicationOptions options;
    options.fUsePreferencesFile = false;
    options.fOpenHelp = false;
    fApplication = std::make_unique<CZubrikApplication>(options);
    // The once-per-user note about the effects would stop every open.
    fApplication->GetPreferences().SetEffectsNoteCounter(0);
    static std::atomic<int> counter{0};
    fFolder = std::filesystem::temp_directory_path() /
              ("zubrik-ui-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(fFolder);
    // A dialog nobody answers fails the test instead of hanging it.
    fWatchdog = std::make_unique<QTimer>();
    QObject::connect(fWatchdog.get(), &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "unanswered dialog " << modal->metaObject()->className();
            modal->close();
        }
    });
    fWatchdog->start(3000);
}

void CUiTest::TearDown()
{
    fWatchdog.reset();
    fApplication.reset();
    Settle();
    std::filesystem::remove_all(fFolder);
}

CZubrikWindow& CUiTest::Open(const std::filesystem::path& file)
{
    fApplication->OpenFiles({file});
    // Shortcuts and focus work in the active window only.
    Front().activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&Front()));
    return Front();
}

std::filesystem::path CUiTest::DemoLoop() { return std::filesystem::path(ZUBRIK_SOURCE_DIR) / "examples/demo-loop.wav"; }

std::filesystem::path CUiTest::DemoLoopFile()
{
    const std::filesystem::path file = fFolder / "demo.zx2";
    CZubrikWindow& window = Open(DemoLoop());
    window.GetDocument().SetBars(2);
    window.GetDocument().SetSensitivity(60);
    EXPECT_TRUE(window.GetDocument().SaveTo(file));
    EXPECT_TRUE(fApplication->GetApplication().CloseDocument(window.GetDocument(), false));
    Settle();
    return file;
}

void CUiTest::Settle()
{
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

namespace {

QString WithoutMnemonic(QString text) { return text.remove('&'); }

// Runs check on the next modal widget or pop-up as soon as there is one.
template <typename TFind, typename TAct>
void WhenUp(TFind find, TAct act, int triesLeft = 400)
{
    QTimer::singleShot(5, [=] {
        if (auto* widget = find(); widget != nullptr)
            act(widget);
        else if (triesLeft > 0)
            WhenUp(find, act, triesLeft - 1);
    });
}

} // namespace

void AnswerNextDialog(const QString& text, QString* shownText)
{
    WhenUp([] { return QApplication::activeModalWidget(); },
           [text, shownText](QWidget* dialog) {
               if (shownText != nullptr) {
                   shownText->clear();
                   for (QLabel* label : dialog->findChildren<QLabel*>())
                       *shownText += label->text() + '\n';
               }
               for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
                   if (WithoutMnemonic(button->text()) == text) {
                       button->click();
                       return;
                   }
               ADD_FAILURE() << "no button " << text.toStdString();
               dialog->close();
           });
}

void ChooseFromNextMenu(const QString& text)
{
    WhenUp([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
           [text](QMenu* menu) {
               for (QAction* action : menu->actions())
                   if (Plain(action) == text) {
                       action->trigger();
                       menu->close();
                       return;
                   }
               ADD_FAILURE() << "no menu item " << text.toStdString();
               menu->close();
           });
}

QString Plain(const QAction* action) { return WithoutMnemonic(action->text()); }

} // namespace NSZubrikUiTest
