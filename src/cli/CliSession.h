// One run of the command line: the console's alert presenter, loop-length
// question and progress installed in place of the windows, standard settings
// in place of the preferences file (which the command line never reads or
// writes), and the ways a document is opened, changed and checked the same
// for every subcommand.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>

#include "app/ConsoleAlerts.h"
#include "cli/CliOptions.h"
#include "document/DocumentTypes.h"

namespace NSZubrik {
class CZubrikDocument;
}

namespace NSZubrikCli {

class CConsoleSession {
public:
    explicit CConsoleSession(const CArguments& arguments);
    ~CConsoleSession();
    CConsoleSession(const CConsoleSession&) = delete;
    CConsoleSession& operator=(const CConsoleSession&) = delete;

    // A sound file is analysed (and its left locator moved only with
    // --left-to-first-slice), a loop file keeps its slices and settings.
    // Failures end the run with exit code 2 (bad input) or 4 (stopped).
    std::unique_ptr<NSZubrik::CZubrikDocument> OpenDocument(const std::filesystem::path& file);

    // The settings flags as document commands, in this order: locators,
    // sensitivity, gate, signature, bars, beats, preview on (when asked),
    // preview tempo, envelope, transient shaper, equalizer, pitch, gain,
    // and last the grid slices.
    void ApplySettings(NSZubrik::CZubrikDocument& document, const SSettings& settings, bool previewOn);

    // Ends the run with exit code 4 once Ctrl-C was pressed.
    void CheckInterrupted() const;
    // Ends the run with exit code 1 when a question found no flag to
    // answer it (the refusal has been printed).
    void CheckRefusals();

    NSZubrik::CDocumentServices& GetDocumentServices() { return fDocumentServices; }
    NSZubrik::CLengthyOperationServices GetLengthyServices() { return fProgress.GetServices(); }
    NSZubrik::CConsoleAlertPresenter& GetPresenter() { return fPresenter; }
    NSZubrik::CDefaultDocumentPreferences& GetPreferences() { return fPreferences; }
    bool IsQuiet() const { return fQuiet; }

private:
    bool fQuiet;
    bool fLeftToFirstSlice;
    NSZubrik::CConsoleAlertPresenter fPresenter;
    NSZubrik::CConsoleNoLengthDialog fLengthDialog;
    NSZubrik::CConsoleProgressHost fProgress;
    NSZubrik::CDefaultDocumentPreferences fPreferences;
    NSZubrik::CDocumentServices fDocumentServices;
    NSZubrik::CDocumentServices fPreviousDocumentServices;
    NSZubrik::CLengthyOperationServices fPreviousLengthyServices;
    NSZubrik::IAlertPresenter* fPreviousPresenter = nullptr;
};

// The file name for messages and alerts.
std::string DisplayName(const std::filesystem::path& file);

// A file written by the job: failures of the writer end the run with exit
// code 3 (write failure) or 4 (stopped).
template <typename TWrite>
void WriteOutput(const std::filesystem::path& file, TWrite&& write);
void ReportWriteFailure(const std::filesystem::path& file);

template <typename TWrite>
void WriteOutput(const std::filesystem::path& file, TWrite&& write)
{
    try {
        write();
    } catch (const XCliExit&) {
        throw;
    } catch (...) {
        ReportWriteFailure(file);
    }
}

} // namespace NSZubrikCli
