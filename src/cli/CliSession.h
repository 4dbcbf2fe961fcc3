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
#include "cli/CliAlertWording.h"
#include "cli/CliOptions.h"
#include "document/DocumentTypes.h"
#include "platform/DiskKitUtils.h"

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
    // needsLength: the job needs a loop length, and takes --bars auto (saying
    // so) when none is given. Giving the length switches preview on unless
    // --preview off.
    void ApplySettings(NSZubrik::CZubrikDocument& document, const SSettings& settings, bool previewOn,
                       bool needsLength = false);

    // Ends the run with exit code 4 once Ctrl-C was pressed.
    void CheckInterrupted() const;
    // Every file the job writes waits beside its target until this call,
    // which is the job's one point of no return: an unanswered question
    // (exit 1), a Ctrl-C (exit 4) or an output that would replace the input
    // file ends the job with every target as it was; past the check all
    // files move into place and the job has succeeded, whatever arrives.
    void CommitOutputs();
    // A usage error when output names the input file (compared as files,
    // so "./s.wav" and links count), unless the job may write over its
    // input; exit code 3 when output is a folder.
    void RefuseOutputOverInput(const std::filesystem::path& output) const;
    // Exit code 1, naming the flag, when no slice of the loop sounds.
    void RequireSoundingSlices(const NSZubrik::CZubrikDocument& document, const std::filesystem::path& file) const;
    // Exit code 1 when output exists and neither --yes nor --replace-all
    // was given: a job never replaces a file unasked.
    void RefuseReplacing(const std::filesystem::path& output) const;
    // save writes a loop file over itself: that is Save.
    void AllowWritingOverInput() { fMayWriteOverInput = true; }
    // Ends the run with exit code 1 when a question found no flag to
    // answer it (the refusal has been printed).
    void CheckRefusals();

    NSZubrik::CDocumentServices& GetDocumentServices() { return fDocumentServices; }
    NSZubrik::CLengthyOperationServices GetLengthyServices() { return fProgress.GetServices(); }
    NSZubrik::CConsoleAlertPresenter& GetPresenter() { return fPresenter; }
    NSZubrik::CDefaultDocumentPreferences& GetPreferences() { return fPreferences; }
    bool IsQuiet() const { return fQuiet; }

private:
    // Sets the power of two of bars that puts the original tempo at 90 BPM or
    // more and under 180.
    static void ChooseBars(NSZubrik::CZubrikDocument& document);
    // The locators given in frames or seconds (barBeat false), or those in
    // bar:beat (true), set together.
    static void ApplyLocators(NSZubrik::CZubrikDocument& document, const SSettings& settings, bool barBeat);

    // The outputs of this job, opened before anything is written.
    NSDiskKitUtils::CWriteTransaction fOutputs;
    std::filesystem::path fInput;
    bool fMayWriteOverInput = false;
    bool fMayReplace;
    bool fQuiet;
    bool fLeftToFirstSlice;
    CCliAlertPresenter fPresenter;
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
// The path as given, for error lines; bytes that are not UTF-8 as "\xHH".
std::string DisplayPath(const std::filesystem::path& file);

// The operating system's reason why a file cannot be read, or why one
// cannot be written at a path ("Permission denied", "Is a directory");
// empty when none is found.
std::string ReadProblem(const std::filesystem::path& file);
std::string WriteProblem(const std::filesystem::path& file);
// Exit code 3 for a write of file that failed, with the system's reason
// when one is found (the alert, if any, has been shown).
[[noreturn]] void WriteFailed(const std::filesystem::path& file, const std::string& otherwise = "");

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
