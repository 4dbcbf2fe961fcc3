// The widget tests' fixture: the real application front end with its
// windows on Qt's offscreen platform, without the preferences file, and
// helpers that answer modal dialogs and menus the way a user would.
#pragma once

#include <QString>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

#include "ui/ZubrikApplication.h"
#include "ui/ZubrikWindow.h"

class QAction;

namespace NSZubrikUiTest {

class CUiTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens a file in a new window and answers it.
    NSZubrik::CZubrikWindow& Open(const std::filesystem::path& file);
    NSZubrik::CZubrikWindow& Front() { return *fApplication->GetFrontWindow(); }
    // The bundled demo loop (a WAVE file).
    static std::filesystem::path DemoLoop();
    // A loop file of the demo loop with slices shown, in a fresh folder.
    std::filesystem::path DemoLoopFile();
    // Lets deleted windows go.
    static void Settle();

    std::unique_ptr<NSZubrik::CZubrikApplication> fApplication;
    std::filesystem::path fFolder;
    std::unique_ptr<QTimer> fWatchdog;
};

// Clicks the button labelled text (without its "&") of the next modal
// dialog, once it is up; records the dialog's whole text.
void AnswerNextDialog(const QString& text, QString* shownText = nullptr);
// Triggers the item labelled text of the next pop-up menu.
void ChooseFromNextMenu(const QString& text);
// The plain text of a menu item ("&Open..." gives "Open...").
QString Plain(const QAction* action);

} // namespace NSZubrikUiTest
