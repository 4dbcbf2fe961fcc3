// The Export command in the window: the save dialog titled "Export Sound"
// with the export file types, the export settings dialog (sample rate, bit
// depth, the MIDI file beside the sound) and the command itself, which runs
// the core's export flow with them, the preferences and the window's
// progress window.
#pragma once

#include <QDialog>
#include <QString>
#include <filesystem>
#include <optional>

#include "io/ExportCommand.h"
#include "io/ExportFileFormat.h"

class QCheckBox;
class QComboBox;

namespace NSZubrik {

// The filter the save dialog shows for a type: "WAVE File (*.wav *.wave)".
QString ExportFilter(const SExportFileType& type);

// The save dialog: every export type as a filter, the type chosen last
// preselected, the first extension of the chosen type added to a name
// without one of its extensions.
class CExportFileDialog : public IExportFileDialog {
public:
    // folder: where the dialog opens (empty: where the desktop chooses).
    CExportFileDialog(QWidget* parent, std::filesystem::path folder);
    std::optional<SExportFileChoice> AskForFile(const std::u16string& suggestedName,
                                                const std::vector<SExportFileType>& types,
                                                const std::string& lastType) override;

private:
    QWidget* fParent;
    std::filesystem::path fFolder;
};

// The settings as a dialog: a combo box per list (a list of one entry shows
// but cannot change) and "Export MIDI File with Same Name" when the format
// offers it.
class CExportSettingsWindow : public QDialog {
    Q_OBJECT
public:
    CExportSettingsWindow(const CExportSettingsDialogData& data, QWidget* parent);
    // The choices shown, into data.
    void TakeChoices(CExportSettingsDialogData& data) const;

    QComboBox& GetSampleRates() const { return *fRates; }
    QComboBox& GetBitDepths() const { return *fDepths; }
    QCheckBox& GetMidiFile() const { return *fMidiFile; }

private:
    QComboBox* fRates;
    QComboBox* fDepths;
    QCheckBox* fMidiFile;
};

class CExportSettingsDialog : public IExportSettingsDialog {
public:
    explicit CExportSettingsDialog(QWidget* parent) : fParent(parent) {}
    bool Run(CExportSettingsDialogData& data) override;

private:
    QWidget* fParent;
};

// The Export command on the document with the window's dialogs: the chosen
// type, rate, depth and MIDI option are kept in the preferences, and the
// writing shows in the window's progress window.
EExportResult ExportFromWindow(QWidget* parent, CZubrikDocument& document, IExportPreferences& preferences,
                               const CLengthyOperationServices& lengthy);

} // namespace NSZubrik
