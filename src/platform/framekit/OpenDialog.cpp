#include "platform/framekit/OpenDialog.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QListView>
#include <QTreeView>

#include "app/OpenDialogAudition.h"
#include "app/ResourceIds.h"
#include "app/StringTables.h"
#include "platform/framekit/FrameKitDialogs.h"
#include "platform/framekit/ShownFileInfo.h"

namespace NSFrameKit {

COpenDialog::COpenDialog(QWidget* parent, NSZubrik::IOpenDialogAudition& audition)
    : QFileDialog(parent), fAudition(audition)
{
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFiles);
    setAcceptMode(QFileDialog::AcceptOpen);
    setNameFilters(OpenFileFilters());

    fPane = new CShownFileInfoPane(this);
    fPane->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0")) * 36);
    fPane->setFrameShape(QFrame::StyledPanel);
    fPane->setContentsMargins(8, 6, 8, 6);
    // The text marks its mnemonic with "&" as Qt does.
    fAutoPlay = new QCheckBox(
        QString::fromStdString(NSZubrik::GetString(NSZubrik::kProgramStringList, NSZubrik::NSStrings::kAutoPlay)),
        this);
    fAutoPlay->setChecked(fAudition.IsAutoPlayOn());
    // Qt's dialog lays itself out on a grid (the folder line, the file
    // list, the name line, the type line): the pane takes a new column
    // beside the file list, the switch sits beside the type line.
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        const int column = grid->columnCount();
        grid->addWidget(fPane, 1, column);
        // The file list takes the room the dialog gains.
        grid->setColumnStretch(1, 1);
        grid->addWidget(fAutoPlay, grid->rowCount() - 1, column);
    }

    FitFileColumns();

    connect(this, &QFileDialog::currentChanged, this, &COpenDialog::ShowFile);
    connect(fAutoPlay, &QCheckBox::toggled, this, &COpenDialog::AutoPlayToggled);
}

COpenDialog::~COpenDialog() = default;

void COpenDialog::FitFileColumns()
{
    // Qt's list gives size, type and date narrow fixed columns that cut
    // their texts; they take the width of their texts and the name the rest.
    if (auto* details = findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < header->count(); ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    if (auto* places = findChild<QListView*>(QStringLiteral("sidebar")))
        places->setMinimumWidth(places->fontMetrics().horizontalAdvance(QStringLiteral("Computer")) + 48);
}

void COpenDialog::ShowFile(const QString& path)
{
    fShown = path;
    const std::filesystem::path file(path.toStdString());
    const NSZubrik::SShownFileInfo shown = fAudition.Describe(file);
    fPane->Show(shown);
    using EKind = NSZubrik::SShownFileInfo::EKind;
    if (fAutoPlay->isChecked() && (shown.fKind == EKind::kSoundFile || shown.fKind == EKind::kLoopFile))
        fAudition.Play(file);
    else
        fAudition.Stop();
}

void COpenDialog::AutoPlayToggled(bool on)
{
    if (on && !fShown.isEmpty())
        ShowFile(fShown);
    else
        fAudition.Stop();
}

void COpenDialog::done(int result)
{
    fAudition.Stop();
    fAudition.SetAutoPlay(fAutoPlay->isChecked());
    QFileDialog::done(result);
}

} // namespace NSFrameKit
