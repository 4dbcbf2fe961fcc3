// The front end of the application object on Qt: it runs the FrameKit loop
// around CZubrik, keeps the document windows (front window first), answers
// the application's requests (open and save dialogs, the save-changes
// question, reading sound files, help, commands of the views) and installs
// the window-side services every document uses: alerts as message boxes,
// the loop-length question, the save dialog and the progress window.
#pragma once

#include <QString>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "app/ResultCodes.h"
#include "app/Zubrik.h"
#include "io/Preferences.h"
#include "platform/framekit/FrameKit.h"
#include "platform/framekit/FrameKitDialogs.h"

namespace NSZubrik {

class CHelpWindow;
class CZubrikWindow;

struct SApplicationOptions {
    // Read the preferences file at start and write it at quit. Off, the
    // program runs on the standard settings and leaves the file alone.
    bool fUsePreferencesFile = true;
    // Another preferences file than the one in the per-user folder.
    std::optional<std::filesystem::path> fPreferencesFile;
    // No help window on a first run (tests, pictures).
    bool fOpenHelp = true;
    // Questions are answered without a dialog (pictures on demand): alerts
    // print on the error stream and take their cancelling answer.
    bool fConsoleAlerts = false;
    // Open the sound card after start. Off for pictures and tests, which
    // must not wait on a device or show its alerts.
    bool fUseAudio = false;
};

class CZubrikApplication : public NSFrameKit::IFrameKitRunBehavior,
                           public IApplicationHost,
                           public IDocumentWindows,
                           public INoLengthSpecifiedDialog,
                           public ISaveDocumentDialog {
public:
    explicit CZubrikApplication(const SApplicationOptions& options = {});
    ~CZubrikApplication() override;
    CZubrikApplication(const CZubrikApplication&) = delete;
    CZubrikApplication& operator=(const CZubrikApplication&) = delete;

    // Runs the program: start, the event loop, quit.
    int32_t Run(const std::vector<std::filesystem::path>& files);

    CZubrik& GetApplication() { return *fZubrik; }
    CZubrikPreferences& GetPreferences() { return fPreferences; }
    // The progress window of lengthy operations (Save, processing, Export).
    const CLengthyOperationServices& GetLengthyServices() const { return fServices.lengthy; }
    const std::vector<CZubrikWindow*>& GetWindows() const { return fWindows; }
    CZubrikWindow* GetFrontWindow() const { return fWindows.empty() ? nullptr : fWindows.front(); }
    CZubrikWindow* FindWindow(const CZubrikDocument& document) const;
    // The help window once a topic has been opened, else null.
    CHelpWindow* GetHelpWindow() const { return fHelpWindow.get(); }

    // A command of a window's menu, keys or tool: dispatched by the
    // application object; a failure shows its alert and the program goes on.
    void RunCommand(int32_t command, uint32_t modifiers = NSFrameKit::kNoModifier);
    // Work of a window that is not a numbered command, with the same
    // catch-all.
    template <typename TWork>
    void RunWork(TWork&& work)
    {
        NSFrameKit::CFrameKit::ReportResult(CallbackResult(std::forward<TWork>(work)));
    }
    // The window's close box: asks to save first.
    void CloseRequested(CZubrikWindow& window);
    void WindowActivated(CZubrikWindow& window);

    // ---- IFrameKitRunBehavior ----
    int32_t Start(const std::vector<std::filesystem::path>& files) override;
    bool MayQuit() override;
    bool HasWindows() const override { return !fWindows.empty(); }
    int32_t Quit() override;
    int32_t NewDocument(int32_t requestCode) override;
    int32_t OpenFiles(const std::vector<std::filesystem::path>& files) override;
    int32_t Command(int32_t command, uint32_t modifiers) override;
    int32_t Idle() override;

    // ---- IApplicationHost ----
    std::vector<std::filesystem::path> AskForFilesToOpen() override;
    int32_t AskToSaveChanges(const std::u16string& name, bool quitting) override;
    std::unique_ptr<CABCWaveSample> ReadSoundFile(const std::filesystem::path& file) override;
    void OpenHelp(int32_t helpId) override;
    bool HandleCommand(int32_t command, CZubrikDocument* front) override;
    void AbandonQuit() override;
    void PutLoopOnClipboard(const std::vector<SClipboardForm>& forms) override;
    std::vector<uint8_t> GetClipboardData(const std::string& flavour) override;

    // ---- IDocumentWindows ----
    void OpenWindow(std::unique_ptr<CZubrikDocument> document, bool skipLeftLocatorQuestion) override;
    CZubrikDocument* GetFrontDocument() override;
    std::vector<CZubrikDocument*> GetDocuments() override;
    void CloseWindow(CZubrikDocument& document) override;

    // ---- The document's questions ----
    std::optional<int32_t> AskForBars() override;
    std::optional<std::filesystem::path> AskForFile(const std::u16string& suggestedName) override;

private:
    class CSessionPreferences;

    // The Help menu's web site or support address in the desktop's browser
    // or mail program.
    void OpenWebPage(int32_t command);

    SApplicationOptions fOptions;
    CZubrikPreferences fPreferences;
    std::unique_ptr<CSessionPreferences> fSessionPreferences;
    NSFrameKit::CAlertPresenter fAlerts;
    std::unique_ptr<IAlertPresenter> fConsoleAlerts;
    NSFrameKit::CProgressHost fProgress;
    CDocumentServices fServices;
    CDocumentServices fPreviousServices;
    CLengthyOperationServices fPreviousLengthy;
    IAlertPresenter* fPreviousPresenter = nullptr;
    std::unique_ptr<CZubrik> fZubrik;
    std::vector<CZubrikWindow*> fWindows;
    std::unique_ptr<CHelpWindow> fHelpWindow;
};

} // namespace NSZubrik
