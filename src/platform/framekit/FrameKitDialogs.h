// The dialogs FrameKit offers the program: alerts from the alert tables, the
// save-changes question, the open and save dialogs with the program's file
// types, and the modal progress window of lengthy operations.
#pragma once

#include <QDialog>
#include <QKeySequence>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/Alert.h"
#include "document/LengthyOperation.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace NSZubrik {
class IOpenDialogAudition;
}

namespace NSFrameKit {

// An item text of the string lists ("_Open...;O"): the "_" marks the
// Alt-navigation letter, the letter after ";" the Ctrl shortcut.
struct SItemText {
    QString fText;  // "&Open..."
    QKeySequence fShortcut;
};
SItemText ParseItemText(const std::string& text);

// Alerts as message boxes: the kind's icon, the title, the message and the
// buttons in the order the text lists them, the last one the default.
class CAlertPresenter : public NSZubrik::IAlertPresenter {
public:
    size_t Show(NSTextPackage::EAlertKind kind, const std::string& title, const std::string& message,
                const std::vector<std::string>& buttons) override;
};

// Told which answer the save-changes question got.
class ISaveChangesDialogListener {
public:
    virtual ~ISaveChangesDialogListener() = default;
    virtual void SaveChosen() = 0;
    virtual void DontSaveChosen() = 0;
    virtual void CancelChosen() = 0;
};

// "Save changes to the document "^0" before closing?" (or "... before
// quitting?") with "Yes", "No" and "Cancel".
void AskToSaveChanges(QWidget* parent, const std::u16string& name, bool quitting,
                      ISaveChangesDialogListener& listener);

// The open dialog, knowing the program's loop files and sound files; the
// audition shows and plays the file under the selection.
std::vector<std::filesystem::path> AskForFilesToOpen(QWidget* parent, NSZubrik::IOpenDialogAudition& audition);
// "Save Zubrik Document": a loop file, its extension added when missing.
std::optional<std::filesystem::path> AskForLoopFileToSave(QWidget* parent, const std::u16string& suggestedName);
// The filters of the open dialog ("Zubrik Loop File (*.zx2)", ...), the
// first one taking every kind the program opens.
QStringList OpenFileFilters();

// The modal progress window: the operation's text, the count left, a bar
// and the button; the button stops the work only when that is allowed.
class CProgressWindow : public QDialog, public NSZubrik::ILengthyOperationWindow {
    Q_OBJECT
public:
    CProgressWindow(const std::u16string& text, const std::u16string& buttonText, bool stopAllowed,
                    NSZubrik::ILengthyOperationListener& listener, QWidget* parent);
    ~CProgressWindow() override;

    void ShowText(const std::u16string& text) override;
    void ShowCount(int32_t count) override;
    void ShowProgress(int32_t position) override;
    void RequestClose() override;

protected:
    void reject() override;

private:
    NSZubrik::ILengthyOperationListener& fListener;
    bool fStopAllowed;
    QLabel* fText;
    QLabel* fCount;
    QProgressBar* fBar;
    QPushButton* fButton;
};

// Lengthy operations' windows, event processing, beep and clock.
class CProgressHost : public NSZubrik::ILengthyOperationHost, public NSZubrik::IMillisecondClock {
public:
    void OpenWindow(const std::u16string& text, const std::u16string& buttonText, bool stopAllowed,
                    NSZubrik::ILengthyOperationListener& listener) override;
    void ProcessEvents() override;
    void Beep() override;
    uint32_t Milliseconds() override;
    NSZubrik::CLengthyOperationServices GetServices() { return {this, this}; }
};

} // namespace NSFrameKit
