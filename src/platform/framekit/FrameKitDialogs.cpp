#include "platform/framekit/FrameKitDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ResourceIds.h"
#include "app/StringTables.h"
#include "platform/framekit/FrameKit.h"
#include "platform/framekit/OpenDialog.h"

namespace NSFrameKit {

using NSZubrik::GetString;
using NSZubrik::kProgramStringList;
using NSZubrik::kSharedStringList;

namespace {

QString ProductName() { return QString::fromStdString(GetString(kProgramStringList, NSZubrik::NSStrings::kProductName)); }

QMessageBox::Icon IconOf(NSTextPackage::EAlertKind kind)
{
    switch (kind) {
    case NSTextPackage::EAlertKind::kStop: return QMessageBox::Critical;
    case NSTextPackage::EAlertKind::kNote: return QMessageBox::Information;
    case NSTextPackage::EAlertKind::kWarn: return QMessageBox::Warning;
    case NSTextPackage::EAlertKind::kNone: break;
    }
    return QMessageBox::NoIcon;
}

QString Text(const std::u16string& text) { return QString::fromStdU16String(text); }

// "(*.wav *.wave)" from ".wav;.wave".
QString Patterns(const std::string& extensions)
{
    QStringList patterns;
    for (const QString& extension : QString::fromStdString(extensions).split(';', Qt::SkipEmptyParts))
        patterns << QStringLiteral("*") + extension;
    return patterns.join(' ');
}

} // namespace

SItemText ParseItemText(const std::string& text)
{
    SItemText item;
    const QString whole = QString::fromStdString(text);
    const qsizetype separator = whole.lastIndexOf(';');
    QString label = separator < 0 ? whole : whole.left(separator);
    const QString key = separator < 0 ? QString() : whole.mid(separator + 1);
    label.replace('&', QStringLiteral("&&"));
    const qsizetype mnemonic = label.indexOf('_');
    if (mnemonic >= 0)
        label.replace(mnemonic, 1, '&');
    item.fText = label;
    if (!key.isEmpty())
        item.fShortcut = QKeySequence(QStringLiteral("Ctrl+") + key);
    return item;
}

size_t CAlertPresenter::Show(NSTextPackage::EAlertKind kind, const std::string& title, const std::string& message,
                             const std::vector<std::string>& buttons)
{
    QMessageBox box(QApplication::activeWindow());
    box.setIcon(IconOf(kind));
    box.setWindowTitle(ProductName());
    if (title.empty()) {
        box.setText(QString::fromStdString(message));
    } else {
        box.setText(QStringLiteral("<b>%1</b>").arg(QString::fromStdString(title).toHtmlEscaped()));
        box.setInformativeText(QString::fromStdString(message));
    }
    // One role for all, so that the buttons keep the order of the text.
    std::vector<QPushButton*> pushButtons;
    for (const std::string& label : buttons)
        pushButtons.push_back(box.addButton(QString::fromStdString(label), QMessageBox::AcceptRole));
    if (pushButtons.empty())
        pushButtons.push_back(box.addButton(QMessageBox::Ok));
    box.setDefaultButton(pushButtons.back());
    box.setEscapeButton(pushButtons.front());
    box.exec();
    for (size_t i = 0; i < pushButtons.size(); ++i)
        if (box.clickedButton() == pushButtons[i])
            return i;
    return 0;
}

void AskToSaveChanges(QWidget* parent, const std::u16string& name, bool quitting,
                      ISaveChangesDialogListener& listener)
{
    const int32_t question = quitting ? NSZubrik::NSSharedStrings::kSaveChangesBeforeQuitting
                                      : NSZubrik::NSSharedStrings::kSaveChangesBeforeClosing;
    const std::string utf8Name = Text(name).toStdString();
    QMessageBox box(QMessageBox::Warning, ProductName(),
                    QString::fromStdString(GetString(kSharedStringList, question, {utf8Name})), QMessageBox::NoButton,
                    parent);
    auto label = [](int32_t entry) { return ParseItemText(GetString(kSharedStringList, entry)).fText; };
    QPushButton* yes = box.addButton(label(NSZubrik::NSSharedStrings::kYes), QMessageBox::YesRole);
    QPushButton* no = box.addButton(label(NSZubrik::NSSharedStrings::kNo), QMessageBox::NoRole);
    QPushButton* cancel = box.addButton(label(NSZubrik::NSSharedStrings::kCancel), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes)
        listener.SaveChosen();
    else if (box.clickedButton() == no)
        listener.DontSaveChosen();
    else
        listener.CancelChosen();
}

QStringList OpenFileFilters()
{
    using NSZubrik::NSStrings::kCompressedSoundFileType;
    using NSZubrik::NSStrings::kFileTypes;
    // Loop file, two older files, WAVE, AIFF, then the compressed sound
    // files (FLAC, Ogg, Opus, MP3): name and extension list each.
    const int32_t entries[] = {kFileTypes,     kFileTypes + 2, kFileTypes + 4,
                               kFileTypes + 6, kFileTypes + 8, kCompressedSoundFileType};
    QStringList filters;
    QStringList every;
    for (int32_t entry : entries) {
        const QString patterns = Patterns(GetString(kProgramStringList, entry + 1));
        filters << QStringLiteral("%1 (%2)").arg(QString::fromStdString(GetString(kProgramStringList, entry)), patterns);
        every << patterns;
    }
    filters.prepend(QStringLiteral("%1 (%2)").arg(ProductName(), every.join(' ')));
    return filters;
}

std::vector<std::filesystem::path> AskForFilesToOpen(QWidget* parent, NSZubrik::IOpenDialogAudition& audition)
{
    COpenDialog dialog(parent, audition);
    std::vector<std::filesystem::path> files;
    if (dialog.exec() != QDialog::Accepted)
        return files;
    for (const QString& name : dialog.selectedFiles())
        files.emplace_back(name.toStdString());
    return files;
}

std::optional<std::filesystem::path> AskForLoopFileToSave(QWidget* parent, const std::u16string& suggestedName)
{
    using NSZubrik::NSStrings::kFileTypes;
    const QString extension = QString::fromStdString(GetString(kProgramStringList, kFileTypes + 1));
    QString suggested = Text(suggestedName);
    if (!suggested.endsWith(extension, Qt::CaseInsensitive))
        suggested = QFileInfo(suggested).completeBaseName() + extension;
    const QString filter = QStringLiteral("%1 (*%2)").arg(QString::fromStdString(GetString(kProgramStringList, kFileTypes)), extension);
    QString name = QFileDialog::getSaveFileName(
        parent, QString::fromStdString(GetString(kProgramStringList, NSZubrik::NSStrings::kSaveDialogTitle)), suggested, filter);
    if (name.isEmpty())
        return std::nullopt;
    if (!name.endsWith(extension, Qt::CaseInsensitive))
        name += extension;
    return std::filesystem::path(name.toStdString());
}

// ------------------------------------------------------------------ progress

CProgressWindow::CProgressWindow(const std::u16string& text, const std::u16string& buttonText, bool stopAllowed,
                                 NSZubrik::ILengthyOperationListener& listener, QWidget* parent)
    : QDialog(parent), fListener(listener), fStopAllowed(stopAllowed)
{
    setWindowTitle(ProductName());
    setModal(true);
    setMinimumWidth(360);
    fText = new QLabel(Text(text));
    fCount = new QLabel;
    fBar = new QProgressBar;
    fBar->setRange(0, 1000);
    fBar->setTextVisible(false);
    fButton = new QPushButton(Text(buttonText));
    connect(fButton, &QPushButton::clicked, this, &CProgressWindow::reject);
    auto* line = new QHBoxLayout;
    line->addWidget(fText, 1);
    line->addWidget(fCount);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(fButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(line);
    layout->addWidget(fBar);
    layout->addLayout(buttons);
}

CProgressWindow::~CProgressWindow() = default;

void CProgressWindow::ShowText(const std::u16string& text) { fText->setText(Text(text)); }

void CProgressWindow::ShowCount(int32_t count) { fCount->setText(QLocale().toString(count)); }

void CProgressWindow::ShowProgress(int32_t position) { fBar->setValue(position); }

void CProgressWindow::RequestClose()
{
    hide();
    fListener.WindowClosed();
    deleteLater();
}

void CProgressWindow::reject()
{
    // Escape and the button: they stop the work when it may be stopped; the
    // window itself closes only when the work asks it to.
    if (fStopAllowed)
        fListener.StopPressed();
}

void CProgressHost::OpenWindow(const std::u16string& text, const std::u16string& buttonText, bool stopAllowed,
                               NSZubrik::ILengthyOperationListener& listener)
{
    auto* window = new CProgressWindow(text, buttonText, stopAllowed, listener, QApplication::activeWindow());
    window->show();
    listener.WindowOpened(*window);
}

void CProgressHost::ProcessEvents() { CFrameKit::ProcessEvents(); }

void CProgressHost::Beep() { CFrameKit::Beep(); }

uint32_t CProgressHost::Milliseconds() { return CFrameKit::Milliseconds(); }

} // namespace NSFrameKit
