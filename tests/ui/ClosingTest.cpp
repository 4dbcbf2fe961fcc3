// Closing windows and quitting with the save-changes question, recent
// documents, dropped files, and a failing command that shows its alert
// while the program goes on.
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <fstream>

#include "UiTestSupport.h"
#include "audiodata/SliceSequence.h"
#include "document/ZubrikDocument.h"
#include "platform/framekit/FrameKit.h"
#include "ui/ZubrikCommands.h"
#include "ui/ZubrikMenus.h"

namespace NSZubrikUiTest {

using namespace NSZubrik;
using namespace NSZubrik::NSCommands;

namespace {

std::string Contents(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST_F(CUiTest, SaveChangesQuestionWithEachAnswer)
{
    const std::filesystem::path file = DemoLoopFile();
    const std::string saved = Contents(file);
    CZubrikWindow* window = &Open(file);
    EXPECT_FALSE(window->isWindowModified());
    window->HandleKey(Qt::Key_2, Qt::NoModifier);
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_TRUE(window->windowTitle().startsWith("demo.zx2[*]"));

    QString question;
    AnswerNextDialog(QStringLiteral("Cancel"), &question);
    window->close();
    Settle();
    EXPECT_TRUE(question.contains("Save changes to the document \"demo.zx2\" before closing?"));
    ASSERT_EQ(fApplication->GetWindows().size(), 1u);
    EXPECT_TRUE(window->isVisible());

    AnswerNextDialog(QStringLiteral("No"));
    window->close();
    Settle();
    EXPECT_TRUE(fApplication->GetWindows().empty());
    EXPECT_EQ(Contents(file), saved);

    window = &Open(file);
    window->HandleKey(Qt::Key_2, Qt::NoModifier);
    AnswerNextDialog(QStringLiteral("Yes"));
    window->close();
    Settle();
    EXPECT_TRUE(fApplication->GetWindows().empty());
    EXPECT_NE(Contents(file), saved);
    // Closing put the file at the head of the recent documents.
    ASSERT_FALSE(fApplication->GetApplication().GetRecentlyUsedDocuments().GetEntries().empty());
    EXPECT_EQ(fApplication->GetApplication().GetRecentlyUsedDocuments().GetEntries().front().fFile, file);
}

TEST_F(CUiTest, QuittingAsksPerWindowAndCancelCallsTheQuitOff)
{
    const std::filesystem::path file = DemoLoopFile();
    Open(DemoLoop());
    CZubrikWindow& changed = Open(file);
    changed.HandleKey(Qt::Key_3, Qt::NoModifier);
    ASSERT_EQ(fApplication->GetWindows().size(), 2u);

    QString question;
    AnswerNextDialog(QStringLiteral("Cancel"), &question);
    NSFrameKit::CFrameKit::RequestQuit();
    Settle();
    EXPECT_TRUE(question.contains("Save changes to the document \"demo.zx2\" before quitting?"));
    EXPECT_FALSE(NSFrameKit::CFrameKit::IsQuitting());
    EXPECT_EQ(fApplication->GetWindows().size(), 2u);
}

TEST_F(CUiTest, RecentDocumentsInTheFileMenuOpenAgain)
{
    const std::filesystem::path file = DemoLoopFile();
    CZubrikWindow& window = Open(DemoLoop());
    window.UpdateMenus();
    QAction* recent = window.GetMenus().Find(kFirstRecent);
    ASSERT_NE(recent, nullptr);
    EXPECT_EQ(Plain(recent), "1 demo.zx2");
    recent->trigger();
    ASSERT_EQ(fApplication->GetWindows().size(), 2u);
    EXPECT_EQ(Front().GetDocument().GetFile(), file);
}

TEST_F(CUiTest, FailingCommandShowsItsAlertAndTheProgramGoesOn)
{
    const std::filesystem::path file = DemoLoopFile();
    CZubrikWindow& window = Open(DemoLoop());
    std::filesystem::remove(file);
    QString alert;
    AnswerNextDialog(QStringLiteral("OK"), &alert);
    window.GetMenus().Find(kFirstRecent)->trigger();
    Settle();
    EXPECT_TRUE(alert.contains("not found")) << alert.toStdString();
    EXPECT_EQ(fApplication->GetWindows().size(), 1u);
    // The entry that failed has left the list, and the window still works.
    EXPECT_TRUE(fApplication->GetApplication().GetRecentlyUsedDocuments().GetEntries().empty());
    window.HandleKey(Qt::Key_4, Qt::NoModifier);
    EXPECT_EQ(window.GetDocument().GetSliceSequence().GetSensitivity(), 44);

    // A file that is no sound at all: the open alert names it.
    const std::filesystem::path text = fFolder / "notes.txt";
    std::ofstream(text) << "not a sound";
    AnswerNextDialog(QStringLiteral("OK"), &alert);
    fApplication->OpenFiles({text});
    Settle();
    EXPECT_TRUE(alert.contains("notes.txt")) << alert.toStdString();
    EXPECT_EQ(fApplication->GetWindows().size(), 1u);
}

TEST_F(CUiTest, DroppedFileOpensAsNewDocument)
{
    CZubrikWindow& window = Open(DemoLoop());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(DemoLoopFile().string()))});
    // A drop reaches the window that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    ASSERT_EQ(fApplication->GetWindows().size(), 2u);
    EXPECT_EQ(Front().GetDocument().GetName(), u"demo.zx2");
}

} // namespace NSZubrikUiTest
