// The on-line help: the user manual, Markdown with its pictures, in a window
// of its own. It opens at a help topic (a section of the manual) and has a
// find field for the Help menu's Search.
#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

class QLineEdit;
class QTextBrowser;

namespace NSZubrik {

// Help topics the program opens. The first run opens the first steps.
inline constexpr int32_t kHelpTopicContents = 0;
inline constexpr int32_t kHelpTopicFirstSteps = 13;
inline constexpr int32_t kHelpTopicLoopLength = 14;

// The heading of the manual's section for a topic; empty for the contents
// (the beginning of the manual) and for topics the manual does not have.
QString HelpTopicHeading(int32_t helpId);

// The manual's file: beside an installed program first (its documentation
// folder), then in the source tree it was built from. Empty when neither has
// it.
QString FindManual();

class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    // Reads the manual; false when the file cannot be read.
    bool Load(const QString& manualFile);
    // Scrolls the topic's heading to the top of the page.
    void ShowTopic(int32_t helpId);
    // Puts the keyboard focus in the find field (the Help menu's Search).
    void FocusFind();

    QTextBrowser& Browser() { return *fBrowser; }
    QLineEdit& FindField() { return *fFind; }

private:
    void FindNext(bool backwards);
    void FitPictures(const QString& folder);

    QTextBrowser* fBrowser;
    QLineEdit* fFind;
};

} // namespace NSZubrik
