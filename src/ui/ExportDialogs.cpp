#include "ui/ExportDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ResourceIds.h"
#include "app/StringTables.h"
#include "document/ZubrikDocument.h"

namespace NSZubrik {

namespace {

QString Text(int32_t entry) { return QString::fromStdString(GetString(kProgramStringList, entry)); }

QStringList Extensions(const std::string& extensionList)
{
    return QString::fromStdString(extensionList).split(';', Qt::SkipEmptyParts);
}

bool HasExtensionOf(const QString& name, const std::string& extensionList)
{
    for (const QString& extension : Extensions(extensionList))
        if (name.endsWith(extension, Qt::CaseInsensitive))
            return true;
    return false;
}

// The numbers of a list in a combo box, the chosen one current; a list of
// one entry leaves nothing to choose.
QComboBox* NumberChoice(const std::vector<int32_t>& values, int32_t chosen)
{
    auto* box = new QComboBox;
    for (int32_t value : values) {
        box->addItem(QString::number(value), value);
        if (value == chosen)
            box->setCurrentIndex(box->count() - 1);
    }
    box->setEnabled(values.size() > 1);
    return box;
}

} // namespace

QString ExportFilter(const SExportFileType& type)
{
    QStringList patterns;
    for (const QString& extension : Extensions(type.fExtensionList))
        patterns << QStringLiteral("*") + extension;
    return QStringLiteral("%1 (%2)").arg(QString::fromStdU16String(type.fName), patterns.join(' '));
}

// ------------------------------------------------------------------ file dialog

CExportFileDialog::CExportFileDialog(QWidget* parent, std::filesystem::path folder)
    : fParent(parent), fFolder(std::move(folder))
{
}

std::optional<SExportFileChoice> CExportFileDialog::AskForFile(const std::u16string& suggestedName,
                                                               const std::vector<SExportFileType>& types,
                                                               const std::string& lastType)
{
    if (types.empty())
        return std::nullopt;
    QStringList filters;
    size_t preselected = 0;
    for (size_t i = 0; i < types.size(); ++i) {
        filters << ExportFilter(types[i]);
        if (types[i].fExtensionList == lastType)
            preselected = i;
    }
    const std::string& lastList = types[preselected].fExtensionList;
    const QString name = QFileInfo(QString::fromStdU16String(suggestedName)).completeBaseName() +
                         QString::fromStdString(FirstExtension(lastList));
    QFileDialog dialog(fParent, Text(NSStrings::kExportDialogTitle));
    dialog.setObjectName(QStringLiteral("exportFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters[qsizetype(preselected)]);
    if (!fFolder.empty())
        dialog.setDirectory(QString::fromStdString(fFolder.string()));
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const qsizetype chosen = std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter()));
    const std::string& extensionList = types[size_t(chosen)].fExtensionList;
    QString file = dialog.selectedFiles().front();
    if (!HasExtensionOf(file, extensionList))
        file += QString::fromStdString(FirstExtension(extensionList));
    return SExportFileChoice{std::filesystem::path(file.toStdString()), extensionList};
}

// ------------------------------------------------------------------ settings dialog

CExportSettingsWindow::CExportSettingsWindow(const CExportSettingsDialogData& data, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("exportSettingsDialog"));
    setWindowTitle(Text(NSStrings::kExportDialogTitle));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    fRates = NumberChoice(data.fSampleRates, data.fSampleRate);
    fDepths = NumberChoice(data.fBitDepths, data.fBitDepth);
    // Both boxes as wide as the wider, so that they line up.
    const int width = std::max(fRates->sizeHint().width(), fDepths->sizeHint().width());
    fRates->setMinimumWidth(width);
    fDepths->setMinimumWidth(width);
    form->addRow(Text(NSStrings::kSampleFormatTexts), fRates);
    form->addRow(Text(NSStrings::kSampleFormatTexts + 1), fDepths);
    layout->addLayout(form);
    fMidiFile = new QCheckBox(Text(NSStrings::kExportMidiFileOption));
    fMidiFile->setChecked(data.fExportMidiFile);
    layout->addWidget(fMidiFile);
    // A format without the option (Mixman) has no box at all.
    fMidiFile->setHidden(!data.fOffersMidiFile);
    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton(Text(NSStrings::kOK), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(Text(NSStrings::kCancel), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Tab goes down the fields, then to the buttons.
    setTabOrder(fRates, fDepths);
    setTabOrder(fDepths, fMidiFile);
    setTabOrder(fMidiFile, ok);
    setTabOrder(ok, cancel);
}

void CExportSettingsWindow::TakeChoices(CExportSettingsDialogData& data) const
{
    if (fRates->currentIndex() >= 0)
        data.fSampleRate = fRates->currentData().toInt();
    if (fDepths->currentIndex() >= 0)
        data.fBitDepth = fDepths->currentData().toInt();
    data.fExportMidiFile = data.fOffersMidiFile && fMidiFile->isChecked();
}

bool CExportSettingsDialog::Run(CExportSettingsDialogData& data)
{
    CExportSettingsWindow dialog(data, fParent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.TakeChoices(data);
    return true;
}

// ------------------------------------------------------------------ command

EExportResult ExportFromWindow(QWidget* parent, CZubrikDocument& document, IExportPreferences& preferences,
                               const CLengthyOperationServices& lengthy)
{
    CExportFileDialog fileDialog(parent, document.HasFile() ? document.GetFile().parent_path()
                                                            : std::filesystem::path());
    CExportSettingsDialog settingsDialog(parent);
    CExportServices services;
    services.fileDialog = &fileDialog;
    services.settingsDialog = &settingsDialog;
    services.preferences = &preferences;
    services.lengthy = lengthy;
    return ExportDocument(document, services);
}

} // namespace NSZubrik
