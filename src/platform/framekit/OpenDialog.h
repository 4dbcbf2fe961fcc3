// The open dialog: Qt's own file dialog (not the desktop's, so that it can
// take a side pane) with the information pane of the file under the
// selection and the "Auto Play" switch, which auditions each file as it is
// selected.
#pragma once

#include <QFileDialog>
#include <filesystem>

namespace NSZubrik {
class IOpenDialogAudition;
}

class QCheckBox;

namespace NSFrameKit {

class CShownFileInfoPane;

class COpenDialog : public QFileDialog {
    Q_OBJECT
public:
    // The audition is the program's: it reads the files and plays them.
    COpenDialog(QWidget* parent, NSZubrik::IOpenDialogAudition& audition);
    ~COpenDialog() override;

    CShownFileInfoPane& GetPane() { return *fPane; }
    QCheckBox& GetAutoPlay() { return *fAutoPlay; }

public slots:
    // The file under the selection: its information, and with Auto Play on,
    // its sound in place of the previous one.
    void ShowFile(const QString& path);

protected:
    // Closing stops the sound and keeps the switch for next time.
    void done(int result) override;

private:
    void AutoPlayToggled(bool on);
    void FitFileColumns();

    NSZubrik::IOpenDialogAudition& fAudition;
    CShownFileInfoPane* fPane;
    QCheckBox* fAutoPlay;
    QString fShown;
};

} // namespace NSFrameKit
