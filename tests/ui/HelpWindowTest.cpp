// The help window: the manual it finds, the topics the program opens, its
// pictures, the find field, and the first run opening the first steps.
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <filesystem>
#include <gtest/gtest.h>

#include "ui/HelpWindow.h"
#include "ui/ZubrikApplication.h"

namespace NSZubrik {
namespace {

QString HeadingAtCursor(CHelpWindow& window) { return window.Browser().textCursor().block().text(); }

TEST(HelpWindow, OpensEveryTopicTheProgramAsksForAtItsHeading)
{
    CHelpWindow window;
    ASSERT_FALSE(FindManual().isEmpty());
    ASSERT_TRUE(window.Load(FindManual()));
    window.show();
    for (int32_t topic : {kHelpTopicFirstSteps, kHelpTopicLoopLength}) {
        window.ShowTopic(topic);
        EXPECT_EQ(HeadingAtCursor(window), HelpTopicHeading(topic)) << "topic " << topic;
    }
    window.ShowTopic(kHelpTopicContents);
    EXPECT_EQ(window.Browser().textCursor().position(), 0);
    EXPECT_FALSE(window.Load(QStringLiteral("/nonexistent/manual.md")));
}

TEST(HelpWindow, EveryPictureOfTheManualIsThere)
{
    CHelpWindow window;
    ASSERT_TRUE(window.Load(FindManual()));
    const QString folder = QFileInfo(FindManual()).absolutePath();
    int pictures = 0;
    for (QTextBlock block = window.Browser().document()->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QString name = format.toImageFormat().name();
            EXPECT_FALSE(QImage(folder + QLatin1Char('/') + name).isNull()) << name.toStdString();
            ++pictures;
        }
    }
    EXPECT_GE(pictures, 3);
}

TEST(HelpWindow, FindGoesFromMatchToMatchAndStartsOver)
{
    CHelpWindow window;
    ASSERT_TRUE(window.Load(FindManual()));
    window.show();
    window.FocusFind();
    QTest::keyClicks(&window.FindField(), QStringLiteral("Sensitivity"));
    QTest::keyClick(&window.FindField(), Qt::Key_Return);
    const int first = window.Browser().textCursor().selectionStart();
    EXPECT_EQ(window.Browser().textCursor().selectedText(), QStringLiteral("Sensitivity"));
    QTest::keyClick(&window.FindField(), Qt::Key_Return);
    EXPECT_GT(window.Browser().textCursor().selectionStart(), first);
    // Searching on from the end comes back to the first match.
    window.Browser().moveCursor(QTextCursor::End);
    QTest::keyClick(&window.FindField(), Qt::Key_Return);
    EXPECT_EQ(window.Browser().textCursor().selectionStart(), first);
}

TEST(HelpWindow, FirstRunOpensTheFirstSteps)
{
    // No preferences file yet: the program's first run.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("zubrik-help-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    SApplicationOptions options;
    options.fPreferencesFile = folder / "Zubrik Preferences File.prf";
    options.fOpenHelp = true;
    {
        CZubrikApplication application(options);
        application.GetPreferences().SetEffectsNoteCounter(0);
        application.Start({});
        ASSERT_NE(application.GetHelpWindow(), nullptr);
        EXPECT_TRUE(application.GetHelpWindow()->isVisible());
        EXPECT_EQ(HeadingAtCursor(*application.GetHelpWindow()), HelpTopicHeading(kHelpTopicFirstSteps));
        application.Quit();
    }
    // The second run has its preferences and opens no help.
    {
        CZubrikApplication application(options);
        application.Start({});
        EXPECT_EQ(application.GetHelpWindow(), nullptr);
        application.Quit();
    }
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace NSZubrik
